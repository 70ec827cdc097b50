// SPDX-License-Identifier: GPL-3.0-or-later
// The real libusb backend, transport and command set against meters on an emulated USB bus.
#include "qt_print.h"
#include "usb_testbed.h"

#include "device/backend.h"
#include "device/krx738.h"
#include "device/transfer_log.h"
#include "device/commands.h"
#include "device/protocol.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

using namespace krx;
using krx::test::ControlRecord;
using krx::test::EmulatedMeter;
using krx::test::UsbTestbed;
using S = std::vector<std::string>;

namespace {

// "C0 05 000A 0081 20 [..] =20": setup packet, the data stage as the device saw it, the answer.
std::string Describe(const ControlRecord& r)
{
    char head[64];
    std::snprintf(head, sizeof head, "%02X %02X %04X %04X %d [", r.requestType, r.request, r.value, r.index,
                  r.length);
    std::string s = head;
    for (size_t i = 0; i < r.data.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", r.data[i]);
        s += b;
    }
    return s + "] =" + std::to_string(r.result);
}

S Describe(const std::vector<ControlRecord>& records)
{
    S out;
    for (const auto& r : records)
        out.push_back(Describe(r));
    return out;
}

// What the program logged for its transfers must be what the device received and answered.
void ExpectLogMatchesDevice(const EmulatedMeter& meter)
{
    std::vector<ControlRecord> fromLog;
    for (const TransferRecord& t : TheTransferLog().Records()) {
        if (t.kind == TransferRecord::Open)
            continue;
        ControlRecord r;
        r.requestType = t.requestType;
        r.request = t.request;
        r.value = t.value;
        r.index = t.index;
        r.length = t.length;
        r.data.assign(t.data.begin(), t.data.end());
        r.result = t.result;
        fromLog.push_back(r);
    }
    EXPECT_EQ(Describe(fromLog), Describe(meter.Controls()));
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class LibusbPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        bed = &UsbTestbed::Instance();
        SetUsbBackend(MakeLibusbBackend());
        TheTransferLog().Clear();
    }
    void TearDown() override
    {
        // Like a fresh start of the program for the next test: no device, no handle held.
        bed->UnplugAll();
        krx.OpenDevice();
        SetUsbBackend(nullptr);
    }
    static int LastOpenError() { return TheUsbBackend().LastOpenError(); }

    UsbTestbed* bed = nullptr;
    KRX_738 krx;
};

}  // namespace

TEST_F(LibusbPath, FindsOpensConfiguresAndClaimsTheMeter)
{
    // A foreign device first in bus order is passed over; without a meter nothing is opened.
    EmulatedMeter& other = bed->Plug(1, 1, sim::Scenario::Default(), 0x1234, 0x5678);
    EXPECT_EQ(krx.OpenDevice(), 0);
    EXPECT_EQ(LastOpenError(), 0);
    unsigned char buf[20] = {};
    EXPECT_LT(krx.ControlIn(5, 10, 0x81, buf, 20), 0);

    // Plugged while the program runs: the next OpenDevice enumerates afresh and finds it.
    EmulatedMeter& meter = bed->Plug(1, 2);
    EXPECT_EQ(krx.OpenDevice(), 1);
    EXPECT_EQ(LastOpenError(), 0);
    EXPECT_EQ(meter.Events(), (S{"open 1", "capabilities", "set-configuration 1", "claim 0"}));
    EXPECT_EQ(other.Opens(), 0);
    EXPECT_EQ(krx.ControlIn(5, 10, 0x81, buf, 20), 20);
}

TEST_F(LibusbPath, TransfersBothWaysAreByteExact)
{
    EmulatedMeter& meter = bed->Plug(3, 7);
    MeterCommands usb;
    ASSERT_TRUE(usb.Connect());

    const Result<Identity> id = usb.ReadIdentity();
    ASSERT_TRUE(id);
    EXPECT_EQ(id->serialNo, QStringLiteral("73800042"));
    EXPECT_EQ(id->swVersion, QStringLiteral("1.07"));
    EXPECT_EQ(id->deviceName, QStringLiteral("KRX 738"));

    // 1000 V, exponent display, lapse: byte 0 = 0x10, byte 1 = 0x02 | 0x01, sent twice, then applied.
    EXPECT_TRUE(usb.WriteMeasuringSetup({0, 1000, 1, 1}));
    const Result<MeasuringSetup> setup = usb.ReadMeasuringSetup();
    ASSERT_TRUE(setup);
    EXPECT_TRUE(setup->flags.voltageKnown);
    EXPECT_EQ(setup->flags.voltageIndex, 3);
    EXPECT_EQ(setup->flags.autoVoltage, 0);
    EXPECT_EQ(setup->flags.lapse, 1);
    EXPECT_EQ(setup->flags.exponentDisplay, 1);
    EXPECT_EQ(setup->measuringTimer, 60);
    EXPECT_TRUE(usb.WriteMeasuringTimer(0x0258));  // 600 s

    EXPECT_EQ(Describe(meter.Controls()), (S{
        "C0 05 000A 0081 20 [37 33 38 30 30 30 34 32 31 2E 30 37 20 4B 52 58 20 37 33 38] =20",
        "C0 05 0035 0081 2 [08 00] =2",
        "40 20 0035 0081 2 [10 03] =2",
        "40 20 0035 0081 2 [10 03] =2",
        "40 20 0025 0081 1 [10] =1",
        "C0 05 0035 0081 2 [10 03] =2",
        "C0 05 0030 0081 2 [00 3C] =2",
        "C0 05 0031 0081 2 [00 1E] =2",
        "C0 05 0032 0081 2 [00 14] =2",
        "40 20 0030 0081 2 [02 58] =2",
    }));
    ExpectLogMatchesDevice(meter);
    meter.WithModel([](sim::Meter& m) {
        EXPECT_EQ(m.Setup0(), 0x10);
        EXPECT_EQ(m.Setup1(), 0x03);
        EXPECT_EQ(m.ApplyCount(), 1);
        EXPECT_EQ(m.Timer(0), 600);
    });
    // Every reconnect of the command set reopened the node; the old openings are all closed.
    EXPECT_EQ(meter.OpenNodes(), 1);
}

