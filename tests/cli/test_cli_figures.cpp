// SPDX-License-Identifier: GPL-3.0-or-later
// "measure --test" run in-process on the virtual clock, so that a whole ten-minute PI test takes
// milliseconds: the figures it prints against the closed form of the simulated meter's curve,
// and the transfers of the run.
#include "sim_fixture.h"

#include "cli/figures.h"
#include "cli/measure.h"
#include "device/protocol.h"
#include "device/transfer_log.h"
#include "history/history_store.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <cstdio>
#include <unistd.h>

using namespace krx;
using namespace krx::cli;

namespace {

double Curve(const sim::Scenario& s, double t)
{
    return s.rInf - (s.rInf - s.r0) * std::exp(-t / s.tauSeconds);
}

struct TestRun {
    int rc = -1;
    QList<QByteArray> records;
    QJsonObject figures;
    double origin = -1.0;  // seconds from the charge's start to the first value read
    QStringList transfers;
};

TestRun RunTest(const sim::Scenario& s, MeasureArgs args)
{
    TestRun out;
    QTemporaryDir dir;
    if (!dir.isValid())
        return out;
    test::SimSetup t(s);
    SetSimulated(true);
    args.output.format = OutputFormat::Jsonl;
    args.output.file = dir.filePath(QStringLiteral("out.jsonl"));
    ::alarm(60);  // watchdog: a run that never ends fails fast instead of hanging
    out.rc = MeasureCommand(args);
    ::alarm(0);

    double start = -1.0;
    for (const TransferRecord& r : TheTransferLog().Records()) {
        const bool charge = r.kind == TransferRecord::Out &&
                            ((r.value == protocol::kRemoteMode && r.data == QByteArray(1, protocol::kModeMeasure)) ||
                             (r.value == protocol::kControl && r.data == QByteArray(1, char(protocol::kControlStart))));
        if (charge && start < 0)
            start = r.time;
        if (r.kind == TransferRecord::In && r.value == protocol::kValue && out.origin < 0 && start >= 0)
            out.origin = r.time - start;
    }
    out.transfers = t.Take();
    QFile f(args.output.file);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    out.records = f.readAll().split('\n');
    if (!out.records.isEmpty() && out.records.back().isEmpty())
        out.records.removeLast();
    if (!out.records.isEmpty())
        out.figures = QJsonDocument::fromJson(out.records.takeLast()).object();
    return out;
}

// `a` measured on the simulated meter `s` and recorded as csv to `file`: the exit status.
int RecordRun(MeasureArgs& a, const sim::Scenario& s, const QString& file)
{
    test::SimSetup t(s);
    SetSimulated(true);
    a.output.format = OutputFormat::Csv;
    a.output.file = file;
    std::fflush(stdout);
    ::alarm(60);
    const int rc = MeasureCommand(a);
    ::alarm(0);
    return rc;
}

struct Printed {
    int rc = -1;
    QByteArray out, err;
};

// The figures command in-process, its standard output and error caught in files.
Printed RunFigures(const FiguresArgs& args)
{
    Printed p;
    QTemporaryFile out, err;
    if (!out.open() || !err.open())
        return p;
    std::fflush(stdout);
    std::fflush(stderr);
    const int keptOut = ::dup(1), keptErr = ::dup(2);
    ::dup2(out.handle(), 1);
    ::dup2(err.handle(), 2);
    p.rc = FiguresCommand(args);
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(keptOut, 1);
    ::dup2(keptErr, 2);
    ::close(keptOut);
    ::close(keptErr);
    out.seek(0);
    err.seek(0);
    p.out = out.readAll();
    p.err = err.readAll();
    return p;
}

}  // namespace

