// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement cycle: Start configures the meter, waits for a stable measuring voltage and reads
// at the sampling interval until Break, the end of the meter's timer or a voltage that never settles.
#include "measure/form_meas.h"

#include "app/form_main.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/localetext.h"
#include "common/ui_wait.h"
#include "device/decode.h"
#include "measure/reading_format.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

using namespace krx;

namespace {
constexpr int StabiliseAttempts = 200;
constexpr int SetupPause = 100;      // ms: timer set-up, and each half of a stabilisation attempt
constexpr int BreakStopPause = 20;   // ms between the two stops of Break
// Longest sleep of the interval wait: Break acts within this time, and a core is not kept busy.
constexpr int IntervalSliceMs = 10;

// Positions in the status byte's bit text.
constexpr int PosRunning = 3;  // b5: the meter runs a (timer) measurement
constexpr int PosStable = 7;   // b2: measuring voltage stable

void Pause(int ms)
{
    TheClock().Sleep(ms);
}

// The stable digit of a status bit text. Before the first answer the text is the placeholder "0",
// which has no such digit: the meter never answered.
int StableDigit(const QString& bits)
{
    if (bits.size() < PosStable)
        throw ConversionError("The KRX 738 did not answer the status request.");
    return bits.at(PosStable - 1) == QLatin1Char('1') ? 1 : 0;
}

}  // namespace

void TForm_Meas::BitBtn_StartClick()
{
    // A press that got queued behind a running cycle must not start a second one inside it.
    if (cycleOnStack_)
        return;
    struct Leave {
        TForm_Meas* form;
        ~Leave()
        {
            form->cycleOnStack_ = false;
            // Break during the cycle gave the buttons back only now, so that no second procedure
            // could start inside this one; a cycle that failed without Break waits for Break.
            if (!form->Running)
                form->GiveButtonsBack();
        }
    } leave{this};
    cycleOnStack_ = true;

    const int pause = Form_Main->CommandPause;
    const bool timerMode = Form_Main->TimerMode;

    // 1. - 4.
    Running = true;
    BitBtn_Save->setEnabled(false);
    BitBtn_Start->setEnabled(false);
    BitBtn_Back->setEnabled(false);
    Label_ResistaceValue->setText(QString());
    Label_Mv->setText(QString());
    Label_Temp_V->setText(QString());
    Label_Humi_V->setText(QString());
    QString calculation;
    if (Form_Main->TestMode)
        Label1->setVisible(true);
    ProcessMessages();
    QString bits = QStringLiteral("0");

    // 5. - 7.: free-running measurement starts with remote mode 6; then the options of the window.
    if (!timerMode) {
        Pause(pause);
        // A meter plugged in again since the last command is reached only through a new open;
        // without mode 6 it would never measure, and the wait below would end in "no stable voltage".
        if (Usb.SetRemoteMode(USB::ModeMeasure) < 1) {
            Usb.Connect();
            Usb.SetRemoteMode(USB::ModeMeasure);
        }
        Pause(pause);
    }
    SendMeasuringSetup();
    Pause(pause);

    // 8. Timer mode: the meter measures for T seconds from the start command.
    int timerSeconds = 0;
    if (timerMode) {
        Usb.SetRemoteMode(USB::ModeMeasureTimer);
        Pause(SetupPause);
        const int t = ScrollBar_Timer->value();
        Label_Time->setText(QString::number(t) + QStringLiteral(" Sec"));
        Usb.WriteMeasuringTimer(t);
        Pause(SetupPause);
        Usb.StartStop(1);
        Label_Timer_S->setText(QString::number(t) + QStringLiteral(" Sec"));
        calculation = RadioGroup_VoltCalc->ItemIndex() == 0 ? QStringLiteral("Ave.") : QStringLiteral("Lap.");
        timerSeconds = t;
    }

    // 9. Wait for a stable measuring voltage, blinking the hint.
    int attempts = 0;
    int stable = 0;
    do {
        Pause(SetupPause);
        Label_WStV->setText(QStringLiteral("Wait for stable voltage !"));
        ProcessMessages();
        Pause(SetupPause);
        Label_WStV->setText(QString());
        ProcessMessages();
        ++attempts;
        if (!Running)
            attempts = StabiliseAttempts;
        const int result = Usb.ReadStatusBits(bits);
        if (result < 0)
            USB::ReportConnectionLoss(result);
        stable = StableDigit(bits);
    } while (stable == 0 && attempts < StabiliseAttempts);

    // 10. Also after Break: the voltage did not settle while we waited.
    bool stabilisationFailed = false;
    if (attempts >= StabiliseAttempts) {
        TheDialogs().Message(QStringLiteral("Measuring voltage can not be stabilized. Process is aborted!"),
                             QStringLiteral("!! No stable voltage !!"), Buttons::Ok, Icon::None);
        stabilisationFailed = true;
    }

    // 11.
    ShowReadingLabels(true);
    Label_St_V->setText(QString::number(Form_Main->SamplingTime) + QStringLiteral(" mSec"));

    // 12. Reading loop.
    double value = 0.0;
    QString valueText;
    int humidity = 0;
    double temperature = 0.0;
    int reserved = 0;
    int rangeFlag = 0;
    int batteryEmpty = 0;
    int volts = 0;
    bool haveReading = false;  // this cycle has read the meter's values at least once
    int counter = 0;
    int lastResult = 0;
    bool timerFinished = false;
    double startTime = 0.0;
    std::optional<int> decimals;

    while (Running && !stabilisationFailed) {
        try {
            ++counter;
            Label1->setText(QString::number(counter));
            lastResult = Usb.ReadStatusBits(bits);
            // A status byte that did not come says nothing about the meter's timer: zeros from a
            // failed read must not end a timer measurement that is still running, so the reading
            // is taken (and a meter that is gone ends the program there, as in free running).
            const bool statusRead = lastResult > 0;
            stable = BitSet(bits, PosStable) ? 1 : 0;
            ProcessMessages();
            const bool meterRunning = BitSet(bits, PosRunning) || !statusRead;
            if (!meterRunning && timerMode) {
                // The meter's timer has run out.
                Pause(pause);
                Usb.StartStop(0);
                EndMeasurement();
                timerFinished = true;
            }
            if (meterRunning || !timerMode) {
                startTime = USB::CounterSeconds();
                Pause(pause);
                lastResult = Usb.ReadMeasuredValue(value, valueText, humidity, temperature, reserved, rangeFlag,
                                                   batteryEmpty);
                if (lastResult < 1)
                    USB::ReportConnectionLoss(lastResult);
                haveReading = true;
                Pause(pause);
                lastResult = Usb.ReadMeasuringVoltage(volts);
                if (lastResult < 1)
                    USB::ReportConnectionLoss(lastResult);
            }
        } catch (const ConversionError& e) {
            // An unreadable reply: shown, and the iteration goes on with the values it has.
            TheDialogs().ShowError(e.Message());
        }

        const int exponent = ExponentOf(valueText);
        decimals = NextDecimals(exponent, decimals);

        // A timer that ran out before the first reading of this cycle leaves nothing to show: the
        // previous cycle's record stays, and no made-up value appears on screen.
        if (haveReading) {
            Label_Temp_V->setText(TemperatureDisplay(temperature));
            Label_Humi_V->setText(HumidityDisplay(humidity));
            if (lastResult > 0) {
                ReadingInput in;
                in.deviceName = Form_Main->DeviceName;
                in.serialNo = Form_Main->SerialNo;
                in.swVersion = Form_Main->SwVersion;
                in.valueText = valueText;
                in.humidity = humidity;
                in.temperature = temperature;
                in.rangeFlag = rangeFlag;
                in.volts = volts;
                in.timerSeconds = timerSeconds;
                in.calculation = calculation;
                RefreshRecord(LastReading, in, QDateTime::currentDateTime());
                Label_Mv->setText(QStringLiteral("Measuring voltage : ") + QString::number(volts) +
                                  QStringLiteral("V"));
                Pause(pause);
                if (stable == 1)
                    SetValueRed(false);
                else if (!timerFinished)
                    SetValueRed(true);
            }
            const bool exponentDisplay = RadioGroup_MeasDispl->ItemIndex() == 1;
            if (const auto text = ResistanceDisplay(rangeFlag, valueText, value, exponentDisplay, *decimals))
                Label_ResistaceValue->setText(*text);
        }

        ProcessMessages();

        if (timerMode) {
            int rest = 0;
            lastResult = Usb.ReadRestTime(rest);
            Label_Timer_S->setText(QString::number(rest) + QStringLiteral(" Sec."));
        }

        if (Running)
            WaitForInterval(startTime);
    }
}

