#include "device/usb.h"

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/localetext.h"
#include "device/decode.h"

#include <cstring>

using namespace krx;

// Command codes (wValue of every request).
namespace {
enum Command {
    CmdValue = 0, CmdStatus = 1, CmdEvent = 2, CmdVoltage = 5, CmdClimate = 6, CmdBreakDownValues = 7,
    CmdControl = 8, CmdIdentity = 10, CmdOhmRecord = 35, CmdBreakDownRecord = 36, CmdApply = 37,
    CmdTimerMeasure = 48, CmdTimerBreakDown = 49, CmdTimerBreakOff = 50, CmdRestTime = 51,
    CmdSetup = 53, CmdRemoteMode = 54,
};
}  // namespace

void USB::Pause(int ms)
{
    TheClock().Sleep(ms);
}

int USB::In(int command, unsigned char* buffer, int length)
{
    return krx_.ControlIn(RequestIn, command, Index, buffer, length);
}

int USB::Out(int command, const unsigned char* buffer, int length)
{
    return krx_.ControlOut(RequestOut, command, Index, buffer, length);
}

int USB::Connect()
{
    return krx_.OpenDevice();
}

int USB::ReadIdentity(QString& serialNo, QString& swVersion, QString& deviceName)
{
    unsigned char buf[20] = {};
    Pause();
    const int result = In(CmdIdentity, buf, 20);
    if (result > 0) {
        // Every byte is one character as received; bytes a short reply did not deliver stay 0.
        serialNo = FromBytes(buf, 8);
        swVersion = FromBytes(buf + 8, 4);
        deviceName = FromBytes(buf + 13, 7);
    }
    return result;
}

int USB::ReadStatusBits(QString& bits)
{
    if (krx_.OpenDevice() == 0)
        return 0;
    unsigned char buf[1] = {};
    Pause();
    const int result = In(CmdStatus, buf, 1);
    bits = BitText(buf[0]);
    return result;
}

int USB::ReadBatteryEmpty(bool& empty)
{
    QString bits;
    const int result = ReadStatusBits(bits);
    if (bits.size() < 6)
        throw ConversionError("The KRX 738 did not answer the status request.");
    empty = BitSet(bits, 6);
    return result;
}

int USB::ReadMeasuredValue(double& value, QString& valueText, int& humidity, double& temperature, int& reserved,
                           int& rangeFlag, int& batteryEmpty)
{
    reserved = 0;
    int result = 0;
    try {
        unsigned char reply[6] = {};
        Pause();
        result = In(CmdValue, reply, 6);
        if (result <= 0)
            ReportConnectionLoss(result);

        QString bits;
        Pause();
        result = ReadStatusBits(bits);
        if (result <= 0)
            ReportConnectionLoss(result);
        rangeFlag = 0;
        if (BitSet(bits, 9))
            rangeFlag = 1;
        if (BitSet(bits, 8))
            rangeFlag = 2;  // below the range wins over above it
        batteryEmpty = BitSet(bits, 6) ? 1 : 0;

        if (rangeFlag != 0) {
            valueText = QStringLiteral("0");
            value = 0.0;
        } else {
            const LiveValue v = DecodeLiveValue(reply);
            valueText = v.text;
            value = v.value;
        }

        unsigned char climate[6] = {};
        Pause();
        result = In(CmdClimate, climate, 6);
        if (result <= 0)
            ReportConnectionLoss(result);
        humidity = DecodeHumidity(climate);
        temperature = DecodeTemperature(climate + 2);
    } catch (const ConversionError& e) {
        TheDialogs().ShowError(e.Message());
    }
    return result;
}

int USB::ReadClimate(int& humidity, double& temperature)
{
    unsigned char buf[6] = {};
    const int result = In(CmdClimate, buf, 6);
    humidity = DecodeHumidity(buf);
    temperature = DecodeTemperature(buf + 2);
    return result;
}

int USB::ReadMeasuringVoltage(int& volts)
{
    unsigned char buf[5] = {};  // one spare zero byte ends the text
    const int result = In(CmdVoltage, buf, 4);
    volts = DecodeVoltage(buf);
    return result;
}

