// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/form_meas.h"

#include "device/protocol.h"
#include "measure/cycle_view.h"

#include "app/form_main.h"
#include "common/ui_wait.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>

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
    setFont(ArialFont(24));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(7);
    layout->addWidget(BuildSetupGroup());
    layout->addWidget(BuildMeasuringGroup(), 1);
    ConnectControls();
    resize(946, 580);
}

QGroupBox* TForm_Meas::BuildSetupGroup()
{
    GroupBox2 = new QGroupBox(QStringLiteral("Setup"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));

    RadioGroup_UmessMode = new RadioGroup(QStringLiteral("Select voltage function"),
                                          {QStringLiteral("Manuell"), QStringLiteral("Auto")}, 1, GroupBox2);
    RadioGroup_UmessMode->setObjectName(QStringLiteral("RadioGroup_UmessMode"));
    RadioGroup_Measvolt = new RadioGroup(
        QStringLiteral("Measurement voltage"),
        {QStringLiteral("10V"), QStringLiteral("100V"), QStringLiteral("500V"), QStringLiteral("1000V")}, 2, GroupBox2);
    RadioGroup_Measvolt->setObjectName(QStringLiteral("RadioGroup_Measvolt"));
    RadioGroup_MeasDispl = new RadioGroup(QStringLiteral("Measurement display"),
                                          {QStringLiteral("Technical"), QStringLiteral("Exponent")}, 1, GroupBox2);
    RadioGroup_MeasDispl->setObjectName(QStringLiteral("RadioGroup_MeasDispl"));

    auto* row = new QHBoxLayout(GroupBox2);
    row->setSpacing(22);
    for (RadioGroup* g : {RadioGroup_UmessMode, RadioGroup_Measvolt, RadioGroup_MeasDispl}) {
        g->setFont(ArialFont(19));
        row->addWidget(g, 1);
    }
    FitGroupLayout(GroupBox2, {12, 4, 12, 8});
    RadioGroup_UmessMode->SetItemIndex(1);
    RadioGroup_Measvolt->SetItemIndex(0);
    RadioGroup_Measvolt->setEnabled(false);
    RadioGroup_MeasDispl->SetItemIndex(1);
    return GroupBox2;
}

QGroupBox* TForm_Meas::BuildMeasuringGroup()
{
    GroupBoxMeas = new QGroupBox(QStringLiteral("Measuring"), this);
    GroupBoxMeas->setObjectName(QStringLiteral("GroupBoxMeas"));

    auto label = [this](const char* name, const QString& text, int width, int px) {
        QLabel* l = MakeLabel(QString::fromLatin1(name), text, ArialFont(px), GroupBoxMeas);
        SetDesignedMinimum(l, {width, 0});
        return l;
    };
    Label_temp = label("Label_temp", QStringLiteral("Temperature :"), 200, 29);
    Label_Temp_V = label("Label_Temp_V", QString(), 170, 29);
    Label_humidity = label("Label_humidity", QStringLiteral("Humidity :"), 150, 29);
    Label_Humi_V = label("Label_Humi_V", QString(), 150, 29);
    Label1 = label("Label1", QStringLiteral("0"), 140, 24);
    Label1->setAlignment(Qt::AlignCenter);
    KeepPlaceWhenHidden(Label1);
    Label1->hide();
    auto* climate = new QHBoxLayout;
    climate->setSpacing(16);
    climate->addWidget(Label_temp);
    climate->addWidget(Label_Temp_V);
    climate->addSpacing(14);
    climate->addWidget(Label_humidity);
    climate->addWidget(Label_Humi_V);
    climate->addStretch(1);
    climate->addWidget(Label1);

    QStyle* style = QApplication::style();
    auto bitBtn = [this, style](const char* name, const QString& caption, QStyle::StandardPixmap pixmap) {
        QPushButton* b = MakeBitBtn(QString::fromLatin1(name), caption, style->standardIcon(pixmap), GroupBoxMeas);
        b->setFont(ArialFont(21, true));
        b->setIconSize(QSize(24, 24));
        SetDesignedMinimum(b, {148, 46});
        return b;
    };
    BitBtn_Start = bitBtn("BitBtn_Start", QStringLiteral("&Start"), QStyle::SP_MediaPlay);
    BitBtn_Break = bitBtn("BitBtn_Break", QStringLiteral("&Break"), QStyle::SP_MediaStop);
    BitBtn_Save = bitBtn("BitBtn_Save", QStringLiteral("S&ave"), QStyle::SP_DialogSaveButton);
    BitBtn_Back = bitBtn("BitBtn_Back", QStringLiteral("Bac&k"), QStyle::SP_ArrowBack);
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 6, 0, 0);
    buttons->setSpacing(6);
    for (QPushButton* b : {BitBtn_Start, BitBtn_Break, BitBtn_Save, BitBtn_Back})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(16);
    middle->addWidget(BuildResistanceGroup(), 1);
    middle->addLayout(buttons);

    auto* layout = new QVBoxLayout(GroupBoxMeas);
    layout->setSpacing(8);
    layout->addLayout(climate);
    layout->addLayout(middle, 1);
    layout->addWidget(BuildTimerGroup());
    FitGroupLayout(GroupBoxMeas, {12, 4, 12, 6});
    return GroupBoxMeas;
}

