// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs a function in a forked child, for the paths that end the process.

#include <functional>
#include <string>

namespace krx::test {

struct ChildResult {
    bool exited = false;   // ended through exit (not a signal)
    int status = -1;       // exit status (0..255) when exited
    int signal = 0;        // the signal that ended it, when not exited
    std::string output;    // what the child wrote to standard error
};

// How long a child may run before it is ended by SIGALRM (then `signal` says so).
inline constexpr unsigned kChildSeconds = 120;

ChildResult RunInChild(const std::function<void()>& body);

// The exit status a process shows for a code passed to exit().
inline int ExitStatusOf(int code) { return code & 0xFF; }

}  // namespace krx::test
