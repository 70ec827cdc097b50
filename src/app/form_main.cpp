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

#include <QBoxLayout>
#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>

#include <algorithm>
#include <utility>

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
    setFont(ArialFont(13));

    Button_Init = new QPushButton(QStringLiteral("&Init"), this);
    Button_Init->setObjectName(QStringLiteral("Button_Init"));
    Button_Init->setFont(ArialRoundedFont(47));
    SetDesignedMinimum(Button_Init, {489, 105});
    Button_Init->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    // Init and the Device group take turns in one place; the group's size holds the place.
    auto* top = new QGridLayout;
    top->addWidget(BuildDeviceGroup(), 0, 0, Qt::AlignHCenter | Qt::AlignTop);
    top->addWidget(Button_Init, 0, 0, Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(50, 30, 50, 43);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addSpacing(40);
    layout->addLayout(BuildFunctionButtons());
    ConnectControls();
    resize(1052, 428);
}

QGroupBox* TForm_Main::BuildDeviceGroup()
{
    GroupBox_Device = new QGroupBox(QStringLiteral("Device"), this);
    GroupBox_Device->setObjectName(QStringLiteral("GroupBox_Device"));
    GroupBox_Device->setFont(ArialFont(21));

    auto label = [this](const char* name, const QString& text, int width, const QFont& font) {
        QLabel* l = MakeLabel(QString::fromLatin1(name), text, font, GroupBox_Device);
        SetDesignedMinimum(l, {width, 0});
        return l;
    };
    Label_Device = label("Label_Device", QString(), 170, ArialFont(40));
    Label_KRX = label("Label_KRX", QStringLiteral("Sw. Version  :"), 262, ArialFont(40));
    Label_SW = label("Label_SW", QString(), 100, ArialFont(40));
    Label_SN_ = label("Label_SN_", QStringLiteral("Serial No. : "), 170, ArialNarrowFont(27, true));
    Label_SN = label("Label_SN", QString(), 360, ArialFont(27));
    Label_Date_ = label("Label_Date_", QStringLiteral("Date           :"), 170, ArialFont(21));
    Label_Date = label("Label_Date", QString(), 130, ArialFont(21));
    LabelTime_ = label("LabelTime_", QStringLiteral("Time  : "), 70, ArialFont(21));
    Label_Time = label("Label_Time", QString(), 140, ArialFont(21));
    Label_BatteryCondition = label("Label_BatteryCondition", QStringLiteral("Battery       :"), 170, ArialFont(21));
    Label_BattCond = label("Label_BattCond", QString(), 360, ArialFont(21));

    // The version follows the device name's column; date and time share the lines' value column.
    auto* version = new QHBoxLayout;
    version->setSpacing(4);
    version->addWidget(Label_KRX);
    version->addWidget(Label_SW, 1);
    auto* grid = new QGridLayout(GroupBox_Device);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(0);
    grid->addWidget(Label_Device, 0, 0);
    grid->addLayout(version, 0, 1, 1, 3);
    grid->addWidget(Label_SN_, 1, 0);
    grid->addWidget(Label_SN, 1, 1, 1, 3);
    grid->addWidget(Label_Date_, 2, 0);
    grid->addWidget(Label_Date, 2, 1);
    grid->addWidget(LabelTime_, 2, 2);
    grid->addWidget(Label_Time, 2, 3);
    grid->addWidget(Label_BatteryCondition, 3, 0);
    grid->addWidget(Label_BattCond, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    // The designed line heights; larger fonts take more.
    for (auto [row, height] : {std::pair{0, 52}, {1, 36}, {2, 30}, {3, 30}})
        grid->setRowMinimumHeight(row, height);
    FitGroupLayout(GroupBox_Device, {14, 2, 8, 6});
    KeepPlaceWhenHidden(GroupBox_Device);
    GroupBox_Device->hide();
    return GroupBox_Device;
}

QHBoxLayout* TForm_Main::BuildFunctionButtons()
{
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(ArialFont(19, true));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        SetDesignedMinimum(b, {220, 65});
        return b;
    };
    BitBtn_Measuring = button("BitBtn_Measuring", QStringLiteral("&Measuring"));
    BitBtn_Measuring_timer = button("BitBtn_Measuring_timer", QStringLiteral("Measuring with &timer"));
    BitBtn_Special_function = button("BitBtn_Special_function", QStringLiteral("&Special function"));
    BitBtn_Exit = button("BitBtn_Exit", QStringLiteral("E&xit"));
    BitBtn_Measuring->setEnabled(false);
    BitBtn_Measuring_timer->setEnabled(false);
    BitBtn_Special_function->setEnabled(false);

    auto* row = new QHBoxLayout;
    row->setSpacing(24);
    for (QPushButton* b : {BitBtn_Measuring, BitBtn_Measuring_timer, BitBtn_Special_function, BitBtn_Exit})
        row->addWidget(b);
    return row;
}

void TForm_Main::ConnectControls()
{
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
