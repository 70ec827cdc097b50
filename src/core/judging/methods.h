// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test methods a person chooses before Start, in one table that every face reads: what each
// measures, how it sets the voltage, when its reading is taken, what it computes and what judges it.

#include <QString>

#include <array>
#include <optional>

namespace krx {

enum class Method { Insulation, Esd, Surface, Volume, Material };

// What a reading of an ESD method is: point to point, to ground (or groundable point), surface or
// volume resistance of a material.
enum class Measurement { Rtt, Rtg, Rs, Rv };

enum class VoltageRule {
    Setup,        // the voltage of the meter's setup, as today
    TenThenHundred,  // 10 V, and 100 V with a fresh start where 10 V reads 1.0×10^6 Ω or more
    Chosen,       // the person's voltage for the person's time
};

struct MethodInfo {
    Method method;
    const char* name;      // as typed: "esd"
    const char* title;     // as shown: "ESD-control item"
    const char* measures;  // the reading it takes
    VoltageRule rule;
    const char* timing;    // when the reading is taken
    const char* figures;   // what the result holds
    const char* limits;    // what judges it
    const char* source;    // where the voltage rule and timing come from
    bool resistivity;      // electrode geometry gives a resistivity
};

// The switch point and reading times of the 10 V → 100 V rule (ANSI/ESD STM4.1-2017; ASTM F150-06
// uses the same logic).
constexpr double kSwitchToHundredOhm = 1.0e6;
constexpr int kTenVoltReadingSeconds = 5;
constexpr int kHundredVoltReadingSeconds = 15;
constexpr int kMaterialDefaultSeconds = 60;

const std::array<MethodInfo, 5>& Methods();
const MethodInfo& InfoOf(Method m);
std::optional<Method> MethodFromName(const QString& name);
QString MeasurementName(Measurement m);  // "Rtt", "Rtg", "Rs", "Rv"
std::optional<Measurement> MeasurementFromName(const QString& name);  // any case
// The measurements a method takes: Rtt/Rtg for items, Rs for surface, Rv for volume.
bool MethodTakes(Method method, Measurement m);
// The measurement a method reads when none is chosen (esd: Rtg, the compliance-verification reading).
Measurement DefaultMeasurement(Method method);

}  // namespace krx
