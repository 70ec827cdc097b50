// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/ieee43.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace krx {

namespace {

// IEEE 43-2013, recommended minimum IR 1 min at 40 °C. The three values are those of the 2000
// edition's table, which the 2013 edition keeps, moving dc armatures to the 5 MΩ row; form-wound
// coils rated below 1 kV share that row. The rows are kept here as data with the edition.
constexpr const char* kMinimumIrEdition = "IEEE 43-2013, recommended minimum insulation resistance at 40 °C";
struct MinimumIrRow {
    WindingType winding;
    double megohm;  // 0: kV + 1
    const char* rule;
};
constexpr MinimumIrRow kMinimumIrTable[] = {
    {WindingType::Older, 0.0, "kV + 1 MΩ"},
    {WindingType::Form, 100.0, "100 MΩ"},
    {WindingType::Random, 5.0, "5 MΩ"},
};
constexpr double kFormLowVoltsBelow = 1000.0;  // form-wound coils rated below this: the 5 MΩ row
constexpr double kFormLowMegohm = 5.0;

// IEEE 43-2013, recommended dc test voltage by the winding's rated voltage.
struct VoltageRow {
    double ratedUpTo;  // inclusive
    double low, high;
};
constexpr VoltageRow kVoltageTable[] = {
    {999.999, 500, 500}, {2500, 500, 1000}, {5000, 1000, 2500}, {12000, 2500, 5000}, {1e300, 5000, 10000},
};

QString Num(double v, int decimals)
{
    return QLocale().toString(v, 'f', decimals);
}

QString Megohm(double ohm)
{
    return QStringLiteral("%1 MΩ").arg(QLocale().toString(ohm / 1e6, 'g', 4));
}

// The minimum PI, as a limit to print a PI beside.
Limit PiLimit(InsulationClass cls)
{
    return {MinimumPi(cls), true};
}

FigureVerdict IrVerdict(const std::optional<double>& r60At40, Missing why60, const Nameplate& plate)
{
    if (!plate.winding)
        return {Verdict::NotEnoughData, QStringLiteral("not judged: the winding type is needed"), QString()};
    const std::optional<MinimumIr> min = MinimumIrOf(plate);
    const bool formUnrated = !min && plate.winding == WindingType::Form;
    if (!min && !formUnrated)
        return {Verdict::NotEnoughData, QStringLiteral("not judged: the rated voltage is needed for kV + 1 MΩ"),
                QString()};
    // A form-wound winding without its rated voltage: 100 MΩ from 1 kV, 5 MΩ below. A value that
    // meets the higher or misses the lower is judged all the same.
    const double lowest = formUnrated ? kFormLowMegohm * 1e6 : min->ohm;
    const double highest = formUnrated ? 100e6 : min->ohm;
    const bool perKv = plate.winding == WindingType::Older;
    const QString which = perKv ? QStringLiteral("%1 (kV + 1)").arg(Megohm(min->ohm)) : Megohm(highest);
    const QString rows = QStringLiteral("100 MΩ for a form-wound winding rated 1 kV or more, 5 MΩ below 1 kV");
    if (why60 == Missing::BelowRange)
        return {Verdict::BelowMinimum,
                QStringLiteral("below the minimum of %1: the reading at 1 min was below the meter's range")
                    .arg(formUnrated ? Megohm(lowest) : which),
                MinimumIrSourceText()};
    // The meter's top at any of its voltages lies far above every row of the table.
    if (why60 == Missing::AboveRange)
        return {Verdict::MeetsMinimum,
                QStringLiteral("IR 1 min above the meter's range: meets the minimum of %1").arg(which),
                MinimumIrSourceText()};
    if (!r60At40)
        return {Verdict::NotEnoughData, NotEnoughDataText(), QString()};
    if (*r60At40 >= highest)
        return {Verdict::MeetsMinimum,
                QStringLiteral("IR 1 min at 40 °C meets the minimum of %1%2")
                    .arg(which, formUnrated ? QStringLiteral(" (and so 5 MΩ, the row below 1 kV)") : QString()),
                MinimumIrSourceText()};
    if (*r60At40 < lowest)
        return {Verdict::BelowMinimum,
                QStringLiteral("IR 1 min at 40 °C below the minimum of %1%2")
                    .arg(Megohm(lowest), formUnrated ? QStringLiteral(" (and so 100 MΩ, the row from 1 kV)") : QString()),
                MinimumIrSourceText()};
    return {Verdict::NotEnoughData, QStringLiteral("not judged: the rated voltage is needed (%1)").arg(rows), QString()};
}

FigureVerdict MachinePiVerdict(const InsulationFigures& f, const std::optional<double>& r60At40, const Nameplate& plate)
{
    if (!plate.cls)
        return {Verdict::NotEnoughData, QStringLiteral("not judged: the thermal class is needed"), QString()};
    // Once the 10 min have passed (a value, a bound or a reading that gives none), a high IR 1 min
    // makes the PI one that may be disregarded, whatever is known of it.
    const bool tenMinutes = f.pi || f.piAtLeast || (f.why600 != Missing::NotYet && f.why600 != Missing::VoltageChanged);
    if (tenMinutes && f.why60 == Missing::AboveRange)
        return {Verdict::MayBeDisregarded,
                QStringLiteral("may be disregarded: IR 1 min is above the meter's range, so above 5000 MΩ"),
                PiSourceText()};
    if (tenMinutes && r60At40 && *r60At40 > kPiDisregardOhm)
        return {Verdict::MayBeDisregarded,
                QStringLiteral("may be disregarded: IR 1 min at 40 °C is above 5000 MΩ"), PiSourceText()};
    // IEEE 43-2013: the PI may not apply to small random-wound machines.
    const QString caveat = plate.winding == WindingType::Random
                               ? QStringLiteral("; the PI may not apply to a small random-wound machine (IEEE 43-2013)")
                               : QString();
    if (f.pi) {
        FigureVerdict v = PiVerdict(f.pi, *plate.cls);
        v.text += caveat;
        return v;
    }
    if (f.piAtLeast) {
        const double min = MinimumPi(*plate.cls);
        const QString at = QStringLiteral("PI ≥ %1 (above the meter's range at 10 min)")
                               .arg(FixedToTell(*f.piAtLeast, 2, {PiLimit(*plate.cls)}));
        if (*f.piAtLeast >= min)
            return {Verdict::MeetsMinimum,
                    QStringLiteral("%1 meets the minimum of %2 (class %3)%4")
                        .arg(at, Num(min, 2), ClassName(*plate.cls), caveat),
                    PiSourceText()};
        return {Verdict::NotEnoughData, QStringLiteral("%1: cannot be judged").arg(at), QString()};
    }
    return {Verdict::NotEnoughData, NotEnoughDataText(), QString()};
}

FigureVerdict DarFor(const std::optional<double>& dar, DarTimes times)
{
    if (times == DarTimes::From30To60 || !dar)
        return DarVerdict(dar);
    return {Verdict::NoCriterion, QStringLiteral("no bands for 60 s / 15 s"),
            QStringLiteral("the instrument makers' rule of thumb applies to 60 s / 30 s only")};
}

// "10 000" with its thousands apart from five digits on, as the tables print them.
QString Volts(double v)
{
    QString text = QString::number(v, 'f', 0);
    if (text.size() > 4)
        text.insert(text.size() - 3, QLatin1Char(' '));
    return text;
}

QString VoltageRangeText(const VoltageRange& r)
{
    return r.high > r.low ? QStringLiteral("%1–%2 V").arg(Volts(r.low), Volts(r.high))
                          : QStringLiteral("%1 V").arg(Volts(r.low));
}

}  // namespace

