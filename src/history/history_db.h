// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One database connection of the history (the main database or the outbox): opening with the
// schema brought up to date, and the statements, each test in one transaction.

#include "history/plan_records.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <functional>
#include <map>

namespace krx::history {

class Db {
public:
    explicit Db(Connection connection);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Connects, creates or migrates the schema and makes sure a write would go through. False
    // with Error() set to one sentence a person can act on.
    bool Open(int lockWaitMs);
    bool IsOpen() const { return open_; }
    // The last Open() made the SQLite file.
    bool Created() const { return created_; }
    int Version() const { return version_; }
    QString Error() const { return error_; }
    QString Description() const;
    const Connection& Conn() const { return conn_; }
    bool SaveAsset(const Asset& asset);
    std::optional<Asset> FindAsset(const QString& id);
    std::optional<std::vector<AssetSummary>> Assets();
    std::optional<std::vector<TestRecord>> TestsOf(const QString& assetId);
    // nullopt on failure; an engaged empty optional inside when there is no such test.
    std::optional<std::optional<TestRecord>> Test(qint64 id);
    // The new id, 0 for a duplicate (same record key or same uid), nullopt on failure.
    std::optional<qint64> Insert(const TestRecord& test, const QString& uid);
    std::optional<std::vector<std::pair<qint64, QString>>> PendingUids();
    bool Remove(qint64 id);
    std::optional<int> Count();

    // The periodic verification plan; each change in one transaction.
    bool ImportPlan(const std::vector<PlanItem>& items, PlanImportCount& count);
    std::optional<std::vector<PlanEntry>> PlanEntries(bool withRetired);
    // The new id; nullopt with Error() naming an item that is not (or no longer) in the plan.
    std::optional<qint64> InsertVerification(const Verification& v);
    std::optional<std::vector<Verification>> VerificationsOf(const QString& itemId);
    std::optional<std::map<QString, LastVerification>> LastVerifications();

private:
    bool Fail(const QSqlError& error, const QString& what = {});
    bool Migrate();
    bool ReadVersion(int& version);
    bool ProbeWrite();
    std::optional<qint64> InsertInTransaction(const TestRecord& test, const QString& uid);
    // Runs `work` between BEGIN (IMMEDIATE on SQLite) and COMMIT, rolled back when it fails.
    bool InTransaction(const std::function<bool()>& work);

    Connection conn_;
    QString name_;
    QSqlDatabase db_;
    bool open_ = false;
    bool created_ = false;
    int version_ = 0;
    QString error_;
    QSqlError lastError_;
};

// Turns a driver's error into the words a person reads.
QString Reason(const Connection& connection, const QSqlError& error);

}  // namespace krx::history
