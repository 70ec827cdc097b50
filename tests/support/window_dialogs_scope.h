// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// While it lives, the windows show their boxes with the scripted dialogs of the test alive at each
// box (one fixture's windows may outlast several tests), or on standard error when none is.

#include "scripted_dialogs.h"
#include "ui/window_dialogs.h"

namespace krx::test {

class WindowDialogsScope : public Dialogs {
public:
    WindowDialogsScope() { SetWindowDialogs(this); }
    ~WindowDialogsScope() override { SetWindowDialogs(nullptr); }
    WindowDialogsScope(const WindowDialogsScope&) = delete;
    WindowDialogsScope& operator=(const WindowDialogsScope&) = delete;

    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override
    {
        return Current().Message(text, title, buttons, icon);
    }
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override
    {
        return Current().InputQuery(title, prompt, value);
    }
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override
    {
        return Current().SaveFile(request, fileName);
    }
    bool OpenFile(const OpenFileRequest& request, QString& fileName) override
    {
        return Current().OpenFile(request, fileName);
    }
    void ShowError(const QString& message) override { Current().ShowError(message); }
    int ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current) override
    {
        return Current().ChooseItem(title, prompt, items, current);
    }

private:
    Dialogs& Current()
    {
        if (ScriptedDialogs* scripted = CurrentScriptedDialogs())
            return *scripted;
        return console_;
    }
    ConsoleDialogs console_;
};

}  // namespace krx::test
