// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement cycle, Init and the runner as procedures without widgets, on the virtual clock
// against the simulated meter: no QApplication, requests come from the events themselves.
#include "sim_fixture.h"

#include "core/measurement_cycle.h"
#include "core/memory_readout.h"
#include "core/meter_init.h"
#include "core/procedure_runner.h"
#include "device/transfer_log.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <unistd.h>
#include <vector>

using namespace krx;
using krx::sim::Fault;
using L = QStringList;

namespace {

sim::Scenario Steady(double ohm = 1.23e6)
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = s.rInf = ohm;
    s.stabiliseSeconds = 0.6;
    return s;
}

// Records the events; `onPass` may request things, as a face would.
struct Recorder : CycleListener {
    void TimerStarted(int seconds) override { timerStarted = seconds; }
    void WaitHint(bool shown) override { hints += shown ? 1 : 0; }
    void MeasuringStarted() override { ++measuringStarted; }
    void PassStarted(int) override {}
    void Iteration(const CycleIteration& pass) override
    {
        passes.push_back(pass);
        if (onPass)
            onPass(pass);
    }
    void RestTime(int seconds) override { rest.push_back(seconds); }
    void TimerFinished() override { ++timerFinished; }

    int timerStarted = 0;
    int hints = 0;
    int measuringStarted = 0;
    int timerFinished = 0;
    std::vector<CycleIteration> passes;
    std::vector<int> rest;
    std::function<void(const CycleIteration&)> onPass;
};

std::vector<double> TimesOf(int command)
{
    std::vector<double> t;
    for (const auto& r : TheTransferLog().Records())
        if (r.kind == TransferRecord::In && r.value == command)
            t.push_back(r.time);
    return t;
}

int CountOut(int command)
{
    int n = 0;
    for (const auto& r : TheTransferLog().Records())
        n += r.kind == TransferRecord::Out && r.value == command;
    return n;
}

// The simulated meter, its command set and a runner that runs procedures inline on the test's
// thread: what every procedure below runs on.
struct Bench {
    Bench() = default;
    explicit Bench(sim::Scenario s) : t(std::move(s)) {}
    test::SimSetup t;
    MeterCommands meter;
    ProcedureRunner runner{ProcedureRunner::Mode::Inline, t.dialogs};
};

struct Cycle : Bench {
    explicit Cycle(sim::Scenario s = Steady()) : Bench(std::move(s)) { EXPECT_EQ(QCoreApplication::instance(), nullptr); }
    CycleResult Run(CycleOptions o)
    {
        cycle.Arm();
        return cycle.Run(o);
    }
    Recorder events;
    MeasurementCycle cycle{meter, runner, events};
};

}  // namespace

TEST(MeasurementCycleProcedure, FreeRunningPacedUntilBreak)
{
    Cycle c;
    c.events.onPass = [&](const CycleIteration& pass) {
        if (pass.counter == 5)
            c.cycle.RequestBreak();
    };
    CycleOptions o;
    o.samplingTimeMs = 1000;
    c.meter.Connect();
    c.t.Take();
    const CycleResult r = c.Run(o);
    EXPECT_EQ(r.outcome, CycleOutcome::Ended);
    ASSERT_EQ(c.events.passes.size(), 5u);
    EXPECT_EQ(c.events.measuringStarted, 1);
    EXPECT_GT(c.events.hints, 0);
    EXPECT_EQ(c.events.timerStarted, 0);
    const CycleIteration& last = c.events.passes.back();
    EXPECT_TRUE(last.fresh && last.haveReading && last.stable);
    EXPECT_DOUBLE_EQ(last.value.value.value, 1.23e6);
    EXPECT_EQ(last.volts, 500);
    EXPECT_EQ(last.value.humidity, 45);

    // Free running starts with remote mode 6, then the setup twice and its apply.
    const L lines = c.t.Take();
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines.mid(0, 7), (L{"40 OUT 54 [06] =1", "20 open =1", "20 IN 53 [08 00] =2", "20 OUT 53 [08 00] =2",
                                  "20 OUT 53 [08 00] =2", "20 OUT 37 [10] =1", "240 open =1"}));
}

