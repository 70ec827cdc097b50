// SPDX-License-Identifier: GPL-3.0-or-later
// The command set against the simulated meter: exact transfers, pauses and decoded outputs.
#include "child.h"
#include "sim_fixture.h"

#include "common/localetext.h"
#include "device/usb.h"

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
}  // namespace

TEST(UsbConnect, IdentityBatteryAndStatus)
{
    test::SimSetup t(Plain());
    USB usb;
    QString sn = QStringLiteral("old"), sw, name;
    EXPECT_EQ(usb.Connect(), 1);
    EXPECT_EQ(usb.ReadIdentity(sn, sw, name), 20);
    EXPECT_EQ(sn, QStringLiteral("73800042"));
    EXPECT_EQ(sw, QStringLiteral("1.07"));
    EXPECT_EQ(name, QStringLiteral("KRX 738"));
    bool empty = true;
    EXPECT_EQ(usb.ReadBatteryEmpty(empty), 1);
    EXPECT_FALSE(empty);
    EXPECT_EQ(t.Take(), (L{
        "0 open =1",
        "20 IN 10 [37 33 38 30 30 30 34 32 31 2E 30 37 20 4B 52 58 20 37 33 38] =20",
        "0 open =1",
        "20 IN 1 [00] =1",
    }));

    t.meter().scenario().batteryEmpty = true;
    EXPECT_EQ(usb.ReadBatteryEmpty(empty), 1);
    EXPECT_TRUE(empty);
}

TEST(UsbConnect, IdentityShortOrFailedReply)
{
    test::SimSetup t(Plain());
    USB usb;
    usb.Connect();
    // A short reply keeps the missing positions as zero bytes inside the texts.
    t.sim->Inject(Fault{Fault::Short, 0, 10, 1, 1, 0, 10});
    QString sn = QStringLiteral("keep"), sw = QStringLiteral("keep"), name = QStringLiteral("keep");
    EXPECT_EQ(usb.ReadIdentity(sn, sw, name), 10);
    EXPECT_EQ(sn, QStringLiteral("73800042"));
    EXPECT_EQ(sw, QString(QStringLiteral("1.")) + QChar(0) + QChar(0));
    EXPECT_EQ(name, QString(7, QChar(0)));
    // A failed transfer leaves the texts as they were.
    t.sim->Inject(Fault{Fault::Fail, 0, 10, 1, 1, kUsbErrorIo});
    EXPECT_EQ(usb.ReadIdentity(sn, sw, name), kUsbErrorIo);
    EXPECT_EQ(sn, QStringLiteral("73800042"));
}

TEST(UsbConnect, AbsentMeterSendsNothing)
{
    sim::Scenario s = Plain();
    s.present = false;
    test::SimSetup t(s);
    USB usb;
    EXPECT_EQ(usb.Connect(), 0);
    QString bits = QStringLiteral("untouched");
    EXPECT_EQ(usb.ReadStatusBits(bits), 0);
    EXPECT_EQ(bits, QStringLiteral("untouched"));
    bool empty = false;
    EXPECT_THROW(usb.ReadBatteryEmpty(empty), ConversionError);
    int v = 7, m = 7, a = 7, l = 7, e = 7;
    EXPECT_EQ(usb.ReadMeasuringSetup(v, a, l, e, m), 0);
    EXPECT_EQ(v + a + l + e + m, 35);
    EXPECT_EQ(usb.WriteMeasuringSetup(0, 10, 0, 0), 0);
    QString ev;
    EXPECT_EQ(usb.ReadEventBits(ev), 0);
    int volts = 0, timer = 0;
    std::uint32_t r1 = 0, r2 = 0, r3 = 0;
    EXPECT_EQ(usb.ReadBreakDownValues(volts, r1, r2, r3, timer), 0);
    // Every reconnect was tried, and not a single transfer went out.
    for (const QString& line : t.Take())
        EXPECT_TRUE(line.endsWith(QStringLiteral("open =0"))) << line.toStdString();
    // Operations without a reconnect go out on the empty handle and fail.
    EXPECT_EQ(usb.SetRemoteMode(3), kUsbErrorNoDevice);
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
    USB usb;
    int v = -1, a = -1, l = -1, e = -1, m = -1;
    EXPECT_EQ(usb.ReadMeasuringSetup(v, a, l, e, m), 2);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(e, 1);
    EXPECT_EQ(m, 600);
    EXPECT_EQ(t.Take(), (L{
        "0 open =1",
        "20 IN 53 [48 03] =2",
        "40 IN 48 [02 58] =2",  // the pause after the setup read and the one before the timer
        "20 IN 49 [00 1E] =2",
        "20 IN 50 [00 14] =2",
    }));

    // No voltage bit: the index is left as it was.
    t.meter().scenario();
    usb.WriteMeasuringSetup(1, 0, 0, 0);
    v = 3;
    usb.ReadMeasuringSetup(v, a, l, e, m);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(a, 1);
}

