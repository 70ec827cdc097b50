// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's side of the measurement cycle: Start and Break, and what the window
// shows of each pass. The cycle itself is a procedure without widgets (core/measurement_cycle).
#include "ui/measurement/measurement_window.h"

#include "ui/connection_loss.h"
#include "ui/measurement/cycle_view.h"
#include "core/reading_format.h"
#include "ui/measurement/method_settings.h"
#include "ui/measurement/step_settings.h"
#include "ui/record/record_view.h"

#include <QCoreApplication>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMetaObject>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>

using namespace krx;

void MeasurementWindow::StartClicked()
{
    if (runner_.Busy())
        return;
    if (!session_.TimerMode && methodSettings->Chosen())
        return StartMethod();
    if (!session_.TimerMode && stepSettings->Chosen())
        return StartSteps();
    Running = true;
    saveButton->setEnabled(false);
    startButton->setEnabled(false);
    backButton->setEnabled(false);
    openRecordingButton->setEnabled(false);
    ClearLiveValues();
    if (session_.TestMode)
        passCounter->setVisible(true);

    CycleOptions o;
    o.timerMode = session_.TimerMode;
    o.setup = ChosenSetup();
    o.samplingTimeMs = session_.SamplingTime;
    o.commandPause = session_.CommandPause;
    calculation_.clear();
    timerSeconds_ = 0;
    if (o.timerMode) {
        o.timerSeconds = timerSlider->value();
        timeLabel->setText(QString::number(o.timerSeconds) + QCoreApplication::translate("MeasurementWindow", " Sec"));
        calculation_ = calculationChoice->ItemIndex() == 0 ? QStringLiteral("Ave.") : QStringLiteral("Lap.");
        timerSeconds_ = o.timerSeconds;
    }
    decimals_.reset();
    cycle_.Arm();
    cycleActive_ = true;
    runner_.Start([this, o, plan = StartRecord(o.timerMode)] {
        recorder_->Begin(plan);
        const CycleResult result = cycle_.Run(o);
        recorder_->Finish();
        OnWindowThread(this, [this, result] { CycleEnded(result); });
    });
}

RecordingPlan MeasurementWindow::StartRecord(bool timerMode)
{
    fileTestButton->setEnabled(false);
    recordingWarning->clear();
    recordingWarning->setToolTip({});
    recordingShown_.clear();
    recordView->Clear();
    // Save's comment belongs to the cycle it was typed after.
    recordView->SetComment(QString());
    recordView->SetMeter(session_.DeviceName, session_.SerialNo, session_.SwVersion);
    cycleTimerMode_ = timerMode;
    lastSteps_.reset();
    lastMethod_.reset();
    cycleSerial_ = session_.SerialNo;
    cycleSoftware_ = session_.SwVersion;
    RecordingPlan plan;
    plan.enabled = session_.RecordingEnabled;
    plan.folder = session_.RecordingDirectory;
    plan.serial = session_.SerialNo;
    plan.started = QDateTime::currentDateTime();
    plan.timerMode = timerMode;
    return plan;
}

void MeasurementWindow::CycleEnded(CycleResult result)
{
    cycleActive_ = false;
    if (result.outcome == CycleOutcome::ConnectionLost)
        ReportConnectionLoss(result.code);
    // A cycle that failed without Break keeps its buttons until Break.
    if (!Running)
        GiveButtonsBack();
}

void MeasurementWindow::ClearLiveValues()
{
    resistanceLabel->setText(QString());
    voltageLabel->setText(QString());
    temperatureLabel->setText(QString());
    humidityLabel->setText(QString());
}

void MeasurementWindow::ShowPass(const CycleIteration& pass)
{
    const QString valueText = pass.haveReading ? ValueText(pass.value) : QString();
    decimals_ = NextDecimals(ExponentOf(valueText), decimals_);
    // A timer that ran out before the first reading of this cycle leaves nothing to show: the
    // previous cycle's record stays, and no made-up value appears on screen.
    if (!pass.haveReading)
        return;
    temperatureLabel->setText(TemperatureDisplay(pass.value.temperature));
    humidityLabel->setText(HumidityDisplay(pass.value.humidity));
    if (pass.fresh) {
        ReadingInput in;
        in.deviceName = session_.DeviceName;
        in.serialNo = session_.SerialNo;
        in.swVersion = session_.SwVersion;
        in.valueText = valueText;
        in.humidity = pass.value.humidity;
        in.temperature = pass.value.temperature;
        in.rangeFlag = static_cast<int>(pass.value.range);
        in.volts = pass.volts;
        in.timerSeconds = timerSeconds_;
        in.calculation = calculation_;
        RefreshRecord(LastReading, in, pass.at);
        voltageLabel->setText(QCoreApplication::translate("MeasurementWindow", "Measuring voltage : ") + QString::number(pass.volts) + QStringLiteral("V"));
        if (pass.stable)
            SetValueRed(false);
        else if (!pass.timerFinished)
            SetValueRed(true);
    }
    const bool exponentDisplay = displayChoice->ItemIndex() == 1;
    if (const auto text = ResistanceDisplay(static_cast<int>(pass.value.range), valueText, pass.value.value.value,
                                            exponentDisplay, *decimals_))
        resistanceLabel->setText(*text);
}

void MeasurementWindow::BreakClicked()
{
    if (session_.TimerMode)
        runner_.Device([this] { MeasurementCycle::SendBreakStops(Usb); });
    cycle_.RequestBreak();
    stepTest_.RequestBreak();
    EndMeasurement();
}

void MeasurementWindow::EndMeasurement()
{
    Running = false;
    if (!cycleActive_)
        GiveButtonsBack();
}

void MeasurementWindow::GiveButtonsBack()
{
    startButton->setEnabled(true);
    saveButton->setEnabled(true);
    backButton->setEnabled(true);
    openRecordingButton->setEnabled(true);
    fileTestButton->setEnabled(history_ && series_.Size() > 0);
}

void MeasurementWindow::SetValueRed(bool red)
{
    QPalette p = resistanceLabel->palette();
    const QColor normal = QApplication::palette(resistanceLabel).color(QPalette::WindowText);
    p.setColor(QPalette::WindowText, red ? QColor(Qt::red) : normal);
    resistanceLabel->setPalette(p);
}