TEST(MeasurementCycleProcedure, IntervalIsSamplingTimePlusOneStatusRequest)
{
    for (const int sampling : {0, 1, 999, 1000, 2500}) {
        Cycle c;
        c.events.onPass = [&](const CycleIteration& pass) {
            if (pass.counter == 4)
                c.cycle.RequestBreak();
        };
        CycleOptions o;
        o.samplingTimeMs = sampling;
        c.Run(o);
        const std::vector<double> t = TimesOf(0);
        ASSERT_EQ(t.size(), 4u) << sampling;
        // The interval runs from just before the value request's two pauses; a pass takes 140 ms
        // of pauses from there (value, status, climate, voltage and the pause after), and the
        // next status request (20 ms) comes on top of whichever is longer.
        const double pass = 0.140;
        const double expected = std::max(sampling / 1000.0, pass) + 0.020;
        for (size_t i = 1; i < t.size(); ++i)
            EXPECT_NEAR(t[i] - t[i - 1], expected, 0.0011) << "sampling " << sampling << " reading " << i;
    }
}

// Break while the cycle waits out its interval after the first pass (a minute, or until Break for
// a negative setting), as a window's Break reaches it at a yield point of the wait, a second into
// it: the wait ends within a slice, with no further pass.
TEST(MeasurementCycleProcedure, BreakDuringTheIntervalWaitEndsIt)
{
    for (const int sampling : {60000, -1}) {
        Cycle c;
        double firstPassAt = -1.0;
        double breakAt = -1.0;
        c.events.onPass = [&](const CycleIteration& pass) {
            if (pass.counter == 1)
                firstPassAt = CounterSeconds();
        };
        c.runner.SetYieldHook([&](bool) {
            if (firstPassAt >= 0.0 && breakAt < 0.0 && CounterSeconds() > firstPassAt + 1.0) {
                breakAt = CounterSeconds();
                c.cycle.RequestBreak();
            }
        });
        CycleOptions o;
        o.samplingTimeMs = sampling;
        CycleResult r;
        ::alarm(10);  // watchdog: a Break that is not seen waits for ever
        ASSERT_TRUE(c.runner.Start([&] { r = c.Run(o); }));
        ::alarm(0);
        EXPECT_EQ(r.outcome, CycleOutcome::Ended);
        EXPECT_EQ(c.events.passes.size(), 1u) << sampling;
        ASSERT_GE(breakAt, 0.0) << sampling;
        EXPECT_LT(CounterSeconds() - breakAt, 0.05) << sampling;
    }
}

TEST(MeasurementCycleProcedure, TimerRunsOutAndStopsTheMeter)
{
    Cycle c;
    CycleOptions o;
    o.timerMode = true;
    o.timerSeconds = 3;
    const CycleResult r = c.Run(o);
    EXPECT_EQ(r.outcome, CycleOutcome::Ended);
    EXPECT_EQ(c.events.timerStarted, 3);
    EXPECT_EQ(c.events.timerFinished, 1);
    EXPECT_FALSE(c.cycle.Running());
    ASSERT_FALSE(c.events.passes.empty());
    // The pass that saw the end takes no reading, still refreshes the record's time, and is never
    // shown as unstable.
    const CycleIteration& end = c.events.passes.back();
    EXPECT_TRUE(end.timerFinished);
    EXPECT_TRUE(end.fresh);
    EXPECT_FALSE(c.events.passes[c.events.passes.size() - 2].timerFinished);
    EXPECT_EQ(CountOut(8), 2);  // the start, and the one stop at the end
    EXPECT_FALSE(c.events.rest.empty());
    EXPECT_EQ(c.events.rest.front(), 2);  // tenths truncated: the first rest read is under 3 s
}

TEST(MeasurementCycleProcedure, LostConnectionIsAnOutcomeNotAnExit)
{
    // The meter is pulled during the 3rd pass's value read; the cycle hands the code up.
    for (const int at : {0, 2}) {
        Cycle c;
        c.t.sim->Inject(Fault{.kind = Fault::Fail, .at = at, .command = 0, .code = kUsbErrorNoDevice});
        const CycleResult r = c.Run({});
        EXPECT_EQ(r.outcome, CycleOutcome::ConnectionLost) << at;
        EXPECT_EQ(r.code, kUsbErrorNoDevice) << at;
        EXPECT_EQ(c.events.passes.size(), static_cast<size_t>(at)) << at;
    }
}

