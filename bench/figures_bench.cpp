// SPDX-License-Identifier: GPL-3.0-or-later
// The insulation figures taken after every reading of a ten-hour run (36 000 readings at one a
// second), as a window does while it plots: processor time per reading, mean and worst.
#include "core/judging/insulation.h"

#include <chrono>
#include <cmath>
#include <cstdio>

int main()
{
    using Clock = std::chrono::steady_clock;
    constexpr int kReadings = 36000;
    krx::ReadingSeries series;
    double total = 0.0, worst = 0.0;
    double sink = 0.0;
    for (int i = 0; i < kReadings; ++i) {
        krx::DataRecord r;
        r.elapsedSeconds = 3.4 + i * 1.02;
        r.resistanceOhm = 4e10 - 3.98e10 * std::exp(-r.elapsedSeconds / 90.0);
        r.stable = true;
        r.temperature = 22.5;
        const auto t0 = Clock::now();
        series.Append(r);
        const krx::InsulationFigures f = series.Figures(krx::DarTimes::From30To60);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        sink += f.pi.value_or(0.0);
        total += us;
        worst = std::max(worst, us);
    }
    std::printf("readings: %d\nper reading: mean %.2f us, worst %.1f us\n(pi %.4f)\n", kReadings,
                total / kReadings, worst, sink / kReadings);
    return 0;
}
