// SPDX-License-Identifier: GPL-3.0-or-later
// The history store against both databases it supports: an SQLite file and a real PostgreSQL
// server that the fixture starts for this run. Faults are made for real (a lock held by another
// connection, a read-only database, a newer schema, a stopped server, a kill during a write).
#include "child.h"
#include "history/history_store.h"
#include "history/plan_records.h"
#include "history/test_values.h"
#include "history_samples.h"
#include "pg_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace krx;
using namespace krx::history;
using namespace krx::history::samples;

namespace {

enum class Backend { Sqlite, Postgres };

test::PgServer* server = nullptr;
QString serverError;

test::PgServer* Server()
{
    if (!server && serverError.isEmpty()) {
        server = new test::PgServer;
        if (!server->Start()) {
            serverError = server->Error();
            delete server;
            server = nullptr;
        }
    }
    return server;
}

// Stops the server at the end of the run, also after failed tests.
class ServerTeardown : public ::testing::Environment {
public:
    void TearDown() override
    {
        delete server;
        server = nullptr;
    }
};

int counter = 0;

class Store : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path();
        UseNewDatabase(0);
    }
    // Another empty database; the raw connection follows it.
    void UseNewDatabase(int n)
    {
        TearDown();
        sqliteFile_ = folder_ + QStringLiteral("/h%1.sqlite").arg(n ? QString::number(n) : QString());
        if (GetParam() == Backend::Sqlite) {
            setting_ = QStringLiteral("sqlite:") + sqliteFile_;
        } else {
            ASSERT_TRUE(Server()) << "PostgreSQL is needed for these tests: " << serverError.toStdString();
            dbName_ = QStringLiteral("krxtest%1").arg(++counter);
            setting_ = server->CreateDatabase(dbName_);
            ASSERT_TRUE(server->Error().isEmpty()) << server->Error().toStdString();
        }
    }
    void TearDown() override
    {
        if (raw_.isValid())
            raw_.close();
        raw_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    }

    // A connection of another program, for faults made by hand.
    QSqlQuery Raw()
    {
        if (raw_.isValid() && !raw_.isOpen()) {
            EXPECT_TRUE(raw_.open());
        }
        if (!raw_.isValid()) {
            const bool sqlite = GetParam() == Backend::Sqlite;
            raw_ = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                                             QStringLiteral("raw"));
            raw_.setDatabaseName(sqlite ? sqliteFile_ : dbName_);
            if (!sqlite) {
                raw_.setHostName(server->SocketFolder());
                raw_.setUserName(QStringLiteral("krx"));
            }
            EXPECT_TRUE(raw_.open()) << raw_.lastError().text().toStdString();
        }
        return QSqlQuery(raw_);
    }
    void RawExec(const QString& sql)
    {
        QSqlQuery q = Raw();
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }

    // Version 1 as it was written then, by hand: no corrected values, no record keys.
    void CreateVersionOne()
    {
        const QString id = GetParam() == Backend::Sqlite ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                                                         : QStringLiteral("BIGSERIAL PRIMARY KEY");
        RawExec(QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"));
        RawExec(QStringLiteral("INSERT INTO schema_version VALUES (1)"));
        RawExec(QStringLiteral("CREATE TABLE assets (id TEXT PRIMARY KEY, name TEXT NOT NULL DEFAULT '', location TEXT "
                               "NOT NULL DEFAULT '', kind TEXT NOT NULL DEFAULT '', insulation_class TEXT NOT NULL DEFAULT '')"));
        RawExec(QStringLiteral("CREATE TABLE tests (id %1, asset_id TEXT NOT NULL REFERENCES assets (id), kind TEXT NOT "
                               "NULL, time_ms BIGINT, utc_offset_s INTEGER, volts INTEGER, duration_s DOUBLE PRECISION, "
                               "temperature_c DOUBLE PRECISION, humidity_pct DOUBLE PRECISION, r15_ohm DOUBLE PRECISION, "
                               "r30_ohm DOUBLE PRECISION, r60_ohm DOUBLE PRECISION, r600_ohm DOUBLE PRECISION, dar DOUBLE "
                               "PRECISION, pi DOUBLE PRECISION, dar_verdict TEXT, pi_verdict TEXT, verdict_source TEXT, "
                               "comment TEXT, operator TEXT, meter_serial TEXT, meter_software TEXT, bd_volts INTEGER, "
                               "bd_before_mohm BIGINT, bd_after_mohm BIGINT, bd_off_mohm BIGINT, bd_cycle_s INTEGER, "
                               "bd_timer_off_s INTEGER, series TEXT)")
                   .arg(id));
    }

    QTemporaryDir dir_;
    QString folder_, setting_, dbName_, sqliteFile_;
    QSqlDatabase raw_;
};

TEST_P(Store, FilesEveryFieldAndReadsItBack)
{
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    EXPECT_EQ(s.SchemaVersion(), kSchemaVersion);
    const TestRecord t = FullTest(QStringLiteral("M1"), 600);
    const FileResult f = s.FileTest(t);
    ASSERT_EQ(f.status, FileResult::Filed) << f.message.toStdString();
    TestRecord sparse;
    sparse.assetId = QStringLiteral("M1");
    sparse.kind = TestKind::FreeRunning;
    ASSERT_EQ(s.FileTest(sparse).status, FileResult::Filed);

    const auto list = s.TestsOf(QStringLiteral("M1"));
    ASSERT_EQ(list.size(), 2u);
    // A test without a time sorts first; empty figures come back empty, not as zero.
    EXPECT_FALSE(list[0].time.isValid());
    EXPECT_FALSE(list[0].r60 || list[0].pi || list[0].volts || list[0].breakDown);
    EXPECT_TRUE(list[1].readings.empty());
    ExpectSameTest(t, list[1]);
    const auto full = s.Test(f.id);
    ASSERT_TRUE(full);
    ExpectSameTest(t, *full);
    ExpectSameReadings(t.readings, full->readings);
    EXPECT_FALSE(s.Test(f.id + 1000));
}

