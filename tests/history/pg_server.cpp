// SPDX-License-Identifier: GPL-3.0-or-later
#include "pg_server.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace krx::test {

namespace {

QString FindBin()
{
    const QString env = qEnvironmentVariable("KRX_PG_BIN");
    QStringList candidates{env};
    for (const int v : {17, 16, 15, 14, 13})
        candidates << QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
    for (const QString& c : candidates)
        if (!c.isEmpty() && QFileInfo(c + QStringLiteral("/pg_ctl")).isExecutable())
            return c;
    return {};
}

}  // namespace

bool PgServer::Run(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString exe = bin_ + QLatin1Char('/') + program;
    if (geteuid() == 0)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                       QStringLiteral("--"), exe} + args);
    else
        p.start(exe, args);
    const bool done = p.waitForFinished(timeoutMs);
    if (!done)
        p.kill(), p.waitForFinished(2000);
    if (done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    error_ = QStringLiteral("%1 %2 failed: %3").arg(program, args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAll()));
    return false;
}

bool PgServer::Start()
{
    bin_ = FindBin();
    if (bin_.isEmpty()) {
        error_ = QStringLiteral("PostgreSQL server binaries not found (install the postgresql package, or set "
                                "KRX_PG_BIN to the folder holding pg_ctl)");
        return false;
    }
    // Short: a socket path is limited to about 100 bytes.
    char pattern[] = "/tmp/krxpg-XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    folder_ = QString::fromLocal8Bit(pattern);
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || chown(pattern, pw->pw_uid, pw->pw_gid) != 0) {
            error_ = QStringLiteral("running as root, but there is no postgres user to run the server as");
            return false;
        }
    }
    const QString data = folder_ + QStringLiteral("/data");
    if (!Run(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
                                        QStringLiteral("-U"), QStringLiteral("krx"), QStringLiteral("-E"),
                                        QStringLiteral("UTF8"), QStringLiteral("--no-sync")},
             120000))
        return false;
    return Resume();
}

bool PgServer::Resume()
{
    const QString data = folder_ + QStringLiteral("/data");
    running_ = Run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data, QStringLiteral("-l"), folder_ + QStringLiteral("/log"),
                    QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"),
                    QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off").arg(folder_), QStringLiteral("start")},
                   90000);
    return running_;
}

bool PgServer::Stop()
{
    const bool ok = Run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), folder_ + QStringLiteral("/data"),
                                                   QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                                                   QStringLiteral("stop")},
                        60000);
    running_ = !ok;
    return ok;
}

PgServer::~PgServer()
{
    if (running_)
        Run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), folder_ + QStringLiteral("/data"), QStringLiteral("-m"),
                                       QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
            60000);
    if (!folder_.isEmpty())
        QDir(folder_).removeRecursively();
}

QString PgServer::Setting(const QString& socketFolder, const QString& database)
{
    return QStringLiteral("postgresql://krx@/%1?host=%2")
        .arg(database, QString::fromLatin1(QUrl::toPercentEncoding(socketFolder)));
}

QString PgServer::CreateDatabase(const QString& name)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("krx-admin"));
        db.setHostName(folder_);
        db.setUserName(QStringLiteral("krx"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open()) {
            error_ = db.lastError().text();
        } else {
            QSqlQuery q(db);
            // The name is the test's own, never a user's text.
            q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
            if (!q.exec(QStringLiteral("CREATE DATABASE %1").arg(name)))
                error_ = q.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("krx-admin"));
    return Setting(folder_, name);
}

}  // namespace krx::test
