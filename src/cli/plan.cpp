// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli plan import|export|status: the periodic verification plan from the shell, so that a
// maintenance system can hand over its items and a nightly job can alert on what failed or is
// overdue.
#include "cli/command.h"
#include "cli/figures_text.h"
#include "core/asset_kinds.h"
#include "core/judging/limit_sets.h"
#include "history/plan_records.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <memory>

namespace krx::cli {

using namespace krx::history;

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("krx::cli::Plan", text);
}

enum class StatusFormat { Text, Csv, Jsonl };

struct PlanArgs {
    QString action;
    QString database;
    QString file;  // import: the plan; export: --output, empty for standard output
    QString area;  // status: only this area
    std::optional<int> dueWithin;
    QDate asOf;
    StatusFormat format = StatusFormat::Text;
};

int Open(HistoryStore& store, const QString& database, bool create)
{
    store.SetCreateNamed(create);
    if (!store.Open(database.isEmpty() ? ConnectionSetting() : database)) {
        Error(MessageStyle(store.Error()));
        return kHistoryError;
    }
    return kDone;
}

// Every kind a limit set knows, the built-in ones first.
QStringList KnownKinds()
{
    QStringList kinds = ItemKindNames();
    for (const LimitSet& set : LoadLimitLibrary(UserLimitsDir()).sets)
        for (const LimitRow& row : set.rows)
            if (!kinds.contains(row.kind))
                kinds << row.kind;
    return kinds;
}

int PlanImport(const PlanArgs& args)
{
    QFile f(args.file);
    if (!f.open(QIODevice::ReadOnly)) {
        Error(Tr("cannot read %1: %2").arg(args.file, f.errorString()));
        return kFileError;
    }
    const PlanFile plan = ParsePlanCsv(f.readAll(), KnownKinds());
    if (!plan.error.isEmpty()) {
        Error(Tr("%1: %2; nothing was imported").arg(args.file, plan.error));
        return kFileError;
    }
    HistoryStore store;
    if (const int rc = Open(store, args.database, true); rc != kDone)
        return rc;
    const auto count = store.ImportPlan(plan.items);
    if (!count) {
        Error(MessageStyle(store.Error()) + Tr("; nothing was imported"));
        return kHistoryError;
    }
    Info(Tr("%1 item(s) imported into %2: %3 new, %4 kept, %5 retired")
             .arg(plan.items.size())
             .arg(store.Description())
             .arg(count->added)
             .arg(count->kept)
             .arg(count->retired));
    return kDone;
}

int PlanExport(const PlanArgs& args)
{
    HistoryStore store;
    if (const int rc = Open(store, args.database, false); rc != kDone)
        return rc;
    std::vector<PlanItem> items;
    for (PlanEntry& e : store.PlanEntries())
        items.push_back(std::move(e.item));
    if (!store.Error().isEmpty()) {
        Error(MessageStyle(store.Error()));
        return kHistoryError;
    }
    const QByteArray bytes = PlanCsv(items);
    if (args.file.isEmpty())
        return WriteOut(bytes) ? kDone : kFileError;
    QSaveFile out(args.file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        Error(Tr("cannot write %1: %2").arg(args.file, out.errorString()));
        return kFileError;
    }
    Info(Tr("%1 written").arg(args.file));
    return kDone;
}

