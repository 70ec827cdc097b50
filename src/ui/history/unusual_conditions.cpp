// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/unusual_conditions.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <map>

namespace krx::history_view {

UsualConditions UsualOf(const std::vector<TestConditions>& tests)
{
    UsualConditions usual;
    std::map<int, int> counts;
    std::map<int, size_t> lastUse;
    std::vector<double> temperatures;
    for (size_t i = 0; i < tests.size(); ++i) {
        if (tests[i].volts > 0) {
            ++counts[tests[i].volts];
            lastUse[tests[i].volts] = i;
        }
        if (tests[i].temperatureC && std::isfinite(*tests[i].temperatureC))
            temperatures.push_back(*tests[i].temperatureC);
    }
    int best = 0;
    for (const auto& [volts, count] : counts) {
        if (best == 0 || count > counts[best] || (count == counts[best] && lastUse[volts] > lastUse[best]))
            best = volts;
    }
    usual.volts = best;
    if (!temperatures.empty()) {
        std::sort(temperatures.begin(), temperatures.end());
        const size_t n = temperatures.size();
        usual.medianTemperatureC =
            n % 2 ? temperatures[n / 2] : (temperatures[n / 2 - 1] + temperatures[n / 2]) / 2.0;
    }
    return usual;
}

ConditionMark MarkOf(const TestConditions& test, const UsualConditions& usual)
{
    ConditionMark mark;
    mark.otherVoltage = test.volts > 0 && usual.volts > 0 && test.volts != usual.volts;
    mark.farTemperature = test.temperatureC && usual.medianTemperatureC && std::isfinite(*test.temperatureC) &&
                          std::abs(*test.temperatureC - *usual.medianTemperatureC) > kTemperatureSpreadC;
    return mark;
}

QString MarkExplanation(const TestConditions& test, const UsualConditions& usual)
{
    const ConditionMark mark = MarkOf(test, usual);
    QStringList why;
    if (mark.otherVoltage)
        why << QCoreApplication::translate("HistoryWindow", "tested at %1 V, usually %2 V").arg(test.volts).arg(usual.volts);
    if (mark.farTemperature) {
        why << QCoreApplication::translate("HistoryWindow", "%1 °C, %2 °C from the usual %3 °C")
                   .arg(*test.temperatureC, 0, 'f', 1)
                   .arg(std::abs(*test.temperatureC - *usual.medianTemperatureC), 0, 'f', 1)
                   .arg(*usual.medianTemperatureC, 0, 'f', 1);
    }
    return why.join(QStringLiteral("; "));
}

QString MarkRuleText()
{
    return QCoreApplication::translate("HistoryWindow", "Marked: a voltage other than the asset's usual one, or a temperature more than %1 °C "
                          "from its median; compare such tests with care.")
        .arg(kTemperatureSpreadC, 0, 'f', 0);
}

}  // namespace krx::history_view
