// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/figures_text.h"

#include "core/data_dialect.h"
#include "history/test_values.h"

#include <QCoreApplication>
#include <QStringList>

namespace krx::cli {

QByteArray JsonText(const QString& text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

QByteArray JsonNumber(const std::optional<double>& v)
{
    return v ? DataNumber(*v) : QByteArray("null");
}

namespace {

// As read at the bench: three significant digits with a unit (more where a value stands beside
// its limit); the jsonl object keeps every digit. Without a value, why there is none.
QString TextOhm(const std::optional<double>& v, const QString& missing, int digits = 3)
{
    return v ? history::BenchOhm(*v, digits) : missing;
}

QString TextFixed(const std::optional<double>& v, int decimals, const QString& missing)
{
    return v ? QString::number(*v, 'f', decimals) : missing;
}

QString PiText(const InsulationFigures& f, int decimals)
{
    if (f.piAtLeast && !f.pi)
        return QStringLiteral("≥ %1").arg(*f.piAtLeast, 0, 'f', decimals);
    return TextFixed(f.pi, decimals, PiMissingText(f));
}

}  // namespace

double TestSpanSeconds(FigureTest test)
{
    return test == FigureTest::Pi ? 600.0 : 60.0;
}

JudgedFigures JudgeFigures(const InsulationFigures& f, DarTimes darTimes, const std::optional<Nameplate>& plate,
                           std::optional<double> winding)
{
    return {f, darTimes, plate, Judge(f, darTimes, plate, winding)};
}

QByteArray JudgedJson(const JudgedFigures& j, const QByteArray& leading)
{
    const InsulationFigures& f = j.figures;
    const Judgement& v = j.judgement;
    auto verdict = [](const char* name, const FigureVerdict& w) {
        return QByteArray("\"") + name + "_verdict\":" + JsonText(w.text) + ",\"" + name +
               "_source\":" + (w.source.isEmpty() ? QByteArray("null") : JsonText(w.source));
    };
    QByteArrayList parts;
    parts << "\"nameplate\":" + JsonText(NameplateText(j.plate))
          << "\"dar_times\":" + JsonText(DarTimesName(j.darTimes)) << "\"ramp_s\":" + JsonNumber(f.ramp)
          << "\"voltage_v\":" + DataNumber(f.volts)
          << "\"seconds_since_origin\":" + DataNumber(f.secondsSinceOrigin)
          << "\"r15_ohm\":" + JsonNumber(f.r15) << "\"r30_ohm\":" + JsonNumber(f.r30)
          << "\"r60_ohm\":" + JsonNumber(f.r60) << "\"r600_ohm\":" + JsonNumber(f.r600)
          << "\"dar\":" + JsonNumber(f.dar) << "\"pi\":" + JsonNumber(f.pi)
          << "\"pi_at_least\":" + JsonNumber(f.pi ? std::nullopt : f.piAtLeast) << "\"missing\":" + [&] {
                 // Why each figure without a value has none.
                 QByteArrayList why;
                 const std::pair<const char*, QString> missing[] = {
                     {"r15_ohm", f.r15 ? QString() : MissingText(f.why15, 15)},
                     {"r30_ohm", f.r30 ? QString() : MissingText(f.why30, 30)},
                     {"r60_ohm", f.r60 ? QString() : MissingText(f.why60, 60)},
                     {"r600_ohm", f.r600 ? QString() : MissingText(f.why600, 600)},
                     {"dar", f.dar ? QString() : DarMissingText(f, j.darTimes)},
                     {"pi", f.pi ? QString() : PiMissingText(f)}};
                 for (const auto& [key, text] : missing)
                     if (!text.isEmpty())
                         why << '"' + QByteArray(key) + "\":" + JsonText(text);
                 return '{' + why.join(',') + '}';
             }()
          << "\"voltage_change\":" + (f.voltageChange ? JsonText(VoltageChangeText(*f.voltageChange)) : QByteArray("null"))
          << "\"correction_temperature_c\":" + JsonNumber(v.temperature)
          << "\"winding_typed\":" + QByteArray(v.windingTyped ? "true" : "false")
          << "\"r60_40c_ohm\":" + JsonNumber(v.r60At40) << "\"r600_40c_ohm\":" + JsonNumber(v.r600At40)
          << "\"r60_20c_ohm\":" + JsonNumber(v.r60At20) << "\"humidity_pct\":" + JsonNumber(f.meanHumidity)
          << "\"dew_point_c\":" + JsonNumber(v.dewPoint) << verdict("ir", v.ir) << verdict("pi", v.pi)
          << verdict("dar", v.dar) << "\"notes\":[" + [&] {
                 QByteArrayList notes;
                 for (const QString& n : v.notes)
                     notes << JsonText(n);
                 return notes.join(',');
             }() + ']'
          << "\"simulated\":" + QByteArray(j.simulated ? "true" : "false");
    return '{' + leading + parts.join(',') + "}\n";
}

QString JudgedText(const JudgedFigures& j)
{
    const InsulationFigures& f = j.figures;
    const Judgement& v = j.judgement;
    const bool from15 = j.darTimes == DarTimes::From15To60;
    auto verdict = [](const QString& name, const FigureVerdict& w) {
        return QStringLiteral("%1: %2").arg(name, w.text) +
               (w.source.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(w.source));
    };
    QStringList lines;
    lines << QCoreApplication::translate("cli", "nameplate: %1").arg(NameplateText(j.plate));
    if (!v.rampLine.isEmpty())
        lines << v.rampLine;
    if (f.voltageChange)
        lines << QCoreApplication::translate("cli", "voltage: %1").arg(VoltageChangeText(*f.voltageChange));
    lines << QStringLiteral("R(15 s): %1").arg(TextOhm(f.r15, MissingText(f.why15, 15)))
          << QStringLiteral("R(30 s): %1").arg(TextOhm(f.r30, MissingText(f.why30, 30)))
          << QCoreApplication::translate("cli", "R(1 min): %1").arg(TextOhm(f.r60, MissingText(f.why60, 60)))
          << QCoreApplication::translate("cli", "R(10 min): %1").arg(TextOhm(f.r600, MissingText(f.why600, 600)))
          << QCoreApplication::translate("cli", "DAR (%1): %2").arg(from15 ? QStringLiteral("60 s / 15 s") : QStringLiteral("60 s / 30 s"),
                                                TextFixed(f.dar, v.darDecimals, DarMissingText(f, j.darTimes)))
          << QCoreApplication::translate("cli", "PI (10 min / 1 min): %1").arg(PiText(f, v.piDecimals))
          << QCoreApplication::translate("cli", "R(1 min) at 40 °C: %1").arg(TextOhm(v.r60At40, MissingText(f.why60, 60), v.r60At40Digits))
          << QCoreApplication::translate("cli", "R(1 min) at 20 °C: %1").arg(TextOhm(v.r60At20, MissingText(f.why60, 60)))
          << v.temperatureLine;
    if (!v.climateLine.isEmpty())
        lines << v.climateLine;
    lines << verdict(QCoreApplication::translate("cli", "IR verdict"), v.ir) << verdict(QCoreApplication::translate("cli", "PI verdict"), v.pi)
          << verdict(QCoreApplication::translate("cli", "DAR verdict"), v.dar);
    for (const QString& n : v.notes)
        lines << QCoreApplication::translate("cli", "note: %1").arg(n);
    // Figures of the simulated meter must not pass for an asset's.
    if (j.simulated)
        lines << QCoreApplication::translate("cli", "meter: simulated, not a real meter's readings");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace krx::cli
