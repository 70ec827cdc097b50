// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/method_options.h"

#include "cli/output.h"
#include "cli/figures_text.h"
#include "core/judging/conditions.h"

#include <QCoreApplication>
#include <QStringList>

namespace krx::cli {

namespace {

const char* const kGeometryOptions[] = {"d1", "d2", "gap", "thickness", "factor"};
const char* const kMethodOnlyOptions[] = {"measure", "item-kind", "limits", "d1", "d2", "gap", "thickness",
                                          "factor", "qualification", "conditioning"};

std::optional<double> Millimetres(const QCommandLineParser& p, const char* name)
{
    const QString option = QString::fromLatin1(name);
    if (!p.isSet(option))
        return std::nullopt;
    bool ok = false;
    const double v = p.value(option).toDouble(&ok);
    if (!ok || !(v > 0.0) || v > 1.0e6)
        throw UsageError{QCoreApplication::translate("cli", "--%1: '%2' is not allowed; give a number above 0").arg(option, p.value(option))};
    return v;
}

QByteArray JsonOrNull(const QString& s)
{
    return s.isEmpty() ? QByteArray("null") : JsonText(s);
}

QByteArray StepJson(const PathStep& s)
{
    return "{\"voltage_v\":" + QByteArray::number(s.volts) + ",\"at_s\":" + QByteArray::number(s.atSeconds) +
           ",\"resistance_ohm\":" + JsonNumber(s.value.ohm) +
           ",\"range\":" + JsonText(QString::fromLatin1(RangeName(s.value.range))) + '}';
}

}  // namespace

void AddMethodOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("method"),
                 QCoreApplication::translate("cli", "insulation (default), esd (an ESD-control item by the 10 V → 100 V rule), surface "
                                "or volume (a material's resistance by the same rule), material (at --voltage for "
                                "--duration, default 60 s)."),
                 QStringLiteral("METHOD")});
    p.addOption({QStringLiteral("measure"), QCoreApplication::translate("cli", "With --method esd: rtt (point to point) or rtg (to ground, "
                                                           "default)."),
                 QStringLiteral("rtt|rtg")});
    p.addOption({QStringLiteral("item-kind"),
                 QCoreApplication::translate("cli", "The item: %1, or a kind of your own limit set.")
                     .arg(ItemKindNames().join(QStringLiteral(", "))),
                 QStringLiteral("KIND")});
    p.addOption({QStringLiteral("limits"),
                 QCoreApplication::translate("cli", "The limit set that judges the item (built in: s20.20-2021, iec-61340-5-1-2016; your "
                                "own in ~/.config/krx738/limits/)."),
                 QStringLiteral("SET")});
    p.addOption({QStringLiteral("d1"), QCoreApplication::translate("cli", "Inner electrode diameter in mm."), QStringLiteral("MM")});
    p.addOption({QStringLiteral("d2"), QCoreApplication::translate("cli", "Ring electrode's inner diameter in mm (surface)."),
                 QStringLiteral("MM")});
    p.addOption({QStringLiteral("gap"), QCoreApplication::translate("cli", "Gap between the electrodes in mm (volume)."), QStringLiteral("MM")});
    p.addOption({QStringLiteral("thickness"), QCoreApplication::translate("cli", "Specimen thickness in mm (volume)."), QStringLiteral("MM")});
    p.addOption({QStringLiteral("factor"),
                 QCoreApplication::translate("cli", "The resistivity factor of another convention (surface: 1, volume: cm)."),
                 QStringLiteral("F")});
    p.addOption({QStringLiteral("qualification"),
                 QCoreApplication::translate("cli", "Product qualification: a reading outside 12 ± 3 % RH or 23 ± 2 °C is flagged.")});
    p.addOption({QStringLiteral("conditioning"), QCoreApplication::translate("cli", "How long the specimen was conditioned, in hours (filed)."),
                 QStringLiteral("HOURS")});
}

std::optional<MethodRequest> ParseMethodRequest(const QCommandLineParser& p, LimitLibrary& limits)
{
    const QString name = p.value(QStringLiteral("method"));
    const std::optional<Method> method = name.isEmpty() ? Method::Insulation : MethodFromName(name);
    if (!method)
        throw UsageError{QCoreApplication::translate("cli", "--method: '%1' is not allowed; choose insulation, esd, surface, volume or "
                                        "material")
                             .arg(name)};
    if (*method == Method::Insulation) {
        for (const char* o : kMethodOnlyOptions)
            if (p.isSet(QString::fromLatin1(o)))
                throw UsageError{QCoreApplication::translate("cli", "--%1 needs --method esd, surface, volume or material")
                                     .arg(QString::fromLatin1(o))};
        return std::nullopt;
    }
    MethodRequest r;
    r.method = *method;
    r.measurement = DefaultMeasurement(r.method);
    if (p.isSet(QStringLiteral("measure"))) {
        const std::optional<Measurement> m = MeasurementFromName(p.value(QStringLiteral("measure")));
        if (r.method != Method::Esd || !m || (*m != Measurement::Rtt && *m != Measurement::Rtg))
            throw UsageError{r.method == Method::Esd
                                 ? QCoreApplication::translate("cli", "--measure: '%1' is not allowed; choose rtt or rtg")
                                       .arg(p.value(QStringLiteral("measure")))
                                 : QCoreApplication::translate("cli", "--measure goes with --method esd; surface and volume say what they "
                                                  "measure")};
        r.measurement = *m;
    }
    r.itemKind = p.value(QStringLiteral("item-kind")).trimmed();
    r.limitSet = p.value(QStringLiteral("limits")).trimmed();
    r.geometry.d1Mm = Millimetres(p, "d1");
    r.geometry.d2Mm = Millimetres(p, "d2");
    r.geometry.gapMm = Millimetres(p, "gap");
    r.geometry.thicknessMm = Millimetres(p, "thickness");
    r.geometry.factor = Millimetres(p, "factor");
    if (r.method == Method::Material && (r.geometry.gapMm || r.geometry.thicknessMm))
        r.measurement = Measurement::Rv;
    r.qualification = p.isSet(QStringLiteral("qualification"));
    if (p.isSet(QStringLiteral("conditioning"))) {
        bool ok = false;
        const double h = p.value(QStringLiteral("conditioning")).toDouble(&ok);
        if (!ok || !(h >= 0.0) || h > 100000.0)
            throw UsageError{QCoreApplication::translate("cli", "--conditioning: '%1' is not allowed; give hours, 0 or more")
                                 .arg(p.value(QStringLiteral("conditioning")))};
        r.conditioningHours = h;
    }
    for (const QString& problem : limits.problems)
        Error(QCoreApplication::translate("cli", "limit set refused: %1").arg(problem));
    if (const QString problem = RequestProblem(r, limits); !problem.isEmpty())
        throw UsageError{QCoreApplication::translate("cli", "--method %1: %2").arg(name, problem)};
    return r;
}

