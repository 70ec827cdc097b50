// SPDX-License-Identifier: GPL-3.0-or-later
// The break-down and break-off test as a procedure without widgets, against the simulated meter:
// no QApplication. Requests come from a yield hook that acts like a face pressing buttons at the
// procedure's yield points, or from another thread when the procedure runs on a device thread.
#include "breakdown_run.h"
#include "sim_fixture.h"

#include "core/breakdown_test.h"
#include "core/procedure_runner.h"
#include "device/transfer_log.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

using namespace krx;
using namespace krx::test;
using krx::sim::Fault;
using L = QStringList;

namespace {

// The transfers of a whole test, as the window's tests list them.
const L kBreakDownPhase = {
    "0 open =1",    "0 IN 2 [00] =1",  "600 open =1",  "0 IN 2 [00] =1",  "1000 open =1", "0 IN 2 [01] =1",
    "20 open =1",   "0 IN 7 " + kValuesBefore,  "980 open =1",  "0 IN 2 [02] =1",
    "100 IN 6 [34 35 32 32 2E 35] =6", "0 open =1", "0 IN 7 " + kValuesBD, "20 OUT 8 [02] =1", "20 open =1",
    "0 IN 2 [00] =1",
};
const L kCleanUp = {"0 OUT 8 [00] =1", "20 OUT 54 [1E] =1"};
const L kReportToBreakDown = {"Start Break-Down Measuring !", "---------------------------------",
                              "Volt Meas. 1000 V", "Resistance 1999 MOhm", "---------------------------------",
                              "Volt Meas. 1000 V", "Resistance 1999 MOhm", "---------------------------------",
                              "---------------------------------", "BREAK DOWN !!", "Humidity    45 %",
                              "Temperature 22.5 C", "Voltage   BD  1000 V", "R before  BD  1999 MOhm",
                              "R after   BD  2147483 MOhm", "---------------------------------"};

// What a window would show, from the events; thread-safe, as a device thread sends them.
class Face : public BreakDownListener {
public:
    void MemoCleared() override { Set([&] { memo.clear(); }); }
    void MemoLines(const QStringList& lines) override { Set([&] { memo += lines; }); }
    void ProgressMaximum(int maximum) override { Set([&] { progressMaximum = maximum; }); }
    void ProgressValue(int value) override
    {
        Set([&] {
            progressValue = value;
            progressAt.push_back(CounterSeconds());
        });
    }
    void Label(const QString& text, bool show) override
    {
        Set([&] {
            label = text;
            labelShown = labelShown || show;
        });
    }
    void Shown(BreakDownPart part, bool on) override { Set([&] { shown[part] = on; }); }
    void Enabled(BreakDownPart part, bool on) override { Set([&] { enabled[part] = on; }); }
    void Caption(BreakDownPart part, const QString& text) override { Set([&] { captions[part] = text; }); }
    void TimerFields(int bd, int bo) override { Set([&] { fields = {bd, bo}; }); }
    // The window writes the file here and answers; the answers are scripted.
    void Save(const BreakDownSave& values) override
    {
        int result = 0;
        Set([&] {
            saves.push_back(values);
            if (!saveResults.empty()) {
                result = saveResults.front();
                saveResults.pop_front();
            }
        });
        test->SaveDone(result);
    }

    // A Start press would act now on the button that reads `caption`.
    bool StartOffered(const char* caption)
    {
        std::lock_guard lock(mutex);
        return enabled[BreakDownPart::Start] && captions[BreakDownPart::Start] == QLatin1String(caption);
    }
    // Waits on another thread until `done` holds; a fault that never gets there ends the process.
    void WaitFor(const std::function<bool()>& done, int seconds = 30)
    {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, std::chrono::seconds(seconds), done)) {
            std::fprintf(stderr, "watchdog: the procedure did not get there within %d s\n", seconds);
            std::abort();
        }
    }

    BreakDownTest* test = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    L memo;
    QString label;
    bool labelShown = false;
    int progressMaximum = -1;
    int progressValue = -1;
    std::vector<double> progressAt;  // the counter at each progress step
    std::map<BreakDownPart, bool> shown;
    std::map<BreakDownPart, bool> enabled;
    std::map<BreakDownPart, QString> captions;
    std::pair<int, int> fields{-1, -1};
    std::vector<BreakDownSave> saves;
    std::deque<int> saveResults;