TEST_P(Store, AwkwardAssetIdsAreStoredAndShownAsTyped)
{
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    const QStringList ids{QStringLiteral("M'1"), QStringLiteral("x'); DROP TABLE tests;--"),
                          QStringLiteral("\"quoted\""), QStringLiteral("pump 🔌"), QStringLiteral("محرك ٣"),
                          QStringLiteral(" lead"), QStringLiteral("a,b;c")};
    for (const QString& id : ids) {
        ASSERT_TRUE(s.SaveAsset({id, id + QStringLiteral(" name"), QStringLiteral("hall"), QStringLiteral("motor"),
                                 QStringLiteral("F"), {}, {}, {}}));
        ASSERT_EQ(s.FileTest(FullTest(id, 2)).status, FileResult::Filed) << id.toStdString();
    }
    // Saved again: the details change, the tests stay.
    ASSERT_TRUE(s.SaveAsset({ids[0], QStringLiteral("renamed"), {}, {}, QStringLiteral("B"), {}, {}, {}}));
    const auto assets = s.Assets();
    ASSERT_EQ(assets.size(), static_cast<size_t>(ids.size()));
    for (const AssetSummary& a : assets) {
        EXPECT_TRUE(ids.contains(a.asset.id)) << a.asset.id.toStdString();
        EXPECT_EQ(a.testCount, 1);
        EXPECT_TRUE(a.lastTest.isValid());
        ASSERT_EQ(s.TestsOf(a.asset.id).size(), 1u);
    }
    EXPECT_EQ(s.FindAsset(ids[0])->name, QStringLiteral("renamed"));
    EXPECT_EQ(s.FindAsset(ids[0])->insulationClass, QStringLiteral("B"));
    EXPECT_EQ(s.FindAsset(ids[3])->name, ids[3] + QStringLiteral(" name"));
    EXPECT_FALSE(s.FindAsset(QStringLiteral("M'")));
    EXPECT_TRUE(s.TestsOf(QStringLiteral("m'1")).empty());
}

TEST_P(Store, MemoryRecordsAreImportedOnce)
{
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    const memory::Identity meter{QStringLiteral("KRX 738"), QStringLiteral("12345"), QStringLiteral("1.07")};
    const OhmRecord r = Ohm(QStringLiteral("07.03.2025"), QStringLiteral("4.70"));
    const FileResult first = s.ImportOhmRecord(QStringLiteral("M1"), meter, r);
    ASSERT_EQ(first.status, FileResult::Filed) << first.message.toStdString();
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, r).status, FileResult::Duplicate);
    // Another asset does not make the same record new.
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M2"), meter, r).status, FileResult::Duplicate);
    // Another meter, another reading, another day: each its own record.
    memory::Identity other = meter;
    other.serialNo = QStringLiteral("12346");
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), other, r).status, FileResult::Filed);
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, Ohm(QStringLiteral("07.03.2025"), QStringLiteral("4.71"))).status,
              FileResult::Filed);
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, Ohm(QStringLiteral("08.03.2025"), QStringLiteral("4.70"))).status,
              FileResult::Filed);
    // The file number is not part of the record: the meter hands it out again.
    OhmRecord renumbered = r;
    renumbered.head.recordNo = 9;
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, renumbered).status, FileResult::Duplicate);

    BreakDownRecord b;
    b.head = r.head;
    b.breakDownVoltage = 800;
    b.resistanceBefore = 5'000'000;
    b.resistanceAfter = 4'000;
    b.resistanceOff = 3'000'000'000u;
    ASSERT_EQ(s.ImportBreakDownRecord(QStringLiteral("M1"), meter, b).status, FileResult::Filed);
    EXPECT_EQ(s.ImportBreakDownRecord(QStringLiteral("M1"), meter, b).status, FileResult::Duplicate);

    const auto tests = s.TestsOf(QStringLiteral("M1"));
    ASSERT_EQ(tests.size(), 5u);
    const auto t = s.Test(first.id);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->kind, TestKind::MemoryOhm);
    EXPECT_EQ(t->time, QDateTime(QDate(2025, 3, 7), QTime(10, 42)));
    EXPECT_DOUBLE_EQ(*t->r60, 4.7e9);
    EXPECT_EQ(t->temperature, 21.5);
    EXPECT_EQ(t->meterSerial, QStringLiteral("12345"));
    ASSERT_EQ(t->readings.size(), 1u);
    const auto bd = std::find_if(tests.begin(), tests.end(), [](const TestRecord& x) { return x.breakDown.has_value(); });
    ASSERT_NE(bd, tests.end());
    EXPECT_EQ(bd->breakDown->resistanceBeforeOhm, 5e9);
    EXPECT_EQ(bd->breakDown->resistanceAfterOhm, 4e6);
    EXPECT_EQ(bd->breakDown->resistanceOffOhm, 3e12);
    EXPECT_FALSE(bd->breakDown->wholeMOhmOnly);
}

