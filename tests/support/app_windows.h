// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's three windows for window tests: created in start-up order with the settings file in
// a temporary folder and the given program parameters, destroyed at the end of the scope. Create
// one per test (init/cleanup) for a fresh program, or one per test binary (initTestCase) to keep
// state between tests. Install the simulated meter (SimSetup) as well before pressing anything.

#include "ui/main_window.h"
#include "app/startup.h"
#include "history/history_store.h"
#include "core/procedure_runner.h"
#include "ui/measurement/measurement_window.h"
#include "ui/special_functions/special_functions_window.h"
#include "window_dialogs_scope.h"

#include <QByteArray>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace krx::test {

class AppWindows {
public:
    // `settings`: the settings file's bytes before the windows are created; null: no file.
    // The procedures run inline with a yield hook, so that a test on the virtual clock sees every
    // yield point; benchmarks on the real clock take the program's device thread.
    explicit AppWindows(const QStringList& parameters = {QStringLiteral("krx738")},
                        const QByteArray& settings = QByteArray(),
                        ProcedureRunner::Mode mode = ProcedureRunner::Mode::Inline);
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    QString SettingsPath() const;
    // The user's data folder while the windows live (recordings, history database).
    QString DataHome() const;
    history::HistoryStore& History() { return windows_->History(); }
    MainWindow& Main() { return windows_->Main(); }
    MeasurementWindow& Measurement() { return windows_->Measurement(); }
    SpecialFunctionsWindow& SpecialFunctions() { return windows_->SpecialFunctions(); }
    MeterSession& Session() { return windows_->Session(); }

private:
    WindowDialogsScope dialogs_;  // outlives the windows
    QTemporaryDir dir_;
    QByteArray savedDataHome_;
    std::unique_ptr<ProgramWindows> windows_;
};

// The windows and session of the AppWindows alive now, for a test's helpers that are not handed
// the fixture; the test stops at once when none is alive.
MainWindow* MainWin();
MeasurementWindow* MeasWin();
SpecialFunctionsWindow* SpecialWin();
MeterSession& TheSession();

// Presses `button`, which opens the filing dialog, types `assetId` into it and files. False when no
// dialog came up or one was still open after 5 s (then it is closed, so that the test goes on).
bool FileUnder(QPushButton* button, const QString& assetId);

// A control of a window by its object name; nullptr when there is none of that name and kind.
template <class T>
T* Control(const QWidget* window, const char* name)
{
    return window->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace krx::test