private:
    template <typename F>
    void Set(F f)
    {
        {
            std::lock_guard lock(mutex);
            f();
        }
        changed.notify_all();
    }
};

// Presses at the yield points of a procedure that runs inline: each step waits until its condition
// holds, then acts. A step that never comes ends the process within 20 s instead of hanging.
class Presses {
public:
    explicit Presses(ProcedureRunner& runner)
    {
        started_ = std::chrono::steady_clock::now();
        runner.SetYieldHook([this](bool) { Tick(); });
    }
    Presses& Then(std::function<bool()> when, std::function<void()> act)
    {
        steps_.push_back({std::move(when), std::move(act)});
        return *this;
    }
    int Left() const { return static_cast<int>(steps_.size()); }

private:
    void Tick()
    {
        if (std::chrono::steady_clock::now() - started_ > std::chrono::seconds(20)) {
            std::fprintf(stderr, "presses: stuck with %d steps left\n", Left());
            std::abort();
        }
        if (steps_.empty() || !steps_.front().first())
            return;
        auto act = std::move(steps_.front().second);
        steps_.pop_front();
        act();
    }
    std::deque<std::pair<std::function<bool()>, std::function<void()>>> steps_;
    std::chrono::steady_clock::time_point started_;
};

struct Inline {
    explicit Inline(sim::Scenario s = BreakDownScenario()) : t(std::move(s))
    {
        EXPECT_EQ(QCoreApplication::instance(), nullptr);
        t.dialogs.echo = false;
        face.test = &test;
        test.Arm();
        meter.Connect();
        t.Take();
    }
    BreakDownResult Run(BreakDownOptions o = {})
    {
        BreakDownResult result;
        EXPECT_TRUE(runner.Start([&] { result = test.Run(o); }));
        return result;
    }
    // The window's Stop: the stop command at the next yield point, then the request.
    void Stop()
    {
        runner.Device([this] { meter.Stop(); });
        test.RequestStop();
    }
    // The window's Start: the press disables the button, then the request.
    void Start(const char* bd = "30", const char* bo = "20")
    {
        face.enabled[BreakDownPart::Start] = false;
        test.RequestStart(QString::fromLatin1(bd), QString::fromLatin1(bo));
    }
    bool MemoHas(const char* line)
    {
        return face.memo.contains(QLatin1String(line));
    }

    test::SimSetup t;
    MeterCommands meter;
    ProcedureRunner runner{ProcedureRunner::Mode::Inline, t.dialogs};
    Face face;
    BreakDownTest test{meter, runner, face};
    Presses presses{runner};
};

void ExpectSave(const BreakDownSave& s, std::uint32_t afterBO, int breakOffTime)
{
    EXPECT_FLOAT_EQ(s.temperature, 22.5f);
    EXPECT_EQ(s.humidity, 45);
    EXPECT_EQ(s.breakDownTimer, 30);
    EXPECT_EQ(s.voltage, 1000);
    EXPECT_EQ(s.resistanceBeforeMOhm, 1999u);
    EXPECT_EQ(s.resistanceAfterBDMOhm, 2147483u);
    EXPECT_EQ(s.resistanceAfterBOMOhm, afterBO);
    EXPECT_EQ(s.breakOffTime, breakOffTime);
}

}  // namespace

