// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialogs the windows show their boxes with: the program's own, installed at start, or a test's
// scripted ones. The core never reaches for these: whoever starts a procedure or a save hands it
// its dialogs.

#include "core/dialogs.h"

namespace krx {

Dialogs& WindowDialogs();
// Installs the dialogs (not owned); nullptr restores the console dialogs.
void SetWindowDialogs(Dialogs* dialogs);

}  // namespace krx
