// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli: the meter from the shell. Arguments are parsed and checked in full before anything
// is sent to the meter; then one command runs the core's procedures on this thread.
#include "cli/commands.h"
#include "cli/console.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "sim/sim_backend.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <functional>
#include <limits>

using namespace krx;
using namespace krx::cli;

namespace {

const QString kExitCodes = QStringLiteral(
    "Exit status:\n"
    "  0  done\n"
    "  1  usage: an argument is wrong (nothing was sent to the meter)\n"
    "  2  no meter found\n"
    "  3  no access to the meter (udev rule missing, or another krx738-cli uses it)\n"
    "  4  connection to the meter lost (the records written so far are complete)\n"
    "  5  file error: the output or trace file cannot be written\n"
    "  6  the meter did not measure (no stable measuring voltage)\n"
    "  7  the test history cannot be used (measure --asset: the test was kept in the outbox,\n"
    "     or could not be kept; the message says which)\n");

const QString kCommands = QStringLiteral(
    "Commands:\n"
    "  list                    meters found, and whether this user may open them\n"
    "  info                    identity, battery, setup and timers of the meter\n"
    "  measure                 live readings, one record per reading\n"
    "  memory read ohm|bd      the records of the resistance or break-down memory\n"
    "  memory erase ohm|bd     erase a memory (needs --yes)\n"
    "  setup                   write the measuring setup and timers, print them read back\n"
    "  history list            the assets of the test history, with their test counts\n"
    "  history show ASSET      the tests filed under an asset\n"
    "  history export ASSET    an asset's tests as a file (csv, spreadsheet or jsonl)\n"
    "  history send            send the tests kept in the outbox to the database\n"
    "\n"
    "krx738-cli COMMAND --help shows the options of a command.\n");

struct Globals {
    bool simulate = false;
    QString scenario;
    QString trace;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// "--simulate X.json" becomes "--simulate --scenario=X.json": the scenario file is optional and
// recognised by its ending, as in the window program.
QStringList Normalise(const QStringList& in)
{
    QStringList out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QString& a = in[i];
        if (a.startsWith(QLatin1String("--simulate="))) {
            out << QStringLiteral("--simulate") << QStringLiteral("--scenario=") + a.mid(11);
        } else if (a == QLatin1String("--simulate") && i + 1 < in.size() && !in[i + 1].startsWith(QLatin1Char('-')) &&
                   in[i + 1].endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
            out << a << QStringLiteral("--scenario=") + in[++i];
        } else {
            out << a;
        }
    }
    return out;
}

void AddGlobals(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("simulate"),
                 QStringLiteral("Talk to a simulated meter; an optional SCENARIO.json after it changes the meter.")});
    QCommandLineOption scenario(QStringLiteral("scenario"), QString(), QStringLiteral("FILE"));
    scenario.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(scenario);
    p.addOption({QStringLiteral("trace"), QStringLiteral("Write every USB transfer to FILE as it happens."),
                 QStringLiteral("FILE")});
    p.addOption({{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("Say only what went wrong.")});
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    p.addOption({QStringLiteral("version"), QStringLiteral("Show the version.")});
}

void TakeGlobals(const QCommandLineParser& p, Globals& g)
{
    g.simulate = g.simulate || p.isSet(QStringLiteral("simulate"));
    if (p.isSet(QStringLiteral("scenario")))
        g.scenario = p.value(QStringLiteral("scenario"));
    if (p.isSet(QStringLiteral("trace")))
        g.trace = p.value(QStringLiteral("trace"));
    g.quiet = g.quiet || p.isSet(QStringLiteral("quiet"));
    g.help = g.help || p.isSet(QStringLiteral("help"));
    g.version = g.version || p.isSet(QStringLiteral("version"));
}

void Print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

// The parser's option list under our own usage line.
QString Help(const QCommandLineParser& p, const QString& usage, const QString& about, const QString& more = {})
{
    QString options = p.helpText();
    options = options.mid(options.indexOf(QLatin1String("Options:")));
    return QStringLiteral("Usage: %1\n\n%2\n\n%3\n%4%5").arg(usage, about, options, more, kExitCodes);
}

// An argument that is wrong: named, with what it may be.
struct UsageError {
    QString text;
};

