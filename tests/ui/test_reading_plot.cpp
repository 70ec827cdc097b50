// SPDX-License-Identifier: GPL-3.0-or-later
// The live plot: what a long run draws (extremes kept, over/underflow as marks), where the markers
// sit, that Clear forgets, and that readings wait for the tick instead of drawing one by one.
#include "ui/record/reading_plot.h"

#include <QCategoryAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtTest>

#include <algorithm>
#include <tuple>

using namespace krx;

namespace {

DataRecord Reading(double t, double ohm, bool stable = true, RangeState range = RangeState::InRange)
{
    DataRecord r;
    r.elapsedSeconds = t;
    r.resistanceOhm = range == RangeState::InRange ? ohm : 0.0;
    r.range = range;
    r.volts = 500;
    r.stable = stable;
    return r;
}

std::pair<double, double> YRange(const QList<QPointF>& points)
{
    auto [lo, hi] = std::minmax_element(points.begin(), points.end(),
                                        [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    return {lo->y(), hi->y()};
}

}  // namespace

class ReadingPlotTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        plot = std::make_unique<ReadingPlot>();
        plot->resize(800, 400);
        plot->show();
        QVERIFY(QTest::qWaitForWindowExposed(plot.get(), 5000));
    }
    void cleanup() { plot.reset(); }

    void LongRunKeepsEveryExtremeAndDrawsFewPoints()
    {
        // Ten hours at one reading a second, between 1 and 2 GΩ but for one spike and one dip.
        // A redraw on the way: the rest is added to the columns drawn then.
        for (int i = 0; i < 36000; ++i) {
            const double ohm = i == 20000 ? 1e12 : i == 33000 ? 1e6 : i % 2 ? 1e9 : 2e9;
            plot->Add(Reading(i, ohm));
            if (i == 30500) {
                plot->Redraw();
                QCOMPARE(YRange(plot->ResistanceSeries()->points()).second, 12.0);
            }
        }
        plot->Redraw();
        QCOMPARE(plot->Count(), 36000);
        const QList<QPointF> drawn = plot->ResistanceSeries()->points();
        const auto [lo, hi] = YRange(drawn);
        QCOMPARE(hi, 12.0);
        QCOMPARE(lo, 6.0);
        const int columns = static_cast<int>(plot->chart()->plotArea().width());
        QVERIFY2(drawn.size() <= 2 * columns && drawn.size() >= columns, qPrintable(QString::number(drawn.size())));
        QVERIFY(plot->VoltageSeries()->count() <= 2 * columns);
        // The axis spans the decades in view, no more.
        QCOMPARE(plot->ResistanceAxis()->min(), 6.0);
        QCOMPARE(plot->ResistanceAxis()->max(), 12.0);
        QCOMPARE(plot->ResistanceAxis()->categoriesLabels().front(), QStringLiteral("1 MΩ"));
        QCOMPARE(plot->ResistanceAxis()->categoriesLabels().back(), QStringLiteral("1 TΩ"));
        // Time in the order it came: decimation never draws a column's points backwards.
        QVERIFY(std::is_sorted(drawn.begin(), drawn.end(), [](auto& a, auto& b) { return a.x() < b.x(); }));
        // A narrower plot has fewer columns: drawn again from the start, the extremes still there.
        plot->resize(500, 400);
        QTRY_VERIFY_WITH_TIMEOUT(plot->chart()->plotArea().width() < columns - 100, 5000);
        plot->Redraw();
        QCOMPARE(YRange(plot->ResistanceSeries()->points()), std::make_pair(6.0, 12.0));
        QVERIFY(plot->ResistanceSeries()->count() <= 2 * static_cast<int>(plot->chart()->plotArea().width()));
    }

    void OverAndUnderflowAreMarksAtTheEdgesNotValues()
    {
        plot->Add(Reading(0, 5e9));
        plot->Add(Reading(1, 0, true, RangeState::Over));
        plot->Add(Reading(2, 2e7));
        plot->Add(Reading(3, 0, true, RangeState::Under));
        plot->Redraw();
        QCOMPARE(plot->ResistanceSeries()->count(), 2);
        const auto [lo, hi] = YRange(plot->ResistanceSeries()->points());
        QVERIFY(lo > 7.0 && hi < 10.0);
        QCOMPARE(plot->OverflowSeries()->count(), 1);
        QCOMPARE(plot->UnderflowSeries()->count(), 1);
        QCOMPARE(plot->OverflowSeries()->at(0).x(), 1.0);
        QVERIFY(plot->OverflowSeries()->at(0).y() > 9.5 && plot->OverflowSeries()->at(0).y() <= 10.0);
        QVERIFY(plot->UnderflowSeries()->at(0).y() >= 7.0 && plot->UnderflowSeries()->at(0).y() < 7.5);
        QVERIFY(!plot->chart()->legend()->markers(plot->OverflowSeries()).isEmpty());

        // Nothing but overflow: no line at all, the mark still there.
        plot->Clear();
        for (int i = 0; i < 5; ++i)
            plot->Add(Reading(i, 0, true, RangeState::Over));
        plot->Redraw();
        QCOMPARE(plot->ResistanceSeries()->count(), 0);
        QCOMPARE(plot->OverflowSeries()->count(), 5);  // a minute's axis has a column for each
    }

