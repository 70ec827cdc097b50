// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli's test history as a user runs it: separate processes, a home of their own, output
// parsed, exit codes checked; every run has a deadline.
#include "cli_fixture.h"
#include "history/history_store.h"
#include "history/plan_records.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

using krx::test::CliRun;

class HistoryCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("HOME"), home_.path());
        env_.insert(QStringLiteral("XDG_DATA_HOME"), home_.path() + QStringLiteral("/data"));
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path() + QStringLiteral("/config"));
    }

    CliRun Cli(const QStringList& args)
    {
        const CliRun r = krx::test::RunCli(args, 30000, env_);
        if (!r.finished)
            ADD_FAILURE() << "krx738-cli hangs: " << args.join(QLatin1Char(' ')).toStdString();
        return r;
    }

    QString DefaultFile() const { return home_.path() + QStringLiteral("/data/krx738/history.sqlite"); }

    void SetVersion(const QString& file, int version)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v"));
            db.setDatabaseName(file);
            ASSERT_TRUE(db.open());
            ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(version)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v"));
    }

    QTemporaryDir home_;
    QProcessEnvironment env_;
};

const QString kAsset = QStringLiteral("Pump 'P-7'; \"north\" 🔌");

TEST_F(HistoryCli, MeasureFilesAndHistoryShowsIt)
{
    // A meter of its own serial and software, so that neither can stand in for the other.
    const QString meter = krx::test::WriteFile(home_.path() + QStringLiteral("/meter.json"),
                                               R"({"serialNo": "73809911", "swVersion": "2.31"})");
    const CliRun m = Cli({QStringLiteral("--simulate"), meter, QStringLiteral("measure"), QStringLiteral("--count"),
                       QStringLiteral("2"), QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--asset"),
                       kAsset, QStringLiteral("--allow-simulated"), QStringLiteral("--comment"), QStringLiteral("after cleaning, \"dry\""),
                       QStringLiteral("--operator"), QStringLiteral("ÅK")});
    ASSERT_EQ(m.exitCode, 0) << m.err.toStdString();
    EXPECT_EQ(m.out.count('\n'), 3);  // header and two records, as without --asset
    ASSERT_TRUE(QFile::exists(DefaultFile()));

    const CliRun list = Cli({QStringLiteral("history"), QStringLiteral("list")});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QList<QByteArray> rows = list.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].startsWith("asset"));
    EXPECT_TRUE(rows[1].startsWith(kAsset.toUtf8() + "  1  ")) << rows[1].toStdString();

    const CliRun json = Cli({QStringLiteral("history"), QStringLiteral("show"), kAsset, QStringLiteral("--format"),
                          QStringLiteral("jsonl")});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    ASSERT_EQ(json.out.count('\n'), 1);
    const QJsonObject o = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(o.value(QStringLiteral("asset_id")).toString(), kAsset);
    EXPECT_EQ(o.value(QStringLiteral("kind")).toString(), QStringLiteral("free-running"));
    EXPECT_EQ(o.value(QStringLiteral("comment")).toString(), QStringLiteral("after cleaning, \"dry\""));
    EXPECT_EQ(o.value(QStringLiteral("operator")).toString(), QStringLiteral("ÅK"));
    EXPECT_EQ(o.value(QStringLiteral("meter_serial")).toString(), QStringLiteral("73809911"));
    EXPECT_EQ(o.value(QStringLiteral("meter_software")).toString(), QStringLiteral("2.31"));
    EXPECT_GT(o.value(QStringLiteral("voltage_v")).toInt(), 0);
    // Two readings make no figures: empty, and said so, never a number.
    EXPECT_TRUE(o.value(QStringLiteral("dar")).isNull());
    EXPECT_EQ(o.value(QStringLiteral("dar_verdict")).toString(), QStringLiteral("not enough data"));
    // No --class and an asset without one: the class the window's figures use, as a window-filed test has.
    EXPECT_EQ(o.value(QStringLiteral("insulation_class")).toString(), QStringLiteral("F"));
    EXPECT_TRUE(o.value(QStringLiteral("simulated")).toBool());

    const CliRun table = Cli({QStringLiteral("history"), QStringLiteral("show"), kAsset});
    ASSERT_EQ(table.exitCode, 0);
    EXPECT_TRUE(table.out.startsWith(kAsset.toUtf8() + ": 1 test(s)\n")) << table.out.toStdString();
    EXPECT_TRUE(table.out.contains("after cleaning, \"dry\""));

    const QString file = home_.path() + QStringLiteral("/export.csv");
    const CliRun sheet = Cli({QStringLiteral("history"), QStringLiteral("export"), kAsset, QStringLiteral("--format"),
                           QStringLiteral("spreadsheet"), QStringLiteral("--output"), file});
    ASSERT_EQ(sheet.exitCode, 0) << sheet.err.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("asset_id;asset_name;") && lines[0].endsWith('\r'));
    // Windows-1252: "Å" is one byte; the plug has none and becomes "?".
    EXPECT_TRUE(lines[1].startsWith("\"Pump 'P-7'; \"\"north\"\" ?\";")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(";\xC5K;"));

    const CliRun csv = Cli({QStringLiteral("history"), QStringLiteral("export"), kAsset});
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_TRUE(csv.out.startsWith("asset_id,asset_name,test_id,"));
    EXPECT_EQ(csv.out.count('\n'), 2);
    // The help names every field the export writes.
    const QByteArray help = Cli({QStringLiteral("history"), QStringLiteral("--help")}).out;
    for (const QByteArray& name : csv.out.left(csv.out.indexOf('\n')).split(','))
        EXPECT_TRUE(help.contains(" " + name + ",") || help.contains(" " + name + ".") ||
                    help.contains("\n" + name + ","))
            << name.constData();
}

