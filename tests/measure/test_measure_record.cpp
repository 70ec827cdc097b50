// SPDX-License-Identifier: GPL-3.0-or-later
// What the measurement window keeps of a cycle on the simulated meter and the virtual clock: the
// recording file beside the live view, the line that says a recording stopped, and filing the
// finished cycle in the test history.
#include "app_windows.h"
#include "sim_fixture.h"

#include "core/judging/ieee43.h"
#include "history/history_store.h"
#include "ui/history/file_test_dialog.h"
#include "ui/history/history_window.h"
#include "ui/main_window.h"
#include "ui/measurement/measurement_window.h"
#include "ui/record/figures_panel.h"
#include "ui/record/reading_plot.h"
#include "ui/record/step_panel.h"
#include "ui/record/record_view.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QLineEdit>
#include <QtTest>

#include <cmath>
#include <functional>

using krx::test::MainWin;
using krx::test::MeasWin;
using namespace krx;
using krx::sim::Scenario;
using krx::test::AppWindows;
using krx::test::SimSetup;

namespace {

Scenario Stable()
{
    Scenario s = Scenario::Default();
    s.stabiliseSeconds = 0.6;
    return s;
}

QByteArray Settings(const QString& lines)
{
    return QByteArray("[KRX 738]\n") + lines.toUtf8() + '\n';
}

// The windows after Init, in the chosen mode; a cycle that never ends fails instead of hanging.
struct Program {
    explicit Program(const QByteArray& settings, bool timer) : t(Stable()), w({QStringLiteral("krx738")}, settings)
    {
        MainWin()->show();
        MainWin()->initButton->click();
        (timer ? MainWin()->timerMeasuringButton : MainWin()->measuringButton)->click();
        const double limit = t.clock.Seconds() + 3600;
        safety_.setInterval(0);
        QObject::connect(&safety_, &QTimer::timeout, [this, limit] {
            if (t.clock.Seconds() > limit && MeasWin()->Running) {
                QTest::qFail("the cycle did not end within an hour of meter time", __FILE__, __LINE__);
                MeasWin()->breakButton->click();
            }
        });
        safety_.start();
    }
    // A free-running cycle broken after `readings` recorded readings; a timer cycle of `seconds`.
    void Run(bool timer, int readings, int seconds = 5)
    {
        QTimer breaker;
        if (!timer) {
            breaker.setInterval(0);
            QObject::connect(&breaker, &QTimer::timeout, [&] {
                if (MeasWin()->Running && MeasWin()->Series().Size() >= size_t(readings))
                    MeasWin()->breakButton->click();
            });
            breaker.start();
        } else {
            MeasWin()->timerSlider->setValue(seconds);
        }
        MeasWin()->startButton->click();
    }
    SimSetup t;
    AppWindows w;

private:
    QTimer safety_;
};

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

QStringList LinesOf(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    if (!all.endsWith('\n'))
        return {QStringLiteral("<not ending in a whole line>")};
    return QString::fromUtf8(all).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

qsizetype Plotted()
{
    return MeasWin()->recordView->plot->Count();
}

}  // namespace

class MeasureRecordTest : public QObject {
    Q_OBJECT

private slots:
    void recordsEveryReadingShown_data();
    void recordsEveryReadingShown();
    void recordingOff();
    void unwritableFolder();
    void filesTheFinishedCycle();
    void historyFromTheMainWindow();
    void opensAnEarlierRecording();
    void timerSaysWhatItCannotGive();
};

void MeasureRecordTest::recordsEveryReadingShown_data()
{
    QTest::addColumn<bool>("timer");
    QTest::newRow("free-running") << false;
    QTest::newRow("timer") << true;
}

void MeasureRecordTest::recordsEveryReadingShown()
{
    QFETCH(bool, timer);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("not/yet/there"));
    Program p(Settings(QStringLiteral("RecordingDirectory=") + folder), timer);
    QVERIFY(!MeasWin()->fileTestButton->isEnabled());
    p.Run(timer, 7, 8);
    QVERIFY(!MeasWin()->Running);

