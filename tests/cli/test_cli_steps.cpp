// SPDX-License-Identifier: GPL-3.0-or-later
// measure --test step as text: what a person reads at the bench after the records. The figures
// themselves are the core's.
#include "cli/step_test.h"

#include <gtest/gtest.h>

using namespace krx;
using namespace krx::cli;

namespace {

StepFigure Figure(int step, int volts, std::optional<double> ohm, bool atLeast, std::optional<double> at40)
{
    StepFigure f;
    f.step = step;
    f.volts = volts;
    f.ohm = ohm;
    f.atLeast = atLeast;
    f.range = atLeast ? RangeState::Over : RangeState::InRange;
    f.meanTemperature = 22.5;
    f.ohmAt40C = at40;
    return f;
}

TEST(CliSteps, ResultAsTextNamesEachStepsOwnValues)
{
    struct Row {
        const char* what;
        std::vector<StepFigure> steps;
        std::vector<const char*> stepLines;
    };
    const Row rows[] = {
        {"broken off in step 3", {Figure(1, 100, 1.234e9, false, 5.678e9), Figure(2, 500, 2.0e12, true, 9.1e12)},
         {"step 1, 100 V: R 1.23 GΩ, at 40 C 5.68 GΩ", "step 2, 500 V: R ≥ 2 TΩ, at 40 C ≥ 9.1 TΩ"}},
        {"one step without a reading", {Figure(1, 100, std::nullopt, false, std::nullopt)},
         {"step 1, 100 V: R not enough data, at 40 C not enough data"}},
    };
    const StepPlan plan{{100, 500, 1000}, 45};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const StepResult result = ComputeStepResult(row.steps);
        const FigureVerdict verdict = StepVerdictText(result);
        QStringList want{QStringLiteral("test: step (100,500,1000 V, 45 s each)")};
        for (const char* line : row.stepLines)
            want << QString::fromUtf8(line);
        want << QStringLiteral("change from the lowest to the highest step: ") + StepChangeText(result)
             << QStringLiteral("verdict: ") + verdict.text;
        if (!verdict.source.isEmpty())
            want << QStringLiteral("source: ") + verdict.source;
        EXPECT_EQ(StepResultText(plan, result), want.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    EXPECT_EQ(StepMeasuringText(plan), QStringLiteral("step-voltage test at 100,500,1000 V, 45 s each; Ctrl-C ends"));
}

}  // namespace
