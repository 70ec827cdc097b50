// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/meter_setup.h"

#include <array>

namespace krx::cli {

namespace {

constexpr std::array<int, 4> kVolts{10, 100, 500, 1000};

QString VoltageText(const SetupFlags& f)
{
    return f.voltageKnown && f.voltageIndex >= 0 && f.voltageIndex < 4 ? QStringLiteral("%1 V").arg(kVolts[f.voltageIndex])
                                                                       : QStringLiteral("unknown");
}

}  // namespace

void PrintSetup(QTextStream& out, const MeasuringSetup& s, const std::optional<Timers>& timers)
{
    out << "voltage: " << VoltageText(s.flags) << '\n'
        << "automatic voltage: " << (s.flags.autoVoltage ? "on" : "off") << '\n'
        << "display: " << (s.flags.exponentDisplay ? "exponent" : "technical") << '\n'
        << "calculation: " << (s.flags.lapse ? "lapse" : "average") << '\n';
    if (timers)
        out << "measuring timer: " << timers->measuring << " s\n"
            << "break-down timer: " << timers->breakDown << " s\n"
            << "break-off timer: " << timers->breakOff << " s\n";
    else
        out << "timers: not read\n";
}

SetupChoice ChoiceFrom(const std::optional<MeasuringSetup>& setup)
{
    SetupChoice c;
    if (!setup)
        return c;
    c.voltageFunction = setup->flags.autoVoltage;
    if (setup->flags.voltageKnown && setup->flags.voltageIndex >= 0 && setup->flags.voltageIndex < 4)
        c.voltage = kVolts[setup->flags.voltageIndex];
    c.displayMode = setup->flags.exponentDisplay;
    c.calculation = setup->flags.lapse;
    return c;
}

void Apply(SetupChoice& c, const std::optional<VoltageChoice>& v)
{
    if (!v)
        return;
    c.voltageFunction = v->automatic ? 1 : 0;
    if (v->volts)
        c.voltage = v->volts;
}

}  // namespace krx::cli