// An ESD or material test is filed as the other measurements are, with its method's result, and
// `history show` reads it back: a sheet below 1 MΩ at 10 V, read there only.
TEST_F(HistoryCli, MeasureFilesAMethodTest)
{
    const QString meter = krx::test::WriteFile(home_.path() + QStringLiteral("/sheet.json"),
                                               R"({"stabiliseSeconds": 0.3, "rAt10V": 6.4e5})");
    const CliRun m = Cli({QStringLiteral("--simulate"), meter, QStringLiteral("measure"), QStringLiteral("--method"),
                          QStringLiteral("surface"), QStringLiteral("--item-kind"), QStringLiteral("packaging"),
                          QStringLiteral("--limits"), QStringLiteral("s20.20-2021"), QStringLiteral("--d1"),
                          QStringLiteral("30.48"), QStringLiteral("--d2"), QStringLiteral("57.15"),
                          QStringLiteral("--conditioning"), QStringLiteral("36"), QStringLiteral("--asset"),
                          QStringLiteral("sheet-3"), QStringLiteral("--allow-simulated"), QStringLiteral("--operator"),
                          QStringLiteral("JM")});
    ASSERT_EQ(m.exitCode, 0) << m.err.toStdString();
    const CliRun json = Cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("sheet-3"),
                             QStringLiteral("--format"), QStringLiteral("jsonl")});
    ASSERT_EQ(json.exitCode, 0) << json.err.toStdString();
    ASSERT_EQ(json.out.count('\n'), 1) << json.out.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(o.value(QStringLiteral("kind")).toString(), QStringLiteral("method"));
    EXPECT_EQ(o.value(QStringLiteral("method")).toString(), QStringLiteral("surface"));
    EXPECT_EQ(o.value(QStringLiteral("measurement")).toString(), QStringLiteral("Rs"));
    EXPECT_EQ(o.value(QStringLiteral("item_kind")).toString(), QStringLiteral("packaging"));
    EXPECT_EQ(o.value(QStringLiteral("path")).toString(), QStringLiteral("10:640000@5"));
    EXPECT_EQ(o.value(QStringLiteral("result_ohm")).toDouble(), 6.4e5);
    EXPECT_EQ(o.value(QStringLiteral("result_voltage_v")).toInt(), 10);
    EXPECT_EQ(o.value(QStringLiteral("classification")).toString(), QStringLiteral("dissipative"));
    EXPECT_EQ(o.value(QStringLiteral("limit_outcome")).toString(), QStringLiteral("meets"));
    EXPECT_EQ(o.value(QStringLiteral("conditioning_h")).toDouble(), 36.0);
    EXPECT_EQ(o.value(QStringLiteral("operator")).toString(), QStringLiteral("JM"));
    EXPECT_TRUE(o.value(QStringLiteral("pi")).isNull());
    // The new asset is of the tested item's kind.
    const CliRun list = Cli({QStringLiteral("history"), QStringLiteral("list")});
    EXPECT_TRUE(list.out.contains("packaging")) << list.out.toStdString();
}

