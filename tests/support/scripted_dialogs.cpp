// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripted_dialogs.h"

#include <cstdio>

namespace krx::test {

namespace {
void Echo(bool on, const ShownBox& box)
{
    if (on)
        std::fprintf(stderr, "BOX kind=%d title=[%s] text=[%s]\n", int(box.kind), qPrintable(box.title),
                     qPrintable(box.text));
}
}  // namespace

Answer ScriptedDialogs::Message(const QString& text, const QString& title, Buttons buttons, Icon icon)
{
    ShownBox box{ShownBox::Message, text, title, buttons, icon, {}, {}};
    shown.push_back(box);
    Echo(echo, box);
    if (onShow)
        onShow(box);
    Answer a = Answer::Ok;
    if (buttons != Buttons::Ok && !answers.empty()) {
        a = answers.front();
        answers.pop_front();
    }
    return a;
}

bool ScriptedDialogs::InputQuery(const QString& title, const QString& prompt, QString& value)
{
    ShownBox box{ShownBox::Input, prompt, title, Buttons::OkCancel, Icon::None, {}, value};
    shown.push_back(box);
    Echo(echo, box);
    if (onShow)
        onShow(box);
    if (inputs.empty())
        return false;
    auto answer = inputs.front();
    inputs.pop_front();
    if (!answer)
        return false;
    value = *answer;
    return true;
}

bool ScriptedDialogs::SaveFile(const SaveFileRequest& request, QString& fileName)
{
    ShownBox box{ShownBox::Save, request.title, request.initialDir, Buttons::OkCancel, Icon::None, request, {}};
    shown.push_back(box);
    Echo(echo, box);
    if (onShow)
        onShow(box);
    if (saves.empty())
        return false;
    auto answer = saves.front();
    saves.pop_front();
    if (!answer)
        return false;
    fileName = *answer;
    return true;
}

bool ScriptedDialogs::OpenFile(const OpenFileRequest& request, QString& fileName)
{
    ShownBox box{ShownBox::Open, request.title, request.initialDir, Buttons::OkCancel, Icon::None, {}, {}};
    shown.push_back(box);
    Echo(echo, box);
    if (onShow)
        onShow(box);
    if (opens.empty())
        return false;
    auto answer = opens.front();
    opens.pop_front();
    if (!answer)
        return false;
    fileName = *answer;
    return true;
}

void ScriptedDialogs::ShowError(const QString& message)
{
    ShownBox box{ShownBox::Error, message, QString(), Buttons::Ok, Icon::Error, {}, {}};
    shown.push_back(box);
    Echo(echo, box);
    if (onShow)
        onShow(box);
}

int ScriptedDialogs::ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current)
{
    ShownBox box{ShownBox::Choice, prompt, title, Buttons::OkCancel, Icon::Question, {}, items.value(current)};
    box.items = items;
    shown.push_back(box);
    Echo(echo, box);
    if (onShow)
        onShow(box);
    if (choices.empty())
        return -1;
    const int chosen = choices.front();
    choices.pop_front();
    return chosen;
}

QStringList ScriptedDialogs::Messages() const
{
    QStringList out;
    for (const auto& b : shown)
        if (b.kind == ShownBox::Message || b.kind == ShownBox::Error)
            out << b.title + QLatin1Char('|') + b.text;
    return out;
}

namespace {
ScopedDialogs* g_current = nullptr;
}

ScopedDialogs::ScopedDialogs() : previous_(g_current)
{
    g_current = this;
}

ScopedDialogs::~ScopedDialogs()
{
    g_current = previous_;
}

ScriptedDialogs* CurrentScriptedDialogs()
{
    return g_current;
}

}  // namespace krx::test
