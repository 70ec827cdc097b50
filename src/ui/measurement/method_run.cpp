// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's side of the ESD and material tests: the method chosen before Start, each
// phase as it begins, and the result in place of the insulation figures. The test itself is a
// procedure without widgets (core/method_test); Break ends it as it ends a cycle.
#include "ui/measurement/measurement_window.h"

#include "ui/measurement/method_settings.h"
#include "ui/record/method_result_view.h"
#include "ui/record/record_view.h"
#include "ui/window_dialogs.h"
#include "ui/window_thread.h"

#include <QCoreApplication>


using namespace krx;

QWidget* MeasurementWindow::BuildMethodSettings()
{
    methodSettings = new MethodSettings(measuringGroup);
    KeepPlaceWhenHidden(methodSettings);
    return methodSettings;
}

void MeasurementWindow::MethodPhaseStarted(int phase, int volts)
{
    const QString text = QCoreApplication::translate("MeasurementWindow", "phase %1: %2 V").arg(phase).arg(volts);
    methodSettings->ShowProgress(text);
    QString problem;
    if (const std::optional<MethodRequest> r = methodSettings->Request(&problem))
        recordView->method->ShowRunning(*r, text);
}

void MeasurementWindow::StartMethod()
{
    QString problem;
    const std::optional<MethodRequest> request = methodSettings->Request(&problem);
    if (!request) {
        WindowDialogs().ShowError(QCoreApplication::translate("MeasurementWindow", "The test cannot start: %1.").arg(problem));
        return;
    }
    LockForSteppedTest(true);

    MethodRunOptions o;
    o.request = *request;
    o.userSetup = ChosenSetup();
    o.samplingTimeMs = session_.SamplingTime;
    o.commandPause = session_.CommandPause;
    const RecordingPlan record = StartSteppedRecord(o.userSetup);
    // In place of the insulation figures from the start: nothing about windings for a floor.
    recordView->ShowMethodResult(JudgeMethod(o.request, {}, methodSettings->Limits()));
    recordView->method->ShowRunning(o.request, QStringLiteral("starting"));
    methodRunning_ = true;
    stepTest_.Arm();
    cycleActive_ = true;
    runner_.Start([this, o, record] {
        recorder_->Begin(record);
        const MethodRun run = stepTest_.RunMethod(o);
        recorder_->Finish();
        OnWindowThread(this, [this, run, request = o.request] { MethodEnded(run, request); });
    });
}

void MeasurementWindow::MethodEnded(const MethodRun& run, const MethodRequest& request)
{
    cycleActive_ = false;
    methodRunning_ = false;
    lastMethod_ = JudgeMethod(request, run.phases, methodSettings->Limits());
    recordView->ShowMethodResult(*lastMethod_);
    methodSettings->ShowProgress(run.end == StepEnd::Broken ? QCoreApplication::translate("MeasurementWindow", "ended by Break") : QString());
    EndSteppedTest(run.end, run.code);
}
