// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A model of the meter: the state it keeps and how it answers each control transfer. Time comes
// from the process clock, so on a virtual clock a ten-minute measurement passes in no time.

#include "sim/sim_backend.h"

namespace krx::sim {

class Meter {
public:
    explicit Meter(Scenario scenario);

    // One vendor control transfer; the byte count or a negative libusb code, as the device would
    // give it (a request the meter does not know is stalled).
    int Transfer(int requestType, int request, int value, int index, unsigned char* data, int length);

    bool Present() const { return present_; }
    void SetPresent(bool present);
    bool Opened() const { return opened_; }
    // The open sequence of the host: drops a held connection, connects when present.
    int Open();
    // The host lets go of the meter.
    void Close() { opened_ = false; }
    void SetAccessDenied(bool denied) { access_denied_ = denied; }
    bool AccessDenied() const { return access_denied_; }

    // What tests look at.
    int RemoteMode() const { return remote_mode_; }
    unsigned char Setup0() const { return setup0_; }
    unsigned char Setup1() const { return setup1_; }
    int Timer(int which) const { return timers_[which]; }  // 0 measuring, 1 break-down, 2 break-off
    int ApplyCount() const { return apply_count_; }
    bool Measuring() const { return measuring_; }
    int OhmRecordsLeft() const;
    const Scenario& scenario() const { return s_; }
    Scenario& scenario() { return s_; }

    // Values at the present moment (also used by the reply encoders).
    double ResistanceOhm() const;
    int NominalVolts() const;
    int ActualVolts() const;
    bool Stable() const;
    unsigned char StatusByte();
    unsigned char EventByte();

private:
    double Now() const;
    double MeasureElapsed() const { return Now() - meas_start_; }
    double RampElapsed() const { return Now() - ramp_start_; }
    void StartMeasuring();
    void UpdateTimer();
    int ReplyIn(int command, unsigned char* reply);  // fills up to 32 bytes; returns the reply size
    bool AcceptOut(int command, const unsigned char* data, int length);

    Scenario s_;
    bool present_ = true;
    bool opened_ = false;
    bool access_denied_ = false;

    int remote_mode_ = 0;
    unsigned char setup0_ = 0, setup1_ = 0;
    int timers_[3] = {0, 0, 0};
    int apply_count_ = 0;

    bool measuring_ = false;
    double meas_start_ = 0.0;  // the dielectric has been charging since then
    double ramp_start_ = 0.0;  // the measuring voltage has been ramping since then
    bool timer_running_ = false;
    double timer_start_ = 0.0;
    int timer_seconds_ = 0;

    enum class BdPhase { Idle, BreakDown, AwaitBreakOff, BreakOff, Stopped };
    BdPhase bd_phase_ = BdPhase::Idle;
    double phase_start_ = 0.0;
    long long last_new_values_second_ = 0;
    bool broke_down_ = false, no_break_down_ = false, broke_off_ = false, no_break_off_ = false;
    int break_off_seconds_ = 0;

    size_t ohm_pointer_ = 0, bd_pointer_ = 0;
    double created_ = 0.0;
};

}  // namespace krx::sim
