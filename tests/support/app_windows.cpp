// SPDX-License-Identifier: GPL-3.0-or-later
#include "app_windows.h"

#include "core/settings.h"
#include "ui/history/file_test_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTimer>
#include <QtGlobal>

namespace krx::test {

namespace {
AppWindows* g_alive = nullptr;

AppWindows& Alive()
{
    if (!g_alive)
        qFatal("no AppWindows alive: create one before reaching for its windows");
    return *g_alive;
}
}  // namespace

AppWindows::AppWindows(const QStringList& parameters, const QByteArray& settings, ProcedureRunner::Mode mode)
{
    if (g_alive)
        qFatal("two AppWindows alive at once");
    SetSettingsFilePath(SettingsPath());
    // The recordings and the history database go to the user's data folder by default: a
    // temporary one here, so that no test writes into the home folder.
    savedDataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toLocal8Bit());
    if (!settings.isNull()) {
        QFile f(SettingsPath());
        if (f.open(QIODevice::WriteOnly))
            f.write(settings);
    }
    SetProgramParameters(parameters);
    windows_ = std::make_unique<ProgramWindows>(mode);
    g_alive = this;
}

AppWindows::~AppWindows()
{
    g_alive = nullptr;
    windows_.reset();
    SetSettingsFilePath(QString());
    if (savedDataHome_.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", savedDataHome_);
}

QString AppWindows::DataHome() const
{
    return dir_.filePath(QStringLiteral("data"));
}

QString AppWindows::SettingsPath() const
{
    return dir_.filePath(QStringLiteral("KRX_SETUP.INI"));
}

MainWindow* MainWin()
{
    return &Alive().Main();
}

MeasurementWindow* MeasWin()
{
    return &Alive().Measurement();
}

SpecialFunctionsWindow* SpecialWin()
{
    return &Alive().SpecialFunctions();
}

MeterSession& TheSession()
{
    return Alive().Session();
}

bool FileUnder(QPushButton* button, const QString& assetId)
{
    bool answered = false;
    QObject scope;  // a press that opened nothing must not leave the answer pending
    QTimer::singleShot(0, &scope, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        d->findChild<QComboBox*>(QStringLiteral("assetId"))->setEditText(assetId);
        answered = true;
        d->findChild<QPushButton*>(QStringLiteral("fileButton"))->click();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<history_view::FileTestDialog*>(w))
                d->done(QDialog::Rejected);
    });
    watchdog.start(5000);
    button->click();
    return answered && watchdog.isActive();
}

}  // namespace krx::test
