// SPDX-License-Identifier: GPL-3.0-or-later
// "measure --test" run in-process on the virtual clock, so that a whole ten-minute PI test takes
// milliseconds: the figures it prints against the closed form of the simulated meter's curve,
// and the transfers of the run.
#include "sim_fixture.h"

#include "cli/measure.h"
#include "device/protocol.h"
#include "device/transfer_log.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace

TEST(CliTestFigures, PiRunEndsTenMinutesAfterTheFirstStableReading)
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = 1.0e8;
    s.rInf = 5.0e9;
    s.tauSeconds = 150.0;
    s.stabiliseSeconds = 1.7;
    MeasureArgs a;
    a.test = MeasureArgs::Test::Pi;
    a.insulationClass = InsulationClass::A;
    const TestRun r = RunTest(s, a);
    ASSERT_EQ(r.rc, kDone);
    ASSERT_GT(r.origin, s.stabiliseSeconds);
    const QJsonObject& f = r.figures;
    ASSERT_EQ(f.value("test").toString(), "pi") << QJsonDocument(f).toJson().constData();
    const double pi = Curve(s, r.origin + 600) / Curve(s, r.origin + 60);
    const double dar = Curve(s, r.origin + 60) / Curve(s, r.origin + 30);
    EXPECT_NEAR(f.value("pi").toDouble() / pi, 1.0, 0.01) << f.value("pi").toDouble() << " vs " << pi;
    EXPECT_NEAR(f.value("dar").toDouble() / dar, 1.0, 0.01) << f.value("dar").toDouble() << " vs " << dar;
    EXPECT_NEAR(f.value("r600_ohm").toDouble() / Curve(s, r.origin + 600), 1.0, 0.01);
    EXPECT_EQ(f.value("class").toString(), "A");
    EXPECT_EQ(f.value("verdict").toString(), pi >= 1.5 ? "meets the minimum of 1.50 (class A)" : "below the minimum of 1.50 (class A)");
    EXPECT_TRUE(f.value("source").toString().startsWith("IEEE 43-2013"));
    // Corrected from the meter's mean temperature by hand: R40 = R60 × 0.5^((40 − T) / 10).
    const double t = f.value("temperature_c").toDouble();
    EXPECT_NEAR(t, s.temperature, 0.31);
    EXPECT_NEAR(f.value("r60_40c_ohm").toDouble() / (f.value("r60_ohm").toDouble() * std::pow(0.5, (40 - t) / 10)), 1.0,
                1e-9);

    // Ended at the first reading past ten minutes: no more, no fewer.
    ASSERT_GE(r.records.size(), 2);
    const double first = QJsonDocument::fromJson(r.records.front()).object().value("elapsed_s").toDouble();
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
    const double dar = Curve(s, d.origin + 60) / Curve(s, d.origin + 15);
    EXPECT_EQ(d.figures.value("dar_times").toString(), "15-60");
    EXPECT_NEAR(d.figures.value("dar").toDouble() / dar, 1.0, 0.01);
    EXPECT_TRUE(d.figures.value("pi").isNull());
    EXPECT_EQ(d.figures.value("verdict").toString(), dar > 1.6 ? "excellent" : "good");
    EXPECT_TRUE(d.figures.value("source").toString().startsWith("maker guidance"));
    EXPECT_GE(d.figures.value("seconds_since_origin").toDouble(), 60.0);
    EXPECT_LT(d.figures.value("seconds_since_origin").toDouble(), 61.5);

    // The meter's timer ends the run before ten minutes after the origin: no PI, said as such.
    a.test = MeasureArgs::Test::Pi;
    a.timerSeconds = 120;
    const TestRun p = RunTest(s, a);
    ASSERT_EQ(p.rc, kDone);
    EXPECT_TRUE(p.figures.value("pi").isNull());
    EXPECT_FALSE(p.figures.value("dar").isNull());
    EXPECT_EQ(p.figures.value("verdict").toString(), "not enough data");
    EXPECT_LT(p.figures.value("seconds_since_origin").toDouble(), 120.0);
}
