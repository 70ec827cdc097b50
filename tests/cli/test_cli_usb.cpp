// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli started black-box, without --simulate, against a meter on the emulated USB bus: the
// real libusb path in a process of its own. This test process owns the bus and runs under
// libumockdev-preload.so; the tool inherits both and finds the meter as it finds a real one. Every
// wait has a deadline.
#include "cli_fixture.h"
#include "qt_print.h"
#include "usb_testbed.h"

#include "device/transfer_log.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <string>

using krx::test::CliRun;
using krx::test::ControlRecord;
using krx::test::EmulatedMeter;
using krx::test::UsbTestbed;

namespace {

// Built so that every figure the tool prints differs from the built-in simulated meter's: a tool
// that fell back to the simulation, or read another field, shows it.
constexpr const char* kScenario = R"({
  "serialNo": "73801234", "swVersion": "1.09",
  "setup0": 16, "setup1": 2, "measuringTimer": 90, "breakDownTimer": 45, "breakOffTimer": 15,
  "stabiliseSeconds": 0.1, "r0": 3.3e9, "rInf": 3.3e9, "humidity": 38, "temperature": 19.5,
  "ohmMemory": [
    {"record": 1, "date": [4, 2, 26], "time": [8, 15], "humidity": "40", "temperature": "20.5",
     "voltage": 1000, "timer": 30, "mantissa": "2.15", "exponent": "11", "calculation": 0},
    {"record": 2, "date": [5, 2, 26], "time": [16, 45], "humidity": "55", "temperature": "24.0",
     "voltage": 250, "timer": 600, "mantissa": "6.80", "exponent": " 8", "calculation": 1}
  ],
  "breakDownMemory": []
})";

class CliOnUsb : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        bed_ = &UsbTestbed::Instance();
        meter_ = &bed_->Plug(2, 9, krx::sim::Scenario::FromJson(kScenario));
    }
    void TearDown() override { bed_->UnplugAll(); }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // The tool's lock files go to a folder of this test, not to the user's runtime folder.
    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        return env;
    }

    CliRun Cli(const QStringList& args) const { return krx::test::RunCli(args, 20000, Environment()); }

    // The trace's records without their times, opens left out: what the tool says it sent.
    QStringList TraceTransfers(const QString& file) const
    {
        QStringList out;
        for (const QString& record : krx::test::TraceRecords(file))
            if (!record.startsWith(QLatin1String("open ")))
                out << record;
        return out;
    }

    // The same records as the emulated device received and answered them.
    QStringList DeviceTransfers() const
    {
        QStringList out;
        for (const ControlRecord& c : meter_->Controls()) {
            krx::TransferRecord t;
            t.kind = (c.requestType & 0x80) ? krx::TransferRecord::In : krx::TransferRecord::Out;
            t.requestType = c.requestType;
            t.request = c.request;
            t.value = c.value;
            t.index = c.index;
            t.length = c.length;
            t.data = QByteArray(reinterpret_cast<const char*>(c.data.data()), static_cast<qsizetype>(c.data.size()));
            t.result = c.result;
            out << t.Describe();
        }
        return out;
    }

    QTemporaryDir dir_;
    UsbTestbed* bed_ = nullptr;
    EmulatedMeter* meter_ = nullptr;
};

