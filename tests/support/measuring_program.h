// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A program on the simulated meter, after Init, with the measurement window open and its recordings
// going to `folder`: where the window tests of stepped runs start.

#include "app_windows.h"
#include "sim_fixture.h"

#include <QDir>
#include <QFile>

namespace krx::test {

struct MeasuringProgram {
    MeasuringProgram(sim::Scenario meter, const QString& folder)
        : t(std::move(meter)), w({QStringLiteral("krx738")}, "[KRX 738]\nRecordingDirectory=" + folder.toUtf8() + '\n')
    {
        MainWin()->show();
        MainWin()->initButton->click();
        MainWin()->measuringButton->click();
    }
    SimSetup t;
    AppWindows w;
};

// The lines of the one recording in `folder`; none when there is not exactly one.
inline QStringList RecordingLines(const QString& folder)
{
    const QStringList files = QDir(folder).entryList(QDir::Files);
    if (files.size() != 1)
        return {};
    QFile f(QDir(folder).filePath(files[0]));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace krx::test
