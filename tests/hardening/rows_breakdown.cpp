// SPDX-License-Identifier: GPL-3.0-or-later
// Row of the break-down test: set-up, break-down, its result saved, break-off, the final result
// saved, Stop.
#include "app_windows.h"
#include "rows.h"

#include "ui/main_window.h"
#include "ui/special_functions/special_functions_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using krx::test::MainWin;
using krx::test::SpecialWin;

namespace krx::test {

namespace {

bool StartReads(const char* caption)
{
    return SpecialWin()->startButton->isEnabled() && SpecialWin()->startButton->text() == QLatin1String(caption);
}

// The user's presses: Start, Save at the break-down, Start of the break-off, Save of the result,
// Stop. Stop as well when there is nothing more to wait for, or when the budget is spent.
void DriveBreakDown(Run& run)
{
    SpecialFunctionsWindow* f = SpecialWin();
    if (!f->BreakDownTestRunning() || f->BreakDown().SaveRequested() || f->BreakDown().StopRequested())
        return;
    if (run.Overdue()) {
        run.GiveUp();
        if (f->stopButton->isEnabled())
            run.Press(f->stopButton);
        return;
    }
    if (StartReads("Start Break-Down") && f->BreakDown().AwaitsBreakDownStart()) {
        // Told that a field holds no timer, the user types the meter's own.
        const auto& shown = run.t.dialogs.shown;
        if (!shown.empty() && shown.back().text.contains(QLatin1String("is not a timer"))) {
            f->breakDownTimerField->setText(QString::number(run.t.meter().scenario().breakDownTimer));
            f->breakOffTimerField->setText(QString::number(run.t.meter().scenario().breakOffTimer));
        }
        run.Press(f->startButton);
    } else if (StartReads("Start Break-Off")) {
        if (run.save && run.step == 0) {
            run.step = 1;
            run.Press(f->saveButton);
        } else {
            run.Press(f->startButton);
        }
    } else if (f->saveButton->isEnabled() && !f->startButton->isEnabled() &&
               f->progressLabel->text().endsWith(QLatin1String("Break-OFF !"))) {
        // The result hold.
        if (run.save && run.step < 2) {
            run.step = 2;
            run.Press(f->saveButton);
        } else {
            run.Press(f->stopButton);
        }
    } else if (f->progressLabel->text() == QLatin1String("No Break-Down !")) {
        run.Press(f->stopButton);
    }
}

void RunBreakDown(Run& run)
{
    if (run.save) {
        run.t.dialogs.inputs = {QStringLiteral("fault matrix"), QStringLiteral("fault matrix")};
        run.t.dialogs.saves = {run.exportFile, run.exportFile};
    }
    run.Press(SpecialWin()->breakDownButton);
}

// The value read at a break-down: the climate read comes right before it.
bool BreakDownValueRead(const std::vector<TransferRecord>& log, int code, QString& where)
{
    if (log.empty())
        return false;
    const TransferRecord& last = log.back();
    const TransferRecord* before = ControlBefore(log, log.size() - 1);
    where = last.Describe();
    const bool afterClimate = before && before->kind == TransferRecord::In && before->value == 6;
    if (last.kind == TransferRecord::In && last.value == 7)
        return afterClimate && last.result < 1 && code == last.result;
    // The reconnect before that read failed.
    return last.kind == TransferRecord::Open && last.result == 0 && code == 0 && afterClimate;
}

}  // namespace

Procedure BreakDownRow()
{
    Procedure p;
    p.name = QStringLiteral("Break-down test");
    p.prepare = [](SimSetup& t) {
        InitInParent(t);
        MainWin()->specialFunctionsButton->click();
    };
    p.exports = true;
    p.run = RunBreakDown;
    p.drive = DriveBreakDown;
    p.fatal = BreakDownValueRead;
    p.budgetSeconds = 240;  // the clean test takes about 40 s of meter time
    p.usable = [](Run& run, QString& why) {
        const size_t from = run.t.dialogs.shown.size();
        RunBreakDown(run);
        const QStringList boxes = BoxesSince(run.t.dialogs, from);
        const QStringList memo = SpecialWin()->recordDisplay->toPlainText().split(QLatin1Char('\n'));
        if (!boxes.isEmpty() || !memo.contains(QStringLiteral("BREAK-OFF !!")) ||
            SpecialWin()->BreakDownTestRunning()) {
            why = QStringLiteral("test again: %1; memo ends %2")
                      .arg(boxes.join(QStringLiteral(", ")), memo.mid(std::max<qsizetype>(0, memo.size() - 3))
                                                                 .join(QStringLiteral(" / ")));
            return false;
        }
        return true;
    };
    return p;
}

}  // namespace krx::test
