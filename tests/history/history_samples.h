// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tests of the history: a test with every field filled, a memory record, and the comparisons.

#include "history/history_store.h"

#include <gtest/gtest.h>

namespace krx::history::samples {

inline TestRecord FullTest(const QString& asset, int readings)
{
    TestRecord t;
    t.assetId = asset;
    t.kind = TestKind::Timer;
    t.time = QDateTime(QDate(2025, 3, 7), QTime(9, 5, 12, 345), Qt::OffsetFromUTC, 3600);
    t.volts = 1000;
    t.durationSeconds = 600.5;
    t.temperature = 23.4;
    t.humidity = 41;
    t.r15 = 1.25e9, t.r30 = 2.5e9, t.r60 = 4.75e9, t.r600 = 1.0123456789e10;
    t.dar = 1.9, t.pi = 2.13;
    t.r60At40 = 1.5e10, t.r600At40 = 3.1e10, t.correctionTemperature = 23.4;
    t.darVerdict = QStringLiteral("excellent");
    t.piVerdict = QStringLiteral("pass");
    t.insulationClass = QStringLiteral("F");
    t.verdictSource = QStringLiteral("IEEE 43-2013, class F");
    t.irVerdict = QStringLiteral("IR 1 min at 40 °C meets the minimum of 100 MΩ");
    t.nameplate = Nameplate{AssetKind::Machine, 6600.0, WindingType::Form, InsulationClass::F};
    t.rampSeconds = 3.4, t.darTimes = DarTimes::From30To60, t.dewPoint = 9.26;
    t.temperatureSource = QStringLiteral("winding (typed)");
    t.comment = QStringLiteral("after \"drying\"; 2nd try, 😀 ünïcode\nline two");
    t.operatorName = QStringLiteral("O'Neill");
    t.meterSerial = QStringLiteral("12345");
    t.meterSoftware = QStringLiteral("1.07");
    t.breakDown = BreakDownFigures{1000, 4e12, 3000, 0, 65, 7, false, 30};
    t.irSource = QStringLiteral("ir source"), t.piSource = QStringLiteral("pi source");
    t.darSource = QStringLiteral("dar source");
    t.sourcesApart = true;
    t.memoryReading = MemoryReading{4.7e9, 60, QStringLiteral("average")};
    t.simulated = true;
    for (int i = 0; i < readings; ++i) {
        DataRecord r;
        r.time = t.time.addMSecs(i * 1000 + 7);
        r.elapsedSeconds = i + 0.007;
        r.range = i == 1 ? RangeState::Under : i == 2 ? RangeState::Over : RangeState::InRange;
        r.resistanceOhm = r.range == RangeState::InRange ? 1e9 * (1 + i / 7.0) : 0.0;
        r.volts = 1000 - (i % 3);
        r.temperature = 23.4 + i * 0.01;
        r.humidity = 41 + i % 2;
        r.stable = i > 3;
        if (i % 2)
            r.restSeconds = 600 - i;
        t.readings.push_back(r);
    }
    return t;
}

// A packaging sheet's surface resistance, filed: 10 V read 2.35 MΩ (1 MΩ or more), 100 V read
// 4.60×10^8 Ω, judged dissipative; every field of such a test filled, each with its own number.
inline TestRecord MethodTest(const QString& asset)
{
    TestRecord t;
    t.assetId = asset;
    t.kind = TestKind::Method;
    t.time = QDateTime(QDate(2026, 2, 11), QTime(14, 20, 5), Qt::OffsetFromUTC, 3600);
    t.volts = 100;
    t.durationSeconds = 21.25;
    t.temperature = 22.75;
    t.humidity = 14;
    t.simulated = true;
    MethodResult m;
    m.request.method = Method::Surface;
    m.request.measurement = Measurement::Rs;
    m.request.itemKind = QStringLiteral("packaging");
    m.request.limitSet = QStringLiteral("s20.20-2021");
    m.request.geometry.d1Mm = 30.48, m.request.geometry.d2Mm = 57.15;
    m.request.qualification = true;
    m.request.conditioningHours = 48.5;
    m.path = {{10, 5, {RangeState::InRange, 2.35e6}, 22.5, 13}, {100, 15, {RangeState::InRange, 4.6e8}, 22.75, 14}};
    m.complete = true;
    m.result = m.path.back();
    m.resistivity = Resistivity{false, 4.747e9, 10.3196, QStringLiteral("ρs = Rs·π(D1+g)/g"), QStringLiteral("Ω"),
                                false, false};
    m.classification = QStringLiteral("dissipative");
    m.classificationSource = QStringLiteral("class source");
    m.verdict = {Outcome::Meets, QStringLiteral("Rs meets"), QStringLiteral("limit source"),
                 QStringLiteral("packaging, Rs ≥ 1.0×10^4 Ω"), 1.0e4, 1.0e11};
    m.qualificationFlag = QStringLiteral("inside the window");
    t.method = m;
    t.verdictSource = m.verdict.source;
    return t;
}

inline void ExpectSameMethod(const std::optional<MethodResult>& a, const std::optional<MethodResult>& b)
{
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a)
        return;
    EXPECT_EQ(a->request.method, b->request.method);
    EXPECT_EQ(a->request.measurement, b->request.measurement);
    EXPECT_EQ(a->request.itemKind, b->request.itemKind);
    EXPECT_EQ(a->request.limitSet, b->request.limitSet);
    for (auto f : {&Geometry::d1Mm, &Geometry::d2Mm, &Geometry::gapMm, &Geometry::thicknessMm, &Geometry::factor})
        EXPECT_EQ(a->request.geometry.*f, b->request.geometry.*f);
    EXPECT_EQ(a->request.qualification, b->request.qualification);
    EXPECT_EQ(a->request.conditioningHours, b->request.conditioningHours);
    ASSERT_EQ(a->path.size(), b->path.size());
    for (size_t i = 0; i < a->path.size(); ++i) {
        EXPECT_EQ(a->path[i].volts, b->path[i].volts);
        EXPECT_EQ(a->path[i].atSeconds, b->path[i].atSeconds);
        EXPECT_EQ(a->path[i].value.range, b->path[i].value.range);
        EXPECT_EQ(a->path[i].value.ohm, b->path[i].value.ohm);
        EXPECT_EQ(a->path[i].temperature, b->path[i].temperature);
        EXPECT_EQ(a->path[i].humidity, b->path[i].humidity);
    }
    EXPECT_EQ(a->complete, b->complete);
    ASSERT_EQ(a->result.has_value(), b->result.has_value());
    if (a->result) {
        EXPECT_EQ(a->result->volts, b->result->volts);
        EXPECT_EQ(a->result->value.ohm, b->result->value.ohm);
        EXPECT_EQ(a->result->value.range, b->result->value.range);
    }
    ASSERT_EQ(a->resistivity.has_value(), b->resistivity.has_value());
    if (a->resistivity) {
        EXPECT_EQ(a->resistivity->volume, b->resistivity->volume);
        EXPECT_EQ(a->resistivity->value, b->resistivity->value);
        EXPECT_EQ(a->resistivity->factor, b->resistivity->factor);
        EXPECT_EQ(a->resistivity->formula, b->resistivity->formula);
        EXPECT_EQ(a->resistivity->unit, b->resistivity->unit);
        EXPECT_EQ(a->resistivity->atLeast, b->resistivity->atLeast);
        EXPECT_EQ(a->resistivity->atMost, b->resistivity->atMost);
    }
    EXPECT_EQ(a->classification, b->classification);
    EXPECT_EQ(a->classificationSource, b->classificationSource);
    EXPECT_EQ(a->verdict.outcome, b->verdict.outcome);
    EXPECT_EQ(a->verdict.text, b->verdict.text);
    EXPECT_EQ(a->verdict.source, b->verdict.source);
    EXPECT_EQ(a->verdict.row, b->verdict.row);
    EXPECT_EQ(a->verdict.lowerOhm, b->verdict.lowerOhm);
    EXPECT_EQ(a->verdict.upperOhm, b->verdict.upperOhm);
    EXPECT_EQ(a->qualificationFlag, b->qualificationFlag);
}

