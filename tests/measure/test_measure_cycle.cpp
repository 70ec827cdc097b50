// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement cycle against the simulated meter on the virtual clock: the transfers and pauses
// of Start, the stabilisation wait, the reading loop, Break and the timer's end, what the window
// shows, and the paths that end the program.
#include "app_windows.h"
#include "window_test_names.h"
#include "child.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "ui/controls.h"
#include "device/transfer_log.h"
#include "ui/measurement/measurement_window.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using krx::sim::Scenario;

namespace {

// A meter whose resistance stays at `ohm` and whose voltage is stable after 0.6 s.
Scenario Steady(double ohm = 1.23e6)
{
    Scenario s = Scenario::Default();
    s.r0 = s.rInf = ohm;
    s.stabiliseSeconds = 0.6;
    return s;
}

// The windows after Init against the meter, with the transfer log cleared.
struct Program {
    explicit Program(Scenario s = Steady(), const QStringList& parameters = {QStringLiteral("krx738")},
                     const QByteArray& settings = QByteArray())
        : t(std::move(s)), w(parameters, settings)
    {
        MainWin()->show();
        MainWin()->initButton->click();
        t.Take();
        // A test whose Break never comes fails instead of hanging.
        const double limit = t.clock.Seconds() + 7200;
        safety_.setInterval(0);
        QObject::connect(&safety_, &QTimer::timeout, [this, limit] {
            if (t.clock.Seconds() > limit && MeasWin()->Running) {
                QTest::qFail("the cycle did not end within two hours of meter time", __FILE__, __LINE__);
                MeasWin()->breakButton->click();
            }
        });
        safety_.start();
    }
    SimSetup t;
    AppWindows w;

private:
    QTimer safety_;
};

int CountIn(int command)
{
    int n = 0;
    for (const auto& r : TheTransferLog().Records())
        n += r.kind == TransferRecord::In && r.value == command;
    return n;
}

// Looks at every point where the cycle processes messages; with `when`, acts once when it holds.
class AtYield {
public:
    AtYield(std::function<bool()> when, std::function<void()> action)
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this, when = std::move(when), action = std::move(action)] {
            if (!when())
                return;
            timer_.stop();
            action();
        });
        timer_.start();
    }
    explicit AtYield(std::function<void()> look) : AtYield([look = std::move(look)] { return look(), false; }, {}) {}
    bool Fired() const { return !timer_.isActive(); }

private:
    QTimer timer_;
};

void PressBreak()
{
    MeasWin()->breakButton->click();
}

bool Red()
{
    return MeasWin()->resistanceLabel->palette().color(QPalette::WindowText) == QColor(Qt::red);
}

bool ButtonsBack()
{
    return MeasWin()->startButton->isEnabled() && MeasWin()->saveButton->isEnabled() &&
           MeasWin()->backButton->isEnabled() && MeasWin()->breakButton->isEnabled();
}

// Setup write of the window's options (500 V manual, technical, average unless told otherwise).
L SetupLines(const QString& bytes = QStringLiteral("08 00"), const QString& before = QStringLiteral("08 00"))
{
    return {"20 open =1", "20 IN 53 [" + before + "] =2", "20 OUT 53 [" + bytes + "] =2",
            "20 OUT 53 [" + bytes + "] =2", "20 OUT 37 [10] =1"};
}

// One reading of the free-running loop at 500 V, 1.23 MOhm, 45 %, 22.5 C; `wait` ms before it.
L ReadingLines(int wait)
{
    return {QString::number(wait) + " open =1", "20 IN 1 [24] =1", "40 IN 0 [31 2E 32 33 20 36] =6", "20 open =1",
            "20 IN 1 [24] =1", "20 IN 6 [34 35 32 32 2E 35] =6", "20 IN 5 [20 35 30 30] =4"};
}

}  // namespace

class MeasureCycleTest : public QObject {
    Q_OBJECT

private slots:
    // First, while nothing was painted: a process that painted the plot has the raster engine's
    // worker threads, which a forked child would wait for forever.
    void connectionLoss_data();
    void connectionLoss();
    void freeRunningCycleWithBreak();
    void timerCycleRunsOut();
    void breakDuringStabilisation_data();
    void breakDuringStabilisation();
    void noStableVoltage();
    void outOfRange_data();
    void outOfRange();
    void technicalDisplayOverAllExponents();
    void optionChangedDuringCycle();
    void samplingTimeEdges();
    void unreadableReplyAndUnreachableMeter();
    void testModeCounter();
    void timerFieldAndScrollBarInStep();
    void timerScrollBarByKeyboard();
    void closeWhenIdleActsAsBack();
    void closeDuringCycleBreaksThenBacks_data();
    void closeDuringCycleBreaksThenBacks();
};

