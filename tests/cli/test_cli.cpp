// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli as a user runs it: a separate process against the simulated meter, on the real
// clock. Output is parsed, not compared as text; every wait has a deadline.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>

namespace {

using krx::test::CliRun;
using krx::test::Lines;
using krx::test::ReadAll;
using krx::test::WriteFile;

CliRun Cli(const QStringList& args)
{
    return krx::test::RunCli(args);
}

// The simulated insulation: r0 rising towards rInf with time constant tau from the start of the
// measurement.
double Resistance(double r0, double rInf, double tau, double t)
{
    return rInf - (rInf - r0) * std::exp(-std::max(t, 0.0) / tau);
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Scenario(const QByteArray& json, const QString& name = QStringLiteral("scenario.json"))
    {
        const QString file = krx::test::WriteFile(Path(name), json);
        EXPECT_FALSE(file.isEmpty()) << name.toStdString();
        return file;
    }
    // A meter that is stable after a tenth of a second and rises visibly within a second.
    QString Fast()
    {
        return Scenario(R"({"stabiliseSeconds": 0.1, "r0": 1e9, "rInf": 2e9, "tauSeconds": 4})", "fast.json");
    }
    QTemporaryDir dir_;
};

TEST_F(CliTest, CsvReadingsFollowTheMetersCurve)
{
    const CliRun r = Cli({"--simulate", Fast(), "measure", "--count", "6", "--interval", "100"});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 7);
    // The simulated meter's records say so in a last column.
    EXPECT_EQ(lines[0], "time,elapsed_s,resistance_ohm,range,voltage_v,temperature_c,humidity_pct,stable,rest_s,"
                        "simulated");
    const QRegularExpression iso(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d$)"));
    double lastElapsed = -1.0;
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split(',');
        ASSERT_EQ(f.size(), 10) << lines[i].constData();
        const QDateTime time = QDateTime::fromString(QString::fromLatin1(f[0]), Qt::ISODateWithMs);
        EXPECT_TRUE(iso.match(QString::fromLatin1(f[0])).hasMatch()) << f[0].constData();
        EXPECT_LT(std::abs(time.secsTo(QDateTime::currentDateTime())), 60);
        const double elapsed = f[1].toDouble();
        EXPECT_GT(elapsed, lastElapsed);
        lastElapsed = elapsed;
        // Readings are taken a little before their record; allow 0.15 s and the meter's three
        // significant digits.
        const double ohm = f[2].toDouble();
        EXPECT_GE(ohm, Resistance(1e9, 2e9, 4, elapsed - 0.15) * 0.994) << lines[i].constData();
        EXPECT_LE(ohm, Resistance(1e9, 2e9, 4, elapsed) * 1.006) << lines[i].constData();
        EXPECT_EQ(f[3], "ok");
        EXPECT_EQ(f[4], "500");
        EXPECT_NEAR(f[5].toDouble(), 22.5, 0.35);
        EXPECT_NEAR(f[6].toInt(), 45, 2);
        EXPECT_EQ(f[7], "1");
        EXPECT_EQ(f[8], "");
        EXPECT_EQ(f[9], "1");
    }
    // Six readings 100 ms apart after a short stabilisation: well within the deadline.
    EXPECT_LT(lastElapsed, 3.0);
}

TEST_F(CliTest, JsonlOverflowHasNoResistanceAndTheChosenVoltage)
{
    // 5e13 Ohm is above the range at 100 V (at most 2e12).
    const QString s = Scenario(R"({"stabiliseSeconds": 0.1, "r0": 5e13, "rInf": 5e13})");
    const CliRun r = Cli({"--simulate", s, "measure", "--voltage", "100", "--count", "2", "--interval", "0",
                       "--format", "jsonl", "--output", Path("out.jsonl")});
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
    const QList<QByteArray> lines = Lines(ReadAll(Path("out.jsonl")));
    ASSERT_EQ(lines.size(), 2);
    for (const QByteArray& line : lines) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.constData();
        EXPECT_EQ(o.keys().size(), 10);
        EXPECT_EQ(o.value("simulated"), QJsonValue(true));
        EXPECT_TRUE(o.value("resistance_ohm").isNull());
        EXPECT_EQ(o.value("range").toString(), "over");
        EXPECT_EQ(o.value("voltage_v").toInt(), 100);
        EXPECT_TRUE(o.value("stable").toBool());
        EXPECT_TRUE(o.value("rest_s").isNull());
        EXPECT_TRUE(o.value("time").isString());
        EXPECT_GT(o.value("elapsed_s").toDouble(), 0.0);
    }
    EXPECT_TRUE(r.err.contains("2 record(s) written"));
}

