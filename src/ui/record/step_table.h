// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A step-voltage test's figures as rows of text, so that the panel and the report show the same
// words and numbers; the numbers, bounds and verdict are the core's.

#include "core/judging/step_figures.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace krx {

struct StepTable {
    QStringList header;             // "Step", "Voltage", "R", "R at 40 °C"
    std::vector<QStringList> rows;  // one per planned step; a step not finished shows "–"
    QString changeLine;             // "Change from 100 V to 1000 V: -37.0 %"
    FigureVerdict verdict;
    QString planLine;               // "100, 500, 1000 V, 60 s each"
    QString voltsLine;              // "100, 500, 1000 V"
};

StepTable MakeStepTable(const StepPlan& plan, const StepResult& result);

}  // namespace krx
