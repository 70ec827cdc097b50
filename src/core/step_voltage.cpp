// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/step_voltage.h"

#include "core/recording.h"
#include "device/clock.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <optional>

namespace krx {

StepRunResult StepVoltageTest::RunSteps(const StepOptions& o)
{
    origin_ = CounterSeconds();
    pass_ = {};
    status_ = {};
    StepRunResult run;
    std::vector<StepFigure> done;
    CycleOptions cycle;
    cycle.samplingTimeMs = o.samplingTimeMs;
    cycle.commandPause = o.commandPause;
    host_.Yield();
    EnterFreeRunning(cycle);

    const auto finish = [&](StepEnd end, bool toMeter) {
        if (toMeter)
            EndAtMeter(o);
        running_ = false;
        run.end = end;
        run.result = ComputeStepResult(done);
        return run;
    };
    const int count = static_cast<int>(o.plan.volts.size());
    for (int i = 0; i < count; ++i) {
        if (!running_)
            return finish(StepEnd::Broken, true);
        const int step = i + 1;
        const int volts = o.plan.volts[static_cast<size_t>(i)];
        const double commandAt = SendStepSetup(o, step, volts);
        int code = 0;
        const QString notStable = QCoreApplication::translate("Procedures", "Measuring voltage can not be stabilized at %1 V (step %2 of %3). "
                                                 "The step-voltage test ends; the %4 steps done are kept.")
                                      .arg(volts)
                                      .arg(step)
                                      .arg(count)
                                      .arg(i);
        if (const std::optional<StepEnd> end = AwaitStable(code, notStable)) {
            run.code = code;
            if (*end == StepEnd::NoStableVoltage)
                run.failedStep = step;
            return finish(*end, *end != StepEnd::ConnectionLost);
        }
        listener_.MeasuringStarted();

        std::vector<DataRecord> readings;
        const StepEnd end = ReadStep(o, step, commandAt, readings, code);
        if (end == StepEnd::ConnectionLost) {
            run.code = code;
            return finish(end, false);
        }
        if (end == StepEnd::Broken)
            return finish(end, true);
        done.push_back(ComputeStepFigure(step, volts, readings, commandAt - origin_, o.plan.stepSeconds));
        steps_.StepFinished(done.back());
    }
    return finish(StepEnd::Completed, true);
}

double StepVoltageTest::SendStepSetup(const StepOptions& o, int step, int volts)
{
    SetupChoice setup = o.windowSetup;
    setup.voltageFunction = 0;  // the steps are the voltages; the automatic function would choose its own
    setup.voltage = volts;
    steps_.StepStarted(step, volts);
    const double commandAt = CounterSeconds();
    meter_.WriteMeasuringSetup(setup);
    host_.Pause(o.commandPause);
    return commandAt;
}

std::optional<StepEnd> StepVoltageTest::AwaitStable(int& code, const QString& notStable)
{
    switch (WaitStable(code)) {
    case Wait::Stable: return std::nullopt;
    case Wait::Broken: return StepEnd::Broken;
    case Wait::NoAnswer: return StepEnd::NoStatusAnswer;
    case Wait::Lost: return StepEnd::ConnectionLost;
    case Wait::NotStable: break;
    }
    host_.Person().Message(notStable, QCoreApplication::translate("Procedures", "!! No stable voltage !!"), Buttons::Ok, Icon::None);
    listener_.MeasuringStarted();
    return StepEnd::NoStableVoltage;
}

StepVoltageTest::Wait StepVoltageTest::WaitStable(int& code)
{
    // As the cycle's wait, except that Break ends it at once and without the message of a voltage
    // that did not settle: the person asked for the end.
    std::optional<StatusByte> status;
    for (int attempts = 0; attempts < kStabiliseAttempts; ++attempts) {
        host_.Pause(kSetupPauseMs);
        listener_.WaitHint(true);
        host_.Yield();
        host_.Pause(kSetupPauseMs);
        listener_.WaitHint(false);
        host_.Yield();
        if (!running_)
            return Wait::Broken;
        const Result<StatusByte> read = meter_.ReadStatus();
        if (!read && read.error().code < 0) {
            code = read.error().code;
            return Wait::Lost;
        }
        if (read || read.error().Sent())
            status = read.value_or({});
        if (!status) {
            host_.Person().ShowError(QCoreApplication::translate("Procedures", "The KRX 738 did not answer the status request."));
            return Wait::NoAnswer;
        }
        if (status->Stable())
            return Wait::Stable;
    }
    return Wait::NotStable;
}

StepEnd StepVoltageTest::ReadStep(const StepOptions& o, int step, double commandAt, std::vector<DataRecord>& readings,
                                  int& code)
{
    const double end = commandAt + o.plan.stepSeconds;
    CycleOptions cycle;
    cycle.commandPause = o.commandPause;
    while (running_) {
        ++pass_.counter;
        listener_.PassStarted(pass_.counter);
        const Result<StatusByte> read = meter_.ReadStatus();
        if (read || read.error().Sent())
            status_ = read.value_or({});
        pass_.stable = status_.Stable();
        host_.Yield();
        const double startTime = CounterSeconds();
        host_.Pause(o.commandPause);
        bool fresh = read.ok();
        CycleResult lost;
        if (!ReadValues(cycle, pass_, fresh, lost)) {
            code = lost.code;
            return StepEnd::ConnectionLost;
        }
        pass_.fresh = pass_.haveReading && fresh;
        pass_.at = QDateTime::currentDateTime();
        pass_.step = step;
        const double now = CounterSeconds();
        listener_.Iteration(pass_);
        if (pass_.fresh) {
            readings.push_back(RecordFromPass(pass_, now - origin_));
            host_.Pause(o.commandPause);
        }
        host_.Yield();
        if (pass_.fresh && now >= end)
            return StepEnd::Completed;
        // The last wait of a step ends at the step's end, so that a reading closes it on time
        // (also with a sampling time longer than the step, or a negative one).
        const double untilEndMs = std::max(0.0, std::ceil((end - startTime) * 1000.0));
        const auto interval = std::min<double>(static_cast<std::uint32_t>(o.samplingTimeMs), untilEndMs);
        if (running_)
            WaitForInterval(startTime, static_cast<std::int32_t>(interval));
    }
    return StepEnd::Broken;
}

void StepVoltageTest::EndAtMeter(const StepOptions& o)
{
    host_.Pause(o.commandPause);
    SendBreakStops(meter_);
    host_.Pause(o.commandPause);
    meter_.WriteMeasuringSetup(o.windowSetup);
}

}  // namespace krx