    const QStringList files = FilesIn(folder);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^KRX738_%1_\\d{8}-\\d{6}\\.csv$")
                                    .arg(QRegularExpression::escape(p.w.Session().SerialNo)))
                 .match(files[0])
                 .hasMatch(),
             qPrintable(files[0]));
    const QStringList lines = LinesOf(QDir(folder).filePath(files[0]));
    QVERIFY(lines.size() >= 2);
    // The simulated meter's recording says so in its last column, in every line.
    QCOMPARE(lines[0], QStringLiteral("time,elapsed_s,resistance_ohm,range,voltage_v,temperature_c,humidity_pct,"
                                      "stable,rest_s,simulated"));
    for (const QString& line : lines.mid(1)) {
        QCOMPARE(line.count(QLatin1Char(',')), 9);
        QVERIFY(line.endsWith(QLatin1String(",1")));
    }
    // The view, the series and the file hold the same readings.
    const qsizetype readings = lines.size() - 1;
    QCOMPARE(Plotted(), readings);
    QCOMPARE(qsizetype(MeasWin()->Series().Size()), readings);
    if (timer) {
        QVERIFY(readings >= 6 && readings <= 9);  // one a second over 8 s
        QVERIFY(!lines.last().section(QLatin1Char(','), 8, 8).isEmpty());  // the rest time is in every line
    } else {
        QCOMPARE(readings, 7);
    }
    QVERIFY(MeasWin()->recordView->exportButton->isEnabled());
    QVERIFY(MeasWin()->recordingWarning->text().isEmpty());

    // The next Start forgets the last cycle's record before its first reading.
    qsizetype atFirstYield = -1;
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (atFirstYield < 0 && MeasWin()->Running) {
            atFirstYield = Plotted() + (MeasWin()->recordView->exportButton->isEnabled() ? 1000 : 0) +
                           (MeasWin()->fileTestButton->isEnabled() ? 1000 : 0);
            look.stop();
        }
    });
    look.start();
    p.Run(timer, 2, 3);
    QCOMPARE(atFirstYield, qsizetype(0));
    QCOMPARE(FilesIn(folder).size(), 2);
}

void MeasureRecordTest::recordingOff()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("rec"));
    for (const char* value : {"0", "1"}) {
        Program p(Settings(QStringLiteral("Recording=%1\nRecordingDirectory=%2").arg(QLatin1String(value), folder)),
                  false);
        p.Run(false, 3);
        QCOMPARE(Plotted(), qsizetype(3));
        QCOMPARE(FilesIn(folder).size(), value[0] == '0' ? 0 : 1);
        QCOMPARE(MeasWin()->recordView->exportButton->isEnabled(), value[0] != '0');
        QVERIFY(MeasWin()->recordingWarning->text().isEmpty());
    }
}

void MeasureRecordTest::unwritableFolder()
{
    QTemporaryDir dir;
    // A folder below a file cannot be made, whoever runs the test.
    const QString blocker = dir.filePath(QStringLiteral("a-file"));
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    Program p(Settings(QStringLiteral("RecordingDirectory=") + blocker + QStringLiteral("/rec")), false);
    QStringList warnings;
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        const QString text = MeasWin()->recordingWarning->text();
        if (!text.isEmpty() && (warnings.isEmpty() || warnings.last() != text))
            warnings << text;
    });
    look.start();
    p.Run(false, 5);
    look.stop();
    // Said once, on the window's line rather than in a box, and the readings went on.
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings[0].contains(QDir::toNativeSeparators(blocker)), qPrintable(warnings[0]));
    QVERIFY(p.t.dialogs.shown.empty());
    QCOMPARE(Plotted(), qsizetype(5));
    QVERIFY(!MeasWin()->recordView->exportButton->isEnabled());

    // Save works, and its comment becomes the report's.
    const QString saved = dir.filePath(QStringLiteral("log.csv"));
    p.t.dialogs.inputs = {QStringLiteral("motor 7; \"dry\"")};
    p.t.dialogs.saves = {saved};
    MeasWin()->saveButton->click();
    QCOMPARE(p.t.dialogs.Messages().size(), 1);
    QVERIFY(QFile::exists(saved));
    QCOMPARE(MeasWin()->recordView->Comment(), QStringLiteral("motor 7; \"dry\""));
}

