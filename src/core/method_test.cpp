// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/method_test.h"

#include "device/clock.h"

#include <QCoreApplication>

namespace krx {

std::vector<Phase> PlannedPhases(const MethodRequest& r)
{
    if (InfoOf(r.method).rule == VoltageRule::Chosen)
        return {{r.materialVolts, r.materialSeconds, 0.0, {}}};
    return {{10, kTenVoltReadingSeconds, 0.0, {}}, {100, kHundredVoltReadingSeconds, 0.0, {}}};
}

MethodRun MethodTest::RunMethod(const MethodRunOptions& o)
{
    origin_ = CounterSeconds();
    pass_ = {};
    status_ = {};
    MethodRun run;
    CycleOptions cycle;
    cycle.samplingTimeMs = o.samplingTimeMs;
    cycle.commandPause = o.commandPause;
    StepOptions step;
    step.windowSetup = o.userSetup;
    step.samplingTimeMs = o.samplingTimeMs;
    step.commandPause = o.commandPause;
    host_.Yield();

    const auto finish = [&](StepEnd end, bool toMeter) {
        if (toMeter)
            EndAtMeter(step);
        running_ = false;
        run.end = end;
        return run;
    };
    const std::vector<Phase> plan = PlannedPhases(o.request);
    for (size_t i = 0; i < plan.size(); ++i) {
        if (!running_)
            return finish(StepEnd::Broken, true);
        if (i > 0) {
            // The 10 V goes off as Break takes it off; the 100 V phase starts the meter afresh.
            host_.Pause(o.commandPause);
            SendBreakStops(meter_);
        }
        EnterFreeRunning(cycle, i == 0);
        Phase phase = plan[i];
        const int number = static_cast<int>(i) + 1;
        const double commandAt = SendStepSetup(step, number, phase.volts);
        phase.commandElapsed = commandAt - origin_;
        int code = 0;
        const QString notStable =
            QCoreApplication::translate("Procedures", "Measuring voltage can not be stabilized at %1 V. The test ends.").arg(phase.volts);
        if (const std::optional<StepEnd> end = AwaitStable(code, notStable)) {
            run.code = code;
            if (*end == StepEnd::NoStableVoltage)
                run.phases.push_back(phase);
            return finish(*end, *end != StepEnd::ConnectionLost);
        }
        listener_.MeasuringStarted();
        step.plan.stepSeconds = phase.readingSeconds;
        const StepEnd end = ReadStep(step, number, commandAt, phase.readings, code);
        run.phases.push_back(std::move(phase));
        if (end == StepEnd::ConnectionLost) {
            run.code = code;
            return finish(end, false);
        }
        if (end == StepEnd::Broken)
            return finish(end, true);
        if (i == 0 && plan.size() > 1) {
            const std::optional<PathStep> first = PhaseReading(run.phases.front());
            if (!first || !NeedsHundredVolts(first->value))
                break;
        }
    }
    return finish(StepEnd::Completed, true);
}

}  // namespace krx
