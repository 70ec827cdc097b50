// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a live reading is shown in the measurement window: the technical display with its unit
// and decimals tables, the exponent display, and the climate labels.

#include "device/commands.h"

#include <QString>

#include <optional>

namespace krx {

// The value text of a reading: mantissa with the locale's separator, "E+", two exponent digits
// ("1.23E+05"); "0" out of range.
QString ValueText(const MeasuredValue& m);

// The meter's value text carries its exponent in characters 7 and 8 ("1.23E+05"); any other
// form (the "0" of an overflow, an empty text) counts as exponent 0.
int ExponentOf(const QString& valueText);

struct TechnicalUnit {
    QString text;    // " kOhm", " MOhm", " GOhm", " TOhm"
    double divisor;  // 1e3, 1e6, 1e9, 1e12
};
TechnicalUnit UnitForExponent(int exponent);

// Decimals that keep three significant digits for a mantissa between 1 and 10; nullopt for an
// exponent outside 3 to 14, where the previous reading's decimals stay in force.
std::optional<int> DecimalsForExponent(int exponent);

// The decimals a cycle shows with. An exponent outside the table keeps `current`; on the first
// reading of a cycle (no current yet) it falls back to three significant digits as well.
int NextDecimals(int exponent, std::optional<int> current);

// Range flags of a reading.
enum RangeFlag { InRange = 0, Overflow = 1, Underflow = 2 };

// The text of the resistance display; nullopt for a range flag outside 0..2 (the display keeps
// what it shows).
std::optional<QString> ResistanceDisplay(int rangeFlag, const QString& valueText, double valueOhm,
                                         bool exponentDisplay, int decimals);

// "23.5 C" and "45 %".
QString TemperatureDisplay(double degrees);
QString HumidityDisplay(int percent);

}  // namespace krx
