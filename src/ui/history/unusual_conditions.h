// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which of an asset's tests were taken under conditions that make them hard to compare with the
// rest: another measuring voltage than the asset's usual one, or a temperature far from its usual
// temperature. Insulation resistance halves for every 10 °C or so and depends on the voltage, so
// such a point in a trend is not a change of the insulation until shown otherwise.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace krx::history_view {

// A test further than this from the asset's median temperature is marked (exactly this is not).
inline constexpr double kTemperatureSpreadC = 10.0;

struct TestConditions {
    int volts = 0;                       // 0: not known, never marked
    std::optional<double> temperatureC;  // none: not known, never marked
};

struct UsualConditions {
    int volts = 0;                            // the voltage used most often; 0 without tests
    std::optional<double> medianTemperatureC;  // of the tests with a temperature
};

struct ConditionMark {
    bool otherVoltage = false;
    bool farTemperature = false;
    bool Marked() const { return otherVoltage || farTemperature; }
};

// Tests in the order they were taken: a tie between voltages goes to the one used last.
UsualConditions UsualOf(const std::vector<TestConditions>& tests);
ConditionMark MarkOf(const TestConditions& test, const UsualConditions& usual);
// Why a test is marked, for a tooltip or a report line; empty when it is not.
QString MarkExplanation(const TestConditions& test, const UsualConditions& usual);
// The rule itself, said once for the legend and the report.
QString MarkRuleText();

}  // namespace krx::history_view