inline void ExpectSameReadings(const std::vector<DataRecord>& a, const std::vector<DataRecord>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a[i].time, b[i].time);
        EXPECT_NEAR(a[i].elapsedSeconds, b[i].elapsedSeconds, 1e-9);
        EXPECT_EQ(a[i].range, b[i].range);
        // The series keeps the recording file's 15 significant digits.
        EXPECT_NEAR(a[i].resistanceOhm, b[i].resistanceOhm, a[i].resistanceOhm * 1e-14);
        EXPECT_EQ(a[i].volts, b[i].volts);
        EXPECT_NEAR(a[i].temperature, b[i].temperature, 1e-12);
        EXPECT_EQ(a[i].humidity, b[i].humidity);
        EXPECT_EQ(a[i].stable, b[i].stable);
        EXPECT_EQ(a[i].restSeconds, b[i].restSeconds);
        EXPECT_EQ(a[i].simulated, b[i].simulated);
    }
}

inline void ExpectSameTest(const TestRecord& a, const TestRecord& b)
{
    EXPECT_EQ(a.assetId, b.assetId);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.time, b.time);
    EXPECT_EQ(a.time.offsetFromUtc(), b.time.offsetFromUtc());
    EXPECT_EQ(a.volts, b.volts);
    for (auto f : {&TestRecord::durationSeconds, &TestRecord::temperature, &TestRecord::humidity, &TestRecord::r15,
                   &TestRecord::r30, &TestRecord::r60, &TestRecord::r600, &TestRecord::dar, &TestRecord::pi,
                   &TestRecord::r60At40, &TestRecord::r600At40, &TestRecord::correctionTemperature,
                   &TestRecord::rampSeconds, &TestRecord::dewPoint})
        EXPECT_EQ(a.*f, b.*f);
    EXPECT_EQ(a.darTimes, b.darTimes);
    EXPECT_EQ(NameplateText(a.nameplate), NameplateText(b.nameplate));
    for (auto f : {&TestRecord::insulationClass, &TestRecord::darVerdict, &TestRecord::piVerdict, &TestRecord::verdictSource, &TestRecord::comment,
                   &TestRecord::operatorName, &TestRecord::meterSerial, &TestRecord::meterSoftware,
                   &TestRecord::irVerdict, &TestRecord::temperatureSource, &TestRecord::irSource,
                   &TestRecord::piSource, &TestRecord::darSource})
        EXPECT_EQ(a.*f, b.*f);
    EXPECT_EQ(a.simulated, b.simulated);
    EXPECT_EQ(a.sourcesApart, b.sourcesApart);
    ExpectSameMethod(a.method, b.method);
    ASSERT_EQ(a.memoryReading.has_value(), b.memoryReading.has_value());
    if (a.memoryReading) {
        EXPECT_EQ(a.memoryReading->ohm, b.memoryReading->ohm);
        EXPECT_EQ(a.memoryReading->timerSeconds, b.memoryReading->timerSeconds);
        EXPECT_EQ(a.memoryReading->method, b.memoryReading->method);
    }
    ASSERT_EQ(a.breakDown.has_value(), b.breakDown.has_value());
    if (a.breakDown) {
        EXPECT_EQ(a.breakDown->volts, b.breakDown->volts);
        EXPECT_EQ(a.breakDown->resistanceBeforeOhm, b.breakDown->resistanceBeforeOhm);
        EXPECT_EQ(a.breakDown->resistanceAfterOhm, b.breakDown->resistanceAfterOhm);
        EXPECT_EQ(a.breakDown->resistanceOffOhm, b.breakDown->resistanceOffOhm);
        EXPECT_EQ(a.breakDown->wholeMOhmOnly, b.breakDown->wholeMOhmOnly);
        EXPECT_EQ(a.breakDown->cycleTimeSeconds, b.breakDown->cycleTimeSeconds);
        EXPECT_EQ(a.breakDown->timerOffSeconds, b.breakDown->timerOffSeconds);
        EXPECT_EQ(a.breakDown->breakDownTimerSeconds, b.breakDown->breakDownTimerSeconds);
    }
}

inline OhmRecord Ohm(const QString& date, const QString& mantissa)
{
    OhmRecord r;
    r.head = {7, date, QStringLiteral("10:42"), QStringLiteral("45"), QStringLiteral("21.5")};
    r.voltage = 500;
    r.timer = 60;
    r.mantissa = mantissa;
    r.exponent = QStringLiteral("09");
    r.calculation = 1;  // lapse: the reading at the end of the timer
    return r;
}

}  // namespace krx::history::samples