// What a memory record counts as: only the lapse at 60 s is R 1 min (and enters the 1-minute
// trend), only the lapse at 600 s R 10 min; an average or another timer keeps its value in the
// series alone, at its timer.
TEST_P(Store, OnlyALapseAtSixtySecondsIsROneMinute)
{
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    const memory::Identity meter{QStringLiteral("KRX 738"), QStringLiteral("12345"), QStringLiteral("1.07")};
    for (const int timer : {30, 60, 120, 600}) {
        for (const int calculation : {0, 1}) {
            OhmRecord r = Ohm(QStringLiteral("07.03.2025"), QStringLiteral("4.70"));
            r.timer = timer;
            r.calculation = calculation;
            const FileResult f = s.ImportOhmRecord(QStringLiteral("M1"), meter, r);
            ASSERT_EQ(f.status, FileResult::Filed) << f.message.toStdString();
            const auto t = s.Test(f.id);
            ASSERT_TRUE(t);
            const std::optional<double> none, ohm = 4.7e9;
            EXPECT_EQ(t->r60, calculation && timer == 60 ? ohm : none) << timer << " s, calculation " << calculation;
            EXPECT_EQ(t->r600, calculation && timer == 600 ? ohm : none) << timer << " s, calculation " << calculation;
            ASSERT_EQ(t->readings.size(), 1u);
            EXPECT_EQ(t->readings[0].elapsedSeconds, timer);
            EXPECT_EQ(t->durationSeconds, timer);
        }
    }
}

// Every earlier schema as it was written then, each from the one before: what each version added.
const std::vector<const char*> kAddedIn[] = {
    {},  // 1: CreateVersionOne
    {"ALTER TABLE tests ADD COLUMN r60_40c_ohm DOUBLE PRECISION", "ALTER TABLE tests ADD COLUMN r600_40c_ohm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN correction_temp_c DOUBLE PRECISION", "ALTER TABLE tests ADD COLUMN record_key TEXT",
     "ALTER TABLE tests ADD COLUMN uid TEXT",
     "CREATE UNIQUE INDEX tests_record ON tests (meter_serial, record_key)", "CREATE UNIQUE INDEX tests_uid ON tests (uid)"},
    {"ALTER TABLE assets ADD COLUMN plate_kind TEXT NOT NULL DEFAULT ''", "ALTER TABLE assets ADD COLUMN rated_voltage_v DOUBLE PRECISION",
     "ALTER TABLE assets ADD COLUMN winding_type TEXT NOT NULL DEFAULT ''", "ALTER TABLE tests ADD COLUMN plate_kind TEXT",
     "ALTER TABLE tests ADD COLUMN plate_rated_v DOUBLE PRECISION", "ALTER TABLE tests ADD COLUMN plate_winding TEXT",
     "ALTER TABLE tests ADD COLUMN plate_class TEXT", "ALTER TABLE tests ADD COLUMN ramp_s DOUBLE PRECISION", "ALTER TABLE tests ADD COLUMN dar_times TEXT",
     "ALTER TABLE tests ADD COLUMN ir_verdict TEXT", "ALTER TABLE tests ADD COLUMN temperature_source TEXT",
     "ALTER TABLE tests ADD COLUMN dew_point_c DOUBLE PRECISION"},
    {"ALTER TABLE tests ADD COLUMN reading_ohm DOUBLE PRECISION", "ALTER TABLE tests ADD COLUMN reading_timer_s INTEGER",
     "ALTER TABLE tests ADD COLUMN reading_method TEXT", "ALTER TABLE tests ADD COLUMN bd_before_ohm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN bd_after_ohm DOUBLE PRECISION", "ALTER TABLE tests ADD COLUMN bd_off_ohm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN simulated INTEGER NOT NULL DEFAULT 0", "ALTER TABLE tests ADD COLUMN insulation_class TEXT"},
    {"ALTER TABLE tests ADD COLUMN steps TEXT"},
    {"ALTER TABLE tests ADD COLUMN ir_source TEXT", "ALTER TABLE tests ADD COLUMN pi_source TEXT",
     "ALTER TABLE tests ADD COLUMN dar_source TEXT", "ALTER TABLE tests ADD COLUMN bd_timer_s INTEGER"},
    {"ALTER TABLE tests ADD COLUMN method TEXT", "ALTER TABLE tests ADD COLUMN measurement TEXT",
     "ALTER TABLE tests ADD COLUMN item_kind TEXT", "ALTER TABLE tests ADD COLUMN limit_set TEXT",
     "ALTER TABLE tests ADD COLUMN limit_row TEXT",
     "ALTER TABLE tests ADD COLUMN limit_lower_ohm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN limit_upper_ohm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN electrode_d1_mm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN electrode_d2_mm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN electrode_gap_mm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN thickness_mm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN given_factor DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN resistivity DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN resistivity_factor DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN resistivity_unit TEXT",
     "ALTER TABLE tests ADD COLUMN resistivity_formula TEXT",
     "ALTER TABLE tests ADD COLUMN resistivity_bound TEXT", "ALTER TABLE tests ADD COLUMN method_path TEXT",
     "ALTER TABLE tests ADD COLUMN result_ohm DOUBLE PRECISION",
     "ALTER TABLE tests ADD COLUMN result_voltage_v INTEGER", "ALTER TABLE tests ADD COLUMN result_range TEXT",
     "ALTER TABLE tests ADD COLUMN classification TEXT",
     "ALTER TABLE tests ADD COLUMN classification_source TEXT", "ALTER TABLE tests ADD COLUMN limit_verdict TEXT",
     "ALTER TABLE tests ADD COLUMN limit_outcome TEXT", "ALTER TABLE tests ADD COLUMN limit_source TEXT",
     "ALTER TABLE tests ADD COLUMN qualification INTEGER", "ALTER TABLE tests ADD COLUMN qualification_flag TEXT",
     "ALTER TABLE tests ADD COLUMN conditioning_h DOUBLE PRECISION"},
};

