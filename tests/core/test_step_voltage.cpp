// SPDX-License-Identifier: GPL-3.0-or-later
// The step-voltage test as a procedure without widgets, on the virtual clock against the simulated
// meter, and its figures as pure functions.
#include "procedure_bench.h"

#include "core/step_voltage.h"
#include "device/transfer_log.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace krx;
using krx::sim::Fault;
using L = QStringList;

namespace {

constexpr double kOhm = 1.0e9;

sim::Scenario Leaky(double fallPerHundredVolts)
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = s.rInf = kOhm;
    s.stabiliseSeconds = 0.3;
    s.leakageFallPerHundredVolts = fallPerHundredVolts;
    return s;
}

struct Events : CycleListener, StepListener {
    void TimerStarted(int) override {}
    void WaitHint(bool shown) override
    {
        if (shown && onHint)
            onHint(started.size());
    }
    void MeasuringStarted() override {}
    void PassStarted(int) override {}
    void Iteration(const CycleIteration& pass) override
    {
        if (pass.fresh)
            ++readingsInStep;
        if (onPass)
            onPass(pass, readingsInStep);
    }
    void RestTime(int) override {}
    void TimerFinished() override {}
    void StepStarted(int step, int volts) override
    {
        started.push_back({step, volts});
        readingsInStep = 0;
    }
    void StepFinished(const StepFigure& f) override { finished.push_back(f); }

    std::vector<std::pair<int, int>> started;
    std::vector<StepFigure> finished;
    int readingsInStep = 0;
    std::function<void(const CycleIteration&, int)> onPass;
    std::function<void(size_t)> onHint;
};

struct StepRun : test::ProcedureBench<StepVoltageTest, Events> {
    explicit StepRun(sim::Scenario s = Leaky(0.0)) : ProcedureBench(std::move(s)) {}
    StepRunResult Go(StepOptions o, const QString& folder = {})
    {
        RecordingPlan plan;
        plan.enabled = !folder.isEmpty();
        plan.folder = folder;
        plan.serial = QStringLiteral("73800042");
        plan.steps = true;
        return Watched(plan, [&] { return test.RunSteps(o); });
    }
};

StepOptions Options(std::vector<int> volts = {100, 500, 1000}, int seconds = 30, int samplingMs = 1000)
{
    StepOptions o;
    o.plan.volts = std::move(volts);
    o.plan.stepSeconds = seconds;
    o.samplingTimeMs = samplingMs;
    o.windowSetup = {0, 500, 0, 0};  // 500 V manual, technical display: 08 00 on the wire
    return o;
}

// The end at the meter after every step, Break or a voltage that did not settle, from the first
// stop on: the second stop, then the window's setup (500 V manual) over the step's `setup`.
L EndLines(const char* setup)
{
    return {"20 OUT 8 [40] =1", "20 open =1", QStringLiteral("20 IN 53 [%1] =2").arg(QLatin1String(setup)),
            "20 OUT 53 [08 00] =2", "20 OUT 53 [08 00] =2", "20 OUT 37 [10] =1"};
}

// Asserts that `lines` end with the stops and the window's setup; returns the line before.
QString ExpectEnd(const L& lines, const char* setup)
{
    const L end = EndLines(setup);
    if (lines.size() < end.size() + 2) {
        ADD_FAILURE() << "too few transfers";
        return {};
    }
    EXPECT_EQ(lines.mid(lines.size() - end.size()), end);
    EXPECT_TRUE(lines[lines.size() - end.size() - 1].endsWith(" OUT 8 [40] =1"));
    return lines[lines.size() - end.size() - 2];
}

}  // namespace

// One step with a sampling time as long as the step: the setup (read before it is written, sent
// twice, applied), the wait (two attempts of 200 ms, the first after the pauses that follow the
// setup), a first reading, a wait up to 30 s after the command and the reading that closes the step.
L StepLines(const char* before, const char* setup, const char* volts)
{
    const L reading = {"20 IN 1 [24] =1", "40 IN 0 [31 2E 30 30 20 39] =6", "20 open =1", "20 IN 1 [24] =1",
                       "20 IN 6 [34 35 32 32 2E 35] =6", QStringLiteral("20 IN 5 [%1] =4").arg(QLatin1String(volts))};
    return L{"20 open =1",
             QStringLiteral("20 IN 53 [%1] =2").arg(QLatin1String(before)),
             QStringLiteral("20 OUT 53 [%1] =2").arg(QLatin1String(setup)),
             QStringLiteral("20 OUT 53 [%1] =2").arg(QLatin1String(setup)),
             "20 OUT 37 [10] =1",
             "240 open =1",
             "20 IN 1 [20] =1",
             "200 open =1",
             "20 IN 1 [24] =1",
             "0 open =1"} +
           reading + L{"29301 open =1"} + reading;
}

