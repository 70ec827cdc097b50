// SPDX-License-Identifier: GPL-3.0-or-later
// The meter's state: presence, the measurement and break-down phases, and the OUT requests that change them.
#include "sim/meter.h"

#include "device/clock.h"
#include "device/protocol.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace krx::sim {

using namespace protocol;

Meter::Meter(Scenario scenario) : s_(std::move(scenario))
{
    present_ = s_.present;
    setup0_ = s_.setup0;
    setup1_ = s_.setup1;
    timers_[0] = s_.measuringTimer;
    timers_[1] = s_.breakDownTimer;
    timers_[2] = s_.breakOffTimer;
    created_ = Now();
}

double Meter::Now() const
{
    return TheClock().Seconds();
}

void Meter::SetPresent(bool present)
{
    present_ = present;
    if (!present)
        opened_ = false;  // the host's handle is dead with the device
}

int Meter::Open()
{
    opened_ = false;
    if (!present_ || access_denied_)
        return 0;
    opened_ = true;
    return 1;
}

int Meter::OhmRecordsLeft() const
{
    return static_cast<int>(s_.ohmMemory.size() - std::min(ohm_pointer_, s_.ohmMemory.size()));
}

int Meter::NominalVolts() const
{
    if (setup0_ & kSetupAutoVoltage)
        return 500;  // the automatic function settles on 500 V for insulation of this class
    if (setup0_ & kSetup10V)
        return 10;
    if (setup0_ & kSetup100V)
        return 100;
    if (setup0_ & kSetup500V)
        return 500;
    if (setup0_ & kSetup1000V)
        return 1000;
    return 0;
}

bool Meter::Stable() const
{
    return measuring_ && RampElapsed() >= s_.stabiliseSeconds;
}

int Meter::ActualVolts() const
{
    if (!measuring_)
        return 0;
    const double ramp = std::max(s_.stabiliseSeconds * 0.8, 1e-9);
    const double fraction = std::min(1.0, RampElapsed() / ramp);
    return static_cast<int>(std::lround(NominalVolts() * fraction));
}

double Meter::ResistanceOhm() const
{
    if (NominalVolts() == 10 && s_.rAt10V)
        return *s_.rAt10V;
    if (NominalVolts() == 100 && s_.rAt100V)
        return *s_.rAt100V;
    // Dielectric absorption: the insulation resistance climbs towards its final value.
    const double t = measuring_ ? MeasureElapsed() : 0.0;
    const double tau = std::max(s_.tauSeconds, 1e-9);
    const double absorbed = s_.rInf - (s_.rInf - s_.r0) * std::exp(-t / tau);
    return absorbed * std::pow(1.0 - s_.leakageFallPerHundredVolts / 100.0, NominalVolts() / 100.0);
}

void Meter::StartMeasuring()
{
    measuring_ = true;
    meas_start_ = Now();
    ramp_start_ = meas_start_;
}

void Meter::UpdateTimer()
{
    if (timer_running_ && Now() - timer_start_ >= timer_seconds_) {
        timer_running_ = false;
        measuring_ = false;
    }
}

unsigned char Meter::StatusByte()
{
    UpdateTimer();
    unsigned char b = 0;
    if (measuring_) {
        const double r = ResistanceOhm();
        const double v = NominalVolts();
        if (r > s_.maxOhmPerVolt * v)
            b |= kStatusOverflow;
        if (r < s_.minOhmPerVolt * v)
            b |= kStatusUnderflow;
        if (Stable())
            b |= kStatusStable;
        b |= kStatusRunning;
    }
    if (s_.batteryEmpty)
        b |= kStatusBatteryEmpty;
    return b;
}

