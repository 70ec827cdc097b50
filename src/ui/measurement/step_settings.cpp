// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/step_settings.h"

#include "ui/controls.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace krx {

namespace {
constexpr int kVolts[] = {10, 100, 500, 1000};
}  // namespace

StepSettings::StepSettings(QWidget* parent) : QGroupBox(QCoreApplication::translate("MeasurementWindow", "Step voltage"), parent)
{
    setObjectName(QStringLiteral("StepSettings"));
    useSteps = new QCheckBox(QCoreApplication::translate("MeasurementWindow", "Step-voltage test"), this);
    useSteps->setObjectName(QStringLiteral("StepVoltageTest"));
    auto* volts = new QHBoxLayout;
    volts->setSpacing(14);
    volts->addWidget(useSteps);
    volts->addSpacing(10);
    for (size_t i = 0; i < voltBoxes.size(); ++i) {
        auto* box = new QCheckBox(QStringLiteral("%1 V").arg(kVolts[i]), this);
        box->setObjectName(QStringLiteral("StepVolts%1").arg(kVolts[i]));
        box->setChecked(kVolts[i] != 10);
        voltBoxes[i] = box;
        volts->addWidget(box);
    }
    volts->addStretch(1);
    stepSeconds = new QSpinBox(this);
    stepSeconds->setObjectName(QStringLiteral("StepSeconds"));
    stepSeconds->setRange(kStepSecondsMin, kStepSecondsMax);
    stepSeconds->setValue(60);
    stepSeconds->setSuffix(QStringLiteral(" s"));
    stepSeconds->setAccessibleName(QCoreApplication::translate("MeasurementWindow", "Step length in seconds"));
    auto* lengthCaption = new QLabel(QCoreApplication::translate("MeasurementWindow", "Each step"), this);
    lengthCaption->setBuddy(stepSeconds);
    volts->addWidget(lengthCaption);
    volts->addWidget(stepSeconds);
    // One row, so that the window is no taller than with the timer's group.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 2, 9, 4);
    layout->addLayout(volts);
    setFont(ArialFont(16));
    connect(useSteps, &QCheckBox::toggled, this, &StepSettings::UpdateEnabled);
    UpdateEnabled();
}

bool StepSettings::Chosen() const
{
    return useSteps->isChecked();
}

StepPlan StepSettings::Plan() const
{
    StepPlan plan;
    plan.volts.clear();
    for (size_t i = 0; i < voltBoxes.size(); ++i)
        if (voltBoxes[i]->isChecked())
            plan.volts.push_back(kVolts[i]);
    plan.stepSeconds = stepSeconds->value();
    return plan;
}

void StepSettings::Lock(bool locked)
{
    locked_ = locked;
    UpdateEnabled();
}

void StepSettings::ShowProgress(const QString& text)
{
    setTitle(text.isEmpty() ? QCoreApplication::translate("MeasurementWindow", "Step voltage") : QCoreApplication::translate("MeasurementWindow", "Step voltage: ") + text);
}

void StepSettings::UpdateEnabled()
{
    useSteps->setEnabled(!locked_);
    const bool choices = !locked_ && useSteps->isChecked();
    for (QCheckBox* box : voltBoxes)
        box->setEnabled(choices);
    stepSeconds->setEnabled(choices);
}

}  // namespace krx
