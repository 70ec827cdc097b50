// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/history_commands.h"

#include "history/measurement_test.h"

#include <QSaveFile>

#include <cmath>
#include <cstdio>

namespace krx::cli {

using namespace krx::history;

namespace {

bool WriteOut(const QByteArray& bytes)
{
    const bool ok = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) ==
                    static_cast<size_t>(bytes.size());
    return std::fflush(stdout) == 0 && ok;
}

// Opens the store; says why not and gives the exit status when it cannot be used.
int OpenStore(HistoryStore& store, const QString& database)
{
    const QString setting = database.isEmpty() ? ConnectionSetting() : database;
    if (!store.Open(setting)) {
        Error(store.Error());
        return kHistoryError;
    }
    if (!store.OutboxNote().isEmpty())
        Info(store.OutboxNote());
    return kDone;
}

// 4.75e9 as "4.75 G", the way a resistance is read at the bench.
QString Ohm(const std::optional<double>& v)
{
    if (!v)
        return QStringLiteral("-");
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    double x = *v;
    int p = 0;
    while (std::fabs(x) >= 1000.0 && p < 5)
        x /= 1000.0, ++p;
    return QString::number(x, 'g', 3) + QLatin1Char(' ') + QLatin1String(prefixes[p]);
}

QString Fixed(const std::optional<double>& v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
}

QString Table(const QList<QStringList>& rows)
{
    QList<qsizetype> widths;
    for (const QStringList& r : rows)
        for (qsizetype i = 0; i < r.size(); ++i) {
            if (widths.size() <= i)
                widths << 0;
            widths[i] = std::max(widths[i], r[i].size());
        }
    QString out;
    for (const QStringList& r : rows) {
        QStringList cells;
        for (qsizetype i = 0; i < r.size(); ++i)
            cells << (i + 1 < r.size() ? r[i].leftJustified(widths[i]) : r[i]);
        out += cells.join(QStringLiteral("  ")) + QLatin1Char('\n');
    }
    return out;
}

ExportFormat ExportFormatOf(HistoryArgs::Format f)
{
    return f == HistoryArgs::Format::Jsonl         ? ExportFormat::Jsonl
           : f == HistoryArgs::Format::Spreadsheet ? ExportFormat::Spreadsheet
                                                   : ExportFormat::Csv;
}

}  // namespace

int HistoryListCommand(const HistoryArgs& args)
{
    HistoryStore store;
    if (const int rc = OpenStore(store, args.database); rc != kDone)
        return rc;
    const auto assets = store.Assets();
    if (!store.Error().isEmpty()) {
        Error(store.Error());
        return kHistoryError;
    }
    QList<QStringList> rows{{QStringLiteral("asset"), QStringLiteral("tests"), QStringLiteral("last test"),
                             QStringLiteral("class"), QStringLiteral("kind"), QStringLiteral("name"),
                             QStringLiteral("location")}};
    for (const AssetSummary& a : assets)
        rows << QStringList{a.asset.id, QString::number(a.testCount),
                            a.lastTest.isValid() ? a.lastTest.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                                 : QStringLiteral("-"),
                            a.asset.insulationClass, a.asset.kind, a.asset.name, a.asset.location};
    return WriteOut(Table(rows).toUtf8()) ? kDone : kFileError;
}

int HistoryShowCommand(const HistoryArgs& args)
{
    HistoryStore store;
    if (const int rc = OpenStore(store, args.database); rc != kDone)
        return rc;
    const auto asset = store.FindAsset(args.asset);
    if (!asset) {
        Error(store.Error().isEmpty() ? QStringLiteral("there is no asset '%1' in %2; krx738-cli history list shows "
                                                       "the assets")
                                            .arg(args.asset, store.Description())
                                      : store.Error());
        return kHistoryError;
    }
    const auto tests = store.TestsOf(args.asset);
    if (!store.Error().isEmpty()) {
        Error(store.Error());
        return kHistoryError;
    }
    QByteArray out;
    if (args.format != HistoryArgs::Format::Table) {
        out = ExportHeader(ExportFormatOf(args.format));
        for (const TestRecord& t : tests)
            out += ExportLine(ExportFormatOf(args.format), *asset, t);
        return WriteOut(out) ? kDone : kFileError;
    }
    QList<QStringList> rows{{QStringLiteral("id"), QStringLiteral("time"), QStringLiteral("kind"),
                             QStringLiteral("V"), QStringLiteral("°C"), QStringLiteral("%RH"),
                             QStringLiteral("R 1 min Ω"), QStringLiteral("R 10 min Ω"), QStringLiteral("R60 40°C Ω"),
                             QStringLiteral("DAR"), QStringLiteral("PI"), QStringLiteral("PI verdict"),
                             QStringLiteral("comment")}};
    for (const TestRecord& t : tests)
        rows << QStringList{QString::number(t.id),
                            t.time.isValid() ? t.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("-"),
                            QString::fromLatin1(KindName(t.kind)),
                            t.volts ? QString::number(*t.volts) : QStringLiteral("-"), Fixed(t.temperature, 1),
                            Fixed(t.humidity, 0), Ohm(t.r60), Ohm(t.r600), Ohm(t.r60At40), Fixed(t.dar, 2),
                            Fixed(t.pi, 2), t.piVerdict.isEmpty() ? QStringLiteral("-") : t.piVerdict,
                            QString(t.comment).replace(QLatin1Char('\n'), QLatin1Char(' '))};
    const QString title = QStringLiteral("%1%2: %3 test(s)\n")
                              .arg(asset->id, asset->name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(asset->name))
                              .arg(tests.size());
    return WriteOut((title + Table(rows)).toUtf8()) ? kDone : kFileError;
}