TEST(BreakDownProcedure, BreakDownThenBreakOffWithSaves)
{
    Inline p;
    p.face.saveResults = {-3, 0, 0};  // the first save fails: it is not confirmed
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); }, [&] { p.Start(); })
        .Then([&] { return p.face.StartOffered("Start Break-Off"); }, [&] { p.test.RequestSave(); })
        .Then([&] { return p.face.saves.size() == 1 && !p.test.SaveRequested(); }, [&] { p.test.RequestSave(); })
        .Then([&] { return p.face.saves.size() == 2 && !p.test.SaveRequested(); }, [&] { p.Start(); })
        .Then([&] { return p.face.label == QLatin1String("Break-OFF !") && p.t.meter().RemoteMode() == 35; },
              [&] {
                  EXPECT_TRUE(p.face.enabled[BreakDownPart::Save]);
                  p.test.RequestSave();
              })
        .Then([&] { return p.face.saves.size() == 3 && !p.test.SaveRequested(); }, [&] { p.Stop(); });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);

    EXPECT_EQ(r.outcome, BreakDownOutcome::Ended);
    EXPECT_FALSE(r.left);
    EXPECT_TRUE(r.saveable);
    ExpectSave(r.values, 250, 3);
    ASSERT_EQ(p.face.saves.size(), 3u);
    ExpectSave(p.face.saves[0], 0, 0);
    ExpectSave(p.face.saves[1], 0, 0);
    ExpectSave(p.face.saves[2], 250, 3);
    EXPECT_EQ(p.t.dialogs.Messages(), L{"|Save successfully!"});

    const L expected = kBreakDownSetUp + BreakDownStartLines() + kBreakDownPhase +
                       L{"60 OUT 8 [20] =1",  // the two saves' pauses, then the one before the start
                         "1000 open =1", "0 IN 2 [00] =1", "1000 open =1", "0 IN 2 [00] =1", "1000 open =1",
                         "0 IN 2 [04] =1", "5000 open =1", "0 IN 7 " + kValuesBO, "20 OUT 54 [23] =1",
                         "0 OUT 8 [40] =1"} +
                       kCleanUp;
    EXPECT_EQ(p.t.Take(), expected);
    EXPECT_EQ(p.face.memo, (kReportToBreakDown + L{"Wait 5 Sec.", "BREAK-OFF !!", "Humidity    45 %",
                                                   "Temperature 22.5 C", "Voltage   BD  1000 V",
                                                   "R before  BD  1999 MOhm", "R after   BD  2147483 MOhm",
                                                   "R after   BO  250 MOhm", "Timer     BO  3 Sec."}));
    EXPECT_EQ(p.face.fields, std::make_pair(30, 20));
    // The clean-up: the meter in the set-up mode, the window's test parts put away.
    EXPECT_EQ(p.t.meter().RemoteMode(), 30);
    EXPECT_FALSE(p.face.shown[BreakDownPart::Timers]);
    EXPECT_FALSE(p.face.shown[BreakDownPart::Progress]);
    EXPECT_FALSE(p.face.enabled[BreakDownPart::Stop]);
    EXPECT_EQ(p.face.progressValue, 0);
    EXPECT_EQ(p.face.label, QString());
}

TEST(BreakDownProcedure, NoBreakDownWaitsForStopWithNothingToSave)
{
    sim::Scenario s = BreakDownScenario();
    s.breakDownAfter = -1;
    Inline p(s);
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); }, [&] { p.Start("13"); })
        .Then([&] { return p.face.label == QLatin1String("No Break-Down !"); },
              [&] {
                  EXPECT_FALSE(p.face.shown[BreakDownPart::Progress]);
                  EXPECT_FALSE(p.face.enabled[BreakDownPart::Save]);
                  p.t.Take();
              })
        // The wait is for Stop alone: a Save changes nothing, and no meter time passes.
        .Then([] { return true; }, [&] { p.test.RequestSave(); })
        .Then([] { return true; },
              [&] {
                  EXPECT_TRUE(p.t.Take().isEmpty());
                  p.Stop();
              });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);
    EXPECT_EQ(r.outcome, BreakDownOutcome::Ended);
    EXPECT_FALSE(r.saveable);
    EXPECT_TRUE(p.face.saves.empty());
    EXPECT_EQ(p.t.Take(), (L{"0 OUT 8 [40] =1", "20 OUT 54 [23] =1"} + kCleanUp));
    EXPECT_EQ(p.face.memo.mid(p.face.memo.size() - 3),
              (L{"---------------------------------", "No Break-Down !", "---------------------------------"}));
    EXPECT_TRUE(p.t.dialogs.shown.empty());
}

