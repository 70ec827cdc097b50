// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement window: the meter's measuring options, the running values and the buttons of the
// measurement cycle. Entered from the main window in one of two modes; left by Back, or by
// closing, which acts as Back.

#include "ui/controls.h"
#include "core/measurement_cycle.h"
#include "core/meter_session.h"
#include "ui/save_dialog.h"
#include "device/commands.h"
#include "core/measurement_log.h"
#include "core/recording.h"
#include "core/method_test.h"
#include "core/step_voltage.h"

#include <QWidget>

#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QLayout;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QSplitter;

namespace krx {
class MeasurementRecordView;
class StepSettings;
class MethodSettings;
namespace history {
class HistoryStore;
}
}  // namespace krx

class MeasurementWindow : public QWidget {
    Q_OBJECT
public:
    explicit MeasurementWindow(krx::MeterSession& session);
    ~MeasurementWindow() override;

    // Setup.
    QGroupBox* setupGroup;
    krx::RadioGroup* voltageModeChoice;
    krx::RadioGroup* voltageChoice;
    krx::RadioGroup* displayChoice;

    // Measuring.
    QGroupBox* measuringGroup;
    QLabel* temperatureCaption;
    QLabel* temperatureLabel;
    QLabel* humidityCaption;
    QLabel* humidityLabel;
    QLabel* passCounter;
    QGroupBox* resistanceGroup;
    QLabel* resistanceCaption;
    QLabel* resistanceLabel;
    QLabel* stableVoltageLabel;
    QLabel* voltageLabel;
    QLabel* sampleTimeCaption;
    QLabel* sampleTimeLabel;
    QLabel* statusLabel;
    QGroupBox* restTimeGroup;
    QLabel* restTimeLabel;
    QPushButton* startButton;
    QPushButton* breakButton;
    QPushButton* saveButton;
    QPushButton* backButton;
    QGroupBox* timerGroup;
    QScrollBar* timerSlider;
    QSpinBox* timerSecondsField;  // the timer's seconds as a number, in step with timerSlider
    QLabel* timeLabel;
    QLabel* timerShortfallLabel;  // which figures the chosen timer cannot give
    krx::RadioGroup* calculationChoice;
    krx::StepSettings* stepSettings;  // free-running only
    krx::MethodSettings* methodSettings;  // free-running only

    // Beside the controls: the cycle's plot and figures, and what became of its recording.
    QSplitter* splitter;  // between the controls and the record
    krx::MeasurementRecordView* recordView;
    QLabel* recordingWarning;  // why the cycle's recording stopped; empty while it is fine
    QPushButton* openRecordingButton;
    QPushButton* fileTestButton;

    krx::SaveDialog measurementSaveDialog;

    krx::MeterCommands Usb;  // the measurement window's command set; used on the runner's thread only

    // Shows the window as the main window's Measuring or Measuring with timer leaves it.
    void Enter(bool timerMode);
    // Shows the meter's setup as Init read it; the controls send nothing back meanwhile.
    void ShowMeterSetup(const krx::MeasuringSetup& setup);
    bool LoadingSetup() const { return loadingSetup_; }

    void ShowReadingLabels(bool visible);
    // Shows a voltage function (0 manual, 1 automatic) and voltage in the setup group without
    // sending them: the meter has them already.
    void ShowVoltage(int voltageFunction, int volts);
    // Sends the options chosen in the window to the meter; the result is not used.
    void SendMeasuringSetup();
    // The options as chosen in the window.
    krx::SetupChoice ChosenSetup() const;

    void VoltageModeClicked();
    void VoltageClicked();
    void DisplayClicked();
    void TimerSliderChanged();
    void BackClicked();

    // ---- Measurement cycle and measurement log export (src/ui/measurement/cycle.cpp, export.cpp) ----

    bool Running = false;                // from Start until Break, the timer's end or EndMeasurement
    krx::MeasurementRecord LastReading;  // the latest reading; Save appends it to a file
    QString retryComment_;               // the comment of a save that failed, offered again

    // Starts one measurement cycle on the runner.
    void StartClicked();
    // In timer mode stops the meter's timer measurement; then ends the cycle.
    void BreakClicked();
    // Clears Running and gives Start, Save and Back back (once no cycle is running any more).
    void EndMeasurement();
    void SaveClicked();
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

