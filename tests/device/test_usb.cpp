// SPDX-License-Identifier: GPL-3.0-or-later
// The command set against the simulated meter: exact transfers, pauses and decoded outputs.
#include "sim_fixture.h"

#include "device/clock.h"
#include "core/localetext.h"
#include "device/commands.h"
#include "device/protocol.h"
#include "core/reading_format.h"

#include "locale_guard.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;
using krx::test::LocaleGuard;
using krx::sim::Fault;
using L = QStringList;

namespace {

sim::Scenario Plain()
{
    sim::Scenario s = sim::Scenario::Default();
    s.stabiliseSeconds = 0.0;
    return s;
}

// Every failure is looked at by kind and code together: a right kind with a wrong code would
// show the user the wrong number.
template <typename T>
::testing::AssertionResult IsFailure(const Result<T>& r, DeviceError error, int code)
{
    if (r.ok())
        return ::testing::AssertionFailure() << "succeeded";
    if (r.error().error != error || r.error().code != code)
        return ::testing::AssertionFailure() << ErrorText(r.error().error) << ", code " << r.error().code;
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(UsbConnect, IdentityBatteryAndStatus)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    EXPECT_TRUE(usb.Connect());
    const Result<Identity> id = usb.ReadIdentity();
    ASSERT_TRUE(id);
    EXPECT_EQ(id->serialNo, QStringLiteral("73800042"));
    EXPECT_EQ(id->swVersion, QStringLiteral("1.07"));
    EXPECT_EQ(id->deviceName, QStringLiteral("KRX 738"));
    Result<StatusByte> status = usb.ReadStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->byte, 0x00);
    EXPECT_FALSE(status->BatteryEmpty());
    EXPECT_EQ(t.Take(), (L{
        "0 open =1",
        "20 IN 10 [37 33 38 30 30 30 34 32 31 2E 30 37 20 4B 52 58 20 37 33 38] =20",
        "0 open =1",
        "20 IN 1 [00] =1",
    }));

    t.meter().scenario().batteryEmpty = true;
    status = usb.ReadStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->byte, protocol::kStatusBatteryEmpty);
    EXPECT_TRUE(status->BatteryEmpty());
}

TEST(UsbConnect, IdentityShortOrFailedReply)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    usb.Connect();
    // A short reply keeps the missing positions as zero bytes inside the texts.
    t.sim->Inject(Fault{Fault::Short, 0, 10, 1, 1, 0, 10});
    const Result<Identity> id = usb.ReadIdentity();
    ASSERT_TRUE(id);
    EXPECT_EQ(id->serialNo, QStringLiteral("73800042"));
    EXPECT_EQ(id->swVersion, QString(QStringLiteral("1.")) + QChar(0) + QChar(0));
    EXPECT_EQ(id->deviceName, QString(7, QChar(0)));
    // A failed transfer gives no identity at all, only its code.
    t.sim->Inject(Fault{Fault::Fail, 0, 10, 1, 1, kUsbErrorIo});
    const Result<Identity> failed = usb.ReadIdentity();
    ASSERT_TRUE(IsFailure(failed, DeviceError::TransferFailed, kUsbErrorIo));
    EXPECT_TRUE(failed.error().Sent());
}

TEST(UsbConnect, AbsentMeterSendsNothing)
{
    sim::Scenario s = Plain();
    s.present = false;
    test::SimSetup t(s);
    MeterCommands usb;
    EXPECT_TRUE(IsFailure(usb.Connect(), DeviceError::NoDevice, 0));
    EXPECT_TRUE(IsFailure(usb.ReadStatus(), DeviceError::NoDevice, 0));
    EXPECT_TRUE(IsFailure(usb.ReadMeasuringSetup(), DeviceError::NoDevice, 0));
    EXPECT_TRUE(IsFailure(usb.WriteMeasuringSetup({0, 10, 0, 0}), DeviceError::NoDevice, 0));
    EXPECT_TRUE(IsFailure(usb.ReadEvent(), DeviceError::NoDevice, 0));
    EXPECT_TRUE(IsFailure(usb.ReadBreakDownValues(), DeviceError::NoDevice, 0));
    // Every reconnect was tried, and not a single transfer went out; the setup read keeps its
    // pause after the failed open.
    EXPECT_EQ(t.Take(), (L{
        "0 open =0",
        "0 open =0",
        "0 open =0",
        "20 open =0",
        "0 open =0",
        "0 open =0",
    }));
    // Operations without a reconnect go out on the empty handle and fail.
    const Status mode = usb.SetRemoteMode(protocol::kModeMain);
    ASSERT_TRUE(IsFailure(mode, DeviceError::TransferFailed, kUsbErrorNoDevice));
    EXPECT_TRUE(mode.error().Sent());
}

