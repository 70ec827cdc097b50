// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The air at the reading, said with every ESD and material result, and checked against the
// product-qualification window when the person marks the test as qualification: 12 ± 3 % RH and
// 23 ± 2 °C (IEC 61340-5-1:2016 product qualification as rendered by a distributor; low humidity is
// the worst case). Outside it the result still stands as compliance verification.

#include <QString>

#include <optional>

namespace krx {

constexpr int kQualificationHumidity = 12, kQualificationHumidityTolerance = 3;
constexpr double kQualificationCelsius = 23.0, kQualificationCelsiusTolerance = 2.0;

// "22.5 °C, 45 % RH"
QString ConditionsText(double celsius, int humidity);
// Empty when inside the window (edges included) or not a qualification test; else
// "taken at 45 % RH, outside 12 ± 3 % RH for qualification: valid as compliance verification only".
QString QualificationFlag(bool qualification, double celsius, int humidity);
// "conditioned 48 h"; empty when not given.
QString ConditioningText(const std::optional<double>& hours);

}  // namespace krx
