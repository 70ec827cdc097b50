// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/figures_text.h"

#include "core/data_dialect.h"
#include "history/test_values.h"

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

// As read at the bench: three significant digits with a unit; the jsonl object keeps every digit.
QString TextOhm(const std::optional<double>& v)
{
    return v ? history::BenchOhm(*v) : NotEnoughDataText();
}

QString TextFixed(const std::optional<double>& v, int decimals, const QString& unit = {})
{
    return v ? QString::number(*v, 'f', decimals) + unit : NotEnoughDataText();
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
    lines << QStringLiteral("nameplate: %1").arg(NameplateText(j.plate));
    if (!v.rampLine.isEmpty())
        lines << v.rampLine;
    lines << QStringLiteral("R(15 s): %1").arg(TextOhm(f.r15))
          << QStringLiteral("R(30 s): %1").arg(TextOhm(f.r30))
          << QStringLiteral("R(1 min): %1").arg(TextOhm(f.r60))
          << QStringLiteral("R(10 min): %1").arg(TextOhm(f.r600))
          << QStringLiteral("DAR (%1): %2").arg(from15 ? QStringLiteral("60 s / 15 s") : QStringLiteral("60 s / 30 s"),
                                                TextFixed(f.dar, 2))
          << QStringLiteral("PI (10 min / 1 min): %1").arg(TextFixed(f.pi, 2))
          << QStringLiteral("R(1 min) at 40 °C: %1").arg(TextOhm(v.r60At40))
          << QStringLiteral("R(1 min) at 20 °C: %1").arg(TextOhm(v.r60At20)) << v.temperatureLine;
    if (!v.climateLine.isEmpty())
        lines << v.climateLine;
    lines << verdict(QStringLiteral("IR verdict"), v.ir) << verdict(QStringLiteral("PI verdict"), v.pi)
          << verdict(QStringLiteral("DAR verdict"), v.dar);
    for (const QString& n : v.notes)
        lines << QStringLiteral("note: %1").arg(n);
    // Figures of the simulated meter must not pass for an asset's.
    if (j.simulated)
        lines << QStringLiteral("meter: simulated, not a real meter's readings");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace krx::cli