TEST(BreakDownProcedure, TimerFieldsOnBothSidesOfOneToNineThousandNineHundredNinetyNine)
{
    Inline p;
    const QString notATimer = QStringLiteral("Error|%1: \"%2\" is not a timer. Enter whole seconds from 1 to 9999.");
    // Each refused pair is said, leaves the set-up as it was and offers Start again.
    const std::vector<std::pair<const char*, const char*>> refused = {
        {"0", "20"}, {"30", "10000"}, {"  ", "20"}, {"30", "-5"}, {"abc", "20"}};
    for (const auto& [bd, bo] : refused)
        p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); },
                       [&, bd = bd, bo = bo] {
                           EXPECT_EQ(p.face.captions[BreakDownPart::Timers],
                                     QStringLiteral("Setup timers Break-Down/Break-Off resistance"));
                           p.Start(bd, bo);
                       });
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); },
                   [&] { p.Start("1", " 9999 "); })
        .Then([&] { return p.MemoHas("Start Break-Down Measuring !"); }, [&] { p.Stop(); });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);
    EXPECT_EQ(r.outcome, BreakDownOutcome::Ended);

    EXPECT_EQ(p.t.dialogs.Messages(),
              (L{notATimer.arg("BD Timer (Sec.)", "0"), notATimer.arg("BO Timer (Sec.)", "10000"),
                 notATimer.arg("BD Timer (Sec.)", ""), notATimer.arg("BO Timer (Sec.)", "-5"),
                 notATimer.arg("BD Timer (Sec.)", "abc")}));
    EXPECT_EQ(p.t.meter().Timer(1), 1);
    EXPECT_EQ(p.t.meter().Timer(2), 9999);
    // Nothing went to the meter until the accepted Start; Stop at its first yield point.
    const L lines = p.t.Take();
    EXPECT_EQ(lines.mid(0, 6), (kBreakDownSetUp + L{"0 OUT 49 [00 01] =2", "80 OUT 50 [27 0F] =2"}));
    EXPECT_EQ(lines.mid(lines.size() - 5), (L{"0 IN 7 " + kValuesBefore, "0 OUT 8 [40] =1", "20 OUT 54 [23] =1"} +
                                            kCleanUp));
}

TEST(BreakDownProcedure, StopBeforeTheStartLeavesTheSetUp)
{
    Inline p;
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); }, [&] { p.Stop(); });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);
    EXPECT_EQ(r.outcome, BreakDownOutcome::Ended);
    EXPECT_EQ(p.t.Take(), (kBreakDownSetUp + L{"0 OUT 8 [40] =1"} + kCleanUp));
    EXPECT_TRUE(p.face.memo.isEmpty());
}

TEST(BreakDownProcedure, LeaveWaitingForTheBreakOffActsAsStopAndKeepsTheResult)
{
    Inline p;
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); }, [&] { p.Start(); })
        .Then([&] { return p.face.StartOffered("Start Break-Off"); },
              [&] {
                  p.runner.Device([&] { p.meter.Stop(); });
                  p.test.RequestLeave();
              });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);
    EXPECT_EQ(r.outcome, BreakDownOutcome::Ended);
    EXPECT_TRUE(r.left);
    EXPECT_TRUE(r.saveable);
    ExpectSave(r.values, 0, 0);
    const L lines = p.t.Take();
    EXPECT_EQ(lines.mid(lines.size() - 4), (L{"0 OUT 8 [40] =1", "880 OUT 54 [23] =1"} + kCleanUp));
    EXPECT_EQ(p.face.memo, kReportToBreakDown);
}

TEST(BreakDownProcedure, LostConnectionAtTheBreakDownIsAnOutcome)
{
    Inline p;
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); }, [&] { p.Start(); })
        .Then(
            [] {
                // The poll that reported the break-down: the next IN 7 is the one at its end.
                const auto& records = TheTransferLog().Records();
                return !records.empty() && records.back().value == 2 && !records.back().data.isEmpty() &&
                       (records.back().data[0] & 0x02);
            },
            [&] {
                p.t.sim->Inject(Fault{.kind = Fault::Fail, .command = 7, .direction = 1, .code = kUsbErrorNoDevice});
            });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);
    EXPECT_EQ(r.outcome, BreakDownOutcome::ConnectionLost);
    EXPECT_EQ(r.code, kUsbErrorNoDevice);
    EXPECT_FALSE(r.saveable);
    // Nothing more goes to a meter that is gone, and nothing is said: the window says it.
    const L lines = p.t.Take();
    EXPECT_TRUE(lines.last().startsWith(QLatin1String("0 IN 7 ")) && lines.last().endsWith(QLatin1String("=-4")))
        << lines.last().toStdString();
    EXPECT_TRUE(p.t.dialogs.shown.empty());
    EXPECT_FALSE(p.MemoHas("BREAK DOWN !!"));
}

