// SPDX-License-Identifier: GPL-3.0-or-later
// What the report takes from a run's readings.
#include "ui/record/report.h"

#include "core/judging/ieee43.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace krx {

void FillFromReadings(ReportContent& c, const std::vector<DataRecord>& readings)
{
    if (readings.empty())
        return;
    const DataRecord& last = readings.back();
    c.started = readings.front().time;
    c.durationSeconds = last.elapsedSeconds;
    // The voltage the run settled on, not a ramp's step on the way.
    c.volts = std::max_element(readings.begin(), readings.end(), [](const auto& a, const auto& b) {
                  return a.volts < b.volts;
              })->volts;
    // The ramp and the climate as the figures took them, so that the report states each once and
    // the same as the panel, the command line and the history.
    const InsulationFigures f = ComputeFigures(readings, DarTimes::From30To60);
    c.rampSeconds = f.ramp;
    const double air = f.meanTemperature.value_or(last.temperature);
    const double humidity = f.meanHumidity.value_or(last.humidity);
    c.temperature = air;
    c.humidity = static_cast<int>(std::lround(humidity));
    c.dewPoint = DewPoint(air, humidity);
    c.keyReadings.clear();
    if (!f.ramp)
        return;
    // Timed from the voltage command, as the figures are; a time within the ramp has no reading.
    const std::pair<double, const char*> times[] = {{*f.ramp, "stable"}, {15, "15 s"}, {30, "30 s"}, {60, "1 min"},
                                                     {600, "10 min"}};
    for (const auto& [seconds, name] : times) {
        if (seconds < *f.ramp)
            continue;
        const auto it = std::find_if(readings.begin(), readings.end(),
                                     [&](const DataRecord& r) { return r.elapsedSeconds >= seconds; });
        if (it != readings.end())
            c.keyReadings.push_back({QString::fromUtf8(name), *it});
    }
    c.keyReadings.push_back({QStringLiteral("end"), last});
}

QString DurationText(double seconds)
{
    const long long s = std::llround(std::max(0.0, seconds));
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    if (s < 3600)
        return QCoreApplication::translate("Report", "%1 min %2 s").arg(s / 60).arg(s % 60);
    return QCoreApplication::translate("Report", "%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

}  // namespace krx