TEST(StepVoltageTest, ThreeStepsTransfersOnTheVirtualClock)
{
    StepRun r;
    const StepRunResult result = r.Go(Options({100, 500, 1000}, 30, 30000));
    ASSERT_EQ(result.end, StepEnd::Completed);
    L expected = {"0 open =1", "40 OUT 54 [06] =1"};
    expected += StepLines("08 00", "04 00", "20 31 30 30");
    expected += StepLines("04 00", "08 00", "20 35 30 30");
    expected += StepLines("08 00", "10 00", "31 30 30 30");
    expected += L{"40 OUT 8 [40] =1"} + EndLines("10 00");
    const L lines = r.t.Take();
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(r.events.started, (std::vector<std::pair<int, int>>{{1, 100}, {2, 500}, {3, 1000}}));
    EXPECT_EQ(r.events.finished.size(), 3u);
}

TEST(StepVoltageTest, EachStepsResistanceIsTheMetersClosedForm)
{
    struct Row {
        double fall;
        Verdict verdict;
        double change;
    };
    // From 10 to 1000 V: 0.973^9.9 leaves 76.3 %, 0.97^9.9 leaves 74.0 %: both sides of 25 %.
    for (const Row row : {Row{0.0, Verdict::NoMarkedFall, 0.0}, Row{2.7, Verdict::NoMarkedFall, -23.7},
                          Row{3.0, Verdict::MarkedFall, -26.0}, Row{5.0, Verdict::MarkedFall, -39.8}}) {
        StepRun r(Leaky(row.fall));
        const StepRunResult result = r.Go(Options({10, 100, 500, 1000}, 30, 1000));
        ASSERT_EQ(result.end, StepEnd::Completed);
        ASSERT_EQ(result.result.steps.size(), 4u);
        for (const StepFigure& f : result.result.steps) {
            const double closed = kOhm * std::pow(1.0 - row.fall / 100.0, f.volts / 100.0);
            ASSERT_TRUE(f.ohm) << f.volts;
            EXPECT_FALSE(f.atLeast);
            EXPECT_NEAR(*f.ohm, closed, closed * 0.005) << row.fall << " at " << f.volts << " V";
            EXPECT_NEAR(*f.ohmAt40C, CorrectedResistance(*f.ohm, 22.5, 40.0), 1.0);
        }
        EXPECT_EQ(result.result.verdict, row.verdict) << row.fall;
        ASSERT_TRUE(result.result.changePercent);
        EXPECT_NEAR(*result.result.changePercent, row.change, 0.6) << row.fall;
    }
}

TEST(StepVoltageTest, BreakInEachStepAndInAStabilisationWaitEndsWithStopsAndTheWindowsSetup)
{
    // {step, reading}: Break after that reading of that step; reading 0: in the step's wait.
    for (const auto& [step, reading] : {std::pair{1, 2}, {2, 2}, {3, 2}, {2, 0}}) {
        StepRun r;
        r.events.onPass = [&](const CycleIteration& pass, int n) {
            if (pass.step == step && n == reading)
                r.test.RequestBreak();
        };
        r.events.onHint = [&](size_t startedSteps) {
            if (reading == 0 && static_cast<int>(startedSteps) == step)
                r.test.RequestBreak();
        };
        const StepRunResult result = r.Go(Options());
        EXPECT_EQ(result.end, StepEnd::Broken) << step;
        EXPECT_EQ(result.result.steps.size(), static_cast<size_t>(step - 1)) << step;
        EXPECT_EQ(r.events.started.size(), static_cast<size_t>(step)) << step;
        EXPECT_FALSE(r.test.Running());
        EXPECT_TRUE(r.t.dialogs.Messages().isEmpty()) << step;
        // The end goes out at once: no reading after the Break, then the stops and the setup.
        static const char* const kStepSetups[] = {"", "04 00", "08 00", "10 00"};
        const QString before = ExpectEnd(r.t.Take(), kStepSetups[step]);
        EXPECT_TRUE(before.contains(reading == 0 ? "OUT 37" : "IN 5 ")) << step << " " << qPrintable(before);
        EXPECT_EQ(r.t.meter().Setup0(), 0x08);
    }
}