// A database of each earlier version, with a measurement, a memory reading and a break-down test
// in the columns that version had, opened by this program: each step it takes changes exactly
// what it should, and every column works afterwards.
TEST_P(Store, MigratesEveryEarlierVersion)
{
    ASSERT_EQ(std::size(kAddedIn), size_t(kSchemaVersion - 1)) << "a new version needs its columns here";
    for (int from = 1; from < kSchemaVersion; ++from) {
        SCOPED_TRACE(from);
        UseNewDatabase(from);
        CreateVersionOne();
        for (int v = 2; v <= from; ++v)
            for (const char* statement : kAddedIn[v - 1])
                RawExec(QString::fromLatin1(statement));
        RawExec(QStringLiteral("UPDATE schema_version SET version = %1").arg(from));
        // Kinds typed freely before there was one list of them.
        RawExec(QStringLiteral("INSERT INTO assets (id, name, kind) VALUES ('m', 'Motor', 'Motor'), ('sw', '', 'switchgear')"));
        RawExec(QStringLiteral("INSERT INTO tests (asset_id, kind, time_ms, utc_offset_s, duration_s, r60_ohm, pi, "
                               "meter_serial, bd_volts, bd_before_mohm, bd_after_mohm, bd_off_mohm, bd_cycle_s, "
                               "bd_timer_off_s, series) VALUES "
                               "('m', 'timer', 1600000000000, 3600, 600.6, 1.1e9, 2.5, 'S1', NULL, NULL, NULL, NULL, "
                               "NULL, NULL, ''), "
                               "('m', 'memory-ohm', 1600000001000, 0, 600, NULL, NULL, 'S1', NULL, NULL, NULL, NULL, "
                               "NULL, NULL, ''), "
                               "('m', 'memory-break-down', 1600000002000, 0, NULL, NULL, NULL, 'S1', 800, 1, 2, "
                               "3000000, 14, 7, ''), "
                               // A live break-down test kept its timer where a memory record keeps the cycle time.
                               "('m', 'break-down', 1600000003000, 0, NULL, NULL, NULL, 'S1', 1000, 5, 1, 0, 30, 0, '')"));
        const QString timer = QStringLiteral("UPDATE tests SET %1 WHERE kind = 'timer'");
        const QString reading = QStringLiteral("UPDATE tests SET %1 WHERE kind = 'memory-ohm'");
        if (from >= 2)
            RawExec(timer.arg(QStringLiteral("r60_40c_ohm = 2.2e9, uid = 'u1'")));
        if (from >= 3)
            RawExec(timer.arg(QStringLiteral("plate_kind = 'machine', plate_class = 'H'")));
        if (from < 4) {
            RawExec(reading.arg(QStringLiteral("r600_ohm = 4.7e9")));
        } else {
            // Already in today's form: a lapse at 60 s is R 1 min beside its reading.
            RawExec(timer.arg(QStringLiteral("insulation_class = 'F', simulated = 1")));
            RawExec(reading.arg(QStringLiteral("duration_s = 60, r60_ohm = 3.3e9, reading_ohm = 3.3e9, "
                                              "reading_timer_s = 60, reading_method = 'lapse'")));
            RawExec(QStringLiteral("UPDATE tests SET bd_before_ohm = 1500000, bd_after_ohm = 2500000, "
                                   "bd_off_ohm = 3.1e12 WHERE kind = 'memory-break-down'"));
        }
        if (from >= 6)  // already in today's form: the live test's timer in its own column
            RawExec(QStringLiteral("UPDATE tests SET bd_timer_s = 30, bd_cycle_s = 0 WHERE kind = 'break-down'"));
        raw_.close();

        HistoryStore s;
        ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
        EXPECT_EQ(s.SchemaVersion(), kSchemaVersion);
        const auto tests = s.TestsOf(QStringLiteral("m"));
        ASSERT_EQ(tests.size(), 4u);
        const TestRecord& measured = tests[0];
        EXPECT_EQ(measured.time, QDateTime::fromMSecsSinceEpoch(1600000000000, Qt::OffsetFromUTC, 3600));
        EXPECT_EQ(measured.time.offsetFromUtc(), 3600);
        EXPECT_EQ(measured.durationSeconds, 600.6);
        EXPECT_EQ(measured.r60, 1.1e9);
        EXPECT_EQ(measured.pi, 2.5);
        EXPECT_EQ(measured.r60At40, from >= 2 ? std::optional(2.2e9) : std::nullopt);
        // The class a verdict was judged by: the nameplate's, copied, unless one was kept already.
        EXPECT_EQ(measured.insulationClass, from == 3 ? "H" : from >= 4 ? "F" : "");
        EXPECT_EQ(measured.simulated, from >= 4);
        EXPECT_FALSE(measured.sourcesApart);  // its sources stay as they were filed, together
        EXPECT_FALSE(measured.steps);
        EXPECT_FALSE(measured.method);
        // A memory reading filed as R 10 min becomes the reading at its timer with the method
        // unknown; one already in today's form is left as it is.
        const TestRecord& memory = tests[1];
        ASSERT_TRUE(memory.memoryReading);
        EXPECT_EQ(memory.memoryReading->ohm, from < 4 ? 4.7e9 : 3.3e9);
        EXPECT_EQ(memory.memoryReading->timerSeconds, from < 4 ? 600 : 60);
        EXPECT_EQ(memory.memoryReading->method, from < 4 ? "" : "lapse");
        EXPECT_EQ(memory.r60, from < 4 ? std::nullopt : std::optional(3.3e9));
        EXPECT_FALSE(memory.r600);
        // Whole MOhm stay whole MOhm; ohm kept already stay ohm.
        const TestRecord& bd = tests[2];
        ASSERT_TRUE(bd.breakDown);
        EXPECT_EQ(bd.breakDown->wholeMOhmOnly, from < 4);
        EXPECT_EQ(bd.breakDown->volts, 800);
        EXPECT_EQ(bd.breakDown->resistanceBeforeOhm, from < 4 ? 1e6 : 1.5e6);
        EXPECT_EQ(bd.breakDown->resistanceAfterOhm, from < 4 ? 2e6 : 2.5e6);
        EXPECT_EQ(bd.breakDown->resistanceOffOhm, from < 4 ? 3e12 : 3.1e12);
        EXPECT_EQ(bd.breakDown->cycleTimeSeconds, 14);
        EXPECT_EQ(bd.breakDown->timerOffSeconds, 7);
        EXPECT_EQ(bd.breakDown->breakDownTimerSeconds, 0);
        // The two times apart: the meter's cycle time stays, the live test's timer moves.
        ASSERT_TRUE(tests[3].breakDown);
        EXPECT_EQ(tests[3].breakDown->cycleTimeSeconds, 0);
        EXPECT_EQ(tests[3].breakDown->breakDownTimerSeconds, 30);
        EXPECT_EQ(KindText(*s.FindAsset(QStringLiteral("m"))), QStringLiteral("rotating machine"));
        EXPECT_EQ(KindText(*s.FindAsset(QStringLiteral("sw"))), QStringLiteral("switchgear"));
        // The nameplate's kind comes before the free text beside it.
        EXPECT_EQ(KindText(Asset{{}, {}, {}, QStringLiteral("pump"), {}, QStringLiteral("machine"), {}, {}}),
                  QStringLiteral("rotating machine"));
        if (from < 4) {
            const QByteArray csv = *s.ExportHistory(QStringLiteral("m"), ExportFormat::Csv);
            EXPECT_TRUE(csv.contains(",800,,,,1,2,3000000,")) << csv.constData();
        }

        // Every column of today works, and a memory record is recognised when it comes again.
        TestRecord full = FullTest(QStringLiteral("m"), 3);
        full.steps = StepSummary{30, {}, -31.5, QStringLiteral("at_least"), QStringLiteral("≥ -31.5 %"),
                                 QStringLiteral("falls"), {100, 500, 1000}};
        const FileResult f = s.FileTest(full);
        ASSERT_EQ(f.status, FileResult::Filed) << f.message.toStdString();
        const auto back = s.Test(f.id);
        ASSERT_TRUE(back && back->steps);
        ExpectSameTest(full, *back);
        EXPECT_EQ(back->steps->plannedVolts, (std::vector<int>{100, 500, 1000}));
        EXPECT_EQ(back->steps->changeBound, QStringLiteral("at_least"));
        // And those of an ESD or material test.
        const TestRecord method = MethodTest(QStringLiteral("m"));
        const FileResult fm = s.FileTest(method);
        ASSERT_EQ(fm.status, FileResult::Filed) << fm.message.toStdString();
        const auto methodBack = s.Test(fm.id);
        ASSERT_TRUE(methodBack && methodBack->method);
        ExpectSameTest(method, *methodBack);
        const memory::Identity meter{{}, QStringLiteral("12345"), {}};
        const OhmRecord again = Ohm(QStringLiteral("01.01.2020"), QStringLiteral("1.00"));
        EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("m"), meter, again).status, FileResult::Filed);
        EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("m"), meter, again).status, FileResult::Duplicate);
        // The plan's tables are there and take an item and its verification.
        ASSERT_TRUE(s.ImportPlan({PlanItem{QStringLiteral("WS-1"), QStringLiteral("EPA"), QStringLiteral("seating"), {}, 30, 1}}))
            << s.Error().toStdString();
        Verification v;
        v.itemId = QStringLiteral("WS-1");
        v.time = QDateTime::fromMSecsSinceEpoch(1600000000000, Qt::OffsetFromUTC, 0);
        v.points = {{1, {RangeState::InRange, 2.0e8}, 100, {}, Outcome::Meets, {}, {}, {}}};
        EXPECT_EQ(s.FileVerification(v).status, FileResult::Filed) << s.Error().toStdString();
        s.Close();
        QSqlQuery q = Raw();
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), kSchemaVersion);
        EXPECT_FALSE(q.next());
    }
}

