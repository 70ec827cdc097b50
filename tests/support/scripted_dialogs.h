// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialogs for tests: answers come from queues in order, every box is recorded.

#include "core/dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace krx::test {

struct ShownBox {
    enum Kind { Message, Input, Save, Error, Open, Choice } kind = Message;
    QString text;   // message text, input prompt, error message; for Save and Open the title
    QString title;  // title; for Save and Open the initial folder
    Buttons buttons = Buttons::Ok;  // also tells which button Return presses
    Icon icon = Icon::None;
    SaveFileRequest save;  // for Save
    QString value;         // for Input: the text offered when the dialog opened
    QStringList items;     // for Choice: what was offered, `value` the one offered first
};

class ScriptedDialogs : public Dialogs {
public:
    // Answers for OK/Cancel boxes (default Ok), inputs (nullopt = cancel; default cancel) and save
    // dialogs (nullopt = cancel; default cancel), consumed in order.
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> saves;
    std::deque<std::optional<QString>> opens;  // open dialogs, as saves
    std::deque<int> choices;                   // indexes chosen (-1 = cancel; default cancel)
    std::vector<ShownBox> shown;
    // Called after a box was recorded and before it returns: lets a test act "while the box is up".
    std::function<void(const ShownBox&)> onShow;
    // Writes each box to standard error as well, so that a child process' output shows it.
    bool echo = true;

    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    bool OpenFile(const OpenFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
    int ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current) override;

    // "title|text" of every message and error box, in order.
    QStringList Messages() const;
};

// The scripted dialogs of the test running now, for its windows (window_dialogs_scope.h); a test
// without windows hands its dialogs to the procedure or save it starts.
class ScopedDialogs : public ScriptedDialogs {
public:
    ScopedDialogs();
    ~ScopedDialogs() override;
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    ScopedDialogs* previous_;
};

// nullptr while no ScopedDialogs lives.
ScriptedDialogs* CurrentScriptedDialogs();

}  // namespace krx::test
