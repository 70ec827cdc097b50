// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/commands.h"

#include "device/clock.h"
#include "device/backend.h"
#include "device/protocol.h"


namespace krx {

using namespace protocol;

const char* ErrorText(DeviceError error)
{
    switch (error) {
    case DeviceError::NoDevice: return "no meter found";
    case DeviceError::NoAccess: return "no permission to open the meter";
    case DeviceError::Timeout: return "the meter did not answer in time";
    case DeviceError::TransferFailed: return "the transfer failed";
    case DeviceError::ShortReply: return "the meter's reply was cut short";
    case DeviceError::UnreadableReply: return "the meter's reply was unreadable";
    }
    return "unknown error";
}

Failure TransferFailure(int result)
{
    Failure f;
    f.code = result;
    if (result > 0)
        f.error = DeviceError::ShortReply;
    else if (result == kUsbErrorTimeout)
        f.error = DeviceError::Timeout;
    else
        f.error = DeviceError::TransferFailed;
    return f;
}

namespace {

QString Text(const unsigned char* bytes, int count)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += QChar(bytes[i]);
    return s;
}

void PutBe16(unsigned char* out, int value)
{
    out[0] = static_cast<unsigned char>((value >> 8) & 0xFF);
    out[1] = static_cast<unsigned char>(value & 0xFF);
}

Status Sent(int result)
{
    if (result > 0)
        return Done{};
    return TransferFailure(result);
}

}  // namespace

void MeterCommands::Pause(int ms)
{
    TheClock().Sleep(ms);
}

int MeterCommands::In(int command, unsigned char* buffer, int length)
{
    return transport_.ControlIn(kRequestIn, command, kIndex, buffer, length);
}

int MeterCommands::Out(int command, const unsigned char* buffer, int length)
{
    return transport_.ControlOut(kRequestOut, command, kIndex, buffer, length);
}

Status MeterCommands::Reopen()
{
    if (transport_.OpenDevice() > 0)
        return Done{};
    Failure f;
    f.error = TheUsbBackend().LastOpenError() == kUsbErrorAccess ? DeviceError::NoAccess : DeviceError::NoDevice;
    return f;
}

Status MeterCommands::Connect()
{
    return Reopen();
}

Result<Identity> MeterCommands::ReadIdentity()
{
    unsigned char buf[kIdentityBytes] = {};
    Pause(kCommandPauseMs);
    const int result = In(kIdentity, buf, kIdentityBytes);
    if (result <= 0)
        return TransferFailure(result);
    // Every byte is one character as received; bytes a short reply did not deliver stay 0.
    return Identity{Text(buf + kSerialOffset, kSerialLength), Text(buf + kSoftwareOffset, kSoftwareLength),
                    Text(buf + kNameOffset, kNameLength)};
}

Result<StatusByte> MeterCommands::ReadStatus()
{
    if (const Status open = Reopen(); !open)
        return open.error();
    unsigned char buf[kStatusBytes] = {};
    Pause(kCommandPauseMs);
    const int result = In(kStatus, buf, kStatusBytes);
    if (result <= 0)
        return TransferFailure(result);
    return StatusByte{buf[0]};
}

Result<MeasuredValue> MeterCommands::ReadMeasuredValue()
{
    unsigned char reply[kValueBytes] = {};
    Pause(kCommandPauseMs);
    int result = In(kValue, reply, kValueBytes);
    if (result <= 0)
        return TransferFailure(result);

    Pause(kCommandPauseMs);
    const Result<StatusByte> status = ReadStatus();
    if (!status)
        return status.error();
    MeasuredValue m;
    m.status = *status;
    if (m.status.Overflow())
        m.range = RangeState::Over;
    if (m.status.Underflow())
        m.range = RangeState::Under;  // below the range wins over above it
    if (m.range == RangeState::InRange) {
        const Result<LiveValue> v = DecodeLiveValue(reply);
        if (!v)
            return v.error();
        m.value = *v;
    }

    unsigned char climate[kClimateBytes] = {};
    Pause(kCommandPauseMs);
    result = In(kClimate, climate, kClimateBytes);
    if (result <= 0)
        return TransferFailure(result);
    const Result<Climate> c = DecodeClimate(climate);
    if (!c)
        return c.error();
    m.humidity = c->humidity;
    m.temperature = c->temperature;
    return m;
}

Result<Climate> MeterCommands::ReadClimate()
{
    unsigned char buf[kClimateBytes] = {};
    const int result = In(kClimate, buf, kClimateBytes);
    // Decoded first: a failed read leaves zero bytes, which are no number either.
    const Result<Climate> c = DecodeClimate(buf);
    if (!c || result <= 0)
        return c ? TransferFailure(result) : c.error();
    return c;
}

Result<int> MeterCommands::ReadMeasuringVoltage()
{
    unsigned char buf[kVoltageBytes + 1] = {};  // one spare zero byte ends the text
    const int result = In(kVoltage, buf, kVoltageBytes);
    if (result <= 0)
        return TransferFailure(result);
    return DecodeVoltage(buf);
}

Result<MeasuringSetup> MeterCommands::ReadMeasuringSetup()
{
    const Status open = Reopen();
    unsigned char buf[kSetupBytes] = {};
    int result = 0;
    if (open) {
        Pause(kCommandPauseMs);
        result = In(kSetup, buf, kSetupBytes);
    }
    Pause(kCommandPauseMs);  // also after an open that failed
    if (!open)
        return open.error();
    if (result <= 0)
        return TransferFailure(result);
    const Result<Timers> timers = ReadTimers();
    if (!timers)
        return timers.error();
    return MeasuringSetup{DecodeSetup(buf[0], buf[1]), timers->measuring};
}

