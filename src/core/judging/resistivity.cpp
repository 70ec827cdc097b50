// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/resistivity.h"

#include "core/judging/bounds.h"

#include <cmath>
#include <numbers>

namespace krx {

namespace {
QString Mm(double v)
{
    return QString::number(v, 'g', 6);
}
bool Positive(const std::optional<double>& v)
{
    return !v || (std::isfinite(*v) && *v > 0.0);
}
}  // namespace

QString GeometryProblem(const Geometry& g)
{
    if (!Positive(g.d1Mm) || !Positive(g.d2Mm) || !Positive(g.gapMm) || !Positive(g.thicknessMm) ||
        !Positive(g.factor))
        return QStringLiteral("electrode sizes and the factor must be numbers above 0");
    if (g.factor && (g.d1Mm || g.d2Mm || g.gapMm || g.thicknessMm))
        return QStringLiteral("give either the electrode sizes or the factor, not both");
    if (g.d2Mm && g.gapMm)
        return QStringLiteral("give D2 (surface) or the gap and thickness (volume), not both");
    if (g.d2Mm && !g.d1Mm)
        return QStringLiteral("D2 needs D1");
    if (g.d1Mm && g.d2Mm && !(*g.d2Mm > *g.d1Mm))
        return QStringLiteral("D2 (the ring's inner diameter) must be larger than D1");
    if ((g.gapMm || g.thicknessMm) && !(g.d1Mm && g.gapMm && g.thicknessMm))
        return QStringLiteral("volume resistivity needs D1, the gap and the thickness");
    if (g.d1Mm && !g.d2Mm && !g.gapMm)
        return QStringLiteral("D1 needs D2 (surface) or the gap and thickness (volume)");
    return {};
}

std::optional<Resistivity> ResistivityFactor(const Geometry& g, bool volume)
{
    Resistivity r;
    if (g.factor) {
        r.volume = volume;
        r.factor = *g.factor;
        r.unit = volume ? QStringLiteral("Ω·cm") : QStringLiteral("Ω");
        r.formula = volume ? QStringLiteral("ρv = Rv·F, F = %1 cm given").arg(Mm(*g.factor))
                           : QStringLiteral("ρs = Rs·F, F = %1 given").arg(Mm(*g.factor));
        return r;
    }
    constexpr double pi = std::numbers::pi;
    if (g.Surface()) {
        const double gap = (*g.d2Mm - *g.d1Mm) / 2.0;
        r.factor = pi * (*g.d1Mm + gap) / gap;
        r.unit = QStringLiteral("Ω");
        r.formula = QStringLiteral("ρs = Rs·π(D1+g)/g, g = (D2−D1)/2, D1 %1 mm, D2 %2 mm, factor %3")
                        .arg(Mm(*g.d1Mm), Mm(*g.d2Mm))
                        .arg(r.factor, 0, 'f', 2);
        return r;
    }
    if (g.Volume()) {
        // mm² → cm² and mm → cm: the factor comes out in cm, ρv in Ω·cm.
        const double areaCm2 = pi * std::pow(*g.d1Mm + *g.gapMm, 2) / 4.0 / 100.0;
        r.volume = true;
        r.factor = areaCm2 / (*g.thicknessMm / 10.0);
        r.unit = QStringLiteral("Ω·cm");
        r.formula = QStringLiteral("ρv = Rv·π(D1+g)²/(4t), D1 %1 mm, g %2 mm, t %3 mm, factor %4 cm")
                        .arg(Mm(*g.d1Mm), Mm(*g.gapMm), Mm(*g.thicknessMm))
                        .arg(r.factor, 0, 'f', 2);
        return r;
    }
    return std::nullopt;
}

QString ResistivityText(const Resistivity& r)
{
    const QString symbol = r.volume ? QStringLiteral("ρv") : QStringLiteral("ρs");
    const QString bound = r.atLeast ? QStringLiteral("≥ ") : r.atMost ? QStringLiteral("≤ ") : QString();
    QString value = SciOhm(r.value);
    if (r.volume)
        value = value.replace(QStringLiteral(" Ω"), QStringLiteral(" Ω·cm")) +
                QStringLiteral(" (%1 Ω·m)").arg(SciOhm(r.value / 100.0).chopped(2));
    return QStringLiteral("%1 = %2%3 (%4)").arg(symbol, bound, value, r.formula);
}

}  // namespace krx