TEST(UsbFailure, SentTellsAFailedOpenFromAFailedTransfer)
{
    {
        sim::Scenario s = Plain();
        s.present = false;
        test::SimSetup t(s);
        MeterCommands usb;
        const Status open = usb.Connect();
        ASSERT_TRUE(IsFailure(open, DeviceError::NoDevice, 0));
        EXPECT_FALSE(open.error().Sent());
    }
    {
        sim::Scenario s = Plain();
        s.faults.push_back(Fault{Fault::AccessDenied});
        test::SimSetup t(s);
        MeterCommands usb;
        const Result<StatusByte> status = usb.ReadStatus();
        ASSERT_TRUE(IsFailure(status, DeviceError::NoAccess, 0));
        EXPECT_FALSE(status.error().Sent());
        EXPECT_EQ(t.Take(), (L{"0 open =0"}));
        // The same meter once it may be opened: no failure at all.
        t.meter().SetAccessDenied(false);
        EXPECT_TRUE(usb.ReadStatus());
    }
    {
        test::SimSetup t(Plain());
        MeterCommands usb;
        ASSERT_TRUE(usb.Connect());
        t.sim->Inject(Fault{Fault::Fail, 0, 1, 1, 1, kUsbErrorPipe});
        const Result<StatusByte> failed = usb.ReadStatus();
        ASSERT_TRUE(IsFailure(failed, DeviceError::TransferFailed, kUsbErrorPipe));
        EXPECT_TRUE(failed.error().Sent());
        t.sim->Inject(Fault{Fault::Timeout, 0, protocol::kRemoteMode});
        const Status timedOut = usb.SetRemoteMode(protocol::kModeMain);
        ASSERT_TRUE(IsFailure(timedOut, DeviceError::Timeout, kUsbErrorTimeout));
        EXPECT_TRUE(timedOut.error().Sent());
    }
}