int USB::ReadSetupBits(QString& voltageBits, QString& optionBits)
{
    if (krx_.OpenDevice() == 0)
        return 0;
    unsigned char buf[2] = {};
    Pause();
    const int result = In(CmdSetup, buf, 2);
    voltageBits = BitText(buf[0]);
    optionBits = BitText(buf[1]);
    return result;
}

int USB::ReadMeasuringSetup(int& voltageIndex, int& autoVoltage, int& lapse, int& exponentDisplay,
                            int& measuringTimer)
{
    QString voltageBits, optionBits;
    int result = ReadSetupBits(voltageBits, optionBits);
    Pause();
    if (result <= 0)
        return result;
    int breakDownTimer = 0, breakOffTimer = 0;
    result = ReadTimers(measuringTimer, breakDownTimer, breakOffTimer);
    if (result <= 0)
        return result;
    const SetupFlags f = DecodeSetup(voltageBits, optionBits);
    if (f.voltageKnown)
        voltageIndex = f.voltageIndex;
    autoVoltage = f.autoVoltage;
    lapse = f.lapse;
    exponentDisplay = f.exponentDisplay;
    return result;
}

int USB::WriteMeasuringSetup(int voltageFunction, int voltage, int displayMode, int calculation)
{
    if (krx_.OpenDevice() == 0)
        return 0;
    unsigned char buf[2] = {};
    Pause();
    In(CmdSetup, buf, 2);  // read before writing, as the meter expects; the reply is not used
    EncodeSetup(voltageFunction, voltage, displayMode, calculation, buf);
    Pause();
    Out(CmdSetup, buf, 2);
    Pause();
    const int result = Out(CmdSetup, buf, 2);  // the meter takes the setup only when sent twice
    Pause();
    ApplySettings();
    return result;
}

int USB::ApplySettings()
{
    const unsigned char buf[1] = {0x10};
    const int result = Out(CmdApply, buf, 1);
    Pause();
    return result;
}

int USB::ReadTimers(int& measuringTimer, int& breakDownTimer, int& breakOffTimer)
{
    // One buffer for the three reads: a failed later read leaves the earlier bytes in it.
    unsigned char buf[2] = {};
    Pause();
    int result = In(CmdTimerMeasure, buf, 2);
    measuringTimer = static_cast<int>(Be16(buf));
    if (result <= 0)
        return result;
    Pause();
    result = In(CmdTimerBreakDown, buf, 2);
    breakDownTimer = static_cast<int>(Be16(buf));
    if (result <= 0)
        return result;
    Pause();
    result = In(CmdTimerBreakOff, buf, 2);
    breakOffTimer = static_cast<int>(Be16(buf));
    return result;
}

namespace {
void PutBe16(unsigned char* out, int value)
{
    out[0] = static_cast<unsigned char>((value >> 8) & 0xFF);
    out[1] = static_cast<unsigned char>(value & 0xFF);
}
}  // namespace

int USB::WriteMeasuringTimer(int seconds)
{
    unsigned char buf[2];
    PutBe16(buf, seconds);
    return Out(CmdTimerMeasure, buf, 2);
}

int USB::WriteBreakTimers(int breakDownTimer, int breakOffTimer)
{
    unsigned char buf[2];
    PutBe16(buf, breakDownTimer);
    Out(CmdTimerBreakDown, buf, 2);
    Pause(80);
    PutBe16(buf, breakOffTimer);
    const int result = Out(CmdTimerBreakOff, buf, 2);
    Pause(100);
    ApplySettings();
    return result;
}

int USB::ReadRestTime(int& seconds)
{
    unsigned char buf[2] = {};
    const int result = In(CmdRestTime, buf, 2);
    seconds = static_cast<int>(Be16(buf) / 10);  // tenths of a second, fraction dropped
    return result;
}

int USB::SetRemoteMode(unsigned char code)
{
    const unsigned char buf[1] = {code};
    Pause();
    return Out(CmdRemoteMode, buf, 1);
}

