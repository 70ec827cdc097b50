// SPDX-License-Identifier: GPL-3.0-or-later
// The break-down phase: one poll of the event byte per whole second of the counter until the
// break-down comes or the meter's timer runs out.
#include "core/breakdown_state.h"

#include "core/localetext.h"
#include "device/clock.h"
#include "device/decode.h"
#include "device/protocol.h"

#include <QCoreApplication>
#include <cmath>

namespace krx {

namespace {

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

}  // namespace

using namespace breakdown;

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
    listener_.Label(QCoreApplication::translate("Procedures", "No Break-Down !"), false);
    Line(QCoreApplication::translate("Procedures", "No Break-Down !"));
    Separator();
    host_.WaitUntil([this] { return stop_.load(); });
    host_.Yield();
}

// E2. Break-down: climate and values read, the break-down acknowledged, then the break-off.
bool BreakDownTest::BreakDown(State& s, BreakDownResult& ended)
{
    host_.Pause(100);
    listener_.Label(QCoreApplication::translate("Procedures", "Break-Down !"), true);
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

}  // namespace krx