TEST_F(HistoryCli, TheNameplateGivenStaysWithTheAssetAndJudgesItsNextTests)
{
    const QStringList run{QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--test"),
                          QStringLiteral("dar"), QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--interval"),
                          QStringLiteral("0"), QStringLiteral("--asset"), QStringLiteral("G-1"), QStringLiteral("--allow-simulated")};
    const CliRun first = Cli(run + QStringList{QStringLiteral("--kind"), QStringLiteral("machine"), QStringLiteral("--rated-voltage"),
                                               QStringLiteral("6600"), QStringLiteral("--winding"), QStringLiteral("older"),
                                               QStringLiteral("--class"), QStringLiteral("A")});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(Cli(run).exitCode, 0);
    const CliRun show = Cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("G-1"),
                             QStringLiteral("--format"), QStringLiteral("jsonl")});
    const QList<QByteArray> tests = show.out.trimmed().split('\n');
    ASSERT_EQ(tests.size(), 2) << show.out.toStdString();
    for (const QByteArray& line : tests) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        EXPECT_EQ(o.value(QStringLiteral("plate_rated_v")).toDouble(), 6600) << line.toStdString();
        EXPECT_EQ(o.value(QStringLiteral("plate_winding")).toString(), QStringLiteral("older"));
        EXPECT_EQ(o.value(QStringLiteral("insulation_class")).toString(), QStringLiteral("A"));
    }
    // The asset keeps the class: the list shows it.
    const QString list = QString::fromUtf8(Cli({QStringLiteral("history"), QStringLiteral("list")}).out);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^G-1 +2 +\\S+ \\S+ +A "), QRegularExpression::MultilineOption)
                    .match(list).hasMatch()) << list.toStdString();

    // An asset known by its class alone is judged by that class, not by the window's choice.
    {
        krx::history::HistoryStore store;
        ASSERT_TRUE(store.Open(QStringLiteral("sqlite:") + DefaultFile(), home_.path()));
        ASSERT_TRUE(store.SaveAsset({QStringLiteral("C-2"), {}, {}, {}, QStringLiteral("B"), {}, {}, {}}));
    }
    QStringList byClass = run;
    byClass[byClass.indexOf(QStringLiteral("G-1"))] = QStringLiteral("C-2");
    ASSERT_EQ(Cli(byClass).exitCode, 0);
    const CliRun judged = Cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("C-2"),
                               QStringLiteral("--format"), QStringLiteral("jsonl")});
    EXPECT_EQ(QJsonDocument::fromJson(judged.out).object().value(QStringLiteral("insulation_class")).toString(),
              QStringLiteral("B")) << judged.out.toStdString();
}

