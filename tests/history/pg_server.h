// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PostgreSQL server of the test's own: a cluster in a temporary folder, a Unix socket in that
// folder and no TCP port. postgres refuses to run as root, so under root every server command runs
// as the postgres user with the folder handed to it.

#include <QString>

namespace krx::test {

class PgServer {
public:
    PgServer() = default;
    ~PgServer();  // stops the server and removes the folder
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Creates the cluster and starts it. False with Error() naming what is missing or failed.
    bool Start();
    bool Stop();     // the server goes away (fast shutdown); the cluster stays
    bool Resume();   // and comes back
    QString Error() const { return error_; }
    QString SocketFolder() const { return folder_; }

    // A new empty database and the connection setting that names it.
    QString CreateDatabase(const QString& name);
    static QString Setting(const QString& socketFolder, const QString& database);

private:
    bool Run(const QString& program, const QStringList& args, int timeoutMs);

    QString bin_;
    QString folder_;
    bool running_ = false;
    QString error_;
};

}  // namespace krx::test
