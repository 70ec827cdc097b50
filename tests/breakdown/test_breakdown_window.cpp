// SPDX-License-Identifier: GPL-3.0-or-later
// The break-down and break-off test in the special-functions window against the simulated meter,
// on the virtual clock: what the meter receives, what the memo reports and what the file holds.
#include "core/file_paths.h"
#include "app_windows.h"
#include "window_test_names.h"
#include "child.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "core/settings.h"
#include "core/breakdown_format.h"
#include "core/csv_appender.h"
#include "core/file_paths.h"
#include "core/localetext.h"
#include "ui/special_functions/special_functions_window.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>


namespace {

// Presses buttons at the test's yield points: each step waits until its condition holds, then acts.
// A test still running after 20 s (a step that never comes, a press without effect) ends the
// process instead of hanging the suite.
class Driver {
public:
    Driver()
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start();
        started_.start();
    }
    Driver& Then(std::function<bool()> when, std::function<void()> act)
    {
        steps_.push_back({std::move(when), std::move(act)});
        return *this;
    }
    int Left() const { return static_cast<int>(steps_.size()); }

private:
    struct Step {
        std::function<bool()> when;
        std::function<void()> act;
    };
    void Tick()
    {
        if (started_.elapsed() > 20000) {
            std::fprintf(stderr, "driver: stuck after %d of %d steps\n", done_, done_ + Left());
            std::abort();
        }
        if (busy_ || steps_.empty() || !steps_.front().when())
            return;
        ++done_;
        Step s = std::move(steps_.front());
        steps_.pop_front();
        busy_ = true;  // a handler's own message processing must not run the next step early
        s.act();
        busy_ = false;
    }
    QTimer timer_;
    QElapsedTimer started_;
    std::deque<Step> steps_;
    int done_ = 0;
    bool busy_ = false;
};

SpecialFunctionsWindow* F()
{
    return SpecialWin();
}

bool StartReads(const char* caption)
{
    return F()->startButton->isEnabled() && F()->startButton->text() == QLatin1String(caption);
}

L MemoLines()
{
    return F()->recordDisplay->toPlainText().split(QLatin1Char('\n'));
}

bool MemoHas(const char* line)
{
    return MemoLines().contains(QLatin1String(line));
}

void Click(QPushButton* b)
{
    b->click();
}

// The result hold: Save usable again and the meter told the result is ready.
bool InResultHold(SimSetup& t)
{
    return F()->saveButton->isEnabled() && t.meter().RemoteMode() == 35;
}

int Count(const std::vector<ShownBox>& shown, ShownBox::Kind kind)
{
    int n = 0;
    for (const ShownBox& b : shown)
        n += b.kind == kind ? 1 : 0;
    return n;
}

void OpenWindow(SimSetup& t)
{
    t.dialogs.echo = false;
    MainWin()->show();
    MainWin()->initButton->click();
    MainWin()->specialFunctionsButton->click();
    t.Take();
}

// D up to the break-down 13 s after the start: polls on whole seconds of the counter, new values
// once, then E2 with climate, values, acknowledge and one more event read.
const L kBreakDownPhase = {
    "0 open =1",    "0 IN 2 [00] =1",  // the countdown's read took this second's values
    "380 open =1",  "0 IN 2 [00] =1",  "1000 open =1", "0 IN 2 [01] =1", "20 open =1", "0 IN 7 " + kValuesBefore,
    "980 open =1",  "0 IN 2 [02] =1",  "100 IN 6 [34 35 32 32 2E 35] =6", "0 open =1", "0 IN 7 " + kValuesBD,
    "20 OUT 8 [02] =1", "20 open =1", "0 IN 2 [00] =1",
};
// J after a Stop: control 0, remote mode 30.
const L kCleanUp = {"0 OUT 8 [00] =1", "20 OUT 54 [1E] =1"};