int ParseInt(const QString& option, const QString& text, long long min, long long max, const QString& meaning)
{
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max)
        throw UsageError{QStringLiteral("--%1: '%2' is not allowed; give %3 from %4 to %5")
                             .arg(option, text, meaning)
                             .arg(min)
                             .arg(max)};
    return static_cast<int>(v);
}

VoltageChoice ParseVoltage(const QString& text)
{
    if (text == QLatin1String("auto"))
        return {true, 0};
    for (const int v : {10, 100, 500, 1000})
        if (text == QString::number(v))
            return {false, v};
    throw UsageError{QStringLiteral("--voltage: '%1' is not allowed; choose 10, 100, 500, 1000 or auto").arg(text)};
}

Output ParseOutput(const QCommandLineParser& p)
{
    Output o;
    const QString f = p.value(QStringLiteral("format"));
    if (f == QLatin1String("csv"))
        o.format = OutputFormat::Csv;
    else if (f == QLatin1String("jsonl"))
        o.format = OutputFormat::Jsonl;
    else if (f == QLatin1String("spreadsheet"))
        o.format = OutputFormat::Spreadsheet;
    else
        throw UsageError{QStringLiteral("--format: '%1' is not allowed; choose csv, jsonl or spreadsheet").arg(f)};
    if (p.isSet(QStringLiteral("output"))) {
        o.file = p.value(QStringLiteral("output"));
        if (o.file.isEmpty())
            throw UsageError{QStringLiteral("--output: give a file name")};
    }
    return o;
}

void AddOutputOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("format"),
                 QStringLiteral("csv (UTF-8, \",\", \".\"), jsonl (one JSON object per line) or spreadsheet "
                                "(the Save dialect: Windows-1252, \";\", the locale's decimal separator). "
                                "Default: csv."),
                 QStringLiteral("FORMAT"), QStringLiteral("csv")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("Write the records to FILE instead of standard output (csv and jsonl create or "
                                "empty it; spreadsheet appends, as Save does)."),
                 QStringLiteral("FILE")});
}

MemoryKind ParseKind(const QString& text)
{
    if (text == QLatin1String("ohm"))
        return MemoryKind::Ohm;
    if (text == QLatin1String("bd"))
        return MemoryKind::BreakDown;
    throw UsageError{QStringLiteral("memory: '%1' is not a memory; choose ohm or bd").arg(text)};
}

std::pair<int, int> ParseRange(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false, ok2 = false;
    const int from = parts.size() == 2 ? parts[0].trimmed().toInt(&ok1) : 0;
    const int to = parts.size() == 2 ? parts[1].trimmed().toInt(&ok2) : 0;
    if (!ok1 || !ok2 || from < 1 || to > 99 || from > to)
        throw UsageError{QStringLiteral("--range: '%1' is not allowed; give FROM-TO with 1 <= FROM <= TO <= 99").arg(text)};
    return {from, to};
}

// Runs a command's parser over its arguments; the globals may come after the command as well.
bool ParseCommand(QCommandLineParser& p, const QStringList& args, Globals& g)
{
    AddGlobals(p);
    if (!p.parse(QStringList{QStringLiteral("krx738-cli")} + args))
        throw UsageError{p.errorText()};
    TakeGlobals(p, g);
    return !g.help;
}

void NoPositional(const QCommandLineParser& p, int allowed)
{
    if (p.positionalArguments().size() > allowed)
        throw UsageError{QStringLiteral("unexpected argument '%1'").arg(p.positionalArguments().value(allowed))};
}

// Sets up the backend and the trace once every argument is known to be good.
int Prepare(const Globals& g)
{
    SetQuiet(g.quiet);
    if (g.simulate) {
        try {
            SetUsbBackend(std::make_unique<sim::SimBackend>(g.scenario.isEmpty() ? sim::Scenario::Default()
                                                                                 : sim::Scenario::FromJsonFile(g.scenario)));
        } catch (const std::exception& e) {
            Error(QStringLiteral("--simulate: %1").arg(QString::fromUtf8(e.what())));
            return kUsage;
        }
    } else if (!g.scenario.isEmpty()) {
        Error(QStringLiteral("a scenario file needs --simulate"));
        return kUsage;
    }
    SetSimulated(g.simulate);
    TheTransferLog().KeepRecords(false);
    if (!g.trace.isEmpty() && !TheTransferLog().TraceTo(g.trace)) {
        Error(QStringLiteral("--trace: cannot write %1").arg(g.trace));
        return kFileError;
    }
    return kDone;
}

