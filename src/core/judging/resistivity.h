// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Surface and volume resistivity from the electrode geometry, by the effective-perimeter/area
// convention of ASTM D257: g = (D2 − D1)/2, ρs = R·π(D1 + g)/g in Ω; ρv = R·π(D1 + g)²/(4t) in
// Ω·cm. Other conventions exist (the exact ring 2π/ln(D2/D1), the inner disk alone πD1²/4): a
// person who follows one gives its factor, and the result says which was used.

#include <QString>

#include <optional>

namespace krx {

struct Geometry {
    std::optional<double> d1Mm, d2Mm, gapMm, thicknessMm;
    std::optional<double> factor;  // given by the person: surface in 1, volume in cm

    bool Surface() const { return d1Mm && d2Mm; }
    bool Volume() const { return d1Mm && gapMm && thicknessMm; }
    bool Any() const { return d1Mm || d2Mm || gapMm || thicknessMm || factor; }
};

struct Resistivity {
    bool volume = false;
    double value = 0.0;   // Ω (surface) or Ω·cm (volume)
    double factor = 0.0;  // value / R
    QString formula;      // with the geometry and the factor
    QString unit;         // "Ω" or "Ω·cm"
    bool atLeast = false, atMost = false;  // from a bound
};

// What is wrong with the geometry (a person's words), empty when it can be used.
QString GeometryProblem(const Geometry& g);
// The factor and its formula; nothing without geometry or factor. `volume` for a factor alone.
std::optional<Resistivity> ResistivityFactor(const Geometry& g, bool volume);
// "ρs = 2.06×10^9 Ω (ρs = Rs·π(D1+g)/g, …, factor 10.32)"
QString ResistivityText(const Resistivity& r);

}  // namespace krx