TEST(StepVoltageTest, VoltageThatDoesNotSettleKeepsTheStepsDone)
{
    StepRun r;
    // From the second step on the meter never reports the voltage stable.
    r.events.onHint = [&](size_t startedSteps) {
        if (startedSteps == 2)
            r.t.meter().scenario().stabiliseSeconds = 1e9;
    };
    const StepRunResult result = r.Go(Options());
    EXPECT_EQ(result.end, StepEnd::NoStableVoltage);
    EXPECT_EQ(result.failedStep, 2);
    ASSERT_EQ(result.result.steps.size(), 1u);
    EXPECT_TRUE(result.result.steps[0].ohm);
    EXPECT_EQ(result.result.verdict, Verdict::NotEnoughData);
    EXPECT_EQ(r.t.dialogs.Messages(),
              L{"!! No stable voltage !!|Measuring voltage can not be stabilized at 500 V (step 2 of 3). The "
                "step-voltage test ends; the 1 steps done are kept."});
    ExpectEnd(r.t.Take(), "08 00");
}

// The meter lost in the second step, while reading a value or while the step waits for its voltage
// (the window left on automatic voltage: the steps still go out as manual voltages).
TEST(StepVoltageTest, MeterLostInAStepKeepsTheRecordingWhole)
{
    struct Row {
        const char* where;
        bool automaticWindow;
        bool inWait;
    };
    for (const Row row : {Row{"value read of the 40th reading", false, false}, Row{"wait of step 2", true, true}}) {
        SCOPED_TRACE(row.where);
        QTemporaryDir dir;
        StepRun r;
        if (row.inWait) {
            r.events.onHint = [&](size_t startedSteps) {
                if (startedSteps == 2)
                    r.t.sim->Inject(Fault{.kind = Fault::Unplug, .at = 0, .command = 1});
            };
        } else {
            // In the second step of 30 readings or so each.
            r.t.sim->Inject(Fault{.kind = Fault::Fail, .at = 40, .command = 0, .code = kUsbErrorNoDevice});
        }
        StepOptions o = Options();
        o.windowSetup.voltageFunction = row.automaticWindow ? 1 : 0;
        const StepRunResult result = r.Go(o, dir.path());
        EXPECT_EQ(result.end, StepEnd::ConnectionLost);
        EXPECT_EQ(result.code, kUsbErrorNoDevice);
        EXPECT_EQ(result.result.steps.size(), 1u);
        EXPECT_TRUE(r.t.dialogs.Messages().isEmpty());
        // Nothing goes out after the failed read: the meter is gone. Each step's setup went out
        // twice, at its manual voltage.
        const L lines = r.t.Take();
        EXPECT_TRUE(lines.last().contains(row.inWait ? "IN 1 " : "IN 0 ")) << lines.last().toStdString();
        L setups;
        for (const QString& line : lines)
            if (line.contains(" OUT 53 "))
                setups << line.section(QLatin1Char(' '), 3, 4);
        EXPECT_EQ(setups, (L{"[04 00]", "[04 00]", "[08 00]", "[08 00]"}));
        QFile f(r.recorder.File().FileName());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        ASSERT_TRUE(text.endsWith('\n'));
        const QList<QByteArray> rows = text.trimmed().split('\n');
        EXPECT_EQ(rows[0], "time,elapsed_s,resistance_ohm,range,voltage_v,temperature_c,humidity_pct,stable,rest_s,step,simulated");
        EXPECT_EQ(static_cast<size_t>(rows.size() - 1), r.series.Size());
        // Lost in the wait: the first step's readings of some 30 s at 1 s, every one of them kept.
        EXPECT_EQ(rows.size() - 1 >= 29 && rows.size() - 1 <= 31, row.inWait) << rows.size() - 1;
        EXPECT_EQ(rows.size() - 1 == 40, !row.inWait);
        EXPECT_TRUE(rows[1].endsWith(",1,1"));
        EXPECT_TRUE(rows.last().endsWith(row.inWait ? ",1,1" : ",2,1"));
    }
}

TEST(StepVoltageTest, ShortestAndLongestStepsEndOnTime)
{
    for (const int seconds : {30, 600}) {
        StepRun r(Leaky(5.0));
        std::vector<double> closing;
        const StepRunResult result = r.Go(Options({10, 100}, seconds, 1000));
        ASSERT_EQ(result.end, StepEnd::Completed) << seconds;
        ASSERT_EQ(result.result.steps.size(), 2u);
        // Each step's last reading lies at its length after the command, before the next pass.
        const std::vector<DataRecord> all = r.series.All();
        double stepStart = 0.0;
        for (int step = 1; step <= 2; ++step) {
            double first = -1.0, last = -1.0;
            for (const DataRecord& d : all)
                if (d.step == step) {
                    first = first < 0 ? d.elapsedSeconds : first;
                    last = d.elapsedSeconds;
                }
            // The command went out some 0.3 s (the wait) before the step's first reading.
            EXPECT_GE(last - first, seconds - 1.0) << seconds << " step " << step;
            EXPECT_LE(last - first, seconds) << seconds << " step " << step;
            EXPECT_GT(first, stepStart);
            stepStart = last;
        }
        EXPECT_NEAR(*result.result.steps[1].ohm, kOhm * std::pow(0.95, 1.0), kOhm * 0.005);
    }
}