TEST_F(LibusbPath, FailedShortAndUnansweredTransfersPassThrough)
{
    EmulatedMeter& meter = bed->Plug(1, 4);
    ASSERT_EQ(krx.OpenDevice(), 1);
    unsigned char buf[20] = {};

    // A command the meter does not know is stalled.
    EXPECT_EQ(krx.ControlIn(5, 99, 0x81, buf, 4), kUsbErrorPipe);
    EXPECT_EQ(krx.ControlOut(0x20, 99, 0x81, buf, 1), kUsbErrorPipe);
    // An IN transfer that delivers fewer bytes, or none, returns what arrived.
    meter.ShortenNextIn(3);
    EXPECT_EQ(krx.ControlIn(5, 10, 0x81, buf, 20), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 3), "738");
    meter.ShortenNextIn(0);
    EXPECT_EQ(krx.ControlIn(5, 1, 0x81, buf, 1), 0);

    // No answer: libusb gives up after the 1000 ms timeout, discards the URB and says so. The wait
    // sleeps in poll() instead of spinning on the node.
    meter.HoldReplies(true);
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    EXPECT_EQ(krx.ControlIn(5, 1, 0x81, buf, 1), kUsbErrorTimeout);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 0.95);
    EXPECT_LT(waited, 3.0);
    EXPECT_LT(CpuSeconds() - cpu, 0.2);
    EXPECT_EQ(meter.Events().back(), "discard");
    meter.HoldReplies(false);
    EXPECT_EQ(krx.ControlIn(5, 1, 0x81, buf, 1), 1);
    ExpectLogMatchesDevice(meter);

    // A length no setup packet can carry never reaches the device.
    const size_t sent = meter.Controls().size();
    EXPECT_EQ(krx.ControlIn(5, 10, 0x81, buf, -1), kUsbErrorInvalidParam);
    EXPECT_EQ(krx.ControlOut(0x20, 54, 0x81, buf, -1), kUsbErrorInvalidParam);
    EXPECT_EQ(meter.Controls().size(), sent);
}

TEST_F(LibusbPath, FirstMeterInBusThenDeviceOrderIsTaken)
{
    // Plugged in either order, bus 1 comes before bus 2, and device 4 before device 9.
    for (bool ascending : {true, false}) {
        SCOPED_TRACE(ascending ? "plugged in ascending order" : "plugged in descending order");
        EmulatedMeter* a = nullptr;
        EmulatedMeter* b = nullptr;
        if (ascending) {
            a = &bed->Plug(1, 7);
            b = &bed->Plug(2, 3);
        } else {
            b = &bed->Plug(2, 3);
            a = &bed->Plug(1, 7);
        }
        EXPECT_EQ(krx.OpenDevice(), 1);
        EXPECT_EQ(a->Opens(), 1);
        EXPECT_EQ(b->Opens(), 0);
        bed->UnplugAll();

        if (ascending) {
            a = &bed->Plug(1, 4);
            b = &bed->Plug(1, 9);
        } else {
            b = &bed->Plug(1, 9);
            a = &bed->Plug(1, 4);
        }
        EXPECT_EQ(krx.OpenDevice(), 1);
        EXPECT_EQ(a->Opens(), 1);
        EXPECT_EQ(b->Opens(), 0);
        bed->UnplugAll();
    }
}