    void MarkersCountFromTheFirstStableReading()
    {
        auto shownAt = [&] {
            QList<double> xs;
            for (QLineSeries* m : plot->Markers())
                if (m->isVisible())
                    xs << m->at(0).x() * plot->TimeUnit();
            return xs;
        };
        plot->Add(Reading(0.0, 1e8, false));
        plot->Add(Reading(2.5, 1e8, false));
        plot->Redraw();
        QVERIFY(!plot->Origin());
        QVERIFY(shownAt().isEmpty());
        plot->Add(Reading(3.5, 1e9, true));
        plot->Add(Reading(4.5, 1e9, false));  // a later unstable reading moves nothing
        plot->Redraw();
        QCOMPARE(*plot->Origin(), 0.0);  // the voltage command, not the first stable reading
        // Markers beyond the axis (10 min on a 60 s axis) wait until it reaches them.
        QCOMPARE(shownAt(), (QList<double>{15, 30, 60}));
        plot->Add(Reading(700, 1e9));
        plot->Redraw();
        const QList<double> xs = shownAt();
        QCOMPARE(xs.size(), 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY(qAbs(xs[i] - ReadingPlot::kMarkerSeconds[i]) < 1e-9);
        QCOMPARE(plot->TimeUnit(), 60.0);
    }

    void AxisEndsNearTheRunLabelsStayApartGridForDecadesOnly()
    {
        // The latest reading's time, and where the axis ends in its unit.
        const std::tuple<double, double, double> cases[] = {
            {59, 60, 1},     {61, 90, 1},      {300, 300, 1},   {301, 6, 60},     {636, 11, 60},
            {660, 11, 60},   {661, 12, 60},    {1201, 25, 60},  {7200, 120, 60},  {7201, 2.5, 3600}};
        for (const auto& [last, end, unit] : cases) {
            plot->Clear();
            plot->Add(Reading(0, 1e9));
            plot->Add(Reading(last, 1e9));
            plot->Redraw();
            QCOMPARE(plot->TimeUnit(), unit);
            QCOMPARE(plot->TimeAxis()->max(), end);
        }
        // A 10.6 min run on a narrow plot: 15 s, 30 s and 1 min lie a few pixels apart, their
        // labels still do not cover one another, and each line is exactly at its time.
        plot->resize(420, 300);
        QTRY_VERIFY_WITH_TIMEOUT(plot->chart()->plotArea().width() < 400, 5000);
        plot->Clear();
        plot->Add(Reading(0, 1e9, false));
        plot->Add(Reading(636, 1e9));
        plot->SetOrigin(2.0);  // the core's origin, not the first stable reading's
        plot->Redraw();
        const std::vector<QRectF> labels = plot->MarkerLabelRects();
        QCOMPARE(labels.size(), size_t(4));
        for (size_t i = 0; i < labels.size(); ++i)
            for (size_t j = i + 1; j < labels.size(); ++j)
                QVERIFY2(!labels[i].intersects(labels[j]), qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
        // Near the axis' end the 10 min label turns to the left of its line, clear of the voltage axis.
        const QRectF area = plot->chart()->plotArea();
        for (const QRectF& label : labels)
            QVERIFY2(label.left() >= area.left() && label.right() <= area.right(),
                     qPrintable(QStringLiteral("%1 .. %2 outside %3 .. %4")
                                    .arg(label.left()).arg(label.right()).arg(area.left()).arg(area.right())));
        for (size_t i = 0; i < 4; ++i)
            QCOMPARE(plot->Markers()[i]->at(0).x() * 60, 2.0 + ReadingPlot::kMarkerSeconds[i]);
        QVERIFY(plot->ResistanceAxis()->isGridLineVisible());
        QVERIFY(!plot->TimeAxis()->isGridLineVisible() && !plot->TimeAxis()->isMinorGridLineVisible());
        QVERIFY(!plot->VoltageAxis()->isGridLineVisible() && !plot->VoltageAxis()->isMinorGridLineVisible());
    }

    void ClearForgetsEverything()
    {
        for (int i = 0; i < 100; ++i)
            plot->Add(Reading(i, 1e9 + i, true, i % 10 == 0 ? RangeState::Over : RangeState::InRange));
        plot->Redraw();
        plot->Clear();
        QCOMPARE(plot->Count(), 0);
        QVERIFY(!plot->Origin());
        QCOMPARE(plot->ResistanceSeries()->count(), 0);
        QCOMPARE(plot->VoltageSeries()->count(), 0);
        QCOMPARE(plot->OverflowSeries()->count(), 0);
        for (QLineSeries* m : plot->Markers())
            QVERIFY(!m->isVisible());
    }

    void ReadingsWaitForTheTick()
    {
        plot->Redraw();
        for (int i = 0; i < 50; ++i)
            plot->Add(Reading(i, 1e9));
        // Adding draws nothing by itself; the tick draws them all at once.
        QCOMPARE(plot->ResistanceSeries()->count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(plot->ResistanceSeries()->count() > 0, 5000);
        QCOMPARE(plot->ResistanceSeries()->at(plot->ResistanceSeries()->count() - 1).x(), 49.0);
    }

private:
    std::unique_ptr<ReadingPlot> plot;
};

QTEST_MAIN(ReadingPlotTest)
#include "test_reading_plot.moc"
