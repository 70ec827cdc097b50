// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <csignal>
#include <thread>
#include <unistd.h>

namespace krx::cli {

Interrupt& Interrupt::Instance()
{
    static Interrupt instance;
    return instance;
}
void Interrupt::Install()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A reader that went away (a pipe into head) is a write error of the output, not a signal
    // that kills the process before the meter is stopped.
    std::signal(SIGPIPE, SIG_IGN);
    std::thread([this] { Wait(); }).detach();
}

void Interrupt::Wait()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    for (;;) {
        int sig = 0;
        if (sigwait(&set, &sig) != 0)
            continue;
        std::lock_guard lock(mutex_);
        if (requested_ || (endsProcess_ && !handler_)) {
            // The second signal, or one that nothing waits for: the conventional end.
            ::_exit(128 + sig);
        }
        requested_ = true;
        if (handler_)
            handler_();
    }
}

bool Interrupt::Requested()
{
    std::lock_guard lock(mutex_);
    return requested_;
}

bool Interrupt::SetHandler(std::function<void()> handler)
{
    std::lock_guard lock(mutex_);
    if (requested_)
        return false;
    handler_ = std::move(handler);
    return true;
}

void Interrupt::ClearHandler()
{
    std::lock_guard lock(mutex_);
    handler_ = nullptr;
}

void Interrupt::SetEndsProcess(bool ends)
{
    std::lock_guard lock(mutex_);
    endsProcess_ = ends;
}

}  // namespace krx::cli
