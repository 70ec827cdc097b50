// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/reading_plot.h"

#include <QCoreApplication>
#include <QCategoryAxis>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace krx {

namespace {

// The meter reads from about 1 kΩ to some 20 TΩ; a decade or two either side keeps odd values in view.
constexpr int kLowestDecade = 0;
constexpr int kHighestDecade = 15;

// The time axis ends at the next round value past the latest reading: whole half-minutes up to
// 5 min, whole minutes up to 20 min, 5 min up to 2 h, then half-hours. A 10.6 min run shows
// 0 to 11 min; the axis grows at most once a minute while a long run goes on.
double SpanFor(double last)
{
    if (last <= 60)
        return 60;
    const double step = last <= 300 ? 30 : last <= 1200 ? 60 : last <= 7200 ? 300 : 1800;
    return std::ceil(last / step) * step;
}

// At most `most` ticks, so that their labels are not elided on a narrow plot.
double TickFor(double span, double most)
{
    for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 20.0, 30.0, 60.0, 120.0, 240.0})
        if (span / step <= most)
            return step;
    return std::ceil(span / most);
}

// One column of the decimation: the lowest and highest value, in the order they came.
struct Column {
    QPointF lo, hi;
    qsizetype loAt = -1, hiAt = -1;
    void Take(qsizetype i, QPointF p)
    {
        if (loAt < 0 || p.y() < lo.y())
            lo = p, loAt = i;
        if (hiAt < 0 || p.y() > hi.y())
            hi = p, hiAt = i;
    }
    void FlushInto(QList<QPointF>& out)
    {
        if (loAt < 0)
            return;
        out.append(loAt <= hiAt ? lo : hi);
        if (loAt != hiAt)
            out.append(loAt <= hiAt ? hi : lo);
        *this = Column{};
    }
};

}  // namespace

struct ReadingPlot::Decimation {
    int columns = 0;
    double span = 0, unit = 0;
    size_t done = 0;  // points taken so far
    int col = -1, overCol = -1, underCol = -1;
    Column rc, vc;  // the column still open
    QList<QPointF> r, v;
    QList<double> overX, underX;
};

QString DecadeLabel(int exponent)
{
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    const int group = std::clamp(exponent / 3, 0, 5);
    const int rest = exponent - 3 * group;
    const int mantissa = rest == 0 ? 1 : rest == 1 ? 10 : 100;
    return QStringLiteral("%1 %2Ω").arg(mantissa).arg(QLatin1String(prefixes[group]));
}

ReadingPlot::ReadingPlot(QWidget* parent) : QChartView(parent), drawn_(std::make_unique<Decimation>())
{
    setObjectName(QStringLiteral("ReadingPlot"));
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(300, 200);
    BuildChart();
    tick_.setSingleShot(true);
    tick_.setInterval(kRedrawMs);
    connect(&tick_, &QTimer::timeout, this, &ReadingPlot::Redraw);
    // A new plot area changes the columns and where the marker labels go.
    connect(chart(), &QChart::plotAreaChanged, this, &ReadingPlot::ScheduleRedraw);
    Clear();
}

ReadingPlot::~ReadingPlot() = default;

void ReadingPlot::BuildChart()
{
    QChart* c = chart();
    c->setMargins(QMargins(4, 4, 4, 4));
    c->legend()->setAlignment(Qt::AlignBottom);

    tAxis_ = new QValueAxis(c);
    tAxis_->setTickType(QValueAxis::TicksDynamic);
    tAxis_->setTickAnchor(0.0);
    tAxis_->setLabelFormat(QStringLiteral("%g"));
    // Grid lines for the resistance's decades only: time and voltage lines would cross them.
    tAxis_->setGridLineVisible(false);
    tAxis_->setMinorGridLineVisible(false);
    rAxis_ = new QCategoryAxis(c);
    rAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    rAxis_->setTitleText(tr("Resistance"));
    vAxis_ = new QValueAxis(c);
    vAxis_->setTitleText(tr("Voltage (V)"));
    vAxis_->setLabelFormat(QStringLiteral("%g"));
    vAxis_->setTickType(QValueAxis::TicksDynamic);
    vAxis_->setTickAnchor(0.0);
    vAxis_->setGridLineVisible(false);
    vAxis_->setMinorGridLineVisible(false);
    c->addAxis(tAxis_, Qt::AlignBottom);
    c->addAxis(rAxis_, Qt::AlignLeft);
    c->addAxis(vAxis_, Qt::AlignRight);

    auto attach = [&](QAbstractSeries* s, QAbstractAxis* y) {
        c->addSeries(s);
        s->attachAxis(tAxis_);
        s->attachAxis(y);
    };
    voltage_ = new QLineSeries(c);
    voltage_->setName(tr("Voltage"));
    voltage_->setPen(QPen(QColor(0xd0, 0x80, 0x20), 1.2));
    attach(voltage_, vAxis_);
    resistance_ = new QLineSeries(c);
    resistance_->setName(tr("Resistance"));
    resistance_->setPen(QPen(QColor(0x1f, 0x5f, 0xb4), 1.8));
    attach(resistance_, rAxis_);
    over_ = new QScatterSeries(c);
    over_->setName(tr("Overflow"));
    under_ = new QScatterSeries(c);
    under_->setName(tr("Underflow"));
    for (QScatterSeries* s : {over_, under_}) {
        s->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
        s->setMarkerSize(9);
        s->setBorderColor(Qt::transparent);
        attach(s, rAxis_);
    }
    over_->setColor(QColor(0xc0, 0x20, 0x20));
    under_->setColor(QColor(0x70, 0x30, 0xa0));

    BuildMarkers();
}

