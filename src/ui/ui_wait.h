// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Button handlers of the windows.

#include <functional>

namespace krx {

// Runs a handler; an error that escapes it is shown in the standard error display, as the
// toolkit shows an exception that leaves an event handler. Every connected handler that may raise
// runs through this.
void RunHandler(const std::function<void()>& handler);

}  // namespace krx