QGroupBox* TForm_Meas::BuildResistanceGroup()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Resistance value"), GroupBoxMeas);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto label = [this](const char* name, const QString& text, int px) {
        return MakeLabel(QString::fromLatin1(name), text, ArialFont(px), GroupBox1);
    };
    Label_Status = label("Label_Status", QString(), 16);
    Label_Status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    GroupBox_Timer = new QGroupBox(QStringLiteral("Rest time"), GroupBox1);
    GroupBox_Timer->setObjectName(QStringLiteral("GroupBox_Timer"));
    GroupBox_Timer->setFont(ArialFont(21));

    Label_Timer_S = MakeLabel(QStringLiteral("Label_Timer_S"), QStringLiteral("0 Sec"), ArialFont(21), GroupBox_Timer);
    Label_Timer_S->setAlignment(Qt::AlignCenter);
    SetDesignedMinimum(Label_Timer_S, {160, 30});
    auto* timerLayout = new QVBoxLayout(GroupBox_Timer);
    timerLayout->addWidget(Label_Timer_S);
    FitGroupLayout(GroupBox_Timer, {10, 0, 10, 4});
    KeepPlaceWhenHidden(GroupBox_Timer);
    auto* top = new QHBoxLayout;
    top->addWidget(Label_Status, 1);
    top->addWidget(GroupBox_Timer);

    Label_Resistance = label("Label_Resistance", QStringLiteral("R = "), 60);
    SetDesignedMinimum(Label_Resistance, {116, 72});
    Label_ResistaceValue = label("Label_ResistaceValue", QString(), 60);
    Label_ResistaceValue->setAlignment(Qt::AlignCenter);
    SetDesignedMinimum(Label_ResistaceValue, {420, 72});
    auto* value = new QHBoxLayout;
    value->addWidget(Label_Resistance);
    value->addWidget(Label_ResistaceValue, 1);

    Label_Mv = label("Label_Mv", QStringLiteral("Measuring voltage :"), 16);
    SetDesignedMinimum(Label_Mv, {250, 0});
    Label_St = label("Label_St", QStringLiteral("Sample time :"), 16);
    Label_St_V = label("Label_St_V", QStringLiteral("0"), 16);
    SetDesignedMinimum(Label_St_V, {100, 0});
    Label_WStV = label("Label_WStV", QString(), 16);
    Label_WStV->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    for (QLabel* l : {Label_Mv, Label_St, Label_St_V}) {
        KeepPlaceWhenHidden(l);
        bottom->addWidget(l);
    }
    bottom->addWidget(Label_WStV, 1);

    auto* layout = new QVBoxLayout(GroupBox1);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addLayout(value, 1);
    layout->addLayout(bottom);
    FitGroupLayout(GroupBox1, {12, 0, 8, 4});
    return GroupBox1;
}

