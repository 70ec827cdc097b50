// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's controls and their places: the setup, the measuring group with the
// reading, the timer, and the recording's view beside them.
#include "ui/measurement/measurement_window.h"

#include "ui/record/record_view.h"
#include "ui/window_size.h"

#include <QCoreApplication>
#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QSpinBox>
#include <QStyle>


using namespace krx;

namespace {
// The designed controls with a readable plot beside, and the height a laptop's screen gives: the
// figures under or beside the plot need it.
constexpr QSize kDesignedSize(946 + 12 + 760, 720);
}  // namespace

void MeasurementWindow::BuildControls()
{
    setFont(ArialFont(24));
    auto* controlsPane = new QWidget(this);
    controlsPane->setObjectName(QStringLiteral("ControlsPane"));
    auto* controls = new QVBoxLayout(controlsPane);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(7);
    controls->addWidget(BuildSetupGroup());
    controls->addWidget(BuildMeasuringGroup(), 1);
    // Beside the controls rather than below them, so that the window stays within a common screen's
    // height; the figures of a finished run need the height of the controls.
    auto* recordPane = new QWidget(this);
    recordPane->setObjectName(QStringLiteral("RecordPane"));
    recordView = new MeasurementRecordView(recordPane);
    recordView->setFont(ArialFont(13));
    auto* record = new QVBoxLayout(recordPane);
    record->setContentsMargins(0, 0, 0, 0);
    record->setSpacing(7);
    record->addWidget(recordView, 1);
    record->addLayout(BuildRecordRow());
    // The person decides how the width is shared; neither side goes below what it needs.
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("ControlsAndRecord"));
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(8);
    splitter->addWidget(controlsPane);
    splitter->addWidget(recordPane);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addWidget(splitter);
    ConnectControls();
}

void MeasurementWindow::KeepControlsWidth()
{
    // The controls open at their own width; what the window has beyond goes to the plot.
    KeepWindowSize(this, QStringLiteral("MeasurementWindowSize"), kDesignedSize);
    layout()->activate();  // the splitter's width, to place a stored position in
    KeepSplitterPosition(splitter, QStringLiteral("MeasurementWindowSplit"));
}

QLayout* MeasurementWindow::BuildRecordRow()
{
    // A line rather than a box: a box mid-run would cover Break, and once clicked away nothing
    // would remind the user that the readings are not being recorded.
    recordingWarning = MakeLabel(QStringLiteral("Label_RecordingWarning"), QString(), ArialFont(14), this);
    recordingWarning->setWordWrap(true);
    QPalette p = recordingWarning->palette();
    p.setColor(QPalette::WindowText, QColor(Qt::red));
    recordingWarning->setPalette(p);
    fileTestButton = new QPushButton(QCoreApplication::translate("MeasurementWindow", "&File test…"), this);
    fileTestButton->setObjectName(QStringLiteral("FileTestButton"));
    fileTestButton->setFont(ArialFont(13));
    fileTestButton->setEnabled(false);
    openRecordingButton = new QPushButton(QCoreApplication::translate("MeasurementWindow", "&Open recording…"), this);
    openRecordingButton->setObjectName(QStringLiteral("OpenRecordingButton"));
    openRecordingButton->setFont(ArialFont(13));
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addWidget(recordingWarning, 1);
    row->addWidget(openRecordingButton, 0, Qt::AlignTop);
    row->addWidget(fileTestButton, 0, Qt::AlignTop);
    return row;
}

QGroupBox* MeasurementWindow::BuildSetupGroup()
{
    setupGroup = new QGroupBox(QCoreApplication::translate("MeasurementWindow", "Setup"), this);
    setupGroup->setObjectName(QStringLiteral("GroupBox2"));

    voltageModeChoice = new RadioGroup(QCoreApplication::translate("MeasurementWindow", "Select voltage function"),
                                          {QCoreApplication::translate("MeasurementWindow", "Manuell"), QCoreApplication::translate("MeasurementWindow", "Auto")}, 1, setupGroup);
    voltageModeChoice->setObjectName(QStringLiteral("RadioGroup_UmessMode"));
    voltageChoice = new RadioGroup(
        QCoreApplication::translate("MeasurementWindow", "Measurement voltage"),
        {QStringLiteral("10V"), QStringLiteral("100V"), QStringLiteral("500V"), QStringLiteral("1000V")}, 2, setupGroup);
    voltageChoice->setObjectName(QStringLiteral("RadioGroup_Measvolt"));
    displayChoice = new RadioGroup(QCoreApplication::translate("MeasurementWindow", "Measurement display"),
                                          {QCoreApplication::translate("MeasurementWindow", "Technical"), QCoreApplication::translate("MeasurementWindow", "Exponent")}, 1, setupGroup);
    displayChoice->setObjectName(QStringLiteral("RadioGroup_MeasDispl"));

    auto* row = new QHBoxLayout(setupGroup);
    row->setSpacing(22);
    for (RadioGroup* g : {voltageModeChoice, voltageChoice, displayChoice}) {
        g->setFont(ArialFont(19));
        row->addWidget(g, 1);
    }
    FitGroupLayout(setupGroup, {12, 4, 12, 8});
    voltageModeChoice->SetItemIndex(1);
    voltageChoice->SetItemIndex(0);
    voltageChoice->setEnabled(false);
    displayChoice->SetItemIndex(1);
    return setupGroup;
}

