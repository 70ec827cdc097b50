// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/step_figures.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace krx {

namespace {

bool IsMeterVoltage(int v)
{
    return v > 0 && MeterVoltage(v) == v;
}

QString VoltsProblem(const std::vector<int>& volts)
{
    if (volts.size() < 2)
        return QStringLiteral("a step-voltage test needs at least two steps");
    for (size_t i = 0; i < volts.size(); ++i) {
        if (!IsMeterVoltage(volts[i]))
            return QStringLiteral("%1 V is not a voltage of the meter (10, 100, 500 or 1000 V)").arg(volts[i]);
        if (i > 0 && volts[i] <= volts[i - 1])
            return QStringLiteral("the step voltages must rise (%1 V after %2 V)").arg(volts[i]).arg(volts[i - 1]);
    }
    return {};
}

bool Usable(const DataRecord& r)
{
    return r.range == RangeState::InRange && r.resistanceOhm > 0.0 && std::isfinite(r.resistanceOhm);
}

}  // namespace

bool ParseStepVolts(const QString& text, std::vector<int>& volts, QString* error)
{
    std::vector<int> parsed;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (!ok) {
            if (error)
                *error = QStringLiteral("\"%1\" is not a voltage in volts").arg(part.trimmed());
            return false;
        }
        parsed.push_back(v);
    }
    const QString problem = VoltsProblem(parsed);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    volts = parsed;
    return true;
}

QString StepPlanProblem(const StepPlan& plan)
{
    const QString problem = VoltsProblem(plan.volts);
    if (!problem.isEmpty())
        return problem;
    if (plan.stepSeconds < kStepSecondsMin || plan.stepSeconds > kStepSecondsMax)
        return QStringLiteral("a step lasts %1 to %2 s, not %3 s").arg(kStepSecondsMin).arg(kStepSecondsMax).arg(plan.stepSeconds);
    return {};
}

QString StepVoltsText(const std::vector<int>& volts)
{
    QStringList parts;
    for (const int v : volts)
        parts << QString::number(v);
    return parts.join(QLatin1Char(','));
}

StepFigure ComputeStepFigure(int step, int volts, const std::vector<DataRecord>& readings, double commandElapsed,
                             int stepSeconds)
{
    StepFigure f;
    f.step = step;
    f.volts = volts;
    if (readings.empty())
        return f;
    const double end = commandElapsed + stepSeconds;
    // The reading that closes the step: the first at or after its end (the last one if the run
    // stopped short, which a finished step never does).
    const auto after = std::lower_bound(readings.begin(), readings.end(), end,
                                        [](const DataRecord& r, double t) { return r.elapsedSeconds < t; });
    const DataRecord& closing = after == readings.end() ? readings.back() : *after;
    // A voltage that settled only after the step's length: its first stable reading stands for it.
    f.ohm = ResistanceAt(readings, 0, std::max(end, readings.front().elapsedSeconds)).ohm;
    if (!f.ohm) {
        const bool over = closing.range == RangeState::Over || (after != readings.begin() && after != readings.end() &&
                                                                (after - 1)->range == RangeState::Over);
        f.range = over ? RangeState::Over : closing.range;
        if (f.range == RangeState::Over) {
            double highest = 0.0;
            for (const DataRecord& r : readings)
                if (Usable(r))
                    highest = std::max(highest, r.resistanceOhm);
            if (highest > 0.0) {
                f.ohm = highest;
                f.atLeast = true;
            }
        }
    }
    double sum = 0.0;
    int n = 0;
    for (const DataRecord& r : readings) {
        if (r.elapsedSeconds > end && n > 0)
            break;
        sum += r.temperature;
        ++n;
    }
    f.meanTemperature = sum / n;
    if (f.ohm)
        f.ohmAt40C = CorrectedResistance(*f.ohm, *f.meanTemperature, kBase40C);
    if (f.ohm && !f.atLeast) {
        const TimedResistance middle = ResistanceAt(readings, 0, end - stepSeconds / 2.0);
        if (middle.ohm)
            f.risePercent = (*f.ohm / *middle.ohm - 1.0) * 100.0;
    }
    return f;
}