int USB::StartStop(int start)
{
    return WriteControl(start == 1 ? ControlStart : ControlStop);
}

int USB::SendStop()
{
    return WriteControl(ControlStop);
}

int USB::WriteControl(unsigned char value)
{
    const unsigned char buf[1] = {value};
    return Out(CmdControl, buf, 1);
}

int USB::ReadEventBits(QString& bits)
{
    if (krx_.OpenDevice() == 0)
        return 0;
    unsigned char buf[1] = {};
    const int result = In(CmdEvent, buf, 1);
    bits = BitText(buf[0]);
    return result;
}

int USB::ReadBreakDownValues(int& voltage, std::uint32_t& resistanceBefore, std::uint32_t& resistanceAfterBD,
                             std::uint32_t& resistanceAfterBO, int& breakOffTimer)
{
    if (krx_.OpenDevice() == 0)
        return 0;
    unsigned char buf[16] = {};
    const int result = In(CmdBreakDownValues, buf, 16);
    const BreakDownValues v = DecodeBreakDownValues(buf);
    voltage = v.voltage;
    resistanceBefore = v.resistanceBefore;
    resistanceAfterBD = v.resistanceAfterBD;
    resistanceAfterBO = v.resistanceAfterBO;
    breakOffTimer = v.breakOffTimer;
    return result;
}

int USB::ReadOhmRecord(int& recordNo, QString& date, QString& time, QString& humidity, QString& temperature,
                       int& voltage, int& timer, QString& mantissa, QString& exponent, int& calculation)
{
    unsigned char buf[31] = {};
    temperature.clear();
    const int result = In(CmdOhmRecord, buf, 30);
    // Decoded whatever the result: a failed read gives record number 0, the end of the memory.
    const OhmRecord r = DecodeOhmRecord(buf);
    recordNo = r.head.recordNo;
    date = r.head.date;
    time = r.head.time;
    humidity = r.head.humidity;
    temperature = r.head.temperature;
    voltage = r.voltage;
    timer = r.timer;
    mantissa = r.mantissa;
    exponent = r.exponent;
    calculation = r.calculation;
    return result;
}

int USB::ReadBreakDownRecord(int& recordNo, QString& date, QString& time, QString& humidity, QString& temperature,
                             int& breakDownVoltage, std::uint32_t& resistanceBefore, std::uint32_t& resistanceAfter,
                             int& cycleTime, std::uint32_t& resistanceOff, int& timerOff)
{
    unsigned char buf[32] = {};
    temperature.clear();
    const int result = In(CmdBreakDownRecord, buf, 31);
    const BreakDownRecord r = DecodeBreakDownRecord(buf);
    recordNo = r.head.recordNo;
    date = r.head.date;
    time = r.head.time;
    humidity = r.head.humidity;
    temperature = r.head.temperature;
    breakDownVoltage = r.breakDownVoltage;
    resistanceBefore = r.resistanceBefore;
    resistanceAfter = r.resistanceAfter;
    cycleTime = r.cycleTime;
    resistanceOff = r.resistanceOff;
    timerOff = r.timerOff;
    return result;
}

int USB::DeleteOhmMemory()
{
    const unsigned char buf[1] = {0xFF};
    return Out(CmdOhmRecord, buf, 1);
}

int USB::DeleteBreakDownMemory()
{
    const unsigned char buf[1] = {0xFF};
    return Out(CmdBreakDownRecord, buf, 1);
}

double USB::CounterSeconds()
{
    Clock& clock = TheClock();
    return clock.HasCounter() ? clock.Seconds() : -1.0;
}

void USB::ReportConnectionLoss(int code)
{
    const QString caption = QStringLiteral("!! Error Nr.: ") + QString::number(code) + QStringLiteral(" occurred ");
    TheDialogs().ProcessEvents();
    TheDialogs().Message(QStringLiteral("Connection to the KRX 738 interrupted. Program is terminated."), caption,
                         Buttons::Ok, Icon::None);
    ExitProcess(code);
}
