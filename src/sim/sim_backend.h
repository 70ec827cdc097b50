// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated meter behind the USB backend seam: answers every control transfer the program
// sends as the meter would, on the process' clock, with faults that tests can inject.

#include "device/backend.h"
#include "device/protocol.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <optional>
#include <vector>

namespace krx::sim {

// A fault applied to the transfers that match it (by position and, optionally, by command).
struct Fault {
    enum Kind {
        Unplug,        // meter gone from this transfer on: opens fail, transfers give NO_DEVICE
        Replug,        // meter back
        Fail,          // the transfer fails with `code`
        Timeout,       // the transfer takes the full timeout and fails with TIMEOUT
        Short,         // an IN reply delivers only `bytes` bytes
        Garbage,       // an IN reply's bytes are replaced by unreadable characters
        AccessDenied,  // the meter is present but cannot be opened for lack of permission
    };
    Kind kind = Fail;
    int at = 0;          // 0-based index among the matching control transfers
    int command = -1;    // only transfers with this command code (wValue) count; -1: all
    int direction = 0;   // 0 both, 1 IN only, 2 OUT only
    int count = 1;       // how many matching transfers in a row are affected (Unplug/Replug: 1)
    int code = kUsbErrorIo;
    int bytes = 0;
    double atSecond = -1.0;  // instead of `at`: from this clock second (relative to the start) on
};

struct OhmRecordSpec {
    std::array<unsigned char, protocol::kOhmRecordBytes> bytes{};
};
struct BreakDownRecordSpec {
    std::array<unsigned char, protocol::kBreakDownRecordBytes> bytes{};
};

struct Scenario {
    // Identity, as the meter sends it (padded with blanks to 8, 4 and 7 characters).
    std::string serialNo = "73800042";
    std::string swVersion = "1.07";
    std::string deviceName = "KRX 738";
    bool present = true;
    bool batteryEmpty = false;

    // Setup bytes and timers as the meter holds them at power-up.
    unsigned char setup0 = 0x08;  // 500 V, manual
    unsigned char setup1 = 0x00;  // technical display, average
    int measuringTimer = 60;
    int breakDownTimer = 30;
    int breakOffTimer = 20;

    // Live measurement: voltage ramps up and is reported stable after this many seconds.
    double stabiliseSeconds = 3.0;
    // Insulation resistance in ohms at the nominal voltage: r0 at the start, rising towards
    // rInf with time constant tau (dielectric absorption).
    double r0 = 2.0e8;
    double rInf = 4.0e10;
    double tauSeconds = 90.0;
    // Leakage over surfaces, moisture or cracks: the resistance at voltage V is the above times
    // (1 - fall/100)^(V/100). 0 (the default) is healthy insulation that no voltage changes.
    double leakageFallPerHundredVolts = 0.0;
    // An ESD item or a material whose resistance depends on the voltage: at 10 V and at 100 V these
    // values hold from the start (no absorption), so that the 10 V → 100 V rule can take either path.
    std::optional<double> rAt10V, rAt100V;
    // Range limits in ohms per volt of the nominal voltage: below min*V underflow, above max*V
    // overflow.
    double minOhmPerVolt = 1.0e3;
    double maxOhmPerVolt = 2.0e10;
    double humidity = 45.0;
    double temperature = 22.5;

    // Break-down test (seconds after each phase's start; negative: the event never happens).
    double breakDownAfter = 14.0;
    double breakOffAfter = 6.0;
    int breakDownVoltage = 1000;
    std::uint32_t resistanceBeforeKOhm = 1999999;
    std::uint32_t resistanceAfterBDKOhm = 1500;
    std::uint32_t resistanceAfterBOKOhm = 250000;

    std::vector<OhmRecordSpec> ohmMemory;
    std::vector<BreakDownRecordSpec> breakDownMemory;
    std::vector<Fault> faults;

    // Several meters on one computer: when not empty, these stand for the meters (each its own
    // serial, curve and faults; the keys above are what they share unless they say otherwise).
    std::vector<Scenario> meters;
    // Where a meter of several sits: bus 1 at this address (0: the next after the one before).
    // A meter plugged in again gets a new address, as on a real bus. One meter alone sits at 0/0.
    int address = 0;

    static Scenario Default();
    // Raises std::runtime_error with a message naming the problem.
    static Scenario FromJson(const std::string& text);
    static Scenario FromJsonFile(const QString& path);
};

class Meter;

class SimBackend : public UsbBackend {
public:
    explicit SimBackend(Scenario scenario);
    ~SimBackend() override;
    int OpenDevice() override;
    int ControlTransfer(int requestType, int request, int value, int index, unsigned char* data, int length,
                        int timeoutMs) override;
    int LastOpenError() const override;
    bool Simulated() const override { return true; }
    std::vector<MeterPlace> ListMeters() override;
    size_t CountMeters() override;
    void AimAt(bool aim, int bus, int address) override;
    void CloseDevice() override;

    // The meter last opened (the first before any open); with several, meter(i) is the i-th.
    Meter& meter();
    Meter& meter(size_t i);
    size_t MeterCount() const;
    // Arms a fault on the meter last opened (the first before any open).
    void Inject(const Fault& fault);
    // Disarms every fault, also those that have not struck yet.
    void ClearFaults();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace krx::sim
