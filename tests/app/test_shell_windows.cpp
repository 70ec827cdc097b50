// SPDX-License-Identifier: GPL-3.0-or-later
// The three windows against the simulated meter: Init, the moves between the windows with their
// remote-mode codes, the measurement window's option handlers, and the end of the program.
#include "app_windows.h"
#include "trace_file.h"
#include "window_test_names.h"
#include "child.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "app/qt_dialogs.h"
#include "ui/controls.h"
#include "app/startup.h"
#include "ui/version.h"
#include "ui/measurement/measurement_window.h"
#include "ui/record/record_view.h"
#include "ui/special_functions/special_functions_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QMap>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>


namespace {

const L kInitLines = {
    "0 open =1",
    "20 OUT 54 [03] =1",
    "20 IN 10 [37 33 38 30 30 30 34 32 31 2E 30 37 20 4B 52 58 20 37 33 38] =20",
    "0 open =1",
    "20 IN 1 [00] =1",
    "0 open =1",
    "20 IN 53 [08 00] =2",
    "40 IN 48 [00 3C] =2",
    "20 IN 49 [00 1E] =2",
    "20 IN 50 [00 14] =2",
};
// What Init sends after InitDevice: the reconnect of ConnectIdle and one more code 3.
const L kInitTail = {"0 open =1", "20 OUT 54 [03] =1", "20 OUT 54 [03] =1"};

// A meter that answers the identity request and is gone right after it.
class VanishingAfterIdentity : public UsbBackend {
public:
    explicit VanishingAfterIdentity(sim::Scenario s) : sim_(std::move(s)) {}
    int OpenDevice() override { return sim_.OpenDevice(); }
    int ControlTransfer(int requestType, int request, int value, int index, unsigned char* data, int length,
                        int timeoutMs) override
    {
        const int result = sim_.ControlTransfer(requestType, request, value, index, data, length, timeoutMs);
        if (value == 10)
            sim_.meter().SetPresent(false);
        return result;
    }

private:
    sim::SimBackend sim_;
};

}  // namespace

class ShellWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void startState();
    void initWithMeter();
    void initWithoutMeter();
    void initBatteryEmptyAndTimerLimits();
    void initZeroByteIdentityAndFailedReads();
    void initMeterVanishesAfterIdentity();
    void measuringMoves();
    void backFromMeasuringReinitialises();
    void specialFunctionMoves();
    void optionHandlers();
    void exitAndClose_data();
    void exitAndClose();
    void testModeParameter_data();
    void testModeParameter();
    void settingsAtStart();
    void qtDialogs();
    void maskedEdits();
};