void MeasureCycleTest::freeRunningCycleWithBreak()
{
    Program p;
    MainWin()->measuringButton->click();
    QVERIFY(!MeasWin()->saveButton->isEnabled());

    // Break in the interval wait after the second reading, 500 ms into it.
    double secondReading = 0;
    AtYield mark([&] { return CountIn(5) == 2; }, [&] { secondReading = p.t.clock.Seconds(); });
    AtYield press([&] { return secondReading > 0 && p.t.clock.Seconds() >= secondReading + 0.5; }, PressBreak);
    MeasWin()->startButton->click();
    QVERIFY(press.Fired());

    // Mode 6 between two pauses, the setup, then attempts of 200 ms until the voltage is stable
    // (ramp from the second setup write, 0.6 s), then readings 1000 ms plus one status request apart.
    const L expected = L{"40 OUT 54 [06] =1"} + SetupLines() + L{"240 open =1", "20 IN 1 [20] =1"} +
                       L{"200 open =1", "20 IN 1 [20] =1"} + L{"200 open =1", "20 IN 1 [24] =1"} +
                       ReadingLines(0) + ReadingLines(880);
    QCOMPARE(p.t.Take(), expected);

    QVERIFY(!MeasWin()->Running);
    QVERIFY(ButtonsBack());
    QCOMPARE(MeasWin()->resistanceLabel->text(), QStringLiteral("1.23 MOhm"));
    QCOMPARE(MeasWin()->temperatureLabel->text(), QStringLiteral("22.5 C"));
    QCOMPARE(MeasWin()->humidityLabel->text(), QStringLiteral("45 %"));
    QCOMPARE(MeasWin()->voltageLabel->text(), QStringLiteral("Measuring voltage : 500V"));
    QCOMPARE(MeasWin()->sampleTimeLabel->text(), QStringLiteral("1000 mSec"));
    QVERIFY(MeasWin()->voltageLabel->isVisible() && MeasWin()->sampleTimeCaption->isVisible() &&
            MeasWin()->sampleTimeLabel->isVisible());
    QCOMPARE(MeasWin()->stableVoltageLabel->text(), QString());
    QVERIFY(MeasWin()->passCounter->isHidden());
    QCOMPARE(MeasWin()->passCounter->text(), QStringLiteral("2"));
    QVERIFY(!Red());
    QVERIFY(p.t.dialogs.shown.empty());

    const MeasurementRecord& r = MeasWin()->LastReading;
    QVERIFY(!r.date.isEmpty() && !r.time.isEmpty());
    QCOMPARE(MeasurementLogLine(r), "KRX 738;`73800042;" + r.date + ';' + r.time + ";`1.07;1.23E+06;45;22.5;500;0;0;;");
    // Break without a timer sends nothing; the meter goes on measuring until Back.
    QVERIFY(p.t.meter().Measuring());
}