    // Where finished cycles are filed; not owned, may be null (no filing then).
    void SetHistory(krx::history::HistoryStore* store);
    // Files the last finished cycle under an asset the user picks; true when it was kept.
    bool FileTestClicked();
    // Shows a recording file the user picks in place of the last cycle; true when it is shown.
    bool OpenRecordingClicked();
    // Every reading of the current or last cycle, as recorded.
    const krx::ReadingSeries& Series() const { return series_; }

private:
    class CycleView;
    friend class CycleView;
    void CycleEnded(krx::CycleResult result);
    void ShowPass(const krx::CycleIteration& pass);
    // Resistance, voltage, temperature and humidity empty: nothing live is shown.
    void ClearLiveValues();
    void SetValueRed(bool red);
    void GiveButtonsBack();
    // Clears the record of the last cycle and plans the new one's recording.
    krx::RecordingPlan StartRecord(bool timerMode);
    krx::RecordingPlan StartSteppedRecord(const krx::SetupChoice& windowSetup);
    void ShowRecorded(const krx::DataRecord& record, const QString& recordingFile);
    void ShowRecordingProblem(const QString& message);

    krx::MeterSession& session_;
    krx::ProcedureRunner& runner_;
    std::unique_ptr<CycleView> view_;
    krx::ReadingSeries series_;
    std::unique_ptr<krx::CycleRecorder> recorder_;  // between the cycle and view_
    krx::MeasurementCycle cycle_;
    krx::history::HistoryStore* history_ = nullptr;
    // The last cycle as it was started, for filing it after the session has moved on.
    bool cycleTimerMode_ = false;
    QString cycleSerial_, cycleSoftware_;
    QString recordingShown_;  // the recording file the view was given
    bool cycleActive_ = false;  // the procedure has not ended yet
    // What the running cycle records besides the meter's values.
    int timerSeconds_ = 0;
    QString calculation_;
    std::optional<int> decimals_;

public:
    // ---- end of measurement cycle and export ----

    // ---- Step-voltage test (src/ui/measurement/step_run.cpp) ----
    // The last step-voltage test as it ended; empty after any other measurement.
    const std::optional<krx::StepRunResult>& LastSteps() const { return lastSteps_; }
    const krx::StepPlan& LastStepPlan() const { return stepPlan_; }

private:
    class StepView;
    friend class StepView;
    // Refuses a plan that cannot run before anything is sent; else runs it as Start runs a cycle.
    void StartSteps();
    void StepsEnded(const krx::StepRunResult& result);
    // The step-voltage and the ESD tests end themselves: the window's controls while one runs.
    void LockForSteppedTest(bool locked);
    void EndSteppedTest(krx::StepEnd end, int code);
    QWidget* BuildStepSettings();
    std::unique_ptr<StepView> stepView_;
    krx::MethodTest stepTest_;  // the step-voltage test, and the ESD and material tests
    krx::StepPlan stepPlan_;
    std::vector<krx::StepFigure> stepsDone_;
    std::optional<krx::StepRunResult> lastSteps_;
    krx::SetupChoice stepsWindowSetup_;  // the setup the test puts back at its end

public:
    // ---- ESD and material tests (src/ui/measurement/method_run.cpp) ----
    // The last such test's result; empty after any other measurement.
    const std::optional<krx::MethodResult>& LastMethodResult() const { return lastMethod_; }

private:
    // Refuses a request that cannot run before anything is sent; else runs it as Start runs a cycle.
    void StartMethod();
    void MethodEnded(const krx::MethodRun& run, const krx::MethodRequest& request);
    QWidget* BuildMethodSettings();
    void MethodPhaseStarted(int phase, int volts);
    bool methodRunning_ = false;
    std::optional<krx::MethodResult> lastMethod_;

public:

signals:
    // Back: the main window is to be shown, then the meter checked again by Init.
    void MainWanted();
    void MeterCheckWanted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildSetupGroup();
    QGroupBox* BuildMeasuringGroup();
    QGroupBox* BuildResistanceGroup();
    QGroupBox* BuildTimerGroup();
    QLayout* BuildRecordRow();
    void KeepControlsWidth();
    void ConnectControls();
    // Back as soon as no cycle runs any more.
    void BackWhenIdle();
    bool backPending_ = false;
    bool loadingSetup_ = false;
};
