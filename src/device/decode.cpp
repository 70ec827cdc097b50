// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/decode.h"

#include "device/protocol.h"

#include <QRegularExpression>

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

namespace {

QString FromBytes(const unsigned char* bytes, int count)
{
    QString s;
    s.reserve(count);
    for (int i = 0; i < count; ++i)
        s += QChar(bytes[i]);
    return s;
}

Failure Unreadable(const QString& field, bool integer)
{
    Failure f;
    f.error = DeviceError::UnreadableReply;
    f.field = field;
    f.integerField = integer;
    return f;
}

}  // namespace

Result<double> ParseMeterReal(const QString& text)
{
    // Digits, one optional point, optional sign: no group separators, which would let "1,234"
    // mean two different things.
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    bool ok = re.match(t).hasMatch();
    const double v = ok ? t.toDouble(&ok) : 0.0;
    if (!ok)
        return Unreadable(text, false);
    return v;
}

Result<int> ParseMeterInt(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?\\d+$"));
    const QString t = text.trimmed();
    bool ok = re.match(t).hasMatch();
    const int v = ok ? t.toInt(&ok, 10) : 0;
    if (!ok)
        return Unreadable(text, true);
    return v;
}

Result<LiveValue> DecodeLiveValue(const unsigned char* r)
{
    LiveValue v;
    v.mantissa = FromBytes(r, 4);
    v.exponent = FromBytes(r + 4, 2);
    v.exponent.replace(QLatin1Char(' '), QLatin1Char('0'));
    const Result<double> mantissa = ParseMeterReal(v.mantissa);
    if (!mantissa)
        return mantissa.error();
    const Result<int> exponent = ParseMeterInt(v.exponent);
    if (!exponent)
        return exponent.error();
    // The meter's own arithmetic: repeated multiplication, exponent never negative.
    double scale = 1.0;
    for (int i = 0; i < *exponent; ++i)
        scale *= 10.0;
    v.value = scale * *mantissa;
    return v;
}

Result<int> DecodeHumidity(const unsigned char* r)
{
    return ParseMeterInt(FromBytes(r, 2));
}

Result<double> DecodeTemperature(const unsigned char* r)
{
    return ParseMeterReal(FromBytes(r, 4));
}

Result<Climate> DecodeClimate(const unsigned char* r)
{
    const Result<int> humidity = DecodeHumidity(r);
    if (!humidity)
        return humidity.error();
    const Result<double> temperature = DecodeTemperature(r + 2);
    if (!temperature)
        return temperature.error();
    return Climate{*humidity, *temperature};
}

Result<int> DecodeVoltage(const unsigned char* r)
{
    int n = 0;
    while (n < 4 && r[n] != 0)
        ++n;
    if (n != 4)
        return 0;
    return ParseMeterInt(FromBytes(r, 4).trimmed());
}

bool StatusByte::Running() const { return byte & protocol::kStatusRunning; }
bool StatusByte::Stable() const { return byte & protocol::kStatusStable; }
bool StatusByte::BatteryEmpty() const { return byte & protocol::kStatusBatteryEmpty; }
bool StatusByte::Overflow() const { return byte & protocol::kStatusOverflow; }
bool StatusByte::Underflow() const { return byte & protocol::kStatusUnderflow; }

SetupFlags DecodeSetup(std::uint8_t voltageByte, std::uint8_t optionByte)
{
    using namespace protocol;
    SetupFlags f;
    // Tried from the highest voltage down, the last one set wins: the lowest voltage wins when
    // several bits are set.
    const std::uint8_t bits[] = {kSetup1000V, kSetup500V, kSetup100V, kSetup10V};
    const int indexes[] = {3, 2, 1, 0};
    for (int i = 0; i < 4; ++i) {
        if (voltageByte & bits[i]) {
            f.voltageKnown = true;
            f.voltageIndex = indexes[i];
        }
    }
    f.autoVoltage = voltageByte & kSetupAutoVoltage ? 1 : 0;
    f.lapse = optionByte & kSetupLapse ? 1 : 0;
    f.exponentDisplay = optionByte & kSetupExponentDisplay ? 1 : 0;
    return f;
}

void EncodeSetup(int voltageFunction, int voltage, int displayMode, int calculation, unsigned char out[2])
{
    using namespace protocol;
    if (voltageFunction == 1) {
        out[0] = kSetupAutoVoltage;
    } else {
        switch (voltage) {
        case 10: out[0] = kSetup10V; break;
        case 100: out[0] = kSetup100V; break;
        case 500: out[0] = kSetup500V; break;
        case 1000: out[0] = kSetup1000V; break;
        default: out[0] = 0x00; break;
        }
    }
    out[1] = static_cast<unsigned char>((displayMode == 1 ? kSetupExponentDisplay : 0x00) +
                                        (calculation == 1 ? kSetupLapse : 0x00));
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
    h.temperature = FromBytes(r + 8, 4);
    return h;
}

OhmRecord DecodeOhmRecord(const unsigned char* r)
{
    OhmRecord o;
    o.head = DecodeRecordHead(r);
    o.voltage = static_cast<int>(Be16(r + 12));
    o.timer = static_cast<int>(Be16(r + 14));
    o.mantissa = FromBytes(r + 16, 4);
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
