// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one clock of the program. Every pause and every reading of the high-resolution counter goes
// through it, so that tests can run minutes of meter time in milliseconds on a virtual clock.

#include <functional>

namespace krx {

class Clock {
public:
    virtual ~Clock() = default;
    // Blocks for the given milliseconds (a pause towards the meter).
    virtual void Sleep(int ms) = 0;
    // Seconds of a monotonic high-resolution counter; only differences are meaningful.
    virtual double Seconds() = 0;
    // False when the machine has no high-resolution counter.
    virtual bool HasCounter() const { return true; }
    // False for a clock whose time moves only when somebody sleeps (the tests' virtual clock).
    virtual bool SleepsForReal() const { return true; }
};

// Sleeps for real on the steady clock (the procedures run on a thread of their own, so nothing
// else waits for the pause).
class SteadyClock : public Clock {
public:
    void Sleep(int ms) override;
    double Seconds() override;
};

// Time advances only when somebody sleeps or advances it.
class VirtualClock : public Clock {
public:
    void Sleep(int ms) override;
    double Seconds() override { return now_; }
    bool SleepsForReal() const override { return false; }
    void Advance(double seconds) { now_ += seconds; }
    // Total of all Sleep calls, for assertions on pacing.
    long long SleptMs() const { return slept_ms_; }

private:
    double now_ = 1000.0;  // not 0, so that code never relies on a zero start
    long long slept_ms_ = 0;
};

Clock& TheClock();
// Seconds of the clock's high-resolution counter, -1.0 without one.
double CounterSeconds();
// Installs a clock (not owned); nullptr restores the process' steady clock.
void SetClock(Clock* clock);
SteadyClock& TheSteadyClock();

}  // namespace krx
