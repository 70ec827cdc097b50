// SPDX-License-Identifier: GPL-3.0-or-later
// Filing a finished test: a new asset, an asset filed before, cancel, a blank id, and a database
// that cannot be opened (the outbox keeps the test) or takes nothing at all.
#include "scripted_dialogs.h"

#include "history/measurement_test.h"
#include "ui/history/file_test_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>
#include <QtTest>

using namespace krx;
using namespace krx::history_view;
using history::FileResult;
using history::TestRecord;

namespace {

TestRecord Finished()
{
    TestRecord t;
    t.kind = history::TestKind::Timer;
    t.time = QDateTime(QDate(2026, 3, 2), QTime(10, 15), QTimeZone(3600));
    t.volts = 1000;
    t.durationSeconds = 600;
    t.r60 = 2e9;
    t.pi = 2.4;
    t.comment = QStringLiteral("after cleaning");
    return t;
}

struct Form {
    FileTestDialog& d;
    QComboBox* Id() { return d.findChild<QComboBox*>(QStringLiteral("assetId")); }
    QLineEdit* Edit(const char* name) { return d.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QString Class() { return d.findChild<QComboBox*>(QStringLiteral("insulationClass"))->currentText(); }
    void File() { d.findChild<QPushButton*>(QStringLiteral("fileButton"))->click(); }
};

}  // namespace

class FileTestDialogTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString plain;

private slots:
    void init()
    {
        ForgetLastFiled();
        plain = dir.filePath(QStringLiteral("plain"));
        QFile(plain).open(QIODevice::WriteOnly);
    }