TEST(UsbFailure, EmptyAndShortRepliesCarryTheirByteCount)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    ASSERT_TRUE(usb.Connect());
    // A one-byte reply: nothing is a failure with code 0, the one byte is the reply.
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kStatus, 1, 1, 0, 0});
    EXPECT_TRUE(IsFailure(usb.ReadStatus(), DeviceError::TransferFailed, 0));
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kStatus, 1, 1, 0, 1});
    EXPECT_TRUE(usb.ReadStatus());

    // A record: the full record is one; one byte too few, one byte and nothing are not.
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kOhmRecord, 1, 1, 0, protocol::kOhmRecordBytes});
    const Result<OhmRecord> whole = usb.ReadOhmRecord();
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->head.recordNo, 1);
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kOhmRecord, 1, 1, 0, protocol::kOhmRecordBytes - 1});
    const Result<OhmRecord> cut = usb.ReadOhmRecord();
    ASSERT_TRUE(IsFailure(cut, DeviceError::ShortReply, protocol::kOhmRecordBytes - 1));
    EXPECT_TRUE(cut.error().Sent());
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kOhmRecord, 1, 1, 0, 1});
    EXPECT_TRUE(IsFailure(usb.ReadOhmRecord(), DeviceError::ShortReply, 1));
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kOhmRecord, 1, 1, 0, 0});
    EXPECT_TRUE(IsFailure(usb.ReadOhmRecord(), DeviceError::TransferFailed, 0));

    t.sim->Inject(Fault{Fault::Short, 0, protocol::kBreakDownRecord, 1, 1, 0, protocol::kBreakDownRecordBytes - 1});
    EXPECT_TRUE(IsFailure(usb.ReadBreakDownRecord(), DeviceError::ShortReply, protocol::kBreakDownRecordBytes - 1));
    t.sim->Inject(Fault{Fault::Short, 0, protocol::kBreakDownRecord, 1, 1, 0, protocol::kBreakDownRecordBytes});
    EXPECT_TRUE(usb.ReadBreakDownRecord());

    // The mapping itself, on each side of 0 and of the timeout code.
    EXPECT_EQ(TransferFailure(kUsbErrorTimeout).error, DeviceError::Timeout);
    EXPECT_EQ(TransferFailure(kUsbErrorIo).error, DeviceError::TransferFailed);
    EXPECT_EQ(TransferFailure(0).error, DeviceError::TransferFailed);
    EXPECT_EQ(TransferFailure(1).error, DeviceError::ShortReply);
    EXPECT_EQ(TransferFailure(1).code, 1);
    EXPECT_EQ(TransferFailure(kUsbErrorPipe).code, kUsbErrorPipe);
    // The code a window shows: the failure's own, or the success value.
    EXPECT_EQ(CodeOf(Result<int>(TransferFailure(kUsbErrorPipe))), kUsbErrorPipe);
    EXPECT_EQ(CodeOf(Result<int>(5)), 1);
    EXPECT_EQ(CodeOf(Result<int>(5), 30), 30);
}

TEST(UsbSetup, ReadMeasuringSetupDecodesAndPaces)
{
    sim::Scenario s = Plain();
    s.setup0 = 0x48;  // auto and 500 V
    s.setup1 = 0x03;
    s.measuringTimer = 600;
    s.breakDownTimer = 30;
    s.breakOffTimer = 20;
    test::SimSetup t(s);
    MeterCommands usb;
    Result<MeasuringSetup> setup = usb.ReadMeasuringSetup();
    ASSERT_TRUE(setup);
    EXPECT_TRUE(setup->flags.voltageKnown);
    EXPECT_EQ(setup->flags.voltageIndex, 2);
    EXPECT_EQ(setup->flags.autoVoltage, 1);
    EXPECT_EQ(setup->flags.lapse, 1);
    EXPECT_EQ(setup->flags.exponentDisplay, 1);
    EXPECT_EQ(setup->measuringTimer, 600);
    EXPECT_EQ(t.Take(), (L{
        "0 open =1",
        "20 IN 53 [48 03] =2",
        "40 IN 48 [02 58] =2",  // the pause after the setup read and the one before the timer
        "20 IN 49 [00 1E] =2",
        "20 IN 50 [00 14] =2",
    }));

    // No voltage bit: the setup says so, and the caller keeps its voltage.
    usb.WriteMeasuringSetup({1, 0, 0, 0});
    setup = usb.ReadMeasuringSetup();
    ASSERT_TRUE(setup);
    EXPECT_FALSE(setup->flags.voltageKnown);
    EXPECT_EQ(setup->flags.autoVoltage, 1);

    // A failed timer read fails the whole setup with its code.
    t.Take();
    t.sim->Inject(Fault{Fault::Fail, 0, protocol::kTimerMeasure, 1, 1, kUsbErrorPipe});
    EXPECT_TRUE(IsFailure(usb.ReadMeasuringSetup(), DeviceError::TransferFailed, kUsbErrorPipe));
    EXPECT_EQ(t.Take().size(), 3);  // open, setup, the failed timer read and nothing after it
}