QGroupBox* TForm_Meas::BuildTimerGroup()
{
    GroupBox_SetTimer = new QGroupBox(QStringLiteral("Set Timer"), GroupBoxMeas);
    GroupBox_SetTimer->setObjectName(QStringLiteral("GroupBox_SetTimer"));
    GroupBox_SetTimer->setFont(ArialFont(19));
    ScrollBar_Timer = new QScrollBar(Qt::Horizontal, GroupBox_SetTimer);
    ScrollBar_Timer->setObjectName(QStringLiteral("ScrollBar_Timer"));
    ScrollBar_Timer->setRange(1, 600);
    ScrollBar_Timer->setValue(10);
    ScrollBar_Timer->setSingleStep(1);
    ScrollBar_Timer->setPageStep(10);
    // A scroll bar takes no focus by default; the timer is set from the keyboard too.
    ScrollBar_Timer->setFocusPolicy(Qt::StrongFocus);
    // Left and Page Down shorten the time, as on any horizontal slider (a scroll bar turns them round).
    ScrollBar_Timer->setInvertedControls(false);
    ScrollBar_Timer->setMinimumSize(300, 24);
    SpinBox_Timer = new QSpinBox(GroupBox_SetTimer);
    SpinBox_Timer->setObjectName(QStringLiteral("timerSecondsField"));
    SpinBox_Timer->setRange(ScrollBar_Timer->minimum(), ScrollBar_Timer->maximum());
    SpinBox_Timer->setValue(ScrollBar_Timer->value());
    SpinBox_Timer->setAlignment(Qt::AlignRight);
    SpinBox_Timer->setAccessibleName(QStringLiteral("Timer seconds"));
    Label_Time = MakeLabel(QStringLiteral("Label_Time"), QString(), ArialFont(19), GroupBox_SetTimer);
    Label_Time->setAlignment(Qt::AlignCenter);
    auto* setting = new QHBoxLayout;
    setting->setSpacing(8);
    setting->addWidget(ScrollBar_Timer, 1);
    setting->addWidget(SpinBox_Timer);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addStretch(1);
    left->addLayout(setting);
    left->addWidget(Label_Time);
    left->addStretch(1);

    RadioGroup_VoltCalc = new RadioGroup(QStringLiteral("Calculation"),
                                         {QStringLiteral("A&verage"), QStringLiteral("&Lapse")}, 1, GroupBox_SetTimer);
    RadioGroup_VoltCalc->setObjectName(QStringLiteral("RadioGroup_VoltCalc"));
    RadioGroup_VoltCalc->setFont(ArialFont(16));
    RadioGroup_VoltCalc->setMinimumWidth(220);
    RadioGroup_VoltCalc->SetItemIndex(1);

    auto* layout = new QHBoxLayout(GroupBox_SetTimer);
    layout->setSpacing(24);
    layout->addLayout(left, 1);
    layout->addWidget(RadioGroup_VoltCalc);
    layout->addSpacing(100);
    FitGroupLayout(GroupBox_SetTimer, {16, 0, 16, 2});
    // Hidden outside timer mode; the groups above keep their places then.
    KeepPlaceWhenHidden(GroupBox_SetTimer);
    GroupBox_SetTimer->hide();
    return GroupBox_SetTimer;
}

void TForm_Meas::ConnectControls()
{
    connect(RadioGroup_UmessMode, &RadioGroup::Click, this,
            [this] { RunHandler([this] { RadioGroup_UmessModeClick(); }); });
    connect(RadioGroup_Measvolt, &RadioGroup::Click, this,
            [this] { RunHandler([this] { RadioGroup_MeasvoltClick(); }); });
    connect(RadioGroup_MeasDispl, &RadioGroup::Click, this,
            [this] { RunHandler([this] { RadioGroup_MeasDisplClick(); }); });
    connect(ScrollBar_Timer, &QScrollBar::valueChanged, this, [this] { ScrollBar_TimerChange(); });
    // Field and scroll bar follow each other; setting the same value again signals nothing, so
    // the two do not echo.
    connect(ScrollBar_Timer, &QScrollBar::valueChanged, SpinBox_Timer, &QSpinBox::setValue);
    connect(SpinBox_Timer, &QSpinBox::valueChanged, ScrollBar_Timer, &QScrollBar::setValue);
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
    // The window only hides (Back does that); it lives until the program ends. A close box shown
    // by the window manager, or a close by key, leaves as Back, breaking a running cycle first.
    event->ignore();
    if (isHidden())
        return;  // a close of the hidden window (the program ending) is no Back
    if (Running)
        RunHandler([this] { BitBtn_BreakClick(); });
    BackWhenIdle();
}

void TForm_Meas::BackWhenIdle()
{
    if (backPending_)
        return;
    // Back starts Init, which the runner refuses until the broken cycle has wound up.
    if (cycleActive_ || runner_.Busy()) {
        backPending_ = true;
        QTimer::singleShot(1, this, [this] {
            backPending_ = false;
            BackWhenIdle();
        });
        return;
    }
    RunHandler([this] { BitBtn_BackClick(); });
}