void MeasureCycleTest::timerCycleRunsOut()
{
    Scenario s = Steady();
    s.setup1 = 0x01;  // lapse
    s.measuringTimer = 3;
    Program p(s);
    MainWin()->timerMeasuringButton->click();
    QCOMPARE(MeasWin()->timerSlider->value(), 3);
    p.t.Take();
    MeasWin()->startButton->click();

    const L lines = p.t.Take();
    // No mode 6; the setup, then mode 7, the timer and the start with their 100 ms pauses; each
    // reading followed by the rest time; the iteration that finds the meter stopped sends one stop.
    const L expected = SetupLines("08 01", "08 01").replaceInStrings(QRegularExpression("^20 open"), "0 open") +
                       L{"60 OUT 54 [07] =1", "100 OUT 48 [00 03] =2", "100 OUT 8 [20] =1"} +
                       L{"200 open =1", "20 IN 1 [20] =1", "200 open =1", "20 IN 1 [20] =1"} +
                       L{"200 open =1", "20 IN 1 [24] =1"} + ReadingLines(0) + L{"20 IN 51 [00 16] =2"} +
                       ReadingLines(860) + L{"20 IN 51 [00 0C] =2"} + ReadingLines(860) +
                       L{"20 IN 51 [00 02] =2"} +
                       L{"860 open =1", "20 IN 1 [00] =1", "20 OUT 8 [40] =1", "20 IN 51 [00 00] =2"};
    QCOMPARE(lines, expected);

    QVERIFY(!MeasWin()->Running);
    QVERIFY(ButtonsBack());
    QVERIFY(!Red());
    QCOMPARE(MeasWin()->restTimeLabel->text(), QStringLiteral("0 Sec."));
    QCOMPARE(MeasWin()->timeLabel->text(), QStringLiteral("3 Sec"));
    QCOMPARE(MeasWin()->resistanceLabel->text(), QStringLiteral("1.23 MOhm"));
    QCOMPARE(MeasWin()->LastReading.timer, QStringLiteral("3"));
    QCOMPARE(MeasWin()->LastReading.calculation, QStringLiteral("Lap."));
    QCOMPARE(MeasWin()->LastReading.resistance, QStringLiteral("1.23E+06"));
    QVERIFY(!p.t.meter().Measuring());
    QVERIFY(p.t.dialogs.shown.empty());

    // The next cycle's first status read fails right after the voltage settled. Zeros from a failed
    // read say nothing about the meter's timer: the reading is taken, and the cycle goes on until
    // the meter's timer has run out.
    p.t.sim->Inject(Fault{.kind = Fault::Fail, .at = 3, .command = 1, .direction = 1});
    MeasWin()->startButton->click();
    const L again = p.t.Take();
    const qsizetype failed = again.indexOf(QStringLiteral("20 IN 1 len=1 [] =-1"));
    QVERIFY(failed > 0);
    QCOMPARE(again.mid(failed + 1, 1), L{"40 IN 0 [31 2E 32 33 20 36] =6"});
    QCOMPARE(again.mid(again.size() - 4),
             (L{"860 open =1", "20 IN 1 [00] =1", "20 OUT 8 [40] =1", "20 IN 51 [00 00] =2"}));
    QVERIFY(ButtonsBack());
    QCOMPARE(MeasWin()->resistanceLabel->text(), QStringLiteral("1.23 MOhm"));
    QVERIFY(p.t.dialogs.shown.empty());
}

void MeasureCycleTest::breakDuringStabilisation_data()
{
    QTest::addColumn<bool>("timer");
    QTest::newRow("free-running") << false;
    QTest::newRow("timer") << true;
}

void MeasureCycleTest::breakDuringStabilisation()
{
    QFETCH(bool, timer);
    Scenario s = Steady();
    s.stabiliseSeconds = 1000;
    Program p(s);
    (timer ? MainWin()->timerMeasuringButton : MainWin()->measuringButton)->click();
    p.t.Take();

    // Break while the hint is on in the third attempt.
    bool buttonsWhileBoxUp = true;
    p.t.dialogs.onShow = [&](const auto&) { buttonsWhileBoxUp = MeasWin()->startButton->isEnabled(); };
    AtYield press([] { return CountIn(1) == 2 && !MeasWin()->stableVoltageLabel->text().isEmpty(); }, PressBreak);
    MeasWin()->startButton->click();
    QVERIFY(press.Fired());

    const L lines = p.t.Take();
    QCOMPARE(lines.filter(QStringLiteral(" IN 1 [")).size(), 3);  // the attempt still reads the status
    QVERIFY(lines.filter(QStringLiteral(" IN 0 [")).isEmpty());
    if (timer)
        QCOMPARE(lines.mid(lines.size() - 4), (L{"100 OUT 8 [40] =1", "20 OUT 8 [40] =1", "100 open =1",
                                                 "20 IN 1 [00] =1"}));
    else
        QVERIFY(lines.filter(QStringLiteral(" OUT 8 ")).isEmpty());
    QCOMPARE(p.t.dialogs.Messages(),
             L{"!! No stable voltage !!|Measuring voltage can not be stabilized. Process is aborted!"});
    QCOMPARE(p.t.dialogs.shown[0].buttons, Buttons::Ok);
    // Start stays off while the box belongs to the ending cycle; afterwards everything is back.
    QVERIFY(!buttonsWhileBoxUp);
    QVERIFY(ButtonsBack());
    QVERIFY(!MeasWin()->Running);
    QCOMPARE(MeasWin()->stableVoltageLabel->text(), QString());
    QCOMPARE(MeasWin()->resistanceLabel->text(), QString());
    QVERIFY(MeasWin()->LastReading.resistance.isEmpty());
}

