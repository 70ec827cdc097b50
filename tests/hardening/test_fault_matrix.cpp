// SPDX-License-Identifier: GPL-3.0-or-later
// Every procedure with every fault at every transfer: prints the table and fails when any run
// ends in an outcome that is not defined (a crash, a hang, an exit without the connection-loss
// box, a fatal end where none is meant, a broken export file, a false success, a program that
// cannot go on once the meter is back).
#include "rows.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid())
        return 2;
    using namespace krx::test;

    // The matrix must tell a misbehaving procedure from a sound one.
    int blind = 0;
    for (const auto& [p, word] : SelfCheckRows()) {
        const RowResult r = RunRow(p, work.path());
        bool seen = false;
        for (const Injection& i : r.injections)
            seen = seen || (i.outcome == Outcome::Undefined && i.detail.contains(word));
        if (!seen || !r.cleanProblem.isEmpty()) {
            std::printf("self-check: the matrix did not see the misbehaviour \"%s\" %s\n", qPrintable(p.name),
                        qPrintable(r.cleanProblem));
            ++blind;
        }
    }
    if (blind && !qEnvironmentVariableIsSet("KRX_FM_ROW"))
        return 1;

    std::vector<RowResult> rows;
    std::vector<Procedure> procedures{InitRow()};
    for (Procedure& p : MeasureRows())
        procedures.push_back(std::move(p));
    for (Procedure& p : MemoryRows())
        procedures.push_back(std::move(p));
    procedures.push_back(BreakDownRow());
    procedures.push_back(ExitRow());
    // KRX_FM_ROW=<name> runs only that row (while looking into one).
    const QString only = qEnvironmentVariable("KRX_FM_ROW");
    for (const Procedure& p : procedures)
        if (only.isEmpty() || p.name == only)
            rows.push_back(RunRow(p, work.path()));
    const int undefined = PrintTable(rows);
    std::printf("%s\n", undefined == 0 ? "every injection ended in a defined outcome"
                                       : "some injections ended in an undefined outcome");
    return undefined == 0 ? 0 : 1;
}
