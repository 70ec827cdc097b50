// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/figures_text.h"

#include "core/data_dialect.h"
#include "device/backend.h"
#include "history/test_values.h"

#include <QStringList>

namespace krx::cli {

namespace {

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

std::optional<double> Corrected(const std::optional<double>& ohm, const InsulationFigures& f, double base)
{
    if (!ohm || !f.meanTemperature)
        return std::nullopt;
    return CorrectedResistance(*ohm, *f.meanTemperature, base);
}

// As read at the bench: three significant digits with a unit; the jsonl object keeps every digit.
QString TextOhm(const std::optional<double>& v)
{
    return v ? history::BenchOhm(*v) : NotEnoughDataText();
}

QString TextFixed(const std::optional<double>& v, int decimals, const QString& unit = {})
{
    return v ? QString::number(*v, 'f', decimals) + unit : NotEnoughDataText();
}

FigureVerdict TestVerdict(const FigureChoice& a, const InsulationFigures& f)
{
    return a.test == FigureTest::Pi ? PiVerdict(f.pi, a.insulationClass) : DarVerdict(f.dar);
}

const char* TestName(FigureTest t)
{
    return t == FigureTest::Pi ? "pi" : "dar";
}

}  // namespace

double TestSpanSeconds(FigureTest test)
{
    return test == FigureTest::Pi ? 600.0 : 60.0;
}

QByteArray FiguresJson(const FigureChoice& a, const InsulationFigures& f)
{
    const FigureVerdict v = TestVerdict(a, f);
    QByteArrayList parts;
    parts << "\"test\":" + JsonText(QString::fromLatin1(TestName(a.test)))
          << "\"class\":" + JsonText(ClassName(a.insulationClass))
          << "\"dar_times\":" + JsonText(DarTimesName(a.darTimes))
          << "\"seconds_since_origin\":" + DataNumber(f.secondsSinceOrigin)
          << "\"r15_ohm\":" + JsonNumber(f.r15) << "\"r30_ohm\":" + JsonNumber(f.r30)
          << "\"r60_ohm\":" + JsonNumber(f.r60) << "\"r600_ohm\":" + JsonNumber(f.r600)
          << "\"dar\":" + JsonNumber(f.dar) << "\"pi\":" + JsonNumber(f.pi)
          << "\"temperature_c\":" + JsonNumber(f.meanTemperature)
          << "\"r60_40c_ohm\":" + JsonNumber(Corrected(f.r60, f, kBase40C))
          << "\"r60_20c_ohm\":" + JsonNumber(Corrected(f.r60, f, kBase20C))
          << "\"verdict\":" + JsonText(v.text)
          << "\"source\":" + (v.source.isEmpty() ? QByteArray("null") : JsonText(v.source))
          << "\"simulated\":" + QByteArray(TheUsbBackend().Simulated() ? "true" : "false");
    return '{' + parts.join(',') + "}\n";
}

QString FiguresText(const FigureChoice& a, const InsulationFigures& f)
{
    const FigureVerdict dar = DarVerdict(f.dar);
    const FigureVerdict v = TestVerdict(a, f);
    const QString darName = a.darTimes == DarTimes::From15To60 ? QStringLiteral("60 s / 15 s")
                                                               : QStringLiteral("60 s / 30 s");
    QStringList lines;
    lines << QStringLiteral("test: %1").arg(QLatin1String(TestName(a.test)))
          << QStringLiteral("R(15 s): %1").arg(TextOhm(f.r15))
          << QStringLiteral("R(30 s): %1").arg(TextOhm(f.r30))
          << QStringLiteral("R(1 min): %1").arg(TextOhm(f.r60))
          << QStringLiteral("R(10 min): %1").arg(TextOhm(f.r600))
          << QStringLiteral("DAR (%1): %2").arg(darName, f.dar ? TextFixed(f.dar, 2) + QStringLiteral(", ") + dar.text
                                                                : NotEnoughDataText())
          << QStringLiteral("PI (10 min / 1 min): %1").arg(TextFixed(f.pi, 2))
          << QStringLiteral("temperature (meter, mean): %1").arg(TextFixed(f.meanTemperature, 1, QStringLiteral(" °C")))
          << QStringLiteral("R(1 min) at 40 °C: %1").arg(TextOhm(Corrected(f.r60, f, kBase40C)))
          << QStringLiteral("R(1 min) at 20 °C: %1").arg(TextOhm(Corrected(f.r60, f, kBase20C)))
          << QStringLiteral("verdict: %1").arg(v.text);
    if (!v.source.isEmpty())
        lines << QStringLiteral("source: %1").arg(v.source);
    // Figures of the simulated meter must not pass for an asset's.
    if (TheUsbBackend().Simulated())
        lines << QStringLiteral("meter: simulated, not a real meter's readings");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace krx::cli