void MeasureCycleTest::noStableVoltage()
{
    Scenario s = Steady();
    s.stabiliseSeconds = 1000;
    Program p(s);
    MainWin()->measuringButton->click();
    p.t.Take();
    // The hint blinks: on in the first half of every attempt, off in the second.
    int on = 0, off = 0;
    QString last;
    AtYield look([&] {
        const QString now = MeasWin()->stableVoltageLabel->text();
        if (now != last)
            (now.isEmpty() ? off : on) += 1;
        last = now;
    });
    const double t0 = p.t.clock.Seconds();
    MeasWin()->startButton->click();

    QCOMPARE(CountIn(1), 200);
    QCOMPARE(on, 200);
    QCOMPARE(off, 200);
    QCOMPARE(CountIn(0), 0);
    QCOMPARE(p.t.dialogs.Messages(),
             L{"!! No stable voltage !!|Measuring voltage can not be stabilized. Process is aborted!"});
    // Mode 6, the setup and its pause, then 200 attempts of 200 ms plus the status request's pause.
    QCOMPARE(qRound((p.t.clock.Seconds() - t0) * 1000), 60 + 100 + 20 + 200 * 220);
    // The failed cycle keeps the window locked until Break.
    QVERIFY(MeasWin()->Running);
    QVERIFY(!MeasWin()->startButton->isEnabled() && !MeasWin()->saveButton->isEnabled() &&
            !MeasWin()->backButton->isEnabled());
    QVERIFY(MeasWin()->breakButton->isEnabled());
    p.t.Take();
    PressBreak();
    QVERIFY(ButtonsBack());
    QVERIFY(!MeasWin()->Running);
    QVERIFY(p.t.Take().isEmpty());
}

void MeasureCycleTest::outOfRange_data()
{
    QTest::addColumn<double>("ohm");
    QTest::addColumn<int>("display");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("flag");
    // At 500 V the meter's range is 500 kOhm to 10 TOhm.
    QTest::newRow("overflow technical") << 5e13 << 0 << "25" << "OVERFLOW !" << "1";
    QTest::newRow("overflow exponent") << 5e13 << 1 << "25" << "OVERFLOW !" << "1";
    QTest::newRow("underflow") << 1e5 << 0 << "26" << "UNDERFLOW !" << "2";
}

void MeasureCycleTest::outOfRange()
{
    QFETCH(double, ohm);
    QFETCH(int, display);
    QFETCH(QString, status);
    QFETCH(QString, shown);
    QFETCH(QString, flag);
    Scenario s = Steady(ohm);
    s.setup1 = static_cast<unsigned char>(display == 1 ? 0x02 : 0x00);
    Program p(s);
    MainWin()->measuringButton->click();
    AtYield press([] { return CountIn(5) == 1; }, PressBreak);
    MeasWin()->startButton->click();

    QVERIFY(p.t.Take().contains("20 IN 1 [" + status + "] =1"));
    QCOMPARE(MeasWin()->resistanceLabel->text(), shown);
    QCOMPARE(MeasWin()->LastReading.resistance, QStringLiteral("0"));
    QCOMPARE(MeasWin()->LastReading.rangeFlag, flag);
    QVERIFY(!Red());
}

void MeasureCycleTest::technicalDisplayOverAllExponents()
{
    Scenario s = Steady(1.23);
    s.minOhmPerVolt = 0;
    s.maxOhmPerVolt = 1e30;
    Program p(s);
    MainWin()->measuringButton->click();
    // After each reading the meter's resistance grows tenfold: exponents 0 to 16 in one cycle.
    L seen;
    AtYield look([&] {
        const int n = CountIn(5);
        if (n > seen.size()) {
            seen << MeasWin()->resistanceLabel->text();
            p.t.meter().scenario().r0 = p.t.meter().scenario().rInf = 1.23 * std::pow(10.0, n);
        }
    });
    AtYield press([] { return CountIn(5) == 17; }, PressBreak);
    MeasWin()->startButton->click();

    // Three significant digits below the table too (first reading of the cycle), then the places
    // of the last exponent in the table stay.
    QCOMPARE(seen, (L{"0.00123 kOhm", "0.01230 kOhm", "0.12300 kOhm", "1.23 kOhm", "12.3 kOhm", "123 kOhm",
                      "1.23 MOhm", "12.3 MOhm", "123 MOhm", "1.23 GOhm", "12.3 GOhm", "123 GOhm", "1.23 TOhm",
                      "12.3 TOhm", "123 TOhm", "1230 TOhm", "12300 TOhm"}));
    QCOMPARE(MeasWin()->LastReading.resistance, QStringLiteral("1.23E+16"));
}

