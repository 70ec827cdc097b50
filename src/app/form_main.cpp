// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form_main.h"

#include "device/protocol.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/version.h"
#include "common/controls.h"
#include "common/dialogs.h"
#include "common/localetext.h"
#include "common/ui_wait.h"
#include "device/backend.h"
#include "measure/form_meas.h"
#include "memory/form_sonfunc.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>

#include <algorithm>

using namespace krx;

TForm_Main* Form_Main = nullptr;


TForm_Main::TForm_Main(ProcedureRunner& runner) : runner_(runner)
{
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(QStringLiteral("Mainform"));
    BuildControls();
    ApplyWindowStyle(this);

    // Text fields are empty and both modes off by their initialisers.
    TestMode = TestModeFromParameters(ProgramParameters());

    VersionRecord version;
    ReadVersionInfo(version);
    setWindowTitle(MainCaption(version));

    CentreOnPrimaryScreen(this);

    // The designed captions carry accelerators; these two buttons are meant to have none.
    BitBtn_Measuring->setText(QStringLiteral("Measuring"));
    BitBtn_Measuring_timer->setText(QStringLiteral("Measuring with timer"));

    CommandPause = 20;

    const SettingsPlaces settings = CurrentSettingsPlaces();
    DataDirectory = settings.Read(QStringLiteral("DataDirectory"), DefaultDataDirectory());
    SamplingTime = settings.ReadInteger(QStringLiteral("SamplingTime"), 1000);
    // A hand-edited value outside an hour would give one reading and then a wait until Break.
    if (SamplingTime < 0 || SamplingTime > kLongestSamplingTime) {
        unusableSamplingTime_ = SamplingTime;
        SamplingTime = 1000;
    }
}

void TForm_Main::SaySamplingTimeOnce()
{
    if (!unusableSamplingTime_)
        return;
    TheDialogs().Message(QStringLiteral("SamplingTime=%1 in the settings file is not a sampling time (0 to %2 ms); "
                                        "the measurement reads every 1000 ms.")
                             .arg(*unusableSamplingTime_)
                             .arg(kLongestSamplingTime),
                         QStringLiteral("Settings"), Buttons::Ok, Icon::Warning);
    unusableSamplingTime_.reset();
}

void TForm_Main::BuildControls()
{
    setFixedSize(1052, 428);
    setFont(ArialFont(13));

    Button_Init = new QPushButton(QStringLiteral("&Init"), this);
    Button_Init->setObjectName(QStringLiteral("Button_Init"));
    Button_Init->setFont(ArialRoundedFont(47));
    Button_Init->setGeometry(281, 70, 489, 105);

    GroupBox_Device = new QGroupBox(QStringLiteral("Device"), this);
    GroupBox_Device->setObjectName(QStringLiteral("GroupBox_Device"));
    GroupBox_Device->setFont(ArialFont(21));
    GroupBox_Device->setGeometry(237, 30, 577, 185);
    GroupBox_Device->hide();

    auto label = [this](const char* name, const QString& text, int x, int y, int w, int h, const QFont& font) {
        auto* l = new QLabel(text, GroupBox_Device);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(font);
        l->setGeometry(x, y, w, h);
        return l;
    };
    Label_Device = label("Label_Device", QString(), 14, 30, 170, 48, ArialFont(40));
    Label_KRX = label("Label_KRX", QStringLiteral("Sw. Version  :"), 196, 30, 262, 48, ArialFont(40));
    Label_SW = label("Label_SW", QString(), 462, 30, 110, 48, ArialFont(40));
    Label_SN_ = label("Label_SN_", QStringLiteral("Serial No. : "), 14, 82, 176, 34, ArialNarrowFont(27, true));
    Label_SN = label("Label_SN", QString(), 196, 82, 370, 34, ArialFont(27));
    Label_Date_ = label("Label_Date_", QStringLiteral("Date           :"), 14, 118, 176, 28, ArialFont(21));
    Label_Date = label("Label_Date", QString(), 196, 118, 130, 28, ArialFont(21));
    LabelTime_ = label("LabelTime_", QStringLiteral("Time  : "), 340, 118, 80, 28, ArialFont(21));
    Label_Time = label("Label_Time", QString(), 420, 118, 150, 28, ArialFont(21));
    Label_BatteryCondition =
        label("Label_BatteryCondition", QStringLiteral("Battery       :"), 14, 148, 176, 28, ArialFont(21));
    Label_BattCond = label("Label_BattCond", QString(), 196, 148, 370, 28, ArialFont(21));

    auto button = [this](const char* name, const QString& caption, int index) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(ArialFont(19, true));
        b->setGeometry(50 + index * 244, 320, 220, 65);
        return b;
    };
    BitBtn_Measuring = button("BitBtn_Measuring", QStringLiteral("&Measuring"), 0);
    BitBtn_Measuring_timer = button("BitBtn_Measuring_timer", QStringLiteral("Measuring with &timer"), 1);
    BitBtn_Special_function = button("BitBtn_Special_function", QStringLiteral("&Special function"), 2);
    BitBtn_Exit = button("BitBtn_Exit", QStringLiteral("E&xit"), 3);
    BitBtn_Measuring->setEnabled(false);
    BitBtn_Measuring_timer->setEnabled(false);
    BitBtn_Special_function->setEnabled(false);

    connect(Button_Init, &QPushButton::clicked, this, [this] { RunHandler([this] { Button_InitClick(); }); });
    connect(BitBtn_Measuring, &QPushButton::clicked, this,
            [this] { RunHandler([this] { BitBtn_MeasuringClick(); }); });
    connect(BitBtn_Measuring_timer, &QPushButton::clicked, this,
            [this] { RunHandler([this] { BitBtn_Measuring_timerClick(); }); });
    connect(BitBtn_Special_function, &QPushButton::clicked, this,
            [this] { RunHandler([this] { BitBtn_Special_functionClick(); }); });
    connect(BitBtn_Exit, &QPushButton::clicked, this, [this] { BitBtn_ExitClick(); });
}

