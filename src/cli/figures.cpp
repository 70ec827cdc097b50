// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli figures RECORDING.csv: the figures and verdicts of a recording, judged by the asset's
// nameplate with the same core the measurement window uses.
#include "cli/figures.h"

#include "cli/command.h"
#include "cli/method_options.h"
#include "cli/nameplate_options.h"
#include "cli/step_test.h"
#include "core/recording_reader.h"
#include "core/judging/step_figures.h"

#include <QCoreApplication>
#include <QFile>

#include <memory>

namespace krx::cli {

int FiguresCommand(const FiguresArgs& args)
{
    QFile file(args.file);
    if (!file.open(QIODevice::ReadOnly)) {
        Error(QCoreApplication::translate("cli", "cannot read %1: %2").arg(args.file, file.errorString()));
        return kFileError;
    }
    std::vector<DataRecord> readings;
    QString error;
    if (!ParseRecording(file.readAll(), readings, &error)) {
        Error(QCoreApplication::translate("cli", "%1: not a recording: %2").arg(args.file, error));
        return kFileError;
    }
    if (args.method) {
        // A recording of an ESD or material run: its phases are the step column.
        const MethodResult r = JudgeMethod(*args.method, PhasesFromRecording(readings, *args.method), args.limits);
        return WriteOut(args.jsonl ? MethodResultJson(r) : MethodResultText(r).toUtf8()) ? kDone : kFileError;
    }
    // A step-voltage test's recording is judged as that test, never as one voltage's figures.
    if (const std::optional<RecordedSteps> steps = StepsOfRecording(readings)) {
        const QByteArray out = args.jsonl ? StepResultJson(steps->plan, steps->result)
                                          : StepResultText(steps->plan, steps->result).toUtf8();
        return WriteOut(out) ? kDone : kFileError;
    }
    JudgedFigures j = JudgeFigures(ComputeFigures(readings, args.darTimes), args.darTimes, args.plate, args.winding);
    // The file says whether its readings are the simulated meter's, whatever this run talks to.
    j.simulated = AnySimulated(readings);
    const QByteArray out = args.jsonl ? JudgedJson(j) : JudgedText(j).toUtf8();
    return WriteOut(out) ? kDone : kFileError;
}

namespace {

void AddFiguresOptions(QCommandLineParser& p)
{
    p.addPositionalArgument(QStringLiteral("recording"), QCoreApplication::translate("cli", "A recording (CSV) as measure or the window wrote it."));
    AddNameplateOptions(p);
    p.addOption({QStringLiteral("dar-times"),
                 QCoreApplication::translate("cli", "DAR as R(60 s)/R(30 s) or R(60 s)/R(15 s). Default: 30-60."),
                 QStringLiteral("30-60|15-60")});
    AddMethodOptions(p);
    p.addOption({QStringLiteral("voltage"), QCoreApplication::translate("cli", "With --method material: the run's voltage."),
                 QStringLiteral("V")});
    p.addOption({QStringLiteral("duration"), QCoreApplication::translate("cli", "With --method material: the run's reading time in seconds "
                                                            "(default 60)."),
                 QStringLiteral("SECONDS")});
    p.addOption({QStringLiteral("format"), QCoreApplication::translate("cli", "text (default) or jsonl (one JSON object)."),
                 QStringLiteral("text|jsonl")});
}

void PrintFiguresHelp(const QCommandLineParser& p)
{
    Print(CommandHelp(p,
               QCoreApplication::translate("cli", "krx738-cli figures RECORDING.csv [--kind %1] "
                              "[--rated-voltage VOLTS] [--winding form|random|older] [--class A|B|F|H] "
                              "[--winding-temp T] [--dar-times 30-60|15-60] [--format text|jsonl]\n"
                              "krx738-cli figures RECORDING.csv --method esd|surface|volume|material [--measure rtt|rtg] "
                              "[--item-kind KIND] [--limits SET] [--d1 MM --d2 MM | --d1 MM --gap MM --thickness MM | "
                              "--factor F] [--qualification] [--voltage V --duration SECONDS] [--format text|jsonl]")
                   .arg(KindNames().join(QLatin1Char('|'))),
               QCoreApplication::translate("cli", "The figures of a recording and their verdicts, in the measurement window's "
                              "words; no meter is\nneeded. Without a nameplate option there is no IR or PI "
                              "verdict. A file that is not a\nrecording, or was cut off, is refused with the "
                              "line that shows it (exit status 5). A step-voltage test's recording\ngets its steps, change "
                              "and verdict; figures are only taken at one voltage, up to a\nchange of voltage.")));
}

Run ParseFigures(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddFiguresOptions(p);
    if (!ParseCommand(p, rest, g)) {
        PrintFiguresHelp(p);
        return {};
    }
    const QStringList pos = p.positionalArguments();
    if (pos.isEmpty() || pos[0].isEmpty())
        throw UsageError{QCoreApplication::translate("cli", "figures: give the recording's file")};
    NoPositional(p, 1);
    auto args = std::make_shared<FiguresArgs>();
    args->file = pos[0];
    args->plate = ParseNameplate(p);
    args->winding = ParseWindingTemperature(p);
    if (p.isSet(QStringLiteral("dar-times")) && !ParseDarTimes(p.value(QStringLiteral("dar-times")), args->darTimes))
        throw UsageError{QCoreApplication::translate("cli", "--dar-times: '%1' is not allowed; choose 30-60 or 15-60")
                             .arg(p.value(QStringLiteral("dar-times")))};
    const QString format = p.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != QLatin1String("text") && format != QLatin1String("jsonl"))
        throw UsageError{QCoreApplication::translate("cli", "--format: '%1' is not allowed; choose text or jsonl").arg(format)};
    args->jsonl = format == QLatin1String("jsonl");
    args->limits = LoadLimitLibrary(UserLimitsDir());
    args->method = ParseMethodRequest(p, args->limits);
    const bool material = args->method && args->method->method == Method::Material;
    for (const char* o : {"voltage", "duration"})
        if (!material && p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 needs --method material").arg(QString::fromLatin1(o))};
    if (args->method)
        for (const char* o : {"kind", "rated-voltage", "winding", "class", "winding-temp", "dar-times"})
            if (p.isSet(QString::fromLatin1(o)))
                throw UsageError{QCoreApplication::translate("cli", "--%1 does not go with --method").arg(QString::fromLatin1(o))};
    if (material) {
        const VoltageChoice v = ParseVoltage(p.value(QStringLiteral("voltage")));
        if (!p.isSet(QStringLiteral("voltage")) || v.automatic)
            throw UsageError{QCoreApplication::translate("cli", "--method material needs --voltage 10, 100, 500 or 1000")};
        args->method->materialVolts = v.volts;
        if (p.isSet(QStringLiteral("duration")))
            args->method->materialSeconds = ParseInt(QStringLiteral("duration"), p.value(QStringLiteral("duration")), 1,
                                                     3600, QCoreApplication::translate("cli", "whole seconds"));
        if (const QString problem = RequestProblem(*args->method, args->limits); !problem.isEmpty())
            throw UsageError{QCoreApplication::translate("cli", "--method material: %1").arg(problem)};
    }
    return [args] { return FiguresCommand(*args); };
}

}  // namespace

const Command kFiguresCommand = {
    "figures", QT_TRANSLATE_NOOP("cli", "  figures RECORDING.csv   a recording's figures and verdicts, judged by a nameplate\n"), &ParseFigures};

}  // namespace krx::cli
