// SPDX-License-Identifier: GPL-3.0-or-later
// The ESD and material tests as procedures on the virtual clock against the simulated meter: what
// goes out, byte by byte, on each path of the 10 V → 100 V rule, on Break in either phase, and the
// person's setup restored at the end.
#include "procedure_bench.h"

#include "core/method_test.h"
#include "device/transfer_log.h"

#include <gtest/gtest.h>

#include <functional>

using namespace krx;
using L = QStringList;

namespace {

struct Events : CycleListener, StepListener {
    void TimerStarted(int) override {}
    void WaitHint(bool shown) override
    {
        if (shown && onHint)
            onHint(phases);
    }
    void MeasuringStarted() override {}
    void PassStarted(int) override {}
    void Iteration(const CycleIteration& pass) override
    {
        if (pass.fresh && onReading)
            onReading(pass);
    }
    void RestTime(int) override {}
    void TimerFinished() override {}
    void StepStarted(int, int) override { ++phases; }
    void StepFinished(const StepFigure&) override {}

    int phases = 0;
    std::function<void(const CycleIteration&)> onReading;
    std::function<void(int)> onHint;
};

sim::Scenario Item(double at10, double at100)
{
    sim::Scenario s = sim::Scenario::Default();
    s.rAt10V = at10;
    s.rAt100V = at100;
    s.stabiliseSeconds = 0.3;
    return s;
}

struct MethodRunFixture : test::ProcedureBench<MethodTest, Events> {
    using ProcedureBench::ProcedureBench;
    MethodRun Go(Method method = Method::Esd, int volts = 100, int seconds = 60)
    {
        MethodRunOptions o;
        o.request.method = method;
        o.request.materialVolts = volts;
        o.request.materialSeconds = seconds;
        o.userSetup = {0, 500, 0, 0};  // 500 V manual, technical display: 08 00 on the wire
        RecordingPlan plan;
        plan.enabled = false;
        return Watched(plan, [&] { return test.RunMethod(o); });
    }
    // What went out to the meter, bytes and all, without the reads and the pauses.
    L Sent()
    {
        L out;
        for (const QString& line : t.Take())
            if (line.contains(" OUT "))
                out << line.section(QLatin1Char(' '), 1);
        return out;
    }
};

const L kFreeRunning = {"OUT 54 [06] =1"};
L SetupSent(const char* bytes)
{
    const QString b = QStringLiteral("OUT 53 [%1] =2").arg(QLatin1String(bytes));
    return {b, b, "OUT 37 [10] =1"};
}
const L kStops = {"OUT 8 [40] =1", "OUT 8 [40] =1"};

// Seconds from the phase's voltage command to the reading that closed it.
double ReadingAfterCommand(const Phase& p)
{
    return p.readings.back().elapsedSeconds - p.commandElapsed;
}

}  // namespace

TEST(MethodProcedure, TenVoltsThenHundredOnlyAtOneMegohmOrMore)
{
    struct Case {
        double at10;
        L sent;
    };
    // 999 kΩ: recorded at 10 V, nothing at 100 V. 1.00 MΩ: stopped, started afresh at 100 V.
    const Case cases[] = {
        {999e3, kFreeRunning + SetupSent("02 00") + kStops + SetupSent("08 00")},
        {1.0e6, kFreeRunning + SetupSent("02 00") + kStops + kFreeRunning + SetupSent("04 00") + kStops + SetupSent("08 00")},
    };
    for (const Case& c : cases) {
        MethodRunFixture r(Item(c.at10, 7.9e5));
        const MethodRun run = r.Go();
        EXPECT_EQ(run.end, StepEnd::Completed);
        EXPECT_EQ(r.Sent(), c.sent) << c.at10;
        ASSERT_EQ(run.phases.size(), static_cast<size_t>(c.sent.count("OUT 54 [06] =1")));
        const double t10 = ReadingAfterCommand(run.phases[0]);
        EXPECT_GE(t10, 5.0);
        EXPECT_LT(t10, 6.0);  // the first reading at or after 5 s, not a later one
        EXPECT_DOUBLE_EQ(run.phases[0].readings.back().resistanceOhm, c.at10);
        if (run.phases.size() == 2) {
            EXPECT_GE(ReadingAfterCommand(run.phases[1]), 15.0);
            EXPECT_LT(ReadingAfterCommand(run.phases[1]), 16.0);
            EXPECT_DOUBLE_EQ(run.phases[1].readings.back().resistanceOhm, 7.9e5);
            EXPECT_EQ(run.phases[1].readings.back().step, 2);
        }
        EXPECT_EQ(r.t.meter().Setup0(), 0x08);  // the person's 500 V again
    }
}

TEST(MethodProcedure, BreakInEitherPhaseEndsWithStopsAndThePersonsSetup)
{
    // {phase, reading}: Break after that reading of that phase; reading 0: in the phase's wait.
    for (const auto& [phase, reading] : {std::pair{1, 2}, {2, 3}, {2, 0}}) {
        MethodRunFixture r(Item(2.1e6, 7.9e5));
        int readings = 0;
        r.events.onReading = [&](const CycleIteration& pass) {
            if (pass.step == phase && ++readings == reading)
                r.test.RequestBreak();
        };
        r.events.onHint = [&](int phases) {
            if (reading == 0 && phases == phase)
                r.test.RequestBreak();
        };
        const MethodRun run = r.Go();
        EXPECT_EQ(run.end, StepEnd::Broken) << phase;
        const L sent = r.Sent();
        const L head = phase == 1 ? kFreeRunning + SetupSent("02 00")
                                  : kFreeRunning + SetupSent("02 00") + kStops + kFreeRunning + SetupSent("04 00");
        EXPECT_EQ(sent, head + kStops + SetupSent("08 00")) << phase << " " << reading;
        EXPECT_EQ(r.t.meter().Setup0(), 0x08);
        EXPECT_TRUE(r.t.dialogs.Messages().isEmpty());
    }
}

TEST(MethodProcedure, MaterialAtItsVoltageReadsAtItsTime)
{
    MethodRunFixture r(sim::Scenario::Default());
    r.t.meter().scenario().stabiliseSeconds = 0.3;
    const MethodRun run = r.Go(Method::Material, 1000, 30);
    EXPECT_EQ(run.end, StepEnd::Completed);
    EXPECT_EQ(r.Sent(), kFreeRunning + SetupSent("10 00") + kStops + SetupSent("08 00"));
    ASSERT_EQ(run.phases.size(), 1u);
    EXPECT_GE(ReadingAfterCommand(run.phases[0]), 30.0);
    EXPECT_LT(ReadingAfterCommand(run.phases[0]), 31.0);
    EXPECT_EQ(run.phases[0].readings.back().volts, 1000);
}