TEST_P(Store, RefusesANewerSchemaAndKeepsTheTestInTheOutbox)
{
    const memory::Identity meter{{}, QStringLiteral("12345"), {}};
    const OhmRecord filed = Ohm(QStringLiteral("07.03.2025"), QStringLiteral("4.70"));
    const OhmRecord kept = Ohm(QStringLiteral("07.03.2025"), QStringLiteral("4.71"));
    {
        HistoryStore s;
        ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
        ASSERT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, filed).status, FileResult::Filed);
    }
    RawExec(QStringLiteral("UPDATE schema_version SET version = %1").arg(kSchemaVersion + 1));
    HistoryStore s;
    EXPECT_FALSE(s.Open(setting_, folder_));
    EXPECT_TRUE(s.Error().contains(QStringLiteral("newer version"))) << s.Error().toStdString();
    const FileResult f = s.FileTest(FullTest(QStringLiteral("M1"), 3));
    EXPECT_EQ(f.status, FileResult::KeptInOutbox);
    EXPECT_TRUE(f.message.contains(QStringLiteral("newer version"))) << f.message.toStdString();
    // The outbox cannot know what the database holds; it knows what it holds itself.
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, filed).status, FileResult::KeptInOutbox);
    const FileResult twice = s.ImportOhmRecord(QStringLiteral("M1"), meter, filed);
    EXPECT_EQ(twice.status, FileResult::Duplicate);
    EXPECT_TRUE(twice.message.endsWith(QStringLiteral("This record waits in the outbox already."))) << twice.message.toStdString();
    EXPECT_EQ(s.ImportOhmRecord(QStringLiteral("M1"), meter, kept).status, FileResult::KeptInOutbox);
    EXPECT_EQ(s.OutboxCount(), 3);
    // One version back it opens, and the outbox goes out; the record filed before is not filed twice.
    s.Close();
    const QString copy = folder_ + QStringLiteral("/outbox-copy");
    ASSERT_TRUE(QFile::copy(s.OutboxFile(), copy));
    RawExec(QStringLiteral("UPDATE schema_version SET version = %1").arg(kSchemaVersion));
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    EXPECT_EQ(s.OutboxNote(), QStringLiteral("Outbox: 2 test(s) sent, 1 already there, 0 left."));
    EXPECT_EQ(s.OutboxCount(), 0);
    std::multiset<double> readings;
    for (const TestRecord& t : s.TestsOf(QStringLiteral("M1")))
        readings.insert(t.kind == TestKind::MemoryOhm ? t.memoryReading->ohm : t.r60.value_or(0));
    EXPECT_EQ(readings, (std::multiset<double>{4.7e9, 4.71e9, 4.75e9}));
    // A send cut short after the database took the tests but before the outbox let them go: sent
    // again, they are recognised, not filed twice.
    s.Close();
    ASSERT_TRUE(QFile::remove(s.OutboxFile()) && QFile::copy(copy, s.OutboxFile()));
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    EXPECT_EQ(s.OutboxNote(), QStringLiteral("Outbox: 0 test(s) sent, 3 already there, 0 left."));
    EXPECT_EQ(s.OutboxCount(), 0);
    EXPECT_EQ(s.TestsOf(QStringLiteral("M1")).size(), 3u);
}

