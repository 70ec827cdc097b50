#include "app/form_main.h"

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

#include <algorithm>

using namespace krx;

TForm_Main* Form_Main = nullptr;

namespace {

// What a user without the udev rule reads after Init: the cause and the fix.
QString NoAccessText()
{
    return QStringLiteral(
        "The KRX 738 is connected, but this user has no permission to open it.\n"
        "\n"
        "The udev rule 60-krx738.rules gives the user logged in at this computer access to the meter. "
        "The program's package installs it; after a build from source, copy it from data/udev to "
        "/etc/udev/rules.d. Then run\n"
        "\n"
        "    sudo udevadm control --reload\n"
        "    sudo udevadm trigger\n"
        "\n"
        "and press Init again.\n"
        "\n"
        "For remote or headless use, without a local login, install the example rule\n"
        "    60-krx738-plugdev.rules\n"
        "instead and add the user to the group plugdev.");
}

}  // namespace

TForm_Main::TForm_Main()
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

int TForm_Main::ConnectIdle()
{
    const int connected = Usb.Connect();
    if (connected > 0)
        Usb.SetRemoteMode(USB::ModeMain);
    return connected;
}

void TForm_Main::InitDevice()
{
    const bool connected = ConnectIdle() == 1;
    // Taken at once: a meter that is there but may not be opened needs a udev rule, not a switch.
    const bool accessDenied = !connected && TheUsbBackend().LastOpenError() == kUsbErrorAccess;
    if (!connected || Usb.ReadIdentity(SerialNo, SwVersion, DeviceName) < 0) {
        TheDialogs().ProcessEvents();
        if (accessDenied)
            TheDialogs().Message(NoAccessText(), QStringLiteral("!! No access to the device !!"), Buttons::Ok,
                                 Icon::Warning);
        else
            TheDialogs().Message(QStringLiteral("Please check if the device is switched on!"),
                                 QStringLiteral("!! No device found !!"), Buttons::Ok, Icon::None);
        return;
    }

    Button_Init->hide();
    BitBtn_Measuring->setEnabled(true);
    BitBtn_Measuring_timer->setEnabled(true);
    BitBtn_Special_function->setEnabled(true);
    GroupBox_Device->show();

    Label_SN->setText(SerialNo);
    Label_SW->setText(SwVersion);
    const QDateTime now = QDateTime::currentDateTime();
    Label_Date->setText(ShortDate(now));
    Label_Time->setText(LongTime(now));
    Label_Device->setText(DeviceName);

    bool batteryEmpty = false;
    Usb.ReadBatteryEmpty(batteryEmpty);  // raises when the meter vanished since the identity read
    Label_BattCond->setText(batteryEmpty ? QStringLiteral("! Empty !") : QStringLiteral("ok"));

    LoadingSetup = true;
    // A setup that could not be read leaves the controls as they are.
    int voltageIndex = Form_Meas->RadioGroup_Measvolt->ItemIndex();
    int autoVoltage = Form_Meas->RadioGroup_UmessMode->ItemIndex();
    int lapse = Form_Meas->RadioGroup_VoltCalc->ItemIndex();
    int exponentDisplay = Form_Meas->RadioGroup_MeasDispl->ItemIndex();
    int measuringTimer = Form_Meas->ScrollBar_Timer->value();
    if (Usb.ReadMeasuringSetup(voltageIndex, autoVoltage, lapse, exponentDisplay, measuringTimer) > 0) {
        Form_Meas->RadioGroup_VoltCalc->SetItemIndex(lapse);
        Form_Meas->RadioGroup_UmessMode->SetItemIndex(autoVoltage);
        Form_Meas->RadioGroup_Measvolt->SetItemIndex(voltageIndex);
        Form_Meas->RadioGroup_MeasDispl->SetItemIndex(exponentDisplay);
        Form_Meas->ScrollBar_Timer->setValue(std::clamp(measuringTimer, 1, 600));
    }
    LoadingSetup = false;
}

void TForm_Main::Button_InitClick()
{
    InitDevice();
    if (ConnectIdle() == 1)
        Usb.SetRemoteMode(USB::ModeMain);
}

void TForm_Main::BitBtn_MeasuringClick()
{
    hide();
    Form_Meas->show();
    Form_Meas->GroupBox_SetTimer->hide();
    Form_Meas->GroupBox_Timer->hide();
    Form_Meas->BitBtn_Save->setEnabled(false);
    TimerMode = false;
}

void TForm_Main::BitBtn_Measuring_timerClick()
{
    hide();
    Form_Meas->show();
    Form_Meas->GroupBox_SetTimer->show();
    Form_Meas->GroupBox_Timer->show();
    TimerMode = true;
    Form_Meas->Label_Time->setText(QString::number(Form_Meas->ScrollBar_Timer->value()) + QStringLiteral(" Sec"));
    Usb.SetRemoteMode(USB::ModeMeasureTimer);
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
    Usb.SetRemoteMode(USB::ModeSpecial);
}

void TForm_Main::BitBtn_ExitClick()
{
    // The meter is released only when it is still there; an absent meter is no reason for a box.
    if (ConnectIdle() == 1)
        Usb.SetRemoteMode(USB::ModeEnd);
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
