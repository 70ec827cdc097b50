// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT and SIGTERM for the command line: the measurement ends as Break does, anything else ends.

#include <functional>
#include <mutex>

namespace krx::cli {

// SIGINT and SIGTERM, taken by a thread of their own. A command that can end early (the
// measurement) installs a handler; the first signal calls it, a second one ends the process.
// Without a handler the first signal ends the process.
class Interrupt {
public:
    static Interrupt& Instance();
    // Blocks the signals in the calling thread (call first, so that every thread inherits it) and
    // starts the thread that waits for them.
    void Install();
    // A signal came before the handler was set.
    bool Requested();
    // Returns false (and installs nothing) when a signal has already come.
    bool SetHandler(std::function<void()> handler);
    void ClearHandler();
    // Ends the process on the first signal, as a command without a handler does.
    void SetEndsProcess(bool ends);

private:
    void Wait();
    std::mutex mutex_;
    std::function<void()> handler_;
    bool requested_ = false;
    bool endsProcess_ = true;
};

}  // namespace krx::cli
