// SPDX-License-Identifier: GPL-3.0-or-later
// Filing from the special-functions window on the simulated meter: memory read-outs filed twice
// (each record once), a break-down result with its values, a database that cannot be opened, and
// not one transfer to the meter for any of it.
#include "app_windows.h"
#include "window_test_names.h"
#include "sim_fixture.h"

#include "ui/history/file_test_dialog.h"
#include "ui/main_window.h"
#include "ui/special_functions/special_functions_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <deque>
#include <functional>


namespace {

sim::OhmRecordSpec Ohm(int no, unsigned char day)
{
    sim::OhmRecordSpec r;
    const unsigned char bytes[23] = {static_cast<unsigned char>(no), day, 3, 11, 9, 5, '4', '5', '2', '2', '.', '5',
                                     0x01, 0xF4, 0x00, 60, '1', '.', '2', '5', '0', '9', 1};  // a lapse at 60 s: R 1 min
    std::memcpy(r.bytes.data(), bytes, sizeof bytes);
    return r;
}

sim::BreakDownRecordSpec BreakDown(int no)
{
    sim::BreakDownRecordSpec r;
    const unsigned char bytes[30] = {static_cast<unsigned char>(no), 8, 3, 11, 9, 5, '4', '5', '2', '2', '.', '5',
                                     0x03, 0xE8, 0, 0, 0x13, 0x88, 0, 0, 0, 0, 0, 14, 0, 0, 0, 0, 0, 6};
    std::memcpy(r.bytes.data(), bytes, sizeof bytes);
    return r;
}

// Answers the filing dialog once it is up: `id` as the asset, then File. A dialog still open after
// 5 s (the press went nowhere) is rejected, so that a fault fails instead of hanging.
// Runs `steps` at the window's yield points, each once its condition holds; ends the process when
// stuck for 20 s.
class Steps {
public:
    Steps& Then(std::function<bool()> when, std::function<void()> act)
    {
        steps_.push_back({std::move(when), std::move(act)});
        return *this;
    }
    void Start()
    {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (clock_.elapsed() > 20000)
                qFatal("steps stuck with %d left", static_cast<int>(steps_.size()));
            if (steps_.empty() || !steps_.front().first())
                return;
            auto act = std::move(steps_.front().second);
            steps_.pop_front();
            act();
        });
        timer_.start(0);
    }
    bool Done() const { return steps_.empty(); }

private:
    std::deque<std::pair<std::function<bool()>, std::function<void()>>> steps_;
    QTimer timer_;
    QElapsedTimer clock_;
};

struct Program {
    explicit Program(sim::Scenario s) : t(std::move(s))
    {
        t.dialogs.echo = false;
        MainWin()->show();
        MainWin()->initButton->click();
        MainWin()->specialFunctionsButton->click();
        t.Take();
    }
    // Reads a memory with the whole range chosen and the export's comment cancelled.
    void ReadOut(QPushButton* button, int highest)
    {
        QTimer::singleShot(0, [highest] {
            SpecialWin()->rangeToField->setText(QString::number(highest));
            SpecialWin()->rangeSaveButton->click();
        });
        button->click();
    }
    SimSetup t;
    AppWindows w;
    QTemporaryDir dir;
};

}  // namespace

class SpecialFilingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { history_view::ForgetLastFiled(); }

    void readOutsFiledOnce()
    {
        sim::Scenario s = sim::Scenario::Default();
        s.ohmMemory = {Ohm(1, 1), Ohm(2, 2)};
        s.breakDownMemory = {BreakDown(1)};
        Program p(s);
        SpecialFunctionsWindow* f = SpecialWin();
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + p.dir.filePath(QStringLiteral("h.sqlite")), p.dir.path()));

        // No store: read out, but nothing to file with.
        f->SetHistory(nullptr);
        p.ReadOut(f->readOhmMemoryButton, 2);
        QVERIFY(f->fileRecordsButton->isHidden());
        f->SetHistory(&store);
        QVERIFY(!f->fileRecordsButton->isHidden());
        QVERIFY(f->fileTestButton->isHidden());
        p.t.Take();

        QVERIFY(FileUnder(f->fileRecordsButton, QStringLiteral("M-1")));
        QCOMPARE(p.t.dialogs.Messages().back(), QStringLiteral("File test|2 tests were filed under \"M-1\"."));
        QCOMPARE(store.TestsOf(QStringLiteral("M-1")).size(), size_t(2));

        // Read out again: the same records are known, not added.
        p.ReadOut(f->readOhmMemoryButton, 2);
        p.t.Take();
        QVERIFY(FileUnder(f->fileRecordsButton, QStringLiteral("M-1")));
        QCOMPARE(p.t.dialogs.Messages().back(),
                 QStringLiteral("File test|2 records were filed before; they were not added again."));
        const auto tests = store.TestsOf(QStringLiteral("M-1"));
        QCOMPARE(tests.size(), size_t(2));
        QCOMPARE(tests[0].kind, history::TestKind::MemoryOhm);
        QCOMPARE(tests[0].volts, std::optional<int>(500));
        // The meter kept the lapse at its 60 s timer: R 1 min, and the reading with its timer and method.
        QCOMPARE(tests[0].r60, std::optional<double>(1.25e9));
        QCOMPARE(tests[0].memoryReading->ohm, 1.25e9);
        QCOMPARE(tests[0].memoryReading->method, QStringLiteral("lapse"));
        QCOMPARE(tests[1].time.date(), QDate(2011, 3, 2));

        // One break-down record: the other memory's records replace the ohm ones on the button.
        p.ReadOut(f->readBreakDownMemoryButton, 1);
        QCOMPARE(p.t.Take().size(), 2);  // the record and the end mark
        QVERIFY(FileUnder(f->fileRecordsButton, QStringLiteral("M-1")));
        QCOMPARE(p.t.dialogs.Messages().back(), QStringLiteral("File test|The test was filed under \"M-1\"."));
        // Filing sends nothing to the meter.
        QCOMPARE(p.t.Take(), L{});
        const auto all = store.TestsOf(QStringLiteral("M-1"));
        QCOMPARE(all.size(), size_t(3));
        QCOMPARE(all[2].kind, history::TestKind::MemoryBreakDown);
        QCOMPARE(all[2].breakDown->resistanceBeforeOhm, 5e6);  // 5000 kOhm

        // An emptied memory offers nothing; neither does a window entered afresh.
        p.t.dialogs.answers = {Answer::Ok};
        f->eraseOhmMemoryButton->click();
        QVERIFY(p.t.meter().scenario().ohmMemory.empty());
        f->readOhmMemoryButton->click();
        QVERIFY(f->fileRecordsButton->isHidden());
        p.ReadOut(f->readBreakDownMemoryButton, 1);
        QVERIFY(!f->fileRecordsButton->isHidden());
        f->Enter();
        QVERIFY(f->fileRecordsButton->isHidden());
        f->SetHistory(nullptr);
    }

    void breakDownResultFiled()
    {
        Program p(krx::test::BreakDownScenario());
        SpecialFunctionsWindow* f = SpecialWin();
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + p.dir.filePath(QStringLiteral("h.sqlite")), p.dir.path()));
        f->SetHistory(&store);

        // Stopped before a break-down: no result, nothing to file.
        Steps none;
        auto startReads = [f](const char* caption) {
            return f->startButton->isEnabled() && f->startButton->text() == QLatin1String(caption);
        };
        none.Then([=] { return startReads("Start Break-Down"); }, [f] { f->stopButton->click(); });
        none.Start();
        f->breakDownButton->click();
        QVERIFY(none.Done());
        QVERIFY(f->fileTestButton->isHidden());

        // Through break-down and break-off; the result's Save gives the comment.
        p.t.dialogs.inputs = {QStringLiteral("phase U")};
        p.t.dialogs.saves = {p.dir.filePath(QStringLiteral("bd.csv"))};
        auto hold = [&p, f] { return f->saveButton->isEnabled() && p.t.meter().RemoteMode() == 35; };
        Steps full;
        full.Then([=] { return startReads("Start Break-Down"); }, [f] { f->startButton->click(); })
            .Then([=] { return startReads("Start Break-Off"); }, [f] { f->startButton->click(); })
            .Then(hold, [f] {
                QVERIFY(f->fileTestButton->isHidden());  // not while the test runs
                f->saveButton->click();
            })
            .Then([&p, hold] { return p.t.dialogs.saves.empty() && hold(); }, [f] { f->stopButton->click(); });
        full.Start();
        f->breakDownButton->click();
        QVERIFY(full.Done());
        QVERIFY(!f->fileTestButton->isHidden());
        p.t.Take();
        QVERIFY(FileUnder(f->fileTestButton, QStringLiteral("G-2")));
        QCOMPARE(p.t.Take(), L{});
        const auto tests = store.TestsOf(QStringLiteral("G-2"));
        QCOMPARE(tests.size(), size_t(1));
        const auto test = store.Test(tests[0].id);
        QCOMPARE(test->kind, history::TestKind::BreakDown);
        QCOMPARE(test->volts, std::optional<int>(1000));
        QCOMPARE(test->humidity, std::optional<double>(45));
        QCOMPARE(test->temperature, std::optional<double>(22.5));
        QCOMPARE(test->comment, QStringLiteral("phase U"));
        // The meter's kOhm exactly, where the result file has whole MOhm.
        QCOMPARE(test->breakDown->resistanceBeforeOhm, 1999999e3);
        QCOMPARE(test->breakDown->resistanceAfterOhm, 2147483648e3);
        QCOMPARE(test->breakDown->resistanceOffOhm, 250000e3);
        // Taken from the simulated meter: marked, and filed only after the user said yes.
        QVERIFY(test->simulated);
        QVERIFY(p.t.dialogs.Messages().join(QLatin1Char('\n')).contains(QStringLiteral("simulated meter, not a real one")));
        QCOMPARE(test->breakDown->timerOffSeconds, 3);
        QCOMPARE(test->meterSerial, TheSessionSerial());
        QVERIFY(!test->meterSerial.isEmpty());
        QVERIFY(test->time.isValid() && test->time.secsTo(QDateTime::currentDateTime()) < 60);
        f->SetHistory(nullptr);
    }

    void databaseCannotBeOpened()
    {
        sim::Scenario s = sim::Scenario::Default();
        s.ohmMemory = {Ohm(1, 1)};
        Program p(s);
        const QString plain = p.dir.filePath(QStringLiteral("plain"));
        QFile(plain).open(QIODevice::WriteOnly);
        const QString outbox = p.dir.filePath(QStringLiteral("outbox"));
        QDir().mkpath(outbox);
        history::HistoryStore store;
        QVERIFY(!store.Open(QStringLiteral("sqlite:") + plain + QStringLiteral("/h.sqlite"), outbox));
        SpecialWin()->SetHistory(&store);
        p.ReadOut(SpecialWin()->readOhmMemoryButton, 1);
        p.t.Take();
        QVERIFY(FileUnder(SpecialWin()->fileRecordsButton, QStringLiteral("M-1")));
        QVERIFY(p.t.dialogs.Messages().back().contains(QStringLiteral("kept on this computer")));
        QCOMPARE(store.OutboxCount(), 1);
        QCOMPARE(p.t.Take(), L{});
        SpecialWin()->SetHistory(nullptr);
    }

private:
    static QString TheSessionSerial() { return krx::test::TheSession().SerialNo.trimmed(); }
};

QTEST_MAIN(SpecialFilingTest)
#include "test_special_filing.moc"
