// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/trend_chart.h"

#include "core/judging/step_figures.h"

#include <QCoreApplication>
#include <QCursor>
#include <QTimeZone>
#include <QLegendMarker>
#include <QToolTip>
#include <QCoreApplication>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace krx::history_view {
namespace {

const QColor kRColor(0x1f, 0x4e, 0x9c);
const QColor kPiColor(0x2e, 0x7d, 0x32);
const QColor kDarColor(0xe0, 0x7b, 0x00);
const QColor kMarkColor(0xc6, 0x28, 0x28);
const QColor kStepColor(0x6a, 0x1b, 0x9a);
const QColor kMethodColor(0x00, 0x83, 0x8f);

QString DecadeLabel(int exponent)
{
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    const int group = std::clamp(exponent / 3, 0, 5);
    const int digits = exponent - group * 3;
    return QStringLiteral("%1 %2Ω").arg(digits == 0 ? 1 : digits == 1 ? 10 : 100).arg(QLatin1String(prefixes[group]));
}

// Qt Charts' own logarithmic axis labels only in printf notation ("1e+09"); the resistance is drawn
// as its decade number on a linear axis instead, labelled "1 GΩ", "10 GΩ" at each decade.
QCategoryAxis* MakeDecadeAxis(double lowOhm, double highOhm)
{
    int low = static_cast<int>(std::floor(std::log10(lowOhm)));
    int high = static_cast<int>(std::ceil(std::log10(highOhm)));
    if (high - low < 2)
        high = low + 2;
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setMin(low);
    axis->setMax(high);
    axis->setStartValue(low);
    for (int e = low; e <= high; ++e)
        axis->append(DecadeLabel(e), e);
    axis->setTitleText(QString::fromUtf8(kSeriesR40));
    axis->setLabelsColor(kRColor);
    return axis;
}

// Ticks on the calendar: Qt Charts' date axis spaces them evenly in milliseconds, which puts a
// "year" tick on the 31st of December after a leap year.
QCategoryAxis* MakeTimeAxis(const QDateTime& first, const QDateTime& last)
{
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const QDate from = first.date(), to = last.date();
    const int months = (to.year() - from.year()) * 12 + to.month() - from.month() + 1;
    // Years for long histories; otherwise months, every second or third when they are many.
    const bool years = months > 24;
    const int step = years ? 12 : months > 12 ? 3 : months > 6 ? 2 : 1;
    const auto at = [&](const QDate& d) {
        return static_cast<double>(QDateTime(d, QTime(0, 0), first.timeZone()).toMSecsSinceEpoch());
    };
    const QDate start = years ? QDate(from.year(), 1, 1) : QDate(from.year(), from.month(), 1);
    QDate tick = start;
    axis->setStartValue(at(start));
    // Up to the first tick after the last test, so that every point lies inside.
    for (bool past = false; !past; tick = tick.addMonths(step)) {
        past = tick > to;
        axis->append(tick.toString(years ? QStringLiteral("yyyy") : QStringLiteral("yyyy-MM")), at(tick));
    }
    axis->setRange(at(start), at(tick.addMonths(-step)));
    return axis;
}

QLineSeries* MakeLine(const QString& name, const QColor& color, Qt::PenStyle style)
{
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPointsVisible(true);
    series->setMarkerSize(5);
    QPen pen(color);
    pen.setWidthF(2.0);
    pen.setStyle(style);
    series->setPen(pen);
    series->setColor(color);
    return series;
}

QScatterSeries* MakeMarks()
{
    auto* series = new QScatterSeries;
    series->setName(QString::fromUtf8(kSeriesMarked));
    series->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    series->setMarkerSize(14);
    series->setBrush(Qt::transparent);
    QPen pen(kMarkColor);
    pen.setWidthF(2.0);
    series->setPen(pen);
    return series;
}

void AddSeries(QChart* chart, QXYSeries* series, QAbstractAxis* x, QAbstractAxis* y, bool inLegend)
{
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
    if (!inLegend) {
        for (QLegendMarker* marker : chart->legend()->markers(series))
            marker->setVisible(false);
    }
}

QString PointText(const TrendPoint& p)
{
    QStringList lines{p.when.toString(QStringLiteral("yyyy-MM-dd HH:mm"))};
    if (p.r40Ohm)
        lines << QCoreApplication::translate("HistoryWindow", "R 1 min @ 40 °C: %1").arg(OhmText(*p.r40Ohm));
    if (p.volts > 0)
        lines << QStringLiteral("%1 V").arg(p.volts);
    if (p.pi)
        lines << QCoreApplication::translate("HistoryWindow", "PI: %1").arg(*p.pi, 0, 'f', 2);
    if (p.dar)
        lines << QCoreApplication::translate("HistoryWindow", "DAR: %1").arg(*p.dar, 0, 'f', 2);
    if (p.stepChangePct)
        lines << QCoreApplication::translate("HistoryWindow", "Step change: %1 %").arg(*p.stepChangePct, 0, 'f', 1);
    if (p.methodOhm)
        lines << QStringLiteral("%1: %2").arg(p.methodSeries, OhmText(*p.methodOhm));
    if (!p.markReason.isEmpty())
        lines << QCoreApplication::translate("HistoryWindow", "Marked: %1").arg(p.markReason);
    return lines.join(QLatin1Char('\n'));
}

// Tooltips name the nearest test in time, so that a mark says why it is there.
void ShowTips(QXYSeries* series, std::shared_ptr<const std::vector<TrendPoint>> points)
{
    QObject::connect(series, &QXYSeries::hovered, series, [points](const QPointF& at, bool entered) {
        if (!entered || points->empty()) {
            QToolTip::hideText();
            return;
        }
        const auto nearest = std::min_element(points->begin(), points->end(), [&](const auto& a, const auto& b) {
            return std::abs(static_cast<double>(a.when.toMSecsSinceEpoch()) - at.x()) <
                   std::abs(static_cast<double>(b.when.toMSecsSinceEpoch()) - at.x());
        });
        QToolTip::showText(QCursor::pos(), PointText(*nearest));
    });
}

bool Drawable(const std::optional<double>& ohm)
{
    return ohm && *ohm > 0 && std::isfinite(*ohm);
}

struct Ranges {
    double lowOhm = 1e6, highOhm = 1e9;  // an empty plot still shows three decades
    double ratioHigh = 3.0;
};

Ranges RangesOf(const std::vector<TrendPoint>& points)
{
    Ranges r;
    bool any = false;
    for (const TrendPoint& p : points) {
        if (Drawable(p.r40Ohm)) {
            r.lowOhm = any ? std::min(r.lowOhm, *p.r40Ohm) : *p.r40Ohm;
            r.highOhm = any ? std::max(r.highOhm, *p.r40Ohm) : *p.r40Ohm;
            any = true;
        }
        for (const auto& ohm : {p.methodOhm, p.lowerOhm, p.upperOhm}) {
            if (!Drawable(ohm))
                continue;
            r.lowOhm = any ? std::min(r.lowOhm, *ohm) : *ohm;
            r.highOhm = any ? std::max(r.highOhm, *ohm) : *ohm;
            any = true;
        }
        for (const auto& v : {p.pi, p.dar}) {
            if (v && std::isfinite(*v))
                r.ratioHigh = std::max(r.ratioHigh, *v);
        }
    }
    return r;
}

// Step-voltage tests on an axis of their own, with the fall that field practice takes for a defect.
QXYSeries* AddStepChanges(QChart* chart, QAbstractAxis* time, const std::vector<TrendPoint>& points)
{
    auto* steps = MakeLine(QString::fromUtf8(kSeriesStepChange), kStepColor, Qt::SolidLine);
    double low = -50.0, high = 10.0;
    for (const TrendPoint& p : points) {
        if (!p.stepChangePct || !std::isfinite(*p.stepChangePct))
            continue;
        steps->append(static_cast<double>(p.when.toMSecsSinceEpoch()), *p.stepChangePct);
        low = std::min(low, std::floor(*p.stepChangePct / 10.0) * 10.0);
        high = std::max(high, std::ceil(*p.stepChangePct / 10.0) * 10.0);
    }
    if (steps->count() == 0) {
        delete steps;
        return nullptr;
    }
    auto* axis = new QValueAxis;
    axis->setTitleText(QString::fromUtf8(kSeriesStepChange));
    axis->setLabelFormat(QStringLiteral("%.0f"));
    // A tick every 10 % (every 20 % on a long axis): round labels around the limit.
    if (high - low > 100 && std::fmod(high - low, 20.0) != 0)
        high += 10;
    axis->setRange(low, high);
    const int span = static_cast<int>(high - low);
    axis->setTickCount(span / (span > 100 ? 20 : 10) + 1);
    axis->setLabelsColor(kStepColor);
    chart->addAxis(axis, Qt::AlignRight);
    auto* limit = MakeLine(QString::fromUtf8(kSeriesStepLimit), kStepColor.lighter(160), Qt::DashLine);
    limit->setPointsVisible(false);
    limit->append(steps->at(0).x(), -kStepFallLimitPercent);
    limit->append(steps->at(steps->count() - 1).x(), -kStepFallLimitPercent);
    AddSeries(chart, steps, time, axis, true);
    AddSeries(chart, limit, time, axis, true);
    return steps;
}

// ESD and material results on the resistance axis, a line for each measurement and item kind, each
// with the bounds of its limit row dashed beside it.
std::vector<QXYSeries*> AddMethodResults(QChart* chart, QAbstractAxis* time, QAbstractAxis* decades,
                                         const std::vector<TrendPoint>& points)
{
    std::vector<QString> names;
    for (const TrendPoint& p : points)
        if (Drawable(p.methodOhm) && std::find(names.begin(), names.end(), p.methodSeries) == names.end())
            names.push_back(p.methodSeries);
    std::vector<QXYSeries*> added;
    for (size_t n = 0; n < names.size(); ++n) {
        const QColor color = kMethodColor.lighter(100 + 35 * static_cast<int>(n));
        auto* results = MakeLine(names[n], color, Qt::SolidLine);
        auto* lower = MakeLine(LimitSeriesName(names[n]), color, Qt::DashLine);
        auto* upper = MakeLine(LimitSeriesName(names[n]), color, Qt::DashLine);
        for (const TrendPoint& p : points) {
            if (p.methodSeries != names[n] || !Drawable(p.methodOhm))
                continue;
            const double x = static_cast<double>(p.when.toMSecsSinceEpoch());
            results->append(x, std::log10(*p.methodOhm));
            if (Drawable(p.lowerOhm))
                lower->append(x, std::log10(*p.lowerOhm));
            if (Drawable(p.upperOhm))
                upper->append(x, std::log10(*p.upperOhm));
        }
        AddSeries(chart, results, time, decades, true);
        added.push_back(results);
        // One legend entry for the limit, whichever bounds the row has.
        bool named = false;
        for (QLineSeries* limit : {upper, lower}) {
            if (limit->count() == 0) {
                delete limit;
                continue;
            }
            limit->setPointsVisible(false);
            AddSeries(chart, limit, time, decades, !named);
            named = true;
        }
    }
    return added;
}

}  // namespace

