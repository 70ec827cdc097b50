// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fault matrix: each procedure of the program runs once cleanly against the simulated meter to
// count its transfers, then once per transfer and fault kind in a forked child with that fault
// injected, and every run must end in one of the defined outcomes.

#include "sim_fixture.h"

#include "device/transfer_log.h"
#include "sim/sim_backend.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QPushButton;
#include <optional>
#include <string>
#include <vector>

namespace krx::test {

// What a child sees of its run.
struct Run {
    SimSetup& t;
    QString exportFile;    // the file the procedure's export appends to
    double start = 0.0;    // virtual clock at the start of the procedure
    double budget = 0.0;   // virtual seconds after which the scripted user gives up and stops
    bool gaveUp = false;   // the user had to stop the procedure after the budget
    int rangeSize = -1;    // lines a read-out export was asked for (-1: not known)
    bool save = true;      // the procedure saves its result (the check afterwards need not)
    int step = 0;          // where the scripted user is in a procedure of several presses
    int presses = 0;       // buttons pressed by the scripted user
    // The budget is spent: in meter time, or in presses (a press that only brings a box back).
    bool Overdue() const;
    // A press of the scripted user.
    void Press(QPushButton* button);
    void GiveUp();
};

// Where a ReportConnectionLoss may come from: the log of the procedure's transfers up to the fatal
// box and the code it shows; `where` names the failing exchange.
using FatalRule = std::function<bool(const std::vector<TransferRecord>& log, int code, QString& where)>;

struct Procedure {
    QString name;
    sim::Scenario scenario = sim::Scenario::Default();
    // In the parent, with fresh windows: brings the program to where the procedure starts.
    std::function<void(SimSetup&)> prepare;
    // In the child: the procedure, through the windows' buttons, with scripted dialogs.
    std::function<void(Run&)> run;
    // In the child, at every yield point of the procedure: the user's presses.
    std::function<void(Run&)> drive;
    // In the child, right after the faulted run: what is wrong with its result (empty: nothing).
    // Only a message of the program makes a wrong result acceptable.
    std::function<QString(Run&)> verify;
    // In the child, after the meter was plugged in again: false with a reason when the program
    // cannot do the procedure's work any more.
    std::function<bool(Run&, QString& why)> usable;
    FatalRule fatal;           // empty: the procedure never ends the program
    bool endsProcess = false;  // ends with status 0 and no box (Exit)
    bool exports = false;      // appends to run.exportFile
    double budgetSeconds = 900.0;
    int alarmMs = 20000;  // real time before a child counts as hung
};

enum class Outcome { Fatal, Message, Clean, Undefined };

struct Injection {
    int kind = 0;  // index into FaultKinds()
    int index = 0;
    QString transfer;  // the clean run's exchange at that index
    Outcome outcome = Outcome::Undefined;
    QString detail;     // for undefined outcomes: why
    bool gaveUp = false;
};

struct RowResult {
    QString name;
    int transfers = 0;
    std::vector<Injection> injections;
    QString cleanProblem;  // the clean run itself was not clean
};

struct FaultKind {
    const char* name;
    sim::Fault::Kind kind;
    bool inOnly;  // only IN transfers carry a reply to spoil
};
const std::vector<FaultKind>& FaultKinds();

// Runs a procedure's row: the clean run and every injection. The parent only prepares the windows
// and never runs the event loop, so painting starts afresh in each child (the raster engine's
// helper threads would not survive the fork). KRX_FM_VERBOSE=1 prints the clean run's report,
// KRX_FM_CLEAN_ONLY=1 stops after it.
RowResult RunRow(const Procedure& p, const QString& workDir);

// Prints the table; returns the number of undefined outcomes.
int PrintTable(const std::vector<RowResult>& rows);

// Presses the procedure's buttons at every yield point while it lives (a timer of the event loop).
class ScriptedUser {
public:
    ScriptedUser(const Procedure& p, Run& run);
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

private:
    QTimer timer_;
    bool driving_ = false;  // a press's own message processing must not press again
};

// A child's report lines on standard error ("FM ..."); boxes as "title|text" on one line.
void Say(const QString& s);
void SayBox(const ShownBox& b);
QStringList BoxesSaid(const std::string& output);
// Ends the calling process with SIGALRM after `ms` of real time: a child that hangs.
void StartAlarm(int ms);
// An export file may only have grown by whole lines of the header's width since `seed`; how many.
bool CheckExport(const QString& path, const QByteArray& seed, int& appended, QString& why);

// Helpers for procedures.
// Runs the event loop until `done` holds or the budget is spent; false when spent.
bool PumpUntil(Run& run, const std::function<bool()>& done);
// The control transfer before record `i` of the log, skipping opens; nullptr when there is none.
const TransferRecord* ControlBefore(const std::vector<TransferRecord>& log, size_t i);
// Number of control transfers of this command (IN and OUT) in the log since the procedure began.
int CountTransfers(int command, bool in);
// The ScriptedDialogs' message and error boxes since position `from`.
QStringList BoxesSince(const ScriptedDialogs& d, size_t from);

}  // namespace krx::test
