// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The asset's nameplate and the winding temperature as options: --kind, --rated-voltage,
// --winding, --class and --winding-temp, the same for every command that judges figures.

#include "cli/options.h"
#include "core/judging/ieee43.h"

#include <optional>

namespace krx::cli {

void AddNameplateOptions(QCommandLineParser& p);
// A nameplate as soon as one of its options is given (the kind alone defaults to a machine);
// empty otherwise. Throws UsageError.
std::optional<Nameplate> ParseNameplate(const QCommandLineParser& p);
// --winding-temp, -50 to 250 °C; empty when not given.
std::optional<double> ParseWindingTemperature(const QCommandLineParser& p);

}  // namespace krx::cli