// Parses the options of "list/info"; an empty function when only its help was asked for.
std::function<int()> ParseListOrInfo(QCommandLineParser& p, const QStringList& rest, Globals& g,
                                     const QString& command)
{
    const bool list = command == QLatin1String("list");
    if (!ParseCommand(p, rest, g)) {
        Print(Help(p, QStringLiteral("krx738-cli [global options] %1").arg(command),
                   list ? QStringLiteral("Lists the meters found: bus, address, serial number, software, and "
                                         "whether this user may open each.")
                        : QStringLiteral("Prints the meter's identity, battery state, measuring setup and its "
                                         "three timers, one \"name: value\" per line.")));
        return {};
    }
    NoPositional(p, 0);
    return list ? std::function<int()>(ListCommand) : std::function<int()>(InfoCommand);
}

void AddFilingOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("asset"),
                 QStringLiteral("File the finished measurement under the asset ID in the test history, with its "
                                "figures (the PI verdict for --class, else the asset's class)."),
                 QStringLiteral("ID")});
    p.addOption({QStringLiteral("comment"), QStringLiteral("With --asset: the test's comment."), QStringLiteral("TEXT")});
    p.addOption({QStringLiteral("operator"), QStringLiteral("With --asset: who tested."), QStringLiteral("NAME")});
    p.addOption({QStringLiteral("database"),
                 QStringLiteral("The test history: sqlite, sqlite:/path/file.sqlite or "
                                "postgresql://user@host:port/dbname (default: HistoryDatabase of the settings "
                                "file, else the SQLite file in the user's data folder)."),
                 QStringLiteral("SETTING")});
}

// The database setting, checked before anything else happens.
QString ParseDatabase(const QCommandLineParser& p)
{
    if (!p.isSet(QStringLiteral("database")))
        return {};
    const QString setting = p.value(QStringLiteral("database"));
    history::Connection c;
    QString error;
    if (!history::ParseConnection(setting, history::DefaultDataFolder(), c, &error))
        throw UsageError{QStringLiteral("--database: '%1' is not allowed; give sqlite, sqlite:/path/file.sqlite or "
                                        "postgresql://user@host:port/dbname")
                             .arg(setting)};
    // "sqlite" alone would read as "no option" further on.
    return setting.trimmed().isEmpty() ? QStringLiteral("sqlite") : setting;
}

void ParseFiling(const QCommandLineParser& p, MeasureArgs& args)
{
    const bool asset = p.isSet(QStringLiteral("asset"));
    for (const char* o : {"comment", "operator", "database"})
        if (!asset && p.isSet(QString::fromLatin1(o)))
            throw UsageError{QStringLiteral("--%1 needs --asset").arg(QString::fromLatin1(o))};
    if (!asset)
        return;
    FilingArgs f;
    f.asset = p.value(QStringLiteral("asset"));
    if (f.asset.trimmed().isEmpty())
        throw UsageError{QStringLiteral("--asset: give the id of an asset")};
    f.comment = p.value(QStringLiteral("comment"));
    f.operatorName = p.value(QStringLiteral("operator"));
    f.database = ParseDatabase(p);
    if (p.isSet(QStringLiteral("class")))
        f.insulationClass = args.insulationClass;
    f.darTimes = args.darTimes;
    args.filing = f;
}