const L kBreakDownBlock = {
    "---------------------------------", "BREAK DOWN !!", "Humidity    45 %", "Temperature 22.5 C",
    "Voltage   BD  1000 V", "R before  BD  1999 MOhm", "R after   BD  2147483 MOhm",
    "---------------------------------",
};
const L kReportToBreakDown = L{"Start Break-Down Measuring !", "---------------------------------",
                               "Volt Meas. 1000 V", "Resistance 1999 MOhm", "---------------------------------",
                               "Volt Meas. 1000 V", "Resistance 1999 MOhm", "---------------------------------"} +
                             kBreakDownBlock;

QByteArray ReadFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The file with the date and time of every result line replaced by D and T, after checking that
// they are today's short date and a long time.
QByteArray WithoutMoment(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    const QByteArray today = NumericDate(QDateTime::currentDateTime()).toLatin1();
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QList<QByteArray> fields = lines[i].split(';');
        if (fields.size() < 5)
            continue;
        if (fields[3] != today || !time.match(QString::fromLatin1(fields[4])).hasMatch())
            return "bad moment in: " + lines[i];
        fields[3] = "D";
        fields[4] = "T";
        lines[i] = fields.join(';');
    }
    return lines.join('\n');
}

const QByteArray kHeaderLine =
    "Type;Ser. No.;Sw.Ver.;Date;Time;Humi.(%);Temp.(GC);Cycle Time (Sec.);BDV (V);Meas.bev.(MOhm);"
    "Meas.aft.(MOhm);Meas. BD Off(MOhm);Timer BD Off(Sec.);Comment\r\n";

}  // namespace

class BreakDownWindowTest : public QObject {
    Q_OBJECT

private slots:
    void completeTestWithSaves();
    void breakDownThenNoBreakOffInTestMode();
    void noBreakDownWaitsForStop();
    void stopAfterCountdown();
    void stopWhileWaitingForBreakOffStart();
    void timerFieldsCheckedAtStart();
    void closingWindowEndsTest();
    void unreadableClimateEndsTestCleanly();
    void valuesReadFailingAtBreakDown();
    void meterFailuresAreSaid();
};

