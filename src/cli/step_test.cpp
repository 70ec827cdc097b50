// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/step_test.h"

#include "cli/command.h"
#include "cli/figures_text.h"
#include "cli/measure.h"
#include "history/test_values.h"

#include <QCoreApplication>
#include <QStringList>

namespace krx::cli {

namespace {

QByteArray StepJson(const StepFigure& f)
{
    QByteArrayList parts;
    parts << "\"step\":" + QByteArray::number(f.step) << "\"voltage_v\":" + QByteArray::number(f.volts)
          << "\"resistance_ohm\":" + JsonNumber(f.ohm)
          << "\"bound\":" + (f.atLeast ? QByteArray("\"at_least\"") : QByteArray("null"))
          << "\"range\":" + JsonText(QString::fromLatin1(RangeName(f.range)))
          << "\"temperature_c\":" + JsonNumber(f.meanTemperature)
          << "\"resistance_40c_ohm\":" + JsonNumber(f.ohmAt40C) << "\"rise_pct\":" + JsonNumber(f.risePercent);
    return '{' + parts.join(',') + '}';
}

QString OhmText(const std::optional<double>& ohm, bool atLeast)
{
    if (!ohm)
        return NotEnoughDataText();
    // As read at the bench; the jsonl objects keep every digit.
    return (atLeast ? QStringLiteral("≥ ") : QString()) + history::BenchOhm(*ohm);
}

}  // namespace

void AddStepOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("steps"),
                 QCoreApplication::translate("cli", "With --test step: the rising voltages, two or more of 10, 100, 500 and 1000 "
                                "(default 100,500,1000)."),
                 QStringLiteral("V,V,...")});
    p.addOption({QStringLiteral("step-seconds"),
                 QCoreApplication::translate("cli", "With --test step: each step's length, %1 to %2 seconds (default 60).")
                     .arg(kStepSecondsMin)
                     .arg(kStepSecondsMax),
                 QStringLiteral("SECONDS")});
}

void ParseStepPlan(const QCommandLineParser& p, MeasureArgs& args)
{
    const bool steps = args.steps.has_value();
    for (const char* o : {"steps", "step-seconds"})
        if (!steps && p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 needs --test step").arg(QString::fromLatin1(o))};
    if (!steps)
        return;
    // The steps set the voltage and end the measurement themselves.
    for (const char* o : {"voltage", "timer", "duration", "count", "class", "dar-times"})
        if (p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 does not go with --test step").arg(QString::fromLatin1(o))};
    StepPlan& plan = *args.steps;
    if (p.isSet(QStringLiteral("steps"))) {
        QString error;
        if (!ParseStepVolts(p.value(QStringLiteral("steps")), plan.volts, &error))
            throw UsageError{QCoreApplication::translate("cli", "--steps: %1").arg(error)};
    }
    if (p.isSet(QStringLiteral("step-seconds")))
        plan.stepSeconds = ParseInt(QStringLiteral("step-seconds"), p.value(QStringLiteral("step-seconds")),
                                    kStepSecondsMin, kStepSecondsMax, QCoreApplication::translate("cli", "whole seconds"));
    if (const QString problem = StepPlanProblem(plan); !problem.isEmpty())
        throw UsageError{QCoreApplication::translate("cli", "--test step: %1").arg(problem)};
}

void StepPrinter::StepStarted(int step, int volts)
{
    Progress(QCoreApplication::translate("cli", "step %1 of %2: %3 V").arg(step).arg(steps_).arg(volts));
}

void StepPrinter::StepFinished(const StepFigure& figure)
{
    if (sink_.Format() != OutputFormat::Jsonl || writeFailed_)
        return;
    if (!sink_.WriteTrailer(StepJson(figure) + '\n'))
        writeFailed_ = true;
}

QByteArray StepResultJson(const StepPlan& plan, const StepResult& r)
{
    const FigureVerdict v = StepVerdictText(r);
    QByteArrayList steps;
    for (const StepFigure& f : r.steps)
        steps << StepJson(f);
    const QByteArray bound = r.changeAtLeast  ? QByteArray("\"at_least\"")
                             : r.changeAtMost ? QByteArray("\"at_most\"")
                                              : QByteArray("null");
    QByteArrayList parts;
    parts << "\"test\":\"step\"" << "\"volts\":" + JsonText(StepVoltsText(plan.volts))
          << "\"step_seconds\":" + QByteArray::number(plan.stepSeconds) << "\"steps\":[" + steps.join(',') + ']'
          << "\"change_pct\":" + JsonNumber(r.changePercent) << "\"change_bound\":" + bound
          << "\"verdict\":" + JsonText(v.text)
          << "\"source\":" + (v.source.isEmpty() ? QByteArray("null") : JsonText(v.source));
    return '{' + parts.join(',') + "}\n";
}

QString StepResultText(const StepPlan& plan, const StepResult& r)
{
    const FigureVerdict v = StepVerdictText(r);
    QStringList lines;
    lines << QCoreApplication::translate("cli", "test: step (%1 V, %2 s each)").arg(StepVoltsText(plan.volts)).arg(plan.stepSeconds);
    for (const StepFigure& f : r.steps)
        lines << QCoreApplication::translate("cli", "step %1, %2 V: R %3, at 40 C %4")
                     .arg(f.step)
                     .arg(f.volts)
                     .arg(OhmText(f.ohm, f.atLeast), OhmText(f.ohmAt40C, f.atLeast));
    lines << QCoreApplication::translate("cli", "change from the lowest to the highest step: %1").arg(StepChangeText(r))
          << QCoreApplication::translate("cli", "verdict: %1").arg(v.text);
    if (!v.source.isEmpty())
        lines << QCoreApplication::translate("cli", "source: %1").arg(v.source);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

CycleResult CycleResultOf(const StepRunResult& r)
{
    switch (r.end) {
    case StepEnd::Completed:
    case StepEnd::Broken: return {CycleOutcome::Ended, 0};
    case StepEnd::NoStableVoltage: return {CycleOutcome::NoStableVoltage, 0};
    case StepEnd::NoStatusAnswer: return {CycleOutcome::NoStatusAnswer, 0};
    case StepEnd::ConnectionLost: return {CycleOutcome::ConnectionLost, r.code};
    }
    return {CycleOutcome::Ended, 0};
}

QString StepMeasuringText(const StepPlan& plan)
{
    return QCoreApplication::translate("cli", "step-voltage test at %1 V, %2 s each; Ctrl-C ends")
        .arg(StepVoltsText(plan.volts))
        .arg(plan.stepSeconds);
}

}  // namespace krx::cli
