// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options every command shares: the global ones, the output and database options, the checks
// of a value and the help page's frame. A command's own options stay in its file.

#include "cli/meter_setup.h"
#include "cli/output.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace krx::cli {

// An argument that is wrong: named, with what it may be.
struct UsageError {
    QString text;
};

struct Globals {
    bool simulate = false;
    QString scenario;
    QString trace;
    bool quiet = false;
    bool help = false;
    bool version = false;
    QString serial;  // --serial, else KRX738_SERIAL; empty: the only meter attached
};

// "--simulate X.json" becomes "--simulate --scenario=X.json": the scenario file is optional and
// recognised by its ending, as in the window program.
QStringList Normalise(const QStringList& in);
// A serial number as --serial or KRX738_SERIAL (`from`) gives it; throws UsageError.
QString CheckedSerial(const QString& from, const QString& text);
// `inCommand`: after a command, where its help leaves them out.
void AddGlobals(QCommandLineParser& p, bool inCommand = false);
void TakeGlobals(const QCommandLineParser& p, Globals& g);
// Sets up the backend and the trace once every argument is known to be good.
int Prepare(const Globals& g);

// Runs a command's parser over its arguments; the globals may come after the command as well.
// False when only the command's help was asked for.
bool ParseCommand(QCommandLineParser& p, const QStringList& args, Globals& g);
void NoPositional(const QCommandLineParser& p, int allowed);

// The parser's option list under our own usage line; a command's help ends with where the
// global options and the exit status are said.
QString Help(const QCommandLineParser& p, const QString& usage, const QString& about, const QString& more = {});
QString CommandHelp(const QCommandLineParser& p, const QString& usage, const QString& about, const QString& more = {});

int ParseInt(const QString& option, const QString& text, long long min, long long max, const QString& meaning);
VoltageChoice ParseVoltage(const QString& text);

// --format csv|jsonl|spreadsheet and --output FILE of the commands that write records.
void AddOutputOptions(QCommandLineParser& p);
Output ParseOutput(const QCommandLineParser& p);

// --database SETTING: the test history.
void AddDatabaseOption(QCommandLineParser& p);
// The setting, checked before anything else happens; empty when not given.
QString ParseDatabase(const QCommandLineParser& p);

}  // namespace krx::cli