unsigned char Meter::EventByte()
{
    unsigned char b = 0;
    const double e = Now() - phase_start_;
    if (bd_phase_ == BdPhase::BreakDown) {
        if (!broke_down_ && !no_break_down_) {
            if (s_.breakDownAfter >= 0 && s_.breakDownAfter < timers_[1] && e >= s_.breakDownAfter)
                broke_down_ = true;
            else if (e >= timers_[1])
                no_break_down_ = true;
        }
        const long long second = static_cast<long long>(std::floor(e));
        if (second > last_new_values_second_ && !broke_down_ && !no_break_down_) {
            b |= kEventNewValues;  // the meter has measured again since the last read
            last_new_values_second_ = second;
        }
        if (broke_down_)
            b |= kEventBreakDown;
        if (no_break_down_)
            b |= kEventPhaseEnded;
    } else if (bd_phase_ == BdPhase::BreakOff) {
        if (!broke_off_ && !no_break_off_) {
            if (s_.breakOffAfter >= 0 && s_.breakOffAfter < timers_[2] && e >= s_.breakOffAfter) {
                broke_off_ = true;
                break_off_seconds_ = static_cast<int>(s_.breakOffAfter);
            } else if (e >= timers_[2]) {
                no_break_off_ = true;
            }
        }
        if (broke_off_)
            b |= kEventBreakOff;
        if (no_break_off_)
            b |= kEventPhaseEnded;
    }
    return b;
}

bool Meter::AcceptOut(int command, const unsigned char* d, int length)
{
    if (length < 1)
        return command == kApply;
    switch (command) {
    case kControl:
        switch (d[0]) {
        case kControlStart:
            if (remote_mode_ == kModeBreakDown || remote_mode_ == kModeBreakDownDone) {
                if (bd_phase_ == BdPhase::AwaitBreakOff) {
                    bd_phase_ = BdPhase::BreakOff;
                } else {
                    bd_phase_ = BdPhase::BreakDown;
                    broke_down_ = no_break_down_ = false;
                    last_new_values_second_ = 0;
                }
                broke_off_ = no_break_off_ = false;
                break_off_seconds_ = 0;
                phase_start_ = Now();
            } else {
                timer_seconds_ = timers_[0];
                timer_running_ = true;
                timer_start_ = Now();
                StartMeasuring();
            }
            return true;
        case kControlStop:
            timer_running_ = false;
            if (remote_mode_ != kModeMeasure)
                measuring_ = false;
            if (bd_phase_ == BdPhase::BreakDown || bd_phase_ == BdPhase::BreakOff)
                bd_phase_ = BdPhase::Stopped;
            return true;
        case kControlAcknowledge:
            if (bd_phase_ == BdPhase::BreakDown && broke_down_)
                bd_phase_ = BdPhase::AwaitBreakOff;
            return true;
        case kControlReset:
            bd_phase_ = BdPhase::Idle;
            return true;
        default:
            return true;
        }
    case kRemoteMode:
        remote_mode_ = d[0];
        if (remote_mode_ == kModeMeasure) {
            StartMeasuring();  // free-running: the meter measures as long as this mode holds
        } else if (remote_mode_ != kModeMeasureTimer) {
            measuring_ = false;
            timer_running_ = false;
        }
        return true;
    case kSetup:
        if (length < 2)
            return false;
        setup0_ = d[0];
        setup1_ = d[1];
        if (measuring_)
            ramp_start_ = Now();  // a new voltage ramps up again
        return true;
    case kApply:
        ++apply_count_;
        return true;
    case kTimerMeasure:
    case kTimerBreakDown:
    case kTimerBreakOff:
        if (length < 2)
            return false;
        timers_[command - kTimerMeasure] = (d[0] << 8) | d[1];
        return true;
    case kOhmRecord:
        if (d[0] == kEraseMemory) {
            s_.ohmMemory.clear();
            ohm_pointer_ = 0;
        }
        return true;
    case kBreakDownRecord:
        if (d[0] == kEraseMemory) {
            s_.breakDownMemory.clear();
            bd_pointer_ = 0;
        }
        return true;
    default:
        return false;
    }
}

int Meter::Transfer(int requestType, int request, int value, int index, unsigned char* data, int length)
{
    if (!present_ || !opened_)
        return kUsbErrorNoDevice;
    if (length < 0 || (length > 0 && !data))
        return kUsbErrorInvalidParam;
    if (index != kIndex)
        return kUsbErrorPipe;
    if (requestType == kRequestTypeIn && request == kRequestIn) {
        unsigned char reply[64] = {};
        const int size = ReplyIn(value, reply);
        if (size < 0)
            return kUsbErrorPipe;
        const int n = std::min(size, length);
        std::memcpy(data, reply, static_cast<size_t>(n));
        return n;
    }
    if (requestType == kRequestTypeOut && request == kRequestOut)
        return AcceptOut(value, data, length) ? length : kUsbErrorPipe;
    return kUsbErrorPipe;
}

}  // namespace krx::sim
