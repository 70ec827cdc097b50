// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/form_meas.h"

#include "device/protocol.h"
#include "measure/cycle_view.h"

#include "app/form_main.h"
#include "common/ui_wait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

using namespace krx;

TForm_Meas* Form_Meas = nullptr;

TForm_Meas::TForm_Meas(ProcedureRunner& runner)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      runner_(runner),
      view_(std::make_unique<CycleView>(*this)),
      cycle_(Usb, runner, *view_)
{
    setObjectName(QStringLiteral("Form_Meas"));
    setWindowTitle(QStringLiteral("Measuring KRX 738"));
    BuildControls();
    ApplyWindowStyle(this);
    ShowReadingLabels(false);
    CentreOnPrimaryScreen(this);
}

void TForm_Meas::BuildControls()
{
    setFixedSize(946, 580);
    setFont(ArialFont(24));

    auto label = [](QWidget* parent, const char* name, const QString& text, const QRect& r, int px) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(ArialFont(px));
        l->setGeometry(r);
        return l;
    };

    GroupBox2 = new QGroupBox(QStringLiteral("Setup"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 4, 930, 145);

    RadioGroup_UmessMode = new RadioGroup(QStringLiteral("Select voltage function"),
                                          {QStringLiteral("Manuell"), QStringLiteral("Auto")}, 1, GroupBox2);
    RadioGroup_UmessMode->setObjectName(QStringLiteral("RadioGroup_UmessMode"));
    RadioGroup_UmessMode->setGeometry(14, 40, 286, 94);
    RadioGroup_Measvolt = new RadioGroup(
        QStringLiteral("Measurement voltage"),
        {QStringLiteral("10V"), QStringLiteral("100V"), QStringLiteral("500V"), QStringLiteral("1000V")}, 2, GroupBox2);
    RadioGroup_Measvolt->setObjectName(QStringLiteral("RadioGroup_Measvolt"));
    RadioGroup_Measvolt->setGeometry(322, 40, 286, 94);
    RadioGroup_MeasDispl = new RadioGroup(QStringLiteral("Measurement display"),
                                          {QStringLiteral("Technical"), QStringLiteral("Exponent")}, 1, GroupBox2);
    RadioGroup_MeasDispl->setObjectName(QStringLiteral("RadioGroup_MeasDispl"));
    RadioGroup_MeasDispl->setGeometry(630, 40, 286, 94);
    for (RadioGroup* g : {RadioGroup_UmessMode, RadioGroup_Measvolt, RadioGroup_MeasDispl})
        g->setFont(ArialFont(19));
    RadioGroup_UmessMode->SetItemIndex(1);
    RadioGroup_Measvolt->SetItemIndex(0);
    RadioGroup_Measvolt->setEnabled(false);
    RadioGroup_MeasDispl->SetItemIndex(1);

    GroupBoxMeas = new QGroupBox(QStringLiteral("Measuring"), this);
    GroupBoxMeas->setObjectName(QStringLiteral("GroupBoxMeas"));
    GroupBoxMeas->setGeometry(8, 156, 930, 416);

    Label_temp = label(GroupBoxMeas, "Label_temp", QStringLiteral("Temperature :"), {16, 36, 200, 36}, 29);
    Label_Temp_V = label(GroupBoxMeas, "Label_Temp_V", QString(), {220, 36, 170, 36}, 29);
    Label_humidity = label(GroupBoxMeas, "Label_humidity", QStringLiteral("Humidity :"), {420, 36, 150, 36}, 29);
    Label_Humi_V = label(GroupBoxMeas, "Label_Humi_V", QString(), {574, 36, 150, 36}, 29);
    Label1 = label(GroupBoxMeas, "Label1", QStringLiteral("0"), {770, 36, 140, 36}, 24);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->hide();

    GroupBox1 = new QGroupBox(QStringLiteral("Resistance value"), GroupBoxMeas);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(12, 80, 740, 206);
    Label_Resistance = label(GroupBox1, "Label_Resistance", QStringLiteral("R = "), {12, 86, 116, 72}, 60);
    Label_ResistaceValue = label(GroupBox1, "Label_ResistaceValue", QString(), {128, 86, 600, 72}, 60);
    Label_ResistaceValue->setAlignment(Qt::AlignCenter);
    Label_WStV = label(GroupBox1, "Label_WStV", QString(), {478, 178, 254, 22}, 16);
    Label_WStV->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label_Mv = label(GroupBox1, "Label_Mv", QStringLiteral("Measuring voltage :"), {12, 178, 250, 22}, 16);
    Label_St = label(GroupBox1, "Label_St", QStringLiteral("Sample time :"), {270, 178, 106, 22}, 16);
    Label_St_V = label(GroupBox1, "Label_St_V", QStringLiteral("0"), {376, 178, 100, 22}, 16);
    Label_Status = label(GroupBox1, "Label_Status", QString(), {12, 32, 300, 22}, 16);

    GroupBox_Timer = new QGroupBox(QStringLiteral("Rest time"), GroupBox1);
    GroupBox_Timer->setObjectName(QStringLiteral("GroupBox_Timer"));
    GroupBox_Timer->setFont(ArialFont(21));
    GroupBox_Timer->setGeometry(550, 24, 180, 64);
    Label_Timer_S = label(GroupBox_Timer, "Label_Timer_S", QStringLiteral("0 Sec"), {10, 26, 160, 30}, 21);
    Label_Timer_S->setAlignment(Qt::AlignCenter);

    QStyle* style = QApplication::style();
    auto bitBtn = [this, style](const char* name, const QString& caption, QStyle::StandardPixmap pixmap, int row) {
        QPushButton* b = MakeBitBtn(QString::fromLatin1(name), caption, style->standardIcon(pixmap), GroupBoxMeas);
        b->setFont(ArialFont(21, true));
        b->setIconSize(QSize(24, 24));
        b->setGeometry(768, 86 + row * 52, 148, 46);
        return b;
    };
    BitBtn_Start = bitBtn("BitBtn_Start", QStringLiteral("&Start"), QStyle::SP_MediaPlay, 0);
    BitBtn_Break = bitBtn("BitBtn_Break", QStringLiteral("&Break"), QStyle::SP_MediaStop, 1);
    BitBtn_Save = bitBtn("BitBtn_Save", QStringLiteral("S&ave"), QStyle::SP_DialogSaveButton, 2);
    BitBtn_Back = bitBtn("BitBtn_Back", QStringLiteral("Bac&k"), QStyle::SP_ArrowBack, 3);

    GroupBox_SetTimer = new QGroupBox(QStringLiteral("Set Timer"), GroupBoxMeas);
    GroupBox_SetTimer->setObjectName(QStringLiteral("GroupBox_SetTimer"));
    GroupBox_SetTimer->setFont(ArialFont(19));
    GroupBox_SetTimer->setGeometry(12, 294, 904, 112);
    ScrollBar_Timer = new QScrollBar(Qt::Horizontal, GroupBox_SetTimer);
    ScrollBar_Timer->setObjectName(QStringLiteral("ScrollBar_Timer"));
    ScrollBar_Timer->setRange(1, 600);
    ScrollBar_Timer->setValue(10);
    ScrollBar_Timer->setSingleStep(1);
    ScrollBar_Timer->setPageStep(10);
    ScrollBar_Timer->setGeometry(16, 40, 480, 24);
    Label_Time = label(GroupBox_SetTimer, "Label_Time", QString(), {16, 70, 480, 30}, 19);
    Label_Time->setAlignment(Qt::AlignCenter);
    RadioGroup_VoltCalc = new RadioGroup(QStringLiteral("Calculation"),
                                         {QStringLiteral("A&verage"), QStringLiteral("&Lapse")}, 1, GroupBox_SetTimer);
    RadioGroup_VoltCalc->setObjectName(QStringLiteral("RadioGroup_VoltCalc"));
    RadioGroup_VoltCalc->setFont(ArialFont(16));
    RadioGroup_VoltCalc->setGeometry(560, 26, 220, 78);
    RadioGroup_VoltCalc->SetItemIndex(1);
    GroupBox_SetTimer->hide();


    connect(RadioGroup_UmessMode, &RadioGroup::Click, this,
            [this] { RunHandler([this] { RadioGroup_UmessModeClick(); }); });
    connect(RadioGroup_Measvolt, &RadioGroup::Click, this,
            [this] { RunHandler([this] { RadioGroup_MeasvoltClick(); }); });
    connect(RadioGroup_MeasDispl, &RadioGroup::Click, this,
            [this] { RunHandler([this] { RadioGroup_MeasDisplClick(); }); });
    connect(ScrollBar_Timer, &QScrollBar::valueChanged, this, [this] { ScrollBar_TimerChange(); });
    connect(BitBtn_Back, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_BackClick(); }); });
    connect(BitBtn_Start, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_StartClick(); }); });
    connect(BitBtn_Break, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_BreakClick(); }); });
    connect(BitBtn_Save, &QPushButton::clicked, this, [this] { RunHandler([this] { BitBtn_SaveClick(); }); });
}

