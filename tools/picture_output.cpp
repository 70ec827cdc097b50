// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_output.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace krx::pictures {

namespace {

int g_failures = 0;

}  // namespace

void Save(QWidget* window, const QString& folder, const QString& name)
{
    QApplication::processEvents();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void CountFailure()
{
    ++g_failures;
}

int ExitCode()
{
    return g_failures == 0 ? 0 : 1;
}

}  // namespace krx::pictures
