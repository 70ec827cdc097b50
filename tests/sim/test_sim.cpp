// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated meter: scenarios, physics that the windows depend on, and injected faults.
#include "sim_fixture.h"

#include "device/commands.h"
#include "device/protocol.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace krx;
using krx::sim::Fault;
using krx::sim::Scenario;

TEST(SimScenario, JsonOverridesDefaultsAndBuildsRecords)
{
    const Scenario s = Scenario::FromJson(R"({
        "serialNo": "12345678", "batteryEmpty": true, "setup0": 16, "measuringTimer": 600,
        "ohmMemory": [ {"record": 7, "date": [1, 2, 3], "time": [4, 5], "voltage": 1000, "timer": 300,
                        "mantissa": "2.50", "exponent": "11", "calculation": 1},
                       {"raw": "02 01 01 1A 00 00 34 30 32 30 2E 30 00 0A 00 00 31 2E 30 30 20 33 00 00 00 00 00 00 00 00"} ],
        "faults": [ {"kind": "timeout", "command": 1, "direction": "in", "at": 2, "count": 3} ]
    })");
    EXPECT_EQ(s.serialNo, "12345678");
    EXPECT_TRUE(s.batteryEmpty);
    EXPECT_EQ(s.setup0, 16);
    EXPECT_EQ(s.measuringTimer, 600);
    EXPECT_TRUE(s.breakDownMemory.empty());  // a scenario with memories of its own starts from none
    ASSERT_EQ(s.ohmMemory.size(), 2u);
    const auto& r = s.ohmMemory[0].bytes;
    EXPECT_EQ(r[0], 7);
    EXPECT_EQ(r[3], 3);
    EXPECT_EQ(r[12], 0x03);
    EXPECT_EQ(r[13], 0xE8);
    EXPECT_EQ(r[15], 44);  // 300 = 0x012C
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[16]), 6), "2.5011");
    EXPECT_EQ(s.ohmMemory[1].bytes[13], 0x0A);
    ASSERT_EQ(s.faults.size(), 1u);
    EXPECT_EQ(s.faults[0].kind, Fault::Timeout);
    EXPECT_EQ(s.faults[0].direction, 1);
    EXPECT_EQ(s.faults[0].count, 3);

    // Without memories of its own a scenario keeps the demonstration memories.
    EXPECT_EQ(Scenario::FromJson("{}").ohmMemory.size(), 3u);
}

TEST(SimScenario, BadFilesSayWhatIsWrong)
{
    const auto message = [](const std::string& text) {
        try {
            Scenario::FromJson(text);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(message("{").find("not valid JSON"), std::string::npos);
    EXPECT_NE(message("[]").find("object"), std::string::npos);
    EXPECT_NE(message(R"({"setup0": 300})").find("setup0"), std::string::npos);
    EXPECT_NE(message(R"({"serialNo": 5})").find("serialNo"), std::string::npos);
    EXPECT_NE(message(R"({"measuringTimer": 70000})").find("measuringTimer"), std::string::npos);
    EXPECT_NE(message(R"({"setup0": 2.5e69})").find("setup0"), std::string::npos);
    EXPECT_NE(message(R"({"ohmMemory": [{"raw": "01 02"}]})").find("30 bytes"), std::string::npos);
    EXPECT_NE(message(R"({"faults": [{"kind": "melt"}]})").find("melt"), std::string::npos);
    EXPECT_NE(message(R"({"ohmMemory": [{"date": [1, 2]}]})").find("date"), std::string::npos);
    // Valid JSON of the wrong shape or with numbers beyond range is refused, not a crash.
    EXPECT_NE(message(R"({"ohmMemory": {"record": 1}})").find("array"), std::string::npos);
    EXPECT_NE(message(R"({"faults": [5]})").find("object"), std::string::npos);
    EXPECT_NE(message(R"({"ohmMemory": [{"record": "one"}]})").find("scenario"), std::string::npos);
    EXPECT_NE(message("{\"r0\": 5555555555555555E55555555}").find("scenario"), std::string::npos);
    try {
        Scenario::FromJsonFile(QStringLiteral("/nonexistent/scenario.json"));
        ADD_FAILURE() << "a missing file was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/scenario.json"), std::string::npos);
    }
}