void ParseTest(const QCommandLineParser& p, MeasureArgs& args)
{
    const bool test = p.isSet(QStringLiteral("test"));
    if (test) {
        const QString t = p.value(QStringLiteral("test"));
        if (t == QLatin1String("dar"))
            args.test = MeasureArgs::Test::Dar;
        else if (t == QLatin1String("pi"))
            args.test = MeasureArgs::Test::Pi;
        else
            throw UsageError{QStringLiteral("--test: '%1' is not allowed; choose dar or pi").arg(t)};
    }
    const bool asset = p.isSet(QStringLiteral("asset"));
    if (p.isSet(QStringLiteral("class"))) {
        const QString c = p.value(QStringLiteral("class"));
        if (!ParseClass(c, args.insulationClass))
            throw UsageError{QStringLiteral("--class: '%1' is not allowed; choose A, B, F or H").arg(c)};
        if (!test && !asset)
            throw UsageError{QStringLiteral("--class needs --test or --asset")};
    }
    if (p.isSet(QStringLiteral("dar-times"))) {
        const QString d = p.value(QStringLiteral("dar-times"));
        if (!ParseDarTimes(d, args.darTimes))
            throw UsageError{QStringLiteral("--dar-times: '%1' is not allowed; choose 30-60 or 15-60").arg(d)};
        if (!test && !asset)
            throw UsageError{QStringLiteral("--dar-times needs --test or --asset")};
    }
    ParseFiling(p, args);
}

// Parses the options of "measure"; an empty function when only its help was asked for.
std::function<int()> ParseMeasure(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    p.addOption({QStringLiteral("voltage"), QStringLiteral("Measuring voltage: 10, 100, 500, 1000 or auto "
                                                           "(default: the meter's setup)."),
                 QStringLiteral("V")});
    p.addOption({QStringLiteral("timer"), QStringLiteral("Measure with the meter's timer, 1 to 600 seconds."),
                 QStringLiteral("SECONDS")});
    p.addOption({QStringLiteral("average"), QStringLiteral("With --timer: the meter averages.")});
    p.addOption({QStringLiteral("lapse"), QStringLiteral("With --timer: the meter keeps the lapse.")});
    p.addOption({QStringLiteral("interval"),
                 QStringLiteral("Milliseconds between readings, 0 to 3600000 (default 1000)."),
                 QStringLiteral("MS"), QStringLiteral("1000")});
    p.addOption({QStringLiteral("duration"), QStringLiteral("End after this many seconds (from the start)."),
                 QStringLiteral("SECONDS")});
    p.addOption({QStringLiteral("count"), QStringLiteral("End after N readings."), QStringLiteral("N")});
    p.addOption({QStringLiteral("test"),
                 QStringLiteral("dar: end 60 s after the first stable reading, pi: after 10 min (unless "
                                "--duration, --count or the timer end it sooner), then print the figures."),
                 QStringLiteral("dar|pi")});
    p.addOption({QStringLiteral("class"),
                 QStringLiteral("With --test: the thermal class for the PI verdict, A (minimum 1.5), B, F or H "
                                "(minimum 2.0). Default: F."),
                 QStringLiteral("A|B|F|H")});
    p.addOption({QStringLiteral("dar-times"),
                 QStringLiteral("With --test: DAR as R(60 s)/R(30 s) or R(60 s)/R(15 s). Default: 30-60."),
                 QStringLiteral("30-60|15-60")});
    AddFilingOptions(p);
    AddOutputOptions(p);
    if (!ParseCommand(p, rest, g)) {
        Print(Help(p,
                   QStringLiteral("krx738-cli [global options] measure [--voltage V] [--timer SECONDS "
                                  "[--average|--lapse]] [--interval MS] [--duration SECONDS | --count N] "
                                  "[--format csv|jsonl|spreadsheet] [--output FILE] [--test dar|pi [--class C] "
                                  "[--dar-times T]] [--asset ID [--comment TEXT] [--operator NAME] "
                                  "[--database SETTING]]"),
                   QStringLiteral("Runs the measurement cycle and writes one record per reading as it comes. "
                                  "Ctrl-C (SIGINT, SIGTERM) ends it as Break does: in timer mode the meter's "
                                  "timer is stopped; every record read is written, and the exit status is 0."),
                   QStringLiteral("csv and jsonl fields: time (ISO 8601 with UTC offset), elapsed_s, "
                                  "resistance_ohm (empty/null\nwhen out of range), range (ok, over, under), "
                                  "voltage_v, temperature_c, humidity_pct, stable,\nrest_s (timer mode).\n\n"
                                  "--test: times count from the first reading with a stable measuring voltage. "
                                  "With jsonl the\nfigures are the last JSON object of the stream (its key "
                                  "\"test\" tells it from the records);\nwith csv and spreadsheet they are "
                                  "\"name: value\" lines on standard output after the\nrecords, or on standard "
                                  "error when the records go to standard output. A figure that\ncannot be "
                                  "taken reads \"not enough data\" (null in JSON).\n\n"
                                  "--asset: a measurement that ends (count, duration, timer, Ctrl-C) is filed with "
                                  "its readings\nand figures; one without a stable measuring voltage is not. "
                                  "When the database cannot take\nit the test is kept in the outbox (exit "
                                  "status 7) and sent by krx738-cli history send.\n\n")));
        return {};
    }
    NoPositional(p, 0);
    auto args = std::make_shared<MeasureArgs>();
    if (p.isSet(QStringLiteral("voltage")))
        args->voltage = ParseVoltage(p.value(QStringLiteral("voltage")));
    if (p.isSet(QStringLiteral("timer")))
        args->timerSeconds = ParseInt(QStringLiteral("timer"), p.value(QStringLiteral("timer")), 1, 600,
                                      QStringLiteral("whole seconds"));
    if (p.isSet(QStringLiteral("average")) && p.isSet(QStringLiteral("lapse")))
        throw UsageError{QStringLiteral("--average and --lapse: choose one")};
    if ((p.isSet(QStringLiteral("average")) || p.isSet(QStringLiteral("lapse"))) && !args->timerSeconds)
        throw UsageError{QStringLiteral("--average and --lapse need --timer")};
    if (p.isSet(QStringLiteral("average")))
        args->calculation = 0;
    if (p.isSet(QStringLiteral("lapse")))
        args->calculation = 1;
    args->intervalMs = ParseInt(QStringLiteral("interval"), p.value(QStringLiteral("interval")), 0, 3600000,
                                QStringLiteral("milliseconds"));
    if (p.isSet(QStringLiteral("duration")) && p.isSet(QStringLiteral("count")))
        throw UsageError{QStringLiteral("--duration and --count: choose one")};
    if (p.isSet(QStringLiteral("duration"))) {
        bool ok = false;
        const double d = p.value(QStringLiteral("duration")).toDouble(&ok);
        if (!ok || !(d > 0.0) || d > 864000.0)
            throw UsageError{QStringLiteral("--duration: '%1' is not allowed; give seconds above 0, at most "
                                            "864000 (ten days)")
                                 .arg(p.value(QStringLiteral("duration")))};
        args->durationSeconds = d;
    }
    if (p.isSet(QStringLiteral("count")))
        args->count = ParseInt(QStringLiteral("count"), p.value(QStringLiteral("count")), 1,
                               std::numeric_limits<int>::max(), QStringLiteral("a number of readings"));
    args->output = ParseOutput(p);
    ParseTest(p, *args);
    return [args] { return MeasureCommand(*args); };
}

