// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trend of one asset: the 1-minute resistance corrected to 40 °C on a logarithmic axis, PI and
// DAR on a linear one, over the calendar; tests under unusual conditions drawn apart, with why.

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace krx::history_view {

struct TrendPoint {
    QDateTime when;
    std::optional<double> r40Ohm;
    std::optional<double> pi;
    std::optional<double> dar;
    QString markReason;
    int volts = 0;  // 0: not known  // empty: taken under the asset's usual conditions
    std::optional<double> stepChangePct;  // a step-voltage test's change from its lowest to its highest step
    // An ESD or material test: the reading that stands, what it is ("Rtg, worksurface"), and the
    // bounds of the limit row it was judged by.
    std::optional<double> methodOhm;
    QString methodSeries;
    std::optional<double> lowerOhm, upperOhm;
};

// A new chart (owned by the caller) with the points in time order.
QChart* MakeTrendChart(const std::vector<TrendPoint>& points);

// "850 kΩ", "1.2 GΩ", "15 TΩ": three significant digits, a "." whatever the locale.
QString OhmText(double ohm);

// Names of the chart's series, for the window's tooltips and for tests. Tests at different voltages
// are never joined by a line: each voltage has series of its own, named by SeriesName.
inline constexpr const char* kSeriesR40 = "R 1 min @ 40 °C";
inline constexpr const char* kSeriesPi = "PI";
inline constexpr const char* kSeriesDar = "DAR";
inline constexpr const char* kSeriesMarked = "Other voltage or temperature";
inline constexpr const char* kSeriesStepChange = "Step change (%)";
inline constexpr const char* kSeriesStepLimit = "25 % fall (field practice)";
// An ESD or material result's limit line: "Rtg, worksurface: limit".
QString LimitSeriesName(const QString& series);
// "R @ 40 °C, 1000 V", "PI, 500 V"; "…, voltage not known" for 0.
QString SeriesName(const char* quantity, int volts);

}  // namespace krx::history_view