// Lines as text, so that a failure prints them readably.
QStringList Lines(const QByteArray& text)
{
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

TEST_F(CliOnUsb, InfoReadsTheMeterOnTheBus)
{
    const QString trace = Path("trace.txt");
    const CliRun r = Cli({"--trace", trace, "info"});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(Lines(r.out), (QStringList{"device: KRX 738", "serial: 73801234", "software: 1.09",
                                                "battery: ok", "voltage: 1000 V", "automatic voltage: off",
                                                "display: exponent", "calculation: average",
                                                "measuring timer: 90 s", "break-down timer: 45 s",
                                                "break-off timer: 15 s"}))
        << r.out.constData();
    // What the tool logged is what crossed the bus, and it left the meter to its own keys.
    EXPECT_EQ(TraceTransfers(trace), DeviceTransfers());
    EXPECT_EQ(DeviceTransfers().back(), QStringLiteral("OUT 54 [01] =1"));
    meter_->WithModel([](krx::sim::Meter& m) { EXPECT_EQ(m.RemoteMode(), 1); });
}

TEST_F(CliOnUsb, MeasureStreamsTheMetersReadingsAsJson)
{
    const QString trace = Path("trace.txt");
    const CliRun r = Cli({"--trace", trace, "measure", "--count", "3", "--interval", "0", "--format", "jsonl"});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QStringList lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3) << r.out.constData();
    double lastElapsed = -1.0;
    for (const QString& line : lines) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_EQ(o.keys().size(), 9) << line.toStdString();
        EXPECT_EQ(o.value("resistance_ohm").toDouble(), 3.3e9) << line.toStdString();
        EXPECT_EQ(o.value("range").toString(), "ok");
        EXPECT_EQ(o.value("voltage_v").toInt(), 1000);
        EXPECT_NEAR(o.value("temperature_c").toDouble(), 19.5, 0.35);
        EXPECT_NEAR(o.value("humidity_pct").toDouble(), 38, 2);
        EXPECT_TRUE(o.value("stable").toBool());
        EXPECT_TRUE(o.value("rest_s").isNull());
        const double elapsed = o.value("elapsed_s").toDouble();
        EXPECT_GT(elapsed, lastElapsed);
        lastElapsed = elapsed;
    }
    EXPECT_LT(lastElapsed, 5.0);
    EXPECT_TRUE(r.err.contains("3 record(s) written")) << r.err.constData();
    // Three value reads (IN 0) answered, each logged as the device answered it.
    EXPECT_EQ(TraceTransfers(trace), DeviceTransfers());
    EXPECT_EQ(DeviceTransfers().filter(QRegularExpression(QStringLiteral("^IN 0 "))).size(), 3);
}

