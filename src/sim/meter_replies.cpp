// SPDX-License-Identifier: GPL-3.0-or-later
// The meter's replies to the host's IN requests: each value encoded as the device puts it on the wire.
#include "sim/meter.h"

#include "device/protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace krx::sim {

using namespace protocol;

namespace {

void PutBe16(unsigned char* out, unsigned v)
{
    out[0] = static_cast<unsigned char>((v >> 8) & 0xFF);
    out[1] = static_cast<unsigned char>(v & 0xFF);
}

void PutBe32(unsigned char* out, std::uint32_t v)
{
    out[0] = static_cast<unsigned char>(v >> 24);
    out[1] = static_cast<unsigned char>(v >> 16);
    out[2] = static_cast<unsigned char>(v >> 8);
    out[3] = static_cast<unsigned char>(v);
}

// Copies text into a fixed field, padded with blanks.
void PutText(unsigned char* out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        out[i] = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
}

// Four characters of a temperature as the meter's display shows it: "22.5", " 9.5", "-4.0".
void PutTemperature(unsigned char* out, double t)
{
    char buf[16];
    if (t > -10.0 && t < 100.0)
        std::snprintf(buf, sizeof buf, "%4.1f", t);
    else
        std::snprintf(buf, sizeof buf, "%4.0f", t);
    std::memcpy(out, buf, 4);
}
}  // namespace

int Meter::ReplyIn(int command, unsigned char* r)
{
    switch (command) {
    case kValue: {
        // Three significant digits: mantissa "d.dd", exponent of ten in two characters.
        double ohm = measuring_ ? ResistanceOhm() : 0.0;
        int exponent = 0;
        double mantissa = 0.0;
        if (ohm >= 1.0) {
            exponent = static_cast<int>(std::floor(std::log10(ohm)));
            mantissa = ohm / std::pow(10.0, exponent);
            if (std::lround(mantissa * 100) >= 1000) {
                ++exponent;
                mantissa /= 10.0;
            }
        }
        exponent = std::clamp(exponent, 0, 99);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%4.2f%2d", mantissa, exponent);
        std::memcpy(r, buf, kValueBytes);
        return kValueBytes;
    }
    case kStatus:
        r[0] = StatusByte();
        return kStatusBytes;
    case kEvent:
        r[0] = EventByte();
        return kEventBytes;
    case kVoltage: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%4d", bd_phase_ == BdPhase::Idle ? ActualVolts() : s_.breakDownVoltage);
        std::memcpy(r, buf, 4);
        return kVoltageBytes;
    }
    case kClimate: {
        // Slow drift over tens of minutes, as in a lab.
        const double t = Now() - created_;
        const int h = std::clamp(static_cast<int>(std::lround(s_.humidity + 2.0 * std::sin(t / 600.0))), 0, 99);
        r[0] = static_cast<unsigned char>('0' + h / 10);
        r[1] = static_cast<unsigned char>('0' + h % 10);
        PutTemperature(r + 2, s_.temperature + 0.3 * std::sin(t / 900.0));
        return kClimateBytes;
    }
    case kBreakDownValues: {
        EventByte();  // brings the phase flags up to date; reading the values takes them
        PutBe16(r, static_cast<unsigned>(s_.breakDownVoltage));
        PutBe32(r + 2, s_.resistanceBeforeKOhm);
        PutBe32(r + 6, broke_down_ ? s_.resistanceAfterBDKOhm : 0);
        PutBe32(r + 10, broke_off_ ? s_.resistanceAfterBOKOhm : 0);
        PutBe16(r + 14, static_cast<unsigned>(broke_off_ ? break_off_seconds_ : 0));
        return kBreakDownValuesBytes;
    }
    case kIdentity:
        PutText(r + kSerialOffset, s_.serialNo, kSerialLength);
        PutText(r + kSoftwareOffset, s_.swVersion, kSoftwareLength);
        r[kSoftwareOffset + kSoftwareLength] = ' ';
        PutText(r + kNameOffset, s_.deviceName, kNameLength);
        return kIdentityBytes;
    case kOhmRecord:
        if (ohm_pointer_ < s_.ohmMemory.size()) {
            std::memcpy(r, s_.ohmMemory[ohm_pointer_++].bytes.data(), kOhmRecordBytes);
        } else {
            ohm_pointer_ = 0;  // after the end marker the next read-out starts from the first record
            std::memset(r, 0, kOhmRecordBytes);
        }
        return kOhmRecordBytes;
    case kBreakDownRecord:
        if (bd_pointer_ < s_.breakDownMemory.size()) {
            std::memcpy(r, s_.breakDownMemory[bd_pointer_++].bytes.data(), kBreakDownRecordBytes);
        } else {
            bd_pointer_ = 0;
            std::memset(r, 0, kBreakDownRecordBytes);
        }
        return kBreakDownRecordBytes;
    case kTimerMeasure:
    case kTimerBreakDown:
    case kTimerBreakOff:
        PutBe16(r, static_cast<unsigned>(timers_[command - kTimerMeasure]));
        return kTimerBytes;
    case kRestTime: {
        UpdateTimer();
        long long tenths = 0;
        if (timer_running_)
            tenths = std::max(0LL, timer_seconds_ * 10LL -
                                       static_cast<long long>(std::floor((Now() - timer_start_) * 10.0)));
        PutBe16(r, static_cast<unsigned>(std::min(tenths, 65535LL)));
        return kRestTimeBytes;
    }
    case kSetup:
        r[0] = setup0_;
        r[1] = setup1_;
        return kSetupBytes;
    default:
        return -1;
    }
}

}  // namespace krx::sim
