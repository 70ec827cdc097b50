// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_person.h"
#include "ui/window_dialogs.h"

#include <QMetaObject>
#include <QThread>

namespace krx {

template <typename F>
void WindowPerson::OnWindowThread(F f)
{
    if (QThread::currentThread() == target_->thread())
        f();
    else
        QMetaObject::invokeMethod(target_, f, Qt::BlockingQueuedConnection);
}

Answer WindowPerson::Message(const QString& text, const QString& title, Buttons buttons, Icon icon)
{
    Answer answer = Answer::Cancel;
    OnWindowThread([&] { answer = WindowDialogs().Message(text, title, buttons, icon); });
    return answer;
}

bool WindowPerson::InputQuery(const QString& title, const QString& prompt, QString& value)
{
    bool ok = false;
    OnWindowThread([&] { ok = WindowDialogs().InputQuery(title, prompt, value); });
    return ok;
}

bool WindowPerson::SaveFile(const SaveFileRequest& request, QString& fileName)
{
    bool ok = false;
    OnWindowThread([&] { ok = WindowDialogs().SaveFile(request, fileName); });
    return ok;
}

bool WindowPerson::OpenFile(const OpenFileRequest& request, QString& fileName)
{
    bool ok = false;
    OnWindowThread([&] { ok = WindowDialogs().OpenFile(request, fileName); });
    return ok;
}

void WindowPerson::ShowError(const QString& message)
{
    OnWindowThread([&] { WindowDialogs().ShowError(message); });
}

int WindowPerson::ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current)
{
    int chosen = -1;
    OnWindowThread([&] { chosen = WindowDialogs().ChooseItem(title, prompt, items, current); });
    return chosen;
}

}  // namespace krx
