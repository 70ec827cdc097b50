// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test a finished measurement makes, the same for every face that files one.

#include "core/insulation.h"
#include "history/history_store.h"

#include <optional>
#include <vector>

namespace krx::history {

// The figures, verdicts and the values corrected to 40 °C from the core, over the mean
// temperature of the figures' span. Without a class there is no PI verdict.
TestRecord TestFromMeasurement(const QString& assetId, const std::vector<DataRecord>& readings, bool timerMode,
                               std::optional<InsulationClass> cls, DarTimes darTimes);

}  // namespace krx::history