TEST(UsbSetup, ReadTimersStopsAtFailureAndKeepsTheSharedBuffer)
{
    test::SimSetup t(Plain());
    USB usb;
    usb.Connect();
    t.Take();
    int m = -1, bd = -1, bo = -1;
    t.sim->Inject(Fault{Fault::Fail, 0, 49, 1, 1, kUsbErrorPipe});
    EXPECT_EQ(usb.ReadTimers(m, bd, bo), kUsbErrorPipe);
    EXPECT_EQ(m, 60);
    EXPECT_EQ(bd, 60);  // the failed read leaves the measuring timer's bytes in the buffer
    EXPECT_EQ(bo, -1);
    EXPECT_EQ(t.Take().size(), 2);

    t.sim->Inject(Fault{Fault::Short, 0, 50, 1, 1, 0, 0});
    EXPECT_EQ(usb.ReadTimers(m, bd, bo), 0);
    EXPECT_EQ(bo, 30);  // nothing arrived: the break-down timer's bytes are still there
}

TEST(UsbSetup, WriteMeasuringSetupSendsTwiceThenApplies)
{
    test::SimSetup t(Plain());
    USB usb;
    EXPECT_EQ(usb.WriteMeasuringSetup(0, 1000, 1, 1), 2);
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
    usb.WriteMeasuringSetup(1, 10, 0, 0);
    EXPECT_NEAR(t.clock.Seconds() - before, 0.1, 1e-9);
    EXPECT_EQ(t.meter().Setup0(), 0x40);
}

TEST(UsbTimers, WritesAndRestTime)
{
    test::SimSetup t(Plain());
    USB usb;
    usb.Connect();
    t.Take();
    EXPECT_EQ(usb.WriteMeasuringTimer(300), 2);
    EXPECT_EQ(usb.WriteBreakTimers(1234, 5), 2);
    EXPECT_EQ(t.Take(), (L{
        "0 OUT 48 [01 2C] =2",
        "0 OUT 49 [04 D2] =2",
        "80 OUT 50 [00 05] =2",
        "100 OUT 37 [10] =1",
    }));
    EXPECT_EQ(t.meter().Timer(1), 1234);

    // A started timer measurement counts down in tenths; seconds are truncated.
    usb.SetRemoteMode(7);
    usb.StartStop(1);
    t.clock.Advance(270.15);
    int rest = -1;
    EXPECT_EQ(usb.ReadRestTime(rest), 2);
    EXPECT_EQ(rest, 29);
    t.clock.Advance(29.85);
    usb.ReadRestTime(rest);
    EXPECT_EQ(rest, 0);
    QString bits;
    usb.ReadStatusBits(bits);
    EXPECT_EQ(bits.at(2), QLatin1Char('0'));  // the timer measurement has ended
}

