// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/method_result.h"

#include "core/judging/conditions.h"

#include <QStringList>

#include <algorithm>

namespace krx {

namespace {
constexpr double kSlackSeconds = 1e-6;
}

QString RequestProblem(const MethodRequest& r, const LimitLibrary& limits)
{
    if (r.method == Method::Insulation)
        return {};
    if (!MethodTakes(r.method, r.measurement))
        return QStringLiteral("the %1 method does not measure %2").arg(QLatin1String(InfoOf(r.method).name),
                                                                        MeasurementName(r.measurement));
    if (r.method == Method::Esd && r.geometry.Any())
        return QStringLiteral("electrode sizes give a resistivity of a material: use --method surface, volume or material");
    if (const QString g = GeometryProblem(r.geometry); !g.isEmpty())
        return g;
    if (r.method == Method::Surface && (r.geometry.Volume() || (r.geometry.gapMm || r.geometry.thicknessMm)))
        return QStringLiteral("the surface method takes D1 and D2; the gap and thickness are for volume");
    if (r.method == Method::Volume && r.geometry.d2Mm)
        return QStringLiteral("the volume method takes D1, the gap and the thickness; D2 is for surface");
    if (r.method == Method::Material) {
        if (r.materialVolts != 10 && r.materialVolts != 100 && r.materialVolts != 500 && r.materialVolts != 1000)
            return QStringLiteral("the material method's voltage is 10, 100, 500 or 1000 V");
        if (r.materialSeconds < 1 || r.materialSeconds > 3600)
            return QStringLiteral("the material method's duration is 1 to 3600 seconds");
    }
    if (!r.limitSet.isEmpty()) {
        const LimitSet* set = limits.Find(r.limitSet);
        if (!set)
            return QStringLiteral("no limit set '%1' (there are: %2)").arg(r.limitSet, limits.Ids().join(QStringLiteral(", ")));
        if (r.itemKind.isEmpty())
            return QStringLiteral("a limit set judges an item kind: give the kind too");
    }
    if (r.conditioningHours && !(*r.conditioningHours >= 0.0))
        return QStringLiteral("the conditioning time is hours, 0 or more");
    return {};
}

std::optional<PathStep> PhaseReading(const Phase& phase)
{
    if (phase.readings.empty())
        return std::nullopt;
    const DataRecord& last = phase.readings.back();
    if (last.elapsedSeconds - phase.commandElapsed < phase.readingSeconds - kSlackSeconds)
        return std::nullopt;
    PathStep s;
    s.volts = phase.volts;
    s.atSeconds = phase.readingSeconds;
    s.temperature = last.temperature;
    s.humidity = last.humidity;
    s.value.range = last.range;
    if (last.range == RangeState::InRange) {
        s.value.ohm = last.resistanceOhm;
        return s;
    }
    // The phase's in-range readings bound one that is out of range.
    for (const DataRecord& d : phase.readings) {
        if (d.range != RangeState::InRange)
            continue;
        if (!s.value.ohm || (last.range == RangeState::Over ? d.resistanceOhm > *s.value.ohm
                                                            : d.resistanceOhm < *s.value.ohm))
            s.value.ohm = d.resistanceOhm;
    }
    return s;
}

bool NeedsHundredVolts(const ReadingValue& v)
{
    if (v.range == RangeState::Over)
        return true;
    return v.range == RangeState::InRange && v.ohm && *v.ohm >= kSwitchToHundredOhm;
}

std::vector<Phase> PhasesFromRecording(const std::vector<DataRecord>& readings, const MethodRequest& request)
{
    std::vector<Phase> phases;
    const bool material = request.method == Method::Material;
    for (const DataRecord& d : readings) {
        const size_t index = static_cast<size_t>(std::max(1, d.step.value_or(1)) - 1);
        if (index > 1 || (material && index > 0))
            continue;
        while (phases.size() <= index) {
            Phase p;
            p.volts = material ? request.materialVolts : phases.empty() ? 10 : 100;
            p.readingSeconds = material ? request.materialSeconds
                               : phases.empty() ? kTenVoltReadingSeconds
                                                : kHundredVoltReadingSeconds;
            // The command of a later phase follows the last reading of the one before by the
            // stops' pauses: taking it at that reading errs early, never late.
            p.commandElapsed = phases.empty() ? 0.0 : phases.back().readings.empty() ? 0.0
                                                                                      : phases.back().readings.back().elapsedSeconds;
            phases.push_back(p);
        }
        phases[index].readings.push_back(d);
    }
    return phases;
}

MethodResult JudgeMethod(const MethodRequest& request, const std::vector<Phase>& phases, const LimitLibrary& limits)
{
    MethodResult r;
    r.request = request;
    for (const Phase& p : phases) {
        const std::optional<PathStep> s = PhaseReading(p);
        if (!s)
            break;
        r.path.push_back(*s);
    }
    const bool twoPhases = InfoOf(request.method).rule == VoltageRule::TenThenHundred;
    r.complete = !r.path.empty() && r.path.size() == phases.size() &&
                 (!twoPhases || r.path.size() == 2 || !NeedsHundredVolts(r.path.front().value));
    if (!r.complete) {
        r.verdict.text = r.path.empty() ? QStringLiteral("ended before the first reading was due: not judged")
                                        : QStringLiteral("ended before the 100 V reading was due: not judged");
        return r;
    }
    r.result = r.path.back();
    r.qualificationFlag = QualificationFlag(request.qualification, r.result->temperature, r.result->humidity);
    switch (request.method) {
    case Method::Esd: JudgeEsdItem(r, limits); break;
    case Method::Surface: JudgeSurface(r, limits); break;
    case Method::Volume: JudgeVolume(r, limits); break;
    case Method::Material: JudgeMaterial(r, limits); break;
    case Method::Insulation: break;
    }
    return r;
}

LimitVerdict JudgeByLimits(const MethodResult& r, const LimitLibrary& limits)
{
    LimitVerdict j;
    const MethodRequest& q = r.request;
    if (q.limitSet.isEmpty()) {
        j.text = QStringLiteral("no limit set chosen: not judged");
        return j;
    }
    const LimitSet* set = limits.Find(q.limitSet);
    // A qualification test in its air is judged by the set's qualification row where it has one;
    // otherwise, and taken outside that air, as compliance verification (the verdict names which).
    const bool qualifies = q.qualification && r.qualificationFlag.isEmpty();
    const LimitRow* row =
        set && qualifies ? set->Row(q.itemKind, q.measurement, QString::fromLatin1(kProductQualification)) : nullptr;
    if (set && !row)
        row = set->Row(q.itemKind, q.measurement, QString::fromLatin1(kComplianceVerification));
    if (!row) {
        j.text = QStringLiteral("%1 has no %2 limit for %3: not judged")
                     .arg(set ? set->source : q.limitSet, MeasurementName(q.measurement), KindText(q.itemKind));
        return j;
    }
    return JudgeByRow(q.measurement, r.result->value, *set, *row);
}

void TakeResistivity(MethodResult& r, bool volume)
{
    std::optional<Resistivity> rho = ResistivityFactor(r.request.geometry, volume);
    const ReadingValue& v = r.result->value;
    if (!rho || !v.ohm)
        return;
    rho->value = *v.ohm * rho->factor;
    rho->atLeast = v.range == RangeState::Over;
    rho->atMost = v.range == RangeState::Under;
    r.resistivity = rho;
}

QString PathText(const MethodResult& r)
{
    QStringList steps;
    const bool rule = InfoOf(r.request.method).rule == VoltageRule::TenThenHundred;
    for (size_t i = 0; i < r.path.size(); ++i) {
        const PathStep& s = r.path[i];
        QString step = QStringLiteral("%1 V: %2 at %3 s").arg(s.volts).arg(ReadingText(s.value)).arg(s.atSeconds);
        if (rule && i == 0)
            step += NeedsHundredVolts(s.value) ? QStringLiteral(" (1 MΩ or more)") : QStringLiteral(" (below 1 MΩ)");
        steps << step;
    }
    return steps.join(QStringLiteral(" → "));
}

QString ResultTitle(const MethodResult& r)
{
    QStringList parts{QString::fromUtf8(InfoOf(r.request.method).title), MeasurementName(r.request.measurement)};
    if (!r.request.itemKind.isEmpty())
        parts << KindText(r.request.itemKind);
    return parts.join(QStringLiteral(", "));
}

}  // namespace krx
