// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a history database: the connection, the schema brought to this version, and the reasons
// a person reads when it cannot be used.
#include "history/history_db.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

#include <atomic>

namespace krx::history {

namespace {

// Each step takes the schema from its index to the next version; applied in order, in one
// transaction with the version update, so that a database is never left between two versions.
const QStringList kSteps[] = {
    {QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
     QStringLiteral("CREATE TABLE assets (id TEXT PRIMARY KEY, name TEXT NOT NULL DEFAULT '', "
                    "location TEXT NOT NULL DEFAULT '', kind TEXT NOT NULL DEFAULT '', "
                    "insulation_class TEXT NOT NULL DEFAULT '')"),
     QStringLiteral("CREATE TABLE tests (id %ID%, asset_id TEXT NOT NULL REFERENCES assets (id), "
                    "kind TEXT NOT NULL, time_ms BIGINT, utc_offset_s INTEGER, volts INTEGER, "
                    "duration_s DOUBLE PRECISION, temperature_c DOUBLE PRECISION, humidity_pct DOUBLE PRECISION, "
                    "r15_ohm DOUBLE PRECISION, r30_ohm DOUBLE PRECISION, r60_ohm DOUBLE PRECISION, "
                    "r600_ohm DOUBLE PRECISION, dar DOUBLE PRECISION, pi DOUBLE PRECISION, dar_verdict TEXT, "
                    "pi_verdict TEXT, verdict_source TEXT, comment TEXT, operator TEXT, meter_serial TEXT, "
                    "meter_software TEXT, bd_volts INTEGER, bd_before_mohm BIGINT, bd_after_mohm BIGINT, "
                    "bd_off_mohm BIGINT, bd_cycle_s INTEGER, bd_timer_off_s INTEGER, series TEXT)"),
     QStringLiteral("CREATE INDEX tests_asset ON tests (asset_id, time_ms)"),
     QStringLiteral("INSERT INTO schema_version (version) VALUES (0)")},
    // Temperature-corrected values, and what recognises a test sent twice: the memory record's
    // key, or the id the filing program gave it (an outbox send cut short is sent again).
    {QStringLiteral("ALTER TABLE tests ADD COLUMN r60_40c_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN r600_40c_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN correction_temp_c DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN record_key TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN uid TEXT"),
     QStringLiteral("CREATE UNIQUE INDEX tests_record ON tests (meter_serial, record_key)"),
     QStringLiteral("CREATE UNIQUE INDEX tests_uid ON tests (uid)")},
    // The asset's nameplate, and with each test the nameplate it was judged by, its ramp, which DAR
    // it holds, the minimum-IR verdict, which temperature corrected it and the dew point.
    {QStringLiteral("ALTER TABLE assets ADD COLUMN plate_kind TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE assets ADD COLUMN rated_voltage_v DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE assets ADD COLUMN winding_type TEXT NOT NULL DEFAULT ''"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN plate_kind TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN plate_rated_v DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN plate_winding TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN plate_class TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN ramp_s DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN dar_times TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN ir_verdict TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN temperature_source TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN dew_point_c DOUBLE PRECISION")},
    // A memory record's reading with its timer and method, break-down resistances in ohm, and the
    // mark of the simulated meter, and the insulation class the verdicts were judged by (a nameplate's,
    // copied). Nothing is converted that cannot be exactly: break-down tests
    // filed before keep their whole MOhm (no ohm), and a memory record's reading, which was filed
    // as R 1 min or 10 min whatever the meter's method, becomes the reading at its timer with
    // the method unknown.
    {QStringLiteral("ALTER TABLE tests ADD COLUMN reading_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN reading_timer_s INTEGER"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN reading_method TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN bd_before_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN bd_after_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN bd_off_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN simulated INTEGER NOT NULL DEFAULT 0"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN insulation_class TEXT"),
     QStringLiteral("UPDATE tests SET reading_ohm = COALESCE(r60_ohm, r600_ohm), "
                    "reading_timer_s = CAST(duration_s AS INTEGER), reading_method = '' "
                    "WHERE kind = 'memory-ohm' AND COALESCE(r60_ohm, r600_ohm) IS NOT NULL"),
     QStringLiteral("UPDATE tests SET r60_ohm = NULL, r600_ohm = NULL WHERE kind = 'memory-ohm'"),
     QStringLiteral("UPDATE tests SET insulation_class = plate_class WHERE plate_class IS NOT NULL")},
    // 4 -> 5: a step-voltage test's steps, change and verdict (JSON text).
    {QStringLiteral("ALTER TABLE tests ADD COLUMN steps TEXT")},
    // 5 -> 6: each verdict's own source, and a live break-down test's timer apart from a memory
    // record's cycle time. The column held the timer for live tests: it moves, nothing else does;
    // tests filed before keep their sources together in verdict_source.
    {QStringLiteral("ALTER TABLE tests ADD COLUMN ir_source TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN pi_source TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN dar_source TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN bd_timer_s INTEGER"),
     QStringLiteral("UPDATE tests SET bd_timer_s = bd_cycle_s, bd_cycle_s = 0 WHERE kind = 'break-down'")},
    // 6 -> 7: an ESD or material test: its method and what it measured on which kind of item, the
    // limit set and row, the electrodes or the factor given, the resistivity, the path of readings
    // (JSON text), the reading that stands, the class and verdict with their sources, and the
    // qualification mark and conditioning. Tests filed before have none of these: all stay NULL.
    {QStringLiteral("ALTER TABLE tests ADD COLUMN method TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN measurement TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN item_kind TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_set TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_row TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_lower_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_upper_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN electrode_d1_mm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN electrode_d2_mm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN electrode_gap_mm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN thickness_mm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN given_factor DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN resistivity DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN resistivity_factor DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN resistivity_unit TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN resistivity_formula TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN resistivity_bound TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN method_path TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN result_ohm DOUBLE PRECISION"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN result_voltage_v INTEGER"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN result_range TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN classification TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN classification_source TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_verdict TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_outcome TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN limit_source TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN qualification INTEGER"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN qualification_flag TEXT"),
     QStringLiteral("ALTER TABLE tests ADD COLUMN conditioning_h DOUBLE PRECISION")},
    // 7 -> 8: the items of a periodic verification plan (a retired item keeps its verifications),
    // each verification with its summary for the due dates, and its points.
    {QStringLiteral("CREATE TABLE plan_items (id TEXT PRIMARY KEY, area TEXT NOT NULL, kind TEXT NOT NULL, "
                    "location TEXT NOT NULL DEFAULT '', interval_days INTEGER NOT NULL, points INTEGER NOT NULL, "
                    "position INTEGER NOT NULL, retired INTEGER NOT NULL DEFAULT 0)"),
     QStringLiteral("CREATE TABLE verifications (id %ID%, item_id TEXT NOT NULL REFERENCES plan_items (id), "
                    "time_ms BIGINT NOT NULL, utc_offset_s INTEGER NOT NULL, method TEXT NOT NULL, "
                    "measurement TEXT NOT NULL, limit_set TEXT NOT NULL, limit_source TEXT NOT NULL, "
                    "points_planned INTEGER NOT NULL, complete INTEGER NOT NULL, min_ohm DOUBLE PRECISION, "
                    "max_ohm DOUBLE PRECISION, worst_ohm DOUBLE PRECISION, worst_point INTEGER, verdict TEXT NOT NULL, "
                    "operator TEXT NOT NULL, meter_serial TEXT NOT NULL, simulated INTEGER NOT NULL DEFAULT 0)"),
     QStringLiteral("CREATE INDEX verifications_item ON verifications (item_id, time_ms)"),
     QStringLiteral("CREATE TABLE verification_points (verification_id BIGINT NOT NULL REFERENCES verifications (id), "
                    "point INTEGER NOT NULL, reading_ohm DOUBLE PRECISION, reading_range TEXT NOT NULL, "
                    "volts INTEGER NOT NULL, path TEXT NOT NULL, outcome TEXT NOT NULL, verdict TEXT NOT NULL, "
                    "temperature_c DOUBLE PRECISION, humidity_pct DOUBLE PRECISION, "
                    "PRIMARY KEY (verification_id, point))")},
};
static_assert(std::size(kSteps) == kSchemaVersion);

std::atomic<int> connectionCounter{0};

}  // namespace

QString Reason(const Connection& c, const QSqlError& e)
{
    const QString native = e.nativeErrorCode();
    if (c.backend == Connection::Sqlite) {
        // SQLite's primary result codes.
        if (native == QLatin1String("8"))
            return QStringLiteral("the file is read-only");
        if (native == QLatin1String("5") || native == QLatin1String("6"))
            return QStringLiteral("another program holds it locked");
        if (native == QLatin1String("13"))
            return QStringLiteral("the disk is full");
        if (native == QLatin1String("26"))
            return QStringLiteral("the file is not a test history database");
        if (native == QLatin1String("14"))
            return QStringLiteral("the file cannot be opened");
    }
    // PostgreSQL's SQLSTATE codes.
    if (native == QLatin1String("55P03"))
        return QStringLiteral("another program holds it locked");
    if (native == QLatin1String("25006"))
        return QStringLiteral("the database is read-only");
    if (native == QLatin1String("53100"))
        return QStringLiteral("the server's disk is full");
    if (native == QLatin1String("42501"))
        return QStringLiteral("this user may not write to it");
    const QString text = e.text().simplified();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

Db::Db(Connection connection)
    : conn_(std::move(connection)), name_(QStringLiteral("krx-history-%1").arg(connectionCounter++))
{
}

Db::~Db()
{
    if (db_.isValid())
        db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

QString Db::Description() const
{
    if (conn_.backend == Connection::Sqlite)
        return QStringLiteral("SQLite %1").arg(conn_.sqliteFile);
    QString where = conn_.host.isEmpty() ? QStringLiteral("local server") : conn_.host;
    if (conn_.port > 0)
        where += QLatin1Char(':') + QString::number(conn_.port);
    return QStringLiteral("PostgreSQL %1%2/%3")
        .arg(conn_.user.isEmpty() ? QString() : conn_.user + QLatin1Char('@'), where, conn_.databaseName);
}

bool Db::Fail(const QSqlError& error, const QString& what)
{
    lastError_ = error;
    error_ = QStringLiteral("The test history in %1 cannot be used: %2.")
                 .arg(Description(), what.isEmpty() ? Reason(conn_, error) : what);
    return false;
}

bool Db::Open(int lockWaitMs)
{
    error_.clear();
    open_ = false;
    created_ = false;
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    const bool sqlite = conn_.backend == Connection::Sqlite;
    db_ = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name_);
    if (!db_.isValid())
        return Fail({}, QStringLiteral("the Qt SQL driver for %1 is not installed")
                            .arg(sqlite ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL")));
    if (sqlite) {
        const QFileInfo file(conn_.sqliteFile);
        created_ = !file.exists();
        if (created_ && !conn_.create)
            return Fail({}, QStringLiteral("there is no such file (only filing a test makes a new one)"));
        if (!QDir().mkpath(file.absolutePath()))
            return Fail({}, QStringLiteral("its folder cannot be created"));
        db_.setDatabaseName(conn_.sqliteFile);
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(lockWaitMs));
    } else {
        db_.setHostName(conn_.host);
        if (conn_.port > 0)
            db_.setPort(conn_.port);
        db_.setUserName(conn_.user);
        db_.setDatabaseName(conn_.databaseName);
        QString options = QStringLiteral("connect_timeout=%1").arg(std::max(1, lockWaitMs / 1000));
        if (!conn_.options.isEmpty())
            options += QLatin1Char(';') + conn_.options;
        db_.setConnectOptions(options);
    }
    if (!db_.open())
        return Fail(db_.lastError(), sqlite ? QString() : QStringLiteral("the server cannot be reached (%1)")
                                                              .arg(Reason(conn_, db_.lastError())));
    if (!sqlite) {
        // A table locked by another program gives up like a locked SQLite file does.
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("SET lock_timeout = %1").arg(lockWaitMs)))
            return Fail(q.lastError());
    }
    open_ = Migrate() && ProbeWrite();
    if (!open_)
        db_.close();
    return open_;
}

bool Db::ReadVersion(int& version)
{
    QSqlQuery q(db_);
    const QString exists =
        conn_.backend == Connection::Sqlite
            ? QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'")
            : QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
                             "AND table_name = 'schema_version'");
    if (!q.exec(exists))
        return Fail(q.lastError());
    if (!q.next()) {
        version = 0;
        return true;
    }
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next())
        return Fail(q.lastError());
    version = q.value(0).toInt();
    return true;
}

bool Db::Migrate()
{
    QSqlQuery q(db_);
    const bool sqlite = conn_.backend == Connection::Sqlite;
    // Two programs opening an empty database at once: the second waits and finds it made.
    const bool begun = sqlite ? q.exec(QStringLiteral("BEGIN IMMEDIATE"))
                              : q.exec(QStringLiteral("BEGIN")) && q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(738016)"));
    if (!begun)
        return Fail(q.lastError());
    auto rollback = [&] { QSqlQuery(db_).exec(QStringLiteral("ROLLBACK")); };
    if (!ReadVersion(version_))
        return rollback(), false;
    if (version_ > kSchemaVersion) {
        rollback();
        return Fail({}, QStringLiteral("it was written by a newer version of this program (schema %1; this one "
                                       "knows up to %2). Use the newer program, or another database")
                            .arg(version_)
                            .arg(kSchemaVersion));
    }
    const QString idColumn = sqlite ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                                    : QStringLiteral("BIGSERIAL PRIMARY KEY");
    for (int v = version_; v < kSchemaVersion; ++v) {
        QStringList statements = kSteps[v];
        statements << QStringLiteral("UPDATE schema_version SET version = %1").arg(v + 1);
        for (QString s : statements) {
            s.replace(QLatin1String("%ID%"), idColumn);
            if (!q.exec(s)) {
                Fail(q.lastError(), QStringLiteral("its schema cannot be brought from version %1 to %2 (%3)")
                                        .arg(v)
                                        .arg(v + 1)
                                        .arg(Reason(conn_, q.lastError())));
                return rollback(), false;
            }
        }
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return rollback(), Fail(q.lastError());
    version_ = kSchemaVersion;
    return true;
}

bool Db::ProbeWrite()
{
    // A read-only or locked file opens without complaint; find out now, not when a test is lost.
    QSqlQuery q(db_);
    if (!db_.transaction())
        return Fail(db_.lastError());
    if (!q.exec(QStringLiteral("UPDATE schema_version SET version = version")) || !db_.commit()) {
        const QSqlError e = q.lastError().isValid() ? q.lastError() : db_.lastError();
        db_.rollback();
        return Fail(e);
    }
    return true;
}


}  // namespace krx::history