QString LimitSeriesName(const QString& series)
{
    return QCoreApplication::translate("TrendChart", "%1: limit").arg(series);
}

QString SeriesName(const char* quantity, int volts)
{
    // The axis names the 1-minute time; the legend keeps its entries short enough to stand side by side.
    const QString name = qstrcmp(quantity, kSeriesR40) == 0 ? QStringLiteral("R @ 40 °C") : QString::fromUtf8(quantity);
    return name +
           (volts > 0 ? QStringLiteral(", %1 V").arg(volts) : QCoreApplication::translate("HistoryWindow", ", voltage not known"));
}

QString OhmText(double ohm)
{
    if (!std::isfinite(ohm) || ohm <= 0)
        return QStringLiteral("–");
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    int group = std::clamp(static_cast<int>(std::floor(std::log10(ohm) / 3)), 0, 5);
    double scaled = ohm / std::pow(1000.0, group);
    // 999.6 MΩ rounds to "1000 MΩ" at three digits: say "1 GΩ".
    if (scaled >= 999.5 && group < 5) {
        ++group;
        scaled /= 1000.0;
    }
    const int decimals = scaled >= 100 ? 0 : scaled >= 10 ? 1 : 2;
    QString number = QString::number(scaled, 'f', decimals);
    if (number.contains(QLatin1Char('.'))) {
        while (number.endsWith(QLatin1Char('0')))
            number.chop(1);
        if (number.endsWith(QLatin1Char('.')))
            number.chop(1);
    }
    return QStringLiteral("%1 %2Ω").arg(number, QLatin1String(prefixes[group]));
}

