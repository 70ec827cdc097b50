// SPDX-License-Identifier: GPL-3.0-or-later
// Display blocks, headers and export lines of the two memory read-outs, from records decoded out
// of raw bytes as the meter sends them.
#include "core/csv_appender.h"
#include "device/decode.h"
#include "core/memory_format.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cstring>

using namespace krx;
using namespace krx::memory;

namespace {
// Head: number, 07.03.2011 09:05, 45 %, 22.5 degrees.
void PutHead(unsigned char* b, unsigned char no)
{
    const unsigned char head[12] = {no, 7, 3, 11, 9, 5, '4', '5', '2', '2', '.', '5'};
    std::memcpy(b, head, 12);
}

OhmRecord Ohm(unsigned char no, unsigned timer, unsigned char calc, const char* mantissa = "1.25",
              const char* exponent = "09")
{
    unsigned char b[31] = {};
    PutHead(b, no);
    b[12] = 0x01;  // 500 V
    b[13] = 0xF4;
    b[14] = static_cast<unsigned char>(timer >> 8);
    b[15] = static_cast<unsigned char>(timer);
    std::memcpy(b + 16, mantissa, 4);
    std::memcpy(b + 20, exponent, 2);
    b[22] = calc;
    return DecodeOhmRecord(b);
}

void PutBe32(unsigned char* b, std::uint32_t v)
{
    b[0] = static_cast<unsigned char>(v >> 24);
    b[1] = static_cast<unsigned char>(v >> 16);
    b[2] = static_cast<unsigned char>(v >> 8);
    b[3] = static_cast<unsigned char>(v);
}

BreakDownRecord BreakDown(unsigned char no, std::uint32_t before, std::uint32_t after, std::uint32_t off)
{
    unsigned char b[32] = {};
    PutHead(b, no);
    b[12] = 0x03;  // 1000 V
    b[13] = 0xE8;
    PutBe32(b + 14, before);
    PutBe32(b + 18, after);
    b[22] = 0;
    b[23] = 14;  // cycle 14 s
    PutBe32(b + 24, off);
    b[28] = 0;
    b[29] = 6;  // timer off 6 s
    return DecodeBreakDownRecord(b);
}

const Identity kWho{QStringLiteral("KRX 738"), QStringLiteral("00012345"), QStringLiteral("1.07")};
}  // namespace

