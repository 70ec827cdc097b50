// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/procedure_host.h"

#include "device/clock.h"

#include <chrono>

namespace krx {

ProcedureHost::ProcedureHost() = default;

void ProcedureHost::Pause(int ms)
{
    TheClock().Sleep(ms);
}

void ProcedureHost::PauseUnless(int ms, const std::function<bool()>& woken)
{
    Clock& clock = TheClock();
    if (!clock.SleepsForReal() || yieldHook_) {
        clock.Sleep(ms);
        return;
    }
    const double end = clock.Seconds() + ms / 1000.0;
    std::unique_lock lock(mutex_);
    for (;;) {
        const double left = end - clock.Seconds();
        if (left <= 0.0 || woken())
            return;
        wake_.wait_for(lock, std::chrono::duration<double>(left));
    }
}

void ProcedureHost::Yield()
{
    if (yieldHook_)
        yieldHook_(false);
    RunQueued();
}

void ProcedureHost::WaitUntil(const std::function<bool()>& done)
{
    for (;;) {
        RunQueued();
        if (done())
            return;
        if (yieldHook_) {
            yieldHook_(true);
            continue;
        }
        std::unique_lock lock(mutex_);
        const unsigned long long seen = generation_;
        if (!queued_.empty())
            continue;
        lock.unlock();
        if (done())
            return;
        lock.lock();
        wake_.wait(lock, [&] { return generation_ != seen || !queued_.empty(); });
    }
}

void ProcedureHost::Notify()
{
    {
        std::lock_guard lock(mutex_);
        ++generation_;
    }
    wake_.notify_all();
}

void ProcedureHost::Queue(std::function<void()> action)
{
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(action));
        ++generation_;
    }
    wake_.notify_all();
}

bool ProcedureHost::RunQueued()
{
    bool ran = false;
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard lock(mutex_);
            if (queued_.empty())
                return ran;
            action = std::move(queued_.front());
            queued_.pop_front();
        }
        action();
        ran = true;
    }
}

}  // namespace krx
