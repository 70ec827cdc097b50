// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement cycle without widgets: it configures the meter for the chosen options (and in
// timer mode programs and starts the meter's timer), waits for a stable measuring voltage and
// reads at the sampling interval until Break, the end of the meter's timer or a voltage that
// never settles. What it reads goes out as events; Break comes in as a request.

#include "core/procedure_host.h"
#include "device/commands.h"

#include <QDateTime>

#include <atomic>
#include <cstdint>

namespace krx {

struct CycleOptions {
    bool timerMode = false;
    int timerSeconds = 0;    // timer mode: 1 to 600
    SetupChoice setup;       // sent at the start
    std::int32_t samplingTimeMs = 1000;
    int commandPause = 20;
};

// One pass of the reading loop, as the window shows it.
struct CycleIteration {
    int counter = 0;             // 1 for the first pass of this cycle
    bool haveReading = false;    // this cycle has read the meter's values at least once
    bool fresh = false;          // this pass brought a reading (or the timer's end): refresh the record
    bool stable = false;         // measuring voltage stable at this pass's status read
    bool timerFinished = false;  // the meter's timer has run out
    MeasuredValue value;         // the latest values of this cycle
    int volts = 0;
    QDateTime at;                // when the values were taken
    int step = 0;                // the step of a step-voltage test (from 1); 0 in the other tests
};

class CycleListener {
public:
    virtual ~CycleListener() = default;
    // Free running: the measuring-mode command, which puts the test voltage on, went out. The
    // figures' times count from here (in timer mode from TimerStarted).
    virtual void VoltageApplied() {}
    // Timer mode: the meter's timer was set and started.
    virtual void TimerStarted(int seconds) = 0;
    // The blinking "wait for stable voltage" hint.
    virtual void WaitHint(bool shown) = 0;
    // The voltage is stable (or the wait gave up): the reading labels appear.
    virtual void MeasuringStarted() = 0;
    // A pass of the reading loop begins (the test displays count them).
    virtual void PassStarted(int counter) = 0;
    virtual void Iteration(const CycleIteration& pass) = 0;
    virtual void RestTime(int seconds) = 0;
    // The meter's timer has run out; the stop went out.
    virtual void TimerFinished() = 0;
};

enum class CycleOutcome {
    Ended,               // Break or the meter's timer ended it
    NoStableVoltage,     // said to the user; no reading was taken
    NoStatusAnswer,      // the meter never answered the status request; said to the user
    ConnectionLost,      // a failed reading: the code is the transfer's
};

struct CycleResult {
    CycleOutcome outcome = CycleOutcome::Ended;
    int code = 0;
};

class MeasurementCycle {
public:
    static constexpr int kStabiliseAttempts = 200;
    static constexpr int kSetupPauseMs = 100;  // timer set-up, and each half of a stabilisation attempt
    static constexpr int kBreakStopPauseMs = 20;

    MeasurementCycle(MeterCommands& meter, ProcedureHost& host, CycleListener& listener)
        : meter_(meter), host_(host), listener_(listener)
    {
    }

    // Marks the cycle as running; called before Run, on the thread that takes Break, so that a
    // Break pressed before the procedure got going still counts.
    void Arm() { running_ = true; }
    CycleResult Run(const CycleOptions& options);
    // Any thread: ends the cycle at its next look (the end of a pass or the interval wait).
    void RequestBreak()
    {
        running_ = false;
        host_.Notify();
    }
    bool Running() const { return running_; }

    // The two stops of Break in timer mode, 20 ms apart, so that a stop the meter missed does not
    // leave its timer running.
    static void SendBreakStops(MeterCommands& meter);

protected:
    // Remote mode 6 between two pauses, reconnecting once when the meter was plugged in again.
    // `newOrigin`: the times of the readings count from here (a later phase of one test keeps them).
    void EnterFreeRunning(const CycleOptions& o, bool newOrigin = true);
    void Configure(const CycleOptions& o);
    CycleResult WaitForStableVoltage(const CycleOptions& o);
    CycleResult ReadingLoop(const CycleOptions& o);
    // One value and voltage read into `pass`; false with `lost` filled when the meter is gone.
    bool ReadValues(const CycleOptions& o, CycleIteration& pass, bool& fresh, CycleResult& lost);
    void WaitForInterval(double startTime, std::int32_t samplingTimeMs);

    MeterCommands& meter_;
    ProcedureHost& host_;
    CycleListener& listener_;
    std::atomic<bool> running_{false};
};

}  // namespace krx
