// SPDX-License-Identifier: GPL-3.0-or-later
// krx738-cli figures RECORDING.csv: the figures and verdicts of a recording, judged by the asset's
// nameplate with the same core the measurement window uses.
#include "cli/figures.h"

#include "cli/command.h"
#include "cli/nameplate_options.h"
#include "cli/step_test.h"
#include "core/recording_reader.h"
#include "core/step_figures.h"

#include <QFile>

#include <memory>

namespace krx::cli {

int FiguresCommand(const FiguresArgs& args)
{
    QFile file(args.file);
    if (!file.open(QIODevice::ReadOnly)) {
        Error(QStringLiteral("cannot read %1: %2").arg(args.file, file.errorString()));
        return kFileError;
    }
    std::vector<DataRecord> readings;
    QString error;
    if (!ParseRecording(file.readAll(), readings, &error)) {
        Error(QStringLiteral("%1: not a recording: %2").arg(args.file, error));
        return kFileError;
    }
    // A step-voltage test's recording is judged as that test, never as one voltage's figures.
    if (const std::optional<RecordedSteps> steps = StepsOfRecording(readings)) {
        const QByteArray out = args.jsonl ? StepResultJson(steps->plan, steps->result)
                                          : StepResultText(steps->plan, steps->result).toUtf8();
        return WriteOut(out) ? kDone : kFileError;
    }
    const JudgedFigures j = JudgeFigures(ComputeFigures(readings, args.darTimes), args.darTimes, args.plate,
                                         args.winding);
    const QByteArray out = args.jsonl ? JudgedJson(j) : JudgedText(j).toUtf8();
    return WriteOut(out) ? kDone : kFileError;
}

namespace {

void AddFiguresOptions(QCommandLineParser& p)
{
    p.addPositionalArgument(QStringLiteral("recording"), QStringLiteral("A recording (CSV) as measure or the window wrote it."));
    AddNameplateOptions(p);
    p.addOption({QStringLiteral("dar-times"),
                 QStringLiteral("DAR as R(60 s)/R(30 s) or R(60 s)/R(15 s). Default: 30-60."),
                 QStringLiteral("30-60|15-60")});
    p.addOption({QStringLiteral("format"), QStringLiteral("text (default) or jsonl (one JSON object)."),
                 QStringLiteral("text|jsonl")});
}

void PrintFiguresHelp(const QCommandLineParser& p)
{
    Print(Help(p,
               QStringLiteral("krx738-cli figures RECORDING.csv [--kind machine|transformer|cable|other] "
                              "[--rated-voltage VOLTS] [--winding form|random|older] [--class A|B|F|H] "
                              "[--winding-temp T] [--dar-times 30-60|15-60] [--format text|jsonl]"),
               QStringLiteral("The figures of a recording and their verdicts, in the measurement window's "
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
        throw UsageError{QStringLiteral("figures: give the recording's file")};
    NoPositional(p, 1);
    auto args = std::make_shared<FiguresArgs>();
    args->file = pos[0];
    args->plate = ParseNameplate(p);
    args->winding = ParseWindingTemperature(p);
    if (p.isSet(QStringLiteral("dar-times")) && !ParseDarTimes(p.value(QStringLiteral("dar-times")), args->darTimes))
        throw UsageError{QStringLiteral("--dar-times: '%1' is not allowed; choose 30-60 or 15-60")
                             .arg(p.value(QStringLiteral("dar-times")))};
    const QString format = p.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != QLatin1String("text") && format != QLatin1String("jsonl"))
        throw UsageError{QStringLiteral("--format: '%1' is not allowed; choose text or jsonl").arg(format)};
    args->jsonl = format == QLatin1String("jsonl");
    return [args] { return FiguresCommand(*args); };
}

}  // namespace

const Command kFiguresCommand = {
    "figures", "  figures RECORDING.csv   a recording's figures and verdicts, judged by a nameplate\n", &ParseFigures};

}  // namespace krx::cli
