// SPDX-License-Identifier: GPL-3.0-or-later
// Number forms of the break-down report and the result file line; the report blocks themselves
// are checked line by line in the window tests.
#include "core/breakdown_format.h"
#include "core/csv_appender.h"

#include "locale_guard.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;
using krx::test::LocaleGuard;

TEST(BreakDownFormat, MOhmByTruncatingUnsignedDivision)
{
    EXPECT_EQ(KOhmToMOhm(999), 0u);
    EXPECT_EQ(KOhmToMOhm(1000), 1u);
    EXPECT_EQ(KOhmToMOhm(1999), 1u);
    EXPECT_EQ(KOhmToMOhm(1999999), 1999u);
    // Values with the top bit set are not negative numbers.
    EXPECT_EQ(KOhmToMOhm(2147483648u), 2147483u);
    EXPECT_EQ(KOhmToMOhm(0xFFFFFFFFu), 4294967u);
    EXPECT_EQ(ResistanceLine(2147483648u), QStringLiteral("Resistance 2147483 MOhm"));
    EXPECT_EQ(VoltMeasLine(500), QStringLiteral("Volt Meas. 500 V"));
    EXPECT_EQ(SeparatorLine(), QStringLiteral("---------------------------------"));
    EXPECT_EQ(SeparatorLine().size(), 33);
}

TEST(BreakDownFormat, TemperatureInGeneralFormatWithLocaleSeparator)
{
    EXPECT_EQ(TemperatureText(23.5), QStringLiteral("23.5"));
    EXPECT_EQ(TemperatureText(22.0), QStringLiteral("22"));
    EXPECT_EQ(TemperatureText(-5.25), QStringLiteral("-5.25"));
    LocaleGuard de(QLocale::German);
    EXPECT_EQ(TemperatureText(23.5), QStringLiteral("23,5"));
}

TEST(BreakDownFormat, HeaderHasFourteenNames)
{
    const QString header = QString::fromLatin1(BreakDownResultHeader);
    const QStringList names = header.split(QLatin1Char(';'));
    ASSERT_EQ(names.size(), 14);
    EXPECT_EQ(names.front(), QStringLiteral("Type"));
    EXPECT_EQ(names[6], QStringLiteral("Temp.(GC)"));
    EXPECT_EQ(names[7], QStringLiteral("Cycle Time (Sec.)"));
    EXPECT_EQ(names[11], QStringLiteral("Meas. BD Off(MOhm)"));
    EXPECT_EQ(names.back(), QStringLiteral("Comment"));
}

TEST(BreakDownFormat, ResultLineBytes)
{
    BreakDownResultRecord rec;
    rec.deviceName = QStringLiteral("KRX 738");
    rec.serialNo = QStringLiteral("73800042");
    rec.swVersion = QStringLiteral("1.07");
    rec.when = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3));
    rec.temperature = 23.45f;  // in single precision a little above 23.45
    rec.humidity = 45;
    rec.cycleTime = 30;
    rec.voltage = 1000;
    rec.resistanceBeforeMOhm = KOhmToMOhm(2147483648u);
    rec.resistanceAfterBDMOhm = 1;
    rec.resistanceAfterBOMOhm = 0;
    rec.breakOffTime = 0;
    rec.comment = QStringLiteral("cable 3");
    // The date with all four digits of the year, the time in the C locale's long time.
    EXPECT_EQ(EncodeLine(BreakDownResultLine(rec)),
              QByteArray("KRX 738;\xB4" "73800042;\xB4" "1.07;7.3.2024;09:05:03;45;23.5;30;1000;2147483;1;0;0;cable 3"));
    rec.comment = QStringLiteral("cable; 3");
    EXPECT_TRUE(BreakDownResultLine(rec).endsWith(QStringLiteral(";0;0;\"cable; 3\"")));
    rec.comment = QStringLiteral("cable 3");

    LocaleGuard de(QLocale::German);
    rec.temperature = 22.0f;
    const QStringList fields = BreakDownResultLine(rec).split(QLatin1Char(';'));
    ASSERT_EQ(fields.size(), 14);
    EXPECT_EQ(fields[3], QStringLiteral("7.3.2024"));
    EXPECT_EQ(fields[6], QStringLiteral("22,0"));
}