TEST_F(CliTest, SpreadsheetIsTheSaveDialectAndAppends)
{
    const QString file = Path("log.csv");
    for (int run = 0; run < 2; ++run) {
        const CliRun r = Cli({"--simulate", Fast(), "measure", "--count", "1", "--interval", "0", "--format",
                           "spreadsheet", "--output", file});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    }
    const QByteArray bytes = ReadAll(file);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two records, nothing after the last CR LF
    EXPECT_EQ(lines[0], "Type;Ser. No.;Date;Time;Sw.Ver.;Resis.(Ohm);Humi.(%);Temp.(GC);Volt (V);Overf.;"
                        "Timer(Sec);MeasCalc;Comment\r");
    EXPECT_TRUE(lines[1].startsWith("KRX 738;`73800042;")) << lines[1].constData();
    EXPECT_TRUE(lines[2].endsWith(";0;0;;\r")) << lines[2].constData();
}

TEST_F(CliTest, SigintInTimerModeStopsTheMetersTimerAndKeepsEveryRecord)
{
    const QString trace = Path("trace.txt");
    QProcess p;
    ASSERT_TRUE(krx::test::StartCli(p, {"--simulate", Fast(), "--trace", trace, "measure", "--timer", "60",
                                        "--interval", "100"}));
    QByteArray out = krx::test::ReadLines(p, 3, 10000);
    ASSERT_GE(out.count('\n'), 3) << p.readAllStandardError().constData();
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    out += p.readAllStandardOutput();
    EXPECT_TRUE(out.endsWith('\n'));
    const QList<QByteArray> lines = Lines(out);
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split(',');
        ASSERT_EQ(f.size(), 10) << lines[i].constData();
        // The rest of the 60 s timer; unknown (empty) only for a reading whose rest was asked
        // after the stop.
        if (i + 1 == lines.size() && f[8].isEmpty())
            continue;
        EXPECT_GE(f[8].toInt(), 55) << lines[i].constData();
        EXPECT_LE(f[8].toInt(), 60);
    }
    // The timer was started, and after the signal the two stops went out.
    const QByteArray log = ReadAll(trace);
    const qsizetype start = log.indexOf("OUT 8 [20]");
    ASSERT_GE(start, 0) << log.constData();
    EXPECT_EQ(log.mid(start).count("OUT 8 [40]"), 2) << log.constData();
}

TEST_F(CliTest, SigintEndsAFreeRunningMeasurementAndTheWaitForVoltageQuietly)
{
    const QString slow = Scenario(R"({"stabiliseSeconds": 30})", "slow.json");
    for (const QString& scenario : {Fast(), slow}) {
        const QString trace = Path("trace.txt");
        QFile::remove(trace);
        QProcess p;
        ASSERT_TRUE(krx::test::StartCli(p, {"--simulate", scenario, "--trace", trace, "measure", "--interval", "50"}));
        // Until the cycle has begun asking for the status.
        QDeadlineTimer deadline(5000);
        while (!ReadAll(trace).contains("IN 1 ") && !deadline.hasExpired())
            p.waitForFinished(50);
        p.waitForFinished(300);
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 0);
        const QByteArray err = p.readAllStandardError();
        EXPECT_FALSE(err.contains("stabilized")) << err.constData();
        EXPECT_FALSE(ReadAll(trace).contains("OUT 8 [40]"));  // no timer to stop
        const QByteArray out = p.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith("time,")) << out.constData();
        EXPECT_TRUE(out.endsWith('\n'));
    }
}

