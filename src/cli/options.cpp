// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/options.h"

#include "cli/exit_codes.h"
#include "cli/session.h"
#include "core/language.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "history/history_store.h"
#include "sim/sim_backend.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <exception>

namespace krx::cli {

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

QString CheckedSerial(const QString& from, const QString& text)
{
    static const QRegularExpression serial(QStringLiteral("^[0-9A-Za-z]{1,8}$"));
    const QString s = text.trimmed();
    if (!serial.match(s).hasMatch())
        throw UsageError{QCoreApplication::translate("cli", "%1: '%2' is not a serial number; give the 1 to 8 letters and digits that "
                                        "krx738-cli list shows")
                             .arg(from, text)};
    return s;
}

void AddGlobals(QCommandLineParser& p, bool inCommand)
{
    // Said once, in the main help: a command's help lists only its own options.
    const auto global = [&](QCommandLineOption o) {
        if (inCommand)
            o.setFlags(QCommandLineOption::HiddenFromHelp);
        p.addOption(o);
    };
    global({QStringLiteral("simulate"),
            QCoreApplication::translate("cli", "Talk to a simulated meter; an optional SCENARIO.json after it changes the meter.")});
    QCommandLineOption scenario(QStringLiteral("scenario"), QString(), QStringLiteral("FILE"));
    scenario.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(scenario);
    global({QStringLiteral("trace"), QCoreApplication::translate("cli", "Write every USB transfer to FILE as it happens."),
            QStringLiteral("FILE")});
    global({QStringLiteral("serial"),
            QCoreApplication::translate("cli", "Talk to the meter with serial number S (default: KRX738_SERIAL of the environment, "
                           "else the only meter attached)."),
            QStringLiteral("S")});
    global({QStringLiteral("language"),
            QCoreApplication::translate("cli", "The language of the messages and help: de or en (default: Language in "
                                               "the settings, else the system's)."),
            QStringLiteral("LANG")});
    global({{QStringLiteral("q"), QStringLiteral("quiet")}, QCoreApplication::translate("cli", "Say only what went wrong.")});
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QCoreApplication::translate("cli", "Show this help.")});
    global({QStringLiteral("version"), QCoreApplication::translate("cli", "Show the version.")});
}

void TakeGlobals(const QCommandLineParser& p, Globals& g)
{
    g.simulate = g.simulate || p.isSet(QStringLiteral("simulate"));
    if (p.isSet(QStringLiteral("scenario")))
        g.scenario = p.value(QStringLiteral("scenario"));
    if (p.isSet(QStringLiteral("trace")))
        g.trace = p.value(QStringLiteral("trace"));
    if (p.isSet(QStringLiteral("serial")))
        g.serial = CheckedSerial(QStringLiteral("--serial"), p.value(QStringLiteral("serial")));
    Language language;
    if (p.isSet(QStringLiteral("language")) && !ParseLanguage(p.value(QStringLiteral("language")), language))
        throw UsageError{QCoreApplication::translate("cli", "--language: '%1' is not a language; give de or en")
                             .arg(p.value(QStringLiteral("language")))};
    g.quiet = g.quiet || p.isSet(QStringLiteral("quiet"));
    g.help = g.help || p.isSet(QStringLiteral("help"));
    g.version = g.version || p.isSet(QStringLiteral("version"));
}

int Prepare(const Globals& g)
{
    SetQuiet(g.quiet);
    if (g.simulate) {
        try {
            SetUsbBackend(std::make_unique<sim::SimBackend>(g.scenario.isEmpty() ? sim::Scenario::Default()
                                                                                 : sim::Scenario::FromJsonFile(g.scenario)));
        } catch (const std::exception& e) {
            Error(QCoreApplication::translate("cli", "--simulate: %1").arg(QString::fromUtf8(e.what())));
            return kUsage;
        }
    } else if (!g.scenario.isEmpty()) {
        Error(QCoreApplication::translate("cli", "a scenario file needs --simulate"));
        return kUsage;
    }
    SetSimulated(g.simulate);
    SetChosenSerial(g.serial);
    TheTransferLog().KeepRecords(false);
    if (!g.trace.isEmpty() && !TheTransferLog().TraceTo(g.trace)) {
        Error(QCoreApplication::translate("cli", "--trace: cannot write %1").arg(g.trace));
        return kFileError;
    }
    return kDone;
}