void TForm_Main::InitDevice()
{
    RunInit(false);
}

void TForm_Main::Button_InitClick()
{
    RunInit(true);
}

void TForm_Main::RunInit(bool fromButton)
{
    const Identity known{SerialNo, SwVersion, DeviceName};
    runner_.Start([this, known, fromButton] {
        const InitReport report =
            fromButton ? InitFromButton(Usb, runner_, known) : krx::InitDevice(Usb, runner_, known);
        QMetaObject::invokeMethod(this, [this, report] { ShowInit(report); },
                                  QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::QueuedConnection);
    });
}

void TForm_Main::ShowInit(const InitReport& report)
{
    using Outcome = InitReport::Outcome;
    if (report.outcome == Outcome::NoMeter || report.outcome == Outcome::NoAccess)
        return;
    SerialNo = report.identity.serialNo;
    SwVersion = report.identity.swVersion;
    DeviceName = report.identity.deviceName;
    // Without its setup the measurement window would send stale options at the next Start: the
    // window goes back to where it was before Init.
    const bool ready = report.outcome == Outcome::Ready;
    Button_Init->setVisible(!ready);
    BitBtn_Measuring->setEnabled(ready);
    BitBtn_Measuring_timer->setEnabled(ready);
    BitBtn_Special_function->setEnabled(ready);
    GroupBox_Device->setVisible(ready);
    if (!ready)
        return;

    Label_SN->setText(SerialNo);
    Label_SW->setText(SwVersion);
    Label_Date->setText(ShortDate(report.at));
    Label_Time->setText(LongTime(report.at));
    Label_Device->setText(DeviceName);
    Label_BattCond->setText(report.batteryEmpty ? QStringLiteral("! Empty !") : QStringLiteral("ok"));

    // A setup that could not be read leaves the controls as they are.
    if (const auto& setup = report.setup) {
        LoadingSetup = true;
        Form_Meas->RadioGroup_VoltCalc->SetItemIndex(setup->flags.lapse);
        Form_Meas->RadioGroup_UmessMode->SetItemIndex(setup->flags.autoVoltage);
        if (setup->flags.voltageKnown)
            Form_Meas->RadioGroup_Measvolt->SetItemIndex(setup->flags.voltageIndex);
        Form_Meas->RadioGroup_MeasDispl->SetItemIndex(setup->flags.exponentDisplay);
        Form_Meas->ScrollBar_Timer->setValue(std::clamp(setup->measuringTimer, 1, 600));
        LoadingSetup = false;
    }
}

void TForm_Main::BitBtn_MeasuringClick()
{
    SaySamplingTimeOnce();
    hide();
    Form_Meas->show();
    Form_Meas->GroupBox_SetTimer->hide();
    Form_Meas->GroupBox_Timer->hide();
    Form_Meas->BitBtn_Save->setEnabled(false);
    TimerMode = false;
}

void TForm_Main::BitBtn_Measuring_timerClick()
{
    SaySamplingTimeOnce();
    hide();
    Form_Meas->show();
    Form_Meas->GroupBox_SetTimer->show();
    Form_Meas->GroupBox_Timer->show();
    TimerMode = true;
    Form_Meas->Label_Time->setText(QString::number(Form_Meas->ScrollBar_Timer->value()) + QStringLiteral(" Sec"));
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMeasureTimer); });
    Form_Meas->Label_Mv->setText(QString());
}

void TForm_Main::BitBtn_Special_functionClick()
{
    hide();
    Form_SonFunc->show();
    Form_SonFunc->BitBtn_Save->setEnabled(false);
    Form_SonFunc->GroupBox_SpecFunc->show();
    Form_SonFunc->GroupBox_SR->hide();
    Form_SonFunc->Memo_Display->clear();
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeSpecial); });
}

void TForm_Main::BitBtn_ExitClick()
{
    // The meter is released only when it is still there; an absent meter is no reason for a box.
    runner_.Device([this] {
        if (ConnectIdle(Usb))
            Usb.SetRemoteMode(protocol::kModeEnd);
    });
    runner_.WaitIdle();
    ExitProcess(0);
}

void TForm_Main::FormClose()
{
    BitBtn_ExitClick();
}

void TForm_Main::closeEvent(QCloseEvent* event)
{
    event->accept();
    FormClose();
}
