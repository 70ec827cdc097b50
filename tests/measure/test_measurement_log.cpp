// The measurement log's record and line, byte for byte as the file holds them.
#include "measure/measurement_log.h"

#include "common/csv_appender.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;

namespace {
struct LocaleScope {
    explicit LocaleScope(QLocale l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

const QDateTime kReadingTime(QDate(2024, 1, 2), QTime(9, 5, 7));
const QDateTime kSaveTime(QDate(2024, 11, 30), QTime(17, 45, 59));

ReadingInput Reading()
{
    ReadingInput in;
    in.deviceName = QStringLiteral("KRX 738");
    in.serialNo = QStringLiteral("73800042");
    in.swVersion = QStringLiteral("1.07");
    in.valueText = QStringLiteral("1,23E+05");
    in.humidity = 45;
    in.temperature = 23.5;
    in.rangeFlag = 0;
    in.volts = 500;
    in.timerSeconds = 10;
    in.calculation = QStringLiteral("Ave.");
    return in;
}
}  // namespace

TEST(MeasurementLog, HeaderBytes)
{
    EXPECT_EQ(EncodeLine(QString::fromLatin1(MeasurementLogHeader)),
              QByteArray("Type;Ser. No.;Date;Time;Sw.Ver.;Resis.(Ohm);Humi.(%);Temp.(GC);Volt (V);Overf.;"
                         "Timer(Sec);MeasCalc;Comment"));
}

TEST(MeasurementLog, RecordLineInCommaLocaleWithSaveTime)
{
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    MeasurementRecord r;
    r.comment = QStringLiteral("old");
    RefreshRecord(r, Reading(), kReadingTime);
    EXPECT_EQ(r.date, QStringLiteral("02.01.24"));
    EXPECT_EQ(r.time, QStringLiteral("09:05:07"));
    EXPECT_EQ(r.comment, QStringLiteral("old"));  // a reading does not touch the last comment

    StampSave(r, kSaveTime, QStringLiteral("caf\u00e9 \u20ac"));
    EXPECT_EQ(EncodeLine(MeasurementLogLine(r)),
              QByteArray("KRX 738;`73800042;30.11.24;17:45:59;`1.07;1,23E+05;45;23,5;500;0;10;Ave.;caf\xE9 \x80"));
}

TEST(MeasurementLog, OverflowFreeRunningAndSemicolonComment)
{
    LocaleScope c(QLocale::c());
    ReadingInput in = Reading();
    in.valueText = QStringLiteral("0");
    in.rangeFlag = 1;
    in.temperature = 22.25;
    in.timerSeconds = 0;
    in.calculation.clear();
    MeasurementRecord r;
    RefreshRecord(r, in, kReadingTime);
    r.date = QStringLiteral("D");
    r.time = QStringLiteral("T");
    r.comment = QStringLiteral("a;b");
    const QStringList fields = MeasurementLogLine(r).split(QLatin1Char(';'));
    ASSERT_EQ(fields.size(), 14);  // the ";" in the comment adds a column, shifts nothing before it
    EXPECT_EQ(fields.mid(0, 12).join(QLatin1Char('|')),
              QStringLiteral("KRX 738|`73800042|D|T|`1.07|0|45|22.25|500|1|0|"));
    EXPECT_EQ(fields[12], QStringLiteral("a"));
}

TEST(MeasurementLog, SaveBeforeAnyReading)
{
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    MeasurementRecord r;
    StampSave(r, kSaveTime, QString());
    EXPECT_EQ(MeasurementLogLine(r), QStringLiteral(";`;30.11.24;17:45:59;`;;;;;;;;"));
}