TEST(UsbSetup, ReadTimersStopsAtTheFirstFailure)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    usb.Connect();
    t.Take();
    const Result<Timers> all = usb.ReadTimers();
    ASSERT_TRUE(all);
    EXPECT_EQ(all->measuring, 60);
    EXPECT_EQ(all->breakDown, 30);
    EXPECT_EQ(all->breakOff, 20);
    t.Take();

    // No partial values: the failure and its code, and no read after it.
    t.sim->Inject(Fault{Fault::Fail, 0, 49, 1, 1, kUsbErrorPipe});
    EXPECT_TRUE(IsFailure(usb.ReadTimers(), DeviceError::TransferFailed, kUsbErrorPipe));
    EXPECT_EQ(t.Take(), (L{
        "20 IN 48 [00 3C] =2",
        "20 IN 49 len=2 [] =-9",
    }));

    // Nothing arrived for the last timer: a failure with code 0.
    t.sim->Inject(Fault{Fault::Short, 0, 50, 1, 1, 0, 0});
    EXPECT_TRUE(IsFailure(usb.ReadTimers(), DeviceError::TransferFailed, 0));
    EXPECT_EQ(t.Take(), (L{
        "20 IN 48 [00 3C] =2",
        "20 IN 49 [00 1E] =2",
        "20 IN 50 len=2 [] =0",
    }));
}

TEST(UsbSetup, WriteMeasuringSetupSendsTwiceThenApplies)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    EXPECT_TRUE(usb.WriteMeasuringSetup({0, 1000, 1, 1}));
    EXPECT_EQ(t.Take(), (L{
        "0 open =1",
        "20 IN 53 [08 00] =2",
        "20 OUT 53 [10 03] =2",
        "20 OUT 53 [10 03] =2",
        "20 OUT 37 [10] =1",
    }));
    t.clock.Advance(0);
    EXPECT_EQ(t.meter().Setup0(), 0x10);
    EXPECT_EQ(t.meter().ApplyCount(), 1);
    // The pause after applying belongs to the operation.
    const double before = t.clock.Seconds();
    usb.WriteMeasuringSetup({1, 10, 0, 0});
    EXPECT_NEAR(t.clock.Seconds() - before, 0.1, 1e-9);
    EXPECT_EQ(t.meter().Setup0(), 0x40);

    // The outcome is the second send's: a failed first send does not count, a failed second does.
    t.sim->Inject(Fault{Fault::Fail, 0, protocol::kSetup, 2, 1, kUsbErrorIo});
    EXPECT_TRUE(usb.WriteMeasuringSetup({0, 500, 0, 0}));
    t.sim->Inject(Fault{Fault::Fail, 1, protocol::kSetup, 2, 1, kUsbErrorIo});
    EXPECT_TRUE(IsFailure(usb.WriteMeasuringSetup({0, 500, 0, 0}), DeviceError::TransferFailed, kUsbErrorIo));
}

TEST(UsbTimers, WritesAndRestTime)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    usb.Connect();
    t.Take();
    EXPECT_TRUE(usb.WriteMeasuringTimer(300));
    EXPECT_TRUE(usb.WriteBreakTimers(1234, 5));
    EXPECT_EQ(t.Take(), (L{
        "0 OUT 48 [01 2C] =2",
        "0 OUT 49 [04 D2] =2",
        "80 OUT 50 [00 05] =2",
        "100 OUT 37 [10] =1",
    }));
    EXPECT_EQ(t.meter().Timer(1), 1234);

    // A started timer measurement counts down in tenths; seconds are truncated.
    usb.SetRemoteMode(protocol::kModeMeasureTimer);
    usb.Start();
    t.clock.Advance(270.15);
    Result<int> rest = usb.ReadRestTime();
    ASSERT_TRUE(rest);
    EXPECT_EQ(*rest, 29);
    Result<StatusByte> status = usb.ReadStatus();
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->Running());
    t.clock.Advance(29.85);
    rest = usb.ReadRestTime();
    ASSERT_TRUE(rest);
    EXPECT_EQ(*rest, 0);
    status = usb.ReadStatus();
    ASSERT_TRUE(status);
    EXPECT_FALSE(status->Running());  // the timer measurement has ended

    t.sim->Inject(Fault{Fault::Fail, 0, protocol::kRestTime, 1, 1, kUsbErrorIo});
    EXPECT_TRUE(IsFailure(usb.ReadRestTime(), DeviceError::TransferFailed, kUsbErrorIo));
}