Status MeterCommands::WriteMeasuringSetup(const SetupChoice& choice)
{
    if (const Status open = Reopen(); !open)
        return open;
    unsigned char buf[kSetupBytes] = {};
    Pause(kCommandPauseMs);
    In(kSetup, buf, kSetupBytes);  // read before writing, as the meter expects; the reply is not used
    EncodeSetup(choice.voltageFunction, choice.voltage, choice.displayMode, choice.calculation, buf);
    Pause(kCommandPauseMs);
    Out(kSetup, buf, kSetupBytes);
    Pause(kCommandPauseMs);
    const int result = Out(kSetup, buf, kSetupBytes);  // the meter takes the setup only when sent twice
    Pause(kCommandPauseMs);
    ApplySettings();
    return Sent(result);
}

Status MeterCommands::ApplySettings()
{
    const unsigned char buf[1] = {kApplySettings};
    const int result = Out(kApply, buf, 1);
    Pause(kCommandPauseMs);
    return Sent(result);
}

Result<Timers> MeterCommands::ReadTimers()
{
    Timers t;
    int* fields[] = {&t.measuring, &t.breakDown, &t.breakOff};
    const int commands[] = {kTimerMeasure, kTimerBreakDown, kTimerBreakOff};
    for (int i = 0; i < 3; ++i) {
        unsigned char buf[kTimerBytes] = {};
        Pause(kCommandPauseMs);
        const int result = In(commands[i], buf, kTimerBytes);
        if (result <= 0)
            return TransferFailure(result);
        *fields[i] = static_cast<int>(Be16(buf));
    }
    return t;
}

Status MeterCommands::WriteMeasuringTimer(int seconds)
{
    unsigned char buf[kTimerBytes];
    PutBe16(buf, seconds);
    return Sent(Out(kTimerMeasure, buf, kTimerBytes));
}

Status MeterCommands::WriteBreakTimers(int breakDownTimer, int breakOffTimer)
{
    unsigned char buf[kTimerBytes];
    PutBe16(buf, breakDownTimer);
    Out(kTimerBreakDown, buf, kTimerBytes);
    Pause(80);
    PutBe16(buf, breakOffTimer);
    const int result = Out(kTimerBreakOff, buf, kTimerBytes);
    Pause(100);
    ApplySettings();
    return Sent(result);
}

Result<int> MeterCommands::ReadRestTime()
{
    unsigned char buf[kRestTimeBytes] = {};
    const int result = In(kRestTime, buf, kRestTimeBytes);
    if (result <= 0)
        return TransferFailure(result);
    return static_cast<int>(Be16(buf) / 10);  // tenths of a second, fraction dropped
}

Status MeterCommands::SetRemoteMode(std::uint8_t code)
{
    const unsigned char buf[1] = {code};
    Pause(kCommandPauseMs);
    return Sent(Out(kRemoteMode, buf, 1));
}

Status MeterCommands::WriteControl(std::uint8_t value)
{
    const unsigned char buf[1] = {value};
    return Sent(Out(kControl, buf, 1));
}

Status MeterCommands::Start()
{
    return WriteControl(kControlStart);
}

Status MeterCommands::Stop()
{
    return WriteControl(kControlStop);
}

Result<std::uint8_t> MeterCommands::ReadEvent()
{
    if (const Status open = Reopen(); !open)
        return open.error();
    unsigned char buf[kEventBytes] = {};
    const int result = In(kEvent, buf, kEventBytes);
    if (result <= 0)
        return TransferFailure(result);
    return std::uint8_t{buf[0]};
}

Result<BreakDownValues> MeterCommands::ReadBreakDownValues()
{
    if (const Status open = Reopen(); !open)
        return open.error();
    unsigned char buf[kBreakDownValuesBytes] = {};
    const int result = In(kBreakDownValues, buf, kBreakDownValuesBytes);
    if (result <= 0)
        return TransferFailure(result);
    return DecodeBreakDownValues(buf);
}

Result<OhmRecord> MeterCommands::ReadOhmRecord()
{
    unsigned char buf[kOhmRecordBytes + 1] = {};
    const int result = In(kOhmRecord, buf, kOhmRecordBytes);
    // A reply shorter than a record is no record: the transfer failed or was cut short.
    if (result < kOhmRecordBytes)
        return TransferFailure(result);
    return DecodeOhmRecord(buf);
}

Result<BreakDownRecord> MeterCommands::ReadBreakDownRecord()
{
    unsigned char buf[kBreakDownRecordBytes + 1] = {};
    const int result = In(kBreakDownRecord, buf, kBreakDownRecordBytes);
    if (result < kBreakDownRecordBytes)
        return TransferFailure(result);
    return DecodeBreakDownRecord(buf);
}

Status MeterCommands::EraseOhmMemory()
{
    const unsigned char buf[1] = {kEraseMemory};
    return Sent(Out(kOhmRecord, buf, 1));
}

Status MeterCommands::EraseBreakDownMemory()
{
    const unsigned char buf[1] = {kEraseMemory};
    return Sent(Out(kBreakDownRecord, buf, 1));
}

}  // namespace krx
