// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What travels between the program and the meter, written down once: the USB identity, the vendor
// requests, the command numbers (the wValue of every request), the reply sizes, the bits of the
// status, event and setup bytes, the remote-mode codes and the control bytes. The command set,
// the simulated meter and the fuzz targets all take their numbers from here.

#include <cstdint>

namespace krx::protocol {

// USB identity and the one interface the meter has.
constexpr int kVendorId = 0x16C0;
constexpr int kProductId = 0x2B5F;
constexpr int kConfiguration = 1;
constexpr int kInterface = 0;

// Every exchange is a vendor control transfer to the device.
constexpr int kRequestTypeIn = 0xC0;   // device to host, vendor, device
constexpr int kRequestTypeOut = 0x40;  // host to device, vendor, device
constexpr int kRequestIn = 5;
constexpr int kRequestOut = 0x20;
constexpr int kIndex = 0x81;
constexpr int kTimeoutMs = 1000;

// Pause before each paced command; the meter misses commands that come closer together.
constexpr int kCommandPauseMs = 20;

enum Command : int {
    kValue = 0,            // IN: live value, 4 mantissa + 2 exponent characters
    kStatus = 1,           // IN: status byte
    kEvent = 2,            // IN: event byte of the break-down test
    kVoltage = 5,          // IN: actual measuring voltage, 4 characters
    kClimate = 6,          // IN: humidity 2 characters, temperature 4 characters
    kBreakDownValues = 7,  // IN: break-down test values, binary
    kControl = 8,          // OUT: control byte (start, stop, acknowledge, reset)
    kIdentity = 10,        // IN: serial number, software version, device name
    kOhmRecord = 35,       // IN: next resistance-memory record; OUT 0xFF erases the memory
    kBreakDownRecord = 36, // IN: next break-down-memory record; OUT 0xFF erases the memory
    kApply = 37,           // OUT 0x10: take the settings just written
    kTimerMeasure = 48,    // IN/OUT: measuring timer, seconds, big-endian 16 bit
    kTimerBreakDown = 49,  // IN/OUT: break-down timer
    kTimerBreakOff = 50,   // IN/OUT: break-off timer
    kRestTime = 51,        // IN: rest of the measuring timer, tenths of a second
    kSetup = 53,           // IN/OUT: the two setup bytes
    kRemoteMode = 54,      // OUT: which function of the program is active
};

// Reply sizes, in bytes.
constexpr int kValueBytes = 6;
constexpr int kStatusBytes = 1;
constexpr int kEventBytes = 1;
constexpr int kVoltageBytes = 4;
constexpr int kClimateBytes = 6;
constexpr int kBreakDownValuesBytes = 16;
constexpr int kIdentityBytes = 20;
constexpr int kOhmRecordBytes = 30;
constexpr int kBreakDownRecordBytes = 31;
constexpr int kTimerBytes = 2;
constexpr int kRestTimeBytes = 2;
constexpr int kSetupBytes = 2;

// Identity reply layout.
constexpr int kSerialOffset = 0, kSerialLength = 8;
constexpr int kSoftwareOffset = 8, kSoftwareLength = 4;
constexpr int kNameOffset = 13, kNameLength = 7;

// Status byte.
constexpr std::uint8_t kStatusRunning = 0x20;       // b5: the meter runs a (timer) measurement
constexpr std::uint8_t kStatusBatteryEmpty = 0x08;  // b3
constexpr std::uint8_t kStatusStable = 0x04;        // b2: measuring voltage stable
constexpr std::uint8_t kStatusUnderflow = 0x02;     // b1: below the range
constexpr std::uint8_t kStatusOverflow = 0x01;      // b0: above the range

// Event byte of the break-down test.
constexpr std::uint8_t kEventPhaseEnded = 0x10;  // b4: the phase's timer ran out without its event
constexpr std::uint8_t kEventBreakOff = 0x04;    // b2
constexpr std::uint8_t kEventBreakDown = 0x02;   // b1
constexpr std::uint8_t kEventNewValues = 0x01;   // b0: new intermediate values

// Setup byte 0: the voltage, or the automatic voltage function.
constexpr std::uint8_t kSetupAutoVoltage = 0x40;
constexpr std::uint8_t kSetup10V = 0x02;
constexpr std::uint8_t kSetup100V = 0x04;
constexpr std::uint8_t kSetup500V = 0x08;
constexpr std::uint8_t kSetup1000V = 0x10;
// Setup byte 1.
constexpr std::uint8_t kSetupExponentDisplay = 0x02;
constexpr std::uint8_t kSetupLapse = 0x01;
constexpr std::uint8_t kApplySettings = 0x10;

// Remote-mode codes.
enum RemoteMode : std::uint8_t {
    kModeEnd = 1,
    kModeMain = 3,
    kModeMeasure = 6,
    kModeMeasureTimer = 7,
    kModeSpecial = 12,
    kModeBreakDown = 30,
    kModeBreakDownDone = 35,
};

// Control byte values (command kControl).
constexpr std::uint8_t kControlReset = 0x00;        // back to the set-up of the break-down test
constexpr std::uint8_t kControlAcknowledge = 0x02;  // break-down taken; the next start is the break-off
constexpr std::uint8_t kControlStart = 0x20;
constexpr std::uint8_t kControlStop = 0x40;
constexpr std::uint8_t kEraseMemory = 0xFF;          // OUT on a record command

}  // namespace krx::protocol
