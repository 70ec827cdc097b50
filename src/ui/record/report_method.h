// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An ESD or material test in the PDF report, in place of the insulation figures: the method and
// item, the electrodes, the path of readings, the result, the conditions, the limit with its source
// and the verdict.

#include "core/judging/method_result.h"

#include <QRectF>
#include <QString>

#include <utility>
#include <vector>

class QPainter;

namespace krx {

struct MethodSheet {
    QString title;        // "ESD-control item, Rtg, worksurface"
    QString voltageLine;  // "10 V, then 100 V"
    std::vector<std::pair<QString, QString>> rows;
    QString verdict, source;
};

MethodSheet MakeMethodSheet(const MethodResult& r);
// Draws the sheet from the top of `box`; its height.
qreal DrawMethodSheet(QPainter& p, const QRectF& box, const MethodSheet& sheet);

}  // namespace krx
