// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_db.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

#include <QTimeZone>

#include <algorithm>
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
};
static_assert(std::size(kSteps) == kSchemaVersion);

// The columns of a test, in the order of the SELECTs below.
const QString kTestColumns = QStringLiteral(
    "id, asset_id, kind, time_ms, utc_offset_s, volts, duration_s, temperature_c, humidity_pct, r15_ohm, r30_ohm, "
    "r60_ohm, r600_ohm, dar, pi, r60_40c_ohm, r600_40c_ohm, correction_temp_c, dar_verdict, pi_verdict, "
    "verdict_source, comment, operator, meter_serial, meter_software, bd_volts, bd_before_mohm, bd_after_mohm, "
    "bd_off_mohm, bd_cycle_s, bd_timer_off_s, record_key");

template <typename T>
QVariant Opt(const std::optional<T>& v)
{
    return v ? QVariant::fromValue(*v) : QVariant(QMetaType::fromType<T>());
}

// An empty text is stored as such, not as NULL.
QVariant Text(const QString& s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QString Placeholders(qsizetype n)
{
    QStringList marks;
    for (qsizetype i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

std::optional<double> Double(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

TestRecord TestFromRow(const QSqlQuery& q)
{
    TestRecord t;
    int i = 0;
    auto next = [&] { return q.value(i++); };
    t.id = next().toLongLong();
    t.assetId = next().toString();
    t.kind = KindFromName(next().toString()).value_or(TestKind::FreeRunning);
    const QVariant ms = next();
    const int offset = next().toInt();
    if (!ms.isNull())
        t.time = QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::OffsetFromUTC, offset);
    const QVariant volts = next();
    if (!volts.isNull())
        t.volts = volts.toInt();
    for (std::optional<double>* f : {&t.durationSeconds, &t.temperature, &t.humidity, &t.r15, &t.r30, &t.r60,
                                     &t.r600, &t.dar, &t.pi, &t.r60At40, &t.r600At40, &t.correctionTemperature})
        *f = Double(next());
    for (QString* s : {&t.darVerdict, &t.piVerdict, &t.verdictSource, &t.comment, &t.operatorName, &t.meterSerial,
                       &t.meterSoftware})
        *s = next().toString();
    const QVariant bdVolts = next();
    if (!bdVolts.isNull()) {
        BreakDownFigures b;
        b.volts = bdVolts.toInt();
        b.resistanceBeforeMOhm = next().toUInt();
        b.resistanceAfterMOhm = next().toUInt();
        b.resistanceOffMOhm = next().toUInt();
        b.cycleTimeSeconds = next().toInt();
        b.timerOffSeconds = next().toInt();
        t.breakDown = b;
    } else {
        i += 5;
    }
    t.recordKey = next().toString().toLatin1();
    return t;
}

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

bool Db::SaveAsset(const Asset& a)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("INSERT INTO assets (id, name, location, kind, insulation_class) VALUES (?, ?, ?, ?, ?) "
                             "ON CONFLICT (id) DO UPDATE SET name = excluded.name, location = excluded.location, "
                             "kind = excluded.kind, insulation_class = excluded.insulation_class")))
        return Fail(q.lastError());
    for (const QString& v : {a.id, a.name, a.location, a.kind, a.insulationClass})
        q.addBindValue(Text(v));
    return q.exec() || Fail(q.lastError());
}

std::optional<Asset> Db::FindAsset(const QString& id)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("SELECT id, name, location, kind, insulation_class FROM assets WHERE id = ?")))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(id);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    if (!q.next())
        return std::nullopt;
    return Asset{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                 q.value(4).toString()};
}

std::optional<std::vector<AssetSummary>> Db::Assets()
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT a.id, a.name, a.location, a.kind, a.insulation_class, COUNT(t.id), "
                               "MAX(t.time_ms) FROM assets a LEFT JOIN tests t ON t.asset_id = a.id "
                               "GROUP BY a.id, a.name, a.location, a.kind, a.insulation_class")))
        return Fail(q.lastError()), std::nullopt;
    std::vector<AssetSummary> out;
    while (q.next()) {
        AssetSummary s;
        s.asset = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                   q.value(4).toString()};
        s.testCount = q.value(5).toInt();
        if (!q.value(6).isNull())
            s.lastTest = QDateTime::fromMSecsSinceEpoch(q.value(6).toLongLong());
        out.push_back(std::move(s));
    }
    // The same order on either server, whatever its collation.
    std::sort(out.begin(), out.end(), [](const AssetSummary& a, const AssetSummary& b) { return a.asset.id < b.asset.id; });
    return out;
}

