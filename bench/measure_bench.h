// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared set-up of the measurement benchmarks: the program's windows on the real clock against the
// simulated meter, their procedures on a device thread as in the program, and a free-running cycle
// ended by Break after a number of readings.

#include "app_windows.h"
#include "scripted_dialogs.h"

#include "ui/main_window.h"
#include "device/clock.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "ui/measurement/measurement_window.h"
#include "sim/sim_backend.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

using krx::test::MainWin;
using krx::test::MeasWin;

namespace krx::bench {

// Processor seconds (user + system) of this process so far.
inline double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec) + double(u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

inline int CountIn(int command)
{
    int n = 0;
    for (const auto& r : TheTransferLog().Records())
        n += r.kind == TransferRecord::In && r.value == command;
    return n;
}

class MeasureBench {
public:
    explicit MeasureBench(const QByteArray& settings = QByteArray("[KRX 738]\nSamplingTime=1000\n"))
    {
        dialogs_.echo = true;
        SetUsbBackend(std::make_unique<sim::SimBackend>(sim::Scenario::Default()));
        windows_ = std::make_unique<test::AppWindows>(QStringList{QStringLiteral("krx738")}, settings,
                                                      ProcedureRunner::Mode::DeviceThread);
        MainWin()->show();
        MainWin()->initButton->click();
        SpinUntil([] { return MainWin()->measuringButton->isEnabled(); });
        MainWin()->measuringButton->click();
        TheTransferLog().Clear();
    }
    ~MeasureBench()
    {
        windows_.reset();
        SetUsbBackend(nullptr);
    }

    // Runs one cycle and presses Break once `readings` values have been read. Returns the wall-clock
    // seconds from the first reading to Break.
    double RunCycle(int readings)
    {
        double first = -1.0;
        QTimer watch;
        watch.setInterval(50);  // looks only every 50 ms, so that the watch itself costs nothing
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const int n = CountIn(0);
            if (n >= 1 && first < 0) {
                first = TheClock().Seconds();
                cpuAtFirst = CpuSeconds();
            }
            if (n >= readings) {
                watch.stop();
                MeasWin()->breakButton->click();
            }
        });
        watch.start();
        MeasWin()->startButton->click();
        SpinUntil([] { return MeasWin()->startButton->isEnabled(); });
        return TheClock().Seconds() - first;
    }

    // Runs the program's own event loop until `done` holds (as the application would, between the
    // device thread's events).
    template <typename F>
    static void SpinUntil(F done)
    {
        QEventLoop loop;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (done())
                loop.quit();
        });
        look.start(50);  // seldom, so that the looking costs next to nothing
        loop.exec();
    }

    double cpuAtFirst = 0.0;

private:
    test::ScopedDialogs dialogs_;
    std::unique_ptr<test::AppWindows> windows_;
};

struct Stats {
    double mean = 0, p99 = 0, max = 0, min = 0;
};

inline Stats Summarise(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    s.mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    std::sort(v.begin(), v.end());
    s.min = v.front();
    s.max = v.back();
    s.p99 = v[std::min(v.size() - 1, size_t(std::ceil(0.99 * double(v.size()))) - 1)];
    return s;
}

}  // namespace krx::bench