TEST(MeasurementCycleProcedure, NoStableVoltageAfterTwoHundredAttempts)
{
    sim::Scenario s = Steady();
    s.stabiliseSeconds = 1e9;
    Cycle c(s);
    const CycleResult r = c.Run({});
    EXPECT_EQ(r.outcome, CycleOutcome::NoStableVoltage);
    EXPECT_EQ(c.events.hints, MeasurementCycle::kStabiliseAttempts);
    EXPECT_EQ(c.t.dialogs.Messages(), L{"!! No stable voltage !!|Measuring voltage can not be stabilized. Process is aborted!"});
    EXPECT_TRUE(c.events.passes.empty());
}

TEST(InitProcedure, ReportsIdentityBatteryAndSetup)
{
    test::SimSetup t;
    MeterCommands meter;
    ProcedureRunner runner(ProcedureRunner::Mode::Inline, t.dialogs);
    const InitReport r = InitFromButton(meter, runner, {});
    EXPECT_EQ(r.outcome, InitReport::Outcome::Ready);
    EXPECT_EQ(r.identity.serialNo, QStringLiteral("73800042"));
    EXPECT_FALSE(r.batteryEmpty);
    ASSERT_TRUE(r.setup);
    EXPECT_EQ(r.setup->flags.voltageIndex, 2);
    EXPECT_TRUE(t.dialogs.shown.empty());

    t.meter().SetPresent(false);
    const InitReport gone = InitDevice(meter, runner, r.identity);
    EXPECT_EQ(gone.outcome, InitReport::Outcome::NoMeter);
    EXPECT_EQ(gone.identity.serialNo, QStringLiteral("73800042"));  // what the program knew stays
    EXPECT_EQ(t.dialogs.Messages(), L{"!! No device found !!|Please check if the device is switched on!"});
}

TEST(ProcedureRunner, DeviceActionsWaitForTheRunningProceduresYield)
{
    test::SimSetup t;
    ProcedureRunner runner(ProcedureRunner::Mode::Inline, t.dialogs);
    std::vector<std::string> order;
    runner.Device([&] { order.push_back("idle action"); });  // nothing runs: at once
    EXPECT_TRUE(runner.Start([&] {
        runner.Device([&] { order.push_back("queued"); });
        order.push_back("before yield");
        EXPECT_FALSE(runner.Start([] {}));  // one procedure at a time
        runner.Yield();
        order.push_back("after yield");
        runner.Device([&] { order.push_back("at the end"); });
    }));
    EXPECT_EQ(order, (std::vector<std::string>{"idle action", "before yield", "queued", "after yield", "at the end"}));
    EXPECT_FALSE(runner.Busy());
}

