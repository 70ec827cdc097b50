// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// krx738-cli measure: live readings as records, optionally a DAR or PI test and the measurement
// filed in the test history.

#include "cli/exit_codes.h"
#include "cli/figures_text.h"
#include "cli/measurement_filer.h"
#include "cli/meter_setup.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/judging/method_result.h"
#include "core/judging/step_figures.h"

#include <functional>
#include <optional>

namespace krx::cli {

struct MeasureArgs {
    std::optional<VoltageChoice> voltage;
    std::optional<int> timerSeconds;    // timer mode, 1 to 600
    std::optional<int> calculation;     // 0 average, 1 lapse (timer mode)
    int intervalMs = 1000;
    std::optional<double> durationSeconds;
    std::optional<long long> count;
    Output output;
    // --test: end when the figure's last time is reached (unless --duration, --count or the timer
    // end it) and print the figures after the records.
    using Test = FigureTest;
    Test test = Test::None;
    // What the figures are judged by, as the window judges them: no nameplate, no IR and PI verdicts.
    std::optional<Nameplate> plate;
    std::optional<double> winding;  // --winding-temp; else the air temperature at the meter
    DarTimes darTimes = DarTimes::From30To60;
    // --test step: the step-voltage test's plan instead of a DAR or PI test.
    std::optional<StepPlan> steps;
    // --method esd|surface|volume|material: an ESD or material test instead of the cycle, judged by
    // `limits`.
    std::optional<MethodRequest> method;
    LimitLibrary limits;
    // --asset: the finished measurement is filed in the test history.
    std::optional<FilingArgs> filing;
};

int MeasureCommand(const MeasureArgs& args);
// Parses and checks measure's arguments; an empty function when only its help was printed.
std::function<int()> ParseMeasure(QCommandLineParser& p, const QStringList& rest, Globals& g);

}  // namespace krx::cli