void ShellWindowsTest::startState()
{
    SimSetup t;
    AppWindows w;
    QVERIFY(MainWin() && MeasWin() && SpecialWin());
    QVERIFY(MainWin()->isHidden() && MeasWin()->isHidden() && SpecialWin()->isHidden());

    VersionRecord v;
    ReadVersionInfo(v);
    QCOMPARE(v.ProductName, QStringLiteral("KRX 738"));
    QCOMPARE(v.FileVersion, QStringLiteral("1.0.3.1"));
    QVERIFY(!v.CompanyName.isEmpty());
    QCOMPARE(MainWin()->windowTitle(),
             QStringLiteral("KRX 738 read out program ") + v.CompanyName + QStringLiteral(" Version : 1.0.3.1"));
    QCOMPARE(MeasWin()->windowTitle(), QStringLiteral("Measuring KRX 738"));
    QCOMPARE(SpecialWin()->windowTitle(), QStringLiteral("Special function"));
    // The simulated meter is said in the windows themselves, beside their designed captions.
    for (QWidget* window : std::initializer_list<QWidget*>{MainWin(), SpecialWin()})
        QVERIFY(!window->findChild<QLabel*>(QStringLiteral("SimulatedMeterLabel"))->isHidden());

    // Accelerators: none on the two measurement buttons, kept on the others.
    QCOMPARE(MainWin()->measuringButton->text(), QStringLiteral("Measuring"));
    QCOMPARE(MainWin()->timerMeasuringButton->text(), QStringLiteral("Measuring with timer"));
    QCOMPARE(MainWin()->initButton->text(), QStringLiteral("&Init"));
    QCOMPARE(MainWin()->specialFunctionsButton->text(), QStringLiteral("&Special function"));
    QCOMPARE(MainWin()->exitButton->text(), QStringLiteral("E&xit"));
    // The program's own buttons have accelerators as well; no two in one window share a key.
    for (QPushButton* b : {MainWin()->historyButton, MeasWin()->openRecordingButton, MeasWin()->fileTestButton,
                           MeasWin()->recordView->reportButton, MeasWin()->recordView->exportButton,
                           SpecialWin()->fileTestButton, SpecialWin()->fileRecordsButton})
        QVERIFY2(!QKeySequence::mnemonic(b->text()).isEmpty(), qPrintable(b->text()));
    for (QWidget* window : std::initializer_list<QWidget*>{MainWin(), MeasWin(), SpecialWin()}) {
        QMap<int, QString> taken;
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
            const QKeySequence key = QKeySequence::mnemonic(b->text());
            if (key.isEmpty())
                continue;
            QVERIFY2(!taken.contains(key[0].toCombined()),
                     qPrintable(b->text() + QStringLiteral(" and ") + taken.value(key[0].toCombined())));
            taken.insert(key[0].toCombined(), b->text());
        }
    }

    QVERIFY(!MainWin()->measuringButton->isEnabled());
    QVERIFY(!MainWin()->timerMeasuringButton->isEnabled());
    QVERIFY(!MainWin()->specialFunctionsButton->isEnabled());
    QVERIFY(MainWin()->exitButton->isEnabled());
    QVERIFY(MainWin()->deviceGroup->isHidden());
    QVERIFY(!TheSession().TimerMode);
    QVERIFY(!TheSession().TestMode);
    QCOMPARE(TheSession().CommandPause, 20);
    QVERIFY(TheSession().SerialNo.isEmpty() && TheSession().DeviceName.isEmpty() && TheSession().SwVersion.isEmpty());

    // The measurement window asks for no close box; a close (by key, or by a box the window
    // manager shows anyway) acts as Back, tested with the measurement cycle.
    QVERIFY(!(MeasWin()->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(MeasWin()->windowFlags() & Qt::WindowSystemMenuHint));

    // Centred on the primary screen's full area, halves toward zero: the frame, once shown (the
    // offscreen platform draws a frame of 2 pixels, so frame and inside differ).
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    for (QWidget* window : {static_cast<QWidget*>(MainWin()), static_cast<QWidget*>(MeasWin()),
                            static_cast<QWidget*>(SpecialWin())}) {
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(window->frameGeometry().size() != window->size(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry().topLeft(),
                                  CentredPosition(screen, window->frameGeometry().size()), 500);
        window->hide();
    }
    // Where the user put a window, it stays when it is shown again.
    SpecialWin()->move(10, 20);
    SpecialWin()->show();
    QCOMPARE(SpecialWin()->pos(), QPoint(10, 20));
    SpecialWin()->hide();
    QCOMPARE(CentredPosition(QSize(1024, 768), QSize(1032, 693)), QPoint(-4, 37));
    QCOMPARE(CentredPosition(QSize(800, 600), QSize(1052, 428)), QPoint(-126, 86));

    // The meter is not touched before Init.
    QVERIFY(t.Take().isEmpty());
}

void ShellWindowsTest::initWithMeter()
{
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();

    QCOMPARE(t.Take(), kInitLines + kInitTail);
    QVERIFY(t.dialogs.shown.empty());
    QVERIFY(MainWin()->initButton->isHidden());
    QVERIFY(!MainWin()->deviceGroup->isHidden());
    QVERIFY(MainWin()->measuringButton->isEnabled());
    QVERIFY(MainWin()->timerMeasuringButton->isEnabled());
    QVERIFY(MainWin()->specialFunctionsButton->isEnabled());
    QCOMPARE(TheSession().SerialNo, QStringLiteral("73800042"));
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800042"));
    QCOMPARE(MainWin()->versionLabel->text(), QStringLiteral("1.07"));
    QCOMPARE(MainWin()->deviceNameLabel->text(), QStringLiteral("KRX 738"));
    QCOMPARE(MainWin()->batteryLabel->text(), QStringLiteral("ok"));
    QVERIFY(!MainWin()->dateLabel->text().isEmpty());
    QVERIFY(!MainWin()->timeLabel->text().isEmpty());
    QCOMPARE(t.meter().RemoteMode(), 3);

    // The meter's setup (500 V manual, technical, average, 60 s) is in the measurement window, and
    // nothing was sent back while it was copied.
    QVERIFY(!MeasWin()->LoadingSetup());
    QCOMPARE(MeasWin()->voltageModeChoice->ItemIndex(), 0);
    QVERIFY(MeasWin()->voltageChoice->isEnabled());
    QCOMPARE(MeasWin()->voltageChoice->ItemIndex(), 2);
    QCOMPARE(MeasWin()->displayChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->calculationChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->timerSlider->value(), 60);
    QCOMPARE(MeasWin()->timeLabel->text(), QStringLiteral("60 Sec"));

    // Another setup in the meter: a second Init copies it, still without sending anything.
    MeterCommands().WriteMeasuringSetup({1, 500, 1, 1});  // automatic voltage, exponent display, lapse
    t.Take();
    MainWin()->InitDevice();
    for (const QString& line : t.Take())
        QVERIFY2(!line.contains(QLatin1String("OUT 53")), qPrintable(line));
    QCOMPARE(MeasWin()->voltageModeChoice->ItemIndex(), 1);
    QVERIFY(!MeasWin()->voltageChoice->isEnabled());
    QCOMPARE(MeasWin()->displayChoice->ItemIndex(), 1);
    QCOMPARE(MeasWin()->calculationChoice->ItemIndex(), 1);
}

void ShellWindowsTest::initWithoutMeter()
{
    sim::Scenario s = sim::Scenario::Default();
    s.present = false;
    SimSetup t(s);
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();

    QCOMPARE(t.Take(), (L{"0 open =0", "0 open =0"}));
    QCOMPARE(t.dialogs.Messages(), L{"!! No device found !!|Please check if the device is switched on!"});
    QCOMPARE(t.dialogs.shown.front().buttons, Buttons::Ok);
    QVERIFY(!MainWin()->initButton->isHidden());
    QVERIFY(MainWin()->deviceGroup->isHidden());
    QVERIFY(!MainWin()->measuringButton->isEnabled());
    QVERIFY(!MainWin()->specialFunctionsButton->isEnabled());

    // Plugged in now: the next press succeeds.
    t.meter().SetPresent(true);
    MainWin()->initButton->click();
    QCOMPARE(t.Take(), kInitLines + kInitTail);
    QVERIFY(MainWin()->measuringButton->isEnabled());
}

void ShellWindowsTest::initBatteryEmptyAndTimerLimits()
{
    sim::Scenario s = sim::Scenario::Default();
    s.batteryEmpty = true;
    s.measuringTimer = 0;
    SimSetup t(s);
    AppWindows w;
    MainWin()->initButton->click();
    QCOMPARE(MainWin()->batteryLabel->text(), QStringLiteral("! Empty !"));
    QCOMPARE(MeasWin()->timerSlider->value(), 1);

    t.meter().scenario().batteryEmpty = false;
    MeterCommands().WriteMeasuringTimer(900);
    MainWin()->initButton->click();
    QCOMPARE(MainWin()->batteryLabel->text(), QStringLiteral("ok"));
    QCOMPARE(MeasWin()->timerSlider->value(), 600);
}

void ShellWindowsTest::initZeroByteIdentityAndFailedReads()
{
    sim::Scenario s = sim::Scenario::Default();
    // Identity answered with no bytes; the timer read of the setup fails.
    s.faults.push_back(Fault{Fault::Short, 0, 10, 1, 1, 0, 0});
    s.faults.push_back(Fault{Fault::Fail, 0, 48, 1, 1, kUsbErrorIo});
    SimSetup t(s);
    AppWindows w;
    MeasWin()->displayChoice->SetItemIndex(0);
    t.Take();
    MainWin()->initButton->click();

    QVERIFY(t.dialogs.shown.empty());
    QVERIFY(!MainWin()->deviceGroup->isHidden());
    QVERIFY(MainWin()->measuringButton->isEnabled());
    QCOMPARE(MainWin()->serialLabel->text(), QString());
    QCOMPARE(MainWin()->deviceNameLabel->text(), QString());
    // The setup could not be read: the controls keep what they showed.
    QCOMPARE(MeasWin()->voltageModeChoice->ItemIndex(), 1);
    QCOMPARE(MeasWin()->voltageChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->displayChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->calculationChoice->ItemIndex(), 1);
    QCOMPARE(MeasWin()->timerSlider->value(), 10);

    // A failing identity request is a missing meter; the identity on screen stays.
    MainWin()->initButton->click();
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800042"));
    t.sim->Inject(Fault{Fault::Fail, 0, 10, 1, 1, kUsbErrorPipe});
    t.Take();
    MainWin()->initButton->click();
    QCOMPARE(t.dialogs.Messages(), L{"!! No device found !!|Please check if the device is switched on!"});
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800042"));
    const L lines = t.Take();
    QCOMPARE(lines.mid(0, 3), (L{"0 open =1", "20 OUT 54 [03] =1", "20 IN 10 len=20 [] =-9"}));
    QCOMPARE(lines.mid(3), kInitTail);
}

void ShellWindowsTest::initMeterVanishesAfterIdentity()
{
    SimSetup t;
    AppWindows w;
    SetUsbBackend(std::make_unique<VanishingAfterIdentity>(sim::Scenario::Default()));
    MainWin()->initButton->click();

    // The battery read finds no meter: the error display reports it and Init ends there, nothing
    // sent afterwards. Without the meter's setup the window must not offer the functions (a Start
    // would send stale options): it is back where it was before Init.
    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    QCOMPARE(t.dialogs.shown.front().kind, test::ShownBox::Error);
    QCOMPARE(t.dialogs.shown.front().text, QStringLiteral("The KRX 738 did not answer the status request."));
    QVERIFY(MainWin()->deviceGroup->isHidden());
    QVERIFY(!MainWin()->initButton->isHidden());
    QVERIFY(!MainWin()->measuringButton->isEnabled());
    QVERIFY(!MainWin()->timerMeasuringButton->isEnabled());
    QVERIFY(!MainWin()->specialFunctionsButton->isEnabled());
    QCOMPARE(MainWin()->batteryLabel->text(), QString());
    QVERIFY(!MeasWin()->LoadingSetup());
    QCOMPARE(t.Take().mid(3), (L{"0 open =0"}));

    // The same meter back: Init goes through and the functions are offered.
    SetUsbBackend(std::make_unique<sim::SimBackend>(sim::Scenario::Default()));
    MainWin()->initButton->click();
    QVERIFY(!MainWin()->deviceGroup->isHidden());
    QVERIFY(MainWin()->measuringButton->isEnabled());
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800042"));
}

void ShellWindowsTest::measuringMoves()
{
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    MeasWin()->timerSlider->setValue(25);
    t.Take();

    MainWin()->timerMeasuringButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [07] =1"});
    QVERIFY(MainWin()->isHidden() && MeasWin()->isVisible());
    QVERIFY(TheSession().TimerMode);
    QVERIFY(MeasWin()->timerGroup->isVisible());
    QVERIFY(MeasWin()->restTimeGroup->isVisible());
    QCOMPARE(MeasWin()->timeLabel->text(), QStringLiteral("25 Sec"));
    QCOMPARE(MeasWin()->voltageLabel->text(), QString());
    QVERIFY(MeasWin()->saveButton->isEnabled());  // only the plain path disables it

    // "Measuring" after "Measuring with timer": the timer groups go, nothing is sent.
    MeasWin()->hide();
    MainWin()->show();
    MainWin()->measuringButton->click();
    QVERIFY(t.Take().isEmpty());
    QVERIFY(MainWin()->isHidden() && MeasWin()->isVisible());
    QVERIFY(!TheSession().TimerMode);
    QVERIFY(MeasWin()->timerGroup->isHidden());
    QVERIFY(MeasWin()->restTimeGroup->isHidden());
    QVERIFY(!MeasWin()->saveButton->isEnabled());
}

void ShellWindowsTest::backFromMeasuringReinitialises()
{
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    MainWin()->measuringButton->click();
    MeasWin()->ShowReadingLabels(true);
    MeasWin()->temperatureLabel->setText(QStringLiteral("22.5 C"));
    MeasWin()->humidityLabel->setText(QStringLiteral("45 %"));
    MeasWin()->resistanceLabel->setText(QStringLiteral("1.23 GOhm"));
    MeasWin()->restTimeLabel->setText(QStringLiteral("7 Sec."));
    MeasWin()->startButton->setEnabled(false);
    MeterCommands().WriteMeasuringTimer(120);  // changed at the meter meanwhile
    t.Take();

    MeasWin()->backButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [03] =1"} + kInitLines.mid(0, 7) + L{"40 IN 48 [00 78] =2"} + kInitLines.mid(8));
    QVERIFY(MainWin()->isVisible() && MeasWin()->isHidden());
    QVERIFY(MeasWin()->voltageLabel->isHidden() && MeasWin()->sampleTimeCaption->isHidden() &&
            MeasWin()->sampleTimeLabel->isHidden());
    QCOMPARE(MeasWin()->temperatureLabel->text(), QString());
    QCOMPARE(MeasWin()->humidityLabel->text(), QString());
    QCOMPARE(MeasWin()->resistanceLabel->text(), QString());
    QCOMPARE(MeasWin()->restTimeLabel->text(), QStringLiteral("7 Sec."));
    QVERIFY(MeasWin()->startButton->isEnabled() && MeasWin()->breakButton->isEnabled() &&
            MeasWin()->saveButton->isEnabled());
    QCOMPARE(MeasWin()->timerSlider->value(), 120);
}

void ShellWindowsTest::specialFunctionMoves()
{
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    // Left over from an earlier visit.
    SpecialWin()->rangeGroup->show();
    SpecialWin()->functionGroup->hide();
    SpecialWin()->recordDisplay->setPlainText(QStringLiteral("old lines\nmore"));
    t.Take();

    MainWin()->specialFunctionsButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [0C] =1"});
    QCOMPARE(t.meter().RemoteMode(), 12);
    QVERIFY(MainWin()->isHidden() && SpecialWin()->isVisible());
    QVERIFY(!SpecialWin()->saveButton->isEnabled());
    QVERIFY(!SpecialWin()->functionGroup->isHidden());
    QVERIFY(SpecialWin()->rangeGroup->isHidden());
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), QString());

    // Closing the window leaves the break-down group as it was.
    SpecialWin()->timersGroup->show();
    SpecialWin()->progressLabel->setText(QStringLiteral("status"));
    QVERIFY(SpecialWin()->close());
    QCOMPARE(t.Take(), L{"20 OUT 54 [03] =1"});
    QVERIFY(MainWin()->isVisible() && SpecialWin()->isHidden());
    QVERIFY(!SpecialWin()->timersGroup->isHidden());
    QCOMPARE(SpecialWin()->progressLabel->text(), QStringLiteral("status"));

    // "Back to main menu" hides it and clears the status line.
    MainWin()->specialFunctionsButton->click();
    t.Take();
    SpecialWin()->mainMenuButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [03] =1"});
    QVERIFY(MainWin()->isVisible() && SpecialWin()->isHidden());
    QVERIFY(SpecialWin()->timersGroup->isHidden());
    QCOMPARE(SpecialWin()->progressLabel->text(), QString());

    // The range "Save" only raises its flag.
    SpecialWin()->RangeSaveRequested = false;
    SpecialWin()->rangeSaveButton->click();
    QVERIFY(SpecialWin()->RangeSaveRequested);
    QVERIFY(t.Take().isEmpty());
}