TEST_F(LibusbPath, WhenTheFirstMeterFailsTheSecondIsNeverTried)
{
    EmulatedMeter& first = bed->Plug(1, 2);
    EmulatedMeter& second = bed->Plug(1, 3);

    first.FailClaim(EBUSY);
    EXPECT_EQ(krx.OpenDevice(), 0);
    EXPECT_EQ(LastOpenError(), kUsbErrorBusy);
    EXPECT_EQ(first.Events(), (S{"open 1", "capabilities", "set-configuration 1", "claim 0"}));

    first.FailSetConfiguration(EBUSY);
    EXPECT_EQ(krx.OpenDevice(), 0);
    EXPECT_EQ(LastOpenError(), kUsbErrorBusy);
    // The handle kept after the failed claim was closed before the meter was opened again.
    EXPECT_EQ(first.Opens(), 2);
    EXPECT_EQ(first.OpenNodes(), 1);
    EXPECT_EQ(second.Opens(), 0);

    EXPECT_EQ(krx.OpenDevice(), 1);
    EXPECT_EQ(first.Opens(), 3);
    EXPECT_EQ(first.OpenNodes(), 1);
    EXPECT_EQ(second.Opens(), 0);
}

TEST_F(LibusbPath, DeniedDeviceNodeGivesAccessErrorAndTheSecondMeterIsNotTried)
{
    if (!bed->PermissionsApply())
        GTEST_SKIP() << "this process passes every permission check (root with CAP_DAC_OVERRIDE)";
    EmulatedMeter& first = bed->Plug(1, 2);
    EmulatedMeter& second = bed->Plug(1, 3);
    first.SetAccessible(false);
    EXPECT_EQ(krx.OpenDevice(), 0);
    EXPECT_EQ(LastOpenError(), kUsbErrorAccess);
    EXPECT_EQ(first.Opens(), 0);
    EXPECT_EQ(second.Opens(), 0);

    first.SetAccessible(true);
    EXPECT_EQ(krx.OpenDevice(), 1);
    EXPECT_EQ(LastOpenError(), 0);
    EXPECT_EQ(first.Opens(), 1);
    EXPECT_EQ(second.Opens(), 0);
}

TEST_F(LibusbPath, OpenDeviceClosesTheHeldHandleFirst)
{
    EmulatedMeter& meter = bed->Plug(1, 2);
    ASSERT_EQ(krx.OpenDevice(), 1);
    ASSERT_EQ(krx.OpenDevice(), 1);
    EXPECT_EQ(meter.Opens(), 2);
    EXPECT_EQ(meter.OpenNodes(), 1);
    EXPECT_EQ(meter.Events(), (S{"open 1", "capabilities", "set-configuration 1", "claim 0",
                                 "open 2", "capabilities", "set-configuration 1", "claim 0"}));
    unsigned char buf[1] = {};
    EXPECT_EQ(krx.ControlIn(5, 1, 0x81, buf, 1), 1);
    EXPECT_EQ(meter.Controls().back().client, 2);
}

TEST_F(LibusbPath, AfterUnplugEveryTransferFailsUntilTheMeterIsBack)
{
    EmulatedMeter& meter = bed->Plug(1, 5);
    MeterCommands usb;
    ASSERT_TRUE(usb.Connect());
    unsigned char buf[20] = {};
    const unsigned char mode[1] = {protocol::kModeMain};
    ASSERT_EQ(krx.ControlIn(5, 1, 0x81, buf, 1), 1);

    bed->Unplug(meter);
    EXPECT_EQ(krx.ControlIn(5, 1, 0x81, buf, 1), kUsbErrorNoDevice);
    EXPECT_EQ(krx.ControlOut(0x20, 54, 0x81, mode, 1), kUsbErrorNoDevice);
    const Result<Identity> lost = usb.ReadIdentity();
    ASSERT_FALSE(lost);
    EXPECT_EQ(lost.error().error, DeviceError::TransferFailed);
    EXPECT_EQ(lost.error().code, kUsbErrorNoDevice);

    // The reconnect finds nothing: nothing sent, and the handle is gone too.
    const Result<StatusByte> absent = usb.ReadStatus();
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().error, DeviceError::NoDevice);
    EXPECT_FALSE(absent.error().Sent());
    EXPECT_EQ(LastOpenError(), 0);
    EXPECT_EQ(meter.OpenNodes(), 0);
    EXPECT_LT(krx.ControlIn(5, 1, 0x81, buf, 1), 0);
    EXPECT_LT(krx.ControlOut(0x20, 54, 0x81, mode, 1), 0);

    // Plugged in again (the kernel gives it a new address): still nothing until OpenDevice.
    EmulatedMeter& back = bed->Plug(1, 6);
    EXPECT_LT(krx.ControlIn(5, 1, 0x81, buf, 1), 0);
    EXPECT_EQ(back.Opens(), 0);
    const Result<StatusByte> status = usb.ReadStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->byte, 0x00);
    EXPECT_EQ(krx.ControlOut(0x20, 54, 0x81, mode, 1), 1);
    back.WithModel([](sim::Meter& m) { EXPECT_EQ(m.RemoteMode(), protocol::kModeMain); });
    EXPECT_EQ(meter.Controls().size(), 1u);  // the unplugged meter heard nothing more
}

int main(int argc, char** argv)
{
    krx::test::RunUnderUmockdevPreload(argv);
    krx::test::SubjectRootToFilePermissions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
