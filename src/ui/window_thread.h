// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Procedures hand out their events on whichever thread runs them; a window takes them on its own.

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

namespace krx {
// Runs `f` on the window's thread: at once when already there, else queued behind the events
// that came before it.
template <typename F>
void OnWindowThread(QObject* window, F f)
{
    if (QThread::currentThread() == window->thread())
        f();
    else
        QMetaObject::invokeMethod(window, std::move(f), Qt::QueuedConnection);
}
}  // namespace krx