TEST(SimPhysics, ResistanceRisesVoltageRampsRangesFollowTheVoltage)
{
    Scenario s;
    s.stabiliseSeconds = 5.0;
    s.r0 = 1e8;
    s.rInf = 5e11;
    s.tauSeconds = 60;
    test::SimSetup t(s);
    MeterCommands usb;
    usb.Connect();
    usb.SetRemoteMode(protocol::kModeMeasure);
    sim::Meter& m = t.meter();
    EXPECT_FALSE(m.Stable());
    EXPECT_LT(m.ActualVolts(), 500);
    double last = m.ResistanceOhm();
    for (int i = 0; i < 10; ++i) {
        t.clock.Advance(30);
        EXPECT_GT(m.ResistanceOhm(), last);
        last = m.ResistanceOhm();
    }
    EXPECT_TRUE(m.Stable());
    EXPECT_EQ(m.ActualVolts(), 500);
    EXPECT_NEAR(last, 5e11, 5e9);
    // 500 GOhm is beyond what 10 V can measure but within 1000 V's range.
    usb.WriteMeasuringSetup({0, 10, 0, 0});
    EXPECT_EQ(m.StatusByte() & 0x03, 0x01);
    EXPECT_EQ(m.StatusByte() & 0x04, 0);  // a new voltage ramps up again
    usb.WriteMeasuringSetup({0, 1000, 0, 0});
    EXPECT_EQ(m.StatusByte() & 0x03, 0);
    // The value reply carries three significant digits.
    t.clock.Advance(1000);
    const Result<MeasuredValue> reading = usb.ReadMeasuredValue();
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->value.mantissa + QStringLiteral("E+") + reading->value.exponent, QStringLiteral("5.00E+11"));
    // Leaving the measuring mode switches the voltage off.
    usb.SetRemoteMode(protocol::kModeMain);
    EXPECT_EQ(m.StatusByte() & 0x24, 0);
    EXPECT_EQ(m.ActualVolts(), 0);
}

TEST(SimFaults, CountDirectionTimeAndReplug)
{
    test::SimSetup t;
    MeterCommands usb;
    usb.Connect();
    // Two status reads in a row fail, the third goes through.
    t.sim->Inject(Fault{Fault::Fail, 1, 1, 1, 2, kUsbErrorPipe});
    EXPECT_EQ(CodeOf(usb.ReadStatus()), 1);
    EXPECT_EQ(CodeOf(usb.ReadStatus()), kUsbErrorPipe);
    EXPECT_EQ(CodeOf(usb.ReadStatus()), kUsbErrorPipe);
    EXPECT_EQ(CodeOf(usb.ReadStatus()), 1);
    // A timeout costs the full second.
    t.sim->Inject(Fault{Fault::Timeout, 0, 54, 2});
    const double before = t.clock.Seconds();
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), kUsbErrorTimeout);
    EXPECT_NEAR(t.clock.Seconds() - before, 1.02, 1e-9);
    // An OUT-only fault leaves IN transfers alone.
    t.sim->Inject(Fault{Fault::Fail, 0, -1, 2, 1, kUsbErrorIo});
    EXPECT_EQ(CodeOf(usb.ReadStatus()), 1);
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), kUsbErrorIo);
    // Unplugged from second 100 on; every transfer fails until the meter is back and reopened.
    Fault unplug{Fault::Unplug};
    unplug.atSecond = 100;
    t.sim->Inject(unplug);
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), 1);
    t.clock.Advance(100);
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), kUsbErrorNoDevice);
    EXPECT_EQ(CodeOf(usb.Connect()), 0);
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), kUsbErrorNoDevice);
    t.sim->Inject(Fault{Fault::Replug, 0});
    // Plugged in again, but not yet reopened.
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), kUsbErrorNoDevice);
    EXPECT_EQ(CodeOf(usb.Connect()), 1);
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), 1);
    // Cleared faults do not strike any more, also those still waiting for their transfer.
    t.sim->Inject(Fault{Fault::Fail, 1});
    t.sim->ClearFaults();
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), 1);
    EXPECT_EQ(CodeOf(usb.SetRemoteMode(protocol::kModeMain)), 1);
}