void BreakDownWindowTest::completeTestWithSaves()
{
    SimSetup t(BreakDownScenario());
    AppWindows w;
    OpenWindow(t);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("result.CSV"));
    t.dialogs.inputs = {QStringLiteral("first"), QStringLiteral("second \u00e9"), QStringLiteral("third")};
    t.dialogs.saves = {file, file, file};

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); },
           [] {
               // B: set-up shown, the meter's timers in the fields, everything else locked.
               QCOMPARE(F()->timersGroup->title(), QStringLiteral("Setup timers Break-Down/Break-Off resistance"));
               QVERIFY(F()->timersGroup->isVisible() && F()->breakDownTimerField->isVisible());
               QVERIFY(F()->breakOffTimerLabel->isVisible() && F()->rangeGroup->isHidden());
               QCOMPARE(F()->breakDownTimerField->text().trimmed(), QStringLiteral("30"));
               QCOMPARE(F()->breakOffTimerField->text().trimmed(), QStringLiteral("20"));
               QVERIFY(!F()->saveButton->isEnabled());
               for (QPushButton* b : {F()->readOhmMemoryButton, F()->readBreakDownMemoryButton, F()->eraseOhmMemoryButton,
                                      F()->eraseBreakDownMemoryButton, F()->breakDownButton, F()->mainMenuButton})
                   QVERIFY(!b->isEnabled());
               F()->recordDisplay->appendPlainText(QStringLiteral("left over"));  // Start clears it
               Click(F()->startButton);
           })
        .Then([] { return MemoHas("Start Break-Down Measuring !"); },
              [] {
                  QCOMPARE(F()->progressLabel->text(), QStringLiteral("Break-Down Measurement in progress !"));
                  QVERIFY(F()->progressBar->isVisible() && F()->progressLabel->isVisible());
                  QVERIFY(F()->breakDownTimerField->isHidden() && F()->breakDownTimerLabel->isHidden());
                  QCOMPARE(F()->timersGroup->title(), QStringLiteral("Break-Down/Break-Off resistance"));
                  QVERIFY(F()->stopButton->isEnabled() && !F()->startButton->isEnabled());
              })
        .Then([] { return F()->recordDisplay->toPlainText().count(QStringLiteral("Volt Meas.")) == 2; },
              [] {
                  // New values: the bar now counts towards the break-down timer.
                  QCOMPARE(F()->progressBar->maximum(), 30);
              })
        .Then([] { return StartReads("Start Break-Off"); },
              [&t] {
                  // F: the break-down result, Save usable, bar hidden.
                  QCOMPARE(F()->progressLabel->text(), QStringLiteral("Break-Down !"));
                  QCOMPARE(F()->timersGroup->title(), QStringLiteral("Break-Off resistance"));
                  QVERIFY(F()->progressBar->isHidden() && F()->breakOffTimerField->isHidden());
                  QVERIFY(F()->saveButton->isEnabled());
                  QCOMPARE(t.meter().RemoteMode(), 30);
                  Click(F()->saveButton);
              })
        .Then([&t] { return Count(t.dialogs.shown, ShownBox::Message) == 1; },
              [] { Click(F()->startButton); })
        .Then([] { return F()->progressLabel->text() == QLatin1String("Break-Off Measurement in progress !"); },
              [] {
                  QVERIFY(F()->progressBar->isVisible());
                  QCOMPARE(F()->progressBar->maximum(), 20);
                  QVERIFY(!F()->saveButton->isEnabled());
                  // Start for the break-off keeps the report.
                  QVERIFY(MemoHas("BREAK DOWN !!"));
              })
        .Then([&t] { return InResultHold(t); },
              [] {
                  QCOMPARE(F()->progressLabel->text(), QStringLiteral("Break-OFF !"));
                  QVERIFY(F()->progressBar->isHidden());
                  Click(F()->saveButton);
              })
        .Then([&t] { return Count(t.dialogs.shown, ShownBox::Save) == 2 && !F()->BreakDown().SaveRequested(); },
              [] { Click(F()->saveButton); })
        .Then([&t] { return Count(t.dialogs.shown, ShownBox::Save) == 3 && !F()->BreakDown().SaveRequested(); },
              [] { Click(F()->stopButton); });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    const L expected = kBreakDownSetUp + BreakDownStartLines() + kBreakDownPhase +
                       L{
                           "40 OUT 8 [20] =1",  // the pause after the save, then the one before the start
                           "1000 open =1", "0 IN 2 [00] =1", "1000 open =1", "0 IN 2 [00] =1",
                           "1000 open =1", "0 IN 2 [04] =1",
                           "5000 open =1", "0 IN 7 " + kValuesBO,  // "Wait 5 Sec."
                           "20 OUT 54 [23] =1",  // the result hold
                           "0 OUT 8 [40] =1",    // Stop
                       } +
                       kCleanUp;
    QCOMPARE(t.Take(), expected);
    QCOMPARE(t.meter().RemoteMode(), 30);

    QCOMPARE(MemoLines(), (kReportToBreakDown + L{
                                                   "Wait 5 Sec.",
                                                   "BREAK-OFF !!",
                                                   "Humidity    45 %",
                                                   "Temperature 22.5 C",
                                                   "Voltage   BD  1000 V",
                                                   "R before  BD  1999 MOhm",
                                                   "R after   BD  2147483 MOhm",
                                                   "R after   BO  250 MOhm",
                                                   "Timer     BO  3 Sec.",
                                               }));

    // One box: the save before the break-off; the two in the result hold say nothing.
    QCOMPARE(t.dialogs.Messages(), L{"|Save successfully!"});
    const ShownBox& input = t.dialogs.shown.front();
    QCOMPARE(input.kind, ShownBox::Input);
    QCOMPARE(input.title, QStringLiteral("Input dialog"));
    QCOMPARE(input.text, QStringLiteral("Input comment to the measurement"));
    const ShownBox& save = t.dialogs.shown[1];
    QCOMPARE(save.kind, ShownBox::Save);
    QCOMPARE(save.save.initialDir, DefaultDataDirectory());  // the first save opens in the start-up folder
    QCOMPARE(save.save.defaultSuffix, QStringLiteral("CSV"));
    QCOMPARE(save.save.filter,
             QStringLiteral("Comma-Separated Values (*.CSV);;Text files (*.txt);;All files (*.*)"));

    QCOMPARE(WithoutMoment(ReadFile(file)),
             kHeaderLine + "KRX 738;\xB4" "73800042;\xB4" "1.07;D;T;45;22.5;30;1000;1999;2147483;0;0;first\r\n"
                           "KRX 738;\xB4" "73800042;\xB4" "1.07;D;T;45;22.5;30;1000;1999;2147483;250;3;second \xE9\r\n"
                           "KRX 738;\xB4" "73800042;\xB4" "1.07;D;T;45;22.5;30;1000;1999;2147483;250;3;third\r\n");
    // The folder went to the settings file, and the later saves' dialogs open there.
    QVERIFY(ReadFile(w.SettingsPath()).contains("DataDirectory=" + DirectoryPart(file).toLocal8Bit()));
    QCOMPARE(TheSession().DataDirectory, DirectoryPart(file));
    const auto saves = std::count_if(t.dialogs.shown.begin(), t.dialogs.shown.end(),
                                     [](const ShownBox& b) { return b.kind == ShownBox::Save; });
    QCOMPARE(saves, 3);
    QCOMPARE(t.dialogs.shown.back().kind == ShownBox::Save ? t.dialogs.shown.back().save.initialDir
                                                           : DirectoryPart(file),
             DirectoryPart(file));

    // J: the window idle again, the report kept.
    QVERIFY(F()->timersGroup->isHidden() && F()->progressBar->isHidden());
    QCOMPARE(F()->progressBar->value(), 0);
    QCOMPARE(F()->progressLabel->text(), QString());
    QVERIFY(!F()->stopButton->isEnabled());
    QVERIFY(F()->breakDownButton->isEnabled() && F()->mainMenuButton->isEnabled() && F()->readOhmMemoryButton->isEnabled());
}

