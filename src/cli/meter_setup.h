// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's measuring setup between the arguments, the meter and the text the commands print.

#include "device/commands.h"

#include <QTextStream>

#include <optional>

namespace krx::cli {

// The measuring voltage as the user names it: 10, 100, 500, 1000 or "auto".
struct VoltageChoice {
    bool automatic = false;
    int volts = 0;  // 0 with automatic: the meter's own voltage stays
};

// "name: value" lines of the setup and the timers, as info and setup print them.
void PrintSetup(QTextStream& out, const MeasuringSetup& s, const std::optional<Timers>& timers);
// The setup as the meter holds it, ready to be changed and written back.
SetupChoice ChoiceFrom(const std::optional<MeasuringSetup>& setup);
void Apply(SetupChoice& c, const std::optional<VoltageChoice>& v);

}  // namespace krx::cli
