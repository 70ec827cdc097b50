// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli history list|show|export|send: the test history from the shell.
#include "cli/command.h"
#include "history/history_store.h"
#include "history/test_values.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cmath>
#include <memory>

namespace krx::cli {

using namespace krx::history;

namespace {

struct HistoryArgs {
    QString database;  // --database; empty: the settings file's HistoryDatabase
    QString asset;
    enum class Format { Table, Csv, Jsonl, Spreadsheet } format = Format::Table;
    QString file;  // export --output; empty: standard output
};

// Says why the history cannot be used; the exit status for it.
int HistoryFailed(const HistoryStore& store)
{
    Error(MessageStyle(store.Error()));
    return kHistoryError;
}

// Opens the store for reading: a named SQLite file that is not there is refused, never made empty.
// Says why not and gives the exit status when it cannot be used.
int OpenStore(HistoryStore& store, const QString& database)
{
    const QString setting = database.isEmpty() ? ConnectionSetting() : database;
    store.SetCreateNamed(false);
    if (!store.Open(setting))
        return HistoryFailed(store);
    if (!store.OutboxNote().isEmpty())
        Info(MessageStyle(store.OutboxNote()));
    return kDone;
}

// The table's columns: the values every face shows, read the same way ("-" where absent).
constexpr const char* kShowColumns[] = {"test_id", "time", "kind", "simulated", "voltage_v", "temperature_c",
                                        "humidity_pct", "r60_ohm", "r600_ohm", "reading_ohm", "r60_40c_ohm", "dar",
                                        "pi", "verdicts", "comment", "notes"};

// The heading row without a test; the memory reading column carries the whole reading summary, the
// verdicts column every verdict with the number of its source in `sources`.
QStringList ShowTableRow(const Asset& asset, const TestRecord* test, QStringList* sources)
{
    static const std::vector<TestValue> headings = ValuesOf(Asset{}, TestRecord{});
    const std::vector<TestValue> values = test ? ValuesOf(asset, *test) : std::vector<TestValue>{};
    QStringList row;
    for (const char* key : kShowColumns) {
        const std::string_view k(key);
        QString cell;
        if (!test)
            cell = k == "reading_ohm" ? QCoreApplication::translate("cli", "Reading")
                   : k == "verdicts"  ? QCoreApplication::translate("cli", "Verdicts")
                                      : ValueOf(headings, key).label;
        else
            cell = k == "reading_ohm" ? ReadingSummary(values)
                   : k == "verdicts"  ? VerdictCell(*test, sources)
                                      : ValueOf(values, key).text;
        cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
        row << (cell.isEmpty() ? QStringLiteral("-") : cell);
    }
    return row;
}

// Read from the export itself, so that the list cannot fall behind it.
QString ExportFieldsHelp()
{
    QString out = QCoreApplication::translate("cli", "Export fields:");
    qsizetype lineStart = 0;
    for (const TestValue& v : ValuesOf(Asset{}, TestRecord{})) {
        const QString name = QString::fromLatin1(v.key);
        if (out.size() - lineStart + name.size() + 2 > 100)
            out += QLatin1Char('\n'), lineStart = out.size();
        else
            out += QLatin1Char(' ');
        out += name + QLatin1Char(',');
    }
    out.chop(1);
    return out + QStringLiteral(".\n\n");
}

ExportFormat ExportFormatOf(HistoryArgs::Format f)
{
    return f == HistoryArgs::Format::Jsonl         ? ExportFormat::Jsonl
           : f == HistoryArgs::Format::Spreadsheet ? ExportFormat::Spreadsheet
                                                   : ExportFormat::Csv;
}

// The asset `id`; empty with the message said and the exit status in `rc` when there is none or
// the history cannot be read.
std::optional<Asset> FindAsset(HistoryStore& store, const QString& id, int& rc)
{
    auto asset = store.FindAsset(id);
    if (asset)
        return asset;
    if (!store.Error().isEmpty()) {
        rc = HistoryFailed(store);
        return std::nullopt;
    }
    Error(QCoreApplication::translate("cli", "there is no asset '%1' in %2; krx738-cli history list shows the assets")
              .arg(id, store.Description()));
    rc = kNoSuchAsset;
    return std::nullopt;
}

int HistoryListCommand(const HistoryArgs& args)
{
    HistoryStore store;
    if (const int rc = OpenStore(store, args.database); rc != kDone)
        return rc;
    const auto assets = store.Assets();
    if (!store.Error().isEmpty())
        return HistoryFailed(store);
    QList<QStringList> rows{{QStringLiteral("asset"), QStringLiteral("tests"), QCoreApplication::translate("cli", "last test"),
                             QStringLiteral("class"), QStringLiteral("kind"), QStringLiteral("name"),
                             QStringLiteral("location")}};
    for (const AssetSummary& a : assets)
        rows << QStringList{a.asset.id, QString::number(a.testCount),
                            a.lastTest.isValid() ? a.lastTest.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                                 : QStringLiteral("-"),
                            a.asset.insulationClass, KindOf(a.asset) ? KindName(*KindOf(a.asset)) : a.asset.kind,
                            a.asset.name, a.asset.location};
    return WriteOut(TextTable(rows).toUtf8()) ? kDone : kFileError;
}

int HistoryShowCommand(const HistoryArgs& args)
{
    HistoryStore store;
    if (const int rc = OpenStore(store, args.database); rc != kDone)
        return rc;
    int rc = kDone;
    const auto asset = FindAsset(store, args.asset, rc);
    if (!asset)
        return rc;
    const auto tests = store.TestsOf(args.asset);
    if (!store.Error().isEmpty())
        return HistoryFailed(store);
    QByteArray out;
    if (args.format != HistoryArgs::Format::Table) {
        out = ExportHeader(ExportFormatOf(args.format));
        for (const TestRecord& t : tests)
            out += ExportLine(ExportFormatOf(args.format), *asset, t);
        return WriteOut(out) ? kDone : kFileError;
    }
    QStringList sources;
    QList<QStringList> rows{ShowTableRow(*asset, nullptr, nullptr)};
    for (const TestRecord& t : tests)
        rows << ShowTableRow(*asset, &t, &sources);
    const QString title = QCoreApplication::translate("cli", "%1%2: %n test(s)\n", nullptr, int(tests.size()))
                              .arg(asset->id, asset->name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(asset->name));
    const QString sourceLines = sources.isEmpty() ? QString() : QCoreApplication::translate("cli", "\nVerdicts after:\n") + SourceList(sources) + QLatin1Char('\n');
    return WriteOut((title + TextTable(rows) + sourceLines).toUtf8()) ? kDone : kFileError;
}

int HistoryExportCommand(const HistoryArgs& args)
{
    HistoryStore store;
    int rc = OpenStore(store, args.database);
    if (rc != kDone || !FindAsset(store, args.asset, rc))
        return rc;
    const auto bytes = store.ExportHistory(args.asset, ExportFormatOf(args.format));
    if (!bytes)
        return HistoryFailed(store);
    if (args.file.isEmpty())
        return WriteOut(*bytes) ? kDone : kFileError;
    // Whole or not at all: an export cut short by a full disk must not pass for the history.
    QSaveFile f(args.file);
    if (!f.open(QIODevice::WriteOnly) || f.write(*bytes) != bytes->size() || !f.commit()) {
        Error(QCoreApplication::translate("cli", "cannot write %1: %2").arg(args.file, f.errorString()));
        return kFileError;
    }
    Info(QCoreApplication::translate("cli", "%1 written").arg(args.file));
    return kDone;
}

int HistorySendCommand(const HistoryArgs& args)
{
    HistoryStore store;
    const int rc = OpenStore(store, args.database);
    if (rc != kDone) {
        const int waiting = store.OutboxCount();
        if (waiting)
            Error(QCoreApplication::translate("cli", "%n test(s) wait in %1", nullptr, int(waiting)).arg(store.OutboxFile()));
        return rc;
    }
    // The open sent the outbox already; whatever is left could not go.
    const int left = store.OutboxCount();
    if (left) {
        Error(QCoreApplication::translate("cli", "%n test(s) could not be sent and wait in %1", nullptr, int(left)).arg(store.OutboxFile()));
        return kHistoryError;
    }
    if (store.OutboxNote().isEmpty())
        Info(QCoreApplication::translate("cli", "the outbox is empty"));
    return kDone;
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
    throw UsageError{QCoreApplication::translate("cli", "--format: '%1' is not allowed; choose %2")
                         .arg(f, show ? QCoreApplication::translate("cli", "table, csv or jsonl") : QCoreApplication::translate("cli", "csv, spreadsheet or jsonl"))};
}

void AddHistoryOptions(QCommandLineParser& p)
{
    p.addPositionalArgument(QStringLiteral("action"), QCoreApplication::translate("cli", "list, show, export or send"));
    p.addPositionalArgument(QStringLiteral("asset"), QCoreApplication::translate("cli", "show, export: the asset's id"));
    AddDatabaseOption(p);
    p.addOption({QStringLiteral("format"),
                 QCoreApplication::translate("cli", "show: table (default), csv or jsonl; export: csv (default; UTF-8, \",\"), "
                                "spreadsheet (Windows-1252, \";\") or jsonl."),
                 QStringLiteral("FORMAT")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QCoreApplication::translate("cli", "export: write FILE (whole or not at all) instead of standard output."),
                 QStringLiteral("FILE")});
}

void PrintHistoryHelp(const QCommandLineParser& p)
{
    Print(CommandHelp(p,
               QCoreApplication::translate("cli", "krx738-cli history list [--database SETTING]\n"
                              "       krx738-cli history show ASSET [--format table|csv|jsonl]\n"
                              "       krx738-cli history export ASSET [--format csv|spreadsheet|jsonl] "
                              "[--output FILE]\n"
                              "       krx738-cli history send"),
               QCoreApplication::translate("cli", "The test history: the assets, the tests filed under each (measure --asset), "
                              "and the outbox\nof tests that waited for the database. The outbox is also "
                              "sent at every successful open."),
               ExportFieldsHelp()));
}

Run ParseHistory(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddHistoryOptions(p);
    if (!ParseCommand(p, rest, g)) {
        PrintHistoryHelp(p);
        return {};
    }
    const QStringList pos = p.positionalArguments();
    if (pos.isEmpty())
        throw UsageError{QCoreApplication::translate("cli", "history: give list, show ASSET, export ASSET or send")};
    auto args = std::make_shared<HistoryArgs>();
    args->database = ParseDatabase(p);
    const QString action = pos[0];
    const bool withAsset = action == QLatin1String("show") || action == QLatin1String("export");
    if (!withAsset && action != QLatin1String("list") && action != QLatin1String("send"))
        throw UsageError{QCoreApplication::translate("cli", "history: '%1' is not allowed; choose list, show, export or send").arg(action)};
    if (withAsset && (pos.size() < 2 || pos[1].isEmpty()))
        throw UsageError{QCoreApplication::translate("cli", "history %1: give the asset's id").arg(action)};
    NoPositional(p, withAsset ? 2 : 1);
    if (withAsset)
        args->asset = pos[1];
    const bool show = action == QLatin1String("show");
    if (p.isSet(QStringLiteral("format"))) {
        if (!withAsset)
            throw UsageError{QCoreApplication::translate("cli", "--format belongs to history show and export")};
        args->format = ParseHistoryFormat(p.value(QStringLiteral("format")), show);
    } else if (!show) {
        args->format = HistoryArgs::Format::Csv;
    }
    if (p.isSet(QStringLiteral("output"))) {
        if (action != QLatin1String("export"))
            throw UsageError{QCoreApplication::translate("cli", "--output belongs to history export")};
        args->file = p.value(QStringLiteral("output"));
        if (args->file.isEmpty())
            throw UsageError{QCoreApplication::translate("cli", "--output: give a file name")};
    }
    if (action == QLatin1String("list"))
        return [args] { return HistoryListCommand(*args); };
    if (action == QLatin1String("send"))
        return [args] { return HistorySendCommand(*args); };
    if (show)
        return [args] { return HistoryShowCommand(*args); };
    return [args] { return HistoryExportCommand(*args); };
}

}  // namespace

const Command kHistoryCommand{"history",
                              QT_TRANSLATE_NOOP("cli", "  history list            the assets of the test history, with their test counts\n"
                              "  history show ASSET      the tests filed under an asset\n"
                              "  history export ASSET    an asset's tests as a file (csv, spreadsheet or jsonl)\n"
                              "  history send            send the tests kept in the outbox to the database\n"),
                              ParseHistory};

}  // namespace krx::cli
