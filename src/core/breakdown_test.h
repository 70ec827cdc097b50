// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The break-down and break-off test without widgets. The meter runs the test; the procedure sets
// the two timers, starts each phase, polls the event byte once a second and writes the report as
// memo lines. What the window shows goes out as events; Start, Stop, Save and Leave come in as
// requests, which the procedure takes at its yield points.

#include "core/breakdown_format.h"
#include "core/procedure_host.h"
#include "device/commands.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace krx {

// What a Save of the window writes: the values as the result file takes them.
struct BreakDownSave {
    float temperature = 0.0f;
    int humidity = 0;
    int breakDownTimer = 0;
    int voltage = 0;
    std::uint32_t resistanceBeforeMOhm = 0;
    std::uint32_t resistanceAfterBDMOhm = 0;
    std::uint32_t resistanceAfterBOMOhm = 0;  // 0 before the break-off phase
    int breakOffTime = 0;                     // 0 before the break-off phase
    // The meter's kOhm as it sent them, for the test history, which keeps them exactly.
    std::uint32_t resistanceBeforeKOhm = 0;
    std::uint32_t resistanceAfterBDKOhm = 0;
    std::uint32_t resistanceAfterBOKOhm = 0;
};

// The parts of the window the test shows, hides, enables or names.
enum class BreakDownPart {
    RangeGroup,   // the read-outs' range fields, hidden during the test
    Timers,       // the group with the timer fields and the Start, Stop and Save buttons
    TimerFields,  // the two timer fields with their labels
    Start,
    Stop,
    Save,
    Progress,
};

class BreakDownListener {
public:
    virtual ~BreakDownListener() = default;
    virtual void MemoCleared() = 0;
    virtual void MemoLines(const QStringList& lines) = 0;
    // The bar's range runs from 0 to `maximum`; values outside it are shown at its ends.
    virtual void ProgressMaximum(int maximum) = 0;
    virtual void ProgressValue(int value) = 0;
    // The phase label; `show` also makes it visible.
    virtual void Label(const QString& text, bool show) = 0;
    virtual void Shown(BreakDownPart part, bool shown) = 0;
    virtual void Enabled(BreakDownPart part, bool enabled) = 0;
    // The Start button's text or the timer group's title.
    virtual void Caption(BreakDownPart part, const QString& text) = 0;
    virtual void TimerFields(int breakDownSeconds, int breakOffSeconds) = 0;
    // The window writes the result (it asks for a comment and a file) and answers SaveDone().
    virtual void Save(const BreakDownSave& values) = 0;
};

enum class BreakDownOutcome {
    Ended,           // Stop or Leave; the meter is back in the set-up mode
    Unreadable,      // unreadable characters from the meter: said, and cleaned up as after a Stop
    ConnectionLost,  // the values read at the break-down failed: the code is the transfer's
};

struct BreakDownResult {
    BreakDownOutcome outcome = BreakDownOutcome::Ended;
    int code = 0;
    bool left = false;      // a Leave ended it: the window goes once it has the result
    bool saveable = false;  // a break-down came: `values` hold its result as a Save writes it
    BreakDownSave values;
};

struct BreakDownOptions {
    int commandPause = 20;
    bool testMode = false;  // each poll adds its event line to the report
};

class BreakDownTest {
public:
    // Longest timer the meter's 16-bit timers and the four-digit fields can hold.
    static constexpr int kLongestTimer = 9999;
    // The meter needs this long after the start before its first values mean anything.
    static constexpr int kCountdownSteps = 10;
    static constexpr int kBreakOffSettleMs = 5000;
    // Polls in a row that may fail before the person is told that the meter does not answer.
    static constexpr int kSilentPolls = 3;

    BreakDownTest(MeterCommands& meter, ProcedureHost& host, BreakDownListener& listener)
        : meter_(meter), host_(host), listener_(listener)
    {
    }

    // Clears the requests of the last test; called before Run, on the thread that takes the
    // requests, so that a Stop pressed before the procedure got going still counts.
    void Arm();
    BreakDownResult Run(const BreakDownOptions& options);

    // Requests, from any thread. The stop command itself goes to the meter from the face
    // (ProcedureRunner::Device), at the procedure's next yield point.
    void RequestStart(const QString& breakDownField, const QString& breakOffField);
    void RequestStop();
    void RequestSave();
    // The window is left: a Stop whose result goes with the window.
    void RequestLeave();
    // The window's answer to Save: 0 when the result was written.
    void SaveDone(int result);

    bool StopRequested() const { return stop_; }
    bool SaveRequested() const { return save_; }
    // A Start press now starts the break-down phase, and none came yet.
    bool AwaitsBreakDownStart() const { return awaitingBreakDownStart_ && !breakDownStart_; }

private:
    struct State;

    BreakDownResult Body(State& s);
    void SetUp(State& s);
    bool WaitForBreakDownStart(State& s);
    void StartBreakDown(State& s);
    bool BreakDownPhase(State& s, BreakDownResult& ended);
    void Countdown(State& s);
    void NewValues(State& s);
    void NoBreakDown();
    bool BreakDown(State& s, BreakDownResult& ended);
    void WaitForBreakOffStart(State& s);
    void BreakOffPhase(State& s);
    void BreakOff(State& s);
    void WaitForWholeSecond(double secondMark);
    void ResultHold(State& s);
    void End();

    bool ReadTimerFields(State& s);
    int ReadValues(State& s);
    int ReadEventBits(State& s);
    // `final`: in the result hold, with the break-off's values.
    void SaveResult(State& s, bool final);
    static BreakDownSave SaveOf(const State& s, bool withBreakOff);
    void Seen(State& s, int result);
    void SayCommandLost(int result);
    void IntermediateValues(const State& s);
    void Lines(const QStringList& lines) { listener_.MemoLines(lines); }
    void Line(const QString& line) { listener_.MemoLines({line}); }
    void Separator();
    void Progress(int value);

    MeterCommands& meter_;
    ProcedureHost& host_;
    BreakDownListener& listener_;
    BreakDownOptions options_;
    bool meterResetLost_ = false;  // the last clean-up's reset did not reach the meter

    std::atomic<bool> stop_{false};
    std::atomic<bool> leave_{false};
    std::atomic<bool> save_{false};
    std::atomic<bool> saveDone_{false};
    std::atomic<int> saveResult_{0};
    std::atomic<bool> awaitingBreakDownStart_{false};
    std::atomic<bool> breakDownStart_{false};
    std::atomic<bool> awaitingBreakOffStart_{false};
    std::atomic<bool> breakOffStart_{false};
    std::mutex fieldsMutex_;
    QString breakDownField_;
    QString breakOffField_;
};

}  // namespace krx