QGroupBox* MeasurementWindow::BuildMeasuringGroup()
{
    measuringGroup = new QGroupBox(QCoreApplication::translate("MeasurementWindow", "Measuring"), this);
    measuringGroup->setObjectName(QStringLiteral("GroupBoxMeas"));

    auto label = [this](const char* name, const QString& text, int width, int px) {
        QLabel* l = MakeLabel(QString::fromLatin1(name), text, ArialFont(px), measuringGroup);
        SetDesignedMinimum(l, {width, 0});
        return l;
    };
    temperatureCaption = label("Label_temp", QCoreApplication::translate("MeasurementWindow", "Temperature :"), 200, 29);
    temperatureLabel = label("Label_Temp_V", QString(), 170, 29);
    humidityCaption = label("Label_humidity", QCoreApplication::translate("MeasurementWindow", "Humidity :"), 150, 29);
    humidityLabel = label("Label_Humi_V", QString(), 150, 29);
    passCounter = label("Label1", QStringLiteral("0"), 140, 24);
    passCounter->setAlignment(Qt::AlignCenter);
    KeepPlaceWhenHidden(passCounter);
    passCounter->hide();
    auto* climate = new QHBoxLayout;
    climate->setSpacing(16);
    climate->addWidget(temperatureCaption);
    climate->addWidget(temperatureLabel);
    climate->addSpacing(14);
    climate->addWidget(humidityCaption);
    climate->addWidget(humidityLabel);
    climate->addStretch(1);
    climate->addWidget(passCounter);

    QStyle* style = QApplication::style();
    auto bitBtn = [this, style](const char* name, const QString& caption, QStyle::StandardPixmap pixmap) {
        QPushButton* b = MakeBitBtn(QString::fromLatin1(name), caption, style->standardIcon(pixmap), measuringGroup);
        b->setFont(ArialFont(21, true));
        b->setIconSize(QSize(24, 24));
        SetDesignedMinimum(b, {148, 46});
        return b;
    };
    startButton = bitBtn("BitBtn_Start", QCoreApplication::translate("MeasurementWindow", "&Start"), QStyle::SP_MediaPlay);
    breakButton = bitBtn("BitBtn_Break", QCoreApplication::translate("MeasurementWindow", "&Break"), QStyle::SP_MediaStop);
    saveButton = bitBtn("BitBtn_Save", QCoreApplication::translate("MeasurementWindow", "S&ave"), QStyle::SP_DialogSaveButton);
    backButton = bitBtn("BitBtn_Back", QCoreApplication::translate("MeasurementWindow", "Bac&k"), QStyle::SP_ArrowBack);
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 6, 0, 0);
    buttons->setSpacing(6);
    for (QPushButton* b : {startButton, breakButton, saveButton, backButton})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(16);
    middle->addWidget(BuildResistanceGroup(), 1);
    middle->addLayout(buttons);

    auto* layout = new QVBoxLayout(measuringGroup);
    layout->setSpacing(8);
    layout->addLayout(climate);
    layout->addLayout(middle, 1);
    // The timer's group and the step-voltage test's share one place: each mode shows one of them.
    auto* modeGroups = new QGridLayout;
    modeGroups->addWidget(BuildTimerGroup(), 0, 0);
    modeGroups->addWidget(BuildStepSettings(), 0, 0);
    layout->addLayout(modeGroups);
    layout->addWidget(BuildMethodSettings());
    FitGroupLayout(measuringGroup, {12, 4, 12, 6});
    return measuringGroup;
}

