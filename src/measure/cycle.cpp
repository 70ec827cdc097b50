// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's side of the measurement cycle: Start and Break, and what the window
// shows of each pass. The cycle itself is a procedure without widgets (core/measurement_cycle).
#include "measure/form_meas.h"

#include "app/connection_loss.h"
#include "app/form_main.h"
#include "measure/cycle_view.h"
#include "measure/reading_format.h"

#include <QApplication>
#include <QLabel>
#include <QMetaObject>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>

using namespace krx;

void TForm_Meas::BitBtn_StartClick()
{
    if (runner_.Busy())
        return;
    Running = true;
    BitBtn_Save->setEnabled(false);
    BitBtn_Start->setEnabled(false);
    BitBtn_Back->setEnabled(false);
    Label_ResistaceValue->setText(QString());
    Label_Mv->setText(QString());
    Label_Temp_V->setText(QString());
    Label_Humi_V->setText(QString());
    if (Form_Main->TestMode)
        Label1->setVisible(true);

    CycleOptions o;
    o.timerMode = Form_Main->TimerMode;
    o.setup = ChosenSetup();
    o.samplingTimeMs = Form_Main->SamplingTime;
    o.commandPause = Form_Main->CommandPause;
    calculation_.clear();
    timerSeconds_ = 0;
    if (o.timerMode) {
        o.timerSeconds = ScrollBar_Timer->value();
        Label_Time->setText(QString::number(o.timerSeconds) + QStringLiteral(" Sec"));
        calculation_ = RadioGroup_VoltCalc->ItemIndex() == 0 ? QStringLiteral("Ave.") : QStringLiteral("Lap.");
        timerSeconds_ = o.timerSeconds;
    }
    decimals_.reset();
    cycle_.Arm();
    cycleActive_ = true;
    runner_.Start([this, o] {
        const CycleResult result = cycle_.Run(o);
        OnWindowThread(this, [this, result] { CycleEnded(result); });
    });
}

void TForm_Meas::CycleEnded(CycleResult result)
{
    cycleActive_ = false;
    if (result.outcome == CycleOutcome::ConnectionLost)
        ReportConnectionLoss(result.code);
    // A cycle that failed without Break keeps its buttons until Break.
    if (!Running)
        GiveButtonsBack();
}

void TForm_Meas::ShowPass(const CycleIteration& pass)
{
    const QString valueText = pass.haveReading ? ValueText(pass.value) : QString();
    decimals_ = NextDecimals(ExponentOf(valueText), decimals_);
    // A timer that ran out before the first reading of this cycle leaves nothing to show: the
    // previous cycle's record stays, and no made-up value appears on screen.
    if (!pass.haveReading)
        return;
    Label_Temp_V->setText(TemperatureDisplay(pass.value.temperature));
    Label_Humi_V->setText(HumidityDisplay(pass.value.humidity));
    if (pass.fresh) {
        ReadingInput in;
        in.deviceName = Form_Main->DeviceName;
        in.serialNo = Form_Main->SerialNo;
        in.swVersion = Form_Main->SwVersion;
        in.valueText = valueText;
        in.humidity = pass.value.humidity;
        in.temperature = pass.value.temperature;
        in.rangeFlag = static_cast<int>(pass.value.range);
        in.volts = pass.volts;
        in.timerSeconds = timerSeconds_;
        in.calculation = calculation_;
        RefreshRecord(LastReading, in, pass.at);
        Label_Mv->setText(QStringLiteral("Measuring voltage : ") + QString::number(pass.volts) + QStringLiteral("V"));
        if (pass.stable)
            SetValueRed(false);
        else if (!pass.timerFinished)
            SetValueRed(true);
    }
    const bool exponentDisplay = RadioGroup_MeasDispl->ItemIndex() == 1;
    if (const auto text = ResistanceDisplay(static_cast<int>(pass.value.range), valueText, pass.value.value.value,
                                            exponentDisplay, *decimals_))
        Label_ResistaceValue->setText(*text);
}

void TForm_Meas::BitBtn_BreakClick()
{
    if (Form_Main->TimerMode)
        runner_.Device([this] { MeasurementCycle::SendBreakStops(Usb); });
    cycle_.RequestBreak();
    EndMeasurement();
}

void TForm_Meas::EndMeasurement()
{
    Running = false;
    if (!cycleActive_)
        GiveButtonsBack();
}

void TForm_Meas::GiveButtonsBack()
{
    BitBtn_Start->setEnabled(true);
    BitBtn_Save->setEnabled(true);
    BitBtn_Back->setEnabled(true);
}

void TForm_Meas::SetValueRed(bool red)
{
    QPalette p = Label_ResistaceValue->palette();
    const QColor normal = QApplication::palette(Label_ResistaceValue).color(QPalette::WindowText);
    p.setColor(QPalette::WindowText, red ? QColor(Qt::red) : normal);
    Label_ResistaceValue->setPalette(p);
}
