// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/figure_table.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace krx {

namespace {

constexpr double kLowestWinding = -50.0;
constexpr double kHighestWinding = 250.0;

QString RatioText(std::optional<double> ratio, int decimals)
{
    return ratio ? QLocale().toString(*ratio, 'f', decimals) : NotEnoughDataText();
}

}  // namespace

QString OhmText(double ohm, int digits)
{
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    if (!(ohm > 0.0) || !std::isfinite(ohm))
        return QStringLiteral("%1 Ω").arg(QLocale().toString(ohm, 'g', 3));
    int group = std::clamp(static_cast<int>(std::floor(std::log10(ohm) / 3.0)), 0, 5);
    double scaled = ohm / std::pow(1000.0, group);
    // Rounding to three digits may carry into the next group: 999.6 kΩ is 1.00 MΩ.
    if (scaled >= 1000.0 - 0.5 * std::pow(10.0, 3 - digits) && group < 5) {
        ++group;
        scaled /= 1000.0;
    }
    const double rounded = QString::number(scaled, 'g', digits).toDouble();
    const int decimals = std::max(0, digits - (rounded >= 100.0 ? 3 : rounded >= 10.0 ? 2 : 1));
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

FigureTable MakeFigureTable(const InsulationFigures& f, const FigureChoices& choices, std::optional<double> winding,
                            std::optional<Nameplate> plate)
{
    FigureTable t;
    if (plate && !plate->cls)
        plate->cls = choices.cls;
    const Judgement j = Judge(f, choices.darTimes, plate, winding);
    const std::optional<double> temperature = j.temperature;
    t.header = {QString(), QCoreApplication::translate("FiguresPanel", "measured"), QCoreApplication::translate("FiguresPanel", "at 40 °C"), QCoreApplication::translate("FiguresPanel", "at 20 °C")};
    auto ohmRow = [&](const QString& name, std::optional<double> r, Missing why, double seconds) {
        QStringList row{name};
        row << (r ? OhmText(*r) : MissingText(why, seconds));
        // R 1 min at 40 °C is the value judged against the minimum: as many digits as that takes.
        for (double base : {kBase40C, kBase20C})
            row << (r && temperature ? OhmText(CorrectedResistance(*r, *temperature, base),
                                               seconds == 60.0 && base == kBase40C ? j.r60At40Digits : 3)
                                     : QStringLiteral("–"));
        t.rows.push_back(row);
    };
    ohmRow(QStringLiteral("R 15 s"), f.r15, f.why15, 15.0);
    ohmRow(QStringLiteral("R 30 s"), f.r30, f.why30, 30.0);
    ohmRow(QCoreApplication::translate("FiguresPanel", "R 1 min"), f.r60, f.why60, 60.0);
    ohmRow(QCoreApplication::translate("FiguresPanel", "R 10 min"), f.r600, f.why600, 600.0);
    // One temperature for both readings: the correction cancels in a ratio, so it stays as measured.
    auto ratioRow = [&](const QString& name, std::optional<double> ratio, int decimals, const QString& missing) {
        const QString corrected = ratio && temperature ? RatioText(ratio, decimals) : QStringLiteral("–");
        t.rows.push_back({name, ratio ? RatioText(ratio, decimals) : missing, corrected, corrected});
    };
    const bool from15 = choices.darTimes == DarTimes::From15To60;
    ratioRow(from15 ? QCoreApplication::translate("FiguresPanel", "DAR 60 s/15 s") : QCoreApplication::translate("FiguresPanel", "DAR 60 s/30 s"), f.dar, j.darDecimals,
             DarMissingText(f, choices.darTimes));
    ratioRow(QCoreApplication::translate("FiguresPanel", "PI 10 min/1 min"), f.pi, j.piDecimals,
             f.piAtLeast ? QStringLiteral("≥ %1").arg(RatioText(f.piAtLeast, j.piDecimals)) : PiMissingText(f));
    t.ir = j.ir;
    t.dar = j.dar;
    t.pi = j.pi;
    t.nameplateLine = QCoreApplication::translate("FiguresPanel", "Nameplate: %1").arg(NameplateText(plate));
    t.rampLine = j.rampLine;
    t.temperatureLine = j.temperatureLine;
    t.climateLine = j.climateLine;
    t.notes = j.notes;
    return t;
}

}  // namespace krx