TEST(BreakDownProcedure, UnreadableClimateIsSaidAndCleanedUp)
{
    sim::Scenario s = BreakDownScenario();
    Fault garbage;
    garbage.kind = Fault::Garbage;
    garbage.command = 6;
    s.faults.push_back(garbage);
    Inline p(s);
    p.presses.Then([&] { return p.face.StartOffered("Start Break-Down"); }, [&] { p.Start(); });
    const BreakDownResult r = p.Run();
    EXPECT_EQ(p.presses.Left(), 0);
    EXPECT_EQ(r.outcome, BreakDownOutcome::Unreadable);
    ASSERT_EQ(p.t.dialogs.shown.size(), 1u);
    EXPECT_EQ(p.t.dialogs.shown[0].kind, test::ShownBox::Error);
    const L lines = p.t.Take();
    EXPECT_EQ(lines.mid(lines.size() - 5),
              (L{"980 open =1", "0 IN 2 [02] =1", "100 IN 6 [3F 3F 3F 3F 3F 3F] =6"} + kCleanUp));
    EXPECT_FALSE(p.face.shown[BreakDownPart::Timers]);
    EXPECT_FALSE(p.MemoHas("BREAK DOWN !!"));
}

// On the device thread and the steady clock, a Stop in the whole-second wait of the polling loop
// goes out at once: the test does not wait out the second.
TEST(BreakDownProcedure, StopCutsTheWholeSecondWaitShortOnTheDeviceThread)
{
    sim::Scenario s = BreakDownScenario();
    s.breakDownAfter = -1;
    s.breakDownTimer = 600;
    SetUsbBackend(std::make_unique<sim::SimBackend>(s));
    TheTransferLog().Clear();
    test::ScopedDialogs dialogs;
    dialogs.echo = false;
    ASSERT_TRUE(TheClock().SleepsForReal() && TheClock().HasCounter());
    {
        MeterCommands meter;
        ProcedureRunner runner(ProcedureRunner::Mode::DeviceThread, dialogs);
        Face face;
        BreakDownTest test(meter, runner, face);
        face.test = &test;
        test.Arm();
        ASSERT_TRUE(runner.Start([&] { test.Run({}); }));
        face.WaitFor([&] { return face.enabled[BreakDownPart::Start]; });
        test.RequestStart(QStringLiteral("600"), QStringLiteral("20"));

        // The first poll comes after the 11 s countdown (11 progress steps); a poll late in its
        // second is passed over, so that the Stop surely falls into a wait with time to spare.
        double poll = 0.0;
        for (size_t step = 12;; ++step) {
            face.WaitFor([&] { return face.progressAt.size() >= step; });
            {
                std::lock_guard lock(face.mutex);
                poll = face.progressAt[step - 1];
            }
            if (std::floor(poll + 1e-6) + 1.0 - poll > 0.5)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const double requested = CounterSeconds();
        runner.Device([&] { meter.Stop(); });
        test.RequestStop();

        auto idle = std::async(std::launch::async, [&] { runner.WaitIdle(); });
        if (idle.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            std::fprintf(stderr, "watchdog: the procedure did not end after Stop\n");
            std::abort();
        }
        const auto sent = [](const TransferRecord& rec, int command, unsigned char byte) {
            return rec.kind == TransferRecord::Out && rec.value == command && !rec.data.isEmpty() &&
                   static_cast<unsigned char>(rec.data[0]) == byte;
        };
        double stopAt = -1.0;
        double holdAt = -1.0;
        for (const TransferRecord& rec : TheTransferLog().Records()) {
            if (sent(rec, 8, 0x40))
                stopAt = rec.time;
            if (sent(rec, 54, 35))  // the result hold
                holdAt = rec.time;
        }
        ASSERT_GE(stopAt, requested);
        EXPECT_LT(stopAt - requested, 0.25);
        // Not on the next whole second, as it would be had the wait run its course.
        EXPECT_LT(holdAt, std::floor(poll + 1e-6) + 1.0);
    }
    SetUsbBackend(nullptr);
}
