// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement's plot and figures fed a long run: processor time per reading, the longest time
// the plot went without painting while readings came in, and resident memory before and after.
//   bench_record_view [READINGS=36000] [PACE_MS=0]
// PACE_MS 0 feeds one reading per turn of the event loop (as fast as the view takes them); more
// feeds one every PACE_MS. A probe asks the plot for a repaint every 5 ms, so a gap between paints
// is time the event loop was busy.
#include "measure_bench.h"

#include "ui/record/reading_plot.h"
#include "ui/record/record_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>

#include <unistd.h>

#include <cmath>
#include <cstdlib>

using namespace krx;
using namespace krx::bench;

namespace {

class PaintWatch : public QObject {
public:
    QElapsedTimer clock;
    qint64 last = -1;
    double longestMs = 0;
    long paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                longestMs = std::max(longestMs, double(now - last) / 1e6);
            last = now;
            ++paints;
        }
        return false;
    }
};

double ResidentMiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

DataRecord Reading(int i)
{
    DataRecord r;
    r.time = QDateTime::currentDateTime();
    r.elapsedSeconds = i;
    r.stable = i >= 3;
    r.volts = i < 3 ? 170 * i : 500;
    r.resistanceOhm = 4e10 - (4e10 - 2e8) * std::exp(-i / 90.0) * (1.0 + 0.02 * std::sin(i * 0.7));
    r.range = i % 5000 == 4999 ? RangeState::Over : RangeState::InRange;
    r.temperature = 22.5;
    r.humidity = 45;
    return r;
}

struct Figures {
    double seconds = 0, cpuMsPerReading = 0, longestGapMs = 0;
    long paints = 0;
};

// Feeds the run once; with `probe` the plot is asked to repaint every 5 ms, so that a gap between
// paints is time the event loop was busy (the probe's own repaints would swamp the processor time,
// so that is measured in a run without it).
Figures Feed(MeasurementRecordView& view, int readings, int paceMs, bool probe)
{
    view.Clear();
    PaintWatch watch;
    view.plot->viewport()->installEventFilter(&watch);
    QTimer repaint;
    repaint.setInterval(5);
    QObject::connect(&repaint, &QTimer::timeout, [&] { view.plot->viewport()->update(); });
    int fed = 0;
    QEventLoop loop;
    QTimer feeder;
    feeder.setInterval(paceMs);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        view.Add(Reading(fed++));
        if (fed == readings)
            loop.quit();
    });
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    watch.clock.start();
    if (probe)
        repaint.start();
    feeder.start();
    loop.exec();
    Figures f;
    f.cpuMsPerReading = 1000.0 * (CpuSeconds() - cpu0) / readings;
    f.seconds = double(wall.nsecsElapsed()) / 1e9;
    f.longestGapMs = watch.longestMs;
    f.paints = watch.paints;
    view.plot->viewport()->removeEventFilter(&watch);
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 36000;
    const int paceMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;

    MeasurementRecordView view;
    view.resize(1100, 440);
    view.show();
    QApplication::processEvents();
    const double rssBefore = ResidentMiB();
    const Figures plain = Feed(view, readings, paceMs, false);
    view.plot->Redraw();
    view.RefreshFigures();
    const double rssAfter = ResidentMiB();
    const Figures probed = Feed(view, readings, paceMs, true);

    // At the meter's pace every reading gets its own redraw, figures and paint: that is the cost
    // of one reading at the end of a long run.
    constexpr int kRealPaced = 100;
    const double cpuReal = CpuSeconds();
    for (int i = 0; i < kRealPaced; ++i) {
        view.Add(Reading(readings + i));
        view.plot->Redraw();
        view.RefreshFigures();
        view.plot->viewport()->repaint();
    }
    const double realMs = 1000.0 * (CpuSeconds() - cpuReal) / kRealPaced;

    std::printf("%d readings, pace %d ms: processor %.4f ms per reading (run of %.1f s, %ld paints); "
                "probed run of %.1f s: %ld paints, longest gap between paints %.1f ms; "
                "resident %.1f MiB before, %.1f MiB after; at the meter's pace (redraw, figures and paint for "
                "each reading) after %d readings: %.2f ms per reading\n",
                readings, paceMs, plain.cpuMsPerReading, plain.seconds, plain.paints, probed.seconds, probed.paints,
                probed.longestGapMs, rssBefore, rssAfter, readings, realMs);
    return 0;
}
