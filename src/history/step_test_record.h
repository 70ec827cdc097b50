// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A step-voltage test as the history files it: its steps, the change from the lowest to the
// highest step and the verdict, beside the readings.

#include "core/judging/step_figures.h"
#include "history/history_store.h"

#include <optional>

namespace krx::history {

// The test a finished (or broken) step-voltage run makes; its figures are the core's.
TestRecord TestFromSteps(const QString& assetId, const std::vector<DataRecord>& readings, const StepPlan& plan,
                         const StepResult& result);

// The steps' column: JSON text, and back (nullopt for an empty or unreadable text).
QString StepsText(const StepSummary& steps);
std::optional<StepSummary> StepsFromText(const QString& text);

// "-34.4 % from 100 V to 500 V: falls by more than 25 %: …", as the history view shows the change.
QString StepChangeLine(const StepSummary& steps);

}  // namespace krx::history