QString WindingName(WindingType winding)
{
    switch (winding) {
    case WindingType::Form: return QStringLiteral("form");
    case WindingType::Random: return QStringLiteral("random");
    case WindingType::Older: break;
    }
    return QStringLiteral("older");
}

bool ParseWinding(const QString& text, WindingType& winding)
{
    for (WindingType w : {WindingType::Form, WindingType::Random, WindingType::Older})
        if (text == WindingName(w))
            return winding = w, true;
    return false;
}

QString WindingChoiceText(WindingType winding)
{
    switch (winding) {
    case WindingType::Form: return QStringLiteral("form-wound, after about 1970 (100 MΩ; 5 MΩ rated below 1 kV)");
    case WindingType::Random:
        return QStringLiteral("random-wound, or a dc armature (5 MΩ; dc armatures since IEEE 43-2013)");
    case WindingType::Older: break;
    }
    return QStringLiteral("before about 1970, field winding, or not known (kV + 1 MΩ)");
}

QString WindingDescription(WindingType winding)
{
    switch (winding) {
    case WindingType::Form: return QStringLiteral("form-wound, built after about 1970");
    case WindingType::Random: return QStringLiteral("random-wound, or form-wound below 1 kV");
    case WindingType::Older: break;
    }
    return QStringLiteral("built before about 1970, field winding, or not known");
}

