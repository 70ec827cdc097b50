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
    enum Kind { Message, Input, Save, Error } kind = Message;
    QString text;   // message text, input prompt, error message
    QString title;  // title; for Save the initial folder
    Buttons buttons = Buttons::Ok;  // also tells which button Return presses
    Icon icon = Icon::None;
    SaveFileRequest save;  // for Save
    QString value;         // for Input: the text offered when the dialog opened
};

class ScriptedDialogs : public Dialogs {
public:
    // Answers for OK/Cancel boxes (default Ok), inputs (nullopt = cancel; default cancel) and save
    // dialogs (nullopt = cancel; default cancel), consumed in order.
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> saves;
    std::vector<ShownBox> shown;
    // Called after a box was recorded and before it returns: lets a test act "while the box is up".
    std::function<void(const ShownBox&)> onShow;
    // Called by ProcessEvents (for example QCoreApplication::processEvents in window tests).
    std::function<void()> onProcessEvents;
    // Writes each box to standard error as well, so that a child process' output shows it.
    bool echo = true;

    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
    void ProcessEvents() override;

    // "title|text" of every message and error box, in order.
    QStringList Messages() const;
};

// Installs itself as the process' dialogs for its lifetime.
class ScopedDialogs : public ScriptedDialogs {
public:
    ScopedDialogs() { SetDialogs(this); }
    ~ScopedDialogs() override { SetDialogs(nullptr); }
};

}  // namespace krx::test