int HistoryExportCommand(const HistoryArgs& args)
{
    HistoryStore store;
    if (const int rc = OpenStore(store, args.database); rc != kDone)
        return rc;
    const auto bytes = store.ExportHistory(args.asset, ExportFormatOf(args.format));
    if (!bytes) {
        Error(store.Error());
        return kHistoryError;
    }
    if (args.file.isEmpty())
        return WriteOut(*bytes) ? kDone : kFileError;
    // Whole or not at all: an export cut short by a full disk must not pass for the history.
    QSaveFile f(args.file);
    if (!f.open(QIODevice::WriteOnly) || f.write(*bytes) != bytes->size() || !f.commit()) {
        Error(QStringLiteral("cannot write %1: %2").arg(args.file, f.errorString()));
        return kFileError;
    }
    Info(QStringLiteral("%1 written").arg(args.file));
    return kDone;
}

int HistorySendCommand(const HistoryArgs& args)
{
    HistoryStore store;
    const int rc = OpenStore(store, args.database);
    if (rc != kDone) {
        const int waiting = store.OutboxCount();
        if (waiting)
            Error(QStringLiteral("%1 test(s) wait in %2").arg(waiting).arg(store.OutboxFile()));
        return rc;
    }
    // The open sent the outbox already; whatever is left could not go.
    const int left = store.OutboxCount();
    if (left) {
        Error(QStringLiteral("%1 test(s) could not be sent and wait in %2").arg(left).arg(store.OutboxFile()));
        return kHistoryError;
    }
    if (store.OutboxNote().isEmpty())
        Info(QStringLiteral("the outbox is empty"));
    return kDone;
}

bool MeasurementFiler::Open(const FilingArgs& args)
{
    args_ = args;
    const QString setting = args.database.isEmpty() ? ConnectionSetting() : args.database;
    Connection c;
    QString error;
    if (!ParseConnection(setting, DefaultDataFolder(), c, &error)) {
        Error(error);
        return false;
    }
    if (!store_.Open(setting))
        Error(store_.Error() + QStringLiteral(" The measurement goes ahead; its test will be kept in the outbox."));
    else if (!store_.OutboxNote().isEmpty())
        Info(store_.OutboxNote());
    return true;
}

int MeasurementFiler::File(const std::vector<DataRecord>& readings, bool timerMode, const QString& meterSerial,
                           const QString& meterSoftware)
{
    std::optional<InsulationClass> cls = args_.insulationClass;
    if (!cls && store_.IsOpen()) {
        InsulationClass known{};
        if (const auto a = store_.FindAsset(args_.asset); a && ParseClass(a->insulationClass, known))
            cls = known;
    }
    TestRecord t = TestFromMeasurement(args_.asset, readings, timerMode, cls, args_.darTimes);
    t.comment = args_.comment;
    t.operatorName = args_.operatorName;
    t.meterSerial = meterSerial;
    t.meterSoftware = meterSoftware;
    const FileResult r = store_.FileTest(t);
    switch (r.status) {
    case FileResult::Filed:
        Info(QStringLiteral("test %1 filed under %2 in %3").arg(r.id).arg(args_.asset, store_.Description()));
        return kDone;
    case FileResult::Duplicate:
        Info(r.message);
        return kDone;
    case FileResult::KeptInOutbox:
    case FileResult::Failed:
        break;
    }
    Error(r.message);
    return kHistoryError;
}

}  // namespace krx::cli