QString NameplateText(const std::optional<Nameplate>& plate)
{
    if (!plate)
        return NoNameplateText();
    QStringList parts{KindLabel(plate->kind)};
    if (plate->ratedVolts)
        parts << QStringLiteral("%1 V").arg(*plate->ratedVolts);
    if (plate->kind == AssetKind::Machine && plate->winding)
        parts << WindingDescription(*plate->winding);
    if (plate->cls)
        parts << QStringLiteral("class %1").arg(ClassName(*plate->cls));
    return parts.join(QStringLiteral(", "));
}

std::optional<MinimumIr> MinimumIrOf(const Nameplate& plate)
{
    if (!plate.winding)
        return std::nullopt;
    for (const MinimumIrRow& row : kMinimumIrTable) {
        if (row.winding != *plate.winding)
            continue;
        if (row.winding == WindingType::Form) {
            if (!plate.ratedVolts)
                return std::nullopt;
            if (*plate.ratedVolts < kFormLowVoltsBelow)
                return MinimumIr{kFormLowMegohm * 1e6, QStringLiteral("5 MΩ (form-wound below 1 kV)")};
        }
        if (row.megohm > 0.0)
            return MinimumIr{row.megohm * 1e6, QString::fromUtf8(row.rule)};
        if (!plate.ratedVolts)
            return std::nullopt;
        return MinimumIr{(*plate.ratedVolts / 1000.0 + 1.0) * 1e6, QString::fromUtf8(row.rule)};
    }
    return std::nullopt;
}

QString MinimumIrSourceText()
{
    return QString::fromUtf8(kMinimumIrEdition);
}

VoltageRange RecommendedTestVoltage(double ratedVolts)
{
    for (const VoltageRow& row : kVoltageTable)
        if (ratedVolts <= row.ratedUpTo)
            return {row.low, row.high};
    return {5000, 10000};
}

std::optional<double> DewPoint(double airC, double humidityPct)
{
    if (!(humidityPct > 0.0 && humidityPct <= 100.0))
        return std::nullopt;
    const double gamma = std::log(humidityPct / 100.0) + 17.62 * airC / (243.12 + airC);
    return 243.12 * gamma / (17.62 - gamma);
}

QString TimerShortfallText(int seconds)
{
    if (seconds >= 600)
        return QString();
    if (seconds >= 60)
        return QCoreApplication::translate("MeasurementWindow",
                                           "A timer of %1 s gives no R 10 min and no PI (they need 600 s).")
            .arg(seconds);
    return QCoreApplication::translate("MeasurementWindow",
                                       "A timer of %1 s gives no R 1 min, R 10 min, DAR or PI (they need 60 s and 600 s).")
        .arg(seconds);
}

QString NoNameplateText()
{
    return QStringLiteral("no nameplate");
}

QString AirTemperatureName()
{
    return QStringLiteral("air temperature at the meter");
}

int DarDecimals(double dar, DarTimes darTimes)
{
    if (darTimes != DarTimes::From30To60)
        return 2;
    return DigitsToTell(dar, 2, {{1.0, true}, {1.25, true}, {1.6, false}}, false);
}

int PiDecimals(double pi, const std::optional<Nameplate>& plate)
{
    if (!plate || plate->kind != AssetKind::Machine || !plate->cls)
        return 2;
    return DigitsToTell(pi, 2, {PiLimit(*plate->cls)}, false);
}

int R60At40Digits(double ohm, const std::optional<Nameplate>& plate)
{
    if (!plate || plate->kind != AssetKind::Machine)
        return 3;
    const Limit disregard{kPiDisregardOhm, false};
    if (const std::optional<MinimumIr> min = MinimumIrOf(*plate))
        return DigitsToTell(ohm, 3, {{min->ohm, true}, disregard}, true);
    return DigitsToTell(ohm, 3, {{kFormLowMegohm * 1e6, true}, {100e6, true}, disregard}, true);
}

