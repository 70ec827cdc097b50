// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/connection_loss.h"

#include "ui/window_dialogs.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace krx {

void ReportConnectionLoss(int code)
{
    const QString caption = QStringLiteral("!! Error Nr.: ") + QString::number(code) + QStringLiteral(" occurred ");
    WindowDialogs().Message(QStringLiteral("Connection to the KRX 738 interrupted. Program is terminated."), caption,
                         Buttons::Ok, Icon::None);
    ExitProcess(code);
}

void ExitProcess(int code)
{
    std::fflush(nullptr);
    std::exit(code);
}

}  // namespace krx
