// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The step-voltage test's own events as the measurement window shows them, carried to the window's
// thread; its readings come as a cycle's do.

#include "ui/measurement/measurement_window.h"

#include "ui/measurement/step_settings.h"
#include "ui/window_thread.h"

#include <QCoreApplication>

class MeasurementWindow::StepView : public krx::StepListener {
public:
    explicit StepView(MeasurementWindow& w) : w_(w) {}
    void StepStarted(int step, int volts) override
    {
        krx::OnWindowThread(&w_, [this, step, volts] {
            // The setup group shows what the meter measures with now, not what was chosen before.
            w_.ShowVoltage(0, volts);
            if (w_.methodRunning_)
                return w_.MethodPhaseStarted(step, volts);
            w_.stepSettings->ShowProgress(QCoreApplication::translate("MeasurementWindow", "step %1 of %2: %3 V")
                                              .arg(step)
                                              .arg(w_.stepPlan_.volts.size())
                                              .arg(volts));
        });
    }
    void StepFinished(const krx::StepFigure& figure) override;

private:
    MeasurementWindow& w_;
};