TEST_P(Store, LockedDatabaseGivesTheMessage)
{
    {
        HistoryStore s;
        ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    }
    const bool sqlite = GetParam() == Backend::Sqlite;
    // While opening.
    RawExec(sqlite ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN"));
    if (!sqlite)
        RawExec(QStringLiteral("LOCK TABLE schema_version, tests IN ACCESS EXCLUSIVE MODE"));
    HistoryStore s;
    s.SetLockWait(200);
    EXPECT_FALSE(s.Open(setting_, folder_));
    EXPECT_TRUE(s.Error().contains(QStringLiteral("locked"))) << s.Error().toStdString();
    RawExec(QStringLiteral("ROLLBACK"));
    // While filing.
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    RawExec(sqlite ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN"));
    if (!sqlite)
        RawExec(QStringLiteral("LOCK TABLE tests IN ACCESS EXCLUSIVE MODE"));
    const FileResult f = s.FileTest(FullTest(QStringLiteral("M1"), 3));
    EXPECT_EQ(f.status, FileResult::KeptInOutbox);
    EXPECT_TRUE(f.message.contains(QStringLiteral("locked"))) << f.message.toStdString();
    RawExec(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(s.SendOutbox().sent, 1);
    EXPECT_EQ(s.TestsOf(QStringLiteral("M1")).size(), 1u);
}

// A statement that fails inside the open transaction (a trigger refuses the test): the
// transaction is rolled back, so that the same connection and another program file at once.
TEST_P(Store, AFailureInsideTheTransactionLeavesNothingOpen)
{
    HistoryStore s, other;
    s.SetLockWait(300);
    other.SetLockWait(300);
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    if (GetParam() == Backend::Sqlite) {
        RawExec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tests WHEN NEW.comment = 'refused' "
                               "BEGIN SELECT RAISE(ABORT, 'refused by a trigger'); END"));
    } else {
        RawExec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN IF NEW.comment = 'refused' THEN "
                               "RAISE EXCEPTION 'refused by a trigger'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql"));
        RawExec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tests FOR EACH ROW EXECUTE FUNCTION refuse()"));
    }
    TestRecord refused = FullTest(QStringLiteral("M1"), 2);
    refused.comment = QStringLiteral("refused");
    const FileResult f = s.FileTest(refused);
    EXPECT_NE(f.status, FileResult::Filed);
    EXPECT_TRUE(f.message.contains(QLatin1String("refused by a trigger"))) << f.message.toStdString();
    const FileResult again = s.FileTest(FullTest(QStringLiteral("M1"), 2));
    EXPECT_EQ(again.status, FileResult::Filed) << again.message.toStdString();
    ASSERT_TRUE(other.Open(setting_, folder_)) << other.Error().toStdString();
    const FileResult fromOther = other.FileTest(FullTest(QStringLiteral("M2"), 2));
    EXPECT_EQ(fromOther.status, FileResult::Filed) << fromOther.message.toStdString();
    QSqlQuery q = Raw();
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM tests WHERE comment = 'refused'")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
    EXPECT_EQ(s.TestsOf(QStringLiteral("M2")).size(), 1u);
}

TEST_P(Store, ReadOnlyDatabaseGivesTheMessage)
{
    {
        HistoryStore s;
        ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    }
    if (GetParam() == Backend::Postgres) {
        RawExec(QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = on").arg(dbName_));
        HistoryStore s;
        EXPECT_FALSE(s.Open(setting_, folder_));
        EXPECT_TRUE(s.Error().contains(QStringLiteral("read-only"))) << s.Error().toStdString();
        return;
    }
    // Root writes any file: the opening program runs as nobody.
    const QByteArray file = (folder_ + QStringLiteral("/h.sqlite")).toLocal8Bit();
    ASSERT_EQ(chmod(file.constData(), 0444), 0);
    ASSERT_EQ(chmod(folder_.toLocal8Bit().constData(), 0755), 0);
    const QString setting = setting_;
    const QString outbox = folder_ + QStringLiteral("/nobody");
    const test::ChildResult r = test::RunInChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(9);
        HistoryStore s;
        const bool opened = s.Open(setting, outbox);
        std::fprintf(stderr, "%s", qPrintable(s.Error()));
        _exit(opened ? 1 : 0);
    });
    EXPECT_TRUE(r.exited && r.status == 0) << r.output;
    EXPECT_NE(r.output.find("read-only"), std::string::npos) << r.output;
}

