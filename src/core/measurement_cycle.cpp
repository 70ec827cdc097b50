// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/measurement_cycle.h"

#include "device/clock.h"
#include "core/localetext.h"
#include "device/protocol.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <optional>

namespace krx {

namespace {
// Longest sleep of the interval wait: Break acts within this time, and a core is not kept busy.
constexpr int kIntervalSliceMs = 10;

CycleResult Lost(int code)
{
    return {CycleOutcome::ConnectionLost, code};
}
}  // namespace

void MeasurementCycle::SendBreakStops(MeterCommands& meter)
{
    meter.Stop();
    TheClock().Sleep(kBreakStopPauseMs);
    meter.Stop();
}

CycleResult MeasurementCycle::Run(const CycleOptions& o)
{
    host_.Yield();
    Configure(o);
    const CycleResult waited = WaitForStableVoltage(o);
    if (waited.outcome != CycleOutcome::Ended)
        return waited;
    return ReadingLoop(o);
}

void MeasurementCycle::EnterFreeRunning(const CycleOptions& o, bool newOrigin)
{
    host_.Pause(o.commandPause);
    // A meter plugged in again since the last command is reached only through a new open;
    // without mode 6 it would never measure, and the wait would end in "no stable voltage".
    if (!meter_.SetRemoteMode(protocol::kModeMeasure)) {
        meter_.Connect();
        meter_.SetRemoteMode(protocol::kModeMeasure);
    }
    if (newOrigin)
        listener_.VoltageApplied();
    host_.Pause(o.commandPause);
}

void MeasurementCycle::Configure(const CycleOptions& o)
{
    // Free-running measurement starts with remote mode 6; then the options of the window.
    if (!o.timerMode)
        EnterFreeRunning(o);
    meter_.WriteMeasuringSetup(o.setup);
    host_.Pause(o.commandPause);

    // Timer mode: the meter measures for T seconds from the start command.
    if (o.timerMode) {
        meter_.SetRemoteMode(protocol::kModeMeasureTimer);
        host_.Pause(kSetupPauseMs);
        meter_.WriteMeasuringTimer(o.timerSeconds);
        host_.Pause(kSetupPauseMs);
        meter_.Start();
        listener_.TimerStarted(o.timerSeconds);
    }
}

CycleResult MeasurementCycle::WaitForStableVoltage(const CycleOptions&)
{
    std::optional<StatusByte> status;  // none until the meter has answered once
    int attempts = 0;
    bool stable = false;
    do {
        host_.Pause(kSetupPauseMs);
        listener_.WaitHint(true);
        host_.Yield();
        host_.Pause(kSetupPauseMs);
        listener_.WaitHint(false);
        host_.Yield();
        ++attempts;
        if (!running_)
            attempts = kStabiliseAttempts;
        const Result<StatusByte> read = meter_.ReadStatus();
        if (!read && read.error().code < 0)
            return Lost(read.error().code);
        // A transfer that failed reads as zeros; an open that failed leaves what was there.
        if (read || read.error().Sent())
            status = read.value_or({});
        if (!status) {
            host_.Person().ShowError(QCoreApplication::translate("Procedures", "The KRX 738 did not answer the status request."));
            return {CycleOutcome::NoStatusAnswer, 0};
        }
        stable = status->Stable();
    } while (!stable && attempts < kStabiliseAttempts);

    // Also after Break: the voltage did not settle while we waited.
    if (attempts >= kStabiliseAttempts) {
        host_.Person().Message(QCoreApplication::translate("Procedures", "Measuring voltage can not be stabilized. Process is aborted!"),
                               QCoreApplication::translate("Procedures", "!! No stable voltage !!"), Buttons::Ok, Icon::None);
        listener_.MeasuringStarted();
        return {CycleOutcome::NoStableVoltage, 0};
    }
    listener_.MeasuringStarted();
    return {};
}

bool MeasurementCycle::ReadValues(const CycleOptions& o, CycleIteration& pass, bool& fresh, CycleResult& lost)
{
    const Result<MeasuredValue> measured = meter_.ReadMeasuredValue();
    // An unreadable reply is said and is no reading: the record keeps its values and time.
    if (!measured && measured.error().error == DeviceError::UnreadableReply) {
        host_.Person().ShowError(UnreadableText(measured.error()));
        fresh = false;
        return true;
    }
    if (!measured) {
        lost = Lost(measured.error().code);
        return false;
    }
    host_.Pause(o.commandPause);
    const Result<int> volts = meter_.ReadMeasuringVoltage();
    if (!volts && volts.error().error == DeviceError::UnreadableReply) {
        host_.Person().ShowError(UnreadableText(volts.error()));
        fresh = false;
        return true;
    }
    if (!volts) {
        lost = Lost(volts.error().code);
        return false;
    }
    pass.value = *measured;
    pass.volts = *volts;
    pass.haveReading = true;
    fresh = true;
    return true;
}

CycleResult MeasurementCycle::ReadingLoop(const CycleOptions& o)
{
    CycleIteration pass;
    StatusByte status;
    double startTime = 0.0;
    while (running_) {
        ++pass.counter;
        listener_.PassStarted(pass.counter);
        const Result<StatusByte> read = meter_.ReadStatus();
        if (read || read.error().Sent())
            status = read.value_or({});
        pass.stable = status.Stable();
        host_.Yield();
        // A status byte that did not come says nothing about the meter's timer: zeros from a failed
        // read must not end a timer measurement that is still running, so the reading is taken (and
        // a meter that is gone ends it there, as in free running).
        const bool meterRunning = status.Running() || !read;
        bool fresh = read.ok();  // the timer's end still refreshes the record's time
        if (!meterRunning && o.timerMode) {
            host_.Pause(o.commandPause);
            meter_.Stop();
            running_ = false;
            pass.timerFinished = true;
            listener_.TimerFinished();
        }
        if (meterRunning || !o.timerMode) {
            startTime = CounterSeconds();
            host_.Pause(o.commandPause);
            CycleResult lost;
            if (!ReadValues(o, pass, fresh, lost))
                return lost;
        }
        pass.fresh = pass.haveReading && fresh;
        pass.at = QDateTime::currentDateTime();
        listener_.Iteration(pass);
        if (pass.fresh)
            host_.Pause(o.commandPause);
        host_.Yield();

        if (o.timerMode)
            listener_.RestTime(meter_.ReadRestTime().value_or(0));
        if (running_)
            WaitForInterval(startTime, o.samplingTimeMs);
    }
    return {};
}

void MeasurementCycle::WaitForInterval(double startTime, std::int32_t samplingTimeMs)
{
    // Compared as unsigned 32-bit numbers: a negative setting waits until Break.
    const auto interval = static_cast<std::uint32_t>(samplingTimeMs);
    double lastElapsedMs = -1.0;
    for (;;) {
        // A nanosecond of slack absorbs the rounding of the counter's floating-point seconds.
        const double elapsedMs = (CounterSeconds() - startTime) * 1000.0 + 1e-6;
        auto elapsed = static_cast<std::uint32_t>(static_cast<std::int64_t>(elapsedMs));
        if (!running_)
            elapsed = interval;
        host_.Yield();
        if (elapsed >= interval)
            return;
        // Sleep in short slices towards the end of the interval, so that Break acts within a slice
        // and no core is kept busy; only the last fraction of a millisecond is watched on the
        // counter, as sleeps come in whole milliseconds. A counter that does not move on its own
        // (the virtual clock of the tests) is moved by sleeping.
        const double restMs = static_cast<double>(interval) - elapsedMs;
        if (restMs >= 1.0)
            host_.PauseUnless(static_cast<int>(std::min(std::floor(restMs), double(kIntervalSliceMs))),
                              [this] { return !running_; });
        else if (elapsedMs == lastElapsedMs)
            host_.Pause(1);
        lastElapsedMs = elapsedMs;
    }
}

}  // namespace krx