TEST(UsbControl, RemoteModeStartStopControl)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    usb.Connect();
    t.Take();
    EXPECT_TRUE(usb.SetRemoteMode(protocol::kModeSpecial));
    EXPECT_TRUE(usb.Start());
    EXPECT_TRUE(usb.Stop());
    EXPECT_TRUE(usb.Stop());
    EXPECT_TRUE(usb.WriteControl(protocol::kControlStop));
    EXPECT_TRUE(usb.WriteControl(protocol::kControlAcknowledge));
    EXPECT_EQ(t.Take(), (L{
        "20 OUT 54 [0C] =1",
        "0 OUT 8 [20] =1",
        "0 OUT 8 [40] =1",
        "0 OUT 8 [40] =1",
        "0 OUT 8 [40] =1",
        "0 OUT 8 [02] =1",
    }));
    EXPECT_EQ(t.meter().RemoteMode(), 12);

    t.sim->Inject(Fault{Fault::Fail, 0, protocol::kControl, 2, 1, kUsbErrorPipe});
    EXPECT_TRUE(IsFailure(usb.Start(), DeviceError::TransferFailed, kUsbErrorPipe));
}

TEST(UsbLive, MeasuredValueInRangeAndOutOfRange)
{
    LocaleGuard de(QLocale::German);
    sim::Scenario s = Plain();
    s.r0 = s.rInf = 1.23e6;
    s.humidity = 45;
    s.temperature = 22.5;
    test::SimSetup t(s);
    MeterCommands usb;
    usb.Connect();
    usb.SetRemoteMode(protocol::kModeMeasure);
    t.Take();
    Result<MeasuredValue> m = usb.ReadMeasuredValue();
    ASSERT_TRUE(m);
    // The command set hands on the meter's characters; the locale's separator is the display's.
    EXPECT_EQ(m->value.mantissa, QStringLiteral("1.23"));
    EXPECT_EQ(m->value.exponent, QStringLiteral("06"));
    EXPECT_EQ(ValueText(*m), QStringLiteral("1,23E+06"));
    EXPECT_DOUBLE_EQ(m->value.value, 1230000.0);
    EXPECT_EQ(m->range, RangeState::InRange);
    EXPECT_EQ(m->status.byte, 0x24);
    EXPECT_FALSE(m->status.BatteryEmpty());
    EXPECT_EQ(m->humidity, 45);
    EXPECT_NEAR(m->temperature, 22.5, 0.31);
    const L lines = t.Take();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("20 IN 0 [31 2E 32 33 20 36] =6"));
    EXPECT_EQ(lines[1], QStringLiteral("20 open =1"));
    EXPECT_EQ(lines[2], QStringLiteral("20 IN 1 [24] =1"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("20 IN 6 [34 35 32 32 2E"))) << lines[3].toStdString();

    // Above the range of 10 V: "0", no decoding of the value reply.
    t.meter().scenario().r0 = t.meter().scenario().rInf = 5e12;
    usb.WriteMeasuringSetup({0, 10, 0, 0});
    t.clock.Advance(1);
    m = usb.ReadMeasuredValue();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->range, RangeState::Over);
    EXPECT_EQ(ValueText(*m), QStringLiteral("0"));
    EXPECT_TRUE(m->value.mantissa.isEmpty());
    EXPECT_EQ(m->value.value, 0.0);
    // Below and above at once: below wins.
    t.meter().scenario().maxOhmPerVolt = 0;
    t.meter().scenario().minOhmPerVolt = 1e30;
    m = usb.ReadMeasuredValue();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->range, RangeState::Under);
}