void MeasureCycleTest::optionChangedDuringCycle()
{
    Scenario s = Steady();
    s.stabiliseSeconds = 1.5;  // longer than the interval: the reading after a change comes red
    Program p(s);
    MainWin()->measuringButton->click();
    QCOMPARE(MeasWin()->displayChoice->ItemIndex(), 0);
    // After the second reading, switch to the exponent display.
    bool redAfterChange = false;
    QString shownAfterChange;
    AtYield change([] { return CountIn(5) == 2; }, [] { MeasWin()->displayChoice->Button(1)->click(); });
    AtYield look([] { return CountIn(5) == 3; }, [&] {
        redAfterChange = Red();
        shownAfterChange = MeasWin()->resistanceLabel->text();
    });
    AtYield press([&] { return look.Fired() && !Red(); }, PressBreak);
    MeasWin()->startButton->click();
    QVERIFY(press.Fired());

    const L lines = p.t.Take();
    // The new setup goes out at once, after the second reading and before the interval wait.
    const qsizetype at = lines.indexOf(QStringLiteral("20 OUT 53 [08 02] =2")) - 2;
    QCOMPARE(lines.mid(at, 5), SetupLines("08 02"));
    QCOMPARE(lines.mid(0, at).filter(QStringLiteral(" IN 5 ")).size(), 2);
    QVERIFY(lines[at - 1].startsWith(QStringLiteral("20 IN 5 ")));
    QCOMPARE(lines.size(), at + 5 + 7 + 7);  // two more readings: red, then stable again
    // The meter ramps the voltage up again: the next reading is red and in the new form.
    QVERIFY(redAfterChange);
    QCOMPARE(shownAfterChange, QStringLiteral("1.23E+06 Ohm"));
    QCOMPARE(MeasWin()->resistanceLabel->text(), QStringLiteral("1.23E+06 Ohm"));
    QVERIFY(!Red());
}

void MeasureCycleTest::samplingTimeEdges()
{
    for (const char* unusable : {"-1", "3600001"}) {
        // A hand-edited interval outside 0 to an hour: the default, said once on entering the
        // measurement window, and readings every second.
        Program p(Steady(), {QStringLiteral("krx738")}, "[KRX 738]\nSamplingTime=" + QByteArray(unusable) + "\n");
        QCOMPARE(TheSession().SamplingTime, 1000);
        MainWin()->measuringButton->click();
        QCOMPARE(p.t.dialogs.shown.size(), size_t(1));
        QVERIFY(p.t.dialogs.shown[0].text.startsWith("SamplingTime=" + QString::fromLatin1(unusable) + " in"));
        MeasWin()->backButton->click();
        MainWin()->timerMeasuringButton->click();
        QCOMPARE(p.t.dialogs.shown.size(), size_t(1));  // once
        MeasWin()->backButton->click();
        MainWin()->measuringButton->click();
        AtYield press([] { return CountIn(0) == 3; }, PressBreak);
        MeasWin()->startButton->click();
        QCOMPARE(MeasWin()->sampleTimeLabel->text(), QStringLiteral("1000 mSec"));
    }
    for (const char* usable : {"0", "3600000"}) {
        Program p(Steady(), {QStringLiteral("krx738")}, "[KRX 738]\nSamplingTime=" + QByteArray(usable) + "\n");
        QCOMPARE(TheSession().SamplingTime, QByteArray(usable).toInt());
        MainWin()->measuringButton->click();
        QVERIFY(p.t.dialogs.shown.empty());
    }
    {
        // An interval shorter than the requests: readings back to back, no wait.
        Program p(Steady(), {QStringLiteral("krx738")}, QByteArray("[KRX 738]\nSamplingTime=50\n"));
        MainWin()->measuringButton->click();
        AtYield press([] { return CountIn(5) == 3; }, PressBreak);
        MeasWin()->startButton->click();
        const L lines = p.t.Take();
        QCOMPARE(lines.mid(lines.size() - 14), ReadingLines(20) + ReadingLines(20));
    }
}

