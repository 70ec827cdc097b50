#pragma once
// The measurement cycle's events as the measurement window shows them, carried to the window's
// thread.

#include "app/form_main.h"
#include "common/window_thread.h"
#include "measure/form_meas.h"

#include <QLabel>

// The cycle's events, carried to the window's thread.
class TForm_Meas::CycleView : public krx::CycleListener {
public:
    explicit CycleView(TForm_Meas& w) : w_(w) {}
    void TimerStarted(int seconds) override
    {
        krx::OnWindowThread(&w_, [this, seconds] {
            w_.Label_Timer_S->setText(QString::number(seconds) + QStringLiteral(" Sec"));
        });
    }
    void WaitHint(bool shown) override
    {
        krx::OnWindowThread(&w_, [this, shown] {
            w_.Label_WStV->setText(shown ? QStringLiteral("Wait for stable voltage !") : QString());
        });
    }
    void MeasuringStarted() override
    {
        krx::OnWindowThread(&w_, [this] {
            w_.ShowReadingLabels(true);
            w_.Label_St_V->setText(QString::number(Form_Main->SamplingTime) + QStringLiteral(" mSec"));
        });
    }
    void PassStarted(int counter) override
    {
        krx::OnWindowThread(&w_, [this, counter] { w_.Label1->setText(QString::number(counter)); });
    }
    void Iteration(const krx::CycleIteration& pass) override
    {
        krx::OnWindowThread(&w_, [this, pass] { w_.ShowPass(pass); });
    }
    void RestTime(int seconds) override
    {
        krx::OnWindowThread(&w_, [this, seconds] {
            w_.Label_Timer_S->setText(QString::number(seconds) + QStringLiteral(" Sec."));
        });
    }
    void TimerFinished() override
    {
        krx::OnWindowThread(&w_, [this] { w_.EndMeasurement(); });
    }

private:
    TForm_Meas& w_;
};

