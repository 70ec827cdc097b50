// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The person's decisions for procedures on the device thread: every call is carried to the
// windows' thread, answered there by the program's dialogs, and the procedure waits for the
// answer as it waited for a box before.

#include "core/dialogs.h"

#include <QObject>

namespace krx {

class WindowPerson : public Dialogs {
public:
    // `windowThreadObject` lives on the windows' thread (the application object will do).
    explicit WindowPerson(QObject* windowThreadObject) : target_(windowThreadObject) {}

    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    bool OpenFile(const OpenFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
    int ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current) override;

private:
    template <typename F>
    void OnWindowThread(F f);
    QObject* target_;
};

}  // namespace krx
