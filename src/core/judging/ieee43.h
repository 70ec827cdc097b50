// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The verdicts on a run's insulation figures by the asset's nameplate, and every word of them:
// IEEE 43-2013 for rotating machines (minimum IR 1 min at 40 °C, minimum PI, recommended test
// voltage), the instrument makers' rule of thumb for the DAR, the temperature correction and the
// dew point. The window, the report, the command line and the history take their texts from here.

#include "core/asset_kinds.h"
#include "core/judging/insulation.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace krx {

// The rows of the minimum-IR table: form-wound coils built after about 1970 (100 MΩ, or 5 MΩ when
// rated below 1 kV); random-wound coils and dc armatures (5 MΩ); windings built before about
// 1970, field windings or not known (kV + 1 MΩ).
enum class WindingType { Form, Random, Older };

struct Nameplate {
    AssetKind kind = AssetKind::Machine;
    std::optional<double> ratedVolts;  // line to line
    std::optional<WindingType> winding;
    std::optional<InsulationClass> cls;
};

// "form", "random", "older": the command line's and the history's names. Parse gives false for
// anything else.
QString WindingName(WindingType winding);
bool ParseWinding(const QString& text, WindingType& winding);
// "rotating machine, 6600 V, form-wound after about 1970, class F", or "no nameplate".
QString NameplateText(const std::optional<Nameplate>& plate);
QString WindingDescription(WindingType winding);
// The winding choice as a person picks it: the description and the row it leads to.
QString WindingChoiceText(WindingType winding);

// One row of the minimum-IR table, at 40 °C.
struct MinimumIr {
    double ohm = 0.0;
    QString rule;  // "kV + 1 MΩ", "100 MΩ", "5 MΩ"
};
// Empty without a winding type, or for "older" and "form" without a rated voltage.
std::optional<MinimumIr> MinimumIrOf(const Nameplate& plate);
QString MinimumIrSourceText();

// The recommended dc test voltage range for a rated voltage.
struct VoltageRange {
    double low = 0.0;
    double high = 0.0;
};
VoltageRange RecommendedTestVoltage(double ratedVolts);

// Above this IR 1 min at 40 °C the PI may be disregarded.
constexpr double kPiDisregardOhm = 5000e6;

// Celsius dew point by the Magnus formula over water; empty for a humidity outside 0 < RH ≤ 100.
std::optional<double> DewPoint(double airC, double humidityPct);

// Everything judged on one run's figures.
struct Judgement {
    std::optional<double> temperature;  // the correction's: the typed winding's, else the air's
    bool windingTyped = false;
    std::optional<double> r60At40, r600At40, r60At20;
    std::optional<double> dewPoint;
    FigureVerdict ir, pi, dar;
    // Where a value stands beside a limit, the digits that keep it on its side of the limit:
    // significant digits of R 1 min at 40 °C, decimals of the DAR and the PI (bound included).
    int r60At40Digits = 3, darDecimals = 2, piDecimals = 2;
    QString rampLine;         // "ramp: 3.4 s (time to the first stable reading)"
    QString temperatureLine;  // which temperature the correction uses, and its source
    QString climateLine;      // air temperature at the meter, humidity and dew point
    QStringList notes;        // warnings: voltage change, test voltage, condensation, rough correction
};

// The digits a value needs beside the limits it is judged by (Judgement's, for a face that prints a
// filed value): decimals of a DAR and a PI, significant digits of R 1 min at 40 °C.
int DarDecimals(double dar, DarTimes darTimes);
int PiDecimals(double pi, const std::optional<Nameplate>& plate);
int R60At40Digits(double ohm, const std::optional<Nameplate>& plate);

// `plate` empty: no nameplate, so no IR and PI verdicts. `winding`: the typed winding temperature.
Judgement Judge(const InsulationFigures& f, DarTimes darTimes, const std::optional<Nameplate>& plate,
                std::optional<double> winding);

// What a timer of `seconds` will not give: empty when it reaches 10 min.
QString TimerShortfallText(int seconds);
QString NoNameplateText();  // "no nameplate"
QString AirTemperatureName();  // "air temperature at the meter"

}  // namespace krx
