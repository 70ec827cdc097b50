// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Process start: the command line, the three windows and the message loop.

#include "core/meter_session.h"
#include "core/procedure_runner.h"

#include <QString>
#include <QStringList>

#include <memory>

class MainWindow;
class MeasurementWindow;
class SpecialFunctionsWindow;

namespace krx {

namespace history {
class HistoryStore;
}
class WindowPerson;

struct StartOptions {
    bool help = false;
    bool version = false;
    bool simulate = false;
    QString scenarioFile;  // with --simulate; empty: the built-in scenario
    QString traceFile;     // --trace FILE
    QString serial;        // --serial S, else KRX738_SERIAL: the meter to work with
    QString platform;      // the toolkit's -platform NAME, empty when not given
    QString language;      // --language de|en, empty when not given
    // The program's own parameters: index 0 the program path, then every argument that is not one
    // of the switches above, in order.
    QStringList parameters;
    QString error;  // an unknown option or a switch without its value, fit to be shown
};

// Exit status for a command line or scenario file that cannot be used.
inline constexpr int kExitBadCommandLine = 2;
// Exit status when there is no display for the windows.
inline constexpr int kExitNoDisplay = 1;

// `arguments` as the process got them, index 0 the program path. The toolkit's own options
// (-platform NAME, -style NAME ...) are known and left out of the parameters.
StartOptions ParseCommandLine(const QStringList& arguments);
QString HelpText();
// Name, version and license, for --version.
QString VersionText();
// False when the windowing system that the toolkit would use surely cannot be reached: no X11 and
// no Wayland display named in the environment. `platform` is the -platform option, if given.
bool DisplayReachable(const QString& platform);
QString NoDisplayText();

// The meter wanted by its serial number (--serial, KRX738_SERIAL); Init works with it only.
void SetWantedSerial(const QString& serial);

// True when a parameter with index 0 to 5 is exactly "T".
bool TestModeFromParameters(const QStringList& parameters);
// The parameters the main window examines; the process' arguments until set.
QStringList ProgramParameters();
void SetProgramParameters(const QStringList& parameters);

// The three windows, all hidden, with what they share: the session, and the runner of their
// procedures: on a device thread in the program; inline, yielding to the window events at each
// yield point, where a test drives the windows on the virtual clock. The session's settings and
// test mode are read from the settings file and ProgramParameters() first.
class ProgramWindows {
public:
    explicit ProgramWindows(ProcedureRunner::Mode mode = ProcedureRunner::Mode::DeviceThread);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    MainWindow& Main() { return *main_; }
    MeasurementWindow& Measurement() { return *measurement_; }
    SpecialFunctionsWindow& SpecialFunctions() { return *special_; }
    MeterSession& Session() { return session_; }
    // The test history, opened at start from the settings file's HistoryDatabase.
    history::HistoryStore& History() { return *history_; }

private:
    void Connect();

    std::unique_ptr<WindowPerson> person_;
    std::unique_ptr<ProcedureRunner> runner_;
    MeterSession session_;
    std::unique_ptr<history::HistoryStore> history_;  // outlives the windows that use it
    // Destroyed in the reverse order of their creation: the main window last.
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<MeasurementWindow> measurement_;
    std::unique_ptr<SpecialFunctionsWindow> special_;
};

// The settings and the test mode that the session takes from the settings file and the parameters.
void LoadSessionSettings(MeterSession& session);

// The whole program: returns the exit status.
int RunProgram(int argc, char** argv);

}  // namespace krx
