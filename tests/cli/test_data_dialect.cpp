// SPDX-License-Identifier: GPL-3.0-or-later
// The data dialect for scripts: the same numbers whatever the locale, complete lines, JSON that
// parses.
#include "core/data_dialect.h"
#include "core/memory_format.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace krx;

namespace {

class DataDialect : public ::testing::Test {
protected:
    // A locale with "," as decimal separator, as many benches have.
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    static DataRecord Reading()
    {
        DataRecord r;
        r.time = QDateTime(QDate(2026, 3, 7), QTime(9, 5, 12, 345));
        r.elapsedSeconds = 61.25;
        r.resistanceOhm = 1.23 * 1e9;  // not exact in binary: must still print as the meter's digits
        r.volts = 500;
        r.temperature = 22.5;
        r.humidity = 45;
        r.stable = true;
        return r;
    }
};

TEST_F(DataDialect, CsvUsesPointsAndLeavesOutOfRangeResistanceEmpty)
{
    EXPECT_EQ(ReadingHeader(DataFormat::Csv),
              "time,elapsed_s,resistance_ohm,range,voltage_v,temperature_c,humidity_pct,stable,rest_s\n");
    DataRecord r = Reading();
    const QByteArray line = ReadingLine(DataFormat::Csv, r);
    EXPECT_TRUE(line.endsWith(",61.250,1230000000,ok,500,22.5,45,1,\n")) << line.constData();

    r.range = RangeState::Under;
    r.stable = false;
    r.restSeconds = 0;  // 0 is a value, not an absent one
    EXPECT_TRUE(ReadingLine(DataFormat::Csv, r).endsWith(",61.250,,under,500,22.5,45,0,0\n"));
    r.range = RangeState::Over;
    EXPECT_TRUE(ReadingLine(DataFormat::Csv, r).contains(",,over,"));
}

TEST_F(DataDialect, NumbersKeepTheirDigitsAcrossTheMetersRange)
{
    EXPECT_EQ(DataNumber(1.0), "1");
    EXPECT_EQ(DataNumber(8.8e7), "88000000");
    EXPECT_EQ(DataNumber(9.99 * 1e14), "999000000000000");  // the largest the meter shows
    EXPECT_EQ(DataNumber(-4.5), "-4.5");
    EXPECT_EQ(DataNumber(0.001), "0.001");
}

// Computed values rounded on both sides of a step, never to an exponent or "-0"; a meter's value
// kept in single precision back to its characters.
TEST_F(DataDialect, ComputedValuesToTheirPrecisionAndTheMetersDigitsBack)
{
    const std::pair<QByteArray, const char*> cases[] = {
        {DataDecimals(3.375000001, 2), "3.38"},  {DataDecimals(3.374999999, 2), "3.37"},
        {DataDecimals(-0.004, 2), "0"},          {DataDigits(6272499999.0, 4), "6272000000"},
        {DataDigits(6272500001.0, 4), "6273000000"}, {DataNumber(MeterDouble(22.8f)), "22.8"},
        {DataNumber(MeterDouble(-5.3f)), "-5.3"},
    };
    for (const auto& [got, want] : cases)
        EXPECT_EQ(got, want);
}

TEST_F(DataDialect, JsonLineHasEveryFieldWithNullForTheAbsent)
{
    EXPECT_TRUE(ReadingHeader(DataFormat::Jsonl).isEmpty());
    DataRecord r = Reading();
    r.range = RangeState::Over;
    r.restSeconds = 17;
    const QByteArray line = ReadingLine(DataFormat::Jsonl, r);
    ASSERT_TRUE(line.endsWith("}\n"));
    EXPECT_EQ(line.count('\n'), 1);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line.constData();
    EXPECT_EQ(o.keys().size(), 9);
    EXPECT_TRUE(o.value("resistance_ohm").isNull());
    EXPECT_EQ(o.value("range").toString(), "over");
    EXPECT_EQ(o.value("elapsed_s").toDouble(), 61.25);
    EXPECT_EQ(o.value("rest_s").toInt(), 17);
    EXPECT_EQ(o.value("stable").toBool(), true);
    EXPECT_EQ(QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs), r.time);
}