TEST_F(CliTest, ArgumentErrorsNameTheArgumentAndSendNothing)
{
    const QString trace = Path("trace.txt");
    struct Case {
        QStringList args;
        int exit;
        const char* says;
    };
    const QList<Case> cases{
        {{"measure", "--count", "0"}, 1, "--count: '0' is not allowed"},
        {{"measure", "--voltage", "42"}, 1, "10, 100, 500, 1000 or auto"},
        {{"measure", "--timer", "601"}, 1, "from 1 to 600"},
        {{"measure", "--timer", "0"}, 1, "from 1 to 600"},
        {{"measure", "--interval", "-1"}, 1, "--interval"},
        {{"measure", "--format", "xml"}, 1, "csv, jsonl or spreadsheet"},
        {{"measure", "--duration", "5", "--count", "3"}, 1, "choose one"},
        {{"measure", "--lapse"}, 1, "need --timer"},
        {{"measure", "--test", "ir"}, 1, "--test: 'ir' is not allowed; choose dar, pi or step"},
        {{"measure", "--test", "PI"}, 1, "choose dar, pi or step"},
        {{"measure", "--test", "step", "--steps", "500,100"}, 1, "--steps: "},
        {{"measure", "--test", "step", "--step-seconds", "29"}, 1, "from 30 to 600"},
        {{"measure", "--steps", "100,500"}, 1, "--steps needs --test step"},
        {{"measure", "--asset", "M1"}, 1, "add --allow-simulated to file them (marked simulated)"},
        {{"measure", "--test", "pi", "--class", "C"}, 1, "--class: 'C' is not allowed; choose A, B, F or H"},
        {{"measure", "--test", "pi", "--class", "f"}, 1, "choose A, B, F or H"},
        {{"measure", "--test", "dar", "--dar-times", "30-600"}, 1, "--dar-times: '30-600' is not allowed; choose 30-60 or 15-60"},
        {{"measure", "--class", "A"}, 1, "--class needs --test"},
        {{"measure", "--winding-temp", "20"}, 1, "--winding-temp needs --test"},
        {{"measure", "--test", "pi", "--winding-temp", "250.1"}, 1, "--winding-temp: '250.1' is not a number from -50 to 250"},
        {{"measure", "--test", "pi", "--kind", "motor"}, 1, "choose machine, transformer, cable or other"},
        {{"figures", Path("none.csv"), "--winding", "new"}, 1, "choose form, random or older"},
        {{"measure", "--dar-times", "15-60"}, 1, "--dar-times needs --test"},
        {{"measure", "--method", "floor"}, 1, "--method: 'floor' is not allowed"},
        {{"measure", "--measure", "rtt"}, 1, "--measure needs --method esd, surface, volume or material"},
        {{"measure", "--method", "esd", "--voltage", "100"}, 1, "--voltage does not go with --method esd"},
        {{"measure", "--method", "esd", "--test", "pi"}, 1, "--test does not go with --method esd"},
        {{"measure", "--method", "surface", "--measure", "rtt"}, 1, "--measure goes with --method esd"},
        {{"measure", "--method", "esd", "--d1", "30"}, 1, "electrode sizes give a resistivity of a material"},
        {{"measure", "--method", "surface", "--d1", "57.15", "--d2", "30.48"}, 1, "must be larger than D1"},
        {{"measure", "--method", "volume", "--d1", "30", "--gap", "13"}, 1, "needs D1, the gap and the thickness"},
        {{"measure", "--method", "esd", "--limits", "s20.20-2021"}, 1, "give the kind too"},
        {{"measure", "--method", "esd", "--limits", "none", "--item-kind", "flooring"}, 1, "no limit set 'none'"},
        {{"measure", "--method", "material"}, 1, "--method material needs --voltage"},
        {{"measure", "--method", "material", "--voltage", "500", "--duration", "0.5"}, 1, "whole seconds"},
        {{"memory", "read", "ohm", "--range", "0-5"}, 1, "1 <= FROM <= TO <= 99"},
        {{"memory", "read", "ohm", "--range", "1-100"}, 1, "1 <= FROM <= TO <= 99"},
        {{"memory", "read", "ohm", "--range", "5-4"}, 1, "--range"},
        {{"memory", "read", "kwh"}, 1, "choose ohm or bd"},
        {{"memory", "erase", "ohm"}, 1, "add --yes"},
        {{"setup", "--breakdown-timer", "10000"}, 1, "from 1 to 9999"},
        {{"setup", "--display", "fancy"}, 1, "technical or exponent"},
        {{"calibrate"}, 1, "not a command"},
        {{}, 1, "give a command: list, info, measure, memory, setup, history, figures or plan"},
        // The option parser's words in the tool's own style.
        {{"measure", "--volt", "5"}, 1, "krx738-cli: unknown option 'volt' (see krx738-cli --help)\n"},
        {{"measure", "--output", Path("no/such/folder/out.csv")}, 5, "cannot write"},
        {{"measure", "--output", "/dev/full"}, 5, "cannot write"},
    };
    for (const Case& c : cases) {
        QFile::remove(trace);
        const CliRun r = Cli(QStringList{"--simulate", "--trace", trace} + c.args);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << c.args.join(' ').toStdString() << ": " << r.err.constData();
        EXPECT_TRUE(ReadAll(trace).isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
    }
    // The other side of the boundaries: these are accepted and run.
    for (const QStringList& ok : {QStringList{"measure", "--timer", "600", "--count", "1", "--interval", "0"},
                                  QStringList{"measure", "--count", "1", "--interval", "0"},
                                  QStringList{"measure", "--count", "1", "--interval", "0", "--test", "dar",
                                              "--class", "A", "--dar-times", "15-60", "--winding-temp", "250"},
                                  QStringList{"memory", "read", "ohm", "--range", "1-1"},
                                  QStringList{"measure", "--method", "material", "--voltage", "10", "--duration", "1",
                                              "--d1", "30.48", "--gap", "13.335", "--thickness", "2"}}) {
        const CliRun r = Cli(QStringList{"--simulate", Fast()} + ok);
        EXPECT_EQ(r.exitCode, 0) << ok.join(' ').toStdString() << ": " << r.err.constData();
    }
}

// The whole figures against the closed form run on the virtual clock in test_cli_figures; here the
// process: where the figures go in each format, and a run too short for them.
TEST_F(CliTest, TestFiguresFollowTheRecords)
{
    const CliRun j = Cli({"--simulate", Fast(), "measure", "--test", "dar", "--duration", "1", "--interval", "100",
                          "--format", "jsonl"});
    ASSERT_TRUE(j.finished);
    ASSERT_EQ(j.exitCode, 0) << j.err.constData();
    const QList<QByteArray> lines = Lines(j.out);
    ASSERT_GE(lines.size(), 3);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_FALSE(QJsonDocument::fromJson(lines[i]).object().contains("test")) << lines[i].constData();
    const QJsonObject f = QJsonDocument::fromJson(lines.back()).object();
    EXPECT_EQ(f.value("test").toString(), "dar");
    EXPECT_EQ(f.value("nameplate").toString(), "no nameplate");
    EXPECT_EQ(f.value("dar_times").toString(), "30-60");
    EXPECT_TRUE(f.value("dar").isNull());
    EXPECT_TRUE(f.value("r30_ohm").isNull());
    EXPECT_TRUE(f.value("r15_ohm").isNull()) << "15 s were not reached";
    EXPECT_EQ(f.value("dar_verdict").toString(), "not enough data");
    EXPECT_TRUE(f.value("dar_source").isNull());
    EXPECT_EQ(f.value("ir_verdict").toString(), "no verdict: no nameplate");
    EXPECT_NEAR(f.value("correction_temperature_c").toDouble(), 22.5, 0.35);
    EXPECT_EQ(f.value("simulated"), QJsonValue(true));
    EXPECT_TRUE(j.err.contains("record(s) written")) << j.err.constData();
    EXPECT_FALSE(j.err.contains('\r')) << "a progress line although standard error is no terminal";

    // csv on standard output: the figures go to standard error, the records stay pure CSV.
    const CliRun c = Cli({"--simulate", Fast(), "measure", "--test", "pi", "--count", "3", "--interval", "100"});
    ASSERT_EQ(c.exitCode, 0) << c.err.constData();
    EXPECT_EQ(Lines(c.out).size(), 4);
    EXPECT_TRUE(c.err.contains("test: pi\n")) << c.err.constData();
    EXPECT_TRUE(c.err.contains("PI (10 min / 1 min): not enough data\n")) << c.err.constData();
    EXPECT_TRUE(c.err.contains("PI verdict: no verdict: no nameplate\n")) << c.err.constData();
    EXPECT_TRUE(c.err.contains("meter: simulated, not a real meter's readings\n")) << c.err.constData();
    // With --output the figures have standard output to themselves.
    const CliRun o = Cli({"--simulate", Fast(), "measure", "--test", "pi", "--count", "3", "--interval", "100",
                          "--output", Path("r.csv")});
    ASSERT_EQ(o.exitCode, 0) << o.err.constData();
    EXPECT_TRUE(o.out.startsWith("test: pi\n")) << o.out.constData();
    EXPECT_EQ(Lines(ReadAll(Path("r.csv"))).size(), 4);
}

TEST_F(CliTest, ExitCodesForMeterFaults)
{
    // No meter; a meter this user may not open.
    CliRun r = Cli({"--simulate", Scenario(R"({"present": false})"), "info"});
    EXPECT_EQ(r.exitCode, 2) << r.err.constData();
    EXPECT_TRUE(r.err.contains("no KRX 738 found"));
    r = Cli({"--simulate", Scenario(R"({"present": false})"), "list"});
    EXPECT_EQ(r.exitCode, 2);
    r = Cli({"--simulate", Scenario(R"({"faults": [{"kind": "access-denied"}]})"), "info"});
    EXPECT_EQ(r.exitCode, 3) << r.err.constData();
    EXPECT_TRUE(r.err.contains("60-krx738.rules"));
    EXPECT_FALSE(r.err.contains("press Init"));
    r = Cli({"--simulate", Scenario(R"({"faults": [{"kind": "access-denied"}]})"), "list"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.out.contains("access: no"));

    // The meter pulled after the fourth value read: the records read stay, and are counted.
    r = Cli({"--simulate",
             Scenario(R"({"stabiliseSeconds": 0.1, "faults": [{"kind": "unplug", "command": 0, "at": 4}]})"),
             "measure", "--interval", "0", "--output", Path("lost.csv")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 4) << r.err.constData();
    const QList<QByteArray> lines = Lines(ReadAll(Path("lost.csv")));
    EXPECT_EQ(lines.size(), 5);  // header and four readings
    EXPECT_TRUE(r.err.contains("4 record(s) written")) << r.err.constData();

    // A memory whose read-out breaks off after its first record.
    r = Cli({"--simulate", Scenario(R"({"faults": [{"kind": "fail", "command": 35, "at": 1}]})"), "memory", "read",
             "ohm"});
    EXPECT_EQ(r.exitCode, 4) << r.err.constData();
    EXPECT_EQ(Lines(r.out).size(), 2);

    // A range beyond the memory's highest file number: the records there are written, the rest
    // is named after them; a range wholly beyond it writes nothing. Both talked to the meter.
    r = Cli({"--simulate", "memory", "read", "ohm", "--range", "2-9"});
    EXPECT_EQ(r.exitCode, 8);
    EXPECT_EQ(Lines(r.out).size(), 3);
    EXPECT_TRUE(r.err.contains("file numbers 1 to 3; 4 to 9 are missing; 2 record(s) written")) << r.err.constData();
    r = Cli({"--simulate", "memory", "read", "ohm", "--range", "3-3"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    // An empty memory holds none of any range; without a range it is no fault.
    const QString empty = Scenario(R"({"ohmMemory": []})", "empty.json");
    struct Case {
        bool emptyMemory;
        const char* range;
        int exitCode;
        const char* said;
    };
    for (const Case& c : {Case{false, "4-9", 8, "nothing was written"}, Case{true, nullptr, 0, "holds no records"},
                          Case{true, "1-5", 8, "--range 1-5: the resistance memory holds no records; nothing was written"}}) {
        QStringList args{"--simulate", "memory", "read", "ohm"};
        if (c.emptyMemory)
            args.insert(1, empty);
        if (c.range)
            args << "--range" << c.range;
        r = Cli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << args.join(' ').toStdString() << r.err.constData();
        EXPECT_EQ(Lines(r.out).size(), 1);
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.constData();
    }
}

TEST_F(CliTest, MemoryReadRangeAndErase)
{
    CliRun r = Cli({"--simulate", "memory", "read", "ohm", "--range", "2-3"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QList<QByteArray> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "file_no,date,time,humidity_pct,temperature_c,voltage_v,timer_s,method,resistance_ohm");
    EXPECT_EQ(lines[1], "2,2026-03-07,09:41,43,21.8,1000,60,lapse,1250000000000");
    EXPECT_EQ(lines[2], "3,2026-03-09,14:02,51,23,100,120,average,88000000");

    r = Cli({"--simulate", "memory", "read", "bd", "--format", "jsonl"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(first.value("file_no").toInt(), 1);
    EXPECT_EQ(first.value("resistance_before_ohm").toDouble(), 1999999000.0);
    EXPECT_EQ(first.value("cycle_time_s").toInt(), 14);

    const QString trace = Path("trace.txt");
    r = Cli({"--simulate", "--trace", trace, "memory", "erase", "bd", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(ReadAll(trace).contains("OUT 36 [FF]"));
    EXPECT_FALSE(ReadAll(trace).contains("OUT 35 [FF]"));
}

TEST_F(CliTest, InfoListSetupAndHelp)
{
    CliRun r = Cli({"--simulate", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    for (const char* line : {"serial: 73800042", "software: 1.07", "battery: ok", "voltage: 500 V",
                             "automatic voltage: off", "measuring timer: 60 s", "break-down timer: 30 s",
                             "break-off timer: 20 s"})
        EXPECT_TRUE(Lines(r.out).contains(line)) << line << "\n" << r.out.constData();

    r = Cli({"--simulate", "list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("simulated  serial 73800042  software 1.07  access: yes")) << r.out.constData();

    r = Cli({"--simulate", "setup", "--voltage", "100", "--display", "exponent", "--lapse", "--timer", "120",
             "--breakoff-timer", "45"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    for (const char* line : {"voltage: 100 V", "display: exponent", "calculation: lapse", "measuring timer: 120 s",
                             "break-down timer: 30 s", "break-off timer: 45 s"})
        EXPECT_TRUE(Lines(r.out).contains(line)) << line << "\n" << r.out.constData();

    r = Cli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("krx738-cli "));
    EXPECT_TRUE(r.out.contains("License GPL-3.0-or-later <https://gnu.org/licenses/gpl.html>"));

    // The exit status and the global options once, in the main help; a command's help points there.
    const struct {
        QStringList args;
        bool main;
    } helps[] = {{{"--help"}, true}, {{"measure", "--help"}, false}, {{"memory", "--help"}, false}};
    for (const auto& h : helps) {
        r = Cli(h.args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out.contains("  4  connection to the meter lost"), h.main) << r.out.constData();
        EXPECT_EQ(r.out.contains("  9  history show, export"), h.main) << r.out.constData();
        EXPECT_EQ(r.out.contains("--trace <FILE>"), h.main) << r.out.constData();
        EXPECT_EQ(r.out.contains("and the exit status: krx738-cli --help."), !h.main) << r.out.constData();
    }
    EXPECT_TRUE(r.out.contains("--range"));
}

// The help and the messages on standard error speak the chosen language; the exit status does not
// change with it. --language wins over the settings and the environment, LANGUAGE counts only under
// a locale other than C, as gettext has it.
TEST_F(CliTest, LanguageOfHelpAndMessages)
{
    const struct {
        const char* lcAll;
        const char* language;  // the environment's LANGUAGE
        QStringList choice;    // --language
        bool german;
    } cases[] = {
        {"C.UTF-8", "", {}, false},
        {"de_DE.UTF-8", "", {}, true},
        {"de_DE.UTF-8", "", {"--language", "en"}, false},
        {"C.UTF-8", "", {"--language", "de"}, true},
        {"C.UTF-8", "de", {}, false},
        {"en_GB.UTF-8", "de:en", {}, true},
        {"de_AT.UTF-8", "fr", {}, true},
    };
    for (const auto& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(c.lcAll));
        env.insert(QStringLiteral("LANGUAGE"), QString::fromLatin1(c.language));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LANG"));
        const QByteArray what = QByteArray(c.lcAll) + " LANGUAGE=" + c.language + " " + c.choice.join(' ').toUtf8();

        CliRun r = krx::test::RunCli(QStringList{"--help"} + c.choice, 15000, env);
        EXPECT_EQ(r.exitCode, 0) << what.constData();
        EXPECT_EQ(r.out.contains("Befehle:\n"), c.german) << what.constData() << r.out.constData();
        EXPECT_EQ(r.out.contains("Commands:\n"), !c.german) << what.constData();
        EXPECT_EQ(r.out.contains("R\xc3\xbc" "ckgabewerte:\n  0  fertig"), c.german) << what.constData();

        // The option after the command, where the parser has not reached it yet.
        r = krx::test::RunCli(QStringList{"measure", "--count", "0"} + c.choice, 15000, env);
        EXPECT_EQ(r.exitCode, 1) << what.constData();
        EXPECT_EQ(r.err.contains("--count: '0' is not allowed; give a number of readings from 1 to 2147483647 "
                                 "(see krx738-cli --help)"),
                  !c.german)
            << what.constData() << r.err.constData();
        EXPECT_EQ(r.err.contains("--count: \xe2\x80\x9e" "0\xe2\x80\x9c ist nicht erlaubt; geben Sie eine Anzahl von "
                                 "Messwerten von 1 bis 2147483647 an (siehe krx738-cli --help)"),
                  c.german)
            << what.constData() << r.err.constData();
        EXPECT_TRUE(r.out.isEmpty());
    }
    const CliRun r = Cli({"--language", "fr", "--help"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("--language: 'fr' is not a language; give de or en")) << r.err.constData();
}

// figures reads the simulated meter's mark from the recording, whatever this run talks to.
TEST_F(CliTest, FiguresTakeTheSimulatedMarkFromTheRecording)
{
    const CliRun m = Cli({"--simulate", Fast(), "measure", "--count", "3", "--interval", "100"});
    ASSERT_EQ(m.exitCode, 0) << m.err.constData();
    // The same readings as a real meter's recording holds them: without the last column.
    QByteArray real;
    for (const QByteArray& line : Lines(m.out))
        real += line.left(line.lastIndexOf(',')) + '\n';
    const QString marked = WriteFile(Path("sim.csv"), m.out);
    const QString plain = WriteFile(Path("real.csv"), real);
    const struct {
        QString file;
        bool simulate;
        bool simulated;
    } cases[] = {{marked, false, true}, {marked, true, true}, {plain, true, false}, {plain, false, false}};
    for (const auto& c : cases) {
        const QStringList args = QStringList{"figures", c.file} + (c.simulate ? QStringList{"--simulate"} : QStringList{});
        const CliRun j = Cli(args + QStringList{"--format", "jsonl"});
        ASSERT_EQ(j.exitCode, 0) << j.err.constData();
        EXPECT_EQ(QJsonDocument::fromJson(j.out).object().value("simulated"), QJsonValue(c.simulated))
            << args.join(' ').toStdString();
        const CliRun t = Cli(args);
        EXPECT_EQ(t.out.contains("meter: simulated, not a real meter's readings\n"), c.simulated)
            << args.join(' ').toStdString();
    }
}

}  // namespace