TEST(MemoryDisplay, OhmBlockLinesUpAndNamesTheMethod)
{
    const QStringList lines = OhmDisplayBlock(Ohm(3, 600, 2));
    const QStringList expected = {
        QStringLiteral("File number            : 3"),
        QStringLiteral("Date / Time            : 7.3.2011 / 09:05"),
        QStringLiteral("Humidity / Temperature : 45% / 22.5 \u00b0C"),
        QStringLiteral("Measuring voltage      : 500 V"),
        QStringLiteral("Readings               : 1.25E09 Ohm"),
        QStringLiteral("Timer                  : 600 Sec"),
        QStringLiteral("Measurement methods    : Lapse"),
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(OhmDisplayBlock(Ohm(3, 600, 0)).last(), QStringLiteral("Measurement methods    : Average"));
    // Without timer no method is shown, whatever the calculation byte says.
    EXPECT_EQ(OhmDisplayBlock(Ohm(3, 0, 1)).last(), QStringLiteral("Measurement methods    : "));
    // A blank first exponent character is a missing leading zero.
    EXPECT_EQ(OhmDisplayBlock(Ohm(3, 0, 0, "9.99", " 7"))[4], QStringLiteral("Readings               : 9.99E07 Ohm"));
    EXPECT_EQ(kHyphenLine.size(), 40);
}

TEST(MemoryDisplay, BreakDownBlockInWholeMegaohm)
{
    const QStringList lines = BreakDownDisplayBlock(BreakDown(2, 1500000, 999, 2000));
    const QStringList expected = {
        QStringLiteral("File number            : 2"),
        QStringLiteral("Date / Time            : 7.3.2011 / 09:05"),
        QStringLiteral("Humidity / Temperature : 45% / 22.5 \u00b0C"),
        QStringLiteral("Break down voltage     : 1000 V"),
        QStringLiteral("Resistor value before  : 1500 MOhm"),
        QStringLiteral("Resistor value after   : 0 MOhm"),
        QStringLiteral("Cycle time             : 14 Sek"),
        QStringLiteral("Resistor off           : 2 MOhm"),
        QStringLiteral("Timer off              : 6 Sek"),
    };
    EXPECT_EQ(lines, expected);
    // Above 2^31 kOhm the value stays unsigned.
    const QStringList big = BreakDownDisplayBlock(BreakDown(2, 3000000000u, 1000, 1999));
    EXPECT_EQ(big[4], QStringLiteral("Resistor value before  : 3000000 MOhm"));
    EXPECT_EQ(big[5], QStringLiteral("Resistor value after   : 1 MOhm"));
    EXPECT_EQ(big[7], QStringLiteral("Resistor off           : 1 MOhm"));
    EXPECT_EQ(BreakDownDisplayBlock(BreakDown(2, 0xFFFFFFFFu, 0, 0))[4],
              QStringLiteral("Resistor value before  : 4294967 MOhm"));
}

TEST(MemoryExport, HeadersAsWrittenToTheFile)
{
    EXPECT_EQ(EncodeLine(OhmHeader()),
              QByteArray("Type;Ser. No.;Sw.Ver.;File No.;Date;Time;Humi.(%);Temp.(GC);Meas.(V);Timer (Sec.);"
                         "Resis.(Ohm);MeasCalc;Comment\r\n"));
    const QString bd = BreakDownHeader();
    EXPECT_EQ(EncodeLine(bd),
              QByteArray("Type;Ser. No.;Sw.Ver.;File No.;Date;Time;Humi.(%);Temp.(GC);BDV (V);Resis. bev.(MOhm);"
                         "Resis. aft.(MOhm);Cycle Time (Sec.;Meas. BD Off(MOhm);Timer BD Off(Sec.);Comment\r\n"));
    EXPECT_EQ(bd.chopped(2).split(QLatin1Char(';')).size(), 15);
}

TEST(MemoryExport, OhmLinesWithAccentAndEmptySlots)
{
    EXPECT_EQ(EncodeLine(OhmLine(kWho, 3, ToSlot(Ohm(3, 600, 2)), QStringLiteral("Motor \u00e4"))),
              QByteArray("KRX 738;\xB4"
                         "00012345;\xB4"
                         "1.07;3;7.3.2011;09:05;45;22.5;500;600;1.25E+09;Lapse;Motor \xE4"));
    // Timer 0: empty method; empty comment: the line ends in ";".
    EXPECT_EQ(OhmLine(kWho, 12, ToSlot(Ohm(12, 0, 1)), QString()),
              QStringLiteral("KRX 738;\u00b4" "00012345;\u00b4" "1.07;12;7.3.2011;09:05;45;22.5;500;0;1.25E+09;;"));
    // A comment that holds the separator, a quote or a line break is one quoted field.
    EXPECT_TRUE(OhmLine(kWho, 12, ToSlot(Ohm(12, 0, 1)), QStringLiteral("x;\"y\"")).endsWith(QStringLiteral(";;\"x;\"\"y\"\"\"")));
    EXPECT_TRUE(BreakDownLine(kWho, 2, ToSlot(BreakDown(2, 1, 1, 1)), QStringLiteral("two\r\nlines"))
                    .endsWith(QStringLiteral(";\"two\r\nlines\"")));
    // A slot that no record filled.
    EXPECT_EQ(OhmLine(kWho, 2, OhmSlot{}, QStringLiteral("c")),
              QStringLiteral("KRX 738;\u00b4" "00012345;\u00b4" "1.07;2;;;;;0;0;;;c"));
}

TEST(MemoryExport, ListingAndFileShowOneDate)
{
    // The meter's day, month and year bytes in the locale's order, as every export writes a date.
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    const OhmRecord r = Ohm(3, 600, 2);
    EXPECT_EQ(OhmDisplayBlock(r)[1], QStringLiteral("Date / Time            : 3/7/2011 / 09:05"));
    EXPECT_EQ(OhmLine(kWho, 3, ToSlot(r), QString()).split(QLatin1Char(';'))[4], QStringLiteral("3/7/2011"));
    QLocale::setDefault(QLocale(QStringLiteral("sv_SE")));
    EXPECT_EQ(BreakDownLine(kWho, 2, ToSlot(BreakDown(2, 1, 1, 1)), QString()).split(QLatin1Char(';'))[4],
              QStringLiteral("2011-03-07"));
    QLocale::setDefault(QLocale::c());
}

TEST(MemoryTable, RefusesFileNumbersOutsideTheTable)
{
    RecordTable<BreakDownSlot> t;
    const BreakDownSlot filled = ToSlot(BreakDown(7, 5000, 0, 0));
    EXPECT_TRUE(t.Store(7, filled));
    EXPECT_TRUE(t.Store(99, filled));
    for (int bad : {0, 100, 150, 255, -1})
        EXPECT_FALSE(t.Store(bad, filled)) << bad;
    EXPECT_EQ(t.Highest(), 99);
    EXPECT_EQ(t.At(7).resistanceBefore, 5u);
    EXPECT_EQ(t.At(8).date, QStringLiteral("0"));
    EXPECT_EQ(t.At(150).date, QStringLiteral("0"));
    EXPECT_EQ(NotSavedLine(150), QStringLiteral("File number 150 cannot be saved (only 1 to 99) !"));
}

TEST(MemoryRange, BoundsAndUnreadableFields)
{
    EXPECT_FALSE(CheckRange(QStringLiteral("0"), QStringLiteral("3"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("4"), QStringLiteral("4"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("3"), QStringLiteral("2"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("1"), QStringLiteral("4"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("-1"), QStringLiteral("2"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("  "), QStringLiteral("3"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("1"), QString(), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("1x"), QStringLiteral("3"), 3).valid);
    EXPECT_FALSE(CheckRange(QStringLiteral("1"), QStringLiteral("1"), 0).valid);
    const Range r = CheckRange(QStringLiteral(" 3"), QStringLiteral("3 "), 3);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.from, 3);
    EXPECT_EQ(r.to, 3);
    EXPECT_TRUE(CheckRange(QStringLiteral("1"), QStringLiteral("99"), 99).valid);
}