void ReadingPlot::BuildMarkers()
{
    QChart* c = chart();
    const QStringList names = {QStringLiteral("15 s"), QStringLiteral("30 s"), QCoreApplication::translate("RecordView", "1 min"),
                               QCoreApplication::translate("RecordView", "10 min")};
    for (const QString& name : names) {
        auto* m = new QLineSeries(c);
        m->setName(name);
        m->setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0, Qt::DashLine));
        c->addSeries(m);
        m->attachAxis(tAxis_);
        m->attachAxis(rAxis_);
        markers_.push_back(m);
        auto* label = new QGraphicsSimpleTextItem(name, c);
        QFont f = label->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        label->setFont(f);
        label->setBrush(QColor(0x40, 0x40, 0x40));
        label->setZValue(10);
        markerLabels_.push_back(label);
        auto* back = new QGraphicsRectItem(c);
        back->setBrush(QColor(255, 255, 255, 220));
        back->setPen(Qt::NoPen);
        back->setZValue(9);
        labelBacks_.push_back(back);
    }
}

void ReadingPlot::Clear()
{
    points_.clear();
    points_.shrink_to_fit();
    *drawn_ = Decimation{};
    origin_.reset();
    originGiven_ = false;
    haveValue_ = false;
    maxVolts_ = 0;
    ClearStepEnds();
    tick_.stop();
    Redraw();
}

void ReadingPlot::Add(const DataRecord& record)
{
    Point p;
    p.t = record.elapsedSeconds;
    p.range = record.range;
    p.volts = record.volts;
    p.log10Ohm = std::numeric_limits<float>::quiet_NaN();
    if (record.range == RangeState::InRange && record.resistanceOhm > 0.0 && std::isfinite(record.resistanceOhm)) {
        p.log10Ohm = static_cast<float>(std::log10(record.resistanceOhm));
        minLog_ = haveValue_ ? std::min(minLog_, p.log10Ohm) : p.log10Ohm;
        maxLog_ = haveValue_ ? std::max(maxLog_, p.log10Ohm) : p.log10Ohm;
        haveValue_ = true;
    }
    // The markers count from the voltage command (elapsed 0), as the figures do, unless the core
    // names another origin; they show once the voltage has settled.
    if (!origin_ && !originGiven_ && record.stable)
        origin_ = 0.0;
    maxVolts_ = std::max(maxVolts_, record.volts);
    points_.push_back(p);
    ScheduleRedraw();
}

void ReadingPlot::SetOrigin(std::optional<double> elapsed)
{
    originGiven_ = true;
    if (origin_ == elapsed)
        return;
    origin_ = elapsed;
    ScheduleRedraw();
}

void ReadingPlot::ScheduleRedraw()
{
    if (!tick_.isActive())
        tick_.start();
}

void ReadingPlot::Redraw()
{
    tick_.stop();
    // Without a value the axis shows the meter's usual span, 1 MΩ to 1 TΩ.
    int low = 6, high = 12;
    if (haveValue_) {
        low = std::clamp(static_cast<int>(std::floor(minLog_)), kLowestDecade, kHighestDecade - 1);
        high = std::clamp(static_cast<int>(std::ceil(maxLog_)), low + 1, kHighestDecade);
    }
    UpdateDecades(low, high);
    UpdateTimeAxis();
    // Five or six ticks at round volts, the nominal voltage below the top.
    double step = 1.0;
    for (double s : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0})
        if (std::max(maxVolts_, 10) / s <= 5.0) {
            step = s;
            break;
        }
    vAxis_->setTickInterval(step);
    vAxis_->setRange(0.0, (std::floor(std::max(maxVolts_, 10) / step) + 1.0) * step);
    DrawSeries(span_);
    PlaceMarkers();
    PlaceStepEnds();
}

void ReadingPlot::UpdateDecades(int low, int high)
{
    if (low == low_ && high == high_ && rAxis_->count() > 0)
        return;
    low_ = low;
    high_ = high;
    for (const QString& label : rAxis_->categoriesLabels())
        rAxis_->remove(label);
    rAxis_->setStartValue(low);
    for (int d = low; d <= high; ++d)
        rAxis_->append(DecadeLabel(d), d);
    rAxis_->setRange(low, high);
}