TEST(CliTestFigures, PiRunEndsTenMinutesAfterTheVoltageCommand)
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = 1.0e8;
    s.rInf = 5.0e9;
    s.tauSeconds = 150.0;
    s.stabiliseSeconds = 1.7;
    MeasureArgs a;
    a.test = MeasureArgs::Test::Pi;
    a.plate = Nameplate{AssetKind::Machine, std::nullopt, std::nullopt, InsulationClass::A};
    const TestRun r = RunTest(s, a);
    ASSERT_EQ(r.rc, kDone);
    ASSERT_GT(r.origin, s.stabiliseSeconds);
    const QJsonObject& f = r.figures;
    ASSERT_EQ(f.value("test").toString(), "pi") << QJsonDocument(f).toJson().constData();
    const double pi = Curve(s, 600) / Curve(s, 60);
    const double dar = Curve(s, 60) / Curve(s, 30);
    EXPECT_NEAR(f.value("pi").toDouble() / pi, 1.0, 0.01) << f.value("pi").toDouble() << " vs " << pi;
    EXPECT_NEAR(f.value("dar").toDouble() / dar, 1.0, 0.01) << f.value("dar").toDouble() << " vs " << dar;
    EXPECT_NEAR(f.value("r600_ohm").toDouble() / Curve(s, 600), 1.0, 0.01);
    EXPECT_TRUE(f.value("nameplate").toString().endsWith("class A")) << f.value("nameplate").toString().toStdString();
    ASSERT_LT(f.value("r60_40c_ohm").toDouble(), 5000e6);  // else the PI may be disregarded
    EXPECT_EQ(f.value("pi_verdict").toString(), pi >= 1.5 ? "meets the minimum of 1.50 (class A)" : "below the minimum of 1.50 (class A)");
    EXPECT_TRUE(f.value("pi_source").toString().startsWith("IEEE 43-2013"));
    EXPECT_EQ(f.value("ir_verdict").toString(), "not judged: the winding type is needed");
    // Corrected from the meter's mean temperature by hand: R40 = R60 × 0.5^((40 − T) / 10).
    const double t = f.value("correction_temperature_c").toDouble();
    EXPECT_NEAR(t, s.temperature, 0.31);
    EXPECT_NEAR(f.value("r60_40c_ohm").toDouble() / (f.value("r60_ohm").toDouble() * std::pow(0.5, (40 - t) / 10)), 1.0,
                1e-9);

    // Ended at the first reading past ten minutes after the voltage command: no more, no fewer.
    ASSERT_GE(r.records.size(), 2);
    const double first = 0.0;
    const double last = QJsonDocument::fromJson(r.records.back()).object().value("elapsed_s").toDouble();
    const double before = QJsonDocument::fromJson(r.records[r.records.size() - 2]).object().value("elapsed_s").toDouble();
    EXPECT_GE(last - first, 600.0);
    EXPECT_LT(before - first, 600.0);

    // Free running from Init to the end: remote mode 6, the setup, its apply, then the passes; the
    // meter handed back to its keys at the end.
    const qsizetype at = r.transfers.indexOf(QRegularExpression(QStringLiteral(R"(^\d+ OUT 54 \[06\] =1$)")));
    ASSERT_GE(at, 0) << r.transfers.join('\n').toStdString();
    QStringList start = r.transfers.mid(at, 6);
    for (QString& line : start)
        line = line.section(QLatin1Char(' '), 1);
    EXPECT_EQ(start, (QStringList{"OUT 54 [06] =1", "open =1", "IN 53 [08 00] =2", "OUT 53 [08 00] =2",
                                  "OUT 53 [08 00] =2", "OUT 37 [10] =1"}));
    EXPECT_EQ(r.transfers.back().section(QLatin1Char(' '), 1), "OUT 54 [01] =1");
    EXPECT_EQ(r.transfers.filter(QRegularExpression(QStringLiteral(R"( IN 0 \[)"))).size(), r.records.size());
}