std::optional<std::vector<TestRecord>> Db::TestsOf(const QString& assetId)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM tests WHERE asset_id = ? "
                             "ORDER BY CASE WHEN time_ms IS NULL THEN 0 ELSE 1 END, time_ms, id").arg(kTestColumns)))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(assetId);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    std::vector<TestRecord> out;
    while (q.next())
        out.push_back(TestFromRow(q));
    return out;
}

std::optional<std::optional<TestRecord>> Db::Test(qint64 id)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("SELECT %1, series FROM tests WHERE id = ?").arg(kTestColumns)))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(id);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    if (!q.next())
        return std::optional<TestRecord>();
    TestRecord t = TestFromRow(q);
    t.readings = ParseSeries(q.value(q.record().count() - 1).toString().toUtf8());
    return std::optional<TestRecord>(std::move(t));
}

std::optional<qint64> Db::Insert(const TestRecord& t, const QString& uid)
{
    const bool sqlite = conn_.backend == Connection::Sqlite;
    // IMMEDIATE: a lock held by another program is waited for here, before anything is written.
    QSqlQuery begin(db_);
    if (!(sqlite ? begin.exec(QStringLiteral("BEGIN IMMEDIATE")) : db_.transaction()))
        return Fail(sqlite ? begin.lastError() : db_.lastError()), std::nullopt;
    const auto id = InsertInTransaction(t, uid);
    QSqlQuery end(db_);
    if (!id || !end.exec(QStringLiteral("COMMIT"))) {
        if (id)
            Fail(end.lastError());
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return std::nullopt;
    }
    return id;
}

std::optional<qint64> Db::InsertInTransaction(const TestRecord& t, const QString& uid)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("INSERT INTO assets (id) VALUES (?) ON CONFLICT DO NOTHING")))
        return Fail(q.lastError()), std::nullopt;
    q.addBindValue(t.assetId);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    if (!q.prepare(QStringLiteral("INSERT INTO tests (%1, series, uid) VALUES (%2) ON CONFLICT DO NOTHING RETURNING id")
                  .arg(kTestColumns.mid(4), Placeholders(kTestColumns.count(QLatin1Char(',')) + 2))))
        return Fail(q.lastError()), std::nullopt;
    const auto& b = t.breakDown;
    auto bd = [&](auto member) { return b ? QVariant::fromValue(static_cast<qint64>((*b).*member)) : QVariant(QMetaType::fromType<qint64>()); };
    const QVariantList values{
        t.assetId, QString::fromLatin1(KindName(t.kind)),
        t.time.isValid() ? QVariant(t.time.toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>()),
        t.time.isValid() ? t.time.offsetFromUtc() : 0, Opt(t.volts), Opt(t.durationSeconds), Opt(t.temperature),
        Opt(t.humidity), Opt(t.r15), Opt(t.r30), Opt(t.r60), Opt(t.r600), Opt(t.dar), Opt(t.pi), Opt(t.r60At40),
        Opt(t.r600At40), Opt(t.correctionTemperature), Text(t.darVerdict), Text(t.piVerdict),
        Text(t.verdictSource), Text(t.comment), Text(t.operatorName), Text(t.meterSerial), Text(t.meterSoftware), bd(&BreakDownFigures::volts),
        bd(&BreakDownFigures::resistanceBeforeMOhm), bd(&BreakDownFigures::resistanceAfterMOhm),
        bd(&BreakDownFigures::resistanceOffMOhm), bd(&BreakDownFigures::cycleTimeSeconds),
        bd(&BreakDownFigures::timerOffSeconds),
        t.recordKey.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(QString::fromLatin1(t.recordKey)),
        QString::fromUtf8(SeriesText(t.readings)), Text(uid)};
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Fail(q.lastError()), std::nullopt;
    return q.next() ? q.value(0).toLongLong() : 0;
}

std::optional<std::vector<std::pair<qint64, QString>>> Db::PendingUids()
{
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT id, uid FROM tests ORDER BY id")))
        return Fail(q.lastError()), std::nullopt;
    std::vector<std::pair<qint64, QString>> out;
    while (q.next())
        out.emplace_back(q.value(0).toLongLong(), q.value(1).toString());
    return out;
}

bool Db::Remove(qint64 id)
{
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("DELETE FROM tests WHERE id = ?")))
        return Fail(q.lastError());
    q.addBindValue(id);
    return q.exec() || Fail(q.lastError());
}

std::optional<int> Db::Count()
{
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM tests")) || !q.next())
        return Fail(q.lastError()), std::nullopt;
    return q.value(0).toInt();
}

}  // namespace krx::history
