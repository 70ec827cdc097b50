// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/method_test_record.h"

#include "core/recording_reader.h"
#include "device/backend.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace krx::history {

namespace {

constexpr struct {
    Outcome outcome;
    const char* name;
} kOutcomes[] = {{Outcome::Meets, "meets"},
                 {Outcome::Fails, "fails"},
                 {Outcome::Undecided, "undecided"},
                 {Outcome::NotJudged, "not judged"}};

std::optional<RangeState> RangeFromName(const QString& name)
{
    for (RangeState r : {RangeState::InRange, RangeState::Over, RangeState::Under})
        if (name == QLatin1String(RangeName(r)))
            return r;
    return std::nullopt;
}

}  // namespace

QString StoredOutcomeName(Outcome outcome)
{
    for (const auto& o : kOutcomes)
        if (o.outcome == outcome)
            return QString::fromLatin1(o.name);
    return QStringLiteral("not judged");
}

Outcome OutcomeFromStoredName(const QString& name)
{
    for (const auto& o : kOutcomes)
        if (name == QLatin1String(o.name))
            return o.outcome;
    return Outcome::NotJudged;
}

TestRecord TestFromMethod(const QString& assetId, const std::vector<DataRecord>& readings, const MethodResult& result)
{
    TestRecord t;
    t.assetId = assetId;
    t.kind = TestKind::Method;
    t.readings = readings;
    t.simulated = TheUsbBackend().Simulated() || AnySimulated(readings);
    t.method = result;
    t.verdictSource = result.verdict.source;
    if (readings.empty())
        return t;
    t.time = readings.front().time.addMSecs(-std::llround(readings.front().elapsedSeconds * 1000.0));
    t.durationSeconds = readings.back().elapsedSeconds;
    // The voltage and air of the reading that stands; of the last reading when none stands.
    t.volts = result.result ? result.result->volts : readings.back().volts;
    t.temperature = result.result ? result.result->temperature : readings.back().temperature;
    t.humidity = result.result ? result.result->humidity : readings.back().humidity;
    return t;
}

QString PathJson(const std::vector<PathStep>& path)
{
    QJsonArray steps;
    for (const PathStep& s : path)
        steps.append(QJsonObject{{QStringLiteral("voltage_v"), s.volts},
                                 {QStringLiteral("at_s"), s.atSeconds},
                                 {QStringLiteral("resistance_ohm"), s.value.ohm && std::isfinite(*s.value.ohm)
                                                                        ? QJsonValue(*s.value.ohm)
                                                                        : QJsonValue()},
                                 {QStringLiteral("range"), QString::fromLatin1(RangeName(s.value.range))},
                                 {QStringLiteral("temperature_c"), s.temperature},
                                 {QStringLiteral("humidity_pct"), s.humidity}});
    return QString::fromUtf8(QJsonDocument(steps).toJson(QJsonDocument::Compact));
}

std::vector<PathStep> PathFromJson(const QString& text)
{
    std::vector<PathStep> path;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        const std::optional<RangeState> range = RangeFromName(o.value(QStringLiteral("range")).toString());
        if (!range)
            return {};  // not a path this program wrote: nothing rather than a guess
        PathStep s;
        s.volts = o.value(QStringLiteral("voltage_v")).toInt();
        s.atSeconds = o.value(QStringLiteral("at_s")).toInt();
        s.value.range = *range;
        if (o.value(QStringLiteral("resistance_ohm")).isDouble())
            s.value.ohm = o.value(QStringLiteral("resistance_ohm")).toDouble();
        s.temperature = o.value(QStringLiteral("temperature_c")).toDouble();
        s.humidity = o.value(QStringLiteral("humidity_pct")).toInt();
        path.push_back(s);
    }
    return path;
}

}  // namespace krx::history
