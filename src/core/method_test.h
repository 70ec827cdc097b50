// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An ESD or material test on the meter without widgets. The ESD methods follow the 10 V → 100 V
// rule: 10 V, the reading at 5 s after the voltage command; at 1.0×10^6 Ω or more the meter is
// stopped as Break stops it and started afresh at 100 V, the reading at 15 s; below it nothing is
// sent at 100 V. The material method measures at the person's voltage for the person's time. At
// the end (also after Break) the meter gets the stops and the person's own setup back.

#include "core/judging/method_result.h"
#include "core/step_voltage.h"

namespace krx {

struct MethodRunOptions {
    MethodRequest request;
    SetupChoice userSetup;  // the window's (or the meter's) setup, restored at the end
    std::int32_t samplingTimeMs = 1000;
    int commandPause = 20;
};

struct MethodRun {
    StepEnd end = StepEnd::Completed;
    int code = 0;               // ConnectionLost: the transfer's
    std::vector<Phase> phases;  // each phase run, its readings in order
};

class MethodTest : public StepVoltageTest {
public:
    using StepVoltageTest::StepVoltageTest;

    // Arm() first, as for the cycle; the request must be valid (RequestProblem empty).
    MethodRun RunMethod(const MethodRunOptions& o);
};

// The phases a request plans: {10 V, 5 s}, {100 V, 15 s} or the material's one.
std::vector<Phase> PlannedPhases(const MethodRequest& r);

}  // namespace krx