void BreakDownWindowTest::breakDownThenNoBreakOffInTestMode()
{
    sim::Scenario s = BreakDownScenario();
    s.breakOffAfter = -1;
    SimSetup t(s);
    AppWindows w({QStringLiteral("krx738"), QStringLiteral("T")});
    OpenWindow(t);

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); },
           [] {
               F()->breakOffTimerField->setText(QStringLiteral("3"));  // edited before the start
               Click(F()->startButton);
           })
        // Pressed at the very first yield after the break-down: the press must count.
        .Then([] { return StartReads("Start Break-Off"); }, [] { Click(F()->startButton); })
        .Then([&t] { return InResultHold(t); },
              [] {
                  QCOMPARE(F()->progressLabel->text(), QStringLiteral("No Break-OFF !"));
                  Click(F()->stopButton);
              });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    const L lines = t.Take();
    QCOMPARE(lines.mid(0, 12), kBreakDownSetUp + BreakDownStartLines("00 1E", "00 03"));
    QCOMPARE(lines.mid(12 + kBreakDownPhase.size()),
             (L{"20 OUT 8 [20] =1", "1000 open =1", "0 IN 2 [00] =1", "1000 open =1", "0 IN 2 [00] =1",
                "1000 open =1", "0 IN 2 [10] =1",  // the break-off timer ran out
                "0 open =1", "0 IN 7 " + kValuesBD, "20 OUT 54 [23] =1", "0 OUT 8 [40] =1"} +
              kCleanUp));

    // Each poll adds its event line in test mode: bit text, two blanks, the time.
    L events, offEvents, report;
    static const QRegularExpression bd(QStringLiteral("^Event from KRX : ([01]{4} [01]{4} )  \\d\\d:\\d\\d:\\d\\d$"));
    static const QRegularExpression bo(
        QStringLiteral("^Event from the KRX : ([01]{4} [01]{4} )  \\d\\d:\\d\\d:\\d\\d$"));
    for (const QString& line : MemoLines()) {
        if (const auto m = bd.match(line); m.hasMatch())
            events << m.captured(1);
        else if (const auto m2 = bo.match(line); m2.hasMatch())
            offEvents << m2.captured(1);
        else
            report << line;
    }
    QCOMPARE(events, (L{"0000 0000 ", "0000 0000 ", "0000 0001 ", "0000 0010 "}));
    QCOMPARE(offEvents, (L{"0000 0000 ", "0000 0000 ", "0001 0000 "}));
    QCOMPARE(report, (kReportToBreakDown + L{
                                              "NO BREAK-OFF !!",
                                              "Humidity    45 %",
                                              "Temperature 22.5 C",
                                              "Voltage   BD  1000 V",
                                              "R before  BD  1999 MOhm",
                                              "R after   BD  2147483 MOhm",
                                              "R after   BO  0 MOhm",
                                              "Timer     BO  0 Sec.",
                                          }));
    QVERIFY(t.dialogs.shown.empty());
}

