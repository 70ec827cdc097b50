// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/conditions.h"

#include <QStringList>

#include <cmath>

namespace krx {

QString ConditionsText(double celsius, int humidity)
{
    return QStringLiteral("%1 °C, %2 % RH").arg(celsius, 0, 'f', 1).arg(humidity);
}

QString QualificationFlag(bool qualification, double celsius, int humidity)
{
    if (!qualification)
        return {};
    QStringList taken, window;
    if (std::abs(humidity - kQualificationHumidity) > kQualificationHumidityTolerance) {
        taken << QStringLiteral("%1 % RH").arg(humidity);
        window << QStringLiteral("%1 ± %2 % RH").arg(kQualificationHumidity).arg(kQualificationHumidityTolerance);
    }
    // Tenths as the meter gives them; a hair's rounding must not move a reading across the edge.
    if (std::fabs(celsius - kQualificationCelsius) > kQualificationCelsiusTolerance + 1e-9) {
        taken << QStringLiteral("%1 °C").arg(celsius, 0, 'f', 1);
        window << QStringLiteral("%1 ± %2 °C").arg(kQualificationCelsius).arg(kQualificationCelsiusTolerance);
    }
    if (taken.isEmpty())
        return {};
    return QStringLiteral("taken at %1, outside %2 for qualification: valid as compliance verification only")
        .arg(taken.join(QStringLiteral(" and ")), window.join(QStringLiteral(" and ")));
}

QString ConditioningText(const std::optional<double>& hours)
{
    if (!hours)
        return {};
    return QStringLiteral("conditioned %1 h").arg(*hours, 0, 'g', 6);
}

}  // namespace krx