void MeasureRecordTest::filesTheFinishedCycle()
{
    QTemporaryDir dir;
    Program p(Settings(QStringLiteral("RecordingDirectory=") + dir.path()), true);
    // A cycle broken before its first reading leaves nothing to file.
    QTimer early;
    early.setInterval(0);
    QObject::connect(&early, &QTimer::timeout, [&] {
        if (MeasWin()->Running) {
            early.stop();
            MeasWin()->breakButton->click();
        }
    });
    early.start();
    MeasWin()->startButton->click();
    QCOMPARE(MeasWin()->Series().Size(), size_t(0));
    QVERIFY(!MeasWin()->fileTestButton->isEnabled());

    p.Run(true, 0, 70);
    QVERIFY(MeasWin()->fileTestButton->isEnabled());
    const std::vector<DataRecord> series = MeasWin()->Series().All();
    const InsulationFigures figures = MeasWin()->Series().Figures(DarTimes::From30To60);
    QVERIFY(figures.dar);

    QVERIFY(test::FileUnder(MeasWin()->fileTestButton, QStringLiteral("M-7")));
    QVERIFY(!MeasWin()->fileTestButton->isEnabled());  // not twice

    history::HistoryStore& store = p.w.History();
    QVERIFY(store.IsOpen());
    const auto tests = store.TestsOf(QStringLiteral("M-7"));
    QCOMPARE(tests.size(), size_t(1));
    const auto filed = store.Test(tests[0].id);
    QVERIFY(filed);
    QCOMPARE(filed->kind, history::TestKind::Timer);
    QCOMPARE(filed->readings.size(), series.size());
    QCOMPARE(*filed->dar, *figures.dar);
    QCOMPARE(filed->meterSerial, p.w.Session().SerialNo);
    QVERIFY(!filed->darVerdict.isEmpty());
}

void MeasureRecordTest::historyFromTheMainWindow()
{
    QTemporaryDir dir;
    QVERIFY(QFile(dir.filePath(QStringLiteral("a-file"))).open(QIODevice::WriteOnly));
    // A database that cannot be opened: its message in the history window, and measuring unharmed.
    Program p(Settings(QStringLiteral("HistoryDatabase=sqlite:%1/a-file/h.sqlite\nRecordingDirectory=%1")
                           .arg(dir.path())),
              false);
    QVERIFY(!p.w.History().IsOpen());
    p.Run(false, 3);
    QCOMPARE(Plotted(), qsizetype(3));
    MeasWin()->backButton->click();
    QVERIFY(MainWin()->historyButton->isEnabled());
    const QRect before = MainWin()->exitButton->geometry();
    MainWin()->historyButton->click();
    QVERIFY(MainWin()->History() && MainWin()->History()->isVisible());
    bool said = false;
    for (QLabel* l : MainWin()->History()->findChildren<QLabel*>())
        said = said || l->text().startsWith(QStringLiteral("The history database cannot be opened"));
    QVERIFY(said);
    QCOMPARE(MainWin()->exitButton->geometry(), before);
    MainWin()->History()->hide();
}

