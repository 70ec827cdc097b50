// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dialogs.h"

#include <cstdio>

namespace krx {

Answer ConsoleDialogs::Message(const QString& text, const QString& title, Buttons buttons, Icon)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text));
    return buttons == Buttons::OkCancelDefaultCancel || buttons == Buttons::FileDiscardCancel ? Answer::Cancel
                                                                                               : Answer::Ok;
}

bool ConsoleDialogs::InputQuery(const QString&, const QString&, QString&)
{
    return false;
}

bool ConsoleDialogs::SaveFile(const SaveFileRequest&, QString&)
{
    return false;
}

bool ConsoleDialogs::OpenFile(const OpenFileRequest&, QString&)
{
    return false;
}

void ConsoleDialogs::ShowError(const QString& message)
{
    std::fprintf(stderr, "Error: %s\n", qPrintable(message));
}

}  // namespace krx
