// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The step-voltage test's plan and figures without the meter: the steps a person may choose, the
// resistance at each step's end (interpolated as the insulation figures are, from the step's own
// readings), and the change from the lowest to the highest step with its verdict.
//
// A reading over the range gives a bound: the meter said "more than its limit", and its limit at
// that voltage is above every in-range reading it gave at that voltage, so the highest of those is
// a lower bound ("≥"). A step without a number or a bound cannot take part in the verdict.

#include "core/data_dialect.h"
#include "core/judging/insulation.h"

#include <QString>

#include <optional>
#include <vector>

namespace krx {

struct StepPlan {
    std::vector<int> volts{100, 500, 1000};
    int stepSeconds = 60;
};
constexpr int kStepSecondsMin = 30;
constexpr int kStepSecondsMax = 600;

// "100,500,1000" into volts; false with `error` set (a person's words) for anything but a rising
// choice of at least two of 10, 100, 500 and 1000.
bool ParseStepVolts(const QString& text, std::vector<int>& volts, QString* error);
// The whole plan; an empty text when it can run, else what is wrong.
QString StepPlanProblem(const StepPlan& plan);
QString StepVoltsText(const std::vector<int>& volts);  // "100,500,1000"

// One finished step.
struct StepFigure {
    int step = 0;  // from 1
    int volts = 0;
    std::optional<double> ohm;    // at the step's end; with `atLeast` a lower bound
    bool atLeast = false;
    RangeState range = RangeState::InRange;  // of the reading that decided it
    std::optional<double> meanTemperature;   // over the step's readings
    std::optional<double> ohmAt40C;          // corrected as the figures correct (also a bound)
    // How much R rose over the step's second half, in percent: absorption not yet over. Empty
    // without two values in range.
    std::optional<double> risePercent;
};

// `readings` are the step's own, in order; the step's end lies `stepSeconds` after `commandElapsed`
// on their elapsed_s scale.
StepFigure ComputeStepFigure(int step, int volts, const std::vector<DataRecord>& readings, double commandElapsed,
                             int stepSeconds);

struct StepResult {
    std::vector<StepFigure> steps;
    std::optional<double> changePercent;  // lowest to highest finished step
    // With bounds the change is only known from one side: ≥ (`changeAtLeast`) or ≤ (`changeAtMost`).
    bool changeAtLeast = false;
    bool changeAtMost = false;
    // NotEnoughData (fewer than two steps), MarkedFall, NoMarkedFall, StepsTooShort or Undecided;
    // its words are StepVerdictText's.
    Verdict verdict = Verdict::NotEnoughData;
    const StepFigure* StillRising() const;  // the step that rose most, with StepsTooShort
};

constexpr double kStepFallLimitPercent = 25.0;
// A rise larger than this over a step's second half could hide a fall near the limit: the
// absorption had not ended, and the steps are too short to compare.
constexpr double kStepStillRisingPercent = 10.0;
StepResult ComputeStepResult(std::vector<StepFigure> steps);

// "-37.0 %", "≥ -12.0 %", "≤ -40.0 %"; "not enough data" without a change. Enough decimals to
// keep the change on its side of -25 %.
QString StepChangeText(const StepResult& result);
// The verdict's words, naming the steps' voltages.
FigureVerdict StepVerdictText(const StepResult& result);

// A step-voltage test's recording (its readings carry their step) judged as the live test judges
// it: each step's voltage command at the last reading of the step before (the first at 0), the
// step length from the first step's closing reading, a last step shorter than that not finished.
struct RecordedSteps {
    StepPlan plan;
    StepResult result;
    std::vector<size_t> closing;  // index of each finished step's closing reading
};
std::optional<RecordedSteps> StepsOfRecording(const std::vector<DataRecord>& readings);

}  // namespace krx
