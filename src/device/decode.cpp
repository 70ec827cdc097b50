// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/decode.h"

#include "common/localetext.h"

namespace krx {

QString BitText(unsigned byte)
{
    QString out;
    out.reserve(10);
    for (int shift : {4, 0}) {
        const unsigned nibble = (byte >> shift) & 0x0F;
        for (int bit = 3; bit >= 0; --bit)
            out += (nibble >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
        out += QLatin1Char(' ');
    }
    return out;
}

bool BitSet(const QString& bitText, int position)
{
    return position >= 1 && position <= bitText.size() && bitText.at(position - 1) == QLatin1Char('1');
}

QString TwoDigits(unsigned char byte)
{
    const QString s = QString::number(static_cast<signed char>(byte));
    return s.size() == 1 ? QLatin1Char('0') + s : s;
}

LiveValue DecodeLiveValue(const unsigned char* r)
{
    const QString mantissaChars = WithLocaleSeparator(FromBytes(r, 4));
    QString exponentChars = FromBytes(r + 4, 2);
    exponentChars.replace(QLatin1Char(' '), QLatin1Char('0'));
    const double mantissa = ToReal(mantissaChars);
    const int exponent = ToInt(exponentChars);
    LiveValue v;
    v.text = mantissaChars + QStringLiteral("E+") + exponentChars;
    // The meter's own arithmetic: repeated multiplication, exponent never negative.
    double scale = 1.0;
    for (int i = 0; i < exponent; ++i)
        scale *= 10.0;
    v.value = scale * mantissa;
    return v;
}

int DecodeHumidity(const unsigned char* r)
{
    return ToInt(FromBytes(r, 2));
}

double DecodeTemperature(const unsigned char* r)
{
    return ToReal(WithLocaleSeparator(FromBytes(r, 4)));
}

int DecodeVoltage(const unsigned char* r)
{
    int n = 0;
    while (n < 4 && r[n] != 0)
        ++n;
    if (n != 4)
        return 0;
    return ToInt(FromBytes(r, 4).trimmed());
}

SetupFlags DecodeSetup(const QString& voltageBits, const QString& optionBits)
{
    SetupFlags f;
    // Positions 4, 6, 7, 8 = bits 4, 3, 2, 1 of byte 0; the last one set wins, so the lowest
    // voltage wins when several are set.
    const int positions[] = {4, 6, 7, 8};
    const int indexes[] = {3, 2, 1, 0};
    for (int i = 0; i < 4; ++i) {
        if (BitSet(voltageBits, positions[i])) {
            f.voltageKnown = true;
            f.voltageIndex = indexes[i];
        }
    }
    f.autoVoltage = BitSet(voltageBits, 2) ? 1 : 0;
    f.lapse = BitSet(optionBits, 9) ? 1 : 0;
    f.exponentDisplay = BitSet(optionBits, 8) ? 1 : 0;
    return f;
}

void EncodeSetup(int voltageFunction, int voltage, int displayMode, int calculation, unsigned char out[2])
{
    if (voltageFunction == 1) {
        out[0] = 0x40;
    } else {
        switch (voltage) {
        case 10: out[0] = 0x02; break;
        case 100: out[0] = 0x04; break;
        case 500: out[0] = 0x08; break;
        case 1000: out[0] = 0x10; break;
        default: out[0] = 0x00; break;
        }
    }
    out[1] = static_cast<unsigned char>((displayMode == 1 ? 0x02 : 0x00) + (calculation == 1 ? 0x01 : 0x00));
}

BreakDownValues DecodeBreakDownValues(const unsigned char* r)
{
    BreakDownValues v;
    v.voltage = static_cast<int>(Be16(r));
    v.resistanceBefore = Be32(r + 2);
    v.resistanceAfterBD = Be32(r + 6);
    v.resistanceAfterBO = Be32(r + 10);
    v.breakOffTimer = static_cast<int>(Be16(r + 14));
    return v;
}

RecordHead DecodeRecordHead(const unsigned char* r)
{
    RecordHead h;
    h.recordNo = r[0];
    h.date = TwoDigits(r[1]) + QLatin1Char('.') + TwoDigits(r[2]) + QStringLiteral(".20") + TwoDigits(r[3]);
    h.time = TwoDigits(r[4]) + QLatin1Char(':') + TwoDigits(r[5]);
    h.humidity = FromBytes(r + 6, 2);
    h.temperature = WithLocaleSeparator(FromBytes(r + 8, 4));
    return h;
}

OhmRecord DecodeOhmRecord(const unsigned char* r)
{
    OhmRecord o;
    o.head = DecodeRecordHead(r);
    o.voltage = static_cast<int>(Be16(r + 12));
    o.timer = static_cast<int>(Be16(r + 14));
    o.mantissa = WithLocaleSeparator(FromBytes(r + 16, 4));
    // Only the first exponent character stands for a missing leading zero.
    o.exponent = (r[20] == ' ' ? QStringLiteral("0") : FromBytes(r + 20, 1)) + FromBytes(r + 21, 1);
    o.calculation = r[22];
    return o;
}

BreakDownRecord DecodeBreakDownRecord(const unsigned char* r)
{
    BreakDownRecord b;
    b.head = DecodeRecordHead(r);
    b.breakDownVoltage = static_cast<int>(Be16(r + 12));
    b.resistanceBefore = Be32(r + 14);
    b.resistanceAfter = Be32(r + 18);
    b.cycleTime = static_cast<int>(Be16(r + 22));
    b.resistanceOff = Be32(r + 24);
    b.timerOff = static_cast<int>(Be16(r + 28));
    return b;
}

}  // namespace krx
