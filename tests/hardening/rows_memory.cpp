// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the special-functions window: both memory read-outs with their export, and the two
// deletions.
#include "app_windows.h"
#include "rows.h"

#include "ui/main_window.h"
#include "ui/special_functions/special_functions_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using krx::test::MainWin;
using krx::test::SpecialWin;

namespace krx::test {

namespace {

void ToSpecialWindow(SimSetup& t)
{
    InitInParent(t);
    MainWin()->specialFunctionsButton->click();
}

// Listed records: each has a hyphen line before it, and one more closes the listing.
int ListedRecords()
{
    const QStringList lines = SpecialWin()->recordDisplay->toPlainText().split(QLatin1Char('\n'));
    return std::max<int>(0, int(lines.count(QStringLiteral("----------------------------------------"))) - 1);
}

// The user's presses during a read-out: the range it offers, then Save; "Back to main menu"
// when the read-out never gets there.
void DriveReadOut(Run& run)
{
    SpecialFunctionsWindow* f = SpecialWin();
    if (run.Overdue()) {
        if (!run.gaveUp && !f->isHidden()) {
            run.GiveUp();
            run.Press(f->mainMenuButton);
        }
        return;
    }
    if (!f->rangeGroup->isHidden() && !f->RangeSaveRequested) {
        run.rangeSize = f->rangeToField->text().toInt() - f->rangeFromField->text().toInt() + 1;
        run.Press(f->rangeSaveButton);
    }
}

void StartReadOut(Run& run, QPushButton* button)
{
    run.t.dialogs.inputs = {QStringLiteral("fault matrix")};
    run.t.dialogs.saves = {run.exportFile};
    button->click();
}

// The user presses the button again, as soon as the meter is back.
bool ReadOutUsable(Run& run, QString& why, QPushButton* SpecialFunctionsWindow::*button, size_t held)
{
    const size_t from = run.t.dialogs.shown.size();
    StartReadOut(run, SpecialWin()->*button);
    const QStringList boxes = BoxesSince(run.t.dialogs, from);
    if (boxes != QStringList{QStringLiteral("Finished|Save successfully!")}) {
        why = QStringLiteral("read-out again: ") + boxes.join(QStringLiteral(", "));
        return false;
    }
    if (ListedRecords() != int(held)) {
        why = QStringLiteral("read-out again lists %1 of %2 records").arg(ListedRecords()).arg(held);
        return false;
    }
    return true;
}

Procedure ReadOutRow(const char* name, QPushButton* SpecialFunctionsWindow::*button, bool ohm)
{
    Procedure p;
    p.name = QString::fromLatin1(name);
    p.prepare = ToSpecialWindow;
    p.exports = true;
    p.run = [button](Run& run) { StartReadOut(run, SpecialWin()->*button); };
    p.drive = DriveReadOut;
    const auto held = [ohm](Run& run) {
        const sim::Scenario& s = run.t.meter().scenario();
        return ohm ? s.ohmMemory.size() : s.breakDownMemory.size();
    };
    // A listing that silently ends early looks like a smaller memory: deleted next, the rest is lost.
    p.verify = [held](Run& run) {
        return ListedRecords() < int(held(run))
                   ? QStringLiteral("lists %1 of the %2 records the meter holds").arg(ListedRecords()).arg(held(run))
                   : QString();
    };
    p.usable = [button, held](Run& run, QString& why) { return ReadOutUsable(run, why, button, held(run)); };
    return p;
}

Procedure DeletionRow(const char* name, QPushButton* SpecialFunctionsWindow::*button, bool ohm)
{
    Procedure p;
    p.name = QString::fromLatin1(name);
    p.prepare = ToSpecialWindow;
    p.run = [button](Run& run) {
        run.t.dialogs.answers = {Answer::Ok};
        (SpecialWin()->*button)->click();
    };
    const auto left = [ohm](Run& run) {
        const sim::Scenario& s = run.t.meter().scenario();
        return ohm ? s.ohmMemory.size() : s.breakDownMemory.size();
    };
    p.verify = [left](Run& run) {
        return SpecialWin()->recordDisplay->toPlainText().contains(QStringLiteral("was deleted")) && left(run) > 0
                   ? QStringLiteral("says deleted, the meter still holds %1 records").arg(left(run))
                   : QString();
    };
    p.usable = [button, left](Run& run, QString& why) {
        const size_t from = run.t.dialogs.shown.size();
        run.t.dialogs.answers = {Answer::Ok};
        (SpecialWin()->*button)->click();
        const QStringList boxes = BoxesSince(run.t.dialogs, from);
        if (boxes.size() != 1 || left(run) != 0) {
            why = QStringLiteral("deletion again: %1 record(s) left, boxes %2")
                      .arg(left(run))
                      .arg(boxes.join(QStringLiteral(", ")));
            return false;
        }
        return true;
    };
    return p;
}

}  // namespace

std::vector<Procedure> MemoryRows()
{
    return {ReadOutRow("Read-out OHM + export", &SpecialFunctionsWindow::readOhmMemoryButton, true),
            ReadOutRow("Read-out BDV + export", &SpecialFunctionsWindow::readBreakDownMemoryButton, false),
            DeletionRow("Delete OHM memory", &SpecialFunctionsWindow::eraseOhmMemoryButton, true),
            DeletionRow("Delete BDV memory", &SpecialFunctionsWindow::eraseBreakDownMemoryButton, false)};
}

}  // namespace krx::test
