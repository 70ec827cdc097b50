// SPDX-License-Identifier: GPL-3.0-or-later
// Save of the measurement window: the measurement log's bytes, the dialogs and their answers, the
// settings write, and every way a save can fail without a success message.
#include "app_windows.h"
#include "window_test_names.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "core/csv_appender.h"
#include "core/language.h"
#include "core/localetext.h"
#include "ui/measurement/measurement_window.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using krx::sim::Scenario;

namespace {

const QByteArray kHeader =
    "Type;Ser. No.;Date;Time;Sw.Ver.;Resis.(Ohm);Humi.(%);Temp.(GC);Volt (V);Overf.;Timer(Sec);MeasCalc;Comment\r\n";

QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

// The windows after Init, the settings file naming a start-up folder.
struct Program {
    explicit Program(Scenario s)
        : t(std::move(s)), w({QStringLiteral("krx738")}, QByteArray("[KRX 738]\r\nDataDirectory=/start/folder/\r\n"))
    {
        MainWin()->show();
        MainWin()->initButton->click();
    }
    // One free-running cycle ended by Break after its first reading.
    void Measure()
    {
        MainWin()->measuringButton->click();
        QTimer breakAfterReading;
        breakAfterReading.setInterval(0);
        QObject::connect(&breakAfterReading, &QTimer::timeout, [&] {
            if (!MeasWin()->LastReading.resistance.isEmpty()) {
                breakAfterReading.stop();
                MeasWin()->breakButton->click();
            }
        });
        breakAfterReading.start();
        MeasWin()->startButton->click();
        t.Take();
    }
    // Presses Save with a comment and a file name (nullopt: cancel that dialog).
    void Save(std::optional<QString> comment, std::optional<QString> file = std::nullopt)
    {
        t.dialogs.shown.clear();
        t.dialogs.inputs = {comment};
        t.dialogs.saves = {file};
        before = QDateTime::currentDateTime();
        MeasWin()->saveButton->click();
        after = QDateTime::currentDateTime();
    }
    // The date and time the save put into the record are those of the save.
    bool StampedDuringSave() const
    {
        const MeasurementRecord& r = MeasWin()->LastReading;
        return (r.date == NumericDate(before) && r.time == LongTime(before)) ||
               (r.date == NumericDate(after) && r.time == LongTime(after));
    }
    QByteArray Settings() const { return Read(w.SettingsPath()); }

    SimSetup t;
    AppWindows w;
    QDateTime before, after;
};

Scenario Steady()
{
    Scenario s = Scenario::Default();
    s.r0 = s.rInf = 1.23e6;
    s.stabiliseSeconds = 0.5;
    return s;
}

}  // namespace

class MeasureExportTest : public QObject {
    Q_OBJECT

private slots:
    void newFileThenAppend();
    void cancelPaths();
    void fileCannotBeCreatedOrOpened();
    void shortWritesLeaveNoHalfLine();
    void saveBeforeAnyReading();
    void sameBytesInEveryLanguage();
};

void MeasureExportTest::newFileThenAppend()
{
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.CSV"));
    Program p(Steady());
    p.Measure();

    p.Save(QStringLiteral("caf\u00e9 \u20ac 5 \u00b0C"), name);
    QCOMPARE(p.t.dialogs.Messages(), L{"Finished|Save successfully!"});
    // The comment dialog, then the save dialog in the start-up folder.
    QCOMPARE(p.t.dialogs.shown.size(), size_t(3));
    QCOMPARE(p.t.dialogs.shown[0].kind, ShownBox::Input);
    QCOMPARE(p.t.dialogs.shown[0].title, QStringLiteral("Input dialog"));
    QCOMPARE(p.t.dialogs.shown[0].text, QStringLiteral("Input comment to the measurement"));
    QCOMPARE(p.t.dialogs.shown[1].kind, ShownBox::Save);
    const SaveFileRequest& req = p.t.dialogs.shown[1].save;
    QCOMPARE(req.initialDir, QStringLiteral("/start/folder/"));
    QCOMPARE(req.defaultSuffix, QStringLiteral("CSV"));
    QCOMPARE(req.filter, QStringLiteral("Comma-Separated Values (*.CSV);;Text files (*.txt);;All files (*.*)"));
    QVERIFY(p.StampedDuringSave());
    const MeasurementRecord first = MeasWin()->LastReading;
    const QByteArray line1 = "KRX 738;`73800042;" + first.date.toLatin1() + ';' + first.time.toLatin1() +
                             ";`1.07;1,23E+06;45;22,5;500;0;0;;caf\xE9 \x80 5 \xB0" "C\r\n";
    QCOMPARE(Read(name), kHeader + line1);
    QVERIFY(QRegularExpression("^\\d\\d?\\.\\d\\d?\\.\\d\\d\\d\\d$").match(first.date).hasMatch());
    QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(first.time).hasMatch());
    // The chosen folder goes to the settings file, and the next save dialog of this run opens there.
    QCOMPARE(p.Settings(), "[KRX 738]\r\nDataDirectory=" + QDir(dir.path()).path().toUtf8() + "/\r\n");
    QCOMPARE(TheSession().DataDirectory, QDir(dir.path()).path() + QLatin1Char('/'));

    // A second save appends without a header; an empty comment is a comment too.
    p.Save(QString(), name);
    QCOMPARE(p.t.dialogs.Messages(), L{"Finished|Save successfully!"});
    QCOMPARE(p.t.dialogs.shown[1].save.initialDir, QDir(dir.path()).path() + QLatin1Char('/'));
    const MeasurementRecord& second = MeasWin()->LastReading;
    const QByteArray line2 = "KRX 738;`73800042;" + second.date.toLatin1() + ';' + second.time.toLatin1() +
                             ";`1.07;1,23E+06;45;22,5;500;0;0;;\r\n";
    QCOMPARE(Read(name), kHeader + line1 + line2);

    // A comment with ";" and quotes is one quoted field; characters outside the code page are said.
    p.Save(QStringLiteral("a;\"b\" \u4e2d \U0001F600"), name);
    QCOMPARE(p.t.dialogs.Messages(), L{"Finished|Save successfully!\n\nThese characters are not in the file's "
                                       "character set (Windows-1252) and were written as \"?\": \u4e2d \U0001F600"});
    QVERIFY(Read(name).endsWith(";0;0;;\"a;\"\"b\"\" ? ?\"\r\n"));
    p.Save(QStringLiteral("plain"), name);
    QCOMPARE(p.t.dialogs.Messages(), L{"Finished|Save successfully!"});
    QVERIFY(Read(name).endsWith(";0;0;;plain\r\n"));
    // Saving never talks to the meter.
    QVERIFY(p.t.Take().isEmpty());
}