TEST(UsbControl, RemoteModeStartStopControl)
{
    test::SimSetup t(Plain());
    USB usb;
    usb.Connect();
    t.Take();
    usb.SetRemoteMode(12);
    usb.StartStop(1);
    usb.StartStop(2);
    usb.StartStop(0);
    usb.SendStop();
    usb.WriteControl(2);
    EXPECT_EQ(t.Take(), (L{
        "20 OUT 54 [0C] =1",
        "0 OUT 8 [20] =1",
        "0 OUT 8 [40] =1",
        "0 OUT 8 [40] =1",
        "0 OUT 8 [40] =1",
        "0 OUT 8 [02] =1",
    }));
    EXPECT_EQ(t.meter().RemoteMode(), 12);
}

TEST(UsbLive, MeasuredValueInRangeAndOutOfRange)
{
    LocaleGuard de(QLocale::German);
    sim::Scenario s = Plain();
    s.r0 = s.rInf = 1.23e6;
    s.humidity = 45;
    s.temperature = 22.5;
    test::SimSetup t(s);
    USB usb;
    usb.Connect();
    usb.SetRemoteMode(6);
    t.Take();
    double value = 0, temp = 0;
    QString text;
    int hum = 0, reserved = 9, range = 9, batt = 9;
    EXPECT_EQ(usb.ReadMeasuredValue(value, text, hum, temp, reserved, range, batt), 6);
    EXPECT_EQ(text, QStringLiteral("1,23E+06"));
    EXPECT_DOUBLE_EQ(value, 1230000.0);
    EXPECT_EQ(reserved, 0);
    EXPECT_EQ(range, 0);
    EXPECT_EQ(batt, 0);
    EXPECT_EQ(hum, 45);
    EXPECT_NEAR(temp, 22.5, 0.31);
    const L lines = t.Take();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("20 IN 0 [31 2E 32 33 20 36] =6"));
    EXPECT_EQ(lines[1], QStringLiteral("20 open =1"));
    EXPECT_EQ(lines[2], QStringLiteral("20 IN 1 [24] =1"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("20 IN 6 [34 35 32 32 2E"))) << lines[3].toStdString();

    // Above the range of 10 V: "0", no decoding of the value reply.
    t.meter().scenario().r0 = t.meter().scenario().rInf = 5e12;
    usb.WriteMeasuringSetup(0, 10, 0, 0);
    t.clock.Advance(1);
    usb.ReadMeasuredValue(value, text, hum, temp, reserved, range, batt);
    EXPECT_EQ(range, 1);
    EXPECT_EQ(text, QStringLiteral("0"));
    EXPECT_EQ(value, 0.0);
    // Below and above at once: below wins.
    t.meter().scenario().maxOhmPerVolt = 0;
    t.meter().scenario().minOhmPerVolt = 1e30;
    usb.ReadMeasuredValue(value, text, hum, temp, reserved, range, batt);
    EXPECT_EQ(range, 2);
}

TEST(UsbLive, UnreadableCharactersAreShownNotFatal)
{
    test::SimSetup t(Plain());
    USB usb;
    usb.Connect();
    usb.SetRemoteMode(6);
    double value = 7, temp = 7;
    QString text = QStringLiteral("before");
    int hum = 7, reserved = 7, range = 7, batt = 7;
    t.sim->Inject(Fault{Fault::Garbage, 0, 0});
    EXPECT_EQ(usb.ReadMeasuredValue(value, text, hum, temp, reserved, range, batt), 1);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].kind, test::ShownBox::Error);
    EXPECT_TRUE(t.dialogs.shown[0].text.contains(QStringLiteral("????")));
    EXPECT_EQ(text, QStringLiteral("before"));
    EXPECT_EQ(range, 0);  // written before the failing conversion
    EXPECT_EQ(hum, 7);    // never reached

    int h = 0;
    double c = 0;
    t.sim->Inject(Fault{Fault::Garbage, 0, 6});
    EXPECT_THROW(usb.ReadClimate(h, c), ConversionError);
}

