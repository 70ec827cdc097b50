// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A stepped procedure (the step-voltage test, a method's 10 V → 100 V phases) without widgets: the
// simulated meter on the virtual clock, an inline runner, a recorder and the test's own listener.

#include "sim_fixture.h"

#include "core/judging/insulation.h"
#include "core/procedure_runner.h"
#include "core/recording.h"
#include "device/commands.h"

#include <unistd.h>

namespace krx::test {

template <class Procedure, class Listener>
struct ProcedureBench {
    explicit ProcedureBench(sim::Scenario s) : t(std::move(s)) { meter.Connect(); }

    // Runs `run` recorded by `plan`; a run that never ends fails instead of hanging.
    template <class Run>
    auto Watched(const RecordingPlan& plan, Run run)
    {
        recorder.Begin(plan);
        test.Arm();
        ::alarm(20);
        auto r = run();
        ::alarm(0);
        recorder.Finish();
        return r;
    }

    SimSetup t;
    MeterCommands meter;
    ProcedureRunner runner{ProcedureRunner::Mode::Inline, t.dialogs};
    Listener events;
    ReadingSeries series;
    CycleRecorder recorder{events, series};
    Procedure test{meter, runner, recorder, events};
};

}  // namespace krx::test
