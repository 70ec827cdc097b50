// SPDX-License-Identifier: GPL-3.0-or-later
// Reply decoders, fed with byte vectors laid out as the meter sends them.
#include "core/localetext.h"
#include "device/decode.h"
#include "core/reading_format.h"

#include "locale_guard.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;
using krx::test::LocaleGuard;

TEST(BitText, RendersNibblesWithBlanks)
{
    EXPECT_EQ(BitText(0x41), QStringLiteral("0100 0001 "));
    EXPECT_EQ(BitText(0x00), QStringLiteral("0000 0000 "));
    EXPECT_EQ(BitText(0xFF), QStringLiteral("1111 1111 "));
    EXPECT_EQ(BitText(0xA5), QStringLiteral("1010 0101 "));
    // Position 9 is bit 0, position 1 bit 7, position 6 bit 3.
    EXPECT_TRUE(BitSet(BitText(0x01), 9));
    EXPECT_TRUE(BitSet(BitText(0x80), 1));
    EXPECT_TRUE(BitSet(BitText(0x08), 6));
    EXPECT_FALSE(BitSet(BitText(0x08), 5));
    EXPECT_FALSE(BitSet(QString(), 6));
}

TEST(LiveValue, MantissaAndExponent)
{
    const unsigned char r[6] = {'1', '.', '2', '3', ' ', '6'};
    MeasuredValue m;
    m.value = *DecodeLiveValue(r);
    EXPECT_DOUBLE_EQ(m.value.value, 1230000.0);
    {
        LocaleGuard c(QLocale::C);
        EXPECT_EQ(ValueText(m), QStringLiteral("1.23E+06"));
    }
    {
        // The locale shapes the text only; the number is the meter's, whatever the locale.
        LocaleGuard de(QLocale::German);
        EXPECT_EQ(ValueText(m), QStringLiteral("1,23E+06"));
        EXPECT_DOUBLE_EQ(DecodeLiveValue(r)->value, 1230000.0);
        m.range = RangeState::Under;
        EXPECT_EQ(ValueText(m), QStringLiteral("0"));
    }
    const unsigned char blanks[6] = {'9', '.', '9', '9', ' ', ' '};
    EXPECT_EQ(DecodeLiveValue(blanks)->exponent, QStringLiteral("00"));
    const unsigned char big[6] = {'2', '.', '5', '0', '1', '4'};
    EXPECT_DOUBLE_EQ(DecodeLiveValue(big)->value, 2.5e14);
    const unsigned char garbage[6] = {'x', '?', '2', '3', '0', '1'};
    const Result<LiveValue> bad = DecodeLiveValue(garbage);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().error, DeviceError::UnreadableReply);
    EXPECT_EQ(bad.error().field, QStringLiteral("x?23"));
    const unsigned char badExponent[6] = {'1', '.', '0', '0', '4', 'x'};
    EXPECT_EQ(UnreadableText(DecodeLiveValue(badExponent).error()), QStringLiteral("'4x' is not a valid integer value"));
    {
        // The message shows the characters as the locale would have read them.
        LocaleGuard de(QLocale::German);
        const unsigned char comma[6] = {'1', '.', '2', 'x', '0', '1'};
        EXPECT_EQ(UnreadableText(DecodeLiveValue(comma).error()),
                  QStringLiteral("'1,2x' is not a valid floating point value"));
    }
    const unsigned char zeros[6] = {};
    EXPECT_FALSE(DecodeLiveValue(zeros));
}

TEST(Climate, HumidityTemperatureVoltage)
{
    LocaleGuard de(QLocale::German);
    const unsigned char c[6] = {'4', '5', '2', '3', '.', '5'};
    EXPECT_EQ(*DecodeHumidity(c), 45);
    EXPECT_DOUBLE_EQ(*DecodeTemperature(c + 2), 23.5);
    EXPECT_EQ(DecodeClimate(c)->humidity, 45);
    const unsigned char neg[4] = {'-', '4', '.', '0'};
    EXPECT_DOUBLE_EQ(*DecodeTemperature(neg), -4.0);
    const unsigned char bad[4] = {'?', '?', '.', '0'};
    EXPECT_FALSE(DecodeTemperature(bad));
    const unsigned char comma[4] = {'2', '3', ',', '5'};  // not the meter's decimal point, in any locale
    EXPECT_FALSE(DecodeTemperature(comma));
    const unsigned char badHumidity[6] = {'4', 'x', '2', '3', '.', '5'};
    EXPECT_TRUE(DecodeClimate(badHumidity).error().integerField);

    const unsigned char v[5] = {' ', '5', '0', '0', 0};
    EXPECT_EQ(*DecodeVoltage(v), 500);
    const unsigned char shortV[5] = {'1', '0', 0, 0, 0};
    EXPECT_EQ(*DecodeVoltage(shortV), 0);  // fewer than four characters: no value
    const unsigned char badV[5] = {'1', '0', 'x', '0', 0};
    EXPECT_FALSE(DecodeVoltage(badV));
}