Judgement Judge(const InsulationFigures& f, DarTimes darTimes, const std::optional<Nameplate>& plate,
                std::optional<double> winding)
{
    Judgement j;
    const bool machine = !plate || plate->kind == AssetKind::Machine;
    j.windingTyped = winding.has_value();
    j.temperature = winding ? winding : f.meanTemperature;
    if (j.temperature) {
        if (f.r60)
            j.r60At40 = CorrectedResistance(*f.r60, *j.temperature, kBase40C);
        if (f.r600)
            j.r600At40 = CorrectedResistance(*f.r600, *j.temperature, kBase40C);
        if (f.r60)
            j.r60At20 = CorrectedResistance(*f.r60, *j.temperature, kBase20C);
    }
    if (f.ramp)
        j.rampLine = QStringLiteral("Ramp: %1 s to the first stable reading").arg(Num(*f.ramp, 1));
    j.temperatureLine = !j.temperature ? QStringLiteral("No temperature yet: nothing corrected")
                        : winding ? QStringLiteral("Corrected from the winding temperature %1 °C (typed in)").arg(Num(*winding, 1))
                                  : QStringLiteral("Corrected from the %1, %2 °C (mean over the figures' span), not the "
                                                   "winding's").arg(AirTemperatureName(), Num(*f.meanTemperature, 1));
    if (j.temperature)
        j.temperatureLine += QStringLiteral(". ") + CorrectionSourceText(machine);
    if (f.meanTemperature && f.meanHumidity) {
        j.dewPoint = DewPoint(*f.meanTemperature, *f.meanHumidity);
        j.climateLine = QStringLiteral("%1 %2 °C, humidity %3 %, dew point %4")
                            .arg(AirTemperatureName().left(1).toUpper() + AirTemperatureName().mid(1),
                                 Num(*f.meanTemperature, 1), Num(*f.meanHumidity, 0),
                                 j.dewPoint ? Num(*j.dewPoint, 1) + QStringLiteral(" °C") : QStringLiteral("not known"));
    }
    if (f.voltageChange)
        j.notes << QStringLiteral("%1.").arg(VoltageChangeText(*f.voltageChange)).replace(0, 1, QStringLiteral("T"));
    const QString advice = machine ? QStringLiteral("IEEE 43 advises testing above the dew point")
                                   : QStringLiteral("field practice: test above the dew point");
    if (j.dewPoint && j.temperature && *j.temperature <= *j.dewPoint)
        j.notes << QStringLiteral("The %1 temperature is not above the dew point: condensation makes the reading low "
                                  "(%2).")
                       .arg(winding ? QStringLiteral("winding") : QStringLiteral("air"), advice);
    else if (j.dewPoint && !winding)
        // The air is above its own dew point by definition; a winding colder than the air may not be.
        j.notes << QStringLiteral("The winding's temperature is not known: condensation on a winding at or below the "
                                  "dew point of %1 °C cannot be ruled out (%2).")
                       .arg(Num(*j.dewPoint, 1), advice);
    if (winding && (*winding < 0.0 || *winding > 100.0))
        j.notes << QStringLiteral("The correction from %1 °C to 40 °C is rough so far from 40 °C.").arg(Num(*winding, 1));

    j.dar = DarFor(f.dar, darTimes);
    if (f.dar)
        j.darDecimals = DarDecimals(*f.dar, darTimes);
    if (!plate) {
        j.ir = {Verdict::NoNameplate, QStringLiteral("no verdict: %1").arg(NoNameplateText()), QString()};
        j.pi = j.ir;
        return j;
    }
    if (plate->kind != AssetKind::Machine) {
        j.ir = {Verdict::NoCriterion, QStringLiteral("values only: no rotating-machine criterion applies to a %1")
                                          .arg(KindName(plate->kind)),
                QStringLiteral("IEEE 43-2013 covers rotating machines only")};
        j.pi = j.ir;
        return j;
    }
    j.ir = IrVerdict(j.r60At40, f.why60, *plate);
    j.pi = MachinePiVerdict(f, j.r60At40, *plate);
    if (j.r60At40)
        j.r60At40Digits = R60At40Digits(*j.r60At40, plate);
    if (f.pi || f.piAtLeast)
        j.piDecimals = PiDecimals(f.pi ? *f.pi : *f.piAtLeast, plate);
    if (plate->ratedVolts && f.volts > 0) {
        const VoltageRange r = RecommendedTestVoltage(*plate->ratedVolts);
        if (f.volts < r.low)
            j.notes << QStringLiteral("The test voltage %1 V is below the %2 IEEE 43-2013 recommends for a winding "
                                      "rated %3 V; the values are still worth recording.")
                           .arg(f.volts)
                           .arg(VoltageRangeText(r))
                           .arg(*plate->ratedVolts);
        else if (f.volts > r.high)
            j.notes << QStringLiteral("The test voltage %1 V is above the %2 IEEE 43-2013 recommends for a winding "
                                      "rated %3 V.")
                           .arg(f.volts)
                           .arg(VoltageRangeText(r))
                           .arg(*plate->ratedVolts);
    }
    return j;
}

}  // namespace krx
