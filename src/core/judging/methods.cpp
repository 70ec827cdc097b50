// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/methods.h"

namespace krx {

namespace {
constexpr const char* kItemRule = "ANSI/ESD STM4.1-2017 voltage rule (ASTM F150-06 the same logic)";
}  // namespace

const std::array<MethodInfo, 5>& Methods()
{
    static const std::array<MethodInfo, 5> table{{
        {Method::Insulation, "insulation", "Insulation", "insulation resistance over time", VoltageRule::Setup,
         "every sampling interval", "IR, PI, DAR, corrected to 40 °C", "the nameplate", "IEEE 43-2013", false},
        {Method::Esd, "esd", "ESD-control item", "Rtt (point to point) or Rtg (to ground)",
         VoltageRule::TenThenHundred, "10 V at 5 s; 100 V at 15 s where 10 V reads 1.0×10^6 Ω or more",
         "path, resistance, verdict, conditions", "item limits (limit set)", kItemRule, false},
        {Method::Surface, "surface", "Surface resistance", "Rs of a material (concentric ring)",
         VoltageRule::TenThenHundred, "10 V at 5 s; 100 V at 15 s where 10 V reads 1.0×10^6 Ω or more",
         "path, resistance, surface resistivity, packaging class, verdict, conditions",
         "packaging classes and item limits (limit set)", kItemRule, true},
        {Method::Volume, "volume", "Volume resistance", "Rv of a material (ring to plate)",
         VoltageRule::TenThenHundred, "10 V at 5 s; 100 V at 15 s where 10 V reads 1.0×10^6 Ω or more",
         "path, resistance, volume resistivity, conditions", "none built in", kItemRule, true},
        {Method::Material, "material", "Material (laboratory)", "R of a material at a chosen voltage",
         VoltageRule::Chosen, "at the end of the chosen time (default 60 s)",
         "resistance, resistivity, conditions", "ESD-item limits only at 10 and 100 V", "field practice", true},
    }};
    return table;
}

const MethodInfo& InfoOf(Method m)
{
    return Methods()[static_cast<size_t>(m)];
}

std::optional<Method> MethodFromName(const QString& name)
{
    for (const MethodInfo& info : Methods())
        if (name == QLatin1String(info.name))
            return info.method;
    return std::nullopt;
}

QString MeasurementName(Measurement m)
{
    switch (m) {
    case Measurement::Rtt: return QStringLiteral("Rtt");
    case Measurement::Rtg: return QStringLiteral("Rtg");
    case Measurement::Rs: return QStringLiteral("Rs");
    case Measurement::Rv: return QStringLiteral("Rv");
    }
    return {};
}

std::optional<Measurement> MeasurementFromName(const QString& name)
{
    for (Measurement m : {Measurement::Rtt, Measurement::Rtg, Measurement::Rs, Measurement::Rv})
        if (name.compare(MeasurementName(m), Qt::CaseInsensitive) == 0)
            return m;
    return std::nullopt;
}

bool MethodTakes(Method method, Measurement m)
{
    switch (method) {
    case Method::Esd: return m == Measurement::Rtt || m == Measurement::Rtg;
    case Method::Surface: return m == Measurement::Rs;
    case Method::Volume: return m == Measurement::Rv;
    case Method::Material: return m == Measurement::Rs || m == Measurement::Rv;
    case Method::Insulation: return false;
    }
    return false;
}

Measurement DefaultMeasurement(Method method)
{
    switch (method) {
    case Method::Surface: return Measurement::Rs;
    case Method::Volume: return Measurement::Rv;
    case Method::Material: return Measurement::Rs;
    case Method::Esd:
    case Method::Insulation: break;
    }
    return Measurement::Rtg;
}

}  // namespace krx
