// SPDX-License-Identifier: GPL-3.0-or-later
// The reading interval of a free-running cycle on the real clock against the simulated meter:
// how far consecutive value requests lie from SamplingTime plus one status request, and whether
// the deviation accumulates over the run.
//   bench_measure_interval [READINGS=300]
#include "app_windows.h"
#include "measure_bench.h"

#include <cstdlib>

using krx::test::TheSession;
using namespace krx;
using namespace krx::bench;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::atoi(argv[1]) : 300;
    MeasureBench bench;
    bench.RunCycle(readings);

    // Per reading: the time of its value request (IN 0) and the length of the status request that
    // opened its iteration (the reconnect before the pause up to the status reply).
    std::vector<double> valueAt, statusMs;
    const auto& log = TheTransferLog().Records();
    for (size_t i = 2; i < log.size(); ++i) {
        if (log[i].kind == TransferRecord::In && log[i].value == 0 && log[i - 1].value == 1 &&
            log[i - 2].kind == TransferRecord::Open) {
            valueAt.push_back(log[i].time);
            statusMs.push_back((log[i - 1].time - log[i - 2].time) * 1000.0);
        }
    }
    const double sampling = TheSession().SamplingTime;
    std::vector<double> deviation, absDeviation;
    for (size_t k = 1; k < valueAt.size(); ++k) {
        const double d = (valueAt[k] - valueAt[k - 1]) * 1000.0 - sampling - statusMs[k];
        deviation.push_back(d);
        absDeviation.push_back(std::fabs(d));
    }
    const Stats s = Summarise(deviation);
    const Stats a = Summarise(absDeviation);
    const Stats st = Summarise(statusMs);
    // Drift: how much later the last reading came than SamplingTime plus the status requests allow,
    // and the trend of the deviation (least squares) over the run.
    const double drift = std::accumulate(deviation.begin(), deviation.end(), 0.0);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(deviation.size());
    for (size_t k = 0; k < deviation.size(); ++k) {
        sx += double(k);
        sy += deviation[k];
        sxx += double(k) * double(k);
        sxy += double(k) * deviation[k];
    }
    const double slope = n > 1 ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0.0;

    std::printf("readings %zu, SamplingTime %.0f ms, status request mean %.3f ms (max %.3f)\n", valueAt.size(),
                sampling, st.mean, st.max);
    std::printf("deviation of the interval from SamplingTime + status request:\n");
    std::printf("  mean %+.3f ms, min %+.3f ms, p99 |dev| %.3f ms, max |dev| %.3f ms\n", s.mean, s.min, a.p99,
                a.max);
    std::printf("drift over the run: %+.1f ms in total (%+.4f ms per reading), trend %+.5f ms per reading\n", drift,
                n > 0 ? drift / n : 0.0, slope);
    return valueAt.size() == size_t(readings) ? 0 : 1;
}