void MeasureCycleTest::unreadableReplyAndUnreachableMeter()
{
    {
        Program p;
        MainWin()->measuringButton->click();
        // The second voltage reply is garbage: shown, and the cycle goes on with the last voltage.
        p.t.sim->Inject(Fault{.kind = Fault::Garbage, .at = 1, .command = 5});
        AtYield press([] { return CountIn(5) == 3; }, PressBreak);
        MeasWin()->startButton->click();
        QCOMPARE(p.t.dialogs.shown.size(), size_t(1));
        QCOMPARE(p.t.dialogs.shown[0].kind, krx::test::ShownBox::Error);
        QVERIFY(p.t.dialogs.shown[0].text.contains(QStringLiteral("????")));
        QCOMPARE(CountIn(0), 3);
        QCOMPARE(MeasWin()->LastReading.voltage, QStringLiteral("500"));
        QVERIFY(ButtonsBack());
    }
    {
        // An unreadable value is no reading: said once, nothing more is asked of the meter in that
        // pass (no climate, no voltage), and the cycle goes on with the next pass.
        Program p;
        MainWin()->measuringButton->click();
        p.t.sim->Inject(Fault{.kind = Fault::Garbage, .at = 1, .command = 0});
        AtYield press([] { return CountIn(0) == 3; }, PressBreak);
        MeasWin()->startButton->click();
        QCOMPARE(p.t.dialogs.shown.size(), size_t(1));
        QVERIFY(p.t.dialogs.shown[0].text.contains(QStringLiteral("????")));
        QCOMPARE(CountIn(0), 3);
        QCOMPARE(CountIn(6), 2);
        QCOMPARE(CountIn(5), 2);
        QCOMPARE(MeasWin()->LastReading.resistance, QStringLiteral("1.23E+06"));
        QVERIFY(ButtonsBack());
    }
    {
        // A meter gone before Start never answers the status request.
        Program p;
        MainWin()->measuringButton->click();
        p.t.meter().SetPresent(false);
        MeasWin()->startButton->click();
        QCOMPARE(p.t.dialogs.Messages(), L{"|The KRX 738 did not answer the status request."});
        QVERIFY(MeasWin()->Running);
        QVERIFY(!MeasWin()->startButton->isEnabled() && !MeasWin()->backButton->isEnabled());
        PressBreak();
        QVERIFY(ButtonsBack());

        // Plugged in again: mode 6 goes over a new connection, and the cycle measures at once.
        p.t.meter().SetPresent(true);
        p.t.Take();
        AtYield press([] { return CountIn(5) == 1; }, PressBreak);
        MeasWin()->startButton->click();
        QCOMPARE(p.t.Take().mid(0, 4), (L{"40 OUT 54 [06] =-4", "0 open =1", "20 OUT 54 [06] =1", "20 open =1"}));
        QCOMPARE(p.t.dialogs.Messages().size(), 1);
        QCOMPARE(MeasWin()->resistanceLabel->text(), QStringLiteral("1.23 MOhm"));
    }
}

void MeasureCycleTest::testModeCounter()
{
    Program p(Steady(), {QStringLiteral("krx738"), QStringLiteral("T")});
    QVERIFY(TheSession().TestMode);
    MainWin()->measuringButton->click();
    L counts;
    AtYield look([&] {
        if (counts.isEmpty() || counts.last() != MeasWin()->passCounter->text())
            counts << MeasWin()->passCounter->text();
    });
    AtYield press([] { return CountIn(5) == 3; }, PressBreak);
    MeasWin()->startButton->click();
    QVERIFY(MeasWin()->passCounter->isVisible());
    QCOMPARE(counts, (L{"0", "1", "2", "3"}));
    // A new cycle counts from 1 again.
    AtYield again([] { return CountIn(5) == 4; }, PressBreak);
    MeasWin()->startButton->click();
    QCOMPARE(MeasWin()->passCounter->text(), QStringLiteral("1"));
}

void MeasureCycleTest::connectionLoss_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("readings");
    QTest::newRow("voltage request of the third reading") << 5 << 2 << int(kUsbErrorPipe) << 3;
    QTest::newRow("status request while waiting for stable voltage") << 1 << 1 << int(kUsbErrorIo) << 0;
    QTest::newRow("value request of the second reading") << 0 << 1 << int(kUsbErrorTimeout) << 2;
}