void MeasureExportTest::cancelPaths()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.csv"));
    Program p(Steady());
    p.Measure();
    const MeasurementRecord reading = MeasWin()->LastReading;
    const QByteArray settings = p.Settings();

    // Comment cancelled: nothing else is asked, nothing changes.
    p.Save(std::nullopt, name);
    QCOMPARE(p.t.dialogs.shown.size(), size_t(1));
    QCOMPARE(MeasWin()->LastReading.date, reading.date);
    QCOMPARE(MeasWin()->LastReading.comment, QString());
    QCOMPARE(MeasWin()->SaveMeasurement(), int(MeasurementWindow::SaveCommentCancelled));

    // File dialog cancelled: the record already carries the save's moment and comment.
    p.Save(QStringLiteral("kept"), std::nullopt);
    QCOMPARE(p.t.dialogs.shown.size(), size_t(2));
    QCOMPARE(p.t.dialogs.shown[1].kind, ShownBox::Save);
    QVERIFY(p.StampedDuringSave());
    QCOMPARE(MeasWin()->LastReading.comment, QStringLiteral("kept"));
    QCOMPARE(MeasWin()->LastReading.resistance, reading.resistance);
    p.t.dialogs.inputs = {QStringLiteral("x")};
    QCOMPARE(MeasWin()->SaveMeasurement(), int(MeasurementWindow::SaveDialogCancelled));

    QVERIFY(!QFile::exists(name));
    QCOMPARE(p.Settings(), settings);
}

void MeasureExportTest::fileCannotBeCreatedOrOpened()
{
    QTemporaryDir dir;
    Program p(Steady());
    p.Measure();

    // A folder that does not exist: the file cannot be created.
    const QString gone = dir.filePath(QStringLiteral("no/such/log.csv"));
    const QByteArray settingsBefore = p.Settings();
    p.Save(QStringLiteral("c"), gone);
    // The message as ever, with the system's reason below it; the folder that failed is not
    // remembered, and the comment is offered again at the next try.
    QCOMPARE(p.t.dialogs.Messages(), L{"Error|Can't create file : " + QDir::toNativeSeparators(gone) +
                                       "\nNo such file or directory"});
    QCOMPARE(p.t.dialogs.shown.back().buttons, Buttons::Ok);
    QVERIFY(!QFile::exists(gone));
    QCOMPARE(p.Settings(), settingsBefore);
    QVERIFY(!TheSession().DataDirectory.contains(QStringLiteral("no/such")));
    p.t.dialogs.inputs = {std::nullopt};
    p.t.dialogs.shown.clear();
    QCOMPARE(MeasWin()->SaveMeasurement(), int(MeasurementWindow::SaveCommentCancelled));
    QCOMPARE(p.t.dialogs.shown[0].value, QStringLiteral("c"));
    p.t.dialogs.inputs = {QStringLiteral("c")};
    p.t.dialogs.saves = {gone};
    QCOMPARE(MeasWin()->SaveMeasurement(), int(MeasurementWindow::SaveCannotCreate));

    // A name that exists but cannot be opened for writing (here a folder, which no user may write as
    // a file): a clear error, nothing written, no success.
    const QString folder = dir.filePath(QStringLiteral("taken.csv"));
    QVERIFY(QDir().mkpath(folder));
    p.Save(QStringLiteral("c"), folder);
    QCOMPARE(p.t.dialogs.shown.size(), size_t(3));
    QCOMPARE(p.t.dialogs.shown[2].kind, ShownBox::Error);
    QVERIFY2(p.t.dialogs.shown[2].text.startsWith("Cannot open file \"" + QDir::toNativeSeparators(folder) +
                                                  "\" for writing"),
             qPrintable(p.t.dialogs.shown[2].text));
    QVERIFY(p.t.dialogs.shown[2].text.endsWith(QStringLiteral("The reading was not saved.")));
    QVERIFY(QFileInfo(folder).isDir());
}

