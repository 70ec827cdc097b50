// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Insulation figures as the command line prints them: one JSON object for the jsonl dialect,
// "name: value" lines otherwise. measure --test prints them after its records; a command that
// takes its figures from elsewhere prints them the same way.

#include "core/judging/ieee43.h"
#include "core/judging/insulation.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace krx::cli {

// The test whose figures are printed: the DAR ends 60 s after the voltage command, the PI 10 min.
enum class FigureTest { None, Dar, Pi };

// A JSON string; a JSON number, null without a value.
QByteArray JsonText(const QString& text);
QByteArray JsonNumber(const std::optional<double>& v);

// The seconds after the voltage command that a test needs: 60 for DAR, 600 for PI.
double TestSpanSeconds(FigureTest test);

// Figures judged by a nameplate, in the window's words: measure --test and figures print these.
struct JudgedFigures {
    InsulationFigures figures;
    DarTimes darTimes = DarTimes::From30To60;
    std::optional<Nameplate> plate;
    Judgement judgement;
    bool simulated = false;  // the readings came from the simulated meter
};
JudgedFigures JudgeFigures(const InsulationFigures& f, DarTimes darTimes, const std::optional<Nameplate>& plate,
                           std::optional<double> winding);
// `leading`: keys put first, each with its comma ("\"test\":\"pi\",").
QByteArray JudgedJson(const JudgedFigures& j, const QByteArray& leading = {});
QString JudgedText(const JudgedFigures& j);

}  // namespace krx::cli
