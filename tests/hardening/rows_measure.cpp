// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the measurement window: a free-running cycle ended with Break, and a timer cycle that
// runs out; each followed by Save of the reading.
#include "app_windows.h"
#include "rows.h"

#include "ui/main_window.h"
#include "ui/measurement/measurement_window.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

using krx::test::MainWin;
using krx::test::MeasWin;
using krx::test::TheSession;

namespace krx::test {

namespace {

constexpr int kVoltage = 5;  // the voltage read closes every reading of the loop
constexpr int kValue = 0;
constexpr int kStatus = 1;
constexpr int kClimate = 6;

sim::Scenario Steady()
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = s.rInf = 1.23e6;
    s.stabiliseSeconds = 0.6;
    return s;
}

// Break after two readings of a free-running cycle; Break as well when the budget is spent.
void DriveCycle(Run& run)
{
    MeasurementWindow* f = MeasWin();
    if (!f->Running || !f->breakButton->isEnabled())
        return;
    if (run.Overdue()) {
        run.GiveUp();
        run.Press(f->breakButton);
    } else if (!TheSession().TimerMode && CountTransfers(kVoltage, true) - run.step >= 2) {
        run.Press(f->breakButton);
    }
}

void RunCycle(Run& run)
{
    if (run.save) {
        run.t.dialogs.inputs = {QStringLiteral("fault matrix")};
        run.t.dialogs.saves = {run.exportFile};
    }
    run.step = CountTransfers(kVoltage, true);
    run.Press(MeasWin()->startButton);
    // A cycle that ended in an error waits for Break to give the buttons back.
    if (MeasWin()->Running)
        run.Press(MeasWin()->breakButton);
    if (run.save && MeasWin()->saveButton->isEnabled())
        run.Press(MeasWin()->saveButton);
}

// The live reading (value, status, climate, voltage) and the stabilisation wait's status read.
bool CycleFatal(const std::vector<TransferRecord>& log, int code, QString& where)
{
    if (log.empty())
        return false;
    const TransferRecord& last = log.back();
    const TransferRecord* before = ControlBefore(log, log.size() - 1);
    where = last.Describe();
    const bool afterValue = before && before->kind == TransferRecord::In && before->value == kValue;
    if (last.kind == TransferRecord::Open)  // the live reading's status read could not reconnect
        return last.result == 0 && code == 0 && afterValue;
    if (last.kind != TransferRecord::In || code != last.result)
        return false;
    switch (last.value) {
    case kValue:
    case kClimate:
    case kVoltage:
        return last.result < 1;
    case kStatus: {
        if (afterValue)
            return last.result < 1;
        bool readingTaken = false;
        for (size_t i = 0; i + 1 < log.size(); ++i)
            readingTaken = readingTaken || (log[i].kind == TransferRecord::In && log[i].value == kValue);
        return !readingTaken && last.result < 0;  // still waiting for a stable voltage
    }
    default:
        return false;
    }
}

Procedure CycleRow(const char* name, bool timer)
{
    Procedure p;
    p.name = QString::fromLatin1(name);
    p.scenario = Steady();
    p.prepare = [timer](SimSetup& t) {
        InitInParent(t);
        if (timer) {
            MainWin()->timerMeasuringButton->click();
            MeasWin()->timerSlider->setValue(3);
        } else {
            MainWin()->measuringButton->click();
        }
    };
    p.exports = true;
    p.run = RunCycle;
    p.drive = DriveCycle;
    p.fatal = CycleFatal;
    p.budgetSeconds = 120;
    p.verify = [](Run&) {
        return MeasWin()->resistanceLabel->text().isEmpty() ? QStringLiteral("the cycle showed no reading")
                                                                 : QString();
    };
    p.usable = [](Run& run, QString& why) {
        const size_t from = run.t.dialogs.shown.size();
        RunCycle(run);
        const QStringList boxes = BoxesSince(run.t.dialogs, from);
        if (!boxes.isEmpty() || MeasWin()->resistanceLabel->text().isEmpty()) {
            why = QStringLiteral("cycle again: \"%1\" %2")
                      .arg(MeasWin()->resistanceLabel->text(), boxes.join(QStringLiteral(", ")));
            return false;
        }
        MeasWin()->backButton->click();
        if (!BoxesSince(run.t.dialogs, from).isEmpty() || MainWin()->isHidden()) {
            why = QStringLiteral("Back: ") + BoxesSince(run.t.dialogs, from).join(QStringLiteral(", "));
            return false;
        }
        return true;
    };
    return p;
}

}  // namespace

std::vector<Procedure> MeasureRows()
{
    return {CycleRow("Free-running cycle + Save", false), CycleRow("Timer cycle + Save", true)};
}

}  // namespace krx::test
