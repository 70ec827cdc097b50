// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a running procedure meets the world around it: the clock for its pauses, its yield points
// (where requests such as Break or Stop act), its waits for a person, and the dialogs seam for the
// decisions a person makes. The windows run procedures on a device thread; the command-line tool
// and the tests run them on their own thread. A procedure reads the same either way.

#include "core/dialogs.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace krx {

class ProcedureHost {
public:
    ProcedureHost();
    virtual ~ProcedureHost() = default;
    ProcedureHost(const ProcedureHost&) = delete;
    ProcedureHost& operator=(const ProcedureHost&) = delete;

    // A pause towards the meter, exact on the clock.
    void Pause(int ms);
    // A pause that a request may cut short (`woken` turns true): a Stop in a whole-second wait
    // goes out at once. On a virtual clock the whole pause passes at once and `woken` is then
    // looked at by the caller.
    void PauseUnless(int ms, const std::function<bool()>& woken);
    // A yield point: device actions queued by the faces run here, then the yield hook.
    void Yield();
    // Blocks until `done` holds; a request that may make it true calls Notify().
    void WaitUntil(const std::function<bool()>& done);
    // Wakes waits; call after every request.
    void Notify();

    // A short device action from a face (a setup change): it runs at the running procedure's next
    // yield point, so that it never cuts into another operation.
    void Queue(std::function<void()> action);
    // Runs what Queue() holds; false when nothing was queued.
    bool RunQueued();

    // The person's decisions, answered by whoever started the procedure (the windows' dialogs, the
    // command line's arguments, a test's script).
    virtual Dialogs& Person() = 0;

    // Tests that drive windows run procedures on the windows' own thread and let the window events
    // run at each yield point and wait; without a hook, waits block on the condition.
    void SetYieldHook(std::function<void(bool waiting)> hook) { yieldHook_ = std::move(hook); }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    unsigned long long generation_ = 0;
    std::deque<std::function<void()>> queued_;
    std::function<void(bool)> yieldHook_;
};

}  // namespace krx
