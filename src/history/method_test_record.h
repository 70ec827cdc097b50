// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An ESD or material test as the history files it: what was asked, the path of readings, the
// reading that stands and how it was judged, beside the readings.

#include "history/history_store.h"

#include <optional>
#include <vector>

namespace krx::history {

// The test a finished (or broken) method run makes; its figures and verdict are the core's.
TestRecord TestFromMethod(const QString& assetId, const std::vector<DataRecord>& readings, const MethodResult& result);

// The path's column: JSON text, a list of {"voltage_v", "at_s", "resistance_ohm", "range",
// "temperature_c", "humidity_pct"}, and back (empty for an empty or unreadable text).
QString PathJson(const std::vector<PathStep>& path);
std::vector<PathStep> PathFromJson(const QString& text);

// The verdict's outcome as stored: "meets", "fails", "undecided", "not judged".
QString StoredOutcomeName(Outcome outcome);
Outcome OutcomeFromStoredName(const QString& name);

}  // namespace krx::history
