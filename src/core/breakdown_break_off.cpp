// SPDX-License-Identifier: GPL-3.0-or-later
// After the break-down: the wait for the break-off start, the break-off phase, and the result hold
// in which the result is saved.
#include "core/breakdown_state.h"

#include "core/csv_appender.h"
#include "device/decode.h"
#include "device/protocol.h"

#include <QCoreApplication>

namespace krx {

using namespace breakdown;

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
    listener_.Caption(BreakDownPart::Start, QCoreApplication::translate("Procedures", "Start Break-Off"));
    listener_.Caption(BreakDownPart::Timers, QCoreApplication::translate("Procedures", "Break-Off resistance"));
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
    listener_.Label(QCoreApplication::translate("Procedures", "Break-Off Measurement in progress !"), false);
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
    listener_.Label(QCoreApplication::translate("Procedures", "Break-OFF !"), false);
    Line(QCoreApplication::translate("Procedures", "Wait 5 Sec."));
    host_.Pause(kBreakOffSettleMs);
    ReadValues(s);
    Lines(BreakOffBlock(s.values));
    s.breakOffDone = true;
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

}  // namespace krx