void MeasureCycleTest::connectionLoss()
{
    QFETCH(int, command);
    QFETCH(int, at);
    QFETCH(int, code);
    QFETCH(int, readings);
    const auto child = krx::test::RunInChild([&] {
        Program p;
        MainWin()->measuringButton->click();
        p.t.sim->Inject(Fault{.kind = Fault::Fail, .at = at, .command = command, .direction = 1, .code = code});
        p.t.dialogs.onShow = [](const auto&) { std::fprintf(stderr, "readings=%d\n", CountIn(0)); };
        MeasWin()->startButton->click();
        std::fprintf(stderr, "cycle returned\n");
    });
    QVERIFY(child.exited);
    QCOMPARE(child.status, krx::test::ExitStatusOf(code));
    const QString out = QString::fromStdString(child.output);
    QVERIFY2(out.contains(QStringLiteral("BOX kind=0 title=[!! Error Nr.: %1 occurred ] text=[Connection to the KRX "
                                         "738 interrupted. Program is terminated.]")
                              .arg(code)),
             qPrintable(out));
    QVERIFY(!out.contains(QStringLiteral("cycle returned")));
    QVERIFY2(out.contains(QStringLiteral("readings=%1\n").arg(readings)), qPrintable(out));
}

QTEST_MAIN(MeasureCycleTest)
namespace {

QScrollBar* TimerBar()
{
    return krx::test::Control<QScrollBar>(MeasWin(), "ScrollBar_Timer");
}

QSpinBox* TimerField()
{
    return krx::test::Control<QSpinBox>(MeasWin(), "timerSecondsField");
}

// What Back sends and does, for comparison with a close: a fresh program, Back pressed in the
// measurement window entered in `timerMode`.
L LinesOfBack(bool timerMode)
{
    Program p;
    (timerMode ? MainWin()->timerMeasuringButton : MainWin()->measuringButton)->click();
    p.t.Take();
    MeasWin()->backButton->click();
    return p.t.Take();
}

}  // namespace

void MeasureCycleTest::timerFieldAndScrollBarInStep()
{
    Program p;
    MainWin()->timerMeasuringButton->click();
    QScrollBar* bar = TimerBar();
    QSpinBox* field = TimerField();
    QVERIFY(bar && field);
    QVERIFY(field->isVisible());
    QCOMPARE(field->minimum(), 1);
    QCOMPARE(field->maximum(), 600);
    // The meter's 60 s arrived in both.
    QCOMPARE(bar->value(), 60);
    QCOMPARE(field->value(), 60);

    // Scroll bar to field, at both ends and between.
    for (int seconds : {20, 1, 600, 599, 2}) {
        bar->setValue(seconds);
        QCOMPARE(field->value(), seconds);
        QCOMPARE(MeasWin()->timeLabel->text(), QString::number(seconds) + QStringLiteral(" Sec"));
    }
    // Field to scroll bar, typed as a user does.
    for (int seconds : {600, 1, 45}) {
        field->selectAll();
        QTest::keyClicks(field, QString::number(seconds));
        QCOMPARE(bar->value(), seconds);
        QCOMPARE(MeasWin()->timeLabel->text(), QString::number(seconds) + QStringLiteral(" Sec"));
    }
    // Beyond the ends the field stays at them, and so does the bar.
    field->setValue(600);
    QTest::keyClick(field, Qt::Key_Up);
    QCOMPARE(field->value(), 600);
    QCOMPARE(bar->value(), 600);
    field->setValue(1);
    QTest::keyClick(field, Qt::Key_Down);
    QCOMPARE(field->value(), 1);
    QCOMPARE(bar->value(), 1);
    QTest::keyClick(field, Qt::Key_Up);
    QCOMPARE(bar->value(), 2);

    // A cycle runs with the seconds set in the field.
    field->setValue(5);
    AtYield press([] { return CountIn(5) == 1; }, PressBreak);
    MeasWin()->startButton->click();
    QVERIFY(press.Fired());
    QVERIFY(p.t.Take().contains(QStringLiteral("100 OUT 48 [00 05] =2")));
}

void MeasureCycleTest::timerScrollBarByKeyboard()
{
    Program p;
    MainWin()->timerMeasuringButton->click();
    QScrollBar* bar = TimerBar();
    QSpinBox* field = TimerField();
    QVERIFY(bar && field);
    QVERIFY((bar->focusPolicy() & Qt::TabFocus) && (bar->focusPolicy() & Qt::ClickFocus));

    const auto press = [bar](Qt::Key key) {
        QTest::keyClick(bar, key);
        return bar->value();
    };
    QCOMPARE(press(Qt::Key_Home), 1);
    QCOMPARE(field->value(), 1);
    QCOMPARE(press(Qt::Key_Left), 1);
    QCOMPARE(press(Qt::Key_PageDown), 1);
    QCOMPARE(press(Qt::Key_Right), 2);
    QCOMPARE(press(Qt::Key_PageUp), 12);
    QCOMPARE(field->value(), 12);
    QCOMPARE(MeasWin()->timeLabel->text(), QStringLiteral("12 Sec"));
    QCOMPARE(press(Qt::Key_End), 600);
    QCOMPARE(field->value(), 600);
    QCOMPARE(press(Qt::Key_Right), 600);
    QCOMPARE(press(Qt::Key_PageUp), 600);
    QCOMPARE(press(Qt::Key_Left), 599);
    QCOMPARE(press(Qt::Key_PageDown), 589);
    QCOMPARE(field->value(), 589);
    QCOMPARE(MeasWin()->timeLabel->text(), QStringLiteral("589 Sec"));
}