TEST(UsbLive, UnreadableCharactersAreAFailureNotABox)
{
    test::SimSetup t(Plain());
    MeterCommands usb;
    usb.Connect();
    usb.SetRemoteMode(protocol::kModeMeasure);
    t.Take();
    // An unreadable value ends the reading before the climate is asked for.
    t.sim->Inject(Fault{Fault::Garbage, 0, protocol::kValue});
    const Result<MeasuredValue> value = usb.ReadMeasuredValue();
    ASSERT_TRUE(IsFailure(value, DeviceError::UnreadableReply, 0));
    EXPECT_EQ(value.error().field, QStringLiteral("????"));
    EXPECT_FALSE(value.error().integerField);
    EXPECT_EQ(UnreadableText(value.error()), QStringLiteral("'???\?' is not a valid floating point value"));
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_EQ(t.Take(), (L{
        "20 IN 0 [3F 3F 3F 3F 3F 3F] =6",
        "20 open =1",
        "20 IN 1 [24] =1",
    }));

    // An unreadable climate, after a readable value.
    t.sim->Inject(Fault{Fault::Garbage, 0, protocol::kClimate});
    const Result<MeasuredValue> climate = usb.ReadMeasuredValue();
    ASSERT_TRUE(IsFailure(climate, DeviceError::UnreadableReply, 0));
    EXPECT_EQ(climate.error().field, QStringLiteral("??"));
    EXPECT_TRUE(climate.error().integerField);
    EXPECT_TRUE(t.dialogs.shown.empty());
    const L lines = t.Take();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3], QStringLiteral("20 IN 6 [3F 3F 3F 3F 3F 3F] =6"));

    // Out of range the value reply is not decoded: its characters cannot fail the reading.
    t.meter().scenario().maxOhmPerVolt = 0;
    t.sim->Inject(Fault{Fault::Garbage, 0, protocol::kValue});
    const Result<MeasuredValue> over = usb.ReadMeasuredValue();
    ASSERT_TRUE(over);
    EXPECT_EQ(over->range, RangeState::Over);

    t.sim->Inject(Fault{Fault::Garbage, 0, protocol::kClimate});
    const Result<Climate> c = usb.ReadClimate();
    ASSERT_TRUE(IsFailure(c, DeviceError::UnreadableReply, 0));
    EXPECT_EQ(c.error().field, QStringLiteral("??"));
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST(UsbLive, VoltageAndClimate)
{
    sim::Scenario s = Plain();
    s.stabiliseSeconds = 10.0;
    test::SimSetup t(s);
    MeterCommands usb;
    usb.Connect();
    usb.SetRemoteMode(protocol::kModeMeasure);  // 500 V, ramping for 8 s
    t.clock.Advance(4.0);
    Result<int> volts = usb.ReadMeasuringVoltage();
    ASSERT_TRUE(volts);
    EXPECT_EQ(*volts, 250);
    t.clock.Advance(10.0);
    volts = usb.ReadMeasuringVoltage();
    ASSERT_TRUE(volts);
    EXPECT_EQ(*volts, 500);
    t.sim->Inject(Fault{Fault::Short, 0, 5, 1, 1, 0, 3});
    volts = usb.ReadMeasuringVoltage();
    ASSERT_TRUE(volts);
    EXPECT_EQ(*volts, 0);  // three characters are no value
    t.sim->Inject(Fault{Fault::Fail, 0, 5, 1, 1, kUsbErrorIo});
    EXPECT_TRUE(IsFailure(usb.ReadMeasuringVoltage(), DeviceError::TransferFailed, kUsbErrorIo));

    const Result<Climate> c = usb.ReadClimate();
    ASSERT_TRUE(c);
    EXPECT_GE(c->humidity, 43);
    EXPECT_LE(c->humidity, 47);
    // A failed read is decoded first: its zero bytes are unreadable, as they always were.
    t.sim->Inject(Fault{Fault::Fail, 0, 6, 1, 1, kUsbErrorIo});
    const Result<Climate> failed = usb.ReadClimate();
    ASSERT_TRUE(IsFailure(failed, DeviceError::UnreadableReply, 0));
    EXPECT_EQ(failed.error().field, QString(2, QChar(0)));
    EXPECT_TRUE(failed.error().integerField);
}