TEST_F(CliOnUsb, MemoryReadListsTheRecordsOfTheMeterOnTheBus)
{
    CliRun r = Cli({"memory", "read", "ohm"});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(Lines(r.out), (QStringList{
                                "file_no,date,time,humidity_pct,temperature_c,voltage_v,timer_s,method,resistance_ohm",
                                "1,2026-02-04,08:15,40,20.5,1000,30,average,215000000000",
                                "2,2026-02-05,16:45,55,24,250,600,lapse,680000000",
                            }))
        << r.out.constData();
    // Two records and the end mark, each asked for once.
    const QStringList sent = DeviceTransfers();
    EXPECT_EQ(sent.filter(QRegularExpression(QStringLiteral("^IN 35 "))).size(), 3);

    r = Cli({"memory", "read", "ohm", "--range", "2-2", "--format", "jsonl"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QStringList lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1);
    const QJsonObject o = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(o.value("file_no").toInt(), 2);
    EXPECT_EQ(o.value("date").toString(), "2026-02-05");
    EXPECT_EQ(o.value("resistance_ohm").toDouble(), 6.8e8);
    EXPECT_EQ(o.value("method").toString(), "lapse");
}

TEST_F(CliOnUsb, NoMeterOnTheBus)
{
    bed_->UnplugAll();
    const CliRun r = Cli({"info"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 2) << r.err.constData();
    EXPECT_TRUE(r.err.contains("no KRX 738 found")) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliOnUsb, ASecondRunFindsTheMeterBusyAndSigintStopsTheTimer)
{
    QProcess first;
    ASSERT_TRUE(krx::test::StartCli(first, {"measure", "--timer", "60", "--interval", "100"}, Environment()));
    const QByteArray out = krx::test::ReadLines(first, 3, 15000);
    ASSERT_GE(out.count('\n'), 3) << first.readAllStandardError().constData();

    // The lock is the meter's place on the bus; the second run sends nothing at all.
    const QString trace = Path("second.txt");
    const CliRun second = Cli({"--trace", trace, "info"});
    EXPECT_EQ(second.exitCode, 3) << second.err.constData();
    EXPECT_TRUE(second.err.contains("bus 2, address 9 is in use by another krx738-cli")) << second.err.constData();
    EXPECT_TRUE(TraceTransfers(trace).isEmpty());
    EXPECT_TRUE(second.out.isEmpty());

    ::kill(static_cast<pid_t>(first.processId()), SIGINT);
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    // The meter's timer was started, and after the signal both stops reached the meter.
    const QStringList sent = DeviceTransfers();
    const qsizetype start = sent.indexOf(QStringLiteral("OUT 8 [20] =1"));
    ASSERT_GE(start, 0) << sent.join('\n').toStdString();
    EXPECT_EQ(sent.mid(start).count(QStringLiteral("OUT 8 [40] =1")), 2) << sent.join('\n').toStdString();
    meter_->WithModel([](krx::sim::Meter& m) { EXPECT_EQ(m.RemoteMode(), 1); });

    // With the first run gone, the lock is free again.
    const CliRun third = Cli({"info"});
    EXPECT_EQ(third.exitCode, 0) << third.err.constData();
}

// Two meters on the bus: each process takes the one its serial number names, a meter in use is
// left alone (not even asked for its identity), and a meter plugged in elsewhere is found again.
TEST_F(CliOnUsb, TwoMetersSideBySideChosenBySerialNumber)
{
    krx::sim::Scenario second = krx::sim::Scenario::FromJson(kScenario);
    second.serialNo = "73800099";
    second.r0 = second.rInf = 7.5e8;
    EmulatedMeter* other = &bed_->Plug(2, 11, second);

    CliRun r = Cli({"list"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(Lines(r.out), (QStringList{"bus 002 address 009  serial 73801234  software 1.09  access: yes",
                                         "bus 002 address 011  serial 73800099  software 1.09  access: yes"}));

    QProcess first;
    ASSERT_TRUE(krx::test::StartCli(first, {"--serial", "73801234", "measure", "--timer", "60", "--interval", "100"},
                                    Environment()));
    ASSERT_GE(krx::test::ReadLines(first, 2, 15000).count('\n'), 2) << first.readAllStandardError().constData();
    meter_->ClearLog();

    // While the first measures, the second meter measures for another process.
    r = Cli({"--serial", "73800099", "measure", "--count", "3", "--interval", "0", "--format", "jsonl"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QStringList readings = Lines(r.out);
    ASSERT_EQ(readings.size(), 3);
    for (const QString& line : readings)
        EXPECT_EQ(QJsonDocument::fromJson(line.toUtf8()).object().value("resistance_ohm").toDouble(), 7.5e8);

    // The meter in use is refused by serial number and, without one, listed as in use; the
    // identity of the free one is all that is asked.
    const QString trace = Path("refused.txt");
    r = Cli({"--trace", trace, "--serial", "73801234", "info"});
    EXPECT_EQ(r.exitCode, 3) << r.err.constData();
    EXPECT_TRUE(r.err.contains("meter 73801234 is in use by another program or not attached (attached: bus 002 "
                               "address 009 in use by another program, 73800099)"))
        << r.err.constData();
    r = Cli({"info"});
    EXPECT_EQ(r.exitCode, 10) << r.err.constData();
    EXPECT_TRUE(r.err.contains("bus 002 address 009 in use by another program, 73800099 (bus 002 address 011)"))
        << r.err.constData();
    for (const ControlRecord& c : meter_->Controls())
        EXPECT_NE(c.value, 10) << "the meter in use was asked for its identity";
    EXPECT_EQ(TraceTransfers(trace).filter(QRegularExpression(QStringLiteral("^OUT "))), QStringList());

    ::kill(static_cast<pid_t>(first.processId()), SIGINT);
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();

    // Pulled out and plugged in at another port between two commands: found by its serial number.
    bed_->Unplug(*other);
    other = &bed_->Plug(2, 4, second);
    r = Cli({"--serial", "73800099", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("serial: 73800099\n")) << r.out.constData();
    other->WithModel([](krx::sim::Meter& m) { EXPECT_EQ(m.RemoteMode(), 1); });
    meter_->WithModel([](krx::sim::Meter& m) { EXPECT_EQ(m.RemoteMode(), 1); });
}

int main(int argc, char** argv)
{
    krx::test::RunUnderUmockdevPreload(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
