// SPDX-License-Identifier: GPL-3.0-or-later
// Device link benchmarks. Not a test: prints figures.
//  1. The libusb path against a meter on the emulated USB bus: one control transfer, and
//     OpenDevice (close, enumerate, open, configure, claim).
//  2. What the command set adds on top of its mandated pauses for ReadMeasuredValue and
//     ReadMeasuringSetup, on the real steady clock, against the simulated meter (and, for
//     comparison, over the emulated USB bus).
// Usage: bench_device_link [ROUNDS]   (ROUNDS of each command-set operation, default 25)
#include "usb_testbed.h"

#include "device/clock.h"
#include "device/backend.h"
#include "device/commands.h"
#include "device/krx738.h"
#include "device/protocol.h"
#include "device/transfer_log.h"
#include "sim/sim_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace krx;
using Steady = std::chrono::steady_clock;

namespace {

double Ms(Steady::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Stats {
    double median = 0, mean = 0, p95 = 0;
};

Stats Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    Stats s;
    s.median = v[v.size() / 2];
    s.p95 = v[std::min(v.size() - 1, v.size() * 95 / 100)];
    for (double x : v)
        s.mean += x;
    s.mean /= static_cast<double>(v.size());
    return s;
}

[[noreturn]] void Fail(const char* what, int result)
{
    std::fprintf(stderr, "bench: %s failed with %d\n", what, result);
    std::exit(1);
}

// Times `rounds` calls of op, each expected to return `expect`.
Stats TimeCalls(const char* what, int rounds, int expect, const std::function<int()>& op)
{
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(rounds));
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Steady::now();
        const int result = op();
        ms.push_back(Ms(Steady::now() - t0));
        if (result != expect)
            Fail(what, result);
        if (i % 256 == 255)
            TheTransferLog().Clear();
    }
    TheTransferLog().Clear();
    return Summarise(ms);
}

// The real steady clock, keeping account of the pauses asked for and of the time they took.
class PauseAccountingClock : public Clock {
public:
    void Sleep(int ms) override
    {
        mandatedMs += ms;
        const auto t0 = Steady::now();
        TheSteadyClock().Sleep(ms);
        sleptMs += Ms(Steady::now() - t0);
    }
    double Seconds() override { return TheSteadyClock().Seconds(); }

    long long mandatedMs = 0;
    double sleptMs = 0;
};

struct Overhead {
    double pausesMs = 0;     // mandated pauses per call
    double wallMs = 0;       // mean wall time per call
    double oversleepMs = 0;  // how much longer the pauses took than asked
    double workMs = 0;       // everything outside the pauses: transfers, decoding, logging
};

Overhead MeasureOverhead(const char* what, int rounds, const std::function<int()>& op)
{
    PauseAccountingClock clock;
    SetClock(&clock);
    op();  // warm-up
    clock.mandatedMs = 0;
    clock.sleptMs = 0;
    TheTransferLog().Clear();
    const auto t0 = Steady::now();
    for (int i = 0; i < rounds; ++i) {
        const int result = op();
        if (result <= 0)
            Fail(what, result);
    }
    const double wall = Ms(Steady::now() - t0);
    SetClock(nullptr);
    TheTransferLog().Clear();
    const double n = rounds;
    Overhead o;
    o.pausesMs = static_cast<double>(clock.mandatedMs) / n;
    o.wallMs = wall / n;
    o.oversleepMs = (clock.sleptMs - static_cast<double>(clock.mandatedMs)) / n;
    o.workMs = (wall - clock.sleptMs) / n;
    return o;
}

void PrintOverhead(const char* name, const Overhead& o)
{
    const double added = o.wallMs - o.pausesMs;
    std::printf("  %-38s %7.1f ms %9.3f ms %7.3f ms %6.2f %% %9.3f ms %9.3f ms\n", name, o.pausesMs, o.wallMs,
                added, 100.0 * added / o.pausesMs, o.oversleepMs, o.workMs);
}

void PrintStats(const char* name, const Stats& s)
{
    std::printf("  %-52s %8.3f ms %8.3f ms %8.3f ms\n", name, s.median, s.mean, s.p95);
}

struct CommandSetFigures {
    Overhead value, setup;
};

CommandSetFigures MeasureCommandSet(int rounds)
{
    MeterCommands usb;
    if (!usb.Connect())
        Fail("Connect", 0);
    CommandSetFigures f;
    f.value = MeasureOverhead("ReadMeasuredValue", rounds, [&] { return CodeOf(usb.ReadMeasuredValue()); });
    f.setup = MeasureOverhead("ReadMeasuringSetup", rounds, [&] { return CodeOf(usb.ReadMeasuringSetup()); });
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    test::RunUnderUmockdevPreload(argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 25;

    // --- the libusb path against the emulated meter ---
    test::UsbTestbed& bed = test::UsbTestbed::Instance();
    bed.Plug(1, 2);
    SetUsbBackend(MakeLibusbBackend());
    KRX_738 krx;
    if (krx.OpenDevice() != 1)
        Fail("OpenDevice", 0);
    unsigned char buf[20] = {};
    using namespace protocol;
    const unsigned char mode[1] = {kModeMain};
    const Stats in1 = TimeCalls("IN 1", 3000, 1, [&] { return krx.ControlIn(kRequestIn, kStatus, kIndex, buf, 1); });
    const Stats in20 =
        TimeCalls("IN 10", 3000, 20, [&] { return krx.ControlIn(kRequestIn, kIdentity, kIndex, buf, 20); });
    const Stats out1 =
        TimeCalls("OUT 54", 3000, 1, [&] { return krx.ControlOut(kRequestOut, kRemoteMode, kIndex, mode, 1); });
    const Stats open = TimeCalls("OpenDevice", 500, 1, [&] { return krx.OpenDevice(); });
    const CommandSetFigures overUsb = MeasureCommandSet(std::max(1, rounds / 2));

    // --- the command set against the simulated meter ---
    sim::Scenario scenario = sim::Scenario::Default();
    scenario.stabiliseSeconds = 0.0;
    SetUsbBackend(std::make_unique<sim::SimBackend>(scenario));
    const CommandSetFigures simulated = MeasureCommandSet(rounds);

    std::printf("Device link benchmarks\n\n");
    std::printf("libusb path, meter on the emulated USB bus (umockdev)     median       mean        p95\n");
    PrintStats("control transfer IN, 1 byte (status)", in1);
    PrintStats("control transfer IN, 20 bytes (identity)", in20);
    PrintStats("control transfer OUT, 1 byte (remote mode)", out1);
    PrintStats("OpenDevice: close, enumerate, open, configure, claim", open);
    std::printf("\nCommand set on top of its mandated pauses (steady clock, mean per call)\n");
    std::printf("  %-38s %10s %12s %10s %8s %12s %12s\n", "", "pauses", "wall", "added", "added",
                "oversleep", "other work");
    PrintOverhead("ReadMeasuredValue, simulated meter", simulated.value);
    PrintOverhead("ReadMeasuringSetup, simulated meter", simulated.setup);
    PrintOverhead("ReadMeasuredValue, emulated USB", overUsb.value);
    PrintOverhead("ReadMeasuringSetup, emulated USB", overUsb.setup);
    std::printf("\n(added = wall - pauses = oversleep + other work; goal: under 2 %% over the pauses)\n");
    return 0;
}