TEST(UsbLive, VoltageAndClimate)
{
    sim::Scenario s = Plain();
    s.stabiliseSeconds = 10.0;
    test::SimSetup t(s);
    USB usb;
    usb.Connect();
    usb.SetRemoteMode(6);  // 500 V, ramping for 8 s
    t.clock.Advance(4.0);
    int volts = -1;
    EXPECT_EQ(usb.ReadMeasuringVoltage(volts), 4);
    EXPECT_EQ(volts, 250);
    t.clock.Advance(10.0);
    usb.ReadMeasuringVoltage(volts);
    EXPECT_EQ(volts, 500);
    t.sim->Inject(Fault{Fault::Short, 0, 5, 1, 1, 0, 3});
    usb.ReadMeasuringVoltage(volts);
    EXPECT_EQ(volts, 0);  // three characters are no value
    int h = 0;
    double c = 0;
    EXPECT_EQ(usb.ReadClimate(h, c), 6);
    EXPECT_GE(h, 43);
    EXPECT_LE(h, 47);
}

TEST(UsbBreakDown, EventsAndValues)
{
    sim::Scenario s = Plain();
    s.breakDownAfter = 3.5;
    s.resistanceBeforeKOhm = 0x80000000u;
    test::SimSetup t(s);
    USB usb;
    usb.Connect();
    usb.SetRemoteMode(30);
    usb.StartStop(1);
    t.Take();
    QString ev;
    t.clock.Advance(1.0);
    int v0 = 0, tm0 = 0;
    std::uint32_t a0 = 0, b0 = 0, c0 = 0;
    usb.ReadBreakDownValues(v0, a0, b0, c0, tm0);  // reading the new values takes them
    EXPECT_EQ(usb.ReadEventBits(ev), 1);
    EXPECT_EQ(ev, QStringLiteral("0000 0000 "));
    t.clock.Advance(1.0);
    EXPECT_EQ(usb.ReadEventBits(ev), 1);
    EXPECT_EQ(ev, QStringLiteral("0000 0001 "));
    usb.ReadEventBits(ev);
    EXPECT_EQ(ev, QStringLiteral("0000 0000 "));  // new values are reported once
    t.clock.Advance(3.0);
    usb.ReadEventBits(ev);
    EXPECT_EQ(ev, QStringLiteral("0000 0010 "));
    int volts = 0, timer = 0;
    std::uint32_t before = 0, afterBD = 0, afterBO = 9;
    EXPECT_EQ(usb.ReadBreakDownValues(volts, before, afterBD, afterBO, timer), 16);
    EXPECT_EQ(volts, 1000);
    EXPECT_EQ(before, 0x80000000u);
    EXPECT_EQ(afterBD, 1500u);
    EXPECT_EQ(afterBO, 0u);
    const L lines = t.Take();
    EXPECT_EQ(lines.last(), QStringLiteral("0 IN 7 [03 E8 80 00 00 00 00 00 05 DC 00 00 00 00 00 00] =16"));
    EXPECT_EQ(lines.first(), QStringLiteral("1000 open =1"));
    EXPECT_EQ(lines[3], QStringLiteral("0 IN 2 [00] =1"));
    EXPECT_EQ(lines[4], QStringLiteral("1000 open =1"));
    EXPECT_EQ(lines[5], QStringLiteral("0 IN 2 [01] =1"));

    // A failed read still writes zeros from the cleared buffer.
    t.sim->Inject(Fault{Fault::Fail, 0, 7, 1, 1, kUsbErrorIo});
    EXPECT_EQ(usb.ReadBreakDownValues(volts, before, afterBD, afterBO, timer), kUsbErrorIo);
    EXPECT_EQ(volts, 0);
    EXPECT_EQ(before, 0u);
}

