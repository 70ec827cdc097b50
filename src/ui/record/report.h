// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The PDF report of a measurement a customer can receive: what was tested and where, by whom and
// when, at which voltage and in which climate, the plot across the page, the figures with their
// verdicts and sources, the comment and the lines to sign; a second page with the readings at the
// figures' times. A4, or US Letter where the locale measures in inches.

#include "core/data_dialect.h"
#include "ui/record/figure_table.h"
#include "ui/record/report_method.h"
#include "ui/record/step_table.h"

#include <QDateTime>
#include <QPageSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QRectF;

namespace krx {

struct KeyReading {
    QString when;  // "15 s", "1 min", "end"
    DataRecord reading;
};

struct ReportContent {
    QString meterType, serial, swVersion;
    bool simulated = false;  // said in large letters on every page
    QDateTime started;
    QDateTime made;  // the report's date; invalid: now
    // The test object, as filed or chosen; empty fields get a line to write on.
    QString asset, nameplate, location, operatorName;
    int volts = 0;
    double durationSeconds = 0.0;
    std::optional<double> rampSeconds;  // from the voltage command to a stable measuring voltage
    std::optional<double> temperature;  // °C, the air at the meter (mean over the figures' span)
    std::optional<int> humidity;        // %
    std::optional<double> dewPoint;     // °C
    FigureTable figures;  // its temperatureLine names the temperature the correction used
    std::optional<StepTable> steps;  // a step-voltage test: drawn in place of the figures
    std::optional<MethodSheet> method;  // an ESD or material test: drawn in place of the figures
    QString comment;
    std::vector<KeyReading> keyReadings;  // the second page; none: one page
    // Draws the plot into the rectangle (page coordinates); empty: the page says there is none.
    std::function<void(QPainter&, const QRectF&)> drawPlot;
    double plotAspect = 0.45;  // height over width of the plot as drawn; kept within 0.35 … 0.5
};

// Takes start, duration, voltage, climate, ramp and the key readings from a run's readings.
void FillFromReadings(ReportContent& content, const std::vector<DataRecord>& readings);

// A4, or US Letter for a locale that measures in inches.
QPageSize::PageSizeId ReportPageSize();

// Writes the report to a temporary file beside `fileName` and renames it into place, so that a
// failed write never leaves a file that looks like a report. False with `error` set.
bool WriteReport(const ReportContent& content, const QString& fileName, QString* error);

// "11 min 0 s", "2 h 5 min", "42 s".
QString DurationText(double seconds);

}  // namespace krx