void ShellWindowsTest::optionHandlers()
{
    SimSetup t;
    AppWindows w;
    MainWin()->initButton->click();
    MainWin()->measuringButton->click();
    t.Take();

    MeasWin()->voltageModeChoice->Button(1)->click();  // "Auto"
    QVERIFY(!MeasWin()->voltageChoice->isEnabled());
    // With automatic voltage the selected 500 V is still passed; the command set sends the auto bit.
    QCOMPARE(t.Take(), (L{"0 open =1", "20 IN 53 [08 00] =2", "20 OUT 53 [40 00] =2", "20 OUT 53 [40 00] =2",
                          "20 OUT 37 [10] =1"}));
    MeasWin()->voltageModeChoice->Button(0)->click();  // "Manuell"
    QVERIFY(MeasWin()->voltageChoice->isEnabled());
    QCOMPARE(t.Take().mid(2), (L{"20 OUT 53 [08 00] =2", "20 OUT 53 [08 00] =2", "20 OUT 37 [10] =1"}));

    MeasWin()->voltageChoice->Button(3)->click();  // "1000V"
    QCOMPARE(t.Take().mid(2, 1), L{"20 OUT 53 [10 00] =2"});
    MeasWin()->calculationChoice->Button(1)->click();  // no handler: reaches the meter with the next setup
    QVERIFY(t.Take().isEmpty());
    MeasWin()->displayChoice->Button(1)->click();  // "Exponent"
    QCOMPARE(t.Take().mid(2, 1), L{"20 OUT 53 [10 03] =2"});
    // Choosing the selected item again is no change.
    MeasWin()->displayChoice->Button(1)->click();
    QVERIFY(t.Take().isEmpty());

    // The scroll bar only changes its label.
    MeasWin()->timerSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(MeasWin()->timeLabel->text(), QStringLiteral("70 Sec"));
    QVERIFY(t.Take().isEmpty());

    // While Init's setup is shown the handlers send nothing, though every group changes; the
    // meter's timer is kept within the scroll bar.
    MeasuringSetup setup;
    setup.flags = {true, 0, 1, 0, 0};  // 10 V, automatic voltage, average, technical
    setup.measuringTimer = 601;
    MeasWin()->ShowMeterSetup(setup);
    QVERIFY(t.Take().isEmpty());
    QVERIFY(!MeasWin()->LoadingSetup());
    QVERIFY(!MeasWin()->voltageChoice->isEnabled());
    QCOMPARE(MeasWin()->voltageChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->displayChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->calculationChoice->ItemIndex(), 0);
    QCOMPARE(MeasWin()->timerSlider->value(), 600);
}