void BreakDownWindowTest::noBreakDownWaitsForStop()
{
    sim::Scenario s = BreakDownScenario();
    s.breakDownAfter = -1;
    SimSetup t(s);
    AppWindows w;
    OpenWindow(t);

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); },
           [] {
               F()->breakDownTimerField->setText(QStringLiteral("13"));
               Click(F()->startButton);
           })
        .Then([] { return F()->progressLabel->text() == QLatin1String("No Break-Down !"); },
              [&t] {
                  QVERIFY(F()->progressBar->isHidden());
                  QVERIFY(!F()->saveButton->isEnabled());
                  Click(F()->saveButton);  // nothing to save
                  t.Take();
                  QTimer::singleShot(30, [&t] {
                      // The wait is for Stop alone: meanwhile no command and no meter time.
                      QVERIFY(t.Take().isEmpty());
                      QVERIFY(F()->BreakDownTestRunning());
                      Click(F()->stopButton);
                  });
              });
    F()->breakDownButton->click();

    QCOMPARE(t.Take(), (L{"0 OUT 8 [40] =1", "20 OUT 54 [23] =1"} + kCleanUp));
    QCOMPARE(MemoLines().mid(MemoLines().size() - 4),
             (L{"Resistance 1999 MOhm", "---------------------------------", "No Break-Down !",
                "---------------------------------"}));
    QVERIFY(t.dialogs.shown.empty());
}

void BreakDownWindowTest::stopAfterCountdown()
{
    SimSetup t(BreakDownScenario());
    AppWindows w;
    OpenWindow(t);

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->startButton); })
        .Then([] { return MemoHas("Volt Meas. 1000 V"); }, [] { Click(F()->stopButton); });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    // Stop acts at the first yield after the countdown; the iteration still waits for its second.
    QCOMPARE(t.Take(), (kBreakDownSetUp + BreakDownStartLines() +
                        L{"0 open =1", "0 IN 2 [00] =1", "0 OUT 8 [40] =1", "400 OUT 54 [23] =1"} + kCleanUp));
    QCOMPARE(MemoLines().last(), QStringLiteral("---------------------------------"));
    QVERIFY(!MemoHas("BREAK DOWN !!"));
}

