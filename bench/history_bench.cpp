// SPDX-License-Identifier: GPL-3.0-or-later
// The test history's costs on SQLite and on a PostgreSQL server of its own (Unix socket): filing a
// 10-minute test (600 readings), opening the history of an asset with 1 000 tests, and one test
// with its readings; beside them the database's own round trip (an empty query), which the
// figures include.
//   bench_history [--tests N]   (default 1000)
#include "history/history_store.h"
#include "pg_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

using namespace krx;
using namespace krx::history;

namespace {

TestRecord TenMinuteTest(const QString& asset, int n)
{
    TestRecord t;
    t.assetId = asset;
    t.kind = TestKind::Timer;
    t.time = QDateTime(QDate(2020, 1, 1), QTime(8, 0)).addDays(n);
    t.volts = 1000;
    t.durationSeconds = 600;
    t.temperature = 21.5, t.humidity = 40;
    t.r15 = 1e9, t.r30 = 1.5e9, t.r60 = 2e9, t.r600 = 4.2e9, t.dar = 1.33, t.pi = 2.1;
    t.comment = QStringLiteral("bench");
    for (int i = 0; i < 600; ++i) {
        DataRecord r;
        r.time = t.time.addSecs(i + 1);
        r.elapsedSeconds = i + 1.0;
        r.resistanceOhm = 4.2e9 - 3.2e9 * std::exp(-(i + 1) / 120.0);
        r.volts = 1000;
        r.temperature = 21.5;
        r.humidity = 40;
        r.stable = i > 2;
        r.restSeconds = 600 - i - 1;
        t.readings.push_back(r);
    }
    return t;
}

struct Stats {
    double median = 0, max = 0;
    double cpu = 0;  // this process' processor time, median: what is ours, not the disk's or server's
};

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

Stats Time(int runs, const std::function<void()>& body)
{
    std::vector<double> ms, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const double c = CpuMs();
        t.start();
        body();
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        cpu.push_back(CpuMs() - c);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    return {ms[ms.size() / 2], ms.back(), cpu[cpu.size() / 2]};
}

double RoundTrip(const QString& driver, const QString& host, const QString& database)
{
    double median = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, QStringLiteral("rt"));
        db.setHostName(host);
        db.setUserName(QStringLiteral("krx"));
        db.setDatabaseName(database);
        if (db.open()) {
            QSqlQuery q(db);
            median = Time(200, [&] { q.exec(QStringLiteral("SELECT 1")) && q.next(); }).median;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rt"));
    return median;
}

int Bench(const char* name, const QString& setting, const QString& folder, int tests, double roundTrip)
{
    HistoryStore store;
    if (!store.Open(setting, folder)) {
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(store.Error()));
        return 1;
    }
    const TestRecord ten = TenMinuteTest(QStringLiteral("bench-file"), 0);
    const Stats file = Time(30, [&] { store.FileTest(ten); });
    for (int i = 0; i < tests; ++i)
        if (store.FileTest(TenMinuteTest(QStringLiteral("motor"), i)).status != FileResult::Filed) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(store.Error()));
            return 1;
        }
    size_t seen = 0;
    const Stats open = Time(20, [&] { seen = store.TestsOf(QStringLiteral("motor")).size(); });
    const qint64 someId = store.TestsOf(QStringLiteral("motor"))[static_cast<size_t>(tests / 2)].id;
    const Stats one = Time(30, [&] { store.Test(someId); });
    std::printf("%s (round trip of an empty query %.3f ms)\n"
                "  file a 600-reading test:   median %6.2f ms, max %6.2f ms, our processor time %5.2f ms\n"
                "  history of %zu tests:     median %6.2f ms, max %6.2f ms, our processor time %5.2f ms\n"
                "  one test with readings:    median %6.2f ms, max %6.2f ms, our processor time %5.2f ms\n",
                name, roundTrip, file.median, file.max, file.cpu, seen, open.median, open.max, open.cpu, one.median,
                one.max, one.cpu);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int tests = 1000;
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--tests"))
        tests = std::max(1, args[2].toInt());
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/h.sqlite");
    int rc = Bench("SQLite", QStringLiteral("sqlite:") + file, dir.path(), tests,
                   RoundTrip(QStringLiteral("QSQLITE"), {}, file));
    test::PgServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(server.Error()));
        return 1;
    }
    const QString setting = server.CreateDatabase(QStringLiteral("bench"));
    rc |= Bench("PostgreSQL", setting, dir.path(), tests,
                RoundTrip(QStringLiteral("QPSQL"), server.SocketFolder(), QStringLiteral("bench")));
    return rc;
}