QChart* MakeTrendChart(const std::vector<TrendPoint>& input)
{
    auto points = std::make_shared<std::vector<TrendPoint>>(input);
    std::stable_sort(points->begin(), points->end(), [](const auto& a, const auto& b) { return a.when < b.when; });

    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chart->setMargins(QMargins(4, 4, 4, 4));

    const QDateTime first = points->empty() ? QDateTime::currentDateTime() : points->front().when;
    const QDateTime last = points->empty() ? first : points->back().when;
    auto* time = MakeTimeAxis(first, last);
    auto* ratio = new QValueAxis;
    ratio->setTitleText(QCoreApplication::translate("HistoryWindow", "PI, DAR"));
    ratio->setLabelFormat(QStringLiteral("%.1f"));

    const Ranges ranges = RangesOf(*points);
    ratio->setRange(0.0, std::ceil(ranges.ratioHigh * 1.1));
    auto* decades = MakeDecadeAxis(ranges.lowOhm, ranges.highOhm);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(decades, Qt::AlignLeft);
    chart->addAxis(ratio, Qt::AlignRight);

    std::vector<int> voltages;
    for (const TrendPoint& p : *points)
        if (std::find(voltages.begin(), voltages.end(), p.volts) == voltages.end())
            voltages.push_back(p.volts);
    std::sort(voltages.begin(), voltages.end(), std::greater<>());
    std::vector<QXYSeries*> all;
    auto* marksR = MakeMarks();
    auto* marksRatio = MakeMarks();
    for (size_t v = 0; v < voltages.size(); ++v) {
        // The highest voltage in the quantity's own colour and a full line; each lower one lighter
        // and dashed differently, so that the legend tells them apart in grey print too.
        const auto style = static_cast<Qt::PenStyle>(Qt::SolidLine + static_cast<int>(v % 5));
        const int lighter = 100 + 35 * static_cast<int>(v);
        auto* r = MakeLine(SeriesName(kSeriesR40, voltages[v]), kRColor.lighter(lighter), style);
        auto* pi = MakeLine(SeriesName(kSeriesPi, voltages[v]), kPiColor.lighter(lighter), style);
        auto* dar = MakeLine(SeriesName(kSeriesDar, voltages[v]), kDarColor.lighter(lighter), style);
        for (const TrendPoint& p : *points) {
            if (p.volts != voltages[v])
                continue;
            const double x = static_cast<double>(p.when.toMSecsSinceEpoch());
            const bool marked = !p.markReason.isEmpty();
            if (Drawable(p.r40Ohm)) {
                r->append(x, std::log10(*p.r40Ohm));
                if (marked)
                    marksR->append(x, std::log10(*p.r40Ohm));
            }
            for (auto [value, series] : {std::pair{p.pi, pi}, std::pair{p.dar, dar}}) {
                if (value && std::isfinite(*value)) {
                    series->append(x, *value);
                    if (marked)
                        marksRatio->append(x, *value);
                }
            }
        }
        // A quantity none of this voltage's tests has stays out of the legend.
        for (auto [series, axis] : {std::pair<QXYSeries*, QAbstractAxis*>{r, decades}, {pi, ratio}, {dar, ratio}}) {
            if (series->count() == 0) {
                delete series;
                continue;
            }
            AddSeries(chart, series, time, axis, true);
            all.push_back(series);
        }
    }
    if (QXYSeries* steps = AddStepChanges(chart, time, *points))
        all.push_back(steps);
    for (QXYSeries* results : AddMethodResults(chart, time, decades, *points))
        all.push_back(results);
    AddSeries(chart, marksR, time, decades, marksR->count() > 0 || marksRatio->count() > 0);
    AddSeries(chart, marksRatio, time, ratio, false);
    all.push_back(marksR);
    all.push_back(marksRatio);
    for (QXYSeries* s : all)
        ShowTips(s, points);
    // Only ESD or material results: their resistance on the left, and no axis of windings' ratios.
    const bool methodsOnly = !points->empty() && std::all_of(points->begin(), points->end(), [](const TrendPoint& p) {
        return p.methodOhm && !p.r40Ohm && !p.pi && !p.dar && !p.stepChangePct;
    });
    if (methodsOnly) {
        decades->setTitleText(QCoreApplication::translate("TrendChart", "Resistance"));
        ratio->setVisible(false);
    }
    if (points->empty()) {
        chart->setTitle(QCoreApplication::translate("HistoryWindow", "No tests with a 1-minute resistance, PI or DAR to draw"));
        for (QAbstractAxis* axis : chart->axes())
            axis->setVisible(false);
        chart->legend()->setVisible(false);
    }
    return chart;
}

}  // namespace krx::history_view