void BreakDownWindowTest::stopWhileWaitingForBreakOffStart()
{
    SimSetup t(BreakDownScenario());
    AppWindows w;
    OpenWindow(t);
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/result.CSV"));
    const QString full = dir.filePath(QStringLiteral("full.CSV"));
    t.dialogs.inputs = {std::nullopt, QStringLiteral("c"), QStringLiteral("d")};
    t.dialogs.saves = {missing, full};

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->startButton); })
        .Then([] { return StartReads("Start Break-Off"); }, [] { Click(F()->saveButton); })  // comment cancelled
        .Then([&t] { return t.dialogs.shown.size() == 1 && !F()->BreakDown().SaveRequested(); },
              [] { Click(F()->saveButton); })  // a folder that is not there
        .Then([&t] { return t.dialogs.shown.size() == 4 && !F()->BreakDown().SaveRequested(); },
              [] {
                  SetWriteLimitForTesting(5);  // a disk that takes five bytes and no more
                  Click(F()->saveButton);
              })
        .Then([&t] { return t.dialogs.shown.size() == 7 && !F()->BreakDown().SaveRequested(); },
              [] {
                  SetWriteLimitForTesting(-1);
                  Click(F()->stopButton);
              });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    QCOMPARE(t.Take(),
             (kBreakDownSetUp + BreakDownStartLines() + kBreakDownPhase +
              // Stop after the two saves' pauses; back in the break-down phase the iteration still
              // ends on the next whole second of the counter.
              L{"60 OUT 8 [40] =1", "820 OUT 54 [23] =1"} + kCleanUp));
    QCOMPARE(MemoLines(), kReportToBreakDown);
    // A failed save is never confirmed; a short write is said, and leaves no file behind.
    const L messages = t.dialogs.Messages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0], "Error|Can't create file : " + missing + "\nNo such file or directory");
    QVERIFY2(messages[1].startsWith("|The result could not be written to \"" + full + "\"; nothing was added."),
             qPrintable(messages[1]));
    QVERIFY(!QFile::exists(missing) && !QFile::exists(full));
}

void BreakDownWindowTest::timerFieldsCheckedAtStart()
{
    SimSetup t(BreakDownScenario());
    AppWindows w;
    OpenWindow(t);

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); },
           [] {
               F()->breakDownTimerField->setText(QStringLiteral("    "));
               Click(F()->startButton);
           })
        .Then([] { return StartReads("Start Break-Down"); },
              [&t] {
                  // Still in the set-up, nothing sent to the meter, ready for the next Start.
                  QCOMPARE(t.dialogs.Messages().size(), 1);
                  QCOMPARE(F()->timersGroup->title(),
                           QStringLiteral("Setup timers Break-Down/Break-Off resistance"));
                  QVERIFY(F()->breakDownTimerField->isVisible());
                  F()->breakDownTimerField->setText(QStringLiteral("12"));
                  F()->breakOffTimerField->setText(QStringLiteral("-5"));
                  Click(F()->startButton);
              })
        .Then([] { return StartReads("Start Break-Down"); },
              [] {
                  F()->breakOffTimerField->setText(QStringLiteral("7"));
                  Click(F()->startButton);
              })
        .Then([] { return MemoHas("Volt Meas. 1000 V"); }, [] { Click(F()->stopButton); });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    QCOMPARE(t.dialogs.Messages(),
             (L{"Error|BD Timer (Sec.): \"\" is not a timer. Enter whole seconds from 1 to 9999.",
                "Error|BO Timer (Sec.): \"-5\" is not a timer. Enter whole seconds from 1 to 9999."}));
    const L lines = t.Take();
    QCOMPARE(lines.mid(0, 6), (kBreakDownSetUp + L{"0 OUT 49 [00 0C] =2", "80 OUT 50 [00 07] =2"}));
    QCOMPARE(t.meter().Timer(1), 12);
    QCOMPARE(t.meter().Timer(2), 7);

    // Stop before the start leaves the set-up cleanly.
    Driver d2;
    d2.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->stopButton); });
    F()->breakDownButton->click();
    QCOMPARE(d2.Left(), 0);
    QCOMPARE(t.Take(), (L{"20 IN 48 [00 3C] =2", "20 IN 49 [00 0C] =2", "20 IN 50 [00 07] =2", "20 OUT 54 [1E] =1",
                          "0 OUT 8 [40] =1"} +
                        kCleanUp));
    QVERIFY(F()->timersGroup->isHidden());
    QVERIFY(F()->mainMenuButton->isEnabled());
}