// Under the zone the tests run in (krx_add_test sets it): the offset of each moment, on both
// sides of both changes of summer time, and back to the same instant.
TEST_F(DataDialect, TimeCarriesTheOffsetOfItsMoment)
{
    ASSERT_EQ(QTimeZone::systemTimeZoneId(), "Europe/Berlin") << "run with TZ=Europe/Berlin";
    const struct {
        QDateTime time;
        const char* text;
    } cases[] = {
        {QDateTime(QDate(2026, 3, 29), QTime(1, 59, 59, 999)), "2026-03-29T01:59:59.999+01:00"},
        {QDateTime(QDate(2026, 3, 29), QTime(3, 0)), "2026-03-29T03:00:00.000+02:00"},
        {QDateTime(QDate(2026, 10, 25), QTime(0, 59, 59), Qt::UTC), "2026-10-25T02:59:59.000+02:00"},
        {QDateTime(QDate(2026, 10, 25), QTime(1, 0), Qt::UTC), "2026-10-25T02:00:00.000+01:00"},
        {QDateTime(QDate(2026, 7, 1), QTime(23, 59, 59, 7), Qt::OffsetFromUTC, -4 * 3600), "2026-07-02T05:59:59.007+02:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DataTime(c.time), c.text);
        EXPECT_EQ(QDateTime::fromString(QString::fromLatin1(c.text), Qt::ISODateWithMs).toMSecsSinceEpoch(),
                  c.time.toMSecsSinceEpoch()) << c.text;
    }
}

TEST_F(DataDialect, MemoryRecordsComeBackFromTheLocalesSeparator)
{
    memory::OhmSlot s;
    s.date = "7.3.2026";  // the locale's form, for the spreadsheet
    s.meterDate = "07.03.2026";
    s.time = "09:41";
    s.humidity = "43";
    s.temperature = "21,8";    // as the table keeps it under this locale
    s.reading = "1,25E+12";
    s.method = "Lapse";
    s.voltage = 1000;
    s.timer = 60;
    EXPECT_EQ(OhmRecordLine(DataFormat::Csv, 2, s), "2,2026-03-07,09:41,43,21.8,1000,60,lapse,1250000000000\n");
    // A reading the meter filled with something else is no number: empty, not 0.
    s.reading = "x.xxE+ 9";
    EXPECT_TRUE(OhmRecordLine(DataFormat::Csv, 2, s).endsWith(",lapse,\n"));
    const QJsonObject o = QJsonDocument::fromJson(OhmRecordLine(DataFormat::Jsonl, 2, s)).object();
    EXPECT_TRUE(o.value("resistance_ohm").isNull());
    EXPECT_EQ(o.value("temperature_c").toDouble(), 21.8);

    memory::BreakDownSlot b;
    b.date = "12.3.2026";
    b.meterDate = "12.03.2026";
    b.time = "10:30";
    b.humidity = "44";
    b.temperature = "22,1";
    b.voltage = 1000;
    b.resistanceBefore = 1999;
    b.resistanceBeforeKOhm = 1999999;
    EXPECT_EQ(BreakDownRecordLine(DataFormat::Csv, 1, b), "1,2026-03-12,10:30,44,22.1,1000,1999999000,0,0,0,0\n");
}

// The meter's kOhm reach our own files whole, in ohm; the spreadsheet files keep the whole MOhm
// their readers know, byte for byte.
TEST_F(DataDialect, BreakDownResistancesExactInOhmWholeMOhmInTheSpreadsheet)
{
    const memory::Identity who{QStringLiteral("KRX 738"), QStringLiteral("73800042"), QStringLiteral("1.07")};
    const struct {
        std::uint32_t kOhm;
        const char* ohm;
        const char* sheetMOhm;
    } cases[] = {{999, "999000", "0"}, {1000, "1000000", "1"}, {1500, "1500000", "1"},
                 {3000000000u, "3000000000000", "3000000"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kOhm);
        BreakDownRecord r;
        r.head = {1, QStringLiteral("12.03.2026"), QStringLiteral("10:30"), QStringLiteral("44"), QStringLiteral("22.1")};
        r.breakDownVoltage = 1000;
        r.resistanceBefore = r.resistanceAfter = r.resistanceOff = c.kOhm;
        const memory::BreakDownSlot slot = memory::ToSlot(r);
        const QByteArray o = c.ohm;
        EXPECT_EQ(BreakDownRecordLine(DataFormat::Csv, 1, slot), "1,2026-03-12,10:30,44,22.1,1000," + o + "," + o + ",0," + o + ",0\n");
        const QByteArray json = BreakDownRecordLine(DataFormat::Jsonl, 1, slot);
        EXPECT_TRUE(json.contains("\"resistance_before_ohm\":" + o + ",")) << json.constData();
        const QString m = QString::fromLatin1(c.sheetMOhm);
        EXPECT_EQ(memory::BreakDownLine(who, 1, slot, {}),
                  QStringLiteral("KRX 738;\u00B473800042;\u00B41.07;1;%1;10:30;44;%2;1000;%3;%3;0;%3;0;")
                      .arg(slot.date, slot.temperature, m));
    }
}

TEST(LineWriter, FailureSticksAndNothingPretendsToBeWritten)
{
    QTemporaryDir dir;
    LineWriter missing;
    EXPECT_FALSE(missing.Create(dir.filePath("no/such/folder/x.csv")));
    EXPECT_FALSE(missing.Error().isEmpty());

    LineWriter full;
    ASSERT_TRUE(full.Create("/dev/full"));
    EXPECT_FALSE(full.Write("a,b\n"));
    EXPECT_TRUE(full.Failed());
    EXPECT_EQ(full.LinesWritten(), 0);

    LineWriter file;
    ASSERT_TRUE(file.Create(dir.filePath("x.csv")));
    EXPECT_TRUE(file.Write("1\n"));
    EXPECT_TRUE(file.Write("2\n"));
    EXPECT_EQ(file.LinesWritten(), 2);
    // Handed to the system at once: another reader sees both lines before the writer is gone.
    QFile f(dir.filePath("x.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "1\n2\n");
}

}  // namespace
