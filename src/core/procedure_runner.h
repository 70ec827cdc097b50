// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the procedures one at a time. The window program runs them on a device thread of their
// own, so that the windows paint and take input during every pause and wait; the command-line
// tool and the tests run them inline, on the calling thread. Either way the meter sees one
// procedure at a time, and a face's short device action (a setup change) is queued to the running
// procedure's next yield point instead of cutting into it.

#include "core/procedure_host.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace krx {

class ProcedureRunner : public ProcedureHost {
public:
    enum class Mode { DeviceThread, Inline };
    // `person` answers the procedures' decisions; it outlives the runner.
    ProcedureRunner(Mode mode, Dialogs& person);
    ~ProcedureRunner() override;

    Mode RunMode() const { return mode_; }
    // Starts a procedure; false (and nothing runs) while another one runs.
    bool Start(std::function<void()> procedure);
    // A short device action: queued to the running procedure's next yield point, or run as a job
    // of its own when none runs.
    void Device(std::function<void()> action);
    bool Busy() const { return busy_; }
    // Blocks until no job runs or waits (for a face that must end the process cleanly).
    void WaitIdle();

    Dialogs& Person() override { return person_; }

private:
    void Loop();
    void Enqueue(std::function<void()> job);

    const Mode mode_;
    Dialogs& person_;
    std::atomic<bool> busy_{false};
    std::mutex busyMutex_;
    std::mutex jobsMutex_;
    std::condition_variable jobsChanged_;
    std::deque<std::function<void()>> jobs_;
    int pending_ = 0;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace krx