void TForm_Meas::ShowReadingLabels(bool visible)
{
    Label_Mv->setVisible(visible);
    Label_St->setVisible(visible);
    Label_St_V->setVisible(visible);
}

TForm_Meas::~TForm_Meas() = default;

SetupChoice TForm_Meas::ChosenSetup() const
{
    static constexpr int kVolts[] = {10, 100, 500, 1000};
    const int item = RadioGroup_Measvolt->ItemIndex();
    const int voltage = item >= 0 && item < 4 ? kVolts[item] : 0;
    return {RadioGroup_UmessMode->ItemIndex(), voltage, RadioGroup_MeasDispl->ItemIndex(),
            RadioGroup_VoltCalc->ItemIndex()};
}

void TForm_Meas::SendMeasuringSetup()
{
    // Read now, sent when the meter is free: during a cycle at its next yield point.
    runner_.Device([this, choice = ChosenSetup()] { Usb.WriteMeasuringSetup(choice); });
}

void TForm_Meas::RadioGroup_UmessModeClick()
{
    // With the automatic voltage function the meter chooses the voltage itself.
    RadioGroup_Measvolt->setEnabled(RadioGroup_UmessMode->ItemIndex() != 1);
    if (!Form_Main->LoadingSetup)
        SendMeasuringSetup();
}

void TForm_Meas::RadioGroup_MeasvoltClick()
{
    if (!Form_Main->LoadingSetup)
        SendMeasuringSetup();
}

void TForm_Meas::RadioGroup_MeasDisplClick()
{
    if (!Form_Main->LoadingSetup)
        SendMeasuringSetup();
}

void TForm_Meas::ScrollBar_TimerChange()
{
    Label_Time->setText(QString::number(ScrollBar_Timer->value()) + QStringLiteral(" Sec"));
}

void TForm_Meas::BitBtn_BackClick()
{
    ShowReadingLabels(false);
    Label_Temp_V->setText(QString());
    Label_ResistaceValue->setText(QString());
    Label_Humi_V->setText(QString());
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMain); });
    Form_Main->show();
    hide();
    BitBtn_Start->setEnabled(true);
    BitBtn_Break->setEnabled(true);
    BitBtn_Save->setEnabled(true);
    Form_Main->InitDevice();
}

void TForm_Meas::closeEvent(QCloseEvent* event)
{
    // The window has no close box; Back is the only way out, also for a close request by key.
    event->ignore();
}