// Another program is killed in the middle of writing a test: what it committed is there, whole;
// what it was writing is not there at all.
TEST_P(Store, KillDuringATransactionLeavesNoHalfTest)
{
    {
        HistoryStore s;
        ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    }
    constexpr int kReadings = 20000;
    QProcess child;
    child.start(QStringLiteral(KRX_FILER), {setting_, folder_, QStringLiteral("K"), QStringLiteral("100000"),
                                            QString::number(kReadings)});
    ASSERT_TRUE(child.waitForStarted(5000));
    const QDeadlineTimer watchdog(30000);
    bool caught = false;
    int seenFiled = 0;
    while (!caught && !watchdog.hasExpired() && child.state() == QProcess::Running) {
        if (GetParam() == Backend::Sqlite) {
            // The journal exists from the first written page until the commit.
            caught = seenFiled > 2 && QFile::exists(folder_ + QStringLiteral("/h.sqlite-journal"));
        } else {
            QSqlQuery q = Raw();
            caught = seenFiled > 2 && q.exec(QStringLiteral("SELECT 1 FROM pg_stat_activity WHERE pid <> "
                                                            "pg_backend_pid() AND backend_xid IS NOT NULL")) &&
                     q.next();
        }
        if (caught)
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        child.waitForReadyRead(1);
        seenFiled += static_cast<int>(child.readAllStandardOutput().count("filed"));
    }
    if (!caught)
        child.kill();
    ASSERT_TRUE(child.state() == QProcess::NotRunning || child.waitForFinished(10000));
    ASSERT_TRUE(caught) << "never saw the other program inside a transaction: " << child.readAllStandardError().toStdString();
    const int printed = seenFiled + static_cast<int>(child.readAllStandardOutput().count("filed"));
    raw_.close();

    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    const auto tests = s.TestsOf(QStringLiteral("K"));
    // Committed but killed before it could say so: one more than printed at most.
    EXPECT_GE(static_cast<int>(tests.size()), printed);
    EXPECT_LE(static_cast<int>(tests.size()), printed + 1);
    for (const TestRecord& t : tests) {
        const auto full = s.Test(t.id);
        ASSERT_TRUE(full);
        EXPECT_EQ(full->readings.size(), static_cast<size_t>(kReadings));
    }
    // And the database takes the next test.
    EXPECT_EQ(s.FileTest(FullTest(QStringLiteral("K"), 1)).status, FileResult::Filed);
}

TEST_P(Store, TwoProgramsFilingAtOnceLoseNothingAndSeeEachOther)
{
    {
        HistoryStore s;
        ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    }
    constexpr int kEach = 40;
    QProcess a, b;
    for (QProcess* p : {&a, &b})
        p->start(QStringLiteral(KRX_FILER), {setting_, folder_, QStringLiteral("shared"), QString::number(kEach),
                                             QStringLiteral("600"), QString::number(2 * kEach)});
    std::set<qint64> ids;
    for (QProcess* p : {&a, &b}) {
        ASSERT_TRUE(p->waitForFinished(60000)) << "a filing program hangs";
        const QByteArray out = p->readAllStandardOutput();
        EXPECT_EQ(p->exitCode(), 0) << out.toStdString() << p->readAllStandardError().toStdString();
        EXPECT_TRUE(out.contains("saw " + QByteArray::number(2 * kEach))) << out.toStdString();
        for (const QByteArray& line : out.split('\n'))
            if (line.startsWith("filed "))
                ids.insert(line.mid(6).toLongLong());
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(2 * kEach));
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_));
    const auto tests = s.TestsOf(QStringLiteral("shared"));
    ASSERT_EQ(tests.size(), static_cast<size_t>(2 * kEach));
    for (const TestRecord& t : tests)
        EXPECT_TRUE(ids.count(t.id)) << t.id;
}