QString IsoDate(QDate d)
{
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

QByteArray StatusLine(StatusFormat format, const ItemReport& r)
{
    const ItemStatus& s = r.status;
    const bool verified = s.lastVerified.isValid();
    const QString verdict = verified ? QString::fromLatin1(OutcomeName(s.outcome)) : QString();
    const QString state = QString::fromLatin1(ItemStateName(s.state));
    if (format == StatusFormat::Jsonl) {
        auto textOrNull = [](const QString& t) { return t.isEmpty() ? QByteArray("null") : JsonText(t); };
        return "{\"id\":" + JsonText(r.item.id) + ",\"area\":" + JsonText(r.item.area) + ",\"kind\":" +
               JsonText(r.item.kind) + ",\"last_verified\":" + textOrNull(IsoDate(s.lastVerified)) +
               ",\"worst_ohm\":" + JsonNumber(s.worstOhm) + ",\"verdict\":" + textOrNull(verdict) +
               ",\"due\":" + textOrNull(IsoDate(s.due)) + ",\"state\":" + JsonText(state) + "}\n";
    }
    const QStringList fields{CommaCsvField(r.item.id), CommaCsvField(r.item.area), r.item.kind,
                             IsoDate(s.lastVerified),
                             s.worstOhm ? QString::fromLatin1(DataNumber(*s.worstOhm)) : QString(), verdict,
                             IsoDate(s.due), state};
    return (fields.join(u',') + QLatin1Char('\n')).toUtf8();
}

// As a person reads it: aligned, the worst value as the verdicts write it, "-" where empty.
QString StatusText(const std::vector<ItemReport>& reports)
{
    QList<QStringList> rows{{Tr("id"), Tr("area"), Tr("kind"), Tr("last verified"), Tr("worst"), Tr("verdict"),
                             Tr("due"), Tr("state")}};
    for (const ItemReport& r : reports) {
        const ItemStatus& s = r.status;
        const bool verified = s.lastVerified.isValid();
        rows << QStringList{r.item.id,
                            r.item.area,
                            KindText(r.item.kind),
                            verified ? IsoDate(s.lastVerified) : QStringLiteral("-"),
                            s.worstOhm ? SciOhm(*s.worstOhm) : QStringLiteral("-"),
                            verified ? QString::fromLatin1(OutcomeName(s.outcome)) : QStringLiteral("-"),
                            verified ? IsoDate(s.due) : Tr("now"),
                            QString::fromLatin1(ItemStateName(s.state))};
    }
    return TextTable(rows);
}

int PlanStatusCommand(const PlanArgs& args)
{
    HistoryStore store;
    if (const int rc = Open(store, args.database, false); rc != kDone)
        return rc;
    const auto all = store.PlanStatus(args.asOf, args.dueWithin.value_or(0));
    if (!all) {
        Error(MessageStyle(store.Error()));
        return kHistoryError;
    }
    std::vector<ItemReport> shown;
    bool attention = false;
    for (const ItemReport& r : *all) {
        if (!args.area.isEmpty() && r.item.area != args.area)
            continue;
        // Within the window: what is due soon, and whatever already asks for a test.
        if (args.dueWithin && r.status.state == ItemState::Ok)
            continue;
        attention = attention || NeedsAttention(r.status.state);
        shown.push_back(r);
    }
    if (!args.area.isEmpty() && shown.empty() && std::none_of(all->begin(), all->end(), [&](const ItemReport& r) {
            return r.item.area == args.area;
        })) {
        Error(Tr("there is no area '%1' in the plan").arg(args.area));
        return kNoSuchAsset;
    }
    QByteArray out;
    if (args.format == StatusFormat::Text) {
        out = StatusText(shown).toUtf8();
    } else {
        if (args.format == StatusFormat::Csv)
            out = "id,area,kind,last_verified,worst_ohm,verdict,due,state\n";
        for (const ItemReport& r : shown)
            out += StatusLine(args.format, r);
    }
    if (!WriteOut(out))
        return kFileError;
    return attention ? kPlanAttention : kDone;
}

void AddPlanOptions(QCommandLineParser& p)
{
    p.addPositionalArgument(QStringLiteral("action"), Tr("import, export or status"));
    p.addPositionalArgument(QStringLiteral("file"), Tr("import: the plan's CSV file"));
    AddDatabaseOption(p);
    p.addOption({QStringLiteral("area"), Tr("status: only the items of this area."), QStringLiteral("AREA")});
    p.addOption({QStringLiteral("due-within"),
                 Tr("status: only the items due within DAYS days (0 to 3650), and those failed, overdue or never "
                    "verified."),
                 QStringLiteral("DAYS")});
    p.addOption({QStringLiteral("as-of"), Tr("status: the state on DATE (YYYY-MM-DD) instead of today."),
                 QStringLiteral("DATE")});
    p.addOption({QStringLiteral("format"), Tr("status: text (default), csv or jsonl."), QStringLiteral("FORMAT")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 Tr("export: write FILE (whole or not at all) instead of standard output."), QStringLiteral("FILE")});
}

Run ParsePlan(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddPlanOptions(p);
    if (!ParseCommand(p, rest, g)) {
        Print(CommandHelp(
            p,
            Tr("krx738-cli plan import FILE [--database SETTING]\n"
               "       krx738-cli plan export [--output FILE]\n"
               "       krx738-cli plan status [--area AREA] [--due-within DAYS] [--as-of DATE] "
               "[--format text|csv|jsonl]"),
            Tr("The periodic verification plan of ESD protected areas. A plan file is UTF-8 CSV with the header\n"
               "id,area,kind,location,interval_days,points; a bad line refuses the whole file. An import again\n"
               "keeps the items' verifications and retires the items left out. status lists per item its last\n"
               "verification, worst value, verdict, due date and state (ok, due, overdue, failed, never); it ends\n"
               "with exit status 11 when an item failed its last verification or is overdue.")));
        return {};
    }
    const QStringList pos = p.positionalArguments();
    auto args = std::make_shared<PlanArgs>();
    args->action = pos.value(0);
    const bool import = args->action == QLatin1String("import");
    if (!import && args->action != QLatin1String("export") && args->action != QLatin1String("status"))
        throw UsageError{Tr("plan: give import FILE, export or status")};
    if (import && pos.value(1).isEmpty())
        throw UsageError{Tr("plan import: give the plan's CSV file")};
    NoPositional(p, import ? 2 : 1);
    args->database = ParseDatabase(p);
    if (import)
        args->file = pos[1];
    const bool status = args->action == QLatin1String("status");
    for (const char* option : {"area", "due-within", "as-of", "format"})
        if (p.isSet(QString::fromLatin1(option)) && !status)
            throw UsageError{Tr("--%1 belongs to plan status").arg(QString::fromLatin1(option))};
    if (p.isSet(QStringLiteral("output"))) {
        if (args->action != QLatin1String("export"))
            throw UsageError{Tr("--output belongs to plan export")};
        args->file = p.value(QStringLiteral("output"));
        if (args->file.isEmpty())
            throw UsageError{Tr("--output: give a file name")};
    }
    args->area = p.value(QStringLiteral("area"));
    if (p.isSet(QStringLiteral("due-within")))
        args->dueWithin = ParseInt(QStringLiteral("due-within"), p.value(QStringLiteral("due-within")), 0,
                                   kMaxIntervalDays, Tr("whole days"));
    args->asOf = QDate::currentDate();
    if (p.isSet(QStringLiteral("as-of"))) {
        args->asOf = QDate::fromString(p.value(QStringLiteral("as-of")), Qt::ISODate);
        if (!args->asOf.isValid())
            throw UsageError{Tr("--as-of: '%1' is not a date; give YYYY-MM-DD").arg(p.value(QStringLiteral("as-of")))};
    }
    const QString format = p.value(QStringLiteral("format"));
    if (format == QLatin1String("csv"))
        args->format = StatusFormat::Csv;
    else if (format == QLatin1String("jsonl"))
        args->format = StatusFormat::Jsonl;
    else if (!format.isEmpty() && format != QLatin1String("text"))
        throw UsageError{Tr("--format: '%1' is not allowed; choose text, csv or jsonl").arg(format)};
    if (import)
        return [args] { return PlanImport(*args); };
    if (status)
        return [args] { return PlanStatusCommand(*args); };
    return [args] { return PlanExport(*args); };
}

}  // namespace

const Command kPlanCommand{"plan",
                           "  plan import FILE        read a verification plan (CSV) into the test history\n"
                           "  plan export             the plan as CSV, as import reads it\n"
                           "  plan status             per item of the plan: last verification, due date, state\n",
                           ParsePlan};

}  // namespace krx::cli