    void newThenExistingAsset()
    {
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("a.sqlite")), dir.path()));
        QVERIFY(store.SaveAsset({QStringLiteral("T-1"), QStringLiteral("Transformer"), QStringLiteral("Yard"),
                                 QStringLiteral("transformer"), QStringLiteral("A")}));
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        const QString id = QStringLiteral("C-9 'x' \"y\"; 🛠");
        {
            FileTestDialog d(store, dialogs, Finished());
            Form f{d};
            QCOMPARE(f.Id()->currentText(), QString());
            QCOMPARE(f.Edit("comment")->text(), QStringLiteral("after cleaning"));
            // Picking a known asset brings its details; typing on to a new id takes them away.
            f.Id()->setEditText(QStringLiteral("T-1"));
            QCOMPARE(f.Edit("assetName")->text(), QStringLiteral("Transformer"));
            QCOMPARE(f.Class(), QStringLiteral("A"));
            f.Id()->setEditText(id);
            QCOMPARE(f.Edit("assetName")->text(), QString());
            f.Edit("assetName")->setText(QStringLiteral("Cable"));
            f.Edit("operatorName")->setText(QStringLiteral("JD"));
            f.File();
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(d.Results().back().status, FileResult::Filed);
        }
        QCOMPARE(dialogs.Messages(), QStringList{QStringLiteral("File test|The test was filed under \"%1\".").arg(id)});
        QCOMPARE(store.FindAsset(id)->name, QStringLiteral("Cable"));
        auto tests = store.TestsOf(id);
        QCOMPARE(tests.size(), size_t(1));
        QCOMPARE(tests[0].operatorName, QStringLiteral("JD"));
        QCOMPARE(tests[0].r60, std::optional<double>(2e9));

        // The next test is offered the same asset and operator; the details stay as filed.
        FileTestDialog again(store, dialogs, Finished());
        Form g{again};
        QCOMPARE(g.Id()->currentText(), id);
        QCOMPARE(g.Edit("assetName")->text(), QStringLiteral("Cable"));
        QCOMPARE(g.Edit("operatorName")->text(), QStringLiteral("JD"));
        g.File();
        QCOMPARE(store.TestsOf(id).size(), size_t(2));
        QCOMPARE(store.TestsOf(QStringLiteral("T-1")).size(), size_t(0));

        // Fields left empty never wipe a filed asset's details; one changed field updates them.
        FileTestDialog third(store, dialogs, Finished());
        Form h{third};
        h.Id()->setEditText(QStringLiteral("T-1"));
        for (const char* name : {"assetName", "assetLocation"})
            h.Edit(name)->clear();
        third.findChild<QComboBox*>(QStringLiteral("plateKind"))->setCurrentIndex(0);
        third.findChild<QComboBox*>(QStringLiteral("insulationClass"))->setCurrentIndex(0);
        h.File();
        QCOMPARE(store.FindAsset(QStringLiteral("T-1"))->name, QStringLiteral("Transformer"));
        FileTestDialog fourth(store, dialogs, Finished());
        Form k{fourth};
        k.Id()->setEditText(QStringLiteral("T-1"));
        k.Edit("assetLocation")->setText(QStringLiteral("Yard 2"));
        k.File();
        QCOMPARE(store.FindAsset(QStringLiteral("T-1"))->location, QStringLiteral("Yard 2"));
        QCOMPARE(store.FindAsset(QStringLiteral("T-1"))->insulationClass, QStringLiteral("A"));
    }

    // A measurement judged in the figures panel: the dialog starts from that nameplate and class for
    // a new asset as for a known one, and files the test with its minimum-IR verdict.
    void startsFromTheJudgedNameplate()
    {
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("n.sqlite")), dir.path()));
        std::vector<DataRecord> readings;
        for (int s = 0; s <= 70; ++s) {
            DataRecord r;
            r.time = QDateTime(QDate(2026, 3, 2), QTime(10, 15)).addSecs(s);
            r.elapsedSeconds = s;
            r.resistanceOhm = 2e9;
            r.volts = 500;
            r.stable = s >= 2;
            r.temperature = 40;
            r.humidity = 40;
            readings.push_back(r);
        }
        const Nameplate plate{AssetKind::Machine, 6600.0, WindingType::Form, InsulationClass::F};
        const TestRecord judged = history::TestFromMeasurement({}, readings, false, {DarTimes::From30To60, plate, {}});
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        FileTestDialog d(store, dialogs, judged);
        Form f{d};
        f.Id()->setEditText(QStringLiteral("N-1"));
        auto* kind = d.findChild<QComboBox*>(QStringLiteral("plateKind"));
        QCOMPARE(kind->currentText(), QStringLiteral("rotating machine"));
        QCOMPARE(f.Edit("ratedVoltage")->text(), QLocale().toString(6600));
        QCOMPARE(f.Class(), QStringLiteral("F"));
        // Form-wound after about 1970: 100 MΩ, which 2 GΩ at 40 °C meets.
        const QString verdicts = d.findChild<QLabel*>(QStringLiteral("verdicts"))->text();
        QVERIFY2(verdicts.startsWith(QStringLiteral("Minimum IR: ")) && verdicts.contains(QStringLiteral("meets")) &&
                     verdicts.contains(QStringLiteral("100 MΩ")),
                 qPrintable(verdicts));
        f.File();
        const auto filed = store.TestsOf(QStringLiteral("N-1"));
        QCOMPARE(filed.size(), size_t(1));
        QVERIFY(filed[0].nameplate && filed[0].nameplate->ratedVolts == 6600.0);
        QVERIFY2(filed[0].irVerdict.contains(QStringLiteral("100 MΩ")), qPrintable(filed[0].irVerdict));
        QCOMPARE(store.FindAsset(QStringLiteral("N-1"))->kind, QStringLiteral("machine"));
    }

    // One list of kinds: words typed freely in older histories are read as the list's kind where
    // they name one, and kept as they were typed where they do not.
    void oldFreeTextKinds()
    {
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("k.sqlite")), dir.path()));
        struct Case {
            const char* typed;
            const char* shown;
            const char* kind;       // stored after filing
            const char* plateKind;  // stored after filing
        };
        const Case cases[] = {{"motor", "rotating machine", "machine", "machine"},
                              {"Generator", "rotating machine", "machine", "machine"},
                              {"cable", "cable", "cable", "cable"},
                              {"switchgear", "switchgear", "switchgear", ""},
                              {"", "not set: no nameplate", "", ""}};
        TestRecord record = Finished();
        record.kind = history::TestKind::MemoryOhm;
        for (const Case& c : cases) {
            const QString id = QStringLiteral("old-") + QString::fromUtf8(c.typed);
            QVERIFY(store.SaveAsset({id, {}, {}, QString::fromUtf8(c.typed), {}, {}, {}, {}}));
            test::ScriptedDialogs dialogs;
            dialogs.echo = false;
            FileTestDialog d(store, dialogs, record);
            Form f{d};
            f.Id()->setEditText(id);
            QCOMPARE(d.findChild<QComboBox*>(QStringLiteral("plateKind"))->currentText(), QString::fromUtf8(c.shown));
            f.File();
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(store.FindAsset(id)->kind, QString::fromUtf8(c.kind));
            QCOMPARE(store.FindAsset(id)->plateKind, QString::fromUtf8(c.plateKind));
        }
    }

    // A memory read-out's records under one asset: one box for all, a record filed before is
    // recognised, and a comment typed for all replaces the records' own only when given.
    void memoryRecords()
    {
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("m.sqlite")), dir.path()));
        std::vector<TestRecord> records(3, Finished());
        for (int i = 0; i < 3; ++i) {
            records[i].kind = history::TestKind::MemoryOhm;
            records[i].recordKey = QByteArray::number(i);
            records[i].comment = QStringLiteral("record %1").arg(i);
            records[i].time = records[i].time.addDays(i);
        }
        records[1].assetId = QStringLiteral("G-1");
        QCOMPARE(store.FileTest(records[1]).status, FileResult::Filed);
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        FileTestDialog d(store, dialogs, records);
        Form f{d};
        QCOMPARE(f.Edit("comment")->text(), QString());
        f.Id()->setEditText(QStringLiteral("G-1"));
        f.File();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(dialogs.Messages(), QStringList{QStringLiteral("File test|2 tests were filed under \"G-1\". One record "
                                                                "was filed before; it was not added again.")});
        const auto tests = store.TestsOf(QStringLiteral("G-1"));
        QCOMPARE(tests.size(), size_t(3));
        QCOMPARE(tests[2].comment, QStringLiteral("record 2"));
    }

    void blankIdAndCancel()
    {
        history::HistoryStore store;
        QVERIFY(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("b.sqlite")), dir.path()));
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        FileTestDialog d(store, dialogs, Finished());
        Form f{d};
        f.Id()->setEditText(QStringLiteral("  "));
        QVERIFY(!d.Submit());
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QVERIFY(d.Results().empty());
        QVERIFY(store.Assets().empty());

        // Cancelled while it waits for the user: nothing is filed. The watchdog ends a dialog
        // that the cancel did not reach, so that a fault fails instead of hanging.
        QTimer::singleShot(0, [] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                modal->reject();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        bool bitten = false;
        connect(&watchdog, &QTimer::timeout, [&] {
            bitten = true;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<FileTestDialog*>(w))
                    dialog->done(QDialog::Rejected);
        });
        watchdog.start(5000);
        QVERIFY(!FileTestsInteractively(store, dialogs, {Finished()}, nullptr));
        QVERIFY(!bitten);
        QVERIFY(store.Assets().empty());
    }

    void databaseCannotBeOpened()
    {
        const QString outbox = dir.filePath(QStringLiteral("outbox"));
        QDir().mkpath(outbox);
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        {
            history::HistoryStore down;
            QVERIFY(!down.Open(QStringLiteral("sqlite:") + plain + QStringLiteral("/h.sqlite"), outbox));
            FileTestDialog d(down, dialogs, Finished());
            Form f{d};
            QVERIFY(!d.findChild<QLabel*>(QStringLiteral("databaseWarning"))->isHidden());
            f.Id()->setEditText(QStringLiteral("P-2"));
            f.File();
            QCOMPARE(d.Results().back().status, FileResult::KeptInOutbox);
            QCOMPARE(d.result(), int(QDialog::Accepted));
        }
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QVERIFY(dialogs.shown[0].text.startsWith(QStringLiteral("The database did not take the test: ")));
        QVERIFY(dialogs.shown[0].text.contains(QStringLiteral("kept on this computer")));
        // Once the database opens, the kept test arrives.
        history::HistoryStore up;
        QVERIFY(up.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("c.sqlite")), outbox));
        QCOMPARE(up.TestsOf(QStringLiteral("P-2")).size(), size_t(1));

        // Neither the database nor the outbox takes it: an error, and the dialog stays with the
        // typed fields for another try.
        dialogs.shown.clear();
        history::HistoryStore nowhere;
        QVERIFY(!nowhere.Open(QStringLiteral("sqlite:") + plain + QStringLiteral("/h.sqlite"), plain));
        FileTestDialog d(nowhere, dialogs, Finished());
        d.show();
        Form f{d};
        f.Id()->setEditText(QStringLiteral("P-3"));
        f.File();
        QCOMPARE(d.Results().back().status, FileResult::Failed);
        QVERIFY(d.isVisible());
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QCOMPARE(dialogs.shown[0].kind, test::ShownBox::Error);
        QVERIFY(dialogs.shown[0].text.startsWith(QStringLiteral("The test was not filed: ")));
        QCOMPARE(LastFiled().asset.id, QStringLiteral("P-2"));
    }
};

QTEST_MAIN(FileTestDialogTest)
#include "test_file_test_dialog.moc"
