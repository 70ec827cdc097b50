// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test a finished measurement makes, the same for every face that files one.

#include "core/judging/ieee43.h"
#include "history/history_store.h"

#include <optional>
#include <vector>

namespace krx::history {

// What the figures are judged with: the DAR times, the asset's nameplate (none: no IR and PI
// verdicts) and a typed winding temperature (none: the air temperature at the meter).
struct Judging {
    DarTimes darTimes = DarTimes::From30To60;
    std::optional<Nameplate> nameplate;
    std::optional<double> winding;
};

// The figures, verdicts, corrected values, ramp and dew point from the core, judged as `with` says.
TestRecord TestFromMeasurement(const QString& assetId, const std::vector<DataRecord>& readings, bool timerMode,
                               const Judging& with);
// As above with a thermal class alone (a rotating machine of unknown winding); no class, no nameplate.
TestRecord TestFromMeasurement(const QString& assetId, const std::vector<DataRecord>& readings, bool timerMode,
                               std::optional<InsulationClass> cls, DarTimes darTimes);
// The test's figures and verdicts again from its readings, with another nameplate; the rest of the
// test (comment, operator, meter) stays. Tests without readings, and step-voltage tests, are left
// as they are.
void Rejudge(TestRecord& test, const std::optional<Nameplate>& nameplate);
// The winding temperature the test was judged with, when one was typed.
std::optional<double> TypedWinding(const TestRecord& test);

}  // namespace krx::history
