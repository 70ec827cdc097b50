// SPDX-License-Identifier: GPL-3.0-or-later
// The insulation figures: a whole run of the simulated meter on the virtual clock against the
// closed form of its curve, and the rules of the figures on readings made up by hand.
#include "sim_fixture.h"

#include "core/insulation.h"
#include "core/measurement_cycle.h"
#include "core/procedure_runner.h"
#include "core/recording.h"
#include "device/protocol.h"
#include "device/transfer_log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>
#include <functional>
#include <vector>

using namespace krx;

namespace {

struct Quiet : CycleListener {
    void TimerStarted(int) override {}
    void WaitHint(bool) override {}
    void MeasuringStarted() override {}
    void PassStarted(int) override {}
    void Iteration(const CycleIteration& pass) override
    {
        if (onPass)
            onPass(pass);
    }
    void RestTime(int) override {}
    void TimerFinished() override {}
    std::function<void(const CycleIteration&)> onPass;
};

// One free-running cycle through the recorder until `seconds` of meter time have passed.
struct SimRun {
    explicit SimRun(sim::Scenario s) : t(std::move(s)) {}
    CycleResult Go(double seconds, const QString& folder)
    {
        const double start = t.clock.Seconds();
        events.onPass = [&, start](const CycleIteration&) {
            if (t.clock.Seconds() - start >= seconds)
                cycle.RequestBreak();
        };
        meter.Connect();
        RecordingPlan plan;
        plan.enabled = !folder.isEmpty();
        plan.folder = folder;
        plan.serial = QStringLiteral("SIM0001");
        recorder.Begin(plan);
        recorder.Watch(&cycle);
        cycle.Arm();
        ::alarm(60);  // watchdog: a cycle that is never ended fails fast instead of hanging
        const CycleResult r = cycle.Run(CycleOptions{});
        ::alarm(0);
        recorder.Finish();
        return r;
    }
    test::SimSetup t;
    MeterCommands meter;
    ProcedureRunner runner{ProcedureRunner::Mode::Inline, t.dialogs};
    Quiet events;
    ReadingSeries series;
    CycleRecorder recorder{events, series};
    MeasurementCycle cycle{meter, runner, recorder};
};

double Curve(const sim::Scenario& s, double t)
{
    return s.rInf - (s.rInf - s.r0) * std::exp(-t / s.tauSeconds);
}

DataRecord At(double elapsed, double ohm, bool stable = true, RangeState range = RangeState::InRange,
              double temperature = 22.0)
{
    DataRecord r;
    r.elapsedSeconds = elapsed;
    r.resistanceOhm = ohm;
    r.stable = stable;
    r.range = range;
    r.temperature = temperature;
    return r;
}

}  // namespace

// The times count from the first stable reading; where that is in the meter's own time is found
// here from the transfers alone: the remote mode that starts the charge, the first value read.
class ElevenMinuteRun : public ::testing::TestWithParam<sim::Scenario> {};