void TForm_Meas::WaitForInterval(double startTime)
{
    // Compared as unsigned 32-bit numbers: a negative setting waits until Break.
    const auto interval = static_cast<std::uint32_t>(Form_Main->SamplingTime);
    double lastElapsedMs = -1.0;
    for (;;) {
        // A nanosecond of slack absorbs the rounding of the counter's floating-point seconds.
        const double elapsedMs = (USB::CounterSeconds() - startTime) * 1000.0 + 1e-6;
        auto elapsed = static_cast<std::uint32_t>(static_cast<std::int64_t>(elapsedMs));
        if (!Running)
            elapsed = interval;
        ProcessMessages();
        if (elapsed >= interval)
            return;
        // Sleep in short slices towards the end of the interval, so that Break acts within a slice
        // and no core is kept busy; only the last fraction of a millisecond is watched on the
        // counter, as sleeps come in whole milliseconds. A counter that does not move on its own
        // (the virtual clock of the tests) is moved by sleeping.
        const double restMs = static_cast<double>(interval) - elapsedMs;
        if (restMs >= 1.0)
            Pause(static_cast<int>(std::min(std::floor(restMs), double(IntervalSliceMs))));
        else if (elapsedMs == lastElapsedMs)
            Pause(1);
        lastElapsedMs = elapsedMs;
    }
}

void TForm_Meas::BitBtn_BreakClick()
{
    if (Form_Main->TimerMode) {
        // The stop goes twice, 20 ms apart, so that a stop the meter missed does not leave its timer
        // running.
        Usb.StartStop(0);
        Pause(BreakStopPause);
        Usb.StartStop(0);
    }
    EndMeasurement();
}

void TForm_Meas::EndMeasurement()
{
    Running = false;
    if (!cycleOnStack_)
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