void ReadingPlot::UpdateTimeAxis()
{
    span_ = SpanFor(points_.empty() ? 0.0 : points_.back().t);
    unit_ = span_ <= 300 ? 1.0 : span_ <= 7200 ? 60.0 : 3600.0;
    const double span = span_ / unit_;
    tAxis_->setTitleText(unit_ == 1.0 ? tr("Time (s)") : unit_ == 60.0 ? tr("Time (min)") : tr("Time (h)"));
    // A label needs about 30 px.
    tAxis_->setTickInterval(TickFor(span, std::clamp(chart()->plotArea().width() / 30.0, 4.0, 12.0)));
    tAxis_->setRange(0.0, span);
}

void ReadingPlot::DrawSeries(double span)
{
    const int columns = std::max(1, static_cast<int>(chart()->plotArea().width()));
    Decimation& d = *drawn_;
    if (d.columns != columns || d.span != span || d.unit != unit_ || d.done > points_.size()) {
        d = Decimation{};
        d.columns = columns;
        d.span = span;
        d.unit = unit_;
    }
    const double perColumn = span / columns;
    for (; d.done < points_.size(); ++d.done) {
        const auto i = static_cast<qsizetype>(d.done);
        const Point& p = points_[d.done];
        const int c = std::clamp(static_cast<int>(p.t / perColumn), 0, columns - 1);
        if (c != d.col) {
            d.rc.FlushInto(d.r);
            d.vc.FlushInto(d.v);
            d.col = c;
        }
        const double x = p.t / unit_;
        // Each reading's voltage holds until the next: a change is drawn as a step, not a slope.
        if (d.done > 0 && points_[d.done - 1].volts != p.volts)
            d.vc.Take(2 * i, QPointF(x, points_[d.done - 1].volts));
        d.vc.Take(2 * i + 1, QPointF(x, p.volts));
        if (!std::isnan(p.log10Ohm))
            d.rc.Take(i, QPointF(x, p.log10Ohm));
        else if (p.range == RangeState::Over && c != d.overCol) {
            d.overX.append(x);
            d.overCol = c;
        } else if (p.range == RangeState::Under && c != d.underCol) {
            d.underX.append(x);
            d.underCol = c;
        }
    }
    QList<QPointF> r = d.r, v = d.v;
    Column open = d.rc;
    open.FlushInto(r);
    open = d.vc;
    open.FlushInto(v);
    // Over/underflow marks sit just inside the edges so they are never cut in half.
    const double edge = 0.03 * (high_ - low_);
    QList<QPointF> over, under;
    for (double x : d.overX)
        over.append(QPointF(x, high_ - edge));
    for (double x : d.underX)
        under.append(QPointF(x, low_ + edge));
    resistance_->replace(r);
    voltage_->replace(v);
    over_->replace(over);
    under_->replace(under);
}

void ReadingPlot::PlaceMarkers()
{
    for (size_t i = 0; i < markers_.size(); ++i) {
        QLineSeries* m = markers_[i];
        const bool shown = origin_ && *origin_ + kMarkerSeconds[i] <= span_ && stepEndAt_.empty();
        m->setVisible(shown);
        chart()->legend()->markers(m).first()->setVisible(false);  // showing a series shows its entry
        markerLabels_[i]->setVisible(shown);
        labelBacks_[i]->setVisible(shown);
        if (!shown) {
            m->clear();
            continue;
        }
        const double x = (*origin_ + kMarkerSeconds[i]) / unit_;
        m->replace(QList<QPointF>{{x, double(low_)}, {x, double(high_)}});
        const QPointF top = chart()->mapToPosition(QPointF(x, high_), m);
        QGraphicsSimpleTextItem* label = markerLabels_[i];
        // A label sits right of its line, or left of it where it would leave the plot area for the
        // voltage axis; one that would run into an earlier label moves down a line.
        QRectF place(QPointF(top.x() + 3, top.y() + 2), label->boundingRect().size());
        if (place.right() > chart()->plotArea().right())
            place.moveRight(top.x() - 3);
        for (bool moved = true; moved;) {
            moved = false;
            for (size_t j = 0; j < i; ++j) {
                const QRectF other(markerLabels_[j]->pos(), markerLabels_[j]->boundingRect().size());
                if (markerLabels_[j]->isVisible() && place.intersects(other.adjusted(-2, 0, 2, 0))) {
                    place.moveTop(other.bottom());
                    moved = true;
                }
            }
        }
        label->setPos(place.topLeft());
        labelBacks_[i]->setRect(QRectF(label->pos(), label->boundingRect().size()).adjusted(-1, 0, 1, 0));
    }
}

std::vector<QRectF> ReadingPlot::MarkerLabelRects() const
{
    std::vector<QRectF> rects;
    for (const QGraphicsSimpleTextItem* label : markerLabels_)
        if (label->isVisible())
            rects.emplace_back(label->pos(), label->boundingRect().size());
    return rects;
}

void ReadingPlot::RenderTo(QPainter& painter, const QRectF& target)
{
    Redraw();
    scene()->render(&painter, target, chart()->geometry(), Qt::KeepAspectRatio);
}

}  // namespace krx
