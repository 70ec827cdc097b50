// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live plot of one measurement: resistance over elapsed time on decades, the measuring voltage
// on a second axis, the figures' times as markers. Every reading is kept; what is drawn is cut down
// to at most two points per pixel column, and drawing waits for a short tick, so that a reading
// costs next to nothing however long the run.

#include "core/data_dialect.h"

#include <QChartView>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QCategoryAxis;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace krx {

class ReadingPlot : public QChartView {
    Q_OBJECT
public:
    // How long readings may wait before they are drawn.
    static constexpr int kRedrawMs = 200;
    // The figures' times, in seconds from the first stable reading.
    static constexpr double kMarkerSeconds[] = {15.0, 30.0, 60.0, 600.0};

    explicit ReadingPlot(QWidget* parent = nullptr);
    ~ReadingPlot() override;

    void Clear();
    void Add(const DataRecord& record);
    // Draws now what is still waiting for the tick.
    void Redraw();

    qsizetype Count() const { return static_cast<qsizetype>(points_.size()); }
    // Elapsed seconds where the markers count from: the first stable reading's, until the owner
    // gives the figures' own origin (the core's rule) with SetOrigin, which then holds until Clear.
    std::optional<double> Origin() const { return origin_; }
    void SetOrigin(std::optional<double> elapsed);
    // Seconds of elapsed time per unit on the time axis (1, 60 or 3600).
    double TimeUnit() const { return unit_; }
    // Draws the chart as it is shown into `target` (a report page), vector where the painter is.
    void RenderTo(QPainter& painter, const QRectF& target);

    QLineSeries* ResistanceSeries() const { return resistance_; }
    QLineSeries* VoltageSeries() const { return voltage_; }
    QScatterSeries* OverflowSeries() const { return over_; }
    QScatterSeries* UnderflowSeries() const { return under_; }
    // One two-point vertical series per marker whose time lies on the axis.
    const std::vector<QLineSeries*>& Markers() const { return markers_; }
    QCategoryAxis* ResistanceAxis() const { return rAxis_; }
    QValueAxis* TimeAxis() const { return tAxis_; }
    QValueAxis* VoltageAxis() const { return vAxis_; }
    // Where the shown markers' labels are, in the chart's coordinates.
    std::vector<QRectF> MarkerLabelRects() const;

    // A step-voltage test: a marker where each step ended, in place of the figures' times.
    void AddStepEnd(double elapsed, const QString& label);
    const std::vector<QLineSeries*>& StepEndMarkers() const { return stepEnds_; }

private:
    struct Point {
        double t;
        float log10Ohm;  // NaN when over- or underflow
        std::int32_t volts;
        RangeState range;
    };

    void BuildChart();
    void BuildMarkers();
    void ScheduleRedraw();
    void UpdateDecades(int low, int high);
    void UpdateTimeAxis();
    void DrawSeries(double span);
    void PlaceMarkers();
    void PlaceStepEnds();
    void ClearStepEnds();

    // The columns drawn so far: a redraw goes on from where the last one stopped unless the
    // columns themselves changed (the axis grew, the plot was resized).
    struct Decimation;
    std::unique_ptr<Decimation> drawn_;

    std::vector<Point> points_;
    std::optional<double> origin_;
    bool originGiven_ = false;
    float minLog_ = 0, maxLog_ = 0;  // over the in-range readings
    bool haveValue_ = false;
    int maxVolts_ = 0;
    int low_ = 0, high_ = 0;  // decades on the axis
    double unit_ = 1.0;
    double span_ = 0.0;  // seconds on the time axis

    QTimer tick_;
    QValueAxis* tAxis_ = nullptr;
    QCategoryAxis* rAxis_ = nullptr;
    QValueAxis* vAxis_ = nullptr;
    QLineSeries* resistance_ = nullptr;
    QLineSeries* voltage_ = nullptr;
    QScatterSeries* over_ = nullptr;
    QScatterSeries* under_ = nullptr;
    std::vector<QLineSeries*> markers_;
    std::vector<QGraphicsSimpleTextItem*> markerLabels_;
    std::vector<QGraphicsRectItem*> labelBacks_;  // so that a label stays readable across another marker
    std::vector<double> stepEndAt_;
    std::vector<QLineSeries*> stepEnds_;
    std::vector<QGraphicsSimpleTextItem*> stepLabels_;
};

// "1 kΩ", "10 MΩ", "100 GΩ", "1 TΩ" for a power of ten.
QString DecadeLabel(int exponent);

}  // namespace krx