bool ParseCommand(QCommandLineParser& p, const QStringList& args, Globals& g)
{
    AddGlobals(p, true);
    if (!p.parse(QStringList{QStringLiteral("krx738-cli")} + args))
        throw UsageError{MessageStyle(p.errorText())};
    TakeGlobals(p, g);
    // A stand's service file names its meter in the environment; --serial wins over it.
    if (g.serial.isEmpty() && !qEnvironmentVariableIsEmpty("KRX738_SERIAL"))
        g.serial = CheckedSerial(QStringLiteral("KRX738_SERIAL"), qEnvironmentVariable("KRX738_SERIAL"));
    return !g.help;
}

void NoPositional(const QCommandLineParser& p, int allowed)
{
    if (p.positionalArguments().size() > allowed)
        throw UsageError{QCoreApplication::translate("cli", "unexpected argument '%1'").arg(p.positionalArguments().value(allowed))};
}

QString Help(const QCommandLineParser& p, const QString& usage, const QString& about, const QString& more)
{
    QString options = p.helpText();
    // The toolkit's heading, in the language its own catalogue gives it.
    static const char* const toolkit = "QCommandLineParser";
    options = options.mid(options.indexOf(QCoreApplication::translate(toolkit, "Options:")));
    return QCoreApplication::translate("cli", "Usage: %1\n\n%2\n\n%3\n%4").arg(usage, about, options, more);
}

QString CommandHelp(const QCommandLineParser& p, const QString& usage, const QString& about, const QString& more)
{
    return Help(p, usage, about, more) +
           QCoreApplication::translate(
               "cli", "The global options (--simulate, --trace, --quiet) and the exit status: krx738-cli --help.\n");
}

int ParseInt(const QString& option, const QString& text, long long min, long long max, const QString& meaning)
{
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max)
        throw UsageError{QCoreApplication::translate("cli", "--%1: '%2' is not allowed; give %3 from %4 to %5")
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
    throw UsageError{QCoreApplication::translate("cli", "--voltage: '%1' is not allowed; choose 10, 100, 500, 1000 or auto").arg(text)};
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
        throw UsageError{QCoreApplication::translate("cli", "--format: '%1' is not allowed; choose csv, jsonl or spreadsheet").arg(f)};
    if (p.isSet(QStringLiteral("output"))) {
        o.file = p.value(QStringLiteral("output"));
        if (o.file.isEmpty())
            throw UsageError{QCoreApplication::translate("cli", "--output: give a file name")};
    }
    return o;
}

void AddOutputOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("format"),
                 QCoreApplication::translate("cli", "csv (UTF-8, \",\", \".\"), jsonl (one JSON object per line) or spreadsheet "
                                "(the Save dialect: Windows-1252, \";\", the locale's decimal separator). "
                                "Default: csv."),
                 QStringLiteral("FORMAT"), QStringLiteral("csv")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QCoreApplication::translate("cli", "Write the records to FILE instead of standard output (csv and jsonl create or "
                                "empty it; spreadsheet appends, as Save does)."),
                 QStringLiteral("FILE")});
}

void AddDatabaseOption(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("database"),
                 QCoreApplication::translate("cli", "The test history: sqlite, sqlite:/path/file.sqlite or "
                                "postgresql://user@host:port/dbname (default: HistoryDatabase of the settings "
                                "file, else the SQLite file in the user's data folder)."),
                 QStringLiteral("SETTING")});
}

QString ParseDatabase(const QCommandLineParser& p)
{
    if (!p.isSet(QStringLiteral("database")))
        return {};
    const QString setting = p.value(QStringLiteral("database"));
    history::Connection c;
    QString error;
    if (!history::ParseConnection(setting, history::DefaultDataFolder(), c, &error))
        throw UsageError{QCoreApplication::translate("cli", "--database: '%1' is not allowed; give sqlite, sqlite:/path/file.sqlite or "
                                        "postgresql://user@host:port/dbname")
                             .arg(setting)};
    // "sqlite" alone would read as "no option" further on.
    return setting.trimmed().isEmpty() ? QStringLiteral("sqlite") : setting;
}

}  // namespace krx::cli
