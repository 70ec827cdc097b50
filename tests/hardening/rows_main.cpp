// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the main window: Init, and Exit.
#include "rows.h"

#include "app/main_window.h"
#include "device/protocol.h"
#include "measure/measurement_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace krx::test {

bool MainWindowUsable(Run& run, QString& why)
{
    const size_t from = run.t.dialogs.shown.size();
    if (!Form_Main->initButton->isHidden())
        Form_Main->initButton->click();
    if (Form_Main->deviceGroup->isHidden()) {
        why = QStringLiteral("Init does not succeed");
        return false;
    }
    // Measuring and Back: a move that runs Init again, as the user would to reconnect.
    Form_Main->measuringButton->click();
    Form_Meas->backButton->click();
    const QStringList boxes = BoxesSince(run.t.dialogs, from);
    if (!boxes.isEmpty()) {
        why = boxes.join(QStringLiteral(", "));
        return false;
    }
    if (Form_Main->isHidden() || run.t.meter().RemoteMode() != protocol::kModeMain ||
        Form_Main->serialLabel->text() != QString::fromStdString(run.t.meter().scenario().serialNo)) {
        why = QStringLiteral("main window without the meter after Init");
        return false;
    }
    return true;
}

void InitInParent(SimSetup&)
{
    Form_Main->show();
    Form_Main->initButton->click();
}

Procedure InitRow()
{
    Procedure p;
    p.name = QStringLiteral("Init");
    p.prepare = [](SimSetup&) { Form_Main->show(); };
    p.run = [](Run&) { Form_Main->initButton->click(); };
    p.usable = MainWindowUsable;
    return p;
}

Procedure ExitRow()
{
    Procedure p;
    p.name = QStringLiteral("Exit");
    p.prepare = InitInParent;
    p.run = [](Run&) { Form_Main->exitButton->click(); };
    p.endsProcess = true;
    return p;
}

}  // namespace krx::test
