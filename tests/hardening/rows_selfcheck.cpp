// SPDX-License-Identifier: GPL-3.0-or-later
// Procedures that misbehave on purpose when their one transfer fails: the matrix must call each
// of them undefined, or its table would prove nothing.
#include "rows.h"

#include "ui/connection_loss.h"
#include "core/csv_appender.h"
#include "ui/window_dialogs.h"
#include "device/commands.h"

#include <QFile>

#include <csignal>
#include <cstdlib>

#include <unistd.h>

namespace krx::test {

namespace {

bool g_failed = false;  // in a child: its run saw the fault

// Reads the identity; true when that went wrong in any visible way.
bool IdentityFailed()
{
    MeterCommands usb;
    usb.Connect();
    const Result<Identity> id = usb.ReadIdentity();
    g_failed = !id || id->serialNo.contains(QLatin1Char('?')) || id->swVersion.trimmed().isEmpty();
    return g_failed;
}

Procedure Misbehaving(const char* name, std::function<void(Run&)> onFailure)
{
    Procedure p;
    p.name = QString::fromLatin1(name);
    p.prepare = [](SimSetup&) {};
    p.run = [onFailure = std::move(onFailure)](Run& run) {
        if (IdentityFailed())
            onFailure(run);
    };
    p.alarmMs = 300;
    return p;
}

}  // namespace

std::vector<std::pair<Procedure, QString>> SelfCheckRows()
{
    std::vector<std::pair<Procedure, QString>> rows;
    rows.emplace_back(Misbehaving("crash", [](Run&) { std::raise(SIGSEGV); }), QStringLiteral("crash"));
    rows.emplace_back(Misbehaving("hang", [](Run&) {
                          for (;;)
                              pause();
                      }),
                      QStringLiteral("hang"));
    rows.emplace_back(Misbehaving("exit", [](Run&) { std::exit(3); }), QStringLiteral("without the connection-loss"));
    rows.emplace_back(Misbehaving("fatal", [](Run&) { krx::ReportConnectionLoss(-1); }),
                      QStringLiteral("not a fatal point"));

    Procedure wrongCode = Misbehaving("fatal code", [](Run&) { krx::ReportConnectionLoss(-4); });
    wrongCode.fatal = [](const std::vector<TransferRecord>&, int, QString&) { return true; };
    wrongCode.run = [](Run&) {
        if (IdentityFailed()) {
            WindowDialogs().Message(QStringLiteral("Connection to the KRX 738 interrupted. Program is terminated."),
                                 QStringLiteral("!! Error Nr.: -4 occurred "), Buttons::Ok, Icon::None);
            std::exit(9);
        }
    };
    rows.emplace_back(wrongCode, QStringLiteral("exit status"));

    Procedure halfLine = Misbehaving("half line", {});
    halfLine.exports = true;
    halfLine.run = [](Run& run) {
        if (!IdentityFailed()) {
            AppendCsvLine(run.exportFile, QStringLiteral("a;b"), QStringLiteral("1;2"));
            return;
        }
        QFile f(run.exportFile);
        if (f.open(QIODevice::Append))
            f.write("1;2");
    };
    rows.emplace_back(halfLine, QStringLiteral("half line"));

    Procedure falseSuccess = halfLine;
    falseSuccess.name = QStringLiteral("false success");
    falseSuccess.run = [](Run& run) {
        if (!IdentityFailed())
            AppendCsvLine(run.exportFile, QStringLiteral("a;b"), QStringLiteral("1;2"));
        WindowDialogs().Message(QStringLiteral("Save successfully!"), QStringLiteral("Finished"), Buttons::Ok, Icon::None);
    };
    rows.emplace_back(falseSuccess, QStringLiteral("Save successfully!"));

    // Waits silently for a meter that is gone, until the user gives up.
    Procedure silent = Misbehaving("stall", [](Run& run) {
        while (!run.Overdue())
            run.t.clock.Sleep(1000);
        run.GiveUp();
    });
    silent.budgetSeconds = 10;
    rows.emplace_back(silent, QStringLiteral("stalled without a message"));

    Procedure wrong = Misbehaving("wrong result", [](Run&) {});
    wrong.verify = [](Run&) { return g_failed ? QStringLiteral("on purpose") : QString(); };
    rows.emplace_back(wrong, QStringLiteral("wrong result without a message"));

    Procedure stuck = Misbehaving("unusable", [](Run&) {});
    stuck.usable = [](Run&, QString& why) {
        why = QStringLiteral("on purpose");
        return !g_failed;
    };
    rows.emplace_back(stuck, QStringLiteral("not usable"));
    return rows;
}

}  // namespace krx::test
