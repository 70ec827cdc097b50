// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/clock.h"

#include <chrono>
#include <thread>

namespace krx {

void SteadyClock::Sleep(int ms)
{
    if (ms <= 0)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double SteadyClock::Seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void VirtualClock::Sleep(int ms)
{
    if (ms <= 0)
        return;
    now_ += ms / 1000.0;
    slept_ms_ += ms;
}

namespace {
Clock* g_clock = nullptr;
}

SteadyClock& TheSteadyClock()
{
    static SteadyClock clock;
    return clock;
}

Clock& TheClock()
{
    return g_clock ? *g_clock : TheSteadyClock();
}

double CounterSeconds()
{
    Clock& clock = TheClock();
    return clock.HasCounter() ? clock.Seconds() : -1.0;
}

void SetClock(Clock* clock)
{
    g_clock = clock;
}

}  // namespace krx