void ShellWindowsTest::exitAndClose_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("byClose");
    QTest::addColumn<L>("expected");
    const L withMeter = {"open =1", "OUT 54 [03] =1", "OUT 54 [01] =1"};
    QTest::newRow("Exit with meter") << true << false << withMeter;
    QTest::newRow("close with meter") << true << true << withMeter;
    QTest::newRow("Exit without meter") << false << false << L{"open =0"};
    QTest::newRow("close without meter") << false << true << L{"open =0"};
}

void ShellWindowsTest::exitAndClose()
{
    QFETCH(bool, present);
    QFETCH(bool, byClose);
    QFETCH(L, expected);
    SimSetup t;
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();
    t.meter().SetPresent(present);
    t.Take();
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));

    const test::ChildResult r = test::RunInChild([&] {
        TheTransferLog().TraceTo(trace);
        if (byClose)
            MainWin()->close();
        else
            MainWin()->exitButton->click();
    });
    QVERIFY(r.exited);
    QCOMPARE(r.status, 0);
    QVERIFY2(r.output.find("BOX") == std::string::npos, r.output.c_str());
    QCOMPARE(TraceRecords(trace), expected);
}

void ShellWindowsTest::testModeParameter_data()
{
    QTest::addColumn<L>("parameters");
    QTest::addColumn<bool>("testMode");
    const QString p = QStringLiteral("/opt/krx/krx738");
    QTest::newRow("none") << L{p} << false;
    QTest::newRow("index 1") << L{p, "T"} << true;
    QTest::newRow("index 3") << L{p, "a", "b", "T"} << true;
    QTest::newRow("index 5") << L{p, "1", "2", "3", "4", "T"} << true;
    QTest::newRow("index 6") << L{p, "1", "2", "3", "4", "5", "T"} << false;
    QTest::newRow("lower case") << L{p, "t"} << false;
    QTest::newRow("slash") << L{p, "/T"} << false;
    QTest::newRow("word") << L{p, "TT"} << false;
}