// Parses the options of "memory"; an empty function when only its help was asked for.
std::function<int()> ParseMemory(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    p.addPositionalArgument(QStringLiteral("action"), QStringLiteral("read or erase"));
    p.addPositionalArgument(QStringLiteral("memory"), QStringLiteral("ohm (resistance) or bd (break-down)"));
    p.addOption({QStringLiteral("range"),
                 QStringLiteral("read: file numbers FROM-TO, 1 to 99 (default: all records)."),
                 QStringLiteral("FROM-TO")});
    AddOutputOptions(p);
    p.addOption({QStringLiteral("yes"), QStringLiteral("erase: really erase the memory.")});
    if (!ParseCommand(p, rest, g)) {
        Print(Help(p,
                   QStringLiteral("krx738-cli [global options] memory read ohm|bd [--range FROM-TO] "
                                  "[--format csv|jsonl|spreadsheet] [--output FILE]\n"
                                  "       krx738-cli [global options] memory erase ohm|bd --yes"),
                   QStringLiteral("Reads the records of the meter's resistance memory (ohm) or break-down "
                                  "memory (bd), or erases one of them.")));
        return {};
    }
    const QStringList pos = p.positionalArguments();
    if (pos.size() < 2)
        throw UsageError{QStringLiteral("memory: give read or erase, then ohm or bd")};
    NoPositional(p, 2);
    const MemoryKind kind = ParseKind(pos[1]);
    if (pos[0] == QLatin1String("read")) {
        if (p.isSet(QStringLiteral("yes")))
            throw UsageError{QStringLiteral("--yes belongs to memory erase")};
        auto args = std::make_shared<MemoryArgs>();
        args->kind = kind;
        if (p.isSet(QStringLiteral("range")))
            args->range = ParseRange(p.value(QStringLiteral("range")));
        args->output = ParseOutput(p);
        return [args] { return MemoryReadCommand(*args); };
    } else if (pos[0] == QLatin1String("erase")) {
        if (p.isSet(QStringLiteral("range")) || p.isSet(QStringLiteral("output")))
            throw UsageError{QStringLiteral("memory erase takes no --range or --output")};
        if (!p.isSet(QStringLiteral("yes")))
            throw UsageError{QStringLiteral("memory erase %1: the records would be lost; add --yes to erase")
                                 .arg(pos[1])};
        return [kind] { return MemoryEraseCommand(kind); };
    } else {
        throw UsageError{QStringLiteral("memory: '%1' is not allowed; choose read or erase").arg(pos[0])};
    }
}

