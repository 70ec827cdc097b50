// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures of "measure --test" as the command line prints them: one JSON object for the
// jsonl dialect, "name: value" lines otherwise.

#include "cli/commands.h"
#include "core/insulation.h"

#include <QByteArray>
#include <QString>

namespace krx::cli {

// The seconds after the first stable reading that a test needs: 60 for DAR, 600 for PI.
double TestSpanSeconds(MeasureArgs::Test test);
QByteArray FiguresJson(const MeasureArgs& args, const InsulationFigures& f);
QString FiguresText(const MeasureArgs& args, const InsulationFigures& f);

}  // namespace krx::cli
