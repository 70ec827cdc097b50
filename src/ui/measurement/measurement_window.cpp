// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window: its controls' wiring, the meter's setup choices, entering and leaving.
#include "ui/measurement/measurement_window.h"

#include "core/judging/ieee43.h"
#include "device/protocol.h"
#include "ui/measurement/cycle_view.h"
#include "ui/measurement/method_settings.h"
#include "ui/measurement/step_view.h"
#include "ui/record/record_view.h"
#include "ui/ui_wait.h"

#include <QCoreApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>

using namespace krx;

MeasurementWindow::MeasurementWindow(MeterSession& session)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      session_(session),
      runner_(session.runner),
      view_(std::make_unique<CycleView>(*this)),
      recorder_(std::make_unique<CycleRecorder>(*view_, series_, view_.get())),
      cycle_(Usb, runner_, *recorder_),
      stepView_(std::make_unique<StepView>(*this)),
      stepTest_(Usb, runner_, *recorder_, *stepView_)
{
    recorder_->Watch(&cycle_);
    setObjectName(QStringLiteral("Form_Meas"));
    setWindowTitle(QCoreApplication::translate("MeasurementWindow", "Measuring KRX 738"));
    BuildControls();
    ApplyWindowStyle(this);
    KeepControlsWidth();
    ShowReadingLabels(false);
    CentreOnPrimaryScreen(this);
}

void MeasurementWindow::ConnectControls()
{
    connect(voltageModeChoice, &RadioGroup::Click, this,
            [this] { RunHandler([this] { VoltageModeClicked(); }); });
    connect(voltageChoice, &RadioGroup::Click, this,
            [this] { RunHandler([this] { VoltageClicked(); }); });
    connect(displayChoice, &RadioGroup::Click, this,
            [this] { RunHandler([this] { DisplayClicked(); }); });
    connect(timerSlider, &QScrollBar::valueChanged, this, [this] { TimerSliderChanged(); });
    // Field and scroll bar follow each other; setting the same value again signals nothing, so
    // the two do not echo.
    connect(timerSlider, &QScrollBar::valueChanged, timerSecondsField, &QSpinBox::setValue);
    connect(timerSecondsField, &QSpinBox::valueChanged, timerSlider, &QScrollBar::setValue);
    connect(backButton, &QPushButton::clicked, this, [this] { RunHandler([this] { BackClicked(); }); });
    connect(startButton, &QPushButton::clicked, this, [this] { RunHandler([this] { StartClicked(); }); });
    connect(breakButton, &QPushButton::clicked, this, [this] { RunHandler([this] { BreakClicked(); }); });
    connect(saveButton, &QPushButton::clicked, this, [this] { RunHandler([this] { SaveClicked(); }); });
    connect(fileTestButton, &QPushButton::clicked, this, [this] { RunHandler([this] { FileTestClicked(); }); });
    connect(openRecordingButton, &QPushButton::clicked, this, [this] { RunHandler([this] { OpenRecordingClicked(); }); });
}

void MeasurementWindow::ShowReadingLabels(bool visible)
{
    voltageLabel->setVisible(visible);
    sampleTimeCaption->setVisible(visible);
    sampleTimeLabel->setVisible(visible);
}

MeasurementWindow::~MeasurementWindow() = default;

SetupChoice MeasurementWindow::ChosenSetup() const
{
    const int item = voltageChoice->ItemIndex();
    const int voltage = item >= 0 && item < 4 ? kSetupVolts[item] : 0;
    return {voltageModeChoice->ItemIndex(), voltage, displayChoice->ItemIndex(),
            calculationChoice->ItemIndex()};
}

void MeasurementWindow::Enter(bool timerMode)
{
    // The readings of the simulated meter must not pass for a measurement, on screen or in the report.
    setWindowTitle(session_.Caption(session_.Simulated ? QCoreApplication::translate("MeasurementWindow", "Measuring KRX 738 – simulated meter")
                                                       : QCoreApplication::translate("MeasurementWindow", "Measuring KRX 738")));
    recordView->SetSimulated(session_.Simulated);
    // The groups first: the window's first size is taken from the controls it shows.
    timerGroup->setVisible(timerMode);
    stepSettings->setVisible(!timerMode);
    methodSettings->setVisible(!timerMode);
    restTimeGroup->setVisible(timerMode);
    show();
    if (timerMode) {
        TimerSliderChanged();
        voltageLabel->setText(QString());
    } else {
        saveButton->setEnabled(false);
    }
}

void MeasurementWindow::ShowMeterSetup(const MeasuringSetup& setup)
{
    loadingSetup_ = true;
    calculationChoice->SetItemIndex(setup.flags.lapse);
    voltageModeChoice->SetItemIndex(setup.flags.autoVoltage);
    if (setup.flags.voltageKnown)
        voltageChoice->SetItemIndex(setup.flags.voltageIndex);
    displayChoice->SetItemIndex(setup.flags.exponentDisplay);
    timerSlider->setValue(std::clamp(setup.measuringTimer, 1, 600));
    loadingSetup_ = false;
}

void MeasurementWindow::ShowVoltage(int voltageFunction, int volts)
{
    loadingSetup_ = true;
    voltageModeChoice->SetItemIndex(voltageFunction);
    voltageChoice->setEnabled(voltageFunction != 1);
    for (int i = 0; i < 4; ++i)
        if (kSetupVolts[i] == volts)
            voltageChoice->SetItemIndex(i);
    loadingSetup_ = false;
}

void MeasurementWindow::SendMeasuringSetup()
{
    // Read now, sent when the meter is free: during a cycle at its next yield point.
    runner_.Device([this, choice = ChosenSetup()] { Usb.WriteMeasuringSetup(choice); });
}

void MeasurementWindow::VoltageModeClicked()
{
    // With the automatic voltage function the meter chooses the voltage itself.
    voltageChoice->setEnabled(voltageModeChoice->ItemIndex() != 1);
    if (!loadingSetup_)
        SendMeasuringSetup();
}

void MeasurementWindow::VoltageClicked()
{
    if (!loadingSetup_)
        SendMeasuringSetup();
}

void MeasurementWindow::DisplayClicked()
{
    if (!loadingSetup_)
        SendMeasuringSetup();
}

void MeasurementWindow::TimerSliderChanged()
{
    timeLabel->setText(QString::number(timerSlider->value()) + QCoreApplication::translate("MeasurementWindow", " Sec"));
    timerShortfallLabel->setText(TimerShortfallText(timerSlider->value()));
}

void MeasurementWindow::BackClicked()
{
    ShowReadingLabels(false);
    temperatureLabel->setText(QString());
    resistanceLabel->setText(QString());
    humidityLabel->setText(QString());
    runner_.Device([this] { Usb.SetRemoteMode(protocol::kModeMain); });
    emit MainWanted();
    hide();
    startButton->setEnabled(true);
    breakButton->setEnabled(true);
    saveButton->setEnabled(true);
    emit MeterCheckWanted();
}

void MeasurementWindow::closeEvent(QCloseEvent* event)
{
    // The window only hides (Back does that); it lives until the program ends. A close box shown
    // by the window manager, or a close by key, leaves as Back, breaking a running cycle first.
    event->ignore();
    if (isHidden())
        return;  // a close of the hidden window (the program ending) is no Back
    if (Running)
        RunHandler([this] { BreakClicked(); });
    BackWhenIdle();
}

void MeasurementWindow::BackWhenIdle()
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
    RunHandler([this] { BackClicked(); });
}
