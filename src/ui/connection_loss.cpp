// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connection_loss.h"

#include "ui/window_dialogs.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace krx {

void ReportConnectionLoss(int code)
{
    const QString caption = QCoreApplication::translate("Controls", "!! Error Nr.: %1 occurred ").arg(code);
    WindowDialogs().Message(QCoreApplication::translate("Controls", "Connection to the KRX 738 interrupted. Program is terminated."), caption,
                         Buttons::Ok, Icon::None);
    ExitProcess(code);
}

void ExitProcess(int code)
{
    std::fflush(nullptr);
    std::exit(code);
}

}  // namespace krx
