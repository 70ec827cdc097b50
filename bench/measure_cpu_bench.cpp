// SPDX-License-Identifier: GPL-3.0-or-later
// Processor time of the program while a free-running cycle measures, and while the measurement
// window waits for a button, on the real clock against the simulated meter.
//   bench_measure_cpu [READINGS=60] [IDLE_SECONDS=30]
#include "measure_bench.h"

#include <QEventLoop>

#include <cstdlib>

using namespace krx;
using namespace krx::bench;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::atoi(argv[1]) : 60;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
    MeasureBench bench;

    // The window after Break, blocked in the event loop until something happens.
    const double idleCpu0 = CpuSeconds();
    const double idleWall0 = TheClock().Seconds();
    QEventLoop idle;
    QTimer::singleShot(idleSeconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    const double idleShare = (CpuSeconds() - idleCpu0) / (TheClock().Seconds() - idleWall0);

    const double wall = bench.RunCycle(readings);
    const double measuringShare = (CpuSeconds() - bench.cpuAtFirst) / wall;

    std::printf("measuring (%d readings, %.1f s): %.3f %% of a core\n", readings, wall, 100.0 * measuringShare);
    std::printf("window waiting (%d s): %.3f %% of a core\n", idleSeconds, 100.0 * idleShare);
    return 0;
}