void MeasureRecordTest::opensAnEarlierRecording()
{
    QTemporaryDir dir;
    // Eleven minutes recorded earlier, one reading every 5 s: enough for the PI.
    QByteArray earlier = ReadingHeader(DataFormat::Csv);
    QByteArray simulated = ReadingHeader(DataFormat::Csv, false, true);
    for (int t = 0; t <= 660; t += 5) {
        DataRecord r;
        r.time = QDateTime(QDate(2026, 3, 7), QTime(9, 0)).addSecs(t);
        r.elapsedSeconds = t;
        r.resistanceOhm = 4e10 - (4e10 - 2e8) * std::exp(-t / 90.0);
        r.volts = 500;
        r.stable = t > 0;
        r.temperature = 22.5;
        r.humidity = 45;
        earlier += ReadingLine(DataFormat::Csv, r);
        r.simulated = true;
        simulated += ReadingLine(DataFormat::Csv, r);
    }
    const QString good = dir.filePath(QStringLiteral("earlier.csv"));
    const QString cut = dir.filePath(QStringLiteral("cut.csv"));
    const QString marked = dir.filePath(QStringLiteral("simulated.csv"));
    for (const auto& [name, bytes] :
         {std::pair{good, earlier}, std::pair{cut, earlier.chopped(1)}, std::pair{marked, simulated}}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    Program p(Settings(QStringLiteral("RecordingDirectory=") + dir.filePath(QStringLiteral("rec"))), false);
    // Not while a cycle runs: the view is the cycle's.
    bool refusedWhileRunning = false;
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (MeasWin()->Running && !refusedWhileRunning)
            refusedWhileRunning = !MeasWin()->openRecordingButton->isEnabled() && !MeasWin()->OpenRecordingClicked();
    });
    look.start();
    p.Run(false, 4);
    look.stop();
    QVERIFY(refusedWhileRunning);
    QVERIFY(p.t.dialogs.shown.empty());
    QVERIFY(MeasWin()->openRecordingButton->isEnabled());

    // The finished cycle is not filed yet: asked before anything replaces it. Cancel changes nothing.
    const FiguresPanel& panel = *MeasWin()->recordView->figures;
    const QString piBefore = panel.Cell(6, 1)->text();
    QVERIFY(MeasWin()->fileTestButton->isEnabled());
    p.t.dialogs.opens = {good};
    p.t.dialogs.answers = {Answer::Cancel};
    MeasWin()->openRecordingButton->click();
    QCOMPARE(p.t.dialogs.shown.size(), size_t(2));
    QCOMPARE(p.t.dialogs.shown[1].buttons, Buttons::FileDiscardCancel);
    QCOMPARE(Plotted(), qsizetype(4));
    QVERIFY(MeasWin()->fileTestButton->isEnabled());

    // A cut-off file is refused with the line that shows it, after Discard; nothing shown changes
    // and the cycle can still be filed.
    p.t.dialogs.shown.clear();
    p.t.dialogs.opens = {cut};
    p.t.dialogs.answers = {Answer::Discard};
    MeasWin()->openRecordingButton->click();
    QCOMPARE(p.t.dialogs.shown.size(), size_t(3));
    QCOMPARE(p.t.dialogs.shown[0].kind, krx::test::ShownBox::Open);
    QCOMPARE(p.t.dialogs.shown[2].kind, krx::test::ShownBox::Error);
    QVERIFY2(p.t.dialogs.shown[2].text.contains(QStringLiteral("line 134")), qPrintable(p.t.dialogs.shown[2].text));
    QCOMPARE(Plotted(), qsizetype(4));
    QCOMPARE(panel.Cell(6, 1)->text(), piBefore);
    QVERIFY(MeasWin()->fileTestButton->isEnabled());
    QVERIFY(!MeasWin()->resistanceLabel->text().isEmpty());

    // File: the cycle goes into the history first; then the earlier test is shown, its readings
    // and figures judged with the nameplate the panel holds, and nothing live beside it.
    panel.ratedEdit->setText(QStringLiteral("6600"));
    panel.windingTypeBox->setCurrentIndex(panel.windingTypeBox->findData(int(WindingType::Form)));
    p.t.dialogs.opens = {good};
    p.t.dialogs.answers = {Answer::Ok};
    QVERIFY(test::FileUnder(MeasWin()->openRecordingButton, QStringLiteral("R-1")));
    const auto filed = p.w.History().TestsOf(QStringLiteral("R-1"));
    QCOMPARE(filed.size(), size_t(1));
    QCOMPARE(p.w.History().Test(filed[0].id)->readings.size(), size_t(4));  // the cycle, not the recording
    QCOMPARE(Plotted(), qsizetype(133));
    QCOMPARE(panel.Cell(6, 1)->text(), QStringLiteral("2.04"));
    QVERIFY2(panel.irVerdict->text().contains(QStringLiteral("meets")), qPrintable(panel.irVerdict->text()));
    QVERIFY(!MeasWin()->fileTestButton->isEnabled());
    QVERIFY(!MeasWin()->saveButton->isEnabled());
    for (QLabel* live : {MeasWin()->resistanceLabel, MeasWin()->voltageLabel, MeasWin()->temperatureLabel,
                         MeasWin()->humidityLabel})
        QVERIFY2(live->text().isEmpty(), qPrintable(live->text()));

    // Nothing left to file: the next recording opens without a question.
    p.t.dialogs.shown.clear();
    p.t.dialogs.opens = {good};
    MeasWin()->openRecordingButton->click();
    QCOMPARE(p.t.dialogs.shown.size(), size_t(1));
    // The mark comes from the file, not from the simulated meter this session talks to.
    QVERIFY(MeasWin()->recordingWarning->text().isEmpty());
    QVERIFY(!MeasWin()->recordView->ShowsSimulatedRecording());
    p.t.dialogs.opens = {marked};
    MeasWin()->openRecordingButton->click();
    QCOMPARE(Plotted(), qsizetype(133));
    QVERIFY(MeasWin()->recordView->ShowsSimulatedRecording());
    QCOMPARE(MeasWin()->recordingWarning->text(), QStringLiteral("Simulated meter"));

    // A step-voltage test's recording: its steps, change and verdict in place of the figures
    // (2 GΩ at 100 V, 1.2 GΩ at 500 V: a fall of 40 %), never a DAR across the voltages.
    QByteArray stepped = ReadingHeader(DataFormat::Csv, true);
    for (int step = 1; step <= 2; ++step)
        for (const double at : {10.0, 20.0, 29.5, 30.5}) {
            DataRecord r;
            r.elapsedSeconds = (step - 1) * 30.5 + at;
            r.time = QDateTime(QDate(2026, 3, 7), QTime(10, 0)).addMSecs(qint64(r.elapsedSeconds * 1000));
            r.resistanceOhm = step == 1 ? 2e9 : 1.2e9;
            r.volts = step == 1 ? 100 : 500;
            r.stable = true;
            r.temperature = 22.5;
            r.humidity = 45;
            r.step = step;
            stepped += ReadingLine(DataFormat::Csv, r);
        }
    const QString steps = dir.filePath(QStringLiteral("steps.csv"));
    QFile f(steps);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(stepped) == stepped.size());
    f.close();
    p.t.dialogs.opens = {steps};
    MeasWin()->openRecordingButton->click();
    QCOMPARE(p.t.dialogs.shown.size(), size_t(3));
    const StepPanel& stepPanel = *MeasWin()->recordView->steps;
    QVERIFY(stepPanel.isVisibleTo(MeasWin()->recordView));
    QCOMPARE(stepPanel.changeLine->text(), QStringLiteral("Change from 100 V to 500 V: -40.0 %"));
    QVERIFY2(stepPanel.verdictLine->text().contains(QStringLiteral("falls by more than 25 % between 100 V and 500 V")),
             qPrintable(stepPanel.verdictLine->text()));
}

void MeasureRecordTest::timerSaysWhatItCannotGive()
{
    // The core's words, under the timer before Start (which timer gives what is the core's table).
    Program p(Settings(QString()), true);
    QVERIFY(MeasWin()->timerShortfallLabel->isVisible());
    for (const int seconds : {59, 600}) {
        MeasWin()->timerSlider->setValue(seconds);
        QCOMPARE(MeasWin()->timerShortfallLabel->text(), TimerShortfallText(seconds));
    }
}

QTEST_MAIN(MeasureRecordTest)
#include "test_measure_record.moc"