TEST(CliTestFigures, DarFifteenToSixtyAndATimerTooShortForPi)
{
    const sim::Scenario s = sim::Scenario::Default();
    MeasureArgs a;
    a.test = MeasureArgs::Test::Dar;
    a.darTimes = DarTimes::From15To60;
    const TestRun d = RunTest(s, a);
    ASSERT_EQ(d.rc, kDone);
    const double dar = Curve(s, 60) / Curve(s, 15);
    EXPECT_EQ(d.figures.value("dar_times").toString(), "15-60");
    EXPECT_NEAR(d.figures.value("dar").toDouble() / dar, 1.0, 0.01);
    EXPECT_TRUE(d.figures.value("pi").isNull());
    EXPECT_GT(dar, 1.0);
    EXPECT_EQ(d.figures.value("dar_verdict").toString(), "no bands for 60 s / 15 s");
    EXPECT_EQ(d.figures.value("dar_source").toString(), "the instrument makers' rule of thumb applies to 60 s / 30 s only");
    EXPECT_EQ(d.figures.value("pi_verdict").toString(), "no verdict: no nameplate");
    EXPECT_GE(d.figures.value("seconds_since_origin").toDouble(), 60.0);
    EXPECT_LT(d.figures.value("seconds_since_origin").toDouble(), 61.5);

    // The meter's timer ends the run before ten minutes after the origin: no PI, said as such.
    a.test = MeasureArgs::Test::Pi;
    a.timerSeconds = 120;
    a.plate = Nameplate{AssetKind::Machine, std::nullopt, std::nullopt, InsulationClass::F};
    const TestRun p = RunTest(s, a);
    ASSERT_EQ(p.rc, kDone);
    EXPECT_TRUE(p.figures.value("pi").isNull());
    EXPECT_FALSE(p.figures.value("dar").isNull());
    EXPECT_EQ(p.figures.value("pi_verdict").toString(), "not enough data");
    EXPECT_LT(p.figures.value("seconds_since_origin").toDouble(), 120.0);
}

// A meter that never reaches a stable measuring voltage: exit status 6, and no record written.
TEST(CliTestFigures, NoStableVoltageIsExitStatusSix)
{
    sim::Scenario s = sim::Scenario::Default();
    s.stabiliseSeconds = 1e9;
    const TestRun r = RunTest(s, MeasureArgs{});
    EXPECT_EQ(r.rc, 6);
    EXPECT_TRUE(r.records.isEmpty());
}

// measure --test step: every record tagged with its step, one object per finished step in the
// stream, and the result last; the figures themselves are the core's, checked there.
TEST(CliTestFigures, StepTestStreamsStepsAndItsResult)
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = s.rInf = 1.0e9;
    s.stabiliseSeconds = 0.3;
    s.leakageFallPerHundredVolts = 10.0;  // 100 V to 500 V: 0.9^4, a fall of 34.4 %
    MeasureArgs a;
    a.steps = StepPlan{{100, 500}, 30};
    QTemporaryDir history;
    ASSERT_TRUE(history.isValid());
    const QString database = QStringLiteral("sqlite:") + history.filePath(QStringLiteral("h.sqlite"));
    a.filing = FilingArgs{database, QStringLiteral("S-1")};
    const TestRun r = RunTest(s, a);
    ASSERT_EQ(r.rc, kDone);
    std::vector<QJsonObject> finished;
    std::map<int, int> readings;  // step: records
    for (const QByteArray& line : r.records) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.contains("time")) {
            const int step = o.value("step").toInt();
            EXPECT_EQ(o.value("voltage_v").toInt(), step == 1 ? 100 : 500) << line.constData();
            EXPECT_EQ(finished.size() + 1, size_t(step)) << "a reading of a finished step: " << line.constData();
            ++readings[step];
        } else {
            finished.push_back(o);
        }
    }
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_GE(readings[1], 25);
    EXPECT_GE(readings[2], 25);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(finished[i].value("step").toInt(), i + 1);
        EXPECT_EQ(finished[i].value("voltage_v").toInt(), i ? 500 : 100);
        EXPECT_NEAR(finished[i].value("resistance_ohm").toDouble(), 1.0e9 * std::pow(0.9, i ? 5 : 1), 1.0e7);
    }
    const QJsonObject& f = r.figures;
    ASSERT_EQ(f.value("test").toString(), "step") << QJsonDocument(f).toJson().constData();
    EXPECT_EQ(f.value("volts").toString(), "100,500");
    EXPECT_EQ(f.value("step_seconds").toInt(), 30);
    ASSERT_EQ(f.value("steps").toArray().size(), 2);
    EXPECT_EQ(f.value("steps").toArray()[1].toObject(), finished[1]);
    EXPECT_NEAR(f.value("change_pct").toDouble(), (std::pow(0.9, 4) - 1) * 100, 0.5);
    EXPECT_TRUE(f.value("change_bound").isNull());
    EXPECT_EQ(f.value("verdict").toString(),
              "falls by more than 25 % between 100 V and 500 V: points to moisture, contamination or cracks");
    EXPECT_EQ(f.value("source").toString(), StepSourceText());
    EXPECT_FALSE(f.value("steps").toArray()[0].toObject().value("resistance_40c_ohm").isNull());

    // --asset files it as the window's "File test…" does: kind, steps and verdict.
    history::HistoryStore store;
    ASSERT_TRUE(store.Open(database, history.path()));
    const auto tests = store.TestsOf(QStringLiteral("S-1"));
    ASSERT_EQ(tests.size(), 1u);
    EXPECT_EQ(tests[0].kind, history::TestKind::StepVoltage);
    ASSERT_TRUE(tests[0].steps.has_value());
    ASSERT_EQ(tests[0].steps->steps.size(), 2u);
    ASSERT_TRUE(tests[0].steps->steps[1].ohm.has_value());
    EXPECT_NEAR(*tests[0].steps->steps[1].ohm, finished[1].value("resistance_ohm").toDouble(), 1.0);
    EXPECT_EQ(tests[0].steps->verdict, f.value("verdict").toString());
    EXPECT_TRUE(tests[0].simulated);
}

