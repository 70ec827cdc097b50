// SPDX-License-Identifier: GPL-3.0-or-later
// The steps before the break-down phase: the meter's timers into the fields, the wait for a Start
// with usable timers, and the start itself.
#include "core/breakdown_state.h"

#include "core/localetext.h"
#include "device/protocol.h"

#include <QCoreApplication>

namespace krx {

namespace {

const QString kSetUpTitle = QCoreApplication::translate("Procedures", "Setup timers Break-Down/Break-Off resistance");

}  // namespace

using breakdown::kPollSteps;

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
    listener_.Caption(BreakDownPart::Start, QCoreApplication::translate("Procedures", "Start Break-Down"));
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
    for (const Field& f : {Field{QCoreApplication::translate("Procedures", "BD Timer (Sec.)"), breakDownText, &s.breakDownTimer},
                           Field{QCoreApplication::translate("Procedures", "BO Timer (Sec.)"), breakOffText, &s.breakOffTimer}}) {
        const QString text = f.text.trimmed();
        int seconds = 0;
        bool ok = true;
        try {
            seconds = ToInt(text);
        } catch (const ConversionError&) {
            ok = false;
        }
        if (!ok || seconds < 1 || seconds > kLongestTimer) {
            host_.Person().Message(QCoreApplication::translate("Procedures", "%1: \"%2\" is not a timer. Enter whole seconds from 1 to %3.")
                                       .arg(f.name, text)
                                       .arg(kLongestTimer),
                                   QCoreApplication::translate("Procedures", "Error"), Buttons::Ok, Icon::Warning);
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
    listener_.Label(QCoreApplication::translate("Procedures", "Break-Down Measurement in progress !"), true);
    listener_.Enabled(BreakDownPart::Stop, true);
    const int started = CodeOf(meter_.Start());
    if (s.lost > 0)
        s.lost = started;
    if (s.lost < 1)
        SayCommandLost(s.lost);
    host_.Yield();
    host_.Pause(100);

    ReadValues(s);
    Line(QCoreApplication::translate("Procedures", "Start Break-Down Measuring !"));
    Separator();
    host_.Yield();
}

}  // namespace krx
