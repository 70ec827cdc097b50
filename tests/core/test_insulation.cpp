// SPDX-License-Identifier: GPL-3.0-or-later
// The insulation figures: a whole run of the simulated meter on the virtual clock against the
// closed form of its curve, and the rules of the figures on readings made up by hand.
#include "sim_fixture.h"

#include "core/judging/insulation.h"
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
#include <optional>
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
    CycleResult Go(double seconds, const QString& folder, int timerSeconds = 0)
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
        plan.timerMode = timerSeconds > 0;
        recorder.Begin(plan);
        recorder.Watch(&cycle);
        cycle.Arm();
        ::alarm(60);  // watchdog: a cycle that is never ended fails fast instead of hanging
        CycleOptions options;
        options.timerMode = timerSeconds > 0;
        options.timerSeconds = timerSeconds;
        const CycleResult r = cycle.Run(options);
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
              double temperature = 22.0, std::optional<int> rest = std::nullopt)
{
    DataRecord r;
    r.restSeconds = rest;
    r.elapsedSeconds = elapsed;
    r.resistanceOhm = ohm;
    r.stable = stable;
    r.range = range;
    r.temperature = temperature;
    return r;
}

}  // namespace

// The times count from the remote mode command that puts the voltage on; where the sim's curve
// starts is found from the transfers alone, and the ramp to the first stable reading is its own figure.
class RunWithRamp : public ::testing::TestWithParam<double> {};