// Parses the options of "setup"; an empty function when only its help was asked for.
std::function<int()> ParseSetup(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    p.addOption({QStringLiteral("voltage"), QStringLiteral("Measuring voltage: 10, 100, 500, 1000 or auto."),
                 QStringLiteral("V")});
    p.addOption({QStringLiteral("auto"), QStringLiteral("Automatic voltage on.")});
    p.addOption({QStringLiteral("manual"), QStringLiteral("Automatic voltage off.")});
    p.addOption({QStringLiteral("display"), QStringLiteral("technical or exponent."), QStringLiteral("MODE")});
    p.addOption({QStringLiteral("average"), QStringLiteral("Timer measurements average.")});
    p.addOption({QStringLiteral("lapse"), QStringLiteral("Timer measurements keep the lapse.")});
    p.addOption({QStringLiteral("timer"), QStringLiteral("Measuring timer, 1 to 600 seconds."),
                 QStringLiteral("S")});
    p.addOption({QStringLiteral("breakdown-timer"), QStringLiteral("Break-down timer, 1 to 9999 seconds."),
                 QStringLiteral("S")});
    p.addOption({QStringLiteral("breakoff-timer"), QStringLiteral("Break-off timer, 1 to 9999 seconds."),
                 QStringLiteral("S")});
    if (!ParseCommand(p, rest, g)) {
        Print(Help(p,
                   QStringLiteral("krx738-cli [global options] setup [--voltage V] [--auto|--manual] "
                                  "[--display technical|exponent] [--average|--lapse] [--timer S] "
                                  "[--breakdown-timer S] [--breakoff-timer S]"),
                   QStringLiteral("Writes the given parts of the measuring setup and the timers, then prints "
                                  "the setup as the meter reads it back (without options: only prints it).")));
        return {};
    }
    NoPositional(p, 0);
    auto args = std::make_shared<SetupArgs>();
    if (p.isSet(QStringLiteral("voltage")))
        args->voltage = ParseVoltage(p.value(QStringLiteral("voltage")));
    if (p.isSet(QStringLiteral("auto")) && p.isSet(QStringLiteral("manual")))
        throw UsageError{QStringLiteral("--auto and --manual: choose one")};
    if (p.isSet(QStringLiteral("auto")))
        args->automatic = true;
    if (p.isSet(QStringLiteral("manual")))
        args->automatic = false;
    if (args->voltage && args->voltage->automatic && args->automatic == false)
        throw UsageError{QStringLiteral("--voltage auto and --manual: choose one")};
    if (p.isSet(QStringLiteral("display"))) {
        const QString d = p.value(QStringLiteral("display"));
        if (d != QLatin1String("technical") && d != QLatin1String("exponent"))
            throw UsageError{
                QStringLiteral("--display: '%1' is not allowed; choose technical or exponent").arg(d)};
        args->display = d == QLatin1String("exponent") ? 1 : 0;
    }
    if (p.isSet(QStringLiteral("average")) && p.isSet(QStringLiteral("lapse")))
        throw UsageError{QStringLiteral("--average and --lapse: choose one")};
    if (p.isSet(QStringLiteral("average")))
        args->calculation = 0;
    if (p.isSet(QStringLiteral("lapse")))
        args->calculation = 1;
    if (p.isSet(QStringLiteral("timer")))
        args->timer = ParseInt(QStringLiteral("timer"), p.value(QStringLiteral("timer")), 1, 600,
                               QStringLiteral("whole seconds"));
    if (p.isSet(QStringLiteral("breakdown-timer")))
        args->breakDownTimer = ParseInt(QStringLiteral("breakdown-timer"),
                                        p.value(QStringLiteral("breakdown-timer")), 1, 9999,
                                        QStringLiteral("whole seconds"));
    if (p.isSet(QStringLiteral("breakoff-timer")))
        args->breakOffTimer = ParseInt(QStringLiteral("breakoff-timer"), p.value(QStringLiteral("breakoff-timer")),
                                       1, 9999, QStringLiteral("whole seconds"));
    return [args] { return SetupCommand(*args); };
}