QByteArray MethodResultJson(const MethodResult& r)
{
    const MethodRequest& q = r.request;
    QByteArrayList steps;
    for (const PathStep& s : r.path)
        steps << StepJson(s);
    const std::optional<PathStep>& at = r.result;
    QByteArray resistivity = "null";
    if (r.resistivity)
        resistivity = "{\"value\":" + JsonNumber(r.resistivity->value) + ",\"unit\":" + JsonText(r.resistivity->unit) +
                      ",\"bound\":" +
                      (r.resistivity->atLeast  ? QByteArray("\"at_least\"")
                       : r.resistivity->atMost ? QByteArray("\"at_most\"")
                                               : QByteArray("null")) +
                      ",\"factor\":" + JsonNumber(r.resistivity->factor) +
                      ",\"formula\":" + JsonText(r.resistivity->formula) + '}';
    QByteArrayList parts;
    parts << "\"method\":" + JsonText(QString::fromLatin1(InfoOf(q.method).name))
          << "\"measurement\":" + JsonText(MeasurementName(q.measurement)) << "\"item_kind\":" + JsonOrNull(q.itemKind)
          << "\"limit_set\":" + JsonOrNull(q.limitSet) << "\"path\":[" + steps.join(',') + ']'
          << "\"path_text\":" + JsonText(PathText(r))
          << "\"result_ohm\":" + (at ? JsonNumber(at->value.ohm) : QByteArray("null"))
          << "\"result_range\":" + (at ? JsonText(QString::fromLatin1(RangeName(at->value.range))) : QByteArray("null"))
          << "\"result_voltage_v\":" + (at ? QByteArray::number(at->volts) : QByteArray("null"))
          << "\"resistivity\":" + resistivity << "\"classification\":" + JsonOrNull(r.classification)
          << "\"classification_source\":" + JsonOrNull(r.classificationSource)
          << "\"verdict\":" + JsonText(r.verdict.text)
          << "\"outcome\":" + JsonText(QString::fromLatin1(OutcomeName(r.verdict.outcome)))
          << "\"limit_source\":" + JsonOrNull(r.verdict.source)
          << "\"temperature_c\":" + (at ? JsonNumber(at->temperature) : QByteArray("null"))
          << "\"humidity_pct\":" + (at ? QByteArray::number(at->humidity) : QByteArray("null"))
          << "\"qualification\":" + QByteArray(q.qualification ? "true" : "false")
          << "\"qualification_flag\":" + JsonOrNull(r.qualificationFlag)
          << "\"conditioning_h\":" + JsonNumber(q.conditioningHours);
    return '{' + parts.join(',') + "}\n";
}

QString MethodResultText(const MethodResult& r)
{
    QStringList lines;
    lines << QCoreApplication::translate("cli", "method: %1").arg(ResultTitle(r)) << QCoreApplication::translate("cli", "path: %1").arg(PathText(r));
    if (r.result) {
        lines << QCoreApplication::translate("cli", "result: %1 at %2 V").arg(ReadingText(r.result->value)).arg(r.result->volts)
              << QCoreApplication::translate("cli", "conditions: %1").arg(ConditionsText(r.result->temperature, r.result->humidity));
    }
    if (r.request.conditioningHours)
        lines << QCoreApplication::translate("cli", "conditioning: %1").arg(ConditioningText(r.request.conditioningHours));
    if (!r.qualificationFlag.isEmpty())
        lines << QCoreApplication::translate("cli", "qualification: %1").arg(r.qualificationFlag);
    if (r.resistivity)
        lines << QCoreApplication::translate("cli", "resistivity: %1").arg(ResistivityText(*r.resistivity));
    if (!r.classification.isEmpty())
        lines << QCoreApplication::translate("cli", "class: %1 (%2)").arg(r.classification, r.classificationSource);
    lines << QCoreApplication::translate("cli", "verdict: %1").arg(r.verdict.text);
    if (!r.verdict.source.isEmpty())
        lines << QCoreApplication::translate("cli", "limit: %1").arg(r.verdict.source);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace krx::cli
