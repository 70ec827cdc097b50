// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/breakdown_test.h"

#include "core/csv_appender.h"

#include "device/clock.h"
#include "core/localetext.h"
#include "device/decode.h"
#include "device/protocol.h"

#include <QDateTime>

#include <cmath>

namespace krx {

namespace {

// Positions in the bit text of the event byte (1-based).
constexpr int kNewValues = 9;   // b0: new intermediate values
constexpr int kBreakDown = 8;   // b1
constexpr int kBreakOff = 7;    // b2
constexpr int kPhaseEnded = 4;  // b4: the phase's timer ran out without its event

// The bar counts the seconds of a poll until the first new values set it to the timer.
constexpr int kPollSteps = 20;

const QString kSetUpTitle = QStringLiteral("Setup timers Break-Down/Break-Off resistance");

// Truncation of counter readings. The grace of a microsecond keeps a sum of pauses that lands a
// hair below a whole second (1011.9999999) from counting as the second before, which would end
// the next wait at once.
double WholeSeconds(double seconds)
{
    return seconds < 0 ? seconds : std::floor(seconds + 1e-6);
}

long long WholeMilliseconds(double seconds)
{
    return static_cast<long long>(std::floor(seconds * 1000.0 + 1e-6));
}

QString TimeNow()
{
    return LongTime(QDateTime::currentDateTime());
}

}  // namespace

struct BreakDownTest::State {
    int breakDownTimer = 0;
    int breakOffTimer = 0;
    int lost = 0;  // the first set-up or start command the meter did not take
    int progress = 1;
    BreakDownReport values;
    bool firstPass = true;
    bool breakDownDone = false;
    bool noBreakDown = false;
    bool breakOffDone = false;
    bool noBreakOff = false;
    QString bits;
    int failedPolls = 0;
};

void BreakDownTest::Arm()
{
    stop_ = false;
    leave_ = false;
    save_ = false;
    saveDone_ = false;
    awaitingBreakDownStart_ = false;
    breakDownStart_ = false;
    awaitingBreakOffStart_ = false;
    breakOffStart_ = false;
}

void BreakDownTest::RequestStart(const QString& breakDownField, const QString& breakOffField)
{
    {
        std::lock_guard lock(fieldsMutex_);
        breakDownField_ = breakDownField;
        breakOffField_ = breakOffField;
    }
    if (awaitingBreakDownStart_)
        breakDownStart_ = true;
    if (awaitingBreakOffStart_)
        breakOffStart_ = true;
    host_.Notify();
}

void BreakDownTest::RequestStop()
{
    stop_ = true;
    host_.Notify();
}

void BreakDownTest::RequestSave()
{
    save_ = true;
    host_.Notify();
}

void BreakDownTest::RequestLeave()
{
    leave_ = true;
    stop_ = true;
    host_.Notify();
}

void BreakDownTest::SaveDone(int result)
{
    saveResult_ = result;
    saveDone_ = true;
    host_.Notify();
}

BreakDownResult BreakDownTest::Run(const BreakDownOptions& options)
{
    options_ = options;
    State s;
    BreakDownResult r = Body(s);
    r.left = leave_;
    r.saveable = s.breakDownDone;
    r.values = SaveOf(s, s.breakOffDone || s.noBreakOff);
    return r;
}

BreakDownResult BreakDownTest::Body(State& s)
{
    SetUp(s);
    if (!WaitForBreakDownStart(s)) {
        End();
        return {};
    }
    StartBreakDown(s);
    BreakDownResult ended;
    if (!BreakDownPhase(s, ended))
        return ended;
    // Hb. The break-off timer ran out without a break-off.
    if (s.noBreakOff) {
        listener_.Label(QStringLiteral("No Break-OFF !"), false);
        listener_.Shown(BreakDownPart::Progress, false);
        ReadValues(s);
        Lines(NoBreakOffBlock(s.values));
    }
    ResultHold(s);
    End();
    return {};
}

// A. Set-up: the meter's timers into the fields, remote mode 30.
void BreakDownTest::SetUp(State& s)
{
    listener_.MemoCleared();
    // A meter plugged in again since the last command is reached only through a new open: open
    // afresh and read once more rather than offer timers of 0.
    Result<Timers> timers = meter_.ReadTimers();
    if (!timers) {
        meter_.Connect();
        timers = meter_.ReadTimers();
    }
    s.breakDownTimer = timers.value_or({}).breakDown;
    s.breakOffTimer = timers.value_or({}).breakOff;
    // The last test's clean-up did not reach the meter, which may still be in one of its phases and
    // would take the next start for the wrong one.
    if (meterResetLost_)
        meterResetLost_ = !meter_.WriteControl(protocol::kControlReset);
    // Set before Start is offered, so that a press on another thread always counts.
    awaitingBreakDownStart_ = true;
    listener_.TimerFields(s.breakDownTimer, s.breakOffTimer);

    listener_.Shown(BreakDownPart::RangeGroup, false);
    listener_.Enabled(BreakDownPart::Save, false);
    listener_.Shown(BreakDownPart::Timers, true);
    listener_.Shown(BreakDownPart::TimerFields, true);
    listener_.Caption(BreakDownPart::Start, QStringLiteral("Start Break-Down"));
    listener_.Enabled(BreakDownPart::Start, true);
    listener_.Caption(BreakDownPart::Timers, kSetUpTitle);
    // Stop is usable before the start: with the other buttons locked it is the way out.
    listener_.Enabled(BreakDownPart::Stop, true);

    s.lost = CodeOf(meter_.SetRemoteMode(protocol::kModeBreakDown));
    s.progress = 1;
    listener_.ProgressMaximum(kPollSteps);
}

// B. Waits for Start until both timer fields hold a usable number of seconds; false on Stop.
bool BreakDownTest::WaitForBreakDownStart(State& s)
{
    for (;;) {
        host_.WaitUntil([this] { return breakDownStart_ || stop_; });
        // Start begins a new report.
        if (breakDownStart_)
            listener_.MemoCleared();
        host_.Yield();
        if (stop_)
            return false;
        if (ReadTimerFields(s)) {
            awaitingBreakDownStart_ = false;
            return true;
        }
        breakDownStart_ = false;
        listener_.Caption(BreakDownPart::Timers, kSetUpTitle);
        listener_.Enabled(BreakDownPart::Start, true);
    }
}

// Both fields must hold whole seconds the meter's 16-bit timers and the four-digit fields can take;
// anything else is said plainly and the test waits for the next Start.
bool BreakDownTest::ReadTimerFields(State& s)
{
    QString breakDownText;
    QString breakOffText;
    {
        std::lock_guard lock(fieldsMutex_);
        breakDownText = breakDownField_;
        breakOffText = breakOffField_;
    }
    struct Field {
        QString name;
        QString text;
        int* value;
    };
    for (const Field& f : {Field{QStringLiteral("BD Timer (Sec.)"), breakDownText, &s.breakDownTimer},
                           Field{QStringLiteral("BO Timer (Sec.)"), breakOffText, &s.breakOffTimer}}) {
        const QString text = f.text.trimmed();
        int seconds = 0;
        bool ok = true;
        try {
            seconds = ToInt(text);
        } catch (const ConversionError&) {
            ok = false;
        }
        if (!ok || seconds < 1 || seconds > kLongestTimer) {
            host_.Person().Message(QStringLiteral("%1: \"%2\" is not a timer. Enter whole seconds from 1 to %3.")
                                       .arg(f.name, text)
                                       .arg(kLongestTimer),
                                   QStringLiteral("Error"), Buttons::Ok, Icon::Warning);
            return false;
        }
        *f.value = seconds;
    }
    return true;
}

// C. Start of the break-down phase.
void BreakDownTest::StartBreakDown(State& s)
{
    const int timersWritten = CodeOf(meter_.WriteBreakTimers(s.breakDownTimer, s.breakOffTimer));
    if (s.lost > 0)
        s.lost = timersWritten;
    listener_.Shown(BreakDownPart::TimerFields, false);
    host_.Pause(options_.commandPause);
    listener_.Shown(BreakDownPart::Progress, true);
    listener_.Label(QStringLiteral("Break-Down Measurement in progress !"), true);
    listener_.Enabled(BreakDownPart::Stop, true);
    const int started = CodeOf(meter_.Start());
    if (s.lost > 0)
        s.lost = started;
    if (s.lost < 1)
        SayCommandLost(s.lost);
    host_.Yield();
    host_.Pause(100);

    ReadValues(s);
    Line(QStringLiteral("Start Break-Down Measuring !"));
    Separator();
    host_.Yield();
}

// D. The break-down phase, one iteration per whole second of the counter. False when the test
// ended inside it; `ended` says how.
bool BreakDownTest::BreakDownPhase(State& s, BreakDownResult& ended)
{
    while (!s.breakDownDone && !stop_) {
        if (s.firstPass)
            Countdown(s);
        Progress(s.progress);
        ++s.progress;
        const double secondMark = WholeSeconds(CounterSeconds());

        Seen(s, ReadEventBits(s));
        if (options_.testMode)
            Line(EventLine(false, s.bits, TimeNow()));
        host_.Yield();
        if (BitSet(s.bits, kPhaseEnded))
            s.noBreakDown = true;
        if (BitSet(s.bits, kNewValues))
            NewValues(s);
        if (s.noBreakDown) {
            NoBreakDown();
            continue;
        }
        if (BitSet(s.bits, kBreakDown) && !BreakDown(s, ended))
            return false;
        WaitForWholeSecond(secondMark);
    }
    return true;
}

// D1. About 11 s before the first values; no yield, as the meter is not to be stopped in them.
void BreakDownTest::Countdown(State& s)
{
    listener_.ProgressMaximum(kCountdownSteps);
    for (int step = 0; step <= kCountdownSteps; ++step) {
        Progress(step);
        host_.Pause(1000);
    }
    ReadValues(s);
    IntermediateValues(s);
    s.firstPass = false;
    listener_.ProgressMaximum(kPollSteps);
}

// The meter has new intermediate values: from now on the bar counts towards the timer.
void BreakDownTest::NewValues(State& s)
{
    host_.Pause(options_.commandPause);
    ReadValues(s);
    s.progress = 1;
    listener_.ProgressMaximum(s.breakDownTimer);
    IntermediateValues(s);
    host_.Pause(options_.commandPause);
    host_.Yield();
}

// E1. No break-down: the meter's timer ran out. Nothing to save; waits for Stop.
void BreakDownTest::NoBreakDown()
{
    listener_.Shown(BreakDownPart::Progress, false);
    stop_ = leave_.load();
    listener_.Label(QStringLiteral("No Break-Down !"), false);
    Line(QStringLiteral("No Break-Down !"));
    Separator();
    host_.WaitUntil([this] { return stop_.load(); });
    host_.Yield();
}

// E2. Break-down: climate and values read, the break-down acknowledged, then the break-off.
bool BreakDownTest::BreakDown(State& s, BreakDownResult& ended)
{
    host_.Pause(100);
    listener_.Label(QStringLiteral("Break-Down !"), true);
    const Result<Climate> climate = meter_.ReadClimate();
    if (!climate && climate.error().error == DeviceError::UnreadableReply) {
        // Said, and the meter left as after a Stop.
        host_.Person().ShowError(UnreadableText(climate.error()));
        End();
        ended.outcome = BreakDownOutcome::Unreadable;
        return false;
    }
    if (climate) {
        s.values.humidity = climate->humidity;
        s.values.temperature = climate->temperature;
    }
    const int result = ReadValues(s);
    if (result < 1) {
        ended.outcome = BreakDownOutcome::ConnectionLost;
        ended.code = result;
        return false;
    }
    host_.Pause(options_.commandPause);
    // Acknowledges the break-down; without it the meter would take the break-off start for a new
    // break-down phase.
    const int acknowledged = CodeOf(meter_.WriteControl(protocol::kControlAcknowledge));
    if (acknowledged < 1)
        SayCommandLost(acknowledged);
    host_.Pause(options_.commandPause);
    ReadEventBits(s);
    Separator();
    Lines(BreakDownBlock(s.values));
    s.breakDownDone = true;

    WaitForBreakOffStart(s);
    if (breakOffStart_)
        BreakOffPhase(s);
    return true;
}

// F. The break-down result shown; waits for the break-off start. Save keeps the result so far.
void BreakDownTest::WaitForBreakOffStart(State& s)
{
    // The requests are cleared before Start is offered and before the yield, so that a Start
    // pressed there counts.
    breakOffStart_ = false;
    stop_ = leave_.load();
    awaitingBreakOffStart_ = true;
    listener_.Shown(BreakDownPart::Timers, true);
    listener_.Enabled(BreakDownPart::Save, true);
    listener_.Enabled(BreakDownPart::Start, true);
    listener_.Caption(BreakDownPart::Start, QStringLiteral("Start Break-Off"));
    listener_.Caption(BreakDownPart::Timers, QStringLiteral("Break-Off resistance"));
    listener_.Shown(BreakDownPart::TimerFields, false);
    listener_.Shown(BreakDownPart::Progress, false);
    host_.Yield();

    for (;;) {
        host_.WaitUntil([this] { return breakOffStart_ || stop_ || save_; });
        host_.Yield();
        if (save_)
            SaveResult(s, false);
        if (breakOffStart_ || stop_)
            return;
    }
}

// G. The break-off phase, one poll per second.
void BreakDownTest::BreakOffPhase(State& s)
{
    listener_.Label(QStringLiteral("Break-Off Measurement in progress !"), false);
    listener_.ProgressMaximum(s.breakOffTimer);
    listener_.Shown(BreakDownPart::Progress, true);
    listener_.Enabled(BreakDownPart::Save, false);
    s.breakOffDone = false;
    s.noBreakOff = false;
    stop_ = leave_.load();
    host_.Pause(options_.commandPause);
    const int started = CodeOf(meter_.Start());
    if (started < 1)
        SayCommandLost(started);
    s.progress = 1;
    while (!stop_ && !s.breakOffDone && !s.noBreakOff) {
        const QString time = TimeNow();
        host_.PauseUnless(1000, [this] { return stop_.load(); });
        Progress(s.progress);
        ++s.progress;
        Seen(s, ReadEventBits(s));
        if (options_.testMode)
            Line(EventLine(true, s.bits, time));
        host_.Yield();
        if (BitSet(s.bits, kPhaseEnded))
            s.noBreakOff = true;
        if (BitSet(s.bits, kBreakOff))
            BreakOff(s);
        host_.Yield();
    }
}

// Ha. Break-off: the meter settles its values first.
void BreakDownTest::BreakOff(State& s)
{
    listener_.Shown(BreakDownPart::Progress, false);
    listener_.Label(QStringLiteral("Break-OFF !"), false);
    Line(QStringLiteral("Wait 5 Sec."));
    host_.Pause(kBreakOffSettleMs);
    ReadValues(s);
    Lines(BreakOffBlock(s.values));
    s.breakOffDone = true;
}

// D10. On to the next whole second of the counter. A Stop cuts the wait short, so that the test
// does not run a second past it.
void BreakDownTest::WaitForWholeSecond(double secondMark)
{
    host_.Yield();
    const auto stopped = [this] { return stop_.load(); };
    if (secondMark < 0) {
        host_.PauseUnless(1000, stopped);  // no high-resolution counter: a plain second
        return;
    }
    for (;;) {
        const long long elapsedMs = WholeMilliseconds(CounterSeconds() - secondMark);
        if (elapsedMs >= 1000)
            return;
        host_.PauseUnless(static_cast<int>(1000 - elapsedMs), stopped);
        host_.Yield();
        if (stop_)
            return;
    }
}

// I. Result hold: the result can be saved as often as wanted until Stop.
void BreakDownTest::ResultHold(State& s)
{
    listener_.Enabled(BreakDownPart::Save, true);
    meter_.SetRemoteMode(protocol::kModeBreakDownDone);
    while (!stop_) {
        host_.WaitUntil([this] { return stop_ || save_; });
        host_.Yield();
        if (save_)
            SaveResult(s, true);
    }
}

// J. Clean-up: the meter back to the set-up mode, the report stays in the memo.
void BreakDownTest::End()
{
    listener_.Label(QString(), false);
    meterResetLost_ = !meter_.WriteControl(protocol::kControlReset);
    listener_.Shown(BreakDownPart::Timers, false);
    listener_.Enabled(BreakDownPart::Stop, false);
    listener_.Shown(BreakDownPart::Progress, false);
    listener_.ProgressValue(0);
    meter_.SetRemoteMode(protocol::kModeBreakDown);
}

// The window writes the result and answers; a save before the break-off is confirmed, and the
// meter gets its pause before the next command.
void BreakDownTest::SaveResult(State& s, bool final)
{
    saveDone_ = false;
    listener_.Save(SaveOf(s, final));
    host_.WaitUntil([this] { return saveDone_.load(); });
    if (!final && saveResult_ == 0) {
        host_.Person().Message(SaveSuccessText(), QString(), Buttons::Ok);
    } else if (final) {
        // This save has no success box; characters written as "?" are still worth a word.
        if (const QString note = TakeReplacementNote(); !note.isEmpty())
            host_.Person().Message(note, QString(), Buttons::Ok);
    }
    save_ = false;
    if (!final)
        host_.Pause(options_.commandPause);
}

BreakDownSave BreakDownTest::SaveOf(const State& s, bool withBreakOff)
{
    BreakDownSave v;
    v.temperature = static_cast<float>(s.values.temperature);
    v.humidity = s.values.humidity;
    v.breakDownTimer = s.breakDownTimer;
    v.voltage = s.values.voltage;
    v.resistanceBeforeMOhm = KOhmToMOhm(s.values.resistanceBefore);
    v.resistanceAfterBDMOhm = KOhmToMOhm(s.values.resistanceAfterBD);
    v.resistanceBeforeKOhm = s.values.resistanceBefore;
    v.resistanceAfterBDKOhm = s.values.resistanceAfterBD;
    if (withBreakOff) {
        v.resistanceAfterBOMOhm = KOhmToMOhm(s.values.resistanceAfterBO);
        v.resistanceAfterBOKOhm = s.values.resistanceAfterBO;
        v.breakOffTime = s.values.breakOffTime;
    }
    return v;
}

// A failed transfer leaves the values zero, as the reply buffer was; an open that failed leaves
// them as they are.
int BreakDownTest::ReadValues(State& s)
{
    const Result<BreakDownValues> got = meter_.ReadBreakDownValues();
    if (got || got.error().Sent()) {
        const BreakDownValues v = got.value_or({});
        s.values.voltage = v.voltage;
        s.values.resistanceBefore = v.resistanceBefore;
        s.values.resistanceAfterBD = v.resistanceAfterBD;
        s.values.resistanceAfterBO = v.resistanceAfterBO;
        s.values.breakOffTime = v.breakOffTimer;
    }
    return CodeOf(got);
}

// The event byte as bit text; a failed transfer reads as zeros, an open that failed leaves the text.
int BreakDownTest::ReadEventBits(State& s)
{
    const Result<std::uint8_t> event = meter_.ReadEvent();
    if (event || event.error().Sent())
        s.bits = BitText(event.value_or(0));
    return CodeOf(event);
}

// Counts failed event polls and says once per outage that the meter has gone silent; the test
// goes on polling, so a meter that answers again carries on.
void BreakDownTest::Seen(State& s, int result)
{
    if (result > 0) {
        s.failedPolls = 0;
        return;
    }
    if (++s.failedPolls == kSilentPolls)
        host_.Person().Message(QStringLiteral("The KRX 738 does not answer (error %1). The test goes on when it "
                                              "answers again; press Stop to end it. If the meter still shows a "
                                              "test running, stop it at the meter.")
                                   .arg(result),
                               QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

// A set-up or start command the meter did not take: the window would go on saying "in progress"
// for a test that never runs at the meter.
void BreakDownTest::SayCommandLost(int result)
{
    host_.Person().Message(QStringLiteral("The KRX 738 did not take the command (error %1), so the test may not be "
                                          "running at the meter. Press Stop, check the connection and start the "
                                          "test again.")
                               .arg(result),
                           QStringLiteral("Error"), Buttons::Ok, Icon::None);
}

void BreakDownTest::IntermediateValues(const State& s)
{
    Lines({VoltMeasLine(s.values.voltage), ResistanceLine(s.values.resistanceBefore), SeparatorLine()});
}

void BreakDownTest::Separator()
{
    Line(SeparatorLine());
}

void BreakDownTest::Progress(int value)
{
    listener_.ProgressValue(value);
}

}  // namespace krx
