// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pure decoders of the meter's reply layouts: bytes in, values out. Every reply of the command
// set is decoded here so that each layout can be tested from byte vectors alone.

#include "device/result.h"

#include <QString>

#include <cstdint>

namespace krx {

// The byte as ten characters: bits 7..4, a blank, bits 3..0, a blank ("0100 0001 " for 0x41).
QString BitText(unsigned byte);
// 1-based position in a bit text holds "1". False for a text too short to hold it.
bool BitSet(const QString& bitText, int position);

inline unsigned Be16(const unsigned char* b) { return (unsigned(b[0]) << 8) | b[1]; }
inline std::uint32_t Be32(const unsigned char* b)
{
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

// Two digits with a leading "0" for a single character; the byte is read as signed 8 bit.
QString TwoDigits(unsigned char byte);

// The meter's numbers are ASCII with "." as decimal point, whatever the PC's locale. Blanks around
// them are allowed; anything else is an UnreadableReply that carries the characters.
Result<double> ParseMeterReal(const QString& text);
Result<int> ParseMeterInt(const QString& text);

// Live reading (IN 0): four mantissa characters and two exponent digits.
struct LiveValue {
    QString mantissa;  // the four characters as received ("1.23")
    QString exponent;  // the two digits, a blank read as "0" ("06")
    double value = 0.0;
};
Result<LiveValue> DecodeLiveValue(const unsigned char* reply6);

// Climate (IN 6): humidity two ASCII digits, temperature four ASCII characters.
struct Climate {
    int humidity = 0;
    double temperature = 0.0;
};
Result<int> DecodeHumidity(const unsigned char* reply2);
Result<double> DecodeTemperature(const unsigned char* reply4);
Result<Climate> DecodeClimate(const unsigned char* reply6);

// Measuring voltage (IN 5): four ASCII characters; 0 when fewer than four characters arrived
// before a zero byte.
Result<int> DecodeVoltage(const unsigned char* reply4);

// The meter's status byte (IN 1).
struct StatusByte {
    std::uint8_t byte = 0;
    bool Running() const;
    bool Stable() const;
    bool BatteryEmpty() const;
    bool Overflow() const;
    bool Underflow() const;
};

// Setup (IN 53 byte 0/1) as the measurement window's choices.
// The measuring voltages by their setup index.
inline constexpr int kSetupVolts[] = {10, 100, 500, 1000};

struct SetupFlags {
    bool voltageKnown = false;
    int voltageIndex = 0;  // 0..3 = kSetupVolts
    int autoVoltage = 0;
    int lapse = 0;
    int exponentDisplay = 0;
};
SetupFlags DecodeSetup(std::uint8_t voltageByte, std::uint8_t optionByte);
// The two setup bytes that WriteMeasuringSetup sends.
void EncodeSetup(int voltageFunction, int voltage, int displayMode, int calculation,
                 unsigned char out[2]);

// Break-down values (IN 7, 16 bytes).
struct BreakDownValues {
    int voltage = 0;
    std::uint32_t resistanceBefore = 0;
    std::uint32_t resistanceAfterBD = 0;
    std::uint32_t resistanceAfterBO = 0;
    int breakOffTimer = 0;
};
BreakDownValues DecodeBreakDownValues(const unsigned char* reply16);

// Stored-memory records (IN 35, 30 bytes; IN 36, 31 bytes).
struct RecordHead {
    int recordNo = 0;
    QString date;         // dd.mm.20yy
    QString time;         // hh:mm
    QString humidity;     // the two characters as received
    QString temperature;  // the four characters as received ("21.5")
};
struct OhmRecord {
    RecordHead head;
    int voltage = 0;
    int timer = 0;
    QString mantissa;  // as received ("4.70")
    QString exponent;  // two digits
    int calculation = 0;
};
struct BreakDownRecord {
    RecordHead head;
    int breakDownVoltage = 0;
    std::uint32_t resistanceBefore = 0;
    std::uint32_t resistanceAfter = 0;
    int cycleTime = 0;
    std::uint32_t resistanceOff = 0;
    int timerOff = 0;
};
RecordHead DecodeRecordHead(const unsigned char* reply12);
OhmRecord DecodeOhmRecord(const unsigned char* reply30);
BreakDownRecord DecodeBreakDownRecord(const unsigned char* reply31);

}  // namespace krx