void BreakDownWindowTest::closingWindowEndsTest()
{
    SimSetup t(BreakDownScenario());
    AppWindows w;
    OpenWindow(t);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("closed.CSV"));
    t.dialogs.answers = {Answer::Ok};
    t.dialogs.inputs = {QStringLiteral("kept")};
    t.dialogs.saves = {file};
    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->startButton); })
        .Then([] { return StartReads("Start Break-Off"); },
              [] {
                  QVERIFY(!F()->close());  // refused while the test runs, and said at once
                  QVERIFY(F()->isVisible());
                  QCOMPARE(F()->windowTitle(), QString::fromUtf8(SpecialFunctionsWindow::kStoppingTitle));
              });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    // The result of the break-down is offered before the window goes, and saved when wanted.
    QCOMPARE(t.dialogs.shown.front().text, QStringLiteral("Save the break-down result before the window closes?"));
    QCOMPARE(t.dialogs.Messages().back(), QStringLiteral("|Save successfully!"));
    QVERIFY(ReadFile(file).contains(";1999;2147483;0;0;kept\r\n"));

    // The close acts as Stop, the test cleans up, then the window closes (remote mode 3).
    const L lines = t.Take();
    QCOMPARE(lines.mid(lines.size() - 5), (L{"0 OUT 8 [40] =1", "880 OUT 54 [23] =1"} + kCleanUp +
                                           L{"20 OUT 54 [03] =1"}));
    QVERIFY(F()->isHidden() && MainWin()->isVisible());
    QVERIFY(!F()->BreakDownTestRunning());
    QCOMPARE(t.meter().RemoteMode(), 3);
    QCOMPARE(F()->windowTitle(), QStringLiteral("Special function"));
}

void BreakDownWindowTest::unreadableClimateEndsTestCleanly()
{
    sim::Scenario s = BreakDownScenario();
    Fault garbage;
    garbage.kind = Fault::Garbage;
    garbage.command = 6;
    s.faults.push_back(garbage);
    SimSetup t(s);
    AppWindows w;
    OpenWindow(t);

    Driver d;
    d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->startButton); });
    F()->breakDownButton->click();
    QCOMPARE(d.Left(), 0);

    // The error is shown and the meter is left as after a Stop, the window ready for a new test.
    QCOMPARE(t.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(t.dialogs.shown[0].kind, ShownBox::Error);
    const L lines = t.Take();
    QCOMPARE(lines.mid(lines.size() - 5),
             (L{"980 open =1", "0 IN 2 [02] =1", "100 IN 6 [3F 3F 3F 3F 3F 3F] =6"} + kCleanUp));
    QVERIFY(F()->timersGroup->isHidden() && !F()->BreakDownTestRunning());
    QVERIFY(F()->breakDownButton->isEnabled() && F()->mainMenuButton->isEnabled());
    QVERIFY(!MemoHas("BREAK DOWN !!"));
}

