// SPDX-License-Identifier: GPL-3.0-or-later
// One procedure, two faces: the windows (on the virtual clock, inline) and krx738-cli (a process on
// the real clock, its --trace file) must send the meter the same transfers, in the same order, with
// the same data and the same answers. Times are left out: the two clocks differ, and the pauses are
// tested elsewhere. Where the two faces legitimately differ, the difference is named and asserted
// on its own, so that neither side can grow an unnoticed extra.
#include "app_windows.h"
#include "child.h"
#include "cli_fixture.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "ui/special_functions/special_functions_window.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using krx::test::MainWin;
using krx::test::SpecialWin;
using namespace krx;
using krx::test::AppWindows;
using krx::test::SimSetup;
using L = QStringList;

namespace {

// Four records with a gap in the file numbers, so that the range offered is 1-5 and the end mark is
// the fifth request; none of them is the built-in meter's.
constexpr const char* kScenario = R"({
  "serialNo": "73805555", "swVersion": "1.08", "setup0": 4, "setup1": 1,
  "measuringTimer": 75, "breakDownTimer": 12, "breakOffTimer": 8,
  "ohmMemory": [
    {"record": 1, "date": [1, 2, 26], "time": [7, 30], "voltage": 100, "timer": 10, "mantissa": "1.11", "exponent": " 8"},
    {"record": 2, "date": [2, 2, 26], "time": [8, 31], "voltage": 500, "timer": 20, "mantissa": "2.22", "exponent": " 9",
     "calculation": 1},
    {"record": 3, "date": [3, 2, 26], "time": [9, 32], "voltage": 1000, "timer": 30, "mantissa": "3.33", "exponent": "10"},
    {"record": 5, "date": [5, 2, 26], "time": [11, 34], "voltage": 10, "timer": 50, "mantissa": "5.55", "exponent": " 6"}
  ],
  "breakDownMemory": []
})";

// What the window's Init button sends after the read the CLI shares: the meter is opened again and
// told twice more that the main window is active. The CLI goes on to its command instead.
const L kInitButtonTail = {"open =1", "OUT 54 [03] =1", "OUT 54 [03] =1"};
// "Back to main menu" from the special-functions window; the CLI ends from the special mode directly.
const L kBackToMain = {"OUT 54 [03] =1"};

// The log since the last call, as Describe() texts, and cleared.
L TakeWindowTransfers()
{
    L out;
    for (const TransferRecord& r : TheTransferLog().Records())
        out << r.Describe();
    TheTransferLog().Clear();
    return out;
}

// The three windows on the scenario's simulated meter, Init pressed and its transfers taken.
struct InitialisedWindows {
    explicit InitialisedWindows(const QString& scenario) : sim(sim::Scenario::FromJsonFile(scenario))
    {
        MainWin()->show();
        MainWin()->initButton->click();
        init = TakeWindowTransfers();
    }
    SimSetup sim;
    bool quiet = (sim.dialogs.echo = false, true);  // before the windows exist
    AppWindows windows;
    L init;
};

// krx738-cli with the scenario and a trace; its trace records, or a failure said by QVERIFY.
struct CliTrace {
    bool ok = false;
    L records;
    QByteArray out;
};

CliTrace RunCli(const QString& scenario, const QString& trace, const L& command)
{
    CliTrace t;
    QFile::remove(trace);
    const test::CliRun r = test::RunCli(L{"--simulate", scenario, "--trace", trace} + command, 20000);
    if (!r.finished) {
        qWarning("krx738-cli %s did not end within 20 s", qPrintable(command.join(' ')));
        return t;
    }
    t.out = r.out;
    if (r.exitCode != 0) {
        qWarning("krx738-cli %s: exit %d: %s", qPrintable(command.join(' ')), r.exitCode, r.err.constData());
        return t;
    }
    t.records = test::TraceRecords(trace);
    t.ok = true;
    return t;
}

// The window program's Exit, which ends the process: in a child, its transfers traced to a file.
L WindowExit(const QString& trace)
{
    const test::ChildResult r = test::RunInChild([&] {
        TheTransferLog().TraceTo(trace);
        MainWin()->exitButton->click();
    });
    if (!r.exited || r.status != 0)
        return {QStringLiteral("<Exit did not end the program normally: %1>").arg(r.status)};
    return test::TraceRecords(trace);
}

QString Show(const L& lines)
{
    return QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
}

}  // namespace

class CliTraceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void memoryReadOutSendsWhatTheWindowSends();
    void infoAndListSendWhatInitSends();

private:
    QTemporaryDir dir_;
    QString scenario_;
};

