// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement window: the meter's measuring options, the running values and the buttons of the
// measurement cycle. Entered from the main window in one of two modes; left by Back, or by
// closing, which acts as Back.

#include "common/controls.h"
#include "core/measurement_cycle.h"
#include "core/procedure_runner.h"
#include "common/save_dialog.h"
#include "device/commands.h"
#include "measure/measurement_log.h"

#include <QWidget>

#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QSpinBox;

class TForm_Meas : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Meas(krx::ProcedureRunner& runner);
    ~TForm_Meas() override;

    // Setup.
    QGroupBox* GroupBox2;
    krx::RadioGroup* RadioGroup_UmessMode;
    krx::RadioGroup* RadioGroup_Measvolt;
    krx::RadioGroup* RadioGroup_MeasDispl;

    // Measuring.
    QGroupBox* GroupBoxMeas;
    QLabel* Label_temp;
    QLabel* Label_Temp_V;
    QLabel* Label_humidity;
    QLabel* Label_Humi_V;
    QLabel* Label1;
    QGroupBox* GroupBox1;
    QLabel* Label_Resistance;
    QLabel* Label_ResistaceValue;
    QLabel* Label_WStV;
    QLabel* Label_Mv;
    QLabel* Label_St;
    QLabel* Label_St_V;
    QLabel* Label_Status;
    QGroupBox* GroupBox_Timer;
    QLabel* Label_Timer_S;
    QPushButton* BitBtn_Start;
    QPushButton* BitBtn_Break;
    QPushButton* BitBtn_Save;
    QPushButton* BitBtn_Back;
    QGroupBox* GroupBox_SetTimer;
    QScrollBar* ScrollBar_Timer;
    QSpinBox* SpinBox_Timer;  // the timer's seconds as a number, in step with ScrollBar_Timer
    QLabel* Label_Time;
    krx::RadioGroup* RadioGroup_VoltCalc;

    krx::SaveDialog SaveDialog_Mv;

    krx::MeterCommands Usb;  // the measurement window's command set; used on the runner's thread only

    void ShowReadingLabels(bool visible);
    // Sends the options chosen in the window to the meter; the result is not used.
    void SendMeasuringSetup();
    // The options as chosen in the window.
    krx::SetupChoice ChosenSetup() const;

    void RadioGroup_UmessModeClick();
    void RadioGroup_MeasvoltClick();
    void RadioGroup_MeasDisplClick();
    void ScrollBar_TimerChange();
    void BitBtn_BackClick();

    // ---- Measurement cycle and measurement log export (src/measure/cycle.cpp, export.cpp) ----

    bool Running = false;                // from Start until Break, the timer's end or EndMeasurement
    krx::MeasurementRecord LastReading;  // the latest reading; Save appends it to a file
    QString retryComment_;               // the comment of a save that failed, offered again

    // Starts one measurement cycle on the runner.
    void BitBtn_StartClick();
    // In timer mode stops the meter's timer measurement; then ends the cycle.
    void BitBtn_BreakClick();
    // Clears Running and gives Start, Save and Back back (once no cycle is running any more).
    void EndMeasurement();
    void BitBtn_SaveClick();
    // Result codes of a save.
    enum SaveResult {
        SaveOk = 0,
        SaveCommentCancelled = -1,
        SaveDialogCancelled = -2,
        SaveHeaderShort = -3,  // nothing saved: a new file without its complete header is removed again
        SaveRecordShort = -4,  // nothing saved: the file is cut back to its previous length
        SaveCannotCreate = -5,
        SaveCannotOpen = -6,
    };
    // Appends LastReading with a comment to a file the user chooses.
    int SaveMeasurement();

private:
    class CycleView;
    friend class CycleView;
    void CycleEnded(krx::CycleResult result);
    void ShowPass(const krx::CycleIteration& pass);
    void SetValueRed(bool red);
    void GiveButtonsBack();

    krx::ProcedureRunner& runner_;
    std::unique_ptr<CycleView> view_;
    krx::MeasurementCycle cycle_;
    bool cycleActive_ = false;  // the procedure has not ended yet
    // What the running cycle records besides the meter's values.
    int timerSeconds_ = 0;
    QString calculation_;
    std::optional<int> decimals_;

public:
    // ---- end of measurement cycle and export ----

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildSetupGroup();
    QGroupBox* BuildMeasuringGroup();
    QGroupBox* BuildResistanceGroup();
    QGroupBox* BuildTimerGroup();
    void ConnectControls();
    // Back as soon as no cycle runs any more.
    void BackWhenIdle();
    bool backPending_ = false;
};

extern TForm_Meas* Form_Meas;
