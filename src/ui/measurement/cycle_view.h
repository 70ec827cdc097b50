// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement cycle's events as the measurement window shows them, carried to the window's
// thread.

#include "ui/measurement/measurement_window.h"

#include "ui/window_thread.h"

#include <QCoreApplication>
#include <QLabel>


// The cycle's events and its recorded readings, carried to the window's thread.
class MeasurementWindow::CycleView : public krx::CycleListener, public krx::RecordListener {
public:
    explicit CycleView(MeasurementWindow& w) : w_(w) {}
    void Recorded(const krx::DataRecord& record, const krx::CycleIteration&) override
    {
        // Read here, on the thread that writes it; a recording that stopped keeps its name.
        const QString file = w_.recorder_->File().FileName();
        krx::OnWindowThread(&w_, [this, record, file] { w_.ShowRecorded(record, file); });
    }
    void RecordingProblem(const QString& message) override
    {
        krx::OnWindowThread(&w_, [this, message] { w_.ShowRecordingProblem(message); });
    }
    void TimerStarted(int seconds) override
    {
        krx::OnWindowThread(&w_, [this, seconds] {
            w_.restTimeLabel->setText(QCoreApplication::translate("MeasurementWindow", "%1 Sec").arg(seconds));
        });
    }
    void WaitHint(bool shown) override
    {
        krx::OnWindowThread(&w_, [this, shown] {
            w_.stableVoltageLabel->setText(shown ? QCoreApplication::translate("MeasurementWindow", "Wait for stable voltage !") : QString());
        });
    }
    void MeasuringStarted() override
    {
        krx::OnWindowThread(&w_, [this] {
            w_.ShowReadingLabels(true);
            w_.sampleTimeLabel->setText(QCoreApplication::translate("MeasurementWindow", "%1 mSec").arg(w_.session_.SamplingTime));
        });
    }
    void PassStarted(int counter) override
    {
        krx::OnWindowThread(&w_, [this, counter] { w_.passCounter->setText(QString::number(counter)); });
    }
    void Iteration(const krx::CycleIteration& pass) override
    {
        krx::OnWindowThread(&w_, [this, pass] { w_.ShowPass(pass); });
    }
    void RestTime(int seconds) override
    {
        krx::OnWindowThread(&w_, [this, seconds] {
            w_.restTimeLabel->setText(QCoreApplication::translate("MeasurementWindow", "%1 Sec.").arg(seconds));
        });
    }
    void TimerFinished() override
    {
        krx::OnWindowThread(&w_, [this] { w_.EndMeasurement(); });
    }

private:
    MeasurementWindow& w_;
};

