// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The insulation figures as rows of text, so that the panel and the report show the same words and
// numbers. Nothing here computes a figure: the core does, this only writes them down.

#include "core/settings.h"
#include "core/judging/ieee43.h"
#include "core/judging/insulation.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace krx {

struct FigureTable {
    QStringList header;               // "", "measured", "at 40 °C", "at 20 °C"
    std::vector<QStringList> rows;    // R 15 s … R 10 min, DAR, PI
    FigureVerdict ir, dar, pi;        // minimum IR first, as IEEE 43 orders them
    QString nameplateLine;            // "Nameplate: …" or "Nameplate: no nameplate"
    QString rampLine;
    QString temperatureLine;          // which temperature the corrections use, and its source
    QString climateLine;              // air at the meter, humidity, dew point
    QStringList notes;                // warnings
};

// `winding` is the temperature the user typed; without it the air temperature at the meter is
// used. `plate` empty: no IR and PI verdicts; a plate without a class takes that of `choices`.
FigureTable MakeFigureTable(const InsulationFigures& figures, const FigureChoices& choices,
                            std::optional<double> winding, std::optional<Nameplate> plate = std::nullopt);

// Three significant digits (or `digits`) with the prefix of its decade group: "512 kΩ", "1.23 GΩ",
// "40.0 TΩ".
QString OhmText(double ohm, int digits = 3);

// A typed winding temperature: empty text gives nullopt with `ok` true; a number in °C (either
// decimal separator) within -50 … 250 gives it; anything else `ok` false.
std::optional<double> ParseWindingTemperature(const QString& text, bool& ok);

}  // namespace krx