TEST(UsbBreakDown, EventsAndValues)
{
    sim::Scenario s = Plain();
    s.breakDownAfter = 3.5;
    s.resistanceBeforeKOhm = 0x80000000u;
    test::SimSetup t(s);
    MeterCommands usb;
    usb.Connect();
    usb.SetRemoteMode(protocol::kModeBreakDown);
    usb.Start();
    t.Take();
    t.clock.Advance(1.0);
    usb.ReadBreakDownValues();  // reading the new values takes them
    Result<std::uint8_t> ev = usb.ReadEvent();
    ASSERT_TRUE(ev);
    EXPECT_EQ(*ev, 0x00);
    t.clock.Advance(1.0);
    ev = usb.ReadEvent();
    ASSERT_TRUE(ev);
    EXPECT_EQ(*ev, protocol::kEventNewValues);
    ev = usb.ReadEvent();
    ASSERT_TRUE(ev);
    EXPECT_EQ(*ev, 0x00);  // new values are reported once
    t.clock.Advance(3.0);
    ev = usb.ReadEvent();
    ASSERT_TRUE(ev);
    EXPECT_EQ(*ev, protocol::kEventBreakDown);
    const Result<BreakDownValues> v = usb.ReadBreakDownValues();
    ASSERT_TRUE(v);
    EXPECT_EQ(v->voltage, 1000);
    EXPECT_EQ(v->resistanceBefore, 0x80000000u);
    EXPECT_EQ(v->resistanceAfterBD, 1500u);
    EXPECT_EQ(v->resistanceAfterBO, 0u);
    const L lines = t.Take();
    EXPECT_EQ(lines.last(), QStringLiteral("0 IN 7 [03 E8 80 00 00 00 00 00 05 DC 00 00 00 00 00 00] =16"));
    EXPECT_EQ(lines.first(), QStringLiteral("1000 open =1"));
    EXPECT_EQ(lines[3], QStringLiteral("0 IN 2 [00] =1"));
    EXPECT_EQ(lines[4], QStringLiteral("1000 open =1"));
    EXPECT_EQ(lines[5], QStringLiteral("0 IN 2 [01] =1"));

    // A failed read gives no values, only its code.
    t.sim->Inject(Fault{Fault::Fail, 0, 7, 1, 1, kUsbErrorIo});
    EXPECT_TRUE(IsFailure(usb.ReadBreakDownValues(), DeviceError::TransferFailed, kUsbErrorIo));
    t.sim->Inject(Fault{Fault::Fail, 0, 2, 1, 1, kUsbErrorIo});
    EXPECT_TRUE(IsFailure(usb.ReadEvent(), DeviceError::TransferFailed, kUsbErrorIo));
}

TEST(UsbMemory, ReadsUntilRecordZeroAndErases)
{
    // The records' characters come as the meter sent them, whatever the locale.
    LocaleGuard de(QLocale::German);
    test::SimSetup t;  // the default scenario holds three resistance and two break-down records
    MeterCommands usb;
    usb.Connect();
    t.Take();
    QStringList seen;
    int no = -1;
    for (int reads = 0; reads < 10 && no != 0; ++reads) {
        const Result<OhmRecord> r = usb.ReadOhmRecord();
        ASSERT_TRUE(r);
        no = r->head.recordNo;
        seen << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8E+%9 %10")
                    .arg(no)
                    .arg(r->head.date, r->head.time, r->head.humidity, r->head.temperature)
                    .arg(r->voltage)
                    .arg(r->timer)
                    .arg(r->mantissa, r->exponent)
                    .arg(r->calculation)
                    .replace(QChar(0), QLatin1Char('~'));
    }
    EXPECT_EQ(seen, (L{
        "1 07.03.2026 09:05 42 21.5 500 0 4.70E+09 0",
        "2 07.03.2026 09:41 43 21.8 1000 60 1.25E+12 1",
        "3 09.03.2026 14:02 51 23.0 100 120 8.80E+07 0",
        "0 00.00.2000 00:00 ~~ ~~~~ 0 0 ~~~~E+~~ 0",
    }));
    const L lines = t.Take();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("0 IN 35 [01 07 03 1A 09 05 34 32 32 31 2E 35 01 F4 00 00 34 2E 37 30 20 39 "
                                       "00 00 00 00 00 00 00 00] =30"));

    Result<BreakDownRecord> bd = usb.ReadBreakDownRecord();
    ASSERT_TRUE(bd);
    EXPECT_EQ(bd->head.recordNo, 1);
    EXPECT_EQ(bd->resistanceBefore, 1999999u);
    EXPECT_EQ(bd->resistanceOff, 250000u);
    EXPECT_EQ(bd->timerOff, 6);

    EXPECT_TRUE(usb.EraseOhmMemory());
    EXPECT_TRUE(usb.EraseBreakDownMemory());
    const Result<OhmRecord> ohm = usb.ReadOhmRecord();
    ASSERT_TRUE(ohm);
    EXPECT_EQ(ohm->head.recordNo, 0);
    bd = usb.ReadBreakDownRecord();
    ASSERT_TRUE(bd);
    EXPECT_EQ(bd->head.recordNo, 0);
    const L tail = t.Take();
    EXPECT_EQ(tail[1], QStringLiteral("0 OUT 35 [FF] =1"));
    EXPECT_EQ(tail[2], QStringLiteral("0 OUT 36 [FF] =1"));
}

