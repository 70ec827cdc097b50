// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one-page PDF report of a measurement: the meter, when, at which voltage and for how long, the
// climate, the plot, the figures with their verdicts and sources, and the person's comment.

#include "ui/figure_table.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class QPainter;
class QRectF;

namespace krx {

struct ReportContent {
    QString meterType, serial, swVersion;
    QDateTime started;
    int volts = 0;
    double durationSeconds = 0.0;
    std::optional<double> temperature;  // °C, the meter's
    std::optional<int> humidity;        // %
    FigureTable figures;
    QString comment;
    // Draws the plot into the rectangle (page coordinates); empty: the page says there is none.
    std::function<void(QPainter&, const QRectF&)> drawPlot;
    double plotAspect = 0.5;  // height over width of the plot as drawn; kept within 0.35 … 0.6
};

// Writes the report to a temporary file beside `fileName` and renames it into place, so that a
// failed write never leaves a file that looks like a report. False with `error` set.
bool WriteReport(const ReportContent& content, const QString& fileName, QString* error);

// "11 min 0 s", "2 h 5 min", "42 s".
QString DurationText(double seconds);

}  // namespace krx