TEST_P(ElevenMinuteRun, FiguresMatchTheClosedFormAndTheFileHoldsEveryReading)
{
    const sim::Scenario s = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SimRun run(s);
    ASSERT_EQ(run.Go(660.0, dir.path()).outcome, CycleOutcome::Ended);

    double chargeStart = -1.0;
    std::vector<double> valueReads;
    for (const TransferRecord& r : TheTransferLog().Records()) {
        if (r.kind == TransferRecord::Out && r.value == protocol::kRemoteMode && r.data == QByteArray(1, protocol::kModeMeasure) &&
            chargeStart < 0)
            chargeStart = r.time;
        if (r.kind == TransferRecord::In && r.value == protocol::kValue && r.result > 0)
            valueReads.push_back(r.time);
    }
    ASSERT_GE(chargeStart, 0.0);
    ASSERT_FALSE(valueReads.empty());
    const double origin = valueReads.front() - chargeStart;
    EXPECT_GE(origin, s.stabiliseSeconds);  // the voltage had to settle first
    EXPECT_LT(origin, s.stabiliseSeconds + 1.0);

    const InsulationFigures f = run.series.Figures(DarTimes::From30To60);
    ASSERT_TRUE(f.dar && f.pi && f.r15);
    const double dar = Curve(s, origin + 60) / Curve(s, origin + 30);
    const double dar15 = Curve(s, origin + 60) / Curve(s, origin + 15);
    const double pi = Curve(s, origin + 600) / Curve(s, origin + 60);
    EXPECT_NEAR(*f.dar / dar, 1.0, 0.01) << *f.dar << " vs " << dar;
    EXPECT_NEAR(*f.pi / pi, 1.0, 0.01) << *f.pi << " vs " << pi;
    EXPECT_NEAR(*run.series.Figures(DarTimes::From15To60).dar / dar15, 1.0, 0.01);
    EXPECT_NEAR(*f.r60 / Curve(s, origin + 60), 1.0, 0.01);

    // One complete line per reading, and a reading per value read.
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith(QLatin1String("KRX738_SIM0001_")));
    QFile file(dir.filePath(files[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray all = file.readAll();
    ASSERT_TRUE(all.endsWith('\n'));
    const QList<QByteArray> lines = all.left(all.size() - 1).split('\n');
    EXPECT_EQ(lines.front(), ReadingHeader(DataFormat::Csv).trimmed());
    EXPECT_EQ(static_cast<size_t>(lines.size() - 1), valueReads.size());
    EXPECT_EQ(run.series.Size(), valueReads.size());
    for (const QByteArray& line : lines)
        EXPECT_EQ(line.count(','), 8) << line.constData();
}

INSTANTIATE_TEST_SUITE_P(Curves, ElevenMinuteRun, ::testing::Values(sim::Scenario::Default(), [] {
                             sim::Scenario s = sim::Scenario::Default();
                             s.r0 = 5.0e7;
                             s.rInf = 3.0e9;
                             s.tauSeconds = 240.0;
                             s.stabiliseSeconds = 2.2;
                             return s;
                         }()));

TEST(InsulationFigures, InterpolatedLinearInLogROnlyOnceTheTimeIsReached)
{
    // Two unstable readings first: the origin is the third, at 5 s.
    std::vector<DataRecord> r{At(1, 1e3, false), At(3, 1e4, false), At(5, 1e6), At(25, 1e7), At(35, 1e9)};
    InsulationFigures f = ComputeFigures(r, DarTimes::From30To60);
    ASSERT_TRUE(f.originElapsed);
    EXPECT_DOUBLE_EQ(*f.originElapsed, 5.0);
    EXPECT_DOUBLE_EQ(f.secondsSinceOrigin, 30.0);
    ASSERT_TRUE(f.r15);
    EXPECT_NEAR(*f.r15, std::pow(10.0, 6.75), 1e-3);  // three quarters of the way from 5 s to 25 s, in decades
    ASSERT_TRUE(f.r30);
    EXPECT_NEAR(*f.r30, 1e9, 1e-3);  // a reading exactly at the time
    EXPECT_FALSE(f.r60);
    EXPECT_FALSE(f.dar);

    // 60 s after the origin is 65: a reading at 64.999 is not there yet, one at 65 is.
    r.push_back(At(64.999, 2e9));
    EXPECT_FALSE(ComputeFigures(r, DarTimes::From30To60).r60);
    r.push_back(At(65, 2e9));
    f = ComputeFigures(r, DarTimes::From30To60);
    ASSERT_TRUE(f.dar);
    EXPECT_NEAR(*f.dar, 2.0, 1e-12);
    EXPECT_NEAR(*ComputeFigures(r, DarTimes::From15To60).dar, 2e9 / std::pow(10.0, 6.75), 1e-9);
    EXPECT_FALSE(f.pi);
}

TEST(InsulationFigures, AnOutOfRangeNeighbourGivesNoValue)
{
    for (const RangeState bad : {RangeState::Over, RangeState::Under}) {
        std::vector<DataRecord> r{At(0, 1e6), At(20, 1e7, true, bad), At(40, 1e8)};
        const InsulationFigures f = ComputeFigures(r, DarTimes::From30To60);
        EXPECT_FALSE(f.r15) << "left neighbour out of range";
        EXPECT_FALSE(f.r30) << "right neighbour out of range";
        r[1].range = RangeState::InRange;
        EXPECT_TRUE(ComputeFigures(r, DarTimes::From30To60).r30);
    }
    // A reading of 0 ohm has no logarithm.
    EXPECT_FALSE(ComputeFigures({At(0, 0.0), At(20, 1e7)}, DarTimes::From30To60).r15);
}

TEST(InsulationFigures, NotEnoughDataFromTheMeter)
{
    {  // stopped after 5 s
        SimRun run(sim::Scenario::Default());
        run.Go(5.0, QString());
        EXPECT_GT(run.series.Size(), 0u);
        const InsulationFigures f = run.series.Figures(DarTimes::From15To60);
        EXPECT_TRUE(f.originElapsed);
        EXPECT_FALSE(f.dar || f.pi || f.r15);
    }
    {  // the voltage never settles: no reading at all
        sim::Scenario s = sim::Scenario::Default();
        s.stabiliseSeconds = 1e9;
        SimRun run(s);
        EXPECT_EQ(run.Go(700.0, QString()).outcome, CycleOutcome::NoStableVoltage);
        EXPECT_EQ(run.series.Size(), 0u);
        EXPECT_FALSE(run.series.Figures(DarTimes::From30To60).originElapsed);
    }
    {  // far above the range of 500 V for the whole run
        sim::Scenario s = sim::Scenario::Default();
        s.r0 = s.rInf = 1e18;
        SimRun run(s);
        run.Go(620.0, QString());
        ASSERT_GT(run.series.Size(), 600u);
        EXPECT_EQ(run.series.All().back().range, RangeState::Over);
        const InsulationFigures f = run.series.Figures(DarTimes::From30To60);
        EXPECT_FALSE(f.dar || f.pi);
    }
}

TEST(InsulationFigures, VerdictBoundariesOnBothSides)
{
    const struct {
        double dar;
        Verdict v;
    } darCases[] = {{0.999, Verdict::Poor},       {1.0, Verdict::Questionable}, {1.2499, Verdict::Questionable},
                    {1.25, Verdict::Good},        {1.6, Verdict::Good},         {1.6001, Verdict::Excellent}};
    for (const auto& c : darCases) {
        const FigureVerdict v = DarVerdict(c.dar);
        EXPECT_EQ(v.verdict, c.v) << c.dar;
        EXPECT_TRUE(v.source.contains(QLatin1String("maker guidance"))) << c.dar;
    }
    EXPECT_EQ(DarVerdict(1.25).text, QStringLiteral("good"));
    EXPECT_EQ(DarVerdict(std::nullopt).verdict, Verdict::NotEnoughData);
    EXPECT_EQ(DarVerdict(std::nullopt).text, QStringLiteral("not enough data"));
    EXPECT_EQ(PiVerdict(std::nullopt, InsulationClass::B).text, QStringLiteral("not enough data"));
    EXPECT_TRUE(PiVerdict(std::nullopt, InsulationClass::B).source.isEmpty());
    EXPECT_EQ(DarVerdict(0.5).text, QStringLiteral("poor"));

    const struct {
        InsulationClass cls;
        double pi;
        Verdict v;
    } piCases[] = {{InsulationClass::A, 1.4999, Verdict::BelowMinimum}, {InsulationClass::A, 1.5, Verdict::MeetsMinimum},
                   {InsulationClass::B, 1.9999, Verdict::BelowMinimum}, {InsulationClass::B, 2.0, Verdict::MeetsMinimum},
                   {InsulationClass::F, 1.5, Verdict::BelowMinimum},    {InsulationClass::F, 2.0, Verdict::MeetsMinimum},
                   {InsulationClass::H, 1.9999, Verdict::BelowMinimum}, {InsulationClass::H, 2.0, Verdict::MeetsMinimum}};
    for (const auto& c : piCases) {
        const FigureVerdict v = PiVerdict(c.pi, c.cls);
        EXPECT_EQ(v.verdict, c.v) << ClassName(c.cls).toStdString() << ' ' << c.pi;
        EXPECT_TRUE(v.source.startsWith(QLatin1String("IEEE 43-2013"))) << c.pi;
        EXPECT_TRUE(v.text.contains(QStringLiteral("(class %1)").arg(ClassName(c.cls)))) << v.text.toStdString();
    }
    EXPECT_EQ(PiVerdict(1.5, InsulationClass::A).text, QStringLiteral("meets the minimum of 1.50 (class A)"));

    InsulationClass cls{};
    DarTimes times{};
    EXPECT_TRUE(ParseClass(QStringLiteral("H"), cls));
    EXPECT_EQ(cls, InsulationClass::H);
    EXPECT_FALSE(ParseClass(QStringLiteral("C"), cls));
    EXPECT_FALSE(ParseClass(QStringLiteral("f"), cls));
    EXPECT_TRUE(ParseDarTimes(QStringLiteral("15-60"), times));
    EXPECT_EQ(times, DarTimes::From15To60);
    EXPECT_FALSE(ParseDarTimes(QStringLiteral("30-600"), times));
}

TEST(InsulationFigures, TemperatureCorrectionAndItsMeanTemperature)
{
    // By hand: 0.5^((40 - 30) / 10) = 0.5, 0.5^((40 - 50) / 10) = 2, 0.5^((20 - 30) / 10) = 2,
    // 0.5^((40 - 25) / 10) = 0.35355.
    EXPECT_DOUBLE_EQ(CorrectedResistance(1e9, 30.0, kBase40C), 5e8);
    EXPECT_DOUBLE_EQ(CorrectedResistance(1e9, 50.0, kBase40C), 2e9);
    EXPECT_DOUBLE_EQ(CorrectedResistance(1e9, 30.0, kBase20C), 2e9);
    EXPECT_DOUBLE_EQ(CorrectedResistance(1e9, 40.0, kBase40C), 1e9);
    EXPECT_NEAR(CorrectedResistance(1e9, 25.0, kBase40C), 3.5355339e8, 1.0);

    // Mean over the readings from the origin to 10 min after it: the unstable one before and the
    // one after 600 s do not count.
    const std::vector<DataRecord> r{At(0, 1e6, false, RangeState::InRange, 90.0), At(1, 1e6, true, RangeState::InRange, 20.0),
                                    At(300, 1e6, true, RangeState::InRange, 22.0),
                                    At(601, 1e6, true, RangeState::InRange, 24.0),
                                    At(601.001, 1e6, true, RangeState::InRange, 90.0)};
    const InsulationFigures f = ComputeFigures(r, DarTimes::From30To60);
    ASSERT_TRUE(f.meanTemperature);
    EXPECT_DOUBLE_EQ(*f.meanTemperature, 22.0);
}
