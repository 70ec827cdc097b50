// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/procedure_runner.h"

namespace krx {

ProcedureRunner::ProcedureRunner(Mode mode, Dialogs& person) : mode_(mode), person_(person)
{
    if (mode_ == Mode::DeviceThread)
        thread_ = std::thread([this] { Loop(); });
}

ProcedureRunner::~ProcedureRunner()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(jobsMutex_);
        quit_ = true;
    }
    jobsChanged_.notify_all();
    thread_.join();
}

bool ProcedureRunner::Start(std::function<void()> procedure)
{
    bool expected = false;
    if (!busy_.compare_exchange_strong(expected, true))
        return false;
    auto job = [this, procedure = std::move(procedure)] {
        procedure();
        // What a face queued at the very end still reaches the meter; under the lock, so that
        // nothing can be queued after this look and then wait for a yield that never comes.
        std::lock_guard lock(busyMutex_);
        RunQueued();
        busy_ = false;
    };
    if (mode_ == Mode::Inline)
        job();
    else
        Enqueue(std::move(job));
    return true;
}

void ProcedureRunner::Device(std::function<void()> action)
{
    std::unique_lock lock(busyMutex_);
    if (busy_) {
        Queue(std::move(action));
        return;
    }
    lock.unlock();
    if (mode_ == Mode::Inline)
        action();
    else
        Enqueue(std::move(action));
}

void ProcedureRunner::Enqueue(std::function<void()> job)
{
    {
        std::lock_guard lock(jobsMutex_);
        jobs_.push_back(std::move(job));
        ++pending_;
    }
    jobsChanged_.notify_all();
}

void ProcedureRunner::WaitIdle()
{
    if (mode_ == Mode::Inline)
        return;
    std::unique_lock lock(jobsMutex_);
    jobsChanged_.wait(lock, [this] { return pending_ == 0; });
}

void ProcedureRunner::Loop()
{
    std::unique_lock lock(jobsMutex_);
    for (;;) {
        jobsChanged_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
        if (jobs_.empty())
            return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        RunQueued();
        lock.lock();
        --pending_;
        jobsChanged_.notify_all();
    }
}

}  // namespace krx
