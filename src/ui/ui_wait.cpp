// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ui_wait.h"

#include "device/clock.h"
#include "ui/window_dialogs.h"
#include "core/localetext.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <thread>

namespace krx {

void RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ConversionError& e) {
        WindowDialogs().ShowError(e.Message());
    } catch (const std::exception& e) {
        WindowDialogs().ShowError(QString::fromUtf8(e.what()));
    }
}

}  // namespace krx
