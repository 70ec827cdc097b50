// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_dialogs.h"

namespace krx {

namespace {
Dialogs* g_dialogs = nullptr;
}

Dialogs& WindowDialogs()
{
    static ConsoleDialogs console;
    return g_dialogs ? *g_dialogs : console;
}

void SetWindowDialogs(Dialogs* dialogs)
{
    g_dialogs = dialogs;
}

}  // namespace krx