void ShellWindowsTest::testModeParameter()
{
    QFETCH(L, parameters);
    QFETCH(bool, testMode);
    AppWindows w(parameters);
    QCOMPARE(TheSession().TestMode, testMode);
}

void ShellWindowsTest::settingsAtStart()
{
    {
        AppWindows w;
        QCOMPARE(TheSession().SamplingTime, 1000);
        QCOMPARE(TheSession().DataDirectory, QDir::homePath() + QLatin1Char('/'));
        QVERIFY(!QFile::exists(w.SettingsPath()));
    }
    {
        AppWindows w({QStringLiteral("krx738")}, "[Other]\r\nSamplingTime=7\r\n[krx 738]\r\n"
                                                 "datadirectory = /data/runs/\r\nSamplingTime=0x1F4\r\n");
        QCOMPARE(TheSession().SamplingTime, 500);
        QCOMPARE(TheSession().DataDirectory, QStringLiteral("/data/runs/"));
    }
    {
        AppWindows w({QStringLiteral("krx738")}, "[KRX 738]\nSamplingTime=abc\n");
        QCOMPARE(TheSession().SamplingTime, 1000);
    }
}

void ShellWindowsTest::qtDialogs()
{
    QtDialogs dialogs;
    // Each box is answered from inside its own event loop, as a user would.
    auto answer = [](const std::function<void(QWidget*)>& act) {
        QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
    };

    QString seen;
    answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        seen = box->windowTitle() + QLatin1Char('|') + box->text();
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        box->button(QMessageBox::Cancel)->click();
    });
    QCOMPARE(dialogs.Message(QStringLiteral("Delete?"), QStringLiteral("Question"), Buttons::OkCancel, Icon::None),
             Answer::Cancel);
    QCOMPARE(seen, QStringLiteral("Question|Delete?"));

    // Return presses the default button: OK for a plain question, Cancel where OK destroys data.
    const auto pressReturn = [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        seen = box->defaultButton() == box->button(QMessageBox::Cancel) ? QStringLiteral("Cancel")
                                                                        : QStringLiteral("Ok");
        QTest::keyClick(box, Qt::Key_Return);
    };
    answer(pressReturn);
    QCOMPARE(dialogs.Message(QStringLiteral("Go on?"), QStringLiteral("Query"), Buttons::OkCancel, Icon::None),
             Answer::Ok);
    QCOMPARE(seen, QStringLiteral("Ok"));
    answer(pressReturn);
    QCOMPARE(dialogs.Message(QStringLiteral("Erase?"), QStringLiteral("Query"), Buttons::OkCancelDefaultCancel,
                             Icon::None),
             Answer::Cancel);
    QCOMPARE(seen, QStringLiteral("Cancel"));
    // Without a user the console answers with the default as well.
    ConsoleDialogs console;
    QCOMPARE(console.Message(QStringLiteral("Erase?"), QString(), Buttons::OkCancelDefaultCancel, Icon::None),
             Answer::Cancel);
    QCOMPARE(console.Message(QStringLiteral("Go on?"), QString(), Buttons::OkCancel, Icon::None), Answer::Ok);

    answer([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        seen = box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.ShowError(QStringLiteral("'x' is not a valid integer value"));
    QCOMPARE(seen, QStringLiteral("Error|'x' is not a valid integer value"));

    answer([&](QWidget* w) {
        auto* input = qobject_cast<QInputDialog*>(w);
        QVERIFY(input);
        seen = input->windowTitle() + QLatin1Char('|') + input->labelText() + QLatin1Char('|') + input->textValue();
        input->setTextValue(QStringLiteral("probe 7"));
        input->accept();
    });
    QString comment = QStringLiteral("start");
    QVERIFY(dialogs.InputQuery(QStringLiteral("Input dialog"), QStringLiteral("Input comment"), comment));
    QCOMPARE(seen, QStringLiteral("Input dialog|Input comment|start"));
    QCOMPARE(comment, QStringLiteral("probe 7"));

    QTemporaryDir dir;
    QFile existing(dir.filePath(QStringLiteral("log.CSV")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    answer([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        QVERIFY(fd);
        QCOMPARE(fd->windowTitle(), QStringLiteral("Save"));
        QCOMPARE(fd->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(fd->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(fd->defaultSuffix(), QStringLiteral("CSV"));
        QCOMPARE(QDir(fd->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        QCOMPARE(fd->nameFilters(), (L{"Comma-Separated Values (*.CSV)", "All files (*.*)"}));
        fd->selectFile(QStringLiteral("log.CSV"));
        static_cast<QDialog*>(fd)->accept();
    });
    SaveFileRequest request;
    request.title = QStringLiteral("Save");
    request.initialDir = dir.path();
    request.filter = QStringLiteral("Comma-Separated Values (*.CSV);;All files (*.*)");
    request.defaultSuffix = QStringLiteral("CSV");
    QString chosen;
    QVERIFY(dialogs.SaveFile(request, chosen));
    QCOMPARE(QFileInfo(chosen).fileName(), QStringLiteral("log.CSV"));
}

void ShellWindowsTest::maskedEdits()
{
    QCOMPARE(QtInputMask(QStringLiteral("##;1;_")), QStringLiteral("##;_"));
    QCOMPARE(QtInputMask(QStringLiteral("##")), QStringLiteral("##;_"));
    QCOMPARE(QtInputMask(QStringLiteral("####;1;")), QStringLiteral("####; "));
    QCOMPARE(QtInputMask(QStringLiteral("####;1;_")), QStringLiteral("####;_"));

    AppWindows w;
    QLineEdit* from = SpecialWin()->rangeFromField;
    QCOMPARE(from->displayText(), QStringLiteral("1_"));
    from->setText(QStringLiteral("123"));
    QCOMPARE(from->text(), QStringLiteral("12"));
    from->clear();
    QTest::keyClicks(from, QStringLiteral("a7x"));
    QCOMPARE(from->text(), QStringLiteral("7"));
    QLineEdit* bd = SpecialWin()->breakDownTimerField;
    QCOMPARE(bd->displayText(), QStringLiteral("    "));
    bd->setText(QStringLiteral("30"));
    QCOMPARE(bd->text().trimmed(), QStringLiteral("30"));
    bd->setText(QStringLiteral("12345"));
    QCOMPARE(bd->text(), QStringLiteral("1234"));
    QCOMPARE(SpecialWin()->breakOffTimerField->displayText(), QStringLiteral("____"));
}

QTEST_MAIN(ShellWindowsTest)
#include "test_shell_windows.moc"
