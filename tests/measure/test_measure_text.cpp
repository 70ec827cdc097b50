// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tests of the cycle and the export do not reach: the display of odd value texts,
// wide figures and range flags, and a record line out of range with a ";" in its comment, which
// is quoted so that it stays one column.
#include "core/measurement_log.h"
#include "core/reading_format.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;

TEST(ReadingFormat, OddTextsWideFiguresAndRangeFlags)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(ExponentOf(QStringLiteral("1,23E+12")), 12);
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+ 7")), 7);
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+5")), 0);
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+xx")), 0);
    // A figure too wide for the label goes to scientific form in the largest unit.
    EXPECT_EQ(ResistanceDisplay(InRange, QStringLiteral("1.23E+19"), 1.23e19, false, NextDecimals(19, 0)),
              QStringLiteral("1.23000E+07 TOhm"));
    EXPECT_EQ(ResistanceDisplay(Underflow, QStringLiteral("0"), 0.0, true, 2), QStringLiteral("UNDERFLOW !"));
    // A flag the meter never sends leaves the display as it is.
    EXPECT_FALSE(ResistanceDisplay(3, QStringLiteral("0"), 0.0, false, 2).has_value());
    EXPECT_EQ(TemperatureDisplay(-5.04), QStringLiteral("-5.0 C"));
}

TEST(MeasurementLog, OverflowRecordWithSemicolonComment)
{
    QLocale::setDefault(QLocale::c());
    ReadingInput in;
    in.deviceName = QStringLiteral("KRX 738");
    in.serialNo = QStringLiteral("73800042");
    in.swVersion = QStringLiteral("1.07");
    in.valueText = QStringLiteral("0");
    in.humidity = 45;
    in.temperature = 22.25;
    in.rangeFlag = Overflow;
    in.volts = 1000;
    in.timerSeconds = 600;
    in.calculation = QStringLiteral("Ave.");
    MeasurementRecord r;
    r.comment = QStringLiteral("earlier");
    RefreshRecord(r, in, QDateTime(QDate(2024, 1, 2), QTime(9, 5, 7)));
    EXPECT_EQ(r.comment, QStringLiteral("earlier"));  // a reading leaves the last save's comment alone
    r.date = QStringLiteral("D");
    r.time = QStringLiteral("T");
    r.comment = QStringLiteral("a;b");
    EXPECT_EQ(MeasurementLogLine(r), QStringLiteral("KRX 738;`73800042;D;T;`1.07;0;45;22.25;1000;1;600;Ave.;\"a;b\""));
}
