// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/reading_format.h"

#include "core/localetext.h"

#include <cmath>

namespace krx {

QString ValueText(const MeasuredValue& m)
{
    if (m.range != RangeState::InRange)
        return QStringLiteral("0");
    return WithLocaleSeparator(m.value.mantissa) + QStringLiteral("E+") + m.value.exponent;
}

int ExponentOf(const QString& valueText)
{
    if (valueText.size() != 8)
        return 0;
    try {
        return ToInt(valueText.mid(6, 2).trimmed());
    } catch (const ConversionError&) {
        return 0;
    }
}

TechnicalUnit UnitForExponent(int exponent)
{
    if (exponent <= 5)
        return {QStringLiteral(" kOhm"), 1e3};
    if (exponent <= 8)
        return {QStringLiteral(" MOhm"), 1e6};
    if (exponent <= 11)
        return {QStringLiteral(" GOhm"), 1e9};
    return {QStringLiteral(" TOhm"), 1e12};
}

std::optional<int> DecimalsForExponent(int exponent)
{
    if (exponent < 3 || exponent > 14)
        return std::nullopt;
    return 2 - (exponent % 3);
}

int NextDecimals(int exponent, std::optional<int> current)
{
    if (const auto d = DecimalsForExponent(exponent))
        return *d;
    if (current)
        return *current;
    // Below 1 kOhm the kOhm figure needs more places (0.123 kOhm); above 99.9 TOhm none.
    return exponent < 3 ? 5 - exponent : 0;
}

namespace {
// Fixed-point with at most six significant places before the point; a larger figure goes to
// scientific form so that the label never grows without bound.
QString FixedPrecision6(double value, int decimals)
{
    if (std::fabs(value) >= 1e6)
        return WithLocaleSeparator(QString::number(value, 'E', 5));
    return FormatFixed(value, decimals);
}
}  // namespace

std::optional<QString> ResistanceDisplay(int rangeFlag, const QString& valueText, double valueOhm,
                                         bool exponentDisplay, int decimals)
{
    switch (rangeFlag) {
    case Overflow:
        return QStringLiteral("OVERFLOW !");
    case Underflow:
        return QStringLiteral("UNDERFLOW !");
    case InRange:
        break;
    default:
        return std::nullopt;
    }
    if (exponentDisplay)
        return valueText + QStringLiteral(" Ohm");
    const TechnicalUnit unit = UnitForExponent(ExponentOf(valueText));
    return FixedPrecision6(valueOhm / unit.divisor, decimals) + unit.text;
}

QString TemperatureDisplay(double degrees)
{
    return FormatFixed(degrees, 1) + QStringLiteral(" C");
}

QString HumidityDisplay(int percent)
{
    return QString::number(percent) + QStringLiteral(" %");
}

}  // namespace krx