TEST(SimFaults, AccessDeniedIsToldApartFromAbsence)
{
    Scenario s;
    s.faults.push_back(Fault{Fault::AccessDenied});
    test::SimSetup t(s);
    MeterCommands usb;
    const Status denied = usb.Connect();
    ASSERT_FALSE(denied);
    EXPECT_EQ(denied.error().error, DeviceError::NoAccess);
    EXPECT_EQ(TheUsbBackend().LastOpenError(), kUsbErrorAccess);
    t.meter().SetAccessDenied(false);
    t.meter().SetPresent(false);
    const Status absent = usb.Connect();
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().error, DeviceError::NoDevice);
    EXPECT_EQ(TheUsbBackend().LastOpenError(), 0);
}

TEST(SimProtocol, UnknownRequestsStall)
{
    test::SimSetup t;
    KRX_738 krx;
    krx.OpenDevice();
    unsigned char buf[8] = {};
    EXPECT_EQ(krx.ControlIn(5, 99, 0x81, buf, 8), kUsbErrorPipe);
    EXPECT_EQ(krx.ControlIn(5, 1, 0x80, buf, 1), kUsbErrorPipe);
    EXPECT_EQ(krx.ControlIn(6, 1, 0x81, buf, 1), kUsbErrorPipe);
    EXPECT_EQ(krx.ControlOut(0x20, 99, 0x81, buf, 1), kUsbErrorPipe);
    EXPECT_EQ(krx.ControlIn(5, 10, 0x81, buf, 8), 8);  // a shorter buffer takes the first bytes
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 8), "73800042");
    const QStringList lines = t.Take();
    EXPECT_EQ(lines[1], QStringLiteral("0 IN 99 len=8 [] =-9"));
    EXPECT_EQ(lines[2], QStringLiteral("0 IN 1 idx=0x80 len=1 [] =-9"));
    EXPECT_EQ(lines[3], QStringLiteral("0 IN 1 req=0xc0/0x06 len=1 [] =-9"));
}

TEST(SimTrace, TraceFileRecordsEveryTransfer)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("trace.txt"));
    const auto lines = [&name] {
        QFile f(name);
        return f.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    };
    {
        // As the program runs it: nothing kept in memory, everything in the file.
        test::SimSetup t;
        TheTransferLog().NameMeter(QString());
        ASSERT_TRUE(TheTransferLog().TraceTo(name));
        TheTransferLog().KeepRecords(false);
        EXPECT_TRUE(lines().isEmpty());  // nothing sent, nothing written
        MeterCommands usb;
        usb.Connect();
        usb.SetRemoteMode(protocol::kModeMain);
        EXPECT_EQ(lines().value(0), QStringLiteral("# meter --------"));
        // Once the meter is known its serial number takes the first line's place.
        TheTransferLog().NameMeter(QStringLiteral("73800042"));
        usb.SetRemoteMode(protocol::kModeEnd);
        TheTransferLog().TraceTo(QString());
        TheTransferLog().KeepRecords(true);
        EXPECT_TRUE(TheTransferLog().Records().empty());
    }
    const QStringList written = lines();
    ASSERT_EQ(written.size(), 4);
    EXPECT_EQ(written[0], QStringLiteral("# meter 73800042"));
    EXPECT_TRUE(written[1].endsWith(QStringLiteral(" open =1")));
    EXPECT_TRUE(written[2].endsWith(QStringLiteral(" OUT 54 [03] =1")));
    EXPECT_TRUE(written[3].endsWith(QStringLiteral(" OUT 54 [01] =1")));
}

TEST(SimTrace, KeptRecordsStayBelowTheCap)
{
    TransferLog log;
    TransferRecord r;
    for (size_t i = 0; i < TransferLog::MaxRecords + 10; ++i) {
        r.value = static_cast<int>(i);
        log.Add(r);
    }
    EXPECT_EQ(log.Records().size(), TransferLog::MaxRecords / 2 + 10);
    EXPECT_EQ(log.Records().back().value, static_cast<int>(TransferLog::MaxRecords + 9));
}
