#pragma once
// The meter's command set. Every device operation is one member; each returns the result code of
// its last transfer (above 0 success, 0 or a negative libusb code failure), or 0 when its
// reconnect failed and nothing was sent. The class keeps no state between calls.

#include "device/krx738.h"

#include <QString>

#include <cstdint>

class USB {
public:
    static constexpr int CommandPause = 20;  // ms before each paced command
    static constexpr int RequestIn = 5;
    static constexpr int RequestOut = 0x20;
    static constexpr int Index = 0x81;

    // Remote-mode codes: which function of the program is active.
    enum RemoteMode : unsigned char {
        ModeEnd = 1, ModeMain = 3, ModeMeasure = 6, ModeMeasureTimer = 7, ModeSpecial = 12,
        ModeBreakDown = 30, ModeBreakDownDone = 35,
    };
    // Control byte values (command 8).
    static constexpr unsigned char ControlStart = 0x20;
    static constexpr unsigned char ControlStop = 0x40;

    int Connect();
    int ReadIdentity(QString& serialNo, QString& swVersion, QString& deviceName);
    int ReadStatusBits(QString& bits);
    // Raises krx::ConversionError when no status byte could be read (reconnect failed).
    int ReadBatteryEmpty(bool& empty);
    // Ends the program through ReportConnectionLoss when one of its three reads fails.
    int ReadMeasuredValue(double& value, QString& valueText, int& humidity, double& temperature,
                          int& reserved, int& rangeFlag, int& batteryEmpty);
    // Raises krx::ConversionError on unreadable characters.
    int ReadClimate(int& humidity, double& temperature);
    int ReadMeasuringVoltage(int& volts);
    int ReadSetupBits(QString& voltageBits, QString& optionBits);
    int ReadMeasuringSetup(int& voltageIndex, int& autoVoltage, int& lapse, int& exponentDisplay,
                           int& measuringTimer);
    int WriteMeasuringSetup(int voltageFunction, int voltage, int displayMode, int calculation);
    int ApplySettings();
    int ReadTimers(int& measuringTimer, int& breakDownTimer, int& breakOffTimer);
    int WriteMeasuringTimer(int seconds);
    int WriteBreakTimers(int breakDownTimer, int breakOffTimer);
    int ReadRestTime(int& seconds);
    int SetRemoteMode(unsigned char code);
    int StartStop(int start);
    int SendStop();
    int WriteControl(unsigned char value);
    int ReadEventBits(QString& bits);
    // Resistances in kOhm, unsigned 32 bit as the meter sends them.
    int ReadBreakDownValues(int& voltage, std::uint32_t& resistanceBefore, std::uint32_t& resistanceAfterBD,
                            std::uint32_t& resistanceAfterBO, int& breakOffTimer);

    // Stored memories: no reconnect, no pause; the caller has connected the meter.
    int ReadOhmRecord(int& recordNo, QString& date, QString& time, QString& humidity, QString& temperature,
                      int& voltage, int& timer, QString& mantissa, QString& exponent, int& calculation);
    int ReadBreakDownRecord(int& recordNo, QString& date, QString& time, QString& humidity,
                            QString& temperature, int& breakDownVoltage, std::uint32_t& resistanceBefore,
                            std::uint32_t& resistanceAfter, int& cycleTime, std::uint32_t& resistanceOff,
                            int& timerOff);
    int DeleteOhmMemory();
    int DeleteBreakDownMemory();

    // Seconds of the high-resolution counter, -1.0 without one.
    static double CounterSeconds();
    // Shows "Connection to the KRX 738 interrupted..." and ends the process with the code.
    [[noreturn]] static void ReportConnectionLoss(int code);

private:
    int In(int command, unsigned char* buffer, int length);
    int Out(int command, const unsigned char* buffer, int length);
    static void Pause(int ms = CommandPause);

    KRX_738 krx_;
};
