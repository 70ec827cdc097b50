// SPDX-License-Identifier: GPL-3.0-or-later
// The longest time the measurement window went without painting during a free-running cycle: a
// probe asks for a repaint every 5 ms and the gaps between the paints that follow are measured,
// from Start (with the stabilisation wait) to Break.
//   bench_measure_paint [READINGS=60]
#include "app_windows.h"
#include "measure_bench.h"

#include <QEvent>

#include <cstdlib>

using krx::test::MeasWin;
using namespace krx;
using namespace krx::bench;

namespace {
class PaintWatch : public QObject {
public:
    std::vector<double> at;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == MeasWin())
            at.push_back(TheClock().Seconds());
        return false;
    }
};
}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::atoi(argv[1]) : 60;
    MeasureBench bench;

    PaintWatch watch;
    MeasWin()->installEventFilter(&watch);
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [] { MeasWin()->update(); });
    probe.start();
    const double start = TheClock().Seconds();
    bench.RunCycle(readings);
    const double end = TheClock().Seconds();

    std::vector<double> gaps;
    double prev = start;
    for (double t : watch.at) {
        gaps.push_back((t - prev) * 1000.0);
        prev = t;
    }
    gaps.push_back((end - prev) * 1000.0);
    const Stats g = Summarise(gaps);
    std::printf("cycle of %.1f s, %zu paints: gap between paints mean %.2f ms, p99 %.2f ms, longest %.2f ms\n",
                end - start, watch.at.size(), g.mean, g.p99, g.max);
    return 0;
}