TEST_F(HistoryCli, WrongArgumentsAreRefusedBeforeAnything)
{
    const QList<QStringList> wrong{
        {QStringLiteral("history")},
        {QStringLiteral("history"), QStringLiteral("delete")},
        {QStringLiteral("history"), QStringLiteral("show")},
        {QStringLiteral("history"), QStringLiteral("export"), QString()},
        {QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("history"), QStringLiteral("list"), QStringLiteral("--format"), QStringLiteral("csv")},
        {QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("a"), QStringLiteral("--format"),
         QStringLiteral("spreadsheet")},
        {QStringLiteral("history"), QStringLiteral("export"), QStringLiteral("a"), QStringLiteral("--format"),
         QStringLiteral("table")},
        {QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("a"), QStringLiteral("--output"),
         QStringLiteral("x")},
        {QStringLiteral("history"), QStringLiteral("list"), QStringLiteral("--database"), QStringLiteral("mysql://h/d")},
        {QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--comment"), QStringLiteral("x")},
        {QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--asset"), QStringLiteral(" ")},
        {QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--asset"), QStringLiteral("a"), QStringLiteral("--database"), QStringLiteral("sqlite:")},
        {QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--class"), QStringLiteral("F")},
        {QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--allow-simulated")},
        // The simulated meter's readings go under an asset only when asked for.
        {QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
         QStringLiteral("--asset"), QStringLiteral("a")},
    };
    for (const QStringList& args : wrong) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(QLatin1Char(' ')).toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
    }
    // Nothing above touched a database.
    EXPECT_FALSE(QDir(home_.path() + QStringLiteral("/data")).exists());
    // With a class and an asset the class is taken.
    const CliRun ok = Cli({QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"),
                        QStringLiteral("1"), QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--asset"),
                        QStringLiteral("a"), QStringLiteral("--class"), QStringLiteral("A"), QStringLiteral("--allow-simulated")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
}

// Only the default file is made by reading it; a named one that is not there is refused by every
// reading command and made by filing, which says so. An asset that is not there is exit status 9,
// a history that cannot be used 7: a script tells a typo from an outage.
TEST_F(HistoryCli, ANamedHistoryIsMadeOnlyByFilingAndAMissingAssetIsNine)
{
    const CliRun list = Cli({QStringLiteral("history"), QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(QFile::exists(DefaultFile()));

    const QString named = home_.path() + QStringLiteral("/no/such/dir/h.sqlite");
    const QString database = QStringLiteral("--database=sqlite:") + named;
    const QStringList reading[] = {{QStringLiteral("list")}, {QStringLiteral("show"), QStringLiteral("M1")},
                                   {QStringLiteral("export"), QStringLiteral("M1")}, {QStringLiteral("send")}};
    for (const QStringList& args : reading) {
        const CliRun r = Cli(QStringList{QStringLiteral("history")} + args + QStringList{database});
        EXPECT_EQ(r.exitCode, 7) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.err, "krx738-cli: the test history in SQLite " + named.toUtf8() +
                             " cannot be used: there is no such file (only filing a test makes a new one)\n");
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QDir(home_.path() + QStringLiteral("/no")).exists());

    const QStringList file{QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"),
                           QStringLiteral("1"), QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--asset"),
                           QStringLiteral("M1"), QStringLiteral("--allow-simulated"), database};
    const QByteArray made = "krx738-cli: a new test history was made: SQLite " + named.toUtf8() + "\n";
    const CliRun first = Cli(file);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(made)) << first.err.toStdString();
    EXPECT_FALSE(Cli(file).err.contains("a new test history"));

    const struct {
        const char* action;
        const char* asset;
        int exit;
    } cases[] = {{"show", "M1", 0}, {"export", "M1", 0}, {"show", "M2", 9}, {"export", "M2", 9}};
    for (const auto& c : cases) {
        const CliRun r = Cli({QStringLiteral("history"), QString::fromLatin1(c.action), QString::fromLatin1(c.asset), database});
        EXPECT_EQ(r.exitCode, c.exit) << c.action << " " << c.asset << ": " << r.err.toStdString();
        EXPECT_EQ(r.out.isEmpty(), c.exit != 0) << c.action << " " << c.asset;
        if (c.exit)
            EXPECT_EQ(r.err, "krx738-cli: there is no asset 'M2' in SQLite " + named.toUtf8() +
                                 "; krx738-cli history list shows the assets\n");
    }
}

TEST_F(HistoryCli, DatabaseFaultsGiveExitSevenAndTheOutboxKeepsTheTest)
{
    // The settings file of the window program names the database.
    const QString db = home_.path() + QStringLiteral("/lab.sqlite");
    QDir().mkpath(home_.path() + QStringLiteral("/config/krx738"));
    QFile ini(home_.path() + QStringLiteral("/config/krx738/KRX_SETUP.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[KRX 738]\r\nHistoryDatabase=sqlite:" + db.toUtf8() + "\r\n");
    ini.close();

    // Named and not there yet: filing makes it.
    ASSERT_EQ(Cli({QStringLiteral("--simulate"), QStringLiteral("measure"), QStringLiteral("--count"), QStringLiteral("1"),
                   QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--asset"), QStringLiteral("M0"),
                   QStringLiteral("--allow-simulated")})
                  .exitCode,
              0);
    ASSERT_TRUE(QFile::exists(db));
    EXPECT_FALSE(QFile::exists(DefaultFile()));

    SetVersion(db, 99);
    const CliRun list = Cli({QStringLiteral("history"), QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 7);
    EXPECT_TRUE(list.err.contains("newer version")) << list.err.toStdString();
    EXPECT_TRUE(list.out.isEmpty());

    // Measuring goes on; its records are all written and its test waits in the outbox.
    // A meter of its own serial and software, so that neither can stand in for the other.
    const QString meter = krx::test::WriteFile(home_.path() + QStringLiteral("/meter.json"),
                                               R"({"serialNo": "73809911", "swVersion": "2.31"})");
    const CliRun m = Cli({QStringLiteral("--simulate"), meter, QStringLiteral("measure"), QStringLiteral("--count"),
                       QStringLiteral("2"), QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--asset"),
                       QStringLiteral("M1"), QStringLiteral("--allow-simulated")});
    EXPECT_EQ(m.exitCode, 7) << m.err.toStdString();
    EXPECT_EQ(m.out.count('\n'), 3);
    EXPECT_TRUE(m.err.contains("outbox")) << m.err.toStdString();
    EXPECT_EQ(Cli({QStringLiteral("history"), QStringLiteral("send")}).exitCode, 7);

    SetVersion(db, krx::history::kSchemaVersion);  // back to this program's schema
    const CliRun send = Cli({QStringLiteral("history"), QStringLiteral("send")});
    EXPECT_EQ(send.exitCode, 0) << send.err.toStdString();
    EXPECT_TRUE(send.err.contains("1 test(s) sent")) << send.err.toStdString();
    const CliRun json = Cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("M1"), QStringLiteral("--format"),
                          QStringLiteral("jsonl")});
    EXPECT_EQ(json.out.count('\n'), 1) << json.err.toStdString();
    EXPECT_TRUE(Cli({QStringLiteral("history"), QStringLiteral("send")}).err.contains("the outbox is empty"));

    // An export that cannot be written is a file error, and leaves nothing behind.
    const CliRun bad = Cli({QStringLiteral("history"), QStringLiteral("export"), QStringLiteral("M1"), QStringLiteral("-o"),
                         home_.path() + QStringLiteral("/no/such/folder/x.csv")});
    EXPECT_EQ(bad.exitCode, 5) << bad.err.toStdString();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// A plan imported and exported again, its status on the days around a due date with the exit
// status a nightly job reads, a bad file refused whole, and an item left out retired.
TEST_F(HistoryCli, PlanImportStatusAndExport)
{
    const QString db = home_.path() + QStringLiteral("/plan.sqlite");
    const QString database = QStringLiteral("--database=sqlite:") + db;
    const QByteArray header = "id,area,kind,location,interval_days,points\n";
    const QByteArray plan = header + "WS-14,EPA 1,worksurface,\"bench 14, left\",90,\nF-2,EPA 2,flooring,,180,\n";
    const QString planFile = krx::test::WriteFile(home_.path() + QStringLiteral("/plan.csv"), plan);
    const CliRun imported = Cli({QStringLiteral("plan"), QStringLiteral("import"), planFile, database});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_TRUE(imported.err.contains("2 item(s) imported")) << imported.err.toStdString();
    {
        krx::history::HistoryStore store;
        ASSERT_TRUE(store.Open(QStringLiteral("sqlite:") + db, home_.path()));
        krx::Verification v;
        v.itemId = QStringLiteral("WS-14");
        v.time = QDateTime(QDate(2026, 1, 10), QTime(10, 0), Qt::OffsetFromUTC, 3600);
        v.pointsPlanned = 1;
        v.points = {{1, {krx::RangeState::InRange, 6.5e8}, 100, {}, krx::Outcome::Meets, {}, {}, {}}};
        ASSERT_EQ(store.FileVerification(v).status, krx::history::FileResult::Filed) << store.Error().toStdString();
    }

    // WS-14 verified 2026-01-10 every 90 days: due 2026-04-10. F-2 never verified.
    const QByteArray ws14 = "WS-14,EPA 1,worksurface,2026-01-10,650000000,meets,2026-04-10,";
    const QByteArray f2 = "F-2,EPA 2,flooring,,,,,never\n";
    struct Case {
        QStringList args;
        int exitCode;
        QByteArray out;  // after the header
    };
    const Case cases[] = {
        {{QStringLiteral("--as-of"), QStringLiteral("2026-04-10")}, 0, ws14 + "due\n" + f2},
        {{QStringLiteral("--as-of"), QStringLiteral("2026-04-11")}, 11, ws14 + "overdue\n" + f2},
        {{QStringLiteral("--as-of"), QStringLiteral("2026-04-11"), QStringLiteral("--area"), QStringLiteral("EPA 2")}, 0, f2},
        {{QStringLiteral("--as-of"), QStringLiteral("2026-03-26"), QStringLiteral("--due-within"), QStringLiteral("14")}, 0, f2},
        {{QStringLiteral("--as-of"), QStringLiteral("2026-03-27"), QStringLiteral("--due-within"), QStringLiteral("14")}, 0,
         ws14 + "due\n" + f2},
        {{QStringLiteral("--area"), QStringLiteral("EPA 9")}, 9, {}},
        {{QStringLiteral("--as-of"), QStringLiteral("2026-02-30")}, 1, {}},
        {{QStringLiteral("--due-within"), QStringLiteral("-1")}, 1, {}},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(QStringList{QStringLiteral("plan"), QStringLiteral("status"), database,
                                         QStringLiteral("--format"), QStringLiteral("csv")} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(u' ').toStdString() << ": " << r.err.toStdString();
        if (c.exitCode == 0 || c.exitCode == 11) {
            EXPECT_EQ(r.out, "id,area,kind,last_verified,worst_ohm,verdict,due,state\n" + c.out)
                << c.args.join(u' ').toStdString();
        }
    }
    const CliRun json = Cli({QStringLiteral("plan"), QStringLiteral("status"), database, QStringLiteral("--format"),
                             QStringLiteral("jsonl"), QStringLiteral("--as-of"), QStringLiteral("2026-04-11")});
    EXPECT_EQ(json.exitCode, 11);
    const QJsonObject first = QJsonDocument::fromJson(json.out.split('\n').front()).object();
    EXPECT_EQ(first.value(QStringLiteral("state")).toString(), QStringLiteral("overdue"));
    EXPECT_EQ(first.value(QStringLiteral("worst_ohm")).toDouble(), 6.5e8);
    EXPECT_TRUE(QJsonDocument::fromJson(json.out.split('\n').at(1)).object().value(QStringLiteral("due")).isNull());

    // A bad line: refused with its number, the plan as it was.
    const QString bad = krx::test::WriteFile(home_.path() + QStringLiteral("/bad.csv"),
                                             header + "C-1,EPA 1,seating,,30,\nC-2,EPA 1,seating,,0,\n");
    const CliRun refused = Cli({QStringLiteral("plan"), QStringLiteral("import"), bad, database});
    EXPECT_EQ(refused.exitCode, 5);
    EXPECT_TRUE(refused.err.contains("line 3: interval_days \"0\"")) << refused.err.toStdString();
    const CliRun exported = Cli({QStringLiteral("plan"), QStringLiteral("export"), database});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, header + "WS-14,EPA 1,worksurface,\"bench 14, left\",90,3\nF-2,EPA 2,flooring,,180,5\n");

    // F-2 left out: retired; WS-14 keeps its verification.
    krx::test::WriteFile(planFile, header + "WS-14,EPA 1,worksurface,bench 14,90,3\n");
    const CliRun again = Cli({QStringLiteral("plan"), QStringLiteral("import"), planFile, database});
    EXPECT_TRUE(again.err.contains("0 new, 1 kept, 1 retired")) << again.err.toStdString();
    const CliRun after = Cli({QStringLiteral("plan"), QStringLiteral("status"), database, QStringLiteral("--format"),
                              QStringLiteral("csv"), QStringLiteral("--as-of"), QStringLiteral("2026-04-10")});
    EXPECT_EQ(after.out, "id,area,kind,last_verified,worst_ohm,verdict,due,state\n" + ws14 + "due\n");
}
