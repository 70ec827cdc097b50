// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's command set: every device operation is one member that returns a typed value or a
// typed failure. Pacing (the pauses before commands) and the re-opens the meter needs are part of
// each operation, so that every caller sends exactly the same transfers. No state between calls.

#include "device/decode.h"
#include "device/krx738.h"
#include "device/result.h"

#include <QString>

#include <cstdint>

namespace krx {

struct Identity {
    QString serialNo;
    QString swVersion;
    QString deviceName;
};

// What one live reading of IN 0, IN 1 and IN 6 gives.
enum class RangeState { InRange, Over, Under };
struct MeasuredValue {
    RangeState range = RangeState::InRange;
    LiveValue value;  // empty mantissa and 0 Ohm out of range
    StatusByte status;
    int humidity = 0;
    double temperature = 0.0;
};

struct MeasuringSetup {
    SetupFlags flags;
    int measuringTimer = 0;  // seconds
};

struct Timers {
    int measuring = 0;
    int breakDown = 0;
    int breakOff = 0;
};

// Measuring options as the windows choose them.
struct SetupChoice {
    int voltageFunction = 0;  // 0 manual, 1 automatic voltage
    int voltage = 500;        // volts: 10, 100, 500 or 1000
    int displayMode = 0;      // 0 technical, 1 exponent
    int calculation = 0;      // 0 average, 1 lapse
};

class MeterCommands {
public:
    // Opens the meter afresh. NoAccess when a meter is there that this user may not open.
    Status Connect();
    Result<Identity> ReadIdentity();
    // Re-opens first; NoDevice or NoAccess (nothing sent) when that fails.
    Result<StatusByte> ReadStatus();
    // Value, status and climate of one reading. A failed transfer ends it with its code; an
    // unreadable value or climate ends it with UnreadableReply.
    Result<MeasuredValue> ReadMeasuredValue();
    // No pause before it: the caller paces.
    Result<Climate> ReadClimate();
    Result<int> ReadMeasuringVoltage();
    Result<MeasuringSetup> ReadMeasuringSetup();
    Status WriteMeasuringSetup(const SetupChoice& choice);
    Status ApplySettings();
    Result<Timers> ReadTimers();
    Status WriteMeasuringTimer(int seconds);
    Status WriteBreakTimers(int breakDownTimer, int breakOffTimer);
    // Seconds left of the measuring timer, fraction dropped.
    Result<int> ReadRestTime();
    Status SetRemoteMode(std::uint8_t code);
    Status WriteControl(std::uint8_t value);
    Status Start();
    Status Stop();
    // Re-opens first; no pause (the break-down test paces itself).
    Result<std::uint8_t> ReadEvent();
    // Re-opens first; no pause.
    Result<BreakDownValues> ReadBreakDownValues();

    // Stored memories: no re-open, no pause; the caller has connected the meter. The meter hands
    // out one record per request and ends with record number 0.
    Result<OhmRecord> ReadOhmRecord();
    Result<BreakDownRecord> ReadBreakDownRecord();
    Status EraseOhmMemory();
    Status EraseBreakDownMemory();

private:
    int In(int command, unsigned char* buffer, int length);
    int Out(int command, const unsigned char* buffer, int length);
    Status Reopen();
    static void Pause(int ms);

    KRX_738 transport_;
};

// A failure from a transfer's result code (0 or negative) or a short byte count.
Failure TransferFailure(int result);

}  // namespace krx
