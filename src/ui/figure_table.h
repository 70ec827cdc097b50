// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The insulation figures as rows of text, so that the panel and the report show the same words and
// numbers. Nothing here computes a figure: the core does, this only writes them down.

#include "core/settings.h"
#include "core/insulation.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace krx {

struct FigureTable {
    QStringList header;               // "", "measured", "at 40 °C", "at 20 °C"
    std::vector<QStringList> rows;    // R 15 s … R 10 min, DAR, PI
    FigureVerdict dar, pi;
    QString temperatureLine;          // which temperature the corrections use
};

// `winding` is the temperature the user typed; without it the meter's mean temperature is used.
FigureTable MakeFigureTable(const InsulationFigures& figures, const FigureChoices& choices,
                            std::optional<double> winding);

// Three significant digits with the prefix of its decade group: "512 kΩ", "1.23 GΩ", "40.0 TΩ".
QString OhmText(double ohm);

// A typed winding temperature: empty text gives nullopt with `ok` true; a number in °C (either
// decimal separator) within -50 … 250 gives it; anything else `ok` false.
std::optional<double> ParseWindingTemperature(const QString& text, bool& ok);

}  // namespace krx