// A PI run recorded by measure, judged again from its file by a nameplate; the same file cut off
// is refused with its line and nothing printed.
TEST(CliTestFigures, ARecordingJudgedAgainByANameplate)
{
    const sim::Scenario s = sim::Scenario::Default();
    MeasureArgs a;
    a.test = MeasureArgs::Test::Pi;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(RecordRun(a, s, dir.filePath(QStringLiteral("run.csv"))), kDone);

    FiguresArgs f;
    f.file = a.output.file;
    f.plate = Nameplate{AssetKind::Machine, 6600.0, WindingType::Older, InsulationClass::A};
    f.winding = 10.0;
    f.jsonl = true;
    const Printed p = RunFigures(f);
    ASSERT_EQ(p.rc, kDone) << p.err.constData();
    const QJsonObject j = QJsonDocument::fromJson(p.out).object();
    ASSERT_FALSE(j.isEmpty()) << p.out.constData();
    EXPECT_NEAR(j.value("pi").toDouble() / (Curve(s, 600) / Curve(s, 60)), 1.0, 0.01);
    // Typed at 10 °C: three halvings to 40 °C, which keeps IR 1 min at 40 °C under 5000 MΩ and the PI judged.
    EXPECT_TRUE(j.value("winding_typed").toBool());
    EXPECT_NEAR(j.value("r60_40c_ohm").toDouble() * 8.0 / j.value("r60_ohm").toDouble(), 1.0, 1e-9);
    ASSERT_LT(j.value("r60_40c_ohm").toDouble(), 5000e6);
    ASSERT_GT(j.value("r60_40c_ohm").toDouble(), 7.6e6);
    EXPECT_EQ(j.value("ir_verdict").toString(), "IR 1 min at 40 °C meets the minimum of 7.6 MΩ (kV + 1)");
    EXPECT_TRUE(j.value("ir_source").toString().startsWith("IEEE 43-2013"));
    ASSERT_GT(j.value("pi").toDouble(), 1.5);
    EXPECT_EQ(j.value("pi_verdict").toString(), "meets the minimum of 1.50 (class A)");
    // The rated voltage reaches the check of the test voltage.
    ASSERT_LT(j.value("voltage_v").toInt(), 2500);
    EXPECT_TRUE(QJsonDocument(j.value("notes").toArray()).toJson().contains("for a winding rated 6600 V"))
        << QJsonDocument(j.value("notes").toArray()).toJson().constData();

    // Without a nameplate: no IR and PI verdicts, in text.
    f.plate.reset();
    f.jsonl = false;
    const Printed plain = RunFigures(f);
    ASSERT_EQ(plain.rc, kDone);
    EXPECT_TRUE(plain.out.contains("\nIR verdict: no verdict: no nameplate\n")) << plain.out.constData();

    QFile file(a.output.file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    const int lines = static_cast<int>(whole.count('\n'));
    ASSERT_GT(lines, 3);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(whole.left(whole.size() - 5));
    file.close();
    const Printed cut = RunFigures(f);
    EXPECT_EQ(cut.rc, kFileError);
    EXPECT_TRUE(cut.out.isEmpty());
    EXPECT_TRUE(cut.err.contains(QStringLiteral("line %1").arg(lines).toUtf8())) << cut.err.constData();
}

// An ESD item by the 10 V → 100 V rule, then a surface below 1 MΩ at 10 V: the records carry their
// phase, the result ends the stream, and the run's own recording judged again reads the same.
TEST(CliTestFigures, EsdAndSurfaceRunsEndWithTheirResultAsTheirRecordingsReadAgain)
{
    sim::Scenario s = sim::Scenario::Default();
    s.stabiliseSeconds = 0.3;
    s.rAt10V = 2.1e6;
    s.rAt100V = 7.9e5;
    MethodRequest q;
    q.method = Method::Esd;
    q.measurement = Measurement::Rtg;
    q.itemKind = QStringLiteral("worksurface");
    q.limitSet = QStringLiteral("iec-61340-5-1-2016");
    q.qualification = true;
    MeasureArgs a;
    a.method = q;
    a.limits = LoadLimitLibrary({});
    const TestRun r = RunTest(s, a);
    ASSERT_EQ(r.rc, kDone);
    std::map<int, int> volts;  // phase: the voltage of its records
    for (const QByteArray& line : r.records) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        volts[o.value("step").toInt()] = o.value("voltage_v").toInt();
    }
    EXPECT_EQ(volts, (std::map<int, int>{{1, 10}, {2, 100}}));
    const QJsonObject& f = r.figures;
    const QJsonArray path = f.value("path").toArray();
    ASSERT_EQ(path.size(), 2) << QJsonDocument(f).toJson().constData();
    EXPECT_EQ(path[0].toObject(), QJsonDocument::fromJson(R"({"voltage_v":10,"at_s":5,"resistance_ohm":2100000,
        "range":"ok"})").object());
    EXPECT_EQ(path[1].toObject().value("resistance_ohm").toDouble(), 7.9e5);
    EXPECT_EQ(f.value("path_text").toString(), "10 V: 2.10 MΩ at 5 s (1 MΩ or more) → 100 V: 790 kΩ at 15 s");
    EXPECT_EQ(f.value("result_ohm").toDouble(), 7.9e5);
    EXPECT_EQ(f.value("result_voltage_v").toInt(), 100);
    EXPECT_EQ(f.value("verdict").toString(),
              "Rtg 7.9×10^5 Ω < 1.0×10^9 Ω: meets IEC 61340-5-1:2016, worksurface, compliance verification");
    EXPECT_EQ(f.value("limit_source").toString(), "IEC 61340-5-1:2016, compliance verification");
    EXPECT_EQ(f.value("temperature_c").toDouble(), s.temperature);
    EXPECT_EQ(f.value("humidity_pct").toInt(), 45);
    EXPECT_EQ(f.value("qualification_flag").toString(),
              "taken at 45 % RH, outside 12 ± 3 % RH for qualification: valid as compliance verification only");
    EXPECT_TRUE(f.value("resistivity").isNull());
    EXPECT_TRUE(f.value("classification").isNull());

    // The same run recorded, then judged again from its file.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(RecordRun(a, s, dir.filePath(QStringLiteral("esd.csv"))), kDone);
    FiguresArgs again;
    again.file = a.output.file;
    again.method = q;
    again.limits = a.limits;
    again.jsonl = true;
    const Printed p = RunFigures(again);
    ASSERT_EQ(p.rc, kDone) << p.err.constData();
    EXPECT_EQ(QJsonDocument::fromJson(p.out).object(), f);

    // A surface at 500 kΩ: read at 10 V only, never at 100 V; its resistivity and class.
    s.rAt10V = 5.0e5;
    q.method = Method::Surface;
    q.measurement = Measurement::Rs;
    q.itemKind = QStringLiteral("packaging");
    q.limitSet = QStringLiteral("s20.20-2021");
    q.qualification = false;
    q.geometry.d1Mm = 30.48;
    q.geometry.d2Mm = 57.15;
    MeasureArgs b;
    b.method = q;
    b.limits = a.limits;
    const TestRun surface = RunTest(s, b);
    ASSERT_EQ(surface.rc, kDone);
    EXPECT_FALSE(surface.transfers.join('\n').contains("OUT 53 [04 00]"));
    const QJsonObject& g = surface.figures;
    EXPECT_EQ(g.value("path_text").toString(), "10 V: 500 kΩ at 5 s (below 1 MΩ)");
    EXPECT_NEAR(g.value("resistivity").toObject().value("value").toDouble(), 5.0e5 * 10.3224, 5.0e5 * 1e-4);
    EXPECT_EQ(g.value("resistivity").toObject().value("unit").toString(), "Ω");
    EXPECT_EQ(g.value("classification").toString(), "dissipative");
    EXPECT_EQ(g.value("verdict").toString(), "Rs 5.0×10^5 Ω ≥ 1.0×10^4 Ω and < 1.0×10^11 Ω: meets ANSI/ESD "
                                             "S20.20-2021, packaging, compliance verification");
    EXPECT_EQ(g.value("limit_source").toString(), "ANSI/ESD S20.20-2021 Table 4, compliance verification");
}