// A plan imported, verified, overdue after its interval, re-imported with an item left out and
// brought back: the verifications stay with their items throughout.
TEST_P(Store, PlanKeepsItsVerificationsAcrossImports)
{
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting_, folder_)) << s.Error().toStdString();
    const PlanItem bench{QStringLiteral("WS-14"), QStringLiteral("EPA 1"), QStringLiteral("worksurface"),
                         QStringLiteral("bench 14"), 90, 3};
    const PlanItem chair{QStringLiteral("C-2"), QStringLiteral("EPA 1"), QStringLiteral("seating"), {}, 30, 1};
    const PlanItem cart{QStringLiteral("M-7"), QStringLiteral("EPA 2"), QStringLiteral("mobile-equipment"), {}, 180, 1};
    const auto first = s.ImportPlan({bench, chair, cart});
    ASSERT_TRUE(first) << s.Error().toStdString();
    EXPECT_EQ(first->added, 3);

    auto point = [](int n, double ohm, Outcome o) {
        return PointResult{n, {RangeState::InRange, ohm}, 100, QStringLiteral("100 V: %1 at 15 s").arg(n), o,
                           QStringLiteral("verdict %1").arg(n), 22.5, 41.0};
    };
    auto verification = [](const QString& item, int planned, QDate day) {
        Verification v;
        v.itemId = item;
        v.time = QDateTime(day, QTime(9, 30), Qt::OffsetFromUTC, 3600);
        v.pointsPlanned = planned;
        v.limitSet = QStringLiteral("iec-61340-5-1-2016");
        v.limitSource = QStringLiteral("IEC 61340-5-1:2016, compliance verification");
        v.meterSerial = QStringLiteral("12345");
        return v;
    };
    Verification passed = verification(bench.id, 3, QDate(2026, 1, 10));
    passed.points = {point(1, 2.0e8, Outcome::Meets), point(2, 6.5e8, Outcome::Meets), point(3, 9.0e7, Outcome::Meets)};
    Verification broken = verification(chair.id, 1, QDate(2026, 1, 12));  // Break before its point
    Verification failed = verification(cart.id, 1, QDate(2026, 1, 11));
    failed.points = {point(1, 1.4e9, Outcome::Fails)};
    for (const Verification& v : {passed, broken, failed})
        ASSERT_EQ(s.FileVerification(v).status, FileResult::Filed) << s.Error().toStdString();

    const auto back = s.VerificationsOf(bench.id);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].time, passed.time);
    EXPECT_EQ(back[0].limitSource, passed.limitSource);
    ASSERT_EQ(back[0].points.size(), 3u);
    EXPECT_EQ(back[0].points[1].value.ohm, 6.5e8);
    EXPECT_EQ(back[0].points[1].path, QStringLiteral("100 V: 2 at 15 s"));
    EXPECT_EQ(back[0].points[2].verdict, QStringLiteral("verdict 3"));
    EXPECT_EQ(back[0].points[0].humidity, 41.0);

    // WS-14 verified 2026-01-10 every 90 days: due 2026-04-10.
    struct Case {
        QDate asOf;
        std::vector<std::pair<QString, ItemState>> states;
    };
    const Case cases[] = {
        {QDate(2026, 4, 10), {{bench.id, ItemState::Due}, {chair.id, ItemState::Never}, {cart.id, ItemState::Failed}}},
        {QDate(2026, 4, 11), {{bench.id, ItemState::Overdue}, {chair.id, ItemState::Never}, {cart.id, ItemState::Failed}}},
    };
    for (const Case& c : cases) {
        const auto status = s.PlanStatus(c.asOf);
        ASSERT_TRUE(status) << s.Error().toStdString();
        ASSERT_EQ(status->size(), c.states.size());
        for (std::size_t i = 0; i < c.states.size(); ++i) {
            EXPECT_EQ((*status)[i].item.id, c.states[i].first);
            EXPECT_EQ((*status)[i].status.state, c.states[i].second) << c.states[i].first.toStdString();
        }
        EXPECT_EQ((*status)[0].status.worstOhm, 6.5e8);
        EXPECT_EQ((*status)[0].status.lastVerified, QDate(2026, 1, 10));
    }

    // Left out: retired, not deleted, and no longer verified.
    const auto second = s.ImportPlan({chair, bench});
    ASSERT_TRUE(second);
    EXPECT_EQ(second->retired, 1);
    EXPECT_EQ(second->kept, 2);
    const auto status = s.PlanStatus(QDate(2026, 2, 1));
    ASSERT_TRUE(status && status->size() == 2u);
    EXPECT_EQ((*status)[0].item.id, chair.id);  // the file's new order
    EXPECT_EQ(s.PlanEntries(true).back().retired, true);
    const FileResult refused = s.FileVerification(failed);
    EXPECT_EQ(refused.status, FileResult::Failed);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("\"M-7\" was retired"))) << refused.message.toStdString();
    EXPECT_EQ(s.VerificationsOf(cart.id).size(), 1u);
    EXPECT_EQ(s.FileVerification(verification(QStringLiteral("nowhere"), 1, QDate(2026, 1, 1))).status,
              FileResult::Failed);

    // Back in the plan with its failed verification.
    ASSERT_TRUE(s.ImportPlan({bench, chair, cart}));
    const auto again = s.PlanStatus(QDate(2026, 2, 1));
    ASSERT_TRUE(again && again->size() == 3u);
    EXPECT_EQ((*again)[2].status.state, ItemState::Failed);
    EXPECT_EQ((*again)[2].status.worstOhm, 1.4e9);
}

INSTANTIATE_TEST_SUITE_P(Backends, Store, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const ::testing::TestParamInfo<Backend>& p) { return p.param == Backend::Sqlite ? "SQLite" : "PostgreSQL"; });

TEST(SharedServer, ServerGoingAwayKeepsTheTestInTheOutbox)
{
    ASSERT_TRUE(Server()) << "PostgreSQL is needed for these tests: " << serverError.toStdString();
    QTemporaryDir dir;
    const QString setting = server->CreateDatabase(QStringLiteral("krxaway"));
    HistoryStore s;
    ASSERT_TRUE(s.Open(setting, dir.path())) << s.Error().toStdString();
    ASSERT_TRUE(server->Stop()) << server->Error().toStdString();
    // Down while filing.
    const TestRecord t = FullTest(QStringLiteral("M1"), 600);
    const FileResult f = s.FileTest(t);
    EXPECT_EQ(f.status, FileResult::KeptInOutbox) << f.message.toStdString();
    // Down while opening.
    HistoryStore other;
    other.SetLockWait(1000);
    EXPECT_FALSE(other.Open(setting, dir.path()));
    EXPECT_TRUE(other.Error().contains(QStringLiteral("cannot be reached"))) << other.Error().toStdString();
    EXPECT_EQ(other.FileTest(FullTest(QStringLiteral("M2"), 2)).status, FileResult::KeptInOutbox);
    EXPECT_EQ(other.OutboxCount(), 2);
    const SendResult nothing = other.SendOutbox();
    EXPECT_EQ(nothing.sent, 0);
    EXPECT_EQ(nothing.left, 2);

    ASSERT_TRUE(server->Resume()) << server->Error().toStdString();
    // Back: the next open sends the outbox by itself.
    HistoryStore back;
    ASSERT_TRUE(back.Open(setting, dir.path())) << back.Error().toStdString();
    EXPECT_TRUE(back.OutboxNote().contains(QStringLiteral("2 test(s) sent"))) << back.OutboxNote().toStdString();
    EXPECT_EQ(back.OutboxCount(), 0);
    const auto tests = back.TestsOf(QStringLiteral("M1"));
    ASSERT_EQ(tests.size(), 1u);
    ExpectSameTest(t, tests[0]);
    ExpectSameReadings(t.readings, back.Test(tests[0].id)->readings);
    EXPECT_EQ(back.TestsOf(QStringLiteral("M2")).size(), 1u);
    // The first store's connection died with the server; it files again after reconnecting.
    EXPECT_EQ(s.FileTest(FullTest(QStringLiteral("M3"), 2)).status, FileResult::Filed);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ServerTeardown);
    return RUN_ALL_TESTS();
}
