// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement window's third way to measure, beside free-running and timer: a step-voltage
// test, with its rising voltages and the length of each step.

#include "core/judging/step_figures.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QSpinBox;

namespace krx {

class StepSettings : public QGroupBox {
    Q_OBJECT
public:
    explicit StepSettings(QWidget* parent = nullptr);

    // Start runs the step-voltage test rather than a free-running measurement.
    bool Chosen() const;
    // The ticked voltages, rising, and the step length.
    StepPlan Plan() const;
    // While a test runs its choices stay as they are.
    void Lock(bool locked);
    // In the title: the step running, or how the last test ended.
    void ShowProgress(const QString& text);

    QCheckBox* useSteps = nullptr;
    std::array<QCheckBox*, 4> voltBoxes{};  // 10, 100, 500, 1000 V
    QSpinBox* stepSeconds = nullptr;

private:
    void UpdateEnabled();
    bool locked_ = false;
};

}  // namespace krx