TEST(UsbMemory, ReadsUntilRecordZeroAndErases)
{
    LocaleGuard c(QLocale::C);
    test::SimSetup t;  // the default scenario holds three resistance and two break-down records
    USB usb;
    usb.Connect();
    t.Take();
    int no = -1, volts = 0, timer = 0, calc = 0;
    QString date, time, hum, temp, man, exp;
    QStringList seen;
    do {
        usb.ReadOhmRecord(no, date, time, hum, temp, volts, timer, man, exp, calc);
        seen << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8E+%9 %10")
                    .arg(no).arg(date, time, hum, temp).arg(volts).arg(timer).arg(man, exp).arg(calc)
                    .replace(QChar(0), QLatin1Char('~'));
    } while (no > 0);
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

    std::uint32_t before = 0, after = 0, off = 0;
    int cycle = 0, timerOff = 0;
    usb.ReadBreakDownRecord(no, date, time, hum, temp, volts, before, after, cycle, off, timerOff);
    EXPECT_EQ(no, 1);
    EXPECT_EQ(before, 1999999u);
    EXPECT_EQ(off, 250000u);
    EXPECT_EQ(timerOff, 6);

    EXPECT_EQ(usb.DeleteOhmMemory(), 1);
    EXPECT_EQ(usb.DeleteBreakDownMemory(), 1);
    usb.ReadOhmRecord(no, date, time, hum, temp, volts, timer, man, exp, calc);
    EXPECT_EQ(no, 0);
    usb.ReadBreakDownRecord(no, date, time, hum, temp, volts, before, after, cycle, off, timerOff);
    EXPECT_EQ(no, 0);
    const L tail = t.Take();
    EXPECT_EQ(tail[1], QStringLiteral("0 OUT 35 [FF] =1"));
    EXPECT_EQ(tail[2], QStringLiteral("0 OUT 36 [FF] =1"));
}

TEST(UsbMemory, UnpluggedMeterReadsAsEmpty)
{
    test::SimSetup t;
    USB usb;
    usb.Connect();
    t.sim->Inject(Fault{Fault::Unplug, 0});
    int no = -1, volts = 0, timer = 0, calc = 0;
    QString date, time, hum, temp = QStringLiteral("x"), man, exp;
    EXPECT_EQ(usb.ReadOhmRecord(no, date, time, hum, temp, volts, timer, man, exp, calc), kUsbErrorNoDevice);
    EXPECT_EQ(no, 0);
    EXPECT_EQ(temp, QString(4, QChar(0)));
    EXPECT_EQ(usb.Connect(), 0);
}

TEST(UsbFatal, ConnectionLossEndsTheProcessWithTheCode)
{
    const auto readOnce = [](const Fault& fault) {
        return test::RunInChild([fault] {
            test::SimSetup t(Plain());
            USB usb;
            usb.Connect();
            usb.SetRemoteMode(6);
            t.sim->Inject(fault);
            double value = 0, temp = 0;
            QString text;
            int hum = 0, reserved = 0, range = 0, batt = 0;
            usb.ReadMeasuredValue(value, text, hum, temp, reserved, range, batt);
        });
    };
    // Unplugged before the status read: the transfer's code is caption number and exit status.
    test::ChildResult r = readOnce(Fault{Fault::Unplug, 0, 1});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, test::ExitStatusOf(kUsbErrorNoDevice));
    EXPECT_NE(r.output.find("title=[!! Error Nr.: -4 occurred ] text=[Connection to the KRX 738 interrupted. "
                            "Program is terminated.]"),
              std::string::npos)
        << r.output;
    // A value read that delivers nothing ends with code 0.
    r = readOnce(Fault{Fault::Short, 0, 0, 1, 1, 0, 0});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.output.find("!! Error Nr.: 0 occurred "), std::string::npos) << r.output;
    // The climate read fails last.
    r = readOnce(Fault{Fault::Fail, 0, 6, 1, 1, kUsbErrorIo});
    EXPECT_EQ(r.status, test::ExitStatusOf(kUsbErrorIo));
    EXPECT_NE(r.output.find("!! Error Nr.: -1 occurred "), std::string::npos) << r.output;
}

TEST(UsbCounter, SecondsFromTheClock)
{
    test::SimSetup t;
    const double a = USB::CounterSeconds();
    t.clock.Sleep(1500);
    EXPECT_DOUBLE_EQ(USB::CounterSeconds() - a, 1.5);
}
