// SPDX-License-Identifier: GPL-3.0-or-later
// Another program filing into the same history: files COUNT tests of READINGS readings each under
// ASSET and says "filed ID" after each commit; with TOTAL, then waits (at most 30 s) until it sees
// TOTAL tests of the asset, its own and the others'.
//   history_filer SETTING FOLDER ASSET COUNT READINGS [TOTAL]
#include "history/history_store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <cstdio>

using namespace krx;
using namespace krx::history;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 6)
        return 2;
    HistoryStore store;
    if (!store.Open(a[1], a[2])) {
        std::fprintf(stderr, "%s\n", qPrintable(store.Error()));
        return 3;
    }
    const int count = a[4].toInt();
    const int readings = a[5].toInt();
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i < count; ++i) {
        TestRecord t;
        t.assetId = a[3];
        t.kind = TestKind::Timer;
        t.time = start.addSecs(i);
        t.comment = QStringLiteral("pid %1 test %2").arg(QCoreApplication::applicationPid()).arg(i);
        for (int k = 0; k < readings; ++k) {
            DataRecord r;
            r.time = t.time.addSecs(k);
            r.elapsedSeconds = k;
            r.resistanceOhm = 1e9 + k;
            r.volts = 500;
            r.stable = true;
            t.readings.push_back(r);
        }
        const FileResult f = store.FileTest(t);
        if (f.status != FileResult::Filed) {
            std::fprintf(stderr, "%s\n", qPrintable(f.message));
            return 4;
        }
        std::printf("filed %lld\n", static_cast<long long>(f.id));
        std::fflush(stdout);
    }
    if (a.size() > 6) {
        const qsizetype total = a[6].toInt();
        const QDeadlineTimer deadline(30000);
        qsizetype seen = 0;
        while ((seen = static_cast<qsizetype>(store.TestsOf(a[3]).size())) < total && !deadline.hasExpired())
            QThread::msleep(20);
        std::printf("saw %lld\n", static_cast<long long>(seen));
        return seen >= total ? 0 : 5;
    }
    return 0;
}