namespace {

// One step of a recording: five readings at 5, 15, 25, 29.5 and 30.5 s after its voltage command
// (the last closes a 30 s step), `middle` up to 15 s and `end` from 25 s on; `over`: the index
// of a reading above the range (-1 none, 5 all), `kept`: how many were read before a Break;
// `close` moves the last reading onto the step's end, where it is taken as read.
struct StepSpec {
    int volts;
    double middle, end;
    int over = -1;
    int kept = 5;
    double close = 30.5;
};

std::vector<DataRecord> StepRecording(const std::vector<StepSpec>& steps)
{
    std::vector<DataRecord> r;
    double command = 0.0;
    for (size_t k = 0; k < steps.size(); ++k) {
        const StepSpec& s = steps[k];
        const double at[] = {5, 15, 25, 29.5, s.close};
        for (int i = 0; i < s.kept; ++i) {
            DataRecord d;
            d.elapsedSeconds = command + at[i];
            d.volts = s.volts + (i == 2 ? 3 : 0);  // the measured voltage wavers a little
            d.stable = true;
            d.temperature = 22.0;
            d.step = static_cast<int>(k) + 1;
            const bool over = s.over == i || s.over == 5;
            d.range = over ? RangeState::Over : RangeState::InRange;
            d.resistanceOhm = over ? 0.0 : i < 2 ? s.middle : s.end;
            r.push_back(d);
        }
        command = r.back().elapsedSeconds;
    }
    return r;
}

}  // namespace

