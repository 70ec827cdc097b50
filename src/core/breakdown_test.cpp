// SPDX-License-Identifier: GPL-3.0-or-later
// The procedure's frame: the requests it takes, its run from set-up to clean-up, and the meter reads
// and messages every step shares.
#include "core/breakdown_state.h"

#include "core/localetext.h"
#include "device/decode.h"
#include "device/protocol.h"

#include <QCoreApplication>

namespace krx {

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
        listener_.Label(QCoreApplication::translate("Procedures", "No Break-OFF !"), false);
        listener_.Shown(BreakDownPart::Progress, false);
        ReadValues(s);
        Lines(NoBreakOffBlock(s.values));
    }
    ResultHold(s);
    End();
    return {};
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
        host_.Person().Message(QCoreApplication::translate("Procedures", "The KRX 738 does not answer (error %1). The test goes on when it "
                                              "answers again; press Stop to end it. If the meter still shows a "
                                              "test running, stop it at the meter.")
                                   .arg(result),
                               QCoreApplication::translate("Procedures", "Error"), Buttons::Ok, Icon::None);
}

// A set-up or start command the meter did not take: the window would go on saying "in progress"
// for a test that never runs at the meter.
void BreakDownTest::SayCommandLost(int result)
{
    host_.Person().Message(QCoreApplication::translate("Procedures", "The KRX 738 did not take the command (error %1), so the test may not be "
                                          "running at the meter. Press Stop, check the connection and start the "
                                          "test again.")
                               .arg(result),
                           QCoreApplication::translate("Procedures", "Error"), Buttons::Ok, Icon::None);
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
