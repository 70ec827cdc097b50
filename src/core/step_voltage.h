// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The step-voltage test without widgets: one free-running measurement whose voltage rises step by
// step. Each step's setup goes out as a voltage change during a cycle does, the test waits for a
// stable voltage, reads at the sampling interval and ends the step with the first reading at or
// after the step's length from its voltage command. At the end (also after Break or a voltage
// that does not settle) the meter gets the stops and the window's own setup again, so that the
// next measurement starts as the window shows it. A meter that is gone ends it at once, as in the
// plain cycle.

#include "core/measurement_cycle.h"
#include "core/judging/step_figures.h"

#include <optional>
#include <vector>

namespace krx {

struct StepOptions {
    StepPlan plan;
    SetupChoice windowSetup;  // its display and calculation serve the steps; all of it is restored
    std::int32_t samplingTimeMs = 1000;
    int commandPause = 20;
};

class StepListener {
public:
    virtual ~StepListener() = default;
    // The step's voltage command goes out now.
    virtual void StepStarted(int step, int volts) = 0;
    virtual void StepFinished(const StepFigure& figure) = 0;
};

enum class StepEnd {
    Completed,        // every step ran its length
    Broken,           // Break
    NoStableVoltage,  // said to the user; the steps before `failedStep` are kept
    NoStatusAnswer,   // said to the user
    ConnectionLost,   // the code is the transfer's; nothing more was sent
};

struct StepRunResult {
    StepEnd end = StepEnd::Completed;
    int code = 0;
    int failedStep = 0;
    StepResult result;  // of the finished steps
};

class StepVoltageTest : public MeasurementCycle {
public:
    StepVoltageTest(MeterCommands& meter, ProcedureHost& host, CycleListener& listener, StepListener& steps)
        : MeasurementCycle(meter, host, listener), steps_(steps)
    {
    }

    // Arm() first, as for the cycle; the plan must be valid (StepPlanProblem empty).
    StepRunResult RunSteps(const StepOptions& o);

protected:
    enum class Wait { Stable, Broken, NotStable, NoAnswer, Lost };
    Wait WaitStable(int& code);
    // A step's voltage command at `volts` over the window's setup, the listener told first; when
    // it went out (counter seconds).
    double SendStepSetup(const StepOptions& o, int step, int volts);
    // The wait after a step's setup: nothing once the voltage is stable, else how the test ends
    // (`notStable` is said to the person when the voltage does not settle).
    std::optional<StepEnd> AwaitStable(int& code, const QString& notStable);
    StepEnd ReadStep(const StepOptions& o, int step, double commandAt, std::vector<DataRecord>& readings, int& code);
    void EndAtMeter(const StepOptions& o);

    StepListener& steps_;
    CycleIteration pass_;
    StatusByte status_;
    double origin_ = 0.0;
};

}  // namespace krx
