// SPDX-License-Identifier: GPL-3.0-or-later
// Prints where a copy of the program placed in this executable's folder keeps its settings file:
// the install checks put it beside the installed program and into a portable folder.
#include "core/settings.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krx738"));  // as the program names itself
    std::puts(qPrintable(krx::SettingsFilePath()));
    return 0;
}
