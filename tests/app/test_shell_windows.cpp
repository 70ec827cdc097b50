// SPDX-License-Identifier: GPL-3.0-or-later
// The three windows against the simulated meter: Init, the moves between the windows with their
// remote-mode codes, the measurement window's option handlers, and the end of the program.
#include "app_windows.h"
#include "child.h"
#include "sim_fixture.h"

#include "app/main_window.h"
#include "app/qt_dialogs.h"
#include "common/controls.h"
#include "app/startup.h"
#include "app/version.h"
#include "measure/measurement_window.h"
#include "memory/special_functions_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
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

using namespace krx;
using krx::sim::Fault;
using krx::test::AppWindows;
using krx::test::SimSetup;
using L = QStringList;

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

// Describe() texts of a trace file written by a child ("<seconds> <record>" per line).
L TraceRecords(const QString& path)
{
    QFile f(path);
    L out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty())
            out << QString::fromLatin1(line.mid(line.indexOf(' ') + 1));
    return out;
}

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
    QVERIFY(Form_Main && Form_Meas && Form_SonFunc);
    QVERIFY(Form_Main->isHidden() && Form_Meas->isHidden() && Form_SonFunc->isHidden());

    VersionRecord v;
    ReadVersionInfo(v);
    QCOMPARE(v.ProductName, QStringLiteral("KRX 738"));
    QCOMPARE(v.FileVersion, QStringLiteral("1.0.3.1"));
    QVERIFY(!v.CompanyName.isEmpty());
    QCOMPARE(Form_Main->windowTitle(),
             QStringLiteral("KRX 738 read out program ") + v.CompanyName + QStringLiteral(" Version : 1.0.3.1"));
    QCOMPARE(Form_Meas->windowTitle(), QStringLiteral("Measuring KRX 738"));
    QCOMPARE(Form_SonFunc->windowTitle(), QStringLiteral("Special function"));

    // Accelerators: none on the two measurement buttons, kept on the others.
    QCOMPARE(Form_Main->measuringButton->text(), QStringLiteral("Measuring"));
    QCOMPARE(Form_Main->timerMeasuringButton->text(), QStringLiteral("Measuring with timer"));
    QCOMPARE(Form_Main->initButton->text(), QStringLiteral("&Init"));
    QCOMPARE(Form_Main->specialFunctionsButton->text(), QStringLiteral("&Special function"));
    QCOMPARE(Form_Main->exitButton->text(), QStringLiteral("E&xit"));

    QVERIFY(!Form_Main->measuringButton->isEnabled());
    QVERIFY(!Form_Main->timerMeasuringButton->isEnabled());
    QVERIFY(!Form_Main->specialFunctionsButton->isEnabled());
    QVERIFY(Form_Main->exitButton->isEnabled());
    QVERIFY(Form_Main->deviceGroup->isHidden());
    QVERIFY(!Form_Main->TimerMode);
    QVERIFY(!Form_Main->TestMode);
    QCOMPARE(Form_Main->CommandPause, 20);
    QVERIFY(Form_Main->SerialNo.isEmpty() && Form_Main->DeviceName.isEmpty() && Form_Main->SwVersion.isEmpty());

    // The measurement window asks for no close box; a close (by key, or by a box the window
    // manager shows anyway) acts as Back, tested with the measurement cycle.
    QVERIFY(!(Form_Meas->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(Form_Meas->windowFlags() & Qt::WindowSystemMenuHint));

    // Centred on the primary screen's full area, halves toward zero: the frame, once shown (the
    // offscreen platform draws a frame of 2 pixels, so frame and inside differ).
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    for (QWidget* window : {static_cast<QWidget*>(Form_Main), static_cast<QWidget*>(Form_Meas),
                            static_cast<QWidget*>(Form_SonFunc)}) {
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(window->frameGeometry().size() != window->size(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry().topLeft(),
                                  CentredPosition(screen, window->frameGeometry().size()), 500);
        window->hide();
    }
    // Where the user put a window, it stays when it is shown again.
    Form_SonFunc->move(10, 20);
    Form_SonFunc->show();
    QCOMPARE(Form_SonFunc->pos(), QPoint(10, 20));
    Form_SonFunc->hide();
    QCOMPARE(CentredPosition(QSize(1024, 768), QSize(1032, 693)), QPoint(-4, 37));
    QCOMPARE(CentredPosition(QSize(800, 600), QSize(1052, 428)), QPoint(-126, 86));

    // The meter is not touched before Init.
    QVERIFY(t.Take().isEmpty());
}

void ShellWindowsTest::initWithMeter()
{
    SimSetup t;
    AppWindows w;
    Form_Main->show();
    Form_Main->initButton->click();

    QCOMPARE(t.Take(), kInitLines + kInitTail);
    QVERIFY(t.dialogs.shown.empty());
    QVERIFY(Form_Main->initButton->isHidden());
    QVERIFY(!Form_Main->deviceGroup->isHidden());
    QVERIFY(Form_Main->measuringButton->isEnabled());
    QVERIFY(Form_Main->timerMeasuringButton->isEnabled());
    QVERIFY(Form_Main->specialFunctionsButton->isEnabled());
    QCOMPARE(Form_Main->SerialNo, QStringLiteral("73800042"));
    QCOMPARE(Form_Main->serialLabel->text(), QStringLiteral("73800042"));
    QCOMPARE(Form_Main->versionLabel->text(), QStringLiteral("1.07"));
    QCOMPARE(Form_Main->deviceNameLabel->text(), QStringLiteral("KRX 738"));
    QCOMPARE(Form_Main->batteryLabel->text(), QStringLiteral("ok"));
    QVERIFY(!Form_Main->dateLabel->text().isEmpty());
    QVERIFY(!Form_Main->timeLabel->text().isEmpty());
    QCOMPARE(t.meter().RemoteMode(), 3);

    // The meter's setup (500 V manual, technical, average, 60 s) is in the measurement window, and
    // nothing was sent back while it was copied.
    QVERIFY(!Form_Main->LoadingSetup);
    QCOMPARE(Form_Meas->voltageModeChoice->ItemIndex(), 0);
    QVERIFY(Form_Meas->voltageChoice->isEnabled());
    QCOMPARE(Form_Meas->voltageChoice->ItemIndex(), 2);
    QCOMPARE(Form_Meas->displayChoice->ItemIndex(), 0);
    QCOMPARE(Form_Meas->calculationChoice->ItemIndex(), 0);
    QCOMPARE(Form_Meas->timerSlider->value(), 60);
    QCOMPARE(Form_Meas->timeLabel->text(), QStringLiteral("60 Sec"));

    // Another setup in the meter: a second Init copies it, still without sending anything.
    MeterCommands().WriteMeasuringSetup({1, 500, 1, 1});  // automatic voltage, exponent display, lapse
    t.Take();
    Form_Main->InitDevice();
    for (const QString& line : t.Take())
        QVERIFY2(!line.contains(QLatin1String("OUT 53")), qPrintable(line));
    QCOMPARE(Form_Meas->voltageModeChoice->ItemIndex(), 1);
    QVERIFY(!Form_Meas->voltageChoice->isEnabled());
    QCOMPARE(Form_Meas->displayChoice->ItemIndex(), 1);
    QCOMPARE(Form_Meas->calculationChoice->ItemIndex(), 1);
}

void ShellWindowsTest::initWithoutMeter()
{
    sim::Scenario s = sim::Scenario::Default();
    s.present = false;
    SimSetup t(s);
    AppWindows w;
    Form_Main->show();
    Form_Main->initButton->click();

    QCOMPARE(t.Take(), (L{"0 open =0", "0 open =0"}));
    QCOMPARE(t.dialogs.Messages(), L{"!! No device found !!|Please check if the device is switched on!"});
    QCOMPARE(t.dialogs.shown.front().buttons, Buttons::Ok);
    QVERIFY(!Form_Main->initButton->isHidden());
    QVERIFY(Form_Main->deviceGroup->isHidden());
    QVERIFY(!Form_Main->measuringButton->isEnabled());
    QVERIFY(!Form_Main->specialFunctionsButton->isEnabled());

    // Plugged in now: the next press succeeds.
    t.meter().SetPresent(true);
    Form_Main->initButton->click();
    QCOMPARE(t.Take(), kInitLines + kInitTail);
    QVERIFY(Form_Main->measuringButton->isEnabled());
}

void ShellWindowsTest::initBatteryEmptyAndTimerLimits()
{
    sim::Scenario s = sim::Scenario::Default();
    s.batteryEmpty = true;
    s.measuringTimer = 0;
    SimSetup t(s);
    AppWindows w;
    Form_Main->initButton->click();
    QCOMPARE(Form_Main->batteryLabel->text(), QStringLiteral("! Empty !"));
    QCOMPARE(Form_Meas->timerSlider->value(), 1);

    t.meter().scenario().batteryEmpty = false;
    MeterCommands().WriteMeasuringTimer(900);
    Form_Main->initButton->click();
    QCOMPARE(Form_Main->batteryLabel->text(), QStringLiteral("ok"));
    QCOMPARE(Form_Meas->timerSlider->value(), 600);
}

void ShellWindowsTest::initZeroByteIdentityAndFailedReads()
{
    sim::Scenario s = sim::Scenario::Default();
    // Identity answered with no bytes; the timer read of the setup fails.
    s.faults.push_back(Fault{Fault::Short, 0, 10, 1, 1, 0, 0});
    s.faults.push_back(Fault{Fault::Fail, 0, 48, 1, 1, kUsbErrorIo});
    SimSetup t(s);
    AppWindows w;
    Form_Meas->displayChoice->SetItemIndex(0);
    t.Take();
    Form_Main->initButton->click();

    QVERIFY(t.dialogs.shown.empty());
    QVERIFY(!Form_Main->deviceGroup->isHidden());
    QVERIFY(Form_Main->measuringButton->isEnabled());
    QCOMPARE(Form_Main->serialLabel->text(), QString());
    QCOMPARE(Form_Main->deviceNameLabel->text(), QString());
    // The setup could not be read: the controls keep what they showed.
    QCOMPARE(Form_Meas->voltageModeChoice->ItemIndex(), 1);
    QCOMPARE(Form_Meas->voltageChoice->ItemIndex(), 0);
    QCOMPARE(Form_Meas->displayChoice->ItemIndex(), 0);
    QCOMPARE(Form_Meas->calculationChoice->ItemIndex(), 1);
    QCOMPARE(Form_Meas->timerSlider->value(), 10);

    // A failing identity request is a missing meter; the identity on screen stays.
    Form_Main->initButton->click();
    QCOMPARE(Form_Main->serialLabel->text(), QStringLiteral("73800042"));
    t.sim->Inject(Fault{Fault::Fail, 0, 10, 1, 1, kUsbErrorPipe});
    t.Take();
    Form_Main->initButton->click();
    QCOMPARE(t.dialogs.Messages(), L{"!! No device found !!|Please check if the device is switched on!"});
    QCOMPARE(Form_Main->serialLabel->text(), QStringLiteral("73800042"));
    const L lines = t.Take();
    QCOMPARE(lines.mid(0, 3), (L{"0 open =1", "20 OUT 54 [03] =1", "20 IN 10 len=20 [] =-9"}));
    QCOMPARE(lines.mid(3), kInitTail);
}

void ShellWindowsTest::initMeterVanishesAfterIdentity()
{
    SimSetup t;
    AppWindows w;
    SetUsbBackend(std::make_unique<VanishingAfterIdentity>(sim::Scenario::Default()));
    Form_Main->initButton->click();

    // The battery read finds no meter: the error display reports it and Init ends there, nothing
    // sent afterwards. Without the meter's setup the window must not offer the functions (a Start
    // would send stale options): it is back where it was before Init.
    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    QCOMPARE(t.dialogs.shown.front().kind, test::ShownBox::Error);
    QCOMPARE(t.dialogs.shown.front().text, QStringLiteral("The KRX 738 did not answer the status request."));
    QVERIFY(Form_Main->deviceGroup->isHidden());
    QVERIFY(!Form_Main->initButton->isHidden());
    QVERIFY(!Form_Main->measuringButton->isEnabled());
    QVERIFY(!Form_Main->timerMeasuringButton->isEnabled());
    QVERIFY(!Form_Main->specialFunctionsButton->isEnabled());
    QCOMPARE(Form_Main->batteryLabel->text(), QString());
    QVERIFY(!Form_Main->LoadingSetup);
    QCOMPARE(t.Take().mid(3), (L{"0 open =0"}));

    // The same meter back: Init goes through and the functions are offered.
    SetUsbBackend(std::make_unique<sim::SimBackend>(sim::Scenario::Default()));
    Form_Main->initButton->click();
    QVERIFY(!Form_Main->deviceGroup->isHidden());
    QVERIFY(Form_Main->measuringButton->isEnabled());
    QCOMPARE(Form_Main->serialLabel->text(), QStringLiteral("73800042"));
}

void ShellWindowsTest::measuringMoves()
{
    SimSetup t;
    AppWindows w;
    Form_Main->show();
    Form_Main->initButton->click();
    Form_Meas->timerSlider->setValue(25);
    t.Take();

    Form_Main->timerMeasuringButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [07] =1"});
    QVERIFY(Form_Main->isHidden() && Form_Meas->isVisible());
    QVERIFY(Form_Main->TimerMode);
    QVERIFY(Form_Meas->timerGroup->isVisible());
    QVERIFY(Form_Meas->restTimeGroup->isVisible());
    QCOMPARE(Form_Meas->timeLabel->text(), QStringLiteral("25 Sec"));
    QCOMPARE(Form_Meas->voltageLabel->text(), QString());
    QVERIFY(Form_Meas->saveButton->isEnabled());  // only the plain path disables it

    // "Measuring" after "Measuring with timer": the timer groups go, nothing is sent.
    Form_Meas->hide();
    Form_Main->show();
    Form_Main->measuringButton->click();
    QVERIFY(t.Take().isEmpty());
    QVERIFY(Form_Main->isHidden() && Form_Meas->isVisible());
    QVERIFY(!Form_Main->TimerMode);
    QVERIFY(Form_Meas->timerGroup->isHidden());
    QVERIFY(Form_Meas->restTimeGroup->isHidden());
    QVERIFY(!Form_Meas->saveButton->isEnabled());
}

void ShellWindowsTest::backFromMeasuringReinitialises()
{
    SimSetup t;
    AppWindows w;
    Form_Main->show();
    Form_Main->initButton->click();
    Form_Main->measuringButton->click();
    Form_Meas->ShowReadingLabels(true);
    Form_Meas->temperatureLabel->setText(QStringLiteral("22.5 C"));
    Form_Meas->humidityLabel->setText(QStringLiteral("45 %"));
    Form_Meas->resistanceLabel->setText(QStringLiteral("1.23 GOhm"));
    Form_Meas->restTimeLabel->setText(QStringLiteral("7 Sec."));
    Form_Meas->startButton->setEnabled(false);
    MeterCommands().WriteMeasuringTimer(120);  // changed at the meter meanwhile
    t.Take();

    Form_Meas->backButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [03] =1"} + kInitLines.mid(0, 7) + L{"40 IN 48 [00 78] =2"} + kInitLines.mid(8));
    QVERIFY(Form_Main->isVisible() && Form_Meas->isHidden());
    QVERIFY(Form_Meas->voltageLabel->isHidden() && Form_Meas->sampleTimeCaption->isHidden() && Form_Meas->sampleTimeLabel->isHidden());
    QCOMPARE(Form_Meas->temperatureLabel->text(), QString());
    QCOMPARE(Form_Meas->humidityLabel->text(), QString());
    QCOMPARE(Form_Meas->resistanceLabel->text(), QString());
    QCOMPARE(Form_Meas->restTimeLabel->text(), QStringLiteral("7 Sec."));
    QVERIFY(Form_Meas->startButton->isEnabled() && Form_Meas->breakButton->isEnabled() &&
            Form_Meas->saveButton->isEnabled());
    QCOMPARE(Form_Meas->timerSlider->value(), 120);
}

void ShellWindowsTest::specialFunctionMoves()
{
    SimSetup t;
    AppWindows w;
    Form_Main->show();
    Form_Main->initButton->click();
    // Left over from an earlier visit.
    Form_SonFunc->rangeGroup->show();
    Form_SonFunc->functionGroup->hide();
    Form_SonFunc->recordDisplay->setPlainText(QStringLiteral("old lines\nmore"));
    t.Take();

    Form_Main->specialFunctionsButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [0C] =1"});
    QCOMPARE(t.meter().RemoteMode(), 12);
    QVERIFY(Form_Main->isHidden() && Form_SonFunc->isVisible());
    QVERIFY(!Form_SonFunc->saveButton->isEnabled());
    QVERIFY(!Form_SonFunc->functionGroup->isHidden());
    QVERIFY(Form_SonFunc->rangeGroup->isHidden());
    QCOMPARE(Form_SonFunc->recordDisplay->toPlainText(), QString());

    // Closing the window leaves the break-down group as it was.
    Form_SonFunc->timersGroup->show();
    Form_SonFunc->progressLabel->setText(QStringLiteral("status"));
    QVERIFY(Form_SonFunc->close());
    QCOMPARE(t.Take(), L{"20 OUT 54 [03] =1"});
    QVERIFY(Form_Main->isVisible() && Form_SonFunc->isHidden());
    QVERIFY(!Form_SonFunc->timersGroup->isHidden());
    QCOMPARE(Form_SonFunc->progressLabel->text(), QStringLiteral("status"));

    // "Back to main menu" hides it and clears the status line.
    Form_Main->specialFunctionsButton->click();
    t.Take();
    Form_SonFunc->mainMenuButton->click();
    QCOMPARE(t.Take(), L{"20 OUT 54 [03] =1"});
    QVERIFY(Form_Main->isVisible() && Form_SonFunc->isHidden());
    QVERIFY(Form_SonFunc->timersGroup->isHidden());
    QCOMPARE(Form_SonFunc->progressLabel->text(), QString());

    // The range "Save" only raises its flag.
    Form_SonFunc->RangeSaveRequested = false;
    Form_SonFunc->rangeSaveButton->click();
    QVERIFY(Form_SonFunc->RangeSaveRequested);
    QVERIFY(t.Take().isEmpty());
}

void ShellWindowsTest::optionHandlers()
{
    SimSetup t;
    AppWindows w;
    Form_Main->initButton->click();
    Form_Main->measuringButton->click();
    t.Take();

    Form_Meas->voltageModeChoice->Button(1)->click();  // "Auto"
    QVERIFY(!Form_Meas->voltageChoice->isEnabled());
    // With automatic voltage the selected 500 V is still passed; the command set sends the auto bit.
    QCOMPARE(t.Take(), (L{"0 open =1", "20 IN 53 [08 00] =2", "20 OUT 53 [40 00] =2", "20 OUT 53 [40 00] =2",
                          "20 OUT 37 [10] =1"}));
    Form_Meas->voltageModeChoice->Button(0)->click();  // "Manuell"
    QVERIFY(Form_Meas->voltageChoice->isEnabled());
    QCOMPARE(t.Take().mid(2), (L{"20 OUT 53 [08 00] =2", "20 OUT 53 [08 00] =2", "20 OUT 37 [10] =1"}));

    Form_Meas->voltageChoice->Button(3)->click();  // "1000V"
    QCOMPARE(t.Take().mid(2, 1), L{"20 OUT 53 [10 00] =2"});
    Form_Meas->calculationChoice->Button(1)->click();  // no handler: reaches the meter with the next setup
    QVERIFY(t.Take().isEmpty());
    Form_Meas->displayChoice->Button(1)->click();  // "Exponent"
    QCOMPARE(t.Take().mid(2, 1), L{"20 OUT 53 [10 03] =2"});
    // Choosing the selected item again is no change.
    Form_Meas->displayChoice->Button(1)->click();
    QVERIFY(t.Take().isEmpty());

    // The scroll bar only changes its label.
    Form_Meas->timerSlider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(Form_Meas->timeLabel->text(), QStringLiteral("70 Sec"));
    QVERIFY(t.Take().isEmpty());

    // While Init copies the setup the handlers send nothing.
    Form_Main->LoadingSetup = true;
    Form_Meas->voltageModeChoice->SetItemIndex(1);
    Form_Meas->voltageChoice->SetItemIndex(0);
    Form_Main->LoadingSetup = false;
    QVERIFY(t.Take().isEmpty());
    QVERIFY(!Form_Meas->voltageChoice->isEnabled());
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
    Form_Main->show();
    Form_Main->initButton->click();
    t.meter().SetPresent(present);
    t.Take();
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));

    const test::ChildResult r = test::RunInChild([&] {
        TheTransferLog().TraceTo(trace);
        if (byClose)
            Form_Main->close();
        else
            Form_Main->exitButton->click();
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
    QCOMPARE(Form_Main->TestMode, testMode);
}

void ShellWindowsTest::settingsAtStart()
{
    {
        AppWindows w;
        QCOMPARE(Form_Main->SamplingTime, 1000);
        QCOMPARE(Form_Main->DataDirectory, QDir::homePath() + QLatin1Char('/'));
        QVERIFY(!QFile::exists(w.SettingsPath()));
    }
    {
        AppWindows w({QStringLiteral("krx738")}, "[Other]\r\nSamplingTime=7\r\n[krx 738]\r\n"
                                                 "datadirectory = /data/runs/\r\nSamplingTime=0x1F4\r\n");
        QCOMPARE(Form_Main->SamplingTime, 500);
        QCOMPARE(Form_Main->DataDirectory, QStringLiteral("/data/runs/"));
    }
    {
        AppWindows w({QStringLiteral("krx738")}, "[KRX 738]\nSamplingTime=abc\n");
        QCOMPARE(Form_Main->SamplingTime, 1000);
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
    QLineEdit* from = Form_SonFunc->rangeFromField;
    QCOMPARE(from->displayText(), QStringLiteral("1_"));
    from->setText(QStringLiteral("123"));
    QCOMPARE(from->text(), QStringLiteral("12"));
    from->clear();
    QTest::keyClicks(from, QStringLiteral("a7x"));
    QCOMPARE(from->text(), QStringLiteral("7"));
    QLineEdit* bd = Form_SonFunc->breakDownTimerField;
    QCOMPARE(bd->displayText(), QStringLiteral("    "));
    bd->setText(QStringLiteral("30"));
    QCOMPARE(bd->text().trimmed(), QStringLiteral("30"));
    bd->setText(QStringLiteral("12345"));
    QCOMPARE(bd->text(), QStringLiteral("1234"));
    QCOMPARE(Form_SonFunc->breakOffTimerField->displayText(), QStringLiteral("____"));
}

QTEST_MAIN(ShellWindowsTest)
#include "test_shell_windows.moc"