TEST_P(RunWithRamp, FiguresMatchTheClosedFormFromTheVoltageCommand)
{
    sim::Scenario s = sim::Scenario::Default();
    s.stabiliseSeconds = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SimRun run(s);
    ASSERT_EQ(run.Go(660.0, dir.path()).outcome, CycleOutcome::Ended);

    double chargeStart = -1.0, firstValue = -1.0;
    size_t valueReads = 0;
    for (const TransferRecord& r : TheTransferLog().Records()) {
        if (r.kind == TransferRecord::Out && r.value == protocol::kRemoteMode && r.data == QByteArray(1, protocol::kModeMeasure) &&
            chargeStart < 0)
            chargeStart = r.time;
        if (r.kind == TransferRecord::In && r.value == protocol::kValue && r.result > 0 && valueReads++ == 0)
            firstValue = r.time;
    }
    ASSERT_GE(chargeStart, 0.0);
    const InsulationFigures f = run.series.Figures(DarTimes::From30To60);
    ASSERT_TRUE(f.ramp);
    EXPECT_NEAR(*f.ramp, firstValue - chargeStart, 0.15);
    EXPECT_GE(*f.ramp, s.stabiliseSeconds);
    ASSERT_TRUE(f.dar && f.pi && f.r60);
    EXPECT_NEAR(*f.r30 / Curve(s, 30), 1.0, 0.005);
    EXPECT_NEAR(*f.r60 / Curve(s, 60), 1.0, 0.005);
    EXPECT_NEAR(*f.pi / (Curve(s, 600) / Curve(s, 60)), 1.0, 0.005);
    EXPECT_NEAR(*f.dar / (Curve(s, 60) / Curve(s, 30)), 1.0, 0.005);
    const InsulationFigures f15 = run.series.Figures(DarTimes::From15To60);
    if (s.stabiliseSeconds >= 15.0) {
        EXPECT_FALSE(f15.r15 || f15.dar);
        EXPECT_EQ(f15.why15, Missing::VoltageRising);
        EXPECT_EQ(MissingText(f15.why15, 15.0), QStringLiteral("voltage still rising at 15 s"));
    } else {
        ASSERT_TRUE(f15.dar);
        EXPECT_NEAR(*f15.dar / (Curve(s, 60) / Curve(s, 15)), 1.0, 0.005);
    }

    // One complete line per reading, and a reading per value read.
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QFile file(dir.filePath(files[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray all = file.readAll();
    ASSERT_TRUE(all.endsWith('\n'));
    EXPECT_EQ(static_cast<size_t>(all.count('\n') - 1), valueReads);
    EXPECT_EQ(run.series.Size(), valueReads);
}

INSTANTIATE_TEST_SUITE_P(Ramps, RunWithRamp, ::testing::Values(0.0, 3.4, 14.0, 20.0));

TEST(InsulationFigures, ATenMinuteTimerGivesThePi)
{
    SimRun run(sim::Scenario::Default());
    ASSERT_EQ(run.Go(1e9, QString(), 600).outcome, CycleOutcome::Ended);
    const InsulationFigures f = run.series.Figures(DarTimes::From30To60);
    ASSERT_TRUE(f.pi) << MissingText(f.why600, 600).toStdString() << " last at " << f.secondsSinceOrigin;
    EXPECT_LT(f.secondsSinceOrigin, 600.0);  // the meter's timer ended the run
}

TEST(InsulationFigures, ValueAtATimeOrWhyNot)
{
    const RangeState ok = RangeState::InRange;
    const struct {
        const char* what;
        std::vector<DataRecord> r;
        double t;
        std::optional<double> ohm;
        Missing why;
    } cases[] = {
        {"before the first stable reading", {At(1, 1e3, false), At(15.5, 1e6), At(16, 1e6)}, 15, {}, Missing::VoltageRising},
        {"at the first stable reading", {At(1, 1e3, false), At(15, 1e6), At(16, 1e6)}, 15, 1e6, Missing::None},
        {"linear in log R", {At(13, 1e6), At(17, 1e8)}, 15, 1e7, Missing::None},
        {"gap of 5 s at 15 s", {At(12.5, 1e6), At(17.5, 1e8)}, 15, 1e7, Missing::None},
        {"gap over 5 s at 15 s", {At(12.4, 1e6), At(17.5, 1e8)}, 15, {}, Missing::TooFarApart},
        {"gap of 60 s at 10 min", {At(570, 1e9), At(630, 4e9)}, 600, 2e9, Missing::None},
        {"gap over 60 s at 10 min", {At(569.9, 1e9), At(630, 4e9)}, 600, {}, Missing::TooFarApart},
        {"readings 120 s apart", {At(540, 1e9), At(660, 4e9)}, 600, {}, Missing::TooFarApart},
        {"not reached yet", {At(5, 1e6), At(59.999, 1e6)}, 60, {}, Missing::NotYet},
        {"reached", {At(5, 1e6), At(59.999, 1e6), At(60, 2e6)}, 60, 2e6, Missing::None},
        {"timer ended in its last second", {At(598.4, 1e9, true, ok, 22, 1), At(599.4, 2e9, true, ok, 22, 0)}, 600, 2e9, Missing::None},
        {"timer not ended", {At(598.4, 1e9, true, ok, 22, 2), At(599.4, 2e9, true, ok, 22, 1)}, 600, {}, Missing::NotYet},
        {"timer ended earlier", {At(597.9, 1e9, true, ok, 22, 1), At(598.9, 2e9, true, ok, 22, 0)}, 600, {}, Missing::NotYet},
        {"over the range beside", {At(13, 1e6), At(17, 0, true, RangeState::Over)}, 15, {}, Missing::AboveRange},
        {"under the range beside", {At(13, 0, true, RangeState::Under), At(17, 1e6)}, 15, {}, Missing::BelowRange},
        {"at the time, an over-range neighbour before", {At(13, 0, true, RangeState::Over), At(15, 1e7), At(17, 1e8)}, 15, 1e7, Missing::None},
        {"0 ohm has no logarithm", {At(13, 0), At(17, 1e6)}, 15, {}, Missing::BelowRange},
    };
    for (const auto& c : cases) {
        size_t ramp = 0;
        while (!c.r[ramp].stable)
            ++ramp;
        const TimedResistance v = ResistanceAt(c.r, ramp, c.t);
        EXPECT_EQ(v.missing, c.why) << c.what;
        EXPECT_EQ(v.ohm.has_value(), c.ohm.has_value()) << c.what;
        if (v.ohm && c.ohm) {
            EXPECT_NEAR(*v.ohm / *c.ohm, 1.0, 1e-12) << c.what;
        }
    }
    EXPECT_EQ(MissingText(Missing::TooFarApart, 600), QStringLiteral("readings too far apart around 10 min (more than 60 s)"));
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

    // Mean over the readings from the first stable one to 10 min after the voltage command: the
    // unstable one before and the one after 600 s do not count.
    const std::vector<DataRecord> r{At(0, 1e6, false, RangeState::InRange, 90.0), At(1, 1e6, true, RangeState::InRange, 20.0),
                                    At(300, 1e6, true, RangeState::InRange, 22.0),
                                    At(600, 1e6, true, RangeState::InRange, 24.0),
                                    At(600.001, 1e6, true, RangeState::InRange, 90.0)};
    const InsulationFigures f = ComputeFigures(r, DarTimes::From30To60);
    ASSERT_TRUE(f.meanTemperature);
    EXPECT_DOUBLE_EQ(*f.meanTemperature, 22.0);
}

// Figures are taken at one voltage: the nearest of the meter's voltages to each reading decides,
// and the first reading nearer another one ends them.
TEST(InsulationFigures, OneVoltageOnlyUpToAChange)
{
    // Nearest by ratio: the geometric means 31.6, 223.6 and 707.1 V are the edges.
    const std::pair<int, int> nearest[] = {{0, 0},     {1, 10},    {31, 10},    {32, 100},  {223, 100},
                                           {224, 500}, {707, 500}, {708, 1000}, {1500, 1000}};
    for (const auto& [measured, meter] : nearest)
        EXPECT_EQ(MeterVoltage(measured), meter) << measured;

    const auto run = [](std::vector<std::pair<double, int>> volts) {
        std::vector<DataRecord> r;
        for (const auto& [t, v] : volts) {
            r.push_back(At(t, 1e9 + t * 1e6, t > 0.5));  // a resistance of its own at each time
            r.back().volts = v;
        }
        return r;
    };
    const struct {
        const char* what;
        std::vector<DataRecord> r;
        std::optional<VoltageChange> change;
        bool r60, r600;
        const char* at = "";  // the time as the note shows it, to the nearest second
    } cases[] = {
        {"the ramp's rising voltage is no change", run({{0.4, 130}, {1, 498}, {60, 505}, {600, 499}}), {}, true, true},
        {"a dip to 360 V and a 0 V reading are none", run({{1, 500}, {59, 360}, {61, 0}, {600, 500}}), {}, true, true},
        {"500 V to 1000 V at 5 min", run({{1, 500}, {60, 500}, {299.4, 500}, {300.2, 1000}, {600, 1000}}),
         VoltageChange{500, 1000, 300.2}, true, false, "5 min"},
        {"on the way up, 708 V counts as 1000 V", run({{1, 500}, {59, 500}, {59.5, 708}, {61, 1000}, {600, 1000}}),
         VoltageChange{500, 1000, 59.5}, false, false, "1 min"},
        {"100 V to 10 V", run({{1, 100}, {45.6, 100}, {46.6, 10}, {700, 10}}), VoltageChange{100, 10, 46.6}, false, false,
         "47 s"},
        {"1000 V to 500 V", run({{1, 1000}, {60, 1000}, {89.4, 1000}, {89.5, 500}, {700, 500}}), VoltageChange{1000, 500, 89.5}, true,
         false, "1 min 30 s"},
    };
    for (const auto& c : cases) {
        const InsulationFigures f = ComputeFigures(c.r, DarTimes::From30To60);
        ASSERT_EQ(f.voltageChange.has_value(), c.change.has_value()) << c.what;
        EXPECT_EQ(f.r60.has_value(), c.r60) << c.what;
        EXPECT_EQ(f.r600.has_value(), c.r600) << c.what;
        if (!c.change)
            continue;
        EXPECT_EQ(f.volts, c.change->fromVolts) << c.what;
        EXPECT_EQ(f.voltageChange->toVolts, c.change->toVolts) << c.what;
        EXPECT_EQ(f.voltageChange->atSeconds, c.change->atSeconds) << c.what;
        EXPECT_EQ(f.why600, Missing::VoltageChanged) << c.what;
        EXPECT_FALSE(f.pi) << c.what;
        EXPECT_EQ(VoltageChangeText(*f.voltageChange),
                  QStringLiteral("the voltage changed from %1 V to %2 V at %3: figures up to then")
                      .arg(c.change->fromVolts)
                      .arg(c.change->toVolts)
                      .arg(QLatin1String(c.at)))
            << c.what;
    }
    const InsulationFigures f = ComputeFigures(cases[2].r, DarTimes::From30To60);
    EXPECT_EQ(PiMissingText(f), QStringLiteral("the voltage changed before 10 min"));
    // The mean temperature is the one voltage's too.
    std::vector<DataRecord> warm = cases[2].r;
    warm[3].temperature = warm[4].temperature = 90.0;
    EXPECT_DOUBLE_EQ(*ComputeFigures(warm, DarTimes::From30To60).meanTemperature, 22.0);
}