void MeasureCycleTest::closeWhenIdleActsAsBack()
{
    for (bool timerMode : {false, true}) {
        const L back = LinesOfBack(timerMode);
        QVERIFY(back.size() > 5);
        QCOMPARE(back.first(), QStringLiteral("20 OUT 54 [03] =1"));

        Program p;
        (timerMode ? MainWin()->timerMeasuringButton : MainWin()->measuringButton)->click();
        MeasWin()->resistanceLabel->setText(QStringLiteral("1.23 MOhm"));
        p.t.Take();
        MeasWin()->close();
        QVERIFY(MeasWin()->isHidden());
        QVERIFY(MainWin()->isVisible());
        QCOMPARE(p.t.Take(), back);
        QCOMPARE(MeasWin()->resistanceLabel->text(), QString());
        QCOMPARE(p.t.meter().RemoteMode(), 3);
        QVERIFY(p.t.dialogs.shown.empty());
        // Closed again while hidden, nothing happens.
        MeasWin()->close();
        QVERIFY(MainWin()->isVisible());
        QVERIFY(p.t.Take().isEmpty());
        // The window opens again as after Back.
        MainWin()->measuringButton->click();
        QVERIFY(MeasWin()->isVisible());
        QVERIFY(MeasWin()->startButton->isEnabled() && MeasWin()->backButton->isEnabled());
    }
}

void MeasureCycleTest::closeDuringCycleBreaksThenBacks_data()
{
    QTest::addColumn<bool>("timerMode");
    QTest::newRow("free-running") << false;
    QTest::newRow("timer") << true;
}

void MeasureCycleTest::closeDuringCycleBreaksThenBacks()
{
    QFETCH(bool, timerMode);
    const L back = LinesOfBack(timerMode);
    Program p;
    (timerMode ? MainWin()->timerMeasuringButton : MainWin()->measuringButton)->click();
    p.t.Take();

    bool hiddenAtClose = true;
    AtYield close([] { return CountIn(5) == 2; }, [&] {
        MeasWin()->close();
        // Back waits for the cycle to wind up: the window is still there, the buttons not yet back.
        hiddenAtClose = MeasWin()->isHidden();
    });
    MeasWin()->startButton->click();
    QVERIFY(close.Fired());
    QVERIFY(!hiddenAtClose);
    QVERIFY(!MeasWin()->Running);
    QTRY_VERIFY_WITH_TIMEOUT(MeasWin()->isHidden(), 5000);
    QVERIFY(MainWin()->isVisible());

    const L lines = p.t.Take();
    // No reading after the close; then Break's stops in timer mode, then what Back sends.
    QCOMPARE(lines.filter(QStringLiteral(" IN 5 [")).size(), 2);
    const qsizetype lastReading = lines.lastIndexOf(QRegularExpression(QStringLiteral("\\d+ IN 5 \\[.*")));
    const qsizetype backAt =
        lines.indexOf(QRegularExpression(QStringLiteral("\\d+ OUT 54 \\[03\\] =1")), lastReading);
    QVERIFY(backAt > lastReading);
    const L between = lines.mid(lastReading + 1, backAt - lastReading - 1);
    QCOMPARE(between.filter(QStringLiteral("OUT 8 [40]")).size(), timerMode ? 2 : 0);
    // From there on exactly what Back sends (the first pause depends on the cycle's end).
    QCOMPARE(lines.mid(backAt + 1), back.mid(1));
    QCOMPARE(p.t.meter().RemoteMode(), 3);
    QVERIFY(!p.t.meter().Measuring());
    QVERIFY(p.t.dialogs.shown.empty());
    QVERIFY(ButtonsBack());
}

#include "test_measure_cycle.moc"