TEST(Status, BitsOfTheStatusByte)
{
    EXPECT_TRUE(StatusByte{0x20}.Running());
    EXPECT_FALSE(StatusByte{0xDF}.Running());
    EXPECT_TRUE(StatusByte{0x04}.Stable());
    EXPECT_FALSE(StatusByte{0xFB}.Stable());
    EXPECT_TRUE(StatusByte{0x08}.BatteryEmpty());
    EXPECT_FALSE(StatusByte{0xF7}.BatteryEmpty());
    EXPECT_TRUE(StatusByte{0x01}.Overflow());
    EXPECT_FALSE(StatusByte{0x01}.Underflow());
    EXPECT_TRUE(StatusByte{0x02}.Underflow());
}

TEST(Setup, DecodeAndEncode)
{
    // 0x10 and 0x02 both set: the lowest voltage wins.
    SetupFlags f = DecodeSetup(0x12, 0x00);
    EXPECT_TRUE(f.voltageKnown);
    EXPECT_EQ(f.voltageIndex, 0);
    f = DecodeSetup(0x48, 0x03);
    EXPECT_EQ(f.voltageIndex, 2);
    EXPECT_EQ(f.autoVoltage, 1);
    EXPECT_EQ(f.lapse, 1);
    EXPECT_EQ(f.exponentDisplay, 1);
    f = DecodeSetup(0x40, 0x02);
    EXPECT_FALSE(f.voltageKnown);
    EXPECT_EQ(f.lapse, 0);
    EXPECT_EQ(f.exponentDisplay, 1);

    unsigned char out[2];
    EncodeSetup(1, 500, 0, 0, out);
    EXPECT_EQ(out[0], 0x40);
    EncodeSetup(0, 250, 1, 1, out);
    EXPECT_EQ(out[0], 0x00);
    EXPECT_EQ(out[1], 0x03);
    const int volts[] = {10, 100, 500, 1000};
    const unsigned char bits[] = {0x02, 0x04, 0x08, 0x10};
    for (int i = 0; i < 4; ++i) {
        EncodeSetup(0, volts[i], 0, 1, out);
        EXPECT_EQ(out[0], bits[i]);
        EXPECT_EQ(out[1], 0x01);
        EXPECT_EQ(DecodeSetup(out[0], out[1]).voltageIndex, i);
    }
}

TEST(Records, HeadOhmAndBreakDown)
{
    LocaleGuard de(QLocale::German);
    unsigned char o[31] = {5, 7, 3, 11, 9, 5, '4', '2', '2', '1', '.', '5', 0x01, 0xF4, 0x00, 0x3C,
                           '3', '.', '4', '5', ' ', '9', 2};
    const OhmRecord r = DecodeOhmRecord(o);
    EXPECT_EQ(r.head.recordNo, 5);
    EXPECT_EQ(r.head.date, QStringLiteral("07.03.2011"));
    EXPECT_EQ(r.head.time, QStringLiteral("09:05"));
    EXPECT_EQ(r.head.humidity, QStringLiteral("42"));
    EXPECT_EQ(r.head.temperature, QStringLiteral("21.5"));  // as received; the listing adds the locale
    EXPECT_EQ(r.voltage, 500);
    EXPECT_EQ(r.timer, 60);
    EXPECT_EQ(r.mantissa, QStringLiteral("3.45"));
    EXPECT_EQ(r.exponent, QStringLiteral("09"));
    EXPECT_EQ(r.calculation, 2);
    o[20] = '9';
    o[21] = ' ';
    EXPECT_EQ(DecodeOhmRecord(o).exponent, QStringLiteral("9 "));  // only the first blank counts

    unsigned char b[32] = {1, 31, 12, 99, 23, 59, '5', '0', '2', '0', '.', '0', 0x03, 0xE8,
                           0x00, 0x01, 0x86, 0xA0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x0B,
                           0x80, 0x00, 0x00, 0x00, 0x00, 0x05};
    const BreakDownRecord d = DecodeBreakDownRecord(b);
    EXPECT_EQ(d.head.date, QStringLiteral("31.12.2099"));
    EXPECT_EQ(d.head.time, QStringLiteral("23:59"));
    EXPECT_EQ(d.breakDownVoltage, 1000);
    EXPECT_EQ(d.resistanceBefore, 100000u);
    EXPECT_EQ(d.resistanceAfter, 4294967295u);
    EXPECT_EQ(d.cycleTime, 11);
    EXPECT_EQ(d.resistanceOff, 2147483648u);
    EXPECT_EQ(d.timerOff, 5);
    // A byte above 127 is read as signed, as the meter's firmware never sends one.
    EXPECT_EQ(TwoDigits(200), QStringLiteral("-56"));
    EXPECT_EQ(TwoDigits(0), QStringLiteral("00"));
}

TEST(Conversions, StrictLocaleNumbers)
{
    LocaleGuard de(QLocale::German);
    EXPECT_DOUBLE_EQ(ToReal(QStringLiteral(" 1,5 ")), 1.5);
    EXPECT_THROW(ToReal(QStringLiteral("1.5")), ConversionError);  // a full stop is not the separator here
    EXPECT_THROW(ToReal(QString()), ConversionError);
    EXPECT_EQ(ToInt(QStringLiteral(" 42")), 42);
    EXPECT_THROW(ToInt(QStringLiteral("4x")), ConversionError);
}