QGroupBox* MeasurementWindow::BuildResistanceGroup()
{
    resistanceGroup = new QGroupBox(QCoreApplication::translate("MeasurementWindow", "Resistance value"), measuringGroup);
    resistanceGroup->setObjectName(QStringLiteral("GroupBox1"));
    auto label = [this](const char* name, const QString& text, int px) {
        return MakeLabel(QString::fromLatin1(name), text, ArialFont(px), resistanceGroup);
    };
    statusLabel = label("Label_Status", QString(), 16);
    statusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    restTimeGroup = new QGroupBox(QCoreApplication::translate("MeasurementWindow", "Rest time"), resistanceGroup);
    restTimeGroup->setObjectName(QStringLiteral("GroupBox_Timer"));
    restTimeGroup->setFont(ArialFont(21));

    restTimeLabel = MakeLabel(QStringLiteral("Label_Timer_S"), QCoreApplication::translate("MeasurementWindow", "0 Sec"), ArialFont(21), restTimeGroup);
    restTimeLabel->setAlignment(Qt::AlignCenter);
    SetDesignedMinimum(restTimeLabel, {160, 30});
    auto* timerLayout = new QVBoxLayout(restTimeGroup);
    timerLayout->addWidget(restTimeLabel);
    FitGroupLayout(restTimeGroup, {10, 0, 10, 4});
    KeepPlaceWhenHidden(restTimeGroup);
    auto* top = new QHBoxLayout;
    top->addWidget(statusLabel, 1);
    top->addWidget(restTimeGroup);

    resistanceCaption = label("Label_Resistance", QStringLiteral("R = "), 60);
    SetDesignedMinimum(resistanceCaption, {116, 72});
    resistanceLabel = label("Label_ResistaceValue", QString(), 60);
    resistanceLabel->setAlignment(Qt::AlignCenter);
    SetDesignedMinimum(resistanceLabel, {420, 72});
    auto* value = new QHBoxLayout;
    value->addWidget(resistanceCaption);
    value->addWidget(resistanceLabel, 1);

    voltageLabel = label("Label_Mv", QCoreApplication::translate("MeasurementWindow", "Measuring voltage :"), 16);
    SetDesignedMinimum(voltageLabel, {250, 0});
    sampleTimeCaption = label("Label_St", QCoreApplication::translate("MeasurementWindow", "Sample time :"), 16);
    sampleTimeLabel = label("Label_St_V", QStringLiteral("0"), 16);
    SetDesignedMinimum(sampleTimeLabel, {100, 0});
    stableVoltageLabel = label("Label_WStV", QString(), 16);
    stableVoltageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    for (QLabel* l : {voltageLabel, sampleTimeCaption, sampleTimeLabel}) {
        KeepPlaceWhenHidden(l);
        bottom->addWidget(l);
    }
    bottom->addWidget(stableVoltageLabel, 1);

    auto* layout = new QVBoxLayout(resistanceGroup);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addLayout(value, 1);
    layout->addLayout(bottom);
    FitGroupLayout(resistanceGroup, {12, 0, 8, 4});
    return resistanceGroup;
}

QGroupBox* MeasurementWindow::BuildTimerGroup()
{
    timerGroup = new QGroupBox(QCoreApplication::translate("MeasurementWindow", "Set Timer"), measuringGroup);
    timerGroup->setObjectName(QStringLiteral("GroupBox_SetTimer"));
    timerGroup->setFont(ArialFont(19));
    timerSlider = new QScrollBar(Qt::Horizontal, timerGroup);
    timerSlider->setObjectName(QStringLiteral("ScrollBar_Timer"));
    timerSlider->setRange(1, 600);
    timerSlider->setValue(10);
    timerSlider->setSingleStep(1);
    timerSlider->setPageStep(10);
    // A scroll bar takes no focus by default; the timer is set from the keyboard too.
    timerSlider->setFocusPolicy(Qt::StrongFocus);
    // Left and Page Down shorten the time, as on any horizontal slider (a scroll bar turns them round).
    timerSlider->setInvertedControls(false);
    timerSlider->setMinimumSize(300, 24);
    timerSecondsField = new QSpinBox(timerGroup);
    timerSecondsField->setObjectName(QStringLiteral("timerSecondsField"));
    timerSecondsField->setRange(timerSlider->minimum(), timerSlider->maximum());
    timerSecondsField->setValue(timerSlider->value());
    timerSecondsField->setAlignment(Qt::AlignRight);
    timerSecondsField->setAccessibleName(QCoreApplication::translate("MeasurementWindow", "Timer seconds"));
    timeLabel = MakeLabel(QStringLiteral("Label_Time"), QString(), ArialFont(19), timerGroup);
    timeLabel->setAlignment(Qt::AlignCenter);
    timerShortfallLabel = MakeLabel(QStringLiteral("Label_TimerShortfall"), QString(), ArialFont(13), timerGroup);
    timerShortfallLabel->setWordWrap(true);
    auto* setting = new QHBoxLayout;
    setting->setSpacing(8);
    setting->addWidget(timerSlider, 1);
    setting->addWidget(timerSecondsField);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addStretch(1);
    left->addLayout(setting);
    left->addWidget(timeLabel);
    left->addWidget(timerShortfallLabel);
    left->addStretch(1);

    calculationChoice = new RadioGroup(QCoreApplication::translate("MeasurementWindow", "Calculation"),
                                         {QCoreApplication::translate("MeasurementWindow", "A&verage"), QCoreApplication::translate("MeasurementWindow", "&Lapse")}, 1, timerGroup);
    calculationChoice->setObjectName(QStringLiteral("RadioGroup_VoltCalc"));
    calculationChoice->setFont(ArialFont(16));
    calculationChoice->setMinimumWidth(220);
    calculationChoice->SetItemIndex(1);

    auto* layout = new QHBoxLayout(timerGroup);
    layout->setSpacing(24);
    layout->addLayout(left, 1);
    layout->addWidget(calculationChoice);
    layout->addSpacing(100);
    FitGroupLayout(timerGroup, {16, 0, 16, 2});
    // Hidden outside timer mode; the groups above keep their places then.
    KeepPlaceWhenHidden(timerGroup);
    timerGroup->hide();
    return timerGroup;
}
