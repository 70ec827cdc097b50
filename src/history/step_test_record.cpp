// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/step_test_record.h"

#include "core/recording_reader.h"
#include "device/backend.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace krx::history {

namespace {

QJsonValue Number(const std::optional<double>& v)
{
    return v && std::isfinite(*v) ? QJsonValue(*v) : QJsonValue();
}

std::optional<double> NumberOf(const QJsonValue& v)
{
    return v.isDouble() ? std::optional<double>(v.toDouble()) : std::nullopt;
}

}  // namespace

TestRecord TestFromSteps(const QString& assetId, const std::vector<DataRecord>& readings, const StepPlan& plan,
                         const StepResult& result)
{
    TestRecord t;
    t.assetId = assetId;
    t.kind = TestKind::StepVoltage;
    t.readings = readings;
    // Marked when either the meter or the readings themselves say so.
    t.simulated = TheUsbBackend().Simulated() || AnySimulated(readings);
    StepSummary s;
    s.stepSeconds = plan.stepSeconds;
    s.plannedVolts = plan.volts;
    s.steps = result.steps;
    s.changePercent = result.changePercent;
    s.changeBound = result.changeAtLeast ? QStringLiteral("at_least")
                    : result.changeAtMost ? QStringLiteral("at_most")
                                          : QString();
    s.changeText = StepChangeText(result);
    const FigureVerdict v = StepVerdictText(result);
    s.verdict = v.text;
    t.verdictSource = v.source;
    t.steps = s;
    if (readings.empty())
        return t;
    t.time = readings.front().time.addMSecs(-std::llround(readings.front().elapsedSeconds * 1000.0));
    t.durationSeconds = readings.back().elapsedSeconds;
    // The highest voltage the run reached; the steps hold each one.
    t.volts = result.steps.empty() ? readings.back().volts : result.steps.back().volts;
    t.temperature = readings.back().temperature;
    t.humidity = readings.back().humidity;
    return t;
}

QString StepsText(const StepSummary& s)
{
    QJsonArray steps;
    for (const StepFigure& f : s.steps)
        steps.append(QJsonObject{{QStringLiteral("step"), f.step},
                                 {QStringLiteral("volts"), f.volts},
                                 {QStringLiteral("ohm"), Number(f.ohm)},
                                 {QStringLiteral("at_least"), f.atLeast},
                                 {QStringLiteral("range"), QString::fromLatin1(RangeName(f.range))},
                                 {QStringLiteral("temperature_c"), Number(f.meanTemperature)},
                                 {QStringLiteral("ohm_40c"), Number(f.ohmAt40C)}});
    QJsonArray planned;
    for (const int v : s.plannedVolts)
        planned.append(v);
    const QJsonObject o{{QStringLiteral("step_seconds"), s.stepSeconds},
                        {QStringLiteral("planned_volts"), planned},
                        {QStringLiteral("steps"), steps},
                        {QStringLiteral("change_pct"), Number(s.changePercent)},
                        {QStringLiteral("change_bound"), s.changeBound},
                        {QStringLiteral("change"), s.changeText},
                        {QStringLiteral("verdict"), s.verdict}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

std::optional<StepSummary> StepsFromText(const QString& text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    StepSummary s;
    s.stepSeconds = o.value(QStringLiteral("step_seconds")).toInt();
    for (const QJsonValue& v : o.value(QStringLiteral("planned_volts")).toArray())
        s.plannedVolts.push_back(v.toInt());
    for (const QJsonValue& v : o.value(QStringLiteral("steps")).toArray()) {
        const QJsonObject j = v.toObject();
        StepFigure f;
        f.step = j.value(QStringLiteral("step")).toInt();
        f.volts = j.value(QStringLiteral("volts")).toInt();
        f.ohm = NumberOf(j.value(QStringLiteral("ohm")));
        f.atLeast = j.value(QStringLiteral("at_least")).toBool();
        const QByteArray range = j.value(QStringLiteral("range")).toString().toLatin1();
        for (const RangeState r : {RangeState::InRange, RangeState::Over, RangeState::Under})
            if (range == RangeName(r))
                f.range = r;
        f.meanTemperature = NumberOf(j.value(QStringLiteral("temperature_c")));
        f.ohmAt40C = NumberOf(j.value(QStringLiteral("ohm_40c")));
        s.steps.push_back(f);
    }
    s.changePercent = NumberOf(o.value(QStringLiteral("change_pct")));
    s.changeBound = o.value(QStringLiteral("change_bound")).toString();
    s.changeText = o.value(QStringLiteral("change")).toString();
    s.verdict = o.value(QStringLiteral("verdict")).toString();
    return s;
}

QString StepChangeLine(const StepSummary& s)
{
    const QString span = s.steps.size() >= 2
                             ? QStringLiteral(" from %1 V to %2 V").arg(s.steps.front().volts).arg(s.steps.back().volts)
                             : QString();
    return QStringLiteral("change %1%2: %3").arg(s.changeText, span, s.verdict);
}

}  // namespace krx::history
