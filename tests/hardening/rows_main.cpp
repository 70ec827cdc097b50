// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the main window: Init, and Exit.
#include "rows.h"

#include "app/form_main.h"
#include "device/protocol.h"
#include "measure/form_meas.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace krx::test {

bool MainWindowUsable(Run& run, QString& why)
{
    const size_t from = run.t.dialogs.shown.size();
    if (!Form_Main->Button_Init->isHidden())
        Form_Main->Button_Init->click();
    if (Form_Main->GroupBox_Device->isHidden()) {
        why = QStringLiteral("Init does not succeed");
        return false;
    }
    // Measuring and Back: a move that runs Init again, as the user would to reconnect.
    Form_Main->BitBtn_Measuring->click();
    Form_Meas->BitBtn_Back->click();
    const QStringList boxes = BoxesSince(run.t.dialogs, from);
    if (!boxes.isEmpty()) {
        why = boxes.join(QStringLiteral(", "));
        return false;
    }
    if (Form_Main->isHidden() || run.t.meter().RemoteMode() != protocol::kModeMain ||
        Form_Main->Label_SN->text() != QString::fromStdString(run.t.meter().scenario().serialNo)) {
        why = QStringLiteral("main window without the meter after Init");
        return false;
    }
    return true;
}

void InitInParent(SimSetup&)
{
    Form_Main->show();
    Form_Main->Button_Init->click();
}

Procedure InitRow()
{
    Procedure p;
    p.name = QStringLiteral("Init");
    p.prepare = [](SimSetup&) { Form_Main->show(); };
    p.run = [](Run&) { Form_Main->Button_Init->click(); };
    p.usable = MainWindowUsable;
    return p;
}

Procedure ExitRow()
{
    Procedure p;
    p.name = QStringLiteral("Exit");
    p.prepare = InitInParent;
    p.run = [](Run&) { Form_Main->BitBtn_Exit->click(); };
    p.endsProcess = true;
    return p;
}

}  // namespace krx::test