TEST(ProcedureRunner, DeviceThreadRunsJobsInOrderAndWakesWaits)
{
    ConsoleDialogs console;
    ProcedureRunner runner(ProcedureRunner::Mode::DeviceThread, console);
    std::promise<std::thread::id> where;
    std::atomic<bool> go{false};
    std::vector<int> order;
    ASSERT_TRUE(runner.Start([&] {
        where.set_value(std::this_thread::get_id());
        runner.WaitUntil([&] { return go.load(); });
        order.push_back(1);
    }));
    EXPECT_FALSE(runner.Start([] {}));
    runner.Device([&] { order.push_back(0); });  // queued to the procedure's wait
    auto id = where.get_future();
    ASSERT_EQ(id.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_NE(id.get(), std::this_thread::get_id());
    go = true;
    runner.Notify();
    auto idle = std::async(std::launch::async, [&] { runner.WaitIdle(); });
    ASSERT_EQ(idle.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(order, (std::vector<int>{0, 1}));
    EXPECT_FALSE(runner.Busy());
}

namespace {

// Answers the range as a user would: the texts in turn, or a leave when they run out.
struct RangeUser : ReadOutListener {
    void Listing(const QStringList& l, bool last) override
    {
        lines << l;
        lasts += last ? 1 : 0;
    }
    void RangeWanted(int h) override
    {
        highest = h;
        Answer();
    }
    void RangeRefused() override
    {
        ++refused;
        Answer();
    }
    void Answer()
    {
        if (answers.isEmpty()) {
            readOut->RequestLeave();
            return;
        }
        const QStringList a = answers.takeFirst().split(QLatin1Char('-'));
        readOut->RequestRange(a.value(0), a.value(1));
    }
    MemoryReadOut* readOut = nullptr;
    QStringList answers;
    QStringList lines;
    int lasts = 0;
    int highest = -1;
    int refused = 0;
};

struct ReadOut : Bench {
    ReadOut()
    {
        user.readOut = &readOut;
        meter.Connect();
    }
    ReadOutReport Run(MemoryKind kind, QStringList answers)
    {
        user.answers = std::move(answers);
        user.lines.clear();
        readOut.Arm();
        return readOut.Run(kind);
    }
    RangeUser user;
    MemoryReadOut readOut{meter, runner, user};
};

}  // namespace

TEST(MemoryReadOutProcedure, ListsAndWaitsForAValidRange)
{
    ReadOut r;
    // 0 and 4 lie outside 1..3: refused with the message, then 1-3 is taken.
    const ReadOutReport ohm = r.Run(MemoryKind::Ohm, {"0-3", "1-4", "2-3"});
    EXPECT_EQ(ohm.outcome, ReadOutReport::Outcome::RangeChosen);
    EXPECT_EQ(r.user.highest, 3);
    EXPECT_EQ(r.user.refused, 2);
    EXPECT_EQ(r.t.dialogs.Messages().count(QStringLiteral("|Value out of range ")), 2);
    EXPECT_EQ(ohm.range.from, 2);
    EXPECT_EQ(ohm.range.to, 3);
    EXPECT_EQ(ohm.ohm.Highest(), 3);
    EXPECT_EQ(r.user.lasts, 1);
    EXPECT_TRUE(r.user.lines.contains(QStringLiteral("File number            : 3")));

    // The window left while the range is awaited: the read-out ends without export.
    const ReadOutReport bd = r.Run(MemoryKind::BreakDown, {});
    EXPECT_EQ(bd.outcome, ReadOutReport::Outcome::Left);
    EXPECT_EQ(bd.breakDown.Highest(), 2);
}

TEST(MemoryReadOutProcedure, CutOffReadOutStartsTheNextAtTheFirstRecord)
{
    ReadOut r;
    // The second record's reply is cut short: one record listed, the break said.
    r.t.sim->Inject(Fault{.kind = Fault::Short, .at = 1, .command = 35, .direction = 1, .bytes = 29});
    const ReadOutReport first = r.Run(MemoryKind::Ohm, {"1-1"});
    EXPECT_EQ(first.outcome, ReadOutReport::Outcome::RangeChosen);
    EXPECT_EQ(first.ohm.Highest(), 1);
    EXPECT_TRUE(r.user.lines.contains(QStringLiteral("Read-out interrupted !")));
    ASSERT_EQ(r.t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(r.t.dialogs.shown[0].text.contains(QStringLiteral("sent an incomplete record")));
    r.t.Take();

    // The next one opens the meter afresh, passes over the rest up to the end mark, then lists
    // the whole memory from its first record.
    const ReadOutReport second = r.Run(MemoryKind::Ohm, {"1-3"});
    EXPECT_EQ(second.ohm.Highest(), 3);
    const QStringList lines = r.t.Take();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().endsWith(QStringLiteral("open =1")));
    EXPECT_EQ(lines.filter(QStringLiteral("IN 35")).size(), 2 + 4);
}

TEST(MemoryReadOutProcedure, NothingOrNoAnswer)
{
    ReadOut r;
    r.t.meter().scenario().ohmMemory.clear();
    EXPECT_EQ(r.Run(MemoryKind::Ohm, {}).outcome, ReadOutReport::Outcome::NoRecords);
    EXPECT_EQ(r.user.highest, -1);  // no range offered
    r.t.sim->Inject(Fault{.kind = Fault::Fail, .at = 0, .command = 36, .code = kUsbErrorIo});
    EXPECT_EQ(r.Run(MemoryKind::BreakDown, {}).outcome, ReadOutReport::Outcome::Interrupted);
}

TEST(MemoryReadOutProcedure, EraseSaysWhenTheMeterDidNotTakeIt)
{
    ReadOut r;
    r.t.sim->Inject(Fault{.kind = Fault::Fail, .at = 0, .command = 35, .direction = 2, .code = kUsbErrorPipe});
    EXPECT_FALSE(r.readOut.Erase(MemoryKind::Ohm));
    ASSERT_EQ(r.t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(r.t.dialogs.shown[0].text.contains(QStringLiteral("(error -9)")));
    EXPECT_EQ(r.t.meter().scenario().ohmMemory.size(), 3u);
    r.t.Take();
    // After a failed command the meter is opened afresh before the next one.
    EXPECT_TRUE(r.readOut.Erase(MemoryKind::Ohm));
    EXPECT_EQ(r.t.Take(), (L{"0 open =1", "0 OUT 35 [FF] =1"}));
    EXPECT_TRUE(r.t.meter().scenario().ohmMemory.empty());
}