HistoryArgs::Format ParseHistoryFormat(const QString& f, bool show)
{
    if (show && f == QLatin1String("table"))
        return HistoryArgs::Format::Table;
    if (f == QLatin1String("csv"))
        return HistoryArgs::Format::Csv;
    if (f == QLatin1String("jsonl"))
        return HistoryArgs::Format::Jsonl;
    if (!show && f == QLatin1String("spreadsheet"))
        return HistoryArgs::Format::Spreadsheet;
    throw UsageError{QStringLiteral("--format: '%1' is not allowed; choose %2")
                         .arg(f, show ? QStringLiteral("table, csv or jsonl") : QStringLiteral("csv, spreadsheet or jsonl"))};
}

void AddHistoryOptions(QCommandLineParser& p)
{
    p.addPositionalArgument(QStringLiteral("action"), QStringLiteral("list, show, export or send"));
    p.addPositionalArgument(QStringLiteral("asset"), QStringLiteral("show, export: the asset's id"));
    p.addOption({QStringLiteral("database"),
                 QStringLiteral("The test history: sqlite, sqlite:/path/file.sqlite or "
                                "postgresql://user@host:port/dbname (default: HistoryDatabase of the settings "
                                "file, else the SQLite file in the user's data folder)."),
                 QStringLiteral("SETTING")});
    p.addOption({QStringLiteral("format"),
                 QStringLiteral("show: table (default), csv or jsonl; export: csv (default; UTF-8, \",\"), "
                                "spreadsheet (Windows-1252, \";\") or jsonl."),
                 QStringLiteral("FORMAT")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("export: write FILE (whole or not at all) instead of standard output."),
                 QStringLiteral("FILE")});
}

void PrintHistoryHelp(const QCommandLineParser& p)
{
    Print(Help(p,
               QStringLiteral("krx738-cli history list [--database SETTING]\n"
                              "       krx738-cli history show ASSET [--format table|csv|jsonl]\n"
                              "       krx738-cli history export ASSET [--format csv|spreadsheet|jsonl] "
                              "[--output FILE]\n"
                              "       krx738-cli history send"),
               QStringLiteral("The test history: the assets, the tests filed under each (measure --asset), "
                              "and the outbox\nof tests that waited for the database. The outbox is also "
                              "sent at every successful open."),
               QStringLiteral("Export fields: asset_id, asset_name, test_id, kind, time, voltage_v, duration_s, "
                              "temperature_c,\nhumidity_pct, r15_ohm, r30_ohm, r60_ohm, r600_ohm, dar, pi, "
                              "r60_40c_ohm, r600_40c_ohm,\ncorrection_temperature_c, dar_verdict, pi_verdict, "
                              "verdict_source, bd_voltage_v, bd_before_mohm,\nbd_after_mohm, bd_off_mohm, "
                              "bd_cycle_s, bd_timer_off_s, operator, meter_serial, meter_software,\ncomment.\n\n")));
}