StepResult ComputeStepResult(std::vector<StepFigure> steps)
{
    StepResult r;
    r.steps = std::move(steps);
    if (r.steps.size() < 2)
        return r;
    const StepFigure& low = r.steps.front();
    const StepFigure& high = r.steps.back();
    if (!low.ohm || !high.ohm) {
        r.verdict = Verdict::Undecided;
        return r;
    }
    const double change = (*high.ohm - *low.ohm) / *low.ohm * 100.0;
    const bool fall = change < -kStepFallLimitPercent;
    if (low.atLeast && high.atLeast) {
        r.verdict = Verdict::Undecided;
        return r;
    }
    r.changePercent = change;
    if (high.atLeast) {
        // The true change is at least this: only "no marked fall" can be said for sure.
        r.changeAtLeast = true;
        r.verdict = fall ? Verdict::Undecided : Verdict::NoMarkedFall;
    } else if (low.atLeast) {
        // The true change is at most this: only a marked fall can be said for sure.
        r.changeAtMost = true;
        r.verdict = fall ? Verdict::MarkedFall : Verdict::Undecided;
    } else {
        r.verdict = fall ? Verdict::MarkedFall : Verdict::NoMarkedFall;
    }
    // A fall seen while R still rose is a fall all the same; no fall says nothing then.
    if (r.verdict == Verdict::NoMarkedFall && r.StillRising())
        r.verdict = Verdict::StepsTooShort;
    return r;
}

const StepFigure* StepResult::StillRising() const
{
    const StepFigure* most = nullptr;
    for (const StepFigure& f : steps)
        if (f.risePercent && *f.risePercent > kStepStillRisingPercent && (!most || *f.risePercent > *most->risePercent))
            most = &f;
    return most;
}

FigureVerdict StepVerdictText(const StepResult& r)
{
    const QString span = r.steps.size() >= 2 ? QStringLiteral("between %1 V and %2 V")
                                                    .arg(r.steps.front().volts)
                                                    .arg(r.steps.back().volts)
                                              : QString();
    switch (r.verdict) {
    case Verdict::MarkedFall:
        return {r.verdict,
                QStringLiteral("falls by more than 25 % %1: points to moisture, contamination or cracks").arg(span),
                StepSourceText()};
    case Verdict::NoMarkedFall:
        return {r.verdict,
                QStringLiteral("no fall of more than 25 % %1; this cannot rule out cracks or other faults that show "
                               "only at a higher voltage")
                    .arg(span),
                StepSourceText()};
    case Verdict::StepsTooShort: {
        const StepFigure* rising = r.StillRising();
        return {r.verdict,
                QStringLiteral("steps too short to compare: R still rose by %1 % over the second half of the %2 V "
                               "step (absorption not over); longer steps are needed")
                    .arg(*rising->risePercent, 0, 'f', 1)
                    .arg(rising->volts),
                StepSourceText()};
    }
    case Verdict::Undecided:
        return {r.verdict, QStringLiteral("cannot be decided: a reading out of the meter's range leaves the fall open"),
                StepSourceText()};
    default: break;
    }
    return {Verdict::NotEnoughData, NotEnoughDataText(), QString()};
}

std::optional<RecordedSteps> StepsOfRecording(const std::vector<DataRecord>& readings)
{
    if (readings.empty() || !readings.front().step)
        return std::nullopt;
    // The readings of each step, in order.
    std::vector<std::pair<size_t, size_t>> groups;  // first, one past the last
    for (size_t i = 0; i < readings.size(); ++i)
        if (groups.empty() || readings[i].step != readings[groups.back().first].step)
            groups.push_back({i, i + 1});
        else
            groups.back().second = i + 1;
    RecordedSteps out;
    out.plan.volts.clear();
    for (const auto& [first, last] : groups)
        out.plan.volts.push_back(MeterVoltage(readings[first].volts));
    // The first step closed at the first reading at or after its length from elapsed 0.
    out.plan.stepSeconds = std::clamp(static_cast<int>(std::floor(readings[groups[0].second - 1].elapsedSeconds)),
                                      kStepSecondsMin, kStepSecondsMax);
    std::vector<StepFigure> done;
    double command = 0.0;
    for (size_t k = 0; k < groups.size(); ++k) {
        const auto [first, last] = groups[k];
        const std::vector<DataRecord> own(readings.begin() + static_cast<std::ptrdiff_t>(first),
                                          readings.begin() + static_cast<std::ptrdiff_t>(last));
        if (own.back().elapsedSeconds < command + out.plan.stepSeconds)
            break;  // broken off: the live test keeps no figure of it either
        done.push_back(ComputeStepFigure(static_cast<int>(k) + 1, out.plan.volts[k], own, command, out.plan.stepSeconds));
        out.closing.push_back(last - 1);
        command = own.back().elapsedSeconds;
    }
    out.result = ComputeStepResult(std::move(done));
    return out;
}

QString StepChangeText(const StepResult& r)
{
    if (!r.changePercent)
        return NotEnoughDataText();
    const QString sign = r.changeAtLeast ? QStringLiteral("≥ ") : r.changeAtMost ? QStringLiteral("≤ ") : QString();
    return sign + QStringLiteral("%1 %").arg(FixedToTell(*r.changePercent, 1, {{-kStepFallLimitPercent, true}}));
}

}  // namespace krx
