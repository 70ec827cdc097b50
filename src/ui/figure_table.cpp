// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/figure_table.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace krx {

namespace {

constexpr double kLowestWinding = -50.0;
constexpr double kHighestWinding = 250.0;

QString RatioText(std::optional<double> ratio)
{
    return ratio ? QLocale().toString(*ratio, 'f', 2) : NotEnoughDataText();
}

}  // namespace

QString OhmText(double ohm)
{
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    if (!(ohm > 0.0) || !std::isfinite(ohm))
        return QStringLiteral("%1 Ω").arg(QLocale().toString(ohm, 'g', 3));
    int group = std::clamp(static_cast<int>(std::floor(std::log10(ohm) / 3.0)), 0, 5);
    double scaled = ohm / std::pow(1000.0, group);
    // Rounding to three digits may carry into the next group: 999.6 kΩ is 1.00 MΩ.
    if (scaled >= 999.5 && group < 5) {
        ++group;
        scaled /= 1000.0;
    }
    const int decimals = scaled >= 99.95 ? 0 : scaled >= 9.995 ? 1 : 2;
    return QStringLiteral("%1 %2Ω").arg(QLocale().toString(scaled, 'f', decimals), QLatin1String(prefixes[group]));
}

std::optional<double> ParseWindingTemperature(const QString& text, bool& ok)
{
    const QString t = text.trimmed();
    ok = true;
    if (t.isEmpty())
        return std::nullopt;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(QString(t).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    ok = ok && std::isfinite(v) && v >= kLowestWinding && v <= kHighestWinding;
    return ok ? std::optional<double>(v) : std::nullopt;
}

FigureTable MakeFigureTable(const InsulationFigures& f, const FigureChoices& choices, std::optional<double> winding)
{
    FigureTable t;
    const std::optional<double> temperature = winding ? winding : f.meanTemperature;
    t.header = {QString(), QStringLiteral("measured"), QStringLiteral("at 40 °C"), QStringLiteral("at 20 °C")};
    auto ohmRow = [&](const QString& name, std::optional<double> r) {
        QStringList row{name};
        row << (r ? OhmText(*r) : NotEnoughDataText());
        for (double base : {kBase40C, kBase20C})
            row << (r && temperature ? OhmText(CorrectedResistance(*r, *temperature, base)) : QStringLiteral("–"));
        t.rows.push_back(row);
    };
    ohmRow(QStringLiteral("R 15 s"), f.r15);
    ohmRow(QStringLiteral("R 30 s"), f.r30);
    ohmRow(QStringLiteral("R 1 min"), f.r60);
    ohmRow(QStringLiteral("R 10 min"), f.r600);
    // One temperature for both readings: the correction cancels in a ratio, so it stays as measured.
    auto ratioRow = [&](const QString& name, std::optional<double> ratio) {
        const QString corrected = ratio && temperature ? RatioText(ratio) : QStringLiteral("–");
        t.rows.push_back({name, RatioText(ratio), corrected, corrected});
    };
    ratioRow(choices.darTimes == DarTimes::From15To60 ? QStringLiteral("DAR 60 s/15 s") : QStringLiteral("DAR 60 s/30 s"),
             f.dar);
    ratioRow(QStringLiteral("PI 10 min/1 min"), f.pi);
    t.dar = DarVerdict(f.dar);
    t.pi = PiVerdict(f.pi, choices.cls);
    if (winding)
        t.temperatureLine = QStringLiteral("Corrected from the winding temperature %1 °C (typed in)")
                                .arg(QLocale().toString(*winding, 'f', 1));
    else if (f.meanTemperature)
        t.temperatureLine = QStringLiteral("Corrected from the meter's temperature %1 °C (mean over the figures' span)")
                                .arg(QLocale().toString(*f.meanTemperature, 'f', 1));
    else
        t.temperatureLine = QStringLiteral("No temperature yet: nothing corrected");
    return t;
}

}  // namespace krx