namespace {

// A recording written as the window writes one: a reading every `step` s from 0 s (the first
// unstable) to `last`, the resistance and voltage of each time from the caller.
QString WriteRecording(const QString& name, double last, const std::function<std::optional<double>(double)>& ohm,
                       const std::function<int(double)>& volts, const std::vector<double>& skipped = {},
                       const std::function<int(double)>& step = {})
{
    QByteArray csv = ReadingHeader(DataFormat::Csv, bool(step));
    for (double t = 0; t <= last; t += 5) {
        if (std::find(skipped.begin(), skipped.end(), t) != skipped.end())
            continue;
        DataRecord r;
        r.time = QDateTime(QDate(2026, 3, 7), QTime(9, 0)).addMSecs(qint64(t * 1000));
        r.elapsedSeconds = t;
        const std::optional<double> v = ohm(t);
        r.range = v ? RangeState::InRange : RangeState::Over;
        r.resistanceOhm = v.value_or(0.0);
        r.volts = volts(t);
        r.stable = t > 0;
        r.temperature = 30.0;
        r.humidity = 40;
        if (step)
            r.step = step(t);
        csv += ReadingLine(DataFormat::Csv, r);
    }
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(csv) == csv.size() ? name : QString();
}

}  // namespace

// Figures only at one voltage: a change from 500 V to 1000 V at 5 min ends them there, in text and
// JSON alike; a PI known as a bound is printed as "≥", and a figure without a value says why.
TEST(CliTestFigures, FiguresOfOneVoltageAndWhyAFigureIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // R rises by 1 GΩ every 5 min: 1.2 GΩ at 1 min, 2.0 GΩ at 5 min (the second voltage's R is
    // four times higher: a PI across the change would read 2.9 GΩ × 4 / 1.2 GΩ).
    FiguresArgs a;
    a.file = WriteRecording(dir.filePath("changed.csv"), 700, [](double t) { return 1e9 + t / 300 * 1e9 * (t >= 300 ? 4 : 1); },
                            [](double t) { return t >= 300 ? 1004 : 498; });
    a.plate = Nameplate{AssetKind::Machine, 6600.0, WindingType::Form, InsulationClass::F};
    const Printed text = RunFigures(a);
    ASSERT_EQ(text.rc, kDone) << text.err.constData();
    const QString out = QString::fromUtf8(text.out);
    for (const char* line : {"voltage: the voltage changed from 500 V to 1000 V at 5 min: figures up to then",
                             "R(1 min): 1.2 GΩ", "R(10 min): the voltage changed before 10 min",
                             "PI (10 min / 1 min): the voltage changed before 10 min", "PI verdict: not enough data"})
        EXPECT_TRUE(out.contains(QLatin1String("\n") + QString::fromUtf8(line) + QLatin1String("\n"))) << line << "\n"
                                                                                                      << text.out.constData();
    a.jsonl = true;
    const QJsonObject j = QJsonDocument::fromJson(RunFigures(a).out).object();
    EXPECT_EQ(j.value("voltage_v").toInt(), 500);
    EXPECT_TRUE(j.value("pi").isNull());
    EXPECT_EQ(j.value("missing").toObject().value("pi").toString(), "the voltage changed before 10 min");
    EXPECT_EQ(j.value("missing").toObject().value("r600_ohm").toString(), "the voltage changed before 10 min");
    EXPECT_EQ(j.value("voltage_change").toString(), "the voltage changed from 500 V to 1000 V at 5 min: figures up to then");
    EXPECT_TRUE(j.value("notes").toArray().contains("The voltage changed from 500 V to 1000 V at 5 min: figures up to then."));

    // Over the range from 10 min on, and no reading between 10 s and 20 s.
    FiguresArgs b;
    b.file = WriteRecording(
        dir.filePath("bound.csv"), 700, [](double t) { return t >= 600 ? std::nullopt : std::optional<double>(1e9 + t / 300 * 1e9); },
        [](double) { return 500; }, {15});
    b.darTimes = DarTimes::From15To60;
    b.plate = Nameplate{AssetKind::Machine, 400.0, WindingType::Form, InsulationClass::B};
    const QString bound = QString::fromUtf8(RunFigures(b).out);
    // PI ≥ R(595 s) / R(60 s) = 2.9833 / 1.2 = 2.486
    for (const char* line : {"PI (10 min / 1 min): ≥ 2.49", "R(10 min): above the meter's range at 10 min",
                             "R(15 s): readings too far apart around 15 s (more than 5 s)",
                             "DAR (60 s / 15 s): readings too far apart around 15 s (more than 5 s)"})
        EXPECT_TRUE(bound.contains(QLatin1String("\n") + QString::fromUtf8(line) + QLatin1String("\n"))) << line << "\n"
                                                                                                        << qPrintable(bound);
    b.jsonl = true;
    const QJsonObject k = QJsonDocument::fromJson(RunFigures(b).out).object();
    EXPECT_NEAR(k.value("pi_at_least").toDouble(), 2.98333333 / 1.2, 1e-6);
    EXPECT_EQ(k.value("missing").toObject().value("r15_ohm").toString(), "readings too far apart around 15 s (more than 5 s)");
    EXPECT_EQ(k.value("missing").toObject().value("pi").toString(), "above the meter's range at 10 min");
    EXPECT_FALSE(k.value("missing").toObject().contains("r60_ohm"));
    // 1.2 GΩ at 30 °C is 0.6 GΩ at 40 °C; R 10 min is over the range, so none at 40 °C either.
    EXPECT_NEAR(k.value("r60_40c_ohm").toDouble(), 0.6e9, 1.0);
    EXPECT_TRUE(k.value("r600_40c_ohm").isNull());

    // Just under a form-wound winding's 100 MΩ at 40 °C: printed with the digits that tell it apart.
    FiguresArgs c;
    c.file = WriteRecording(dir.filePath("near.csv"), 700, [](double) { return 199.92e6; }, [](double) { return 500; });
    c.plate = Nameplate{AssetKind::Machine, 6600.0, WindingType::Form, InsulationClass::B};
    const QString near = QString::fromUtf8(RunFigures(c).out);
    EXPECT_TRUE(near.contains(QStringLiteral("\nR(1 min) at 40 °C: 99.96 MΩ\n"))) << qPrintable(near);
}

