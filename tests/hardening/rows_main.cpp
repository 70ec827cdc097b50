// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the main window: Init, and Exit.
#include "app_windows.h"
#include "rows.h"

#include "ui/main_window.h"
#include "device/protocol.h"
#include "ui/measurement/measurement_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using krx::test::MainWin;
using krx::test::MeasWin;

namespace krx::test {

bool MainWindowUsable(Run& run, QString& why)
{
    const size_t from = run.t.dialogs.shown.size();
    if (!MainWin()->initButton->isHidden())
        MainWin()->initButton->click();
    if (MainWin()->deviceGroup->isHidden()) {
        why = QStringLiteral("Init does not succeed");
        return false;
    }
    // Measuring and Back: a move that runs Init again, as the user would to reconnect.
    MainWin()->measuringButton->click();
    MeasWin()->backButton->click();
    const QStringList boxes = BoxesSince(run.t.dialogs, from);
    if (!boxes.isEmpty()) {
        why = boxes.join(QStringLiteral(", "));
        return false;
    }
    if (MainWin()->isHidden() || run.t.meter().RemoteMode() != protocol::kModeMain ||
        MainWin()->serialLabel->text() != QString::fromStdString(run.t.meter().scenario().serialNo)) {
        why = QStringLiteral("main window without the meter after Init");
        return false;
    }
    return true;
}

void InitInParent(SimSetup&)
{
    MainWin()->show();
    MainWin()->initButton->click();
}

Procedure InitRow()
{
    Procedure p;
    p.name = QStringLiteral("Init");
    p.prepare = [](SimSetup&) { MainWin()->show(); };
    p.run = [](Run&) { MainWin()->initButton->click(); };
    p.usable = MainWindowUsable;
    return p;
}

Procedure ExitRow()
{
    Procedure p;
    p.name = QStringLiteral("Exit");
    p.prepare = InitInParent;
    p.run = [](Run&) { MainWin()->exitButton->click(); };
    p.endsProcess = true;
    return p;
}

}  // namespace krx::test