TEST(UsbMemory, UnpluggedMeterFailsTheReadOut)
{
    test::SimSetup t;
    MeterCommands usb;
    usb.Connect();
    t.sim->Inject(Fault{Fault::Unplug, 0});
    // No record 0 made up from an empty buffer: the read-out learns the connection is gone.
    const Result<OhmRecord> ohm = usb.ReadOhmRecord();
    ASSERT_TRUE(IsFailure(ohm, DeviceError::TransferFailed, kUsbErrorNoDevice));
    EXPECT_TRUE(ohm.error().Sent());
    EXPECT_TRUE(IsFailure(usb.ReadBreakDownRecord(), DeviceError::TransferFailed, kUsbErrorNoDevice));
    EXPECT_TRUE(IsFailure(usb.EraseOhmMemory(), DeviceError::TransferFailed, kUsbErrorNoDevice));
    EXPECT_TRUE(IsFailure(usb.Connect(), DeviceError::NoDevice, 0));
}

TEST(UsbLive, ConnectionLossIsAFailureWithTheCode)
{
    // Each reading runs against a fresh meter; the process goes on, and nothing is shown.
    const auto readOnce = [](const Fault& fault, int lines) {
        test::SimSetup t(Plain());
        MeterCommands usb;
        usb.Connect();
        usb.SetRemoteMode(protocol::kModeMeasure);
        t.Take();
        t.sim->Inject(fault);
        const Result<MeasuredValue> m = usb.ReadMeasuredValue();
        EXPECT_TRUE(t.dialogs.shown.empty());
        EXPECT_EQ(t.Take().size(), lines);  // nothing is sent after the failed transfer
        return m;
    };
    // Unplugged before the status read: the transfer's code is the failure's.
    Result<MeasuredValue> m = readOnce(Fault{Fault::Unplug, 0, 1}, 3);
    ASSERT_TRUE(IsFailure(m, DeviceError::TransferFailed, kUsbErrorNoDevice));
    EXPECT_TRUE(m.error().Sent());
    // A value read that delivers nothing ends with code 0.
    m = readOnce(Fault{Fault::Short, 0, 0, 1, 1, 0, 0}, 1);
    ASSERT_TRUE(IsFailure(m, DeviceError::TransferFailed, 0));
    // The climate read fails last.
    m = readOnce(Fault{Fault::Fail, 0, 6, 1, 1, kUsbErrorIo}, 4);
    ASSERT_TRUE(IsFailure(m, DeviceError::TransferFailed, kUsbErrorIo));
    // The same reading without a fault goes through: the three faults above are what failed it.
    m = readOnce(Fault{Fault::Fail, 0, 99}, 4);
    EXPECT_TRUE(m);
}

TEST(UsbCounter, SecondsFromTheClock)
{
    test::SimSetup t;
    const double a = CounterSeconds();
    t.clock.Sleep(1500);
    EXPECT_DOUBLE_EQ(CounterSeconds() - a, 1.5);
}
