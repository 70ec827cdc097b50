// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window program does when the meter is gone in the middle of a reading: it says so and
// ends, with the transfer's error code as exit status. Below the application nothing ends the
// process; procedures hand the loss up as their outcome.

namespace krx {

[[noreturn]] void ReportConnectionLoss(int code);

// Ends the window program with the given status through the normal exit path (exit handlers run):
// after a lost connection, and for Exit.
[[noreturn]] void ExitProcess(int code);

}  // namespace krx