// Steps derived from recorded readings, as the recording reader gives them back: a reading over
// the range in each position of a step, and rises on both sides of the still-rising limit.
TEST(StepVoltageFigures, StepsOfARecordingDecideOnlyWhatTheyCan)
{
    struct Row {
        const char* what;
        std::vector<StepSpec> steps;
        Verdict verdict;
        const char* change;
        std::optional<double> lowOhm, highOhm;
    };
    const Row rows[] = {
        {"a fall of 25 % is none", {{100, 1e9, 1e9}, {1000, 0.75e9, 0.75e9}}, Verdict::NoMarkedFall, "-25.0 %", 1e9, 0.75e9},
        {"25.01 % is one, printed so", {{100, 1e9, 1e9}, {1000, 0.7499e9, 0.7499e9}}, Verdict::MarkedFall, "-25.01 %", 1e9, 0.7499e9},
        {"closing reading over: a bound", {{100, 1e9, 1e9}, {1000, 0.8e9, 0.8e9, 4}}, Verdict::NoMarkedFall, "≥ -20.0 %", 1e9, 0.8e9},
        {"reading before it over: a bound", {{100, 1e9, 1e9}, {1000, 0.5e9, 0.5e9, 3}}, Verdict::Undecided, "≥ -50.0 %", 1e9, 0.5e9},
        {"lowest step's bound", {{100, 1e9, 1e9, 4}, {1000, 0.5e9, 0.5e9}}, Verdict::MarkedFall, "≤ -50.0 %", 1e9, 0.5e9},
        {"first reading over: no matter", {{100, 1e9, 1e9, 0}, {1000, 0.9e9, 0.9e9}}, Verdict::NoMarkedFall, "-10.0 %", 1e9, 0.9e9},
        {"a middle reading over: no matter", {{100, 1e9, 1e9, 2}, {1000, 0.9e9, 0.9e9}}, Verdict::NoMarkedFall, "-10.0 %", 1e9, 0.9e9},
        {"every reading over: nothing", {{100, 1e9, 1e9}, {1000, 1e9, 1e9, 5}}, Verdict::Undecided, "not enough data", 1e9, {}},
        {"rose 9.9 % in a step", {{100, 1e9, 1.099e9}, {1000, 1.2e9, 1.2e9}}, Verdict::NoMarkedFall, "+9.2 %", 1.099e9, 1.2e9},
        {"rose 10.1 % in a step", {{100, 1e9, 1e9}, {1000, 1e9, 1.101e9}}, Verdict::StepsTooShort, "+10.1 %", 1e9, 1.101e9},
        {"a fall while rising stays a fall", {{100, 0.5e9, 1e9}, {1000, 0.7e9, 0.7e9}}, Verdict::MarkedFall, "-30.0 %", 1e9, 0.7e9},
        {"a third step broken off", {{100, 1e9, 1e9}, {500, 0.9e9, 0.9e9}, {1000, 0.1e9, 0.1e9, -1, 3}}, Verdict::NoMarkedFall,
         "-10.0 %", 1e9, 0.9e9},
        {"exactly 25 % on the steps' ends is none", {{100, 1e9, 1e9, -1, 5, 30}, {1000, 0.75e9, 0.75e9, -1, 5, 30}},
         Verdict::NoMarkedFall, "-25.0 %", 1e9, 0.75e9},
        {"lowest step's bound, no marked fall", {{100, 1e9, 1e9, 4}, {1000, 0.9e9, 0.9e9}}, Verdict::Undecided, "≤ -10.0 %", 1e9,
         0.9e9},
    };
    for (const Row& row : rows) {
        const std::optional<RecordedSteps> got = StepsOfRecording(StepRecording(row.steps));
        ASSERT_TRUE(got) << row.what;
        EXPECT_EQ(got->plan.stepSeconds, 30) << row.what;
        std::vector<int> volts;
        for (const StepSpec& s : row.steps)
            volts.push_back(s.volts);
        EXPECT_EQ(got->plan.volts, volts) << row.what;
        const StepResult& r = got->result;
        ASSERT_EQ(r.steps.size(), 2u) << row.what;
        EXPECT_EQ(r.verdict, row.verdict) << row.what;
        QString change = StepChangeText(r);
        if (r.changePercent && *r.changePercent > 0)
            change.prepend(QLatin1Char('+'));
        EXPECT_EQ(change, QString::fromUtf8(row.change)) << row.what;
        for (const auto& [figure, ohm] : {std::pair{r.steps[0], row.lowOhm}, std::pair{r.steps[1], row.highOhm}}) {
            ASSERT_EQ(figure.ohm.has_value(), ohm.has_value()) << row.what;
            if (ohm) {
                EXPECT_NEAR(*figure.ohm / *ohm, 1.0, 1e-12) << row.what;
                // 22 °C to 40 °C by hand: × 0.5^1.8 = 0.287175
                EXPECT_NEAR(*figure.ohmAt40C / *ohm, 0.2871745887, 1e-9) << row.what;
            }
        }
    }
    // The verdict names its voltages and what it cannot show; too short names the step.
    const auto verdict = [&](size_t row) { return StepVerdictText(StepsOfRecording(StepRecording(rows[row].steps))->result); };
    EXPECT_EQ(verdict(0).text, QStringLiteral("no fall of more than 25 % between 100 V and 1000 V; this cannot rule out "
                                              "cracks or other faults that show only at a higher voltage"));
    EXPECT_EQ(verdict(1).text.left(44), QStringLiteral("falls by more than 25 % between 100 V and 10"));
    EXPECT_EQ(verdict(9).text, QStringLiteral("steps too short to compare: R still rose by 10.1 % over the second half "
                                              "of the 1000 V step (absorption not over); longer steps are needed"));
    EXPECT_TRUE(verdict(0).source.contains("not a standard"));
    EXPECT_EQ(StepsOfRecording(StepRecording({{100, 1e9, 1e9}}))->result.verdict, Verdict::NotEnoughData);
    std::vector<DataRecord> plain = StepRecording({{100, 1e9, 1e9}});
    plain[0].step.reset();
    EXPECT_FALSE(StepsOfRecording(plain));
}

TEST(StepVoltageFigures, OnlyRisingChoicesOfTheMetersVoltagesRun)
{
    const std::pair<const char*, bool> lists[] = {
        {"100,500,1000", true}, {"10, 1000", true}, {"10,100,500,1000", true}, {"100", false},
        {"500,100", false},     {"100,100", false}, {"50,100", false},        {"100,abc", false},
        {"", false},
    };
    for (const auto& [text, ok] : lists) {
        std::vector<int> volts;
        QString error;
        EXPECT_EQ(ParseStepVolts(QString::fromLatin1(text), volts, &error), ok) << text;
        EXPECT_EQ(error.isEmpty(), ok) << text;
    }
    for (const auto& [seconds, ok] : {std::pair{29, false}, {30, true}, {600, true}, {601, false}})
        EXPECT_EQ(StepPlanProblem({{100, 500}, seconds}).isEmpty(), ok) << seconds;
}
