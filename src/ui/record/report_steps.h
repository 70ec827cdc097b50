// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report's block for a step-voltage test, drawn where a one-voltage test has its figures.

#include "ui/record/step_table.h"

#include <QRectF>

class QPainter;

namespace krx {

// Draws the table, the change and the verdict with its source from the top of `box`; returns the
// height used.
qreal DrawStepTable(QPainter& p, const QRectF& box, const StepTable& t);

// The blocks' font and its line spacing on the page.
void UseBlockFont(QPainter& p, qreal points, bool bold = false);
qreal BlockLine(const QPainter& p);

}  // namespace krx