void CliTraceTest::init()
{
    QVERIFY(dir_.isValid());
    scenario_ = test::WriteFile(dir_.filePath(QStringLiteral("scenario.json")), kScenario);
    QVERIFY(!scenario_.isEmpty());
}

void CliTraceTest::memoryReadOutSendsWhatTheWindowSends()
{
    L init, special, readOut, back, exit;
    {
        const InitialisedWindows w(scenario_);
        init = w.init;
        MainWin()->specialFunctionsButton->click();
        special = TakeWindowTransfers();

        // The range the CLI takes without --range: the whole memory, 1 to the highest file number.
        // The comment dialog is cancelled: the export writes nothing and sends nothing either way.
        QString offered;
        QTimer::singleShot(0, [&] {
            offered = SpecialWin()->rangeFromField->text().trimmed() + QLatin1Char('-') +
                      SpecialWin()->rangeToField->text().trimmed();
            SpecialWin()->rangeFromField->setText(QStringLiteral("1"));
            SpecialWin()->rangeToField->setText(QStringLiteral("5"));
            SpecialWin()->rangeSaveButton->click();
        });
        // A read-out left waiting for its range ends the test instead of hanging it.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            QTest::qFail("the read-out waited for a range that never came", __FILE__, __LINE__);
            SpecialWin()->mainMenuButton->click();
        });
        watchdog.start(10000);
        SpecialWin()->readOhmMemoryButton->click();
        watchdog.stop();
        QCOMPARE(offered, QStringLiteral("1-5"));
        readOut = TakeWindowTransfers();
        SpecialWin()->mainMenuButton->click();
        back = TakeWindowTransfers();
        exit = WindowExit(dir_.filePath(QStringLiteral("window-exit.txt")));
    }
    const CliTrace cli = RunCli(scenario_, dir_.filePath(QStringLiteral("cli.txt")), {"memory", "read", "ohm"});
    QVERIFY(cli.ok);
    // The CLI wrote the four records the window listed.
    QCOMPARE(cli.out.count('\n'), 5);

    // The read-out itself: four records and the end mark, each asked once, on the open connection.
    QCOMPARE(readOut.size(), 5);
    for (const QString& r : readOut)
        QVERIFY2(r.startsWith(QLatin1String("IN 35 [")) && r.endsWith(QLatin1String("=30")), qPrintable(r));
    QCOMPARE(special, L{"OUT 54 [0C] =1"});
    // The window's own additions, named.
    QVERIFY2(init.mid(init.size() - kInitButtonTail.size()) == kInitButtonTail, qPrintable(Show(init)));
    QCOMPARE(back, kBackToMain);
    // The rest is one sequence on both faces.
    const L shared = init.mid(0, init.size() - kInitButtonTail.size()) + special + readOut + exit;
    QVERIFY2(cli.records == shared, qPrintable(QStringLiteral("CLI:") + Show(cli.records) +
                                                 QStringLiteral("\nwindow:") + Show(shared)));
}

void CliTraceTest::infoAndListSendWhatInitSends()
{
    L init, exit;
    {
        const InitialisedWindows w(scenario_);
        init = w.init;
        exit = WindowExit(dir_.filePath(QStringLiteral("window-exit.txt")));
    }
    QVERIFY2(init.mid(init.size() - kInitButtonTail.size()) == kInitButtonTail, qPrintable(Show(init)));
    const L initRead = init.mid(0, init.size() - kInitButtonTail.size());
    // The read Init shares ends with the setup and the three timers.
    const L timers = initRead.mid(initRead.size() - 3);
    QCOMPARE(timers, (L{"IN 48 [00 4B] =2", "IN 49 [00 0C] =2", "IN 50 [00 08] =2"}));
    QCOMPARE(exit, (L{"open =1", "OUT 54 [03] =1", "OUT 54 [01] =1"}));

    // "list" is Init and the release that Exit sends.
    const QString trace = dir_.filePath(QStringLiteral("cli.txt"));
    CliTrace cli = RunCli(scenario_, trace, {"list"});
    QVERIFY(cli.ok);
    QVERIFY2(cli.records == initRead + exit,
             qPrintable(QStringLiteral("CLI:") + Show(cli.records) + QStringLiteral("\nwindow:") + Show(initRead + exit)));

    // "info" reads the three timers once more after Init, for the break-down and break-off timers
    // that Init's setup read does not keep.
    cli = RunCli(scenario_, trace, {"info"});
    QVERIFY(cli.ok);
    QVERIFY2(cli.records == initRead + timers + exit,
             qPrintable(QStringLiteral("CLI:") + Show(cli.records) + QStringLiteral("\nwindow:") +
                        Show(initRead + timers + exit)));
}

QTEST_MAIN(CliTraceTest)
#include "test_cli_trace.moc"
