// SPDX-License-Identifier: GPL-3.0-or-later
#include "app_windows.h"

#include "app/settings.h"
#include "app/startup.h"

#include <QFile>

namespace krx::test {

AppWindows::AppWindows(const QStringList& parameters, const QByteArray& settings, ProcedureRunner::Mode mode)
{
    SetSettingsFilePath(SettingsPath());
    if (!settings.isNull()) {
        QFile f(SettingsPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(settings);
    }
    SetProgramParameters(parameters);
    CreateWindows(mode);
}

AppWindows::~AppWindows()
{
    DestroyWindows();
    SetSettingsFilePath(QString());
}

QString AppWindows::SettingsPath() const
{
    return dir_.filePath(QStringLiteral("KRX_SETUP.INI"));
}

}  // namespace krx::test
