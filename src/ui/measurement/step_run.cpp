// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's side of the step-voltage test: its choices, Start, each finished step
// on the plot and in the table, and the end. The test itself is a procedure without widgets
// (core/step_voltage); Break ends it as it ends a cycle.
#include "ui/measurement/measurement_window.h"

#include "ui/connection_loss.h"
#include "ui/measurement/method_settings.h"
#include "ui/measurement/step_view.h"
#include "ui/record/record_view.h"
#include "ui/record/step_table.h"
#include "ui/window_dialogs.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace krx;

namespace {

QString EndText(const StepRunResult& r, size_t planned)
{
    const auto done = r.result.steps.size();
    switch (r.end) {
    case StepEnd::Completed: return QCoreApplication::translate("MeasurementWindow", "all %1 steps done").arg(planned);
    case StepEnd::Broken: return QCoreApplication::translate("MeasurementWindow", "ended by Break after %1 of %2 steps").arg(done).arg(planned);
    case StepEnd::NoStableVoltage:
        return QCoreApplication::translate("MeasurementWindow", "no stable voltage in step %1; %2 of %3 steps kept").arg(r.failedStep).arg(done).arg(planned);
    case StepEnd::NoStatusAnswer:
        return QCoreApplication::translate("MeasurementWindow", "the meter did not answer; %1 of %2 steps kept").arg(done).arg(planned);
    case StepEnd::ConnectionLost: return QCoreApplication::translate("MeasurementWindow", "the meter was lost");
    }
    return {};
}

}  // namespace

void MeasurementWindow::StepView::StepFinished(const StepFigure& figure)
{
    OnWindowThread(&w_, [this, figure] {
        // The reading that closed the step came before this, in order, on the same thread.
        w_.stepsDone_.push_back(figure);
        w_.recordView->MarkStepEnd(figure.volts);
        w_.recordView->ShowSteps(MakeStepTable(w_.stepPlan_, ComputeStepResult(w_.stepsDone_)));
    });
}

QWidget* MeasurementWindow::BuildStepSettings()
{
    stepSettings = new StepSettings(measuringGroup);
    stepSettings->setFont(ArialFont(16));
    KeepPlaceWhenHidden(stepSettings);
    return stepSettings;
}

// Steps and a method's phases alike: a fresh record whose readings carry their phase, and the
// window's own setup kept to be put back at the end.
RecordingPlan MeasurementWindow::StartSteppedRecord(const SetupChoice& windowSetup)
{
    stepsWindowSetup_ = windowSetup;
    calculation_.clear();
    timerSeconds_ = 0;
    decimals_.reset();
    RecordingPlan record = StartRecord(false);
    record.steps = true;
    return record;
}

void MeasurementWindow::StartSteps()
{
    const StepPlan plan = stepSettings->Plan();
    if (const QString problem = StepPlanProblem(plan); !problem.isEmpty()) {
        WindowDialogs().ShowError(QCoreApplication::translate("MeasurementWindow", "The step-voltage test cannot start: %1.").arg(problem));
        return;
    }
    LockForSteppedTest(true);

    StepOptions o;
    o.plan = plan;
    o.windowSetup = ChosenSetup();
    o.samplingTimeMs = session_.SamplingTime;
    o.commandPause = session_.CommandPause;
    const RecordingPlan record = StartSteppedRecord(o.windowSetup);
    stepPlan_ = plan;
    stepsDone_.clear();
    lastSteps_.reset();
    recordView->ShowSteps(MakeStepTable(plan, {}));
    stepTest_.Arm();
    cycleActive_ = true;
    runner_.Start([this, o, record] {
        recorder_->Begin(record);
        const StepRunResult result = stepTest_.RunSteps(o);
        recorder_->Finish();
        OnWindowThread(this, [this, result] { StepsEnded(result); });
    });
}

void MeasurementWindow::StepsEnded(const StepRunResult& result)
{
    cycleActive_ = false;
    lastSteps_ = result;
    recordView->ShowSteps(MakeStepTable(stepPlan_, result.result));
    stepSettings->ShowProgress(EndText(result, stepPlan_.volts.size()));
    EndSteppedTest(result.end, result.code);
}

void MeasurementWindow::LockForSteppedTest(bool locked)
{
    if (locked) {
        Running = true;
        for (QPushButton* b : {saveButton, startButton, backButton})
            b->setEnabled(false);
        ClearLiveValues();
        if (session_.TestMode)
            passCounter->setVisible(true);
    }
    // A setup sent from the window meanwhile would change the step's voltage under the test.
    setupGroup->setEnabled(!locked);
    stepSettings->Lock(locked);
    methodSettings->Lock(locked);
}

void MeasurementWindow::EndSteppedTest(StepEnd end, int code)
{
    LockForSteppedTest(false);
    // The test has sent the window's own setup again (a lost meter got nothing, and keeps what the
    // window chose for the next start).
    ShowVoltage(stepsWindowSetup_.voltageFunction, stepsWindowSetup_.voltage);
    if (end == StepEnd::ConnectionLost)
        ReportConnectionLoss(code);
    // The test ends itself: unlike a cycle, it needs no Break to give the buttons back.
    Running = false;
    GiveButtonsBack();
}
