// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Insulation figures as the command line prints them: one JSON object for the jsonl dialect,
// "name: value" lines otherwise. measure --test prints them after its records; a command that
// takes its figures from elsewhere prints them the same way.

#include "core/insulation.h"

#include <QByteArray>
#include <QString>

namespace krx::cli {

// The test whose figures are printed: the DAR ends 60 s after the first stable reading, the PI 10 min.
enum class FigureTest { None, Dar, Pi };

// What the figures are judged by.
struct FigureChoice {
    FigureTest test = FigureTest::None;
    InsulationClass insulationClass = InsulationClass::F;
    DarTimes darTimes = DarTimes::From30To60;
};

// The seconds after the first stable reading that a test needs: 60 for DAR, 600 for PI.
double TestSpanSeconds(FigureTest test);
QByteArray FiguresJson(const FigureChoice& choice, const InsulationFigures& f);
QString FiguresText(const FigureChoice& choice, const InsulationFigures& f);

}  // namespace krx::cli
