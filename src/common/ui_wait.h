// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Yield points of the long procedures that run inside click handlers, on the one GUI thread.

#include <functional>

namespace krx {

// Handles every pending event, user input included: the point where a button press acts.
void ProcessMessages();
// Blocks in the event loop until `done` holds; checks it after each batch of events, sleeps in
// between. Something must eventually deliver an event that makes it true (a click, a timer).
void WaitUntil(const std::function<bool()>& done);
// Makes the steady clock's pauses keep the windows painted while user input waits until the pause
// is over, so that a press acts only at the next yield point.
void InstallUiSleeper();
// Runs a handler; an error that escapes it is shown in the standard error display, as the
// toolkit shows an exception that leaves an event handler. Every connected handler that may raise
// runs through this.
void RunHandler(const std::function<void()>& handler);

}  // namespace krx
