// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui_wait.h"

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/localetext.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <thread>

namespace krx {

void ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

namespace {
void PaintingSleep(int ms)
{
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    // A local loop that only a timer ends: paint and timer events run, user input is queued by
    // the platform layer and delivered at the next full event processing.
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}
}  // namespace

void InstallUiSleeper()
{
    TheSteadyClock().SetSleeper(&PaintingSleep);
}

void RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ConversionError& e) {
        TheDialogs().ShowError(e.Message());
    } catch (const std::exception& e) {
        TheDialogs().ShowError(QString::fromUtf8(e.what()));
    }
}

}  // namespace krx
