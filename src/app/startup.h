// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Process start: the command line, the three windows and the message loop.

#include "core/procedure_runner.h"

#include <QString>
#include <QStringList>

namespace krx {

struct StartOptions {
    bool help = false;
    bool version = false;
    bool simulate = false;
    QString scenarioFile;  // with --simulate; empty: the built-in scenario
    QString traceFile;     // --trace FILE
    QString platform;      // the toolkit's -platform NAME, empty when not given
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

// True when a parameter with index 0 to 5 is exactly "T".
bool TestModeFromParameters(const QStringList& parameters);
// The parameters the main window examines; the process' arguments until set.
QStringList ProgramParameters();
void SetProgramParameters(const QStringList& parameters);

// Creates Form_Main, Form_Meas and Form_SonFunc, in this order, all hidden, with the runner of
// their procedures: on a device thread in the program; inline, yielding to the window events at
// each yield point, where a test drives the windows on the virtual clock.
void CreateWindows(ProcedureRunner::Mode mode = ProcedureRunner::Mode::DeviceThread);
// Deletes the three windows and clears the references.
void DestroyWindows();

// The whole program: returns the exit status.
int RunProgram(int argc, char** argv);

}  // namespace krx