// The simulated step-voltage test's own recording, read back by figures: its steps, change and
// verdict as the live test gave them, never a DAR across the voltages.
TEST(CliTestFigures, AStepRecordingIsJudgedAsTheStepTest)
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = s.rInf = 1.0e9;
    s.stabiliseSeconds = 0.3;
    s.leakageFallPerHundredVolts = 10.0;  // R × 0.9 per 100 V
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    test::SimSetup t(s);
    SetSimulated(true);
    MeasureArgs m;
    m.steps = StepPlan{{100, 500, 1000}, 30};
    m.output.format = OutputFormat::Csv;
    m.output.file = dir.filePath(QStringLiteral("steps.csv"));
    ::alarm(60);  // watchdog
    ASSERT_EQ(MeasureCommand(m), kDone);
    ::alarm(0);

    FiguresArgs f;
    f.file = m.output.file;
    f.jsonl = true;
    const Printed p = RunFigures(f);
    ASSERT_EQ(p.rc, kDone) << p.err.constData();
    const QJsonObject j = QJsonDocument::fromJson(p.out).object();
    ASSERT_EQ(j.value("test").toString(), "step") << p.out.constData();
    EXPECT_EQ(j.value("volts").toString(), "100,500,1000");
    EXPECT_EQ(j.value("step_seconds").toInt(), 30);
    const QJsonArray steps = j.value("steps").toArray();
    ASSERT_EQ(steps.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(steps[i].toObject().value("resistance_ohm").toDouble() / (1e9 * std::pow(0.9, i == 0 ? 1 : i * 5)), 1.0,
                    0.005);
    EXPECT_NEAR(j.value("change_pct").toDouble(), (std::pow(0.9, 9) - 1) * 100, 0.5);
    EXPECT_EQ(j.value("verdict").toString(),
              "falls by more than 25 % between 100 V and 1000 V: points to moisture, contamination or cracks");
    f.jsonl = false;
    const QByteArray text = RunFigures(f).out;
    EXPECT_TRUE(text.startsWith("test: step (100,500,1000 V, 30 s each)\n")) << text.constData();
    EXPECT_FALSE(text.contains("DAR")) << text.constData();

    // 100 V closing over the range after 2 GΩ, 1000 V at 1.8 GΩ, both at 30 °C: the low step is a
    // bound, so the change is at most -10 %.
    f.file = WriteRecording(
        dir.filePath("over.csv"), 60, [](double t) { return t == 30 ? std::nullopt : std::optional<double>(t < 30 ? 2e9 : 1.8e9); },
        [](double t) { return t <= 30 ? 100 : 1000; }, {}, [](double t) { return t <= 30 ? 1 : 2; });
    f.jsonl = true;
    const QByteArray overOut = RunFigures(f).out;
    const QJsonObject o = QJsonDocument::fromJson(overOut).object();
    const QJsonObject low = o.value("steps").toArray().at(0).toObject();
    const QJsonObject high = o.value("steps").toArray().at(1).toObject();
    EXPECT_EQ(low.value("bound").toString(), "at_least") << overOut.constData();
    EXPECT_TRUE(high.value("bound").isNull());
    EXPECT_NEAR(high.value("resistance_40c_ohm").toDouble(), 1.8e9 * 0.5, 1.0);
    EXPECT_NEAR(o.value("change_pct").toDouble(), -10.0, 1e-9);
    EXPECT_EQ(o.value("change_bound").toString(), "at_most");
}