void BreakDownWindowTest::valuesReadFailingAtBreakDown()
{
    const test::ChildResult r = test::RunInChild([] {
        SimSetup t(BreakDownScenario());
        AppWindows w;
        OpenWindow(t);
        // Nothing may paint here: the raster engine's helper threads did not survive the fork.
        MainWin()->hide();
        F()->hide();
        t.dialogs.echo = true;
        Driver d;
        d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->startButton); })
            .Then(
                [] {
                    // The poll that reported the break-down: the next IN 7 is the one at its end.
                    const auto& records = TheTransferLog().Records();
                    return !records.empty() && records.back().value == 2 && !records.back().data.isEmpty() &&
                           (records.back().data[0] & 0x02);
                },
                [&t] {
                    Fault f;
                    f.kind = Fault::Fail;
                    f.command = 7;
                    f.direction = 1;
                    f.code = kUsbErrorNoDevice;
                    t.sim->Inject(f);
                });
        F()->breakDownButton->click();
    });
    QVERIFY(r.exited);
    QCOMPARE(r.status, test::ExitStatusOf(kUsbErrorNoDevice));
    QVERIFY2(r.output.find("title=[!! Error Nr.: -4 occurred ] "
                           "text=[Connection to the KRX 738 interrupted. Program is terminated.]") != std::string::npos,
             r.output.c_str());
}

void BreakDownWindowTest::meterFailuresAreSaid()
{
    SimSetup t(BreakDownScenario());
    AppWindows w;
    OpenWindow(t);
    const QString lost = QStringLiteral("Error|The KRX 738 did not take the command (error %1), so the test may not "
                                        "be running at the meter. Press Stop, check the connection and start the "
                                        "test again.");
    const QString silent = QStringLiteral("Error|The KRX 738 does not answer (error -1). The test goes on when it "
                                          "answers again; press Stop to end it. If the meter still shows a test "
                                          "running, stop it at the meter.");

    // Plugged out and in again since the last command: the timers are read over a new connection
    // instead of showing 0. The start command is lost: said, and the test waits for Stop.
    t.meter().SetPresent(false);
    t.meter().SetPresent(true);
    t.sim->Inject(Fault{Fault::Fail, 0, 8, 2});
    {
        Driver d;
        d.Then([] { return StartReads("Start Break-Down"); },
               [] {
                   QCOMPARE(F()->breakDownTimerField->text().trimmed(), QStringLiteral("30"));
                   Click(F()->startButton);
               })
            .Then([&t] { return !t.dialogs.shown.empty(); }, [] { Click(F()->stopButton); });
        F()->breakDownButton->click();
        QCOMPARE(d.Left(), 0);
    }
    QCOMPARE(t.Take().mid(0, 5), (L{"20 IN 48 len=2 [] =-4", "0 open =1"} + kBreakDownSetUp.mid(0, 3)));
    QCOMPARE(t.dialogs.Messages(), L{lost.arg(-1)});

    // Three polls in a row unanswered: said once; the test carries on when the meter answers.
    // The acknowledgement of the break-down is lost: said, as the meter would take the break-off
    // start for a new break-down. The reset of the clean-up is lost as well: the next test sends
    // it first.
    t.dialogs.shown.clear();
    t.sim->Inject(Fault{Fault::Fail, 1, 2, 1, 3});
    t.sim->Inject(Fault{Fault::Fail, 1, 8, 2});
    t.sim->Inject(Fault{Fault::Fail, 3, 8, 2});
    {
        Driver d;
        d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->startButton); })
            .Then([] { return StartReads("Start Break-Off"); }, [] { Click(F()->stopButton); });
        F()->breakDownButton->click();
        QCOMPARE(d.Left(), 0);
    }
    QVERIFY(MemoHas("BREAK DOWN !!"));
    QCOMPARE(t.dialogs.Messages(), (L{silent, lost.arg(-1)}));
    t.Take();
    {
        Driver d;
        d.Then([] { return StartReads("Start Break-Down"); }, [] { Click(F()->stopButton); });
        F()->breakDownButton->click();
    }
    QCOMPARE(t.Take().mid(0, 5), (kBreakDownSetUp.mid(0, 3) + L{"0 OUT 8 [00] =1", kBreakDownSetUp[3]}));
    QCOMPARE(t.meter().RemoteMode(), 30);
}

QTEST_MAIN(BreakDownWindowTest)
#include "test_breakdown_window.moc"
