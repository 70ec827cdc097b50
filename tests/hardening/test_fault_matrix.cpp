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
    std::vector<RowResult> rows;
    for (const Procedure& p : {InitRow(), ExitRow()})
        rows.push_back(RunRow(p, work.path()));
    const int undefined = PrintTable(rows);
    std::printf("%s\n", undefined == 0 ? "every injection ended in a defined outcome"
                                       : "some injections ended in an undefined outcome");
    return undefined == 0 ? 0 : 1;
}
