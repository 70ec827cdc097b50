// SPDX-License-Identifier: GPL-3.0-or-later
// The step-voltage test's markers on the plot: where each step ended.
#include "ui/record/reading_plot.h"

#include <QCategoryAxis>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

namespace krx {

void ReadingPlot::AddStepEnd(double elapsed, const QString& label)
{
    QChart* c = chart();
    auto* m = new QLineSeries(c);
    m->setName(label);
    m->setPen(QPen(QColor(0xd0, 0x80, 0x20), 1.0, Qt::DashLine));
    c->addSeries(m);
    m->attachAxis(TimeAxis());
    m->attachAxis(ResistanceAxis());
    auto* text = new QGraphicsSimpleTextItem(label, c);
    QFont f = text->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    text->setFont(f);
    text->setBrush(QColor(0x80, 0x48, 0x10));
    text->setZValue(10);
    stepEndAt_.push_back(elapsed);
    stepEnds_.push_back(m);
    stepLabels_.push_back(text);
    ScheduleRedraw();
}

void ReadingPlot::ClearStepEnds()
{
    for (QLineSeries* m : stepEnds_) {
        chart()->removeSeries(m);
        delete m;
    }
    for (QGraphicsSimpleTextItem* t : stepLabels_)
        delete t;
    stepEndAt_.clear();
    stepEnds_.clear();
    stepLabels_.clear();
}

void ReadingPlot::PlaceStepEnds()
{
    for (size_t i = 0; i < stepEnds_.size(); ++i) {
        QLineSeries* m = stepEnds_[i];
        chart()->legend()->markers(m).first()->setVisible(false);
        const double x = stepEndAt_[i] / TimeUnit();
        m->replace(QList<QPointF>{{x, double(low_)}, {x, double(high_)}});
        // Left of its line, at the foot of the plot: the staircase and the resistance run along the top.
        const QPointF foot = chart()->mapToPosition(QPointF(x, low_), m);
        QGraphicsSimpleTextItem* label = stepLabels_[i];
        const QRectF r = label->boundingRect();
        label->setPos(foot.x() - r.width() - 3, foot.y() - r.height() - 2);
    }
}

}  // namespace krx