// Parses the options of "history"; an empty function when only its help was asked for.
std::function<int()> ParseHistory(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddHistoryOptions(p);
    if (!ParseCommand(p, rest, g)) {
        PrintHistoryHelp(p);
        return {};
    }
    const QStringList pos = p.positionalArguments();
    if (pos.isEmpty())
        throw UsageError{QStringLiteral("history: give list, show ASSET, export ASSET or send")};
    auto args = std::make_shared<HistoryArgs>();
    args->database = ParseDatabase(p);
    const QString action = pos[0];
    const bool withAsset = action == QLatin1String("show") || action == QLatin1String("export");
    if (!withAsset && action != QLatin1String("list") && action != QLatin1String("send"))
        throw UsageError{QStringLiteral("history: '%1' is not allowed; choose list, show, export or send").arg(action)};
    if (withAsset && (pos.size() < 2 || pos[1].isEmpty()))
        throw UsageError{QStringLiteral("history %1: give the asset's id").arg(action)};
    NoPositional(p, withAsset ? 2 : 1);
    if (withAsset)
        args->asset = pos[1];
    const bool show = action == QLatin1String("show");
    if (p.isSet(QStringLiteral("format"))) {
        if (!withAsset)
            throw UsageError{QStringLiteral("--format belongs to history show and export")};
        args->format = ParseHistoryFormat(p.value(QStringLiteral("format")), show);
    } else if (!show) {
        args->format = HistoryArgs::Format::Csv;
    }
    if (p.isSet(QStringLiteral("output"))) {
        if (action != QLatin1String("export"))
            throw UsageError{QStringLiteral("--output belongs to history export")};
        args->file = p.value(QStringLiteral("output"));
        if (args->file.isEmpty())
            throw UsageError{QStringLiteral("--output: give a file name")};
    }
    if (action == QLatin1String("list"))
        return [args] { return HistoryListCommand(*args); };
    if (action == QLatin1String("send"))
        return [args] { return HistorySendCommand(*args); };
    if (show)
        return [args] { return HistoryShowCommand(*args); };
    return [args] { return HistoryExportCommand(*args); };
}

int Dispatch(const QString& command, const QStringList& rest, Globals& g)
{
    QCommandLineParser p;
    std::function<int()> run;
    if (command == QLatin1String("list") || command == QLatin1String("info"))
        run = ParseListOrInfo(p, rest, g, command);
    else if (command == QLatin1String("measure"))
        run = ParseMeasure(p, rest, g);
    else if (command == QLatin1String("memory"))
        run = ParseMemory(p, rest, g);
    else if (command == QLatin1String("setup"))
        run = ParseSetup(p, rest, g);
    else if (command == QLatin1String("history"))
        run = ParseHistory(p, rest, g);
    else
        throw UsageError{QStringLiteral("'%1' is not a command; choose list, info, measure, memory, setup or history")
                             .arg(command)};
    if (!run)
        return kDone;  // the command's help was printed
    if (g.version)
        return -1;  // said by the caller
    if (const int rc = Prepare(g); rc != kDone)
        return rc;
    return run();
}

}  // namespace

int main(int argc, char** argv)
{
    // Before any other thread exists, so that every thread inherits the blocked signals.
    Interrupt::Instance().Install();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krx738-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KRX_VERSION));

    const QString version = QStringLiteral("krx738-cli " KRX_VERSION "\n"
                                           "License GPL-3.0-or-later <https://gnu.org/licenses/gpl.html>\n");
    QCommandLineParser top;
    AddGlobals(top);
    top.addPositionalArgument(QStringLiteral("command"), QStringLiteral("list, info, measure, memory, setup or history"));
    top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QString topHelp = [&] {
        return Help(top, QStringLiteral("krx738-cli [global options] COMMAND [options]"),
                    QStringLiteral("The KRX 738 insulation-resistance meter from the shell: data on standard "
                                   "output,\nmessages on standard error."),
                    kCommands + QLatin1Char('\n'));
    }();
    Globals g;
    try {
        if (!top.parse(Normalise(QCoreApplication::arguments())))
            throw UsageError{top.errorText()};
        TakeGlobals(top, g);
        const QStringList pos = top.positionalArguments();
        if (g.version) {
            Print(version);
            return kDone;
        }
        if (pos.isEmpty()) {
            if (g.help) {
                Print(topHelp);
                return kDone;
            }
            throw UsageError{QStringLiteral("give a command: list, info, measure, memory or setup")};
        }
        const int rc = Dispatch(pos.front(), pos.mid(1), g);
        if (rc == -1) {
            Print(version);
            return kDone;
        }
        return rc;
    } catch (const UsageError& e) {
        Error(e.text + QStringLiteral(" (see krx738-cli --help)"));
        return kUsage;
    }
}