void MeasureExportTest::shortWritesLeaveNoHalfLine()
{
    struct WriteLimit {
        explicit WriteLimit(qint64 n) { SetWriteLimitForTesting(n); }
        ~WriteLimit() { SetWriteLimitForTesting(-1); }
    };
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.csv"));
    Program p(Steady());
    p.Measure();
    p.Save(QStringLiteral("one"), name);
    const QByteArray saved = Read(name);
    QCOMPARE(saved.count('\n'), 2);

    {
        WriteLimit limit(20);
        p.Save(QStringLiteral("two"), name);
        QCOMPARE(p.t.dialogs.shown.size(), size_t(3));
        QCOMPARE(p.t.dialogs.shown[2].kind, ShownBox::Error);
        QCOMPARE(p.t.dialogs.shown[2].text, "Could not write to file \"" + QDir::toNativeSeparators(name) +
                                                "\". The reading was not saved.");
        p.t.dialogs.inputs = {QStringLiteral("two")};
        p.t.dialogs.saves = {name};
        QCOMPARE(MeasWin()->SaveMeasurement(), int(MeasurementWindow::SaveRecordShort));
    }
    QCOMPARE(Read(name), saved);

    // A new file whose header is written short is not left behind.
    const QString fresh = dir.filePath(QStringLiteral("fresh.csv"));
    {
        WriteLimit limit(20);
        p.Save(QStringLiteral("three"), fresh);
        QCOMPARE(p.t.dialogs.shown.size(), size_t(3));
        QCOMPARE(p.t.dialogs.shown[2].kind, ShownBox::Error);
        p.t.dialogs.inputs = {QStringLiteral("three")};
        p.t.dialogs.saves = {fresh};
        QCOMPARE(MeasWin()->SaveMeasurement(), int(MeasurementWindow::SaveHeaderShort));
    }
    QVERIFY(!QFile::exists(fresh));
}

void MeasureExportTest::saveBeforeAnyReading()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.txt"));
    Program p(Steady());
    // "Measuring with timer" leaves Save enabled; nothing has been measured in this run.
    MainWin()->timerMeasuringButton->click();
    QVERIFY(MeasWin()->saveButton->isEnabled());
    // Save writes nothing and says why: no comment asked, no file dialog, no file, no "saved".
    const QByteArray settings = p.Settings();
    p.Save(QStringLiteral("empty;row"), name);
    QCOMPARE(p.t.dialogs.Messages(), L{"Save|No reading to save yet: start a measurement first."});
    QCOMPARE(p.t.dialogs.shown.size(), size_t(1));
    QVERIFY(!QFile::exists(name));
    QCOMPARE(p.Settings(), settings);

    // After one reading, Save saves.
    p.t.dialogs.shown.clear();
    MeasWin()->backButton->click();
    p.Measure();
    p.Save(QStringLiteral("one"), name);
    QCOMPARE(p.t.dialogs.Messages(), L{"Finished|Save successfully!"});
    QCOMPARE(Read(name).count("\r\n"), 2);
}

// The file is the same whatever language the windows speak: a German run appends to an English
// one's file, and the two records differ only in the save's date and time and the typed comment.
void MeasureExportTest::sameBytesInEveryLanguage()
{
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.CSV"));
    const QString recordings = dir.filePath(QStringLiteral("recordings"));
    const struct {
        krx::Language language;
        QString comment;
        QString finished;  // the message after the save, in the window's language
    } runs[] = {{krx::Language::English, QStringLiteral("first"), QStringLiteral("Finished|Save successfully!")},
                {krx::Language::German, QStringLiteral("zweite"), QStringLiteral("Fertig|Erfolgreich gespeichert!")}};
    for (const auto& run : runs) {
        QVERIFY(krx::UseLanguage(run.language).isEmpty());
        Program p(Steady());
        p.Measure();
        p.Save(run.comment, name);
        QCOMPARE(p.t.dialogs.Messages(), QStringList{run.finished});
    }
    krx::UseLanguage(krx::Language::English);
    const QList<QByteArray> lines = Read(name).split('\n');
    QCOMPARE(lines.size(), 4);  // the header once, two records, nothing after the last CR LF
    QCOMPARE(lines[0] + '\n', kHeader);
    const auto kept = [](const QByteArray& line) {
        QList<QByteArray> fields = line.split(';');
        fields[2] = fields[3] = fields.back() = QByteArray();  // date, time, comment
        return fields;
    };
    QCOMPARE(lines[1].split(';').back(), QByteArray("first\r"));
    QCOMPARE(lines[2].split(';').back(), QByteArray("zweite\r"));
    QCOMPARE(kept(lines[2]), kept(lines[1]));
}

QTEST_MAIN(MeasureExportTest)
#include "test_measure_export.moc"
