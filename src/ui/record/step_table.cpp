// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/step_table.h"

#include "ui/record/figure_table.h"

#include <QCoreApplication>
#include <algorithm>

namespace krx {

namespace {

QString Ohm(const std::optional<double>& ohm, bool atLeast)
{
    if (!ohm)
        return NotEnoughDataText();
    return (atLeast ? QStringLiteral("≥ ") : QString()) + OhmText(*ohm);
}

}  // namespace

StepTable MakeStepTable(const StepPlan& plan, const StepResult& result)
{
    StepTable t;
    t.header = {QCoreApplication::translate("FiguresPanel", "Step"), QCoreApplication::translate("FiguresPanel", "Voltage"), QStringLiteral("R"), QCoreApplication::translate("FiguresPanel", "R at 40 °C")};
    for (size_t i = 0; i < plan.volts.size(); ++i) {
        const int step = static_cast<int>(i) + 1;
        QStringList row{QString::number(step), QStringLiteral("%1 V").arg(plan.volts[i])};
        const auto done = std::find_if(result.steps.begin(), result.steps.end(),
                                       [step](const StepFigure& f) { return f.step == step; });
        if (done == result.steps.end())
            row << QStringLiteral("–") << QStringLiteral("–");
        else
            row << Ohm(done->ohm, done->atLeast) << Ohm(done->ohmAt40C, done->atLeast);
        t.rows.push_back(row);
    }
    QStringList volts;
    for (const int v : plan.volts)
        volts << QString::number(v);
    t.voltsLine = QStringLiteral("%1 V").arg(volts.join(QStringLiteral(", ")));
    t.planLine = QCoreApplication::translate("FiguresPanel", "%1, %2 s each").arg(t.voltsLine).arg(plan.stepSeconds);
    const QString span = result.steps.size() >= 2 ? QCoreApplication::translate("FiguresPanel", " from %1 V to %2 V")
                                                        .arg(result.steps.front().volts)
                                                        .arg(result.steps.back().volts)
                                                  : QString();
    t.changeLine = QCoreApplication::translate("FiguresPanel", "Change%1: %2").arg(span, StepChangeText(result));
    t.verdict = StepVerdictText(result);
    return t;
}

}  // namespace krx
