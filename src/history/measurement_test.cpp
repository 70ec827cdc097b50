// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/measurement_test.h"

#include "core/recording_reader.h"
#include "device/backend.h"

#include <QStringList>

#include <cmath>

namespace krx::history {

namespace {

const QString kTypedWinding = QStringLiteral("winding (typed)");

void Judge(TestRecord& t, const Judging& with)
{
    const InsulationFigures f = ComputeFigures(t.readings, with.darTimes);
    t.r15 = f.r15, t.r30 = f.r30, t.r60 = f.r60, t.r600 = f.r600;
    t.dar = f.dar, t.pi = f.pi;
    t.darTimes = with.darTimes;
    t.rampSeconds = f.ramp;
    t.nameplate = with.nameplate;
    t.insulationClass = with.nameplate && with.nameplate->cls ? ClassName(*with.nameplate->cls) : QString();
    const Judgement j = krx::Judge(f, with.darTimes, with.nameplate, with.winding);
    t.correctionTemperature = j.temperature;
    t.temperatureSource = !j.temperature ? QString() : with.winding ? kTypedWinding : AirTemperatureName();
    t.r60At40 = j.r60At40;
    t.r600At40 = j.r600At40;
    t.dewPoint = j.dewPoint;
    t.darVerdict = j.dar.text;
    t.irVerdict = j.ir.text;
    t.piVerdict = j.pi.text;
    t.irSource = j.ir.source;
    t.piSource = j.pi.source;
    t.darSource = j.dar.source;
    t.sourcesApart = true;
    QStringList sources;
    for (const FigureVerdict* v : {&j.ir, &j.pi, &j.dar})
        if (!v->source.isEmpty() && !sources.contains(v->source))
            sources << v->source;
    if (j.temperature)
        sources << CorrectionSourceText(!with.nameplate || with.nameplate->kind == AssetKind::Machine);
    t.verdictSource = sources.join(QStringLiteral("; "));
}

}  // namespace

std::optional<Nameplate> NameplateOf(const Asset& a)
{
    Nameplate p;
    if (!ParseKind(a.plateKind, p.kind))
        return std::nullopt;
    p.ratedVolts = a.ratedVolts;
    WindingType w;
    if (ParseWinding(a.windingType, w))
        p.winding = w;
    InsulationClass c;
    if (ParseClass(a.insulationClass, c))
        p.cls = c;
    return p;
}

void SetNameplate(Asset& a, const std::optional<Nameplate>& p)
{
    a.plateKind = p ? krx::KindName(p->kind) : QString();
    if (p)
        a.kind = a.plateKind;
    a.ratedVolts = p ? p->ratedVolts : std::nullopt;
    a.windingType = p && p->winding ? WindingName(*p->winding) : QString();
    if (p)
        a.insulationClass = p->cls ? ClassName(*p->cls) : QString();
}

std::optional<AssetKind> KindOf(const Asset& a)
{
    AssetKind k;
    if (ParseKind(a.plateKind, k))
        return k;
    return KindOfStoredText(a.kind);
}

QString KindText(const Asset& a)
{
    const auto k = KindOf(a);
    if (k)
        return KindLabel(*k);
    return ItemKindNames().contains(a.kind) ? krx::KindText(a.kind) : a.kind;
}

TestRecord TestFromMeasurement(const QString& assetId, const std::vector<DataRecord>& readings, bool timerMode,
                               const Judging& with)
{
    TestRecord t;
    t.assetId = assetId;
    t.kind = timerMode ? TestKind::Timer : TestKind::FreeRunning;
    t.readings = readings;
    // Marked when either the meter or the readings themselves say so.
    t.simulated = TheUsbBackend().Simulated() || AnySimulated(readings);
    if (readings.empty())
        return t;
    t.time = readings.front().time.addMSecs(-std::llround(readings.front().elapsedSeconds * 1000.0));
    t.durationSeconds = readings.back().elapsedSeconds;
    // The voltage and climate the test ran at: the last reading's, as the figures end there.
    t.volts = readings.back().volts;
    t.temperature = readings.back().temperature;
    t.humidity = readings.back().humidity;
    Judge(t, with);
    return t;
}

TestRecord TestFromMeasurement(const QString& assetId, const std::vector<DataRecord>& readings, bool timerMode,
                               std::optional<InsulationClass> cls, DarTimes darTimes)
{
    Judging with;
    with.darTimes = darTimes;
    if (cls)
        with.nameplate = Nameplate{AssetKind::Machine, std::nullopt, std::nullopt, cls};
    return TestFromMeasurement(assetId, readings, timerMode, with);
}

std::optional<double> TypedWinding(const TestRecord& t)
{
    return t.temperatureSource == kTypedWinding ? t.correctionTemperature : std::nullopt;
}

void Rejudge(TestRecord& t, const std::optional<Nameplate>& nameplate)
{
    // A step-voltage test's verdict needs no nameplate, and its readings are at several voltages.
    if (t.readings.empty() || t.kind == TestKind::StepVoltage || t.kind == TestKind::Method)
        return;
    Judge(t, {t.darTimes.value_or(DarTimes::From30To60), nameplate, TypedWinding(t)});
}

}  // namespace krx::history
