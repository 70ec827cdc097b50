// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/step_panel.h"

#include "ui/record/figures_panel.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace krx {

StepPanel::StepPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StepPanel"));
    auto* title = new QLabel(QCoreApplication::translate("FiguresPanel", "Step-voltage test"), this);
    title->setStyleSheet(QStringLiteral("font-weight: bold"));
    planLine = VerdictLabel(QStringLiteral("StepPlan"), this);
    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(10);
    changeLine = VerdictLabel(QStringLiteral("StepChange"), this);
    changeLine->setStyleSheet(QStringLiteral("font-weight: bold"));
    verdictLine = VerdictLabel(QStringLiteral("StepVerdict"), this);
    sourceLine = VerdictLabel(QStringLiteral("StepSource"), this);
    auto* box = new QVBoxLayout(this);
    box->addWidget(title);
    box->addWidget(planLine);
    box->addSpacing(6);
    box->addLayout(grid_);
    box->addSpacing(6);
    box->addWidget(changeLine);
    box->addWidget(verdictLine);
    box->addWidget(sourceLine);
    box->addStretch(1);
}

void StepPanel::Show(const StepTable& table)
{
    table_ = table;
    while (QLayoutItem* item = grid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    std::vector<QStringList> rows{table.header};
    rows.insert(rows.end(), table.rows.begin(), table.rows.end());
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < rows[static_cast<size_t>(r)].size(); ++c) {
            auto* cell = new QLabel(rows[static_cast<size_t>(r)][c], this);
            cell->setTextFormat(Qt::PlainText);
            cell->setAlignment(c < 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (r == 0)
                cell->setStyleSheet(QStringLiteral("font-weight: bold"));
            grid_->addWidget(cell, r, c);
        }
    planLine->setText(table.planLine);
    changeLine->setText(table.changeLine);
    verdictLine->setText(QCoreApplication::translate("FiguresPanel", "Verdict: %1").arg(table.verdict.text));
    sourceLine->setText(QCoreApplication::translate("FiguresPanel", "Source: %1").arg(table.verdict.source.isEmpty() ? QCoreApplication::translate("FiguresPanel", "no rule applies")
                                                                                         : table.verdict.source));
}

QLabel* StepPanel::Cell(int row, int column) const
{
    QLayoutItem* item = grid_->itemAtPosition(row, column);
    return item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
}

}  // namespace krx
