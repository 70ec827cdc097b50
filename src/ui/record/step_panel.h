// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A step-voltage test's figures where the measurement's figures stand otherwise: a row per step,
// the change from the lowest to the highest step and its verdict with its source.

#include "ui/record/step_table.h"

#include <QWidget>

class QGridLayout;
class QLabel;

namespace krx {

class StepPanel : public QWidget {
    Q_OBJECT
public:
    explicit StepPanel(QWidget* parent = nullptr);

    void Show(const StepTable& table);
    const StepTable& Table() const { return table_; }
    // The table's text cell at (row, column); row 0 is the header; null outside the table.
    QLabel* Cell(int row, int column) const;

    QLabel* planLine = nullptr;
    QLabel* changeLine = nullptr;
    QLabel* verdictLine = nullptr;
    QLabel* sourceLine = nullptr;

private:
    StepTable table_;
    QGridLayout* grid_ = nullptr;
};

}  // namespace krx
