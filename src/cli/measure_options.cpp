// SPDX-License-Identifier: GPL-3.0-or-later
// measure's options: defined, explained in its help and checked before the meter is touched.
#include "cli/command.h"
#include "cli/measure.h"
#include "cli/method_options.h"
#include "cli/step_test.h"
#include "cli/nameplate_options.h"

#include <QCoreApplication>
#include <limits>
#include <memory>

namespace krx::cli {

namespace {

void AddFilingOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("asset"),
                 QCoreApplication::translate("cli", "File the finished measurement under the asset ID in the test history, with its "
                                "figures, judged by the nameplate options, else by the asset's nameplate)."),
                 QStringLiteral("ID")});
    p.addOption({QStringLiteral("comment"), QCoreApplication::translate("cli", "With --asset: the test's comment."), QStringLiteral("TEXT")});
    p.addOption({QStringLiteral("operator"), QCoreApplication::translate("cli", "With --asset: who tested."), QStringLiteral("NAME")});
    p.addOption({QStringLiteral("allow-simulated"),
                 QCoreApplication::translate("cli", "With --asset and --simulate: file the simulated meter's test (marked simulated).")});
    AddDatabaseOption(p);
}

void AddMeasureOptions(QCommandLineParser& p)
{
    p.addOption({QStringLiteral("voltage"), QCoreApplication::translate("cli", "Measuring voltage: 10, 100, 500, 1000 or auto "
                                                           "(default: the meter's setup)."),
                 QStringLiteral("V")});
    p.addOption({QStringLiteral("timer"), QCoreApplication::translate("cli", "Measure with the meter's timer, 1 to 600 seconds."),
                 QStringLiteral("SECONDS")});
    p.addOption({QStringLiteral("average"), QCoreApplication::translate("cli", "With --timer: the meter averages.")});
    p.addOption({QStringLiteral("lapse"), QCoreApplication::translate("cli", "With --timer: the meter keeps the lapse.")});
    p.addOption({QStringLiteral("interval"),
                 QCoreApplication::translate("cli", "Milliseconds between readings, 0 to 3600000 (default 1000)."),
                 QStringLiteral("MS"), QStringLiteral("1000")});
    p.addOption({QStringLiteral("duration"), QCoreApplication::translate("cli", "End after this many seconds (from the start)."),
                 QStringLiteral("SECONDS")});
    p.addOption({QStringLiteral("count"), QCoreApplication::translate("cli", "End after N readings."), QStringLiteral("N")});
    p.addOption({QStringLiteral("test"),
                 QCoreApplication::translate("cli", "dar: end 60 s after the voltage command, pi: after 10 min (unless "
                                "--duration, --count or the timer end it sooner), then print the figures; "
                                "step: the step-voltage test, then its result."),
                 QStringLiteral("dar|pi|step")});
    AddNameplateOptions(p);
    p.addOption({QStringLiteral("dar-times"),
                 QCoreApplication::translate("cli", "With --test: DAR as R(60 s)/R(30 s) or R(60 s)/R(15 s). Default: 30-60."),
                 QStringLiteral("30-60|15-60")});
    AddStepOptions(p);
    AddMethodOptions(p);
    AddFilingOptions(p);
    AddOutputOptions(p);
}

void PrintMeasureHelp(const QCommandLineParser& p)
{
    Print(CommandHelp(p,
               QCoreApplication::translate("cli", "krx738-cli [global options] measure [--voltage V] [--timer SECONDS "
                              "[--average|--lapse]] [--interval MS] [--duration SECONDS | --count N] "
                              "[--format csv|jsonl|spreadsheet] [--output FILE] [--test dar|pi [--kind K] [--rated-voltage V] "
                              "[--winding W] [--class C] [--winding-temp T] [--dar-times T] | --test step [--steps V,V,...] "
                              "[--step-seconds SECONDS] | --method esd|surface|volume|material [--measure rtt|rtg] "
                              "[--item-kind KIND] [--limits SET] [--d1 MM --d2 MM | --d1 MM --gap MM --thickness MM | "
                              "--factor F] [--qualification] [--conditioning HOURS]] [--asset ID [--comment TEXT] [--operator NAME] "
                              "[--database SETTING] [--allow-simulated]]"),
               QCoreApplication::translate("cli", "Runs the measurement cycle and writes one record per reading as it comes. "
                              "Ctrl-C (SIGINT, SIGTERM) ends it as Break does: in timer mode the meter's "
                              "timer is stopped; every record read is written, and the exit status is 0."),
               QCoreApplication::translate("cli", "csv and jsonl fields: time (ISO 8601 with UTC offset), elapsed_s, "
                              "resistance_ohm (empty/null\nwhen out of range), range (ok, over, under), "
                              "voltage_v, temperature_c, humidity_pct, stable,\nrest_s (timer mode).\n\n"
                              "--test: times count from the command that puts the measuring voltage on. "
                              "With jsonl the\nfigures are the last JSON object of the stream (its key "
                              "\"test\" tells it from the records);\nwith csv and spreadsheet they are "
                              "\"name: value\" lines on standard output after the\nrecords, or on standard "
                              "error when the records go to standard output. A figure that\ncannot be "
                              "taken reads \"not enough data\" (null in JSON).\n\n"
                              "--asset: a measurement that ends (count, duration, timer, Ctrl-C) is filed with "
                              "its readings\nand figures; one without a stable measuring voltage is not. "
                              "When the database cannot take\nit the test is kept in the outbox (exit "
                              "status 7) and sent by krx738-cli history send.\n\n"
                              "--test step: the voltage rises step by step in one free-running measurement; "
                              "each record\ncarries its step (csv: a tenth column step). With jsonl every "
                              "finished step is an object\nwith \"step\" and \"voltage_v\" but without "
                              "\"time\", and the result (the resistance at each\nstep's end, also at 40 C, "
                              "the change from the lowest to the highest step, its verdict\nand source) is "
                              "the last object, with \"test\": \"step\".\n\n"
                              "--method: an ESD-control item (esd) or a material (surface, volume) by the 10 V → "
                              "100 V\nrule (10 V, the reading at 5 s; at 1.0×10^6 Ω or more the meter is stopped and "
                              "100 V\nread at 15 s), or a material at --voltage for --duration (material). Each "
                              "record carries\nits phase in the step column; the result (path, result_ohm, "
                              "result_voltage_v, resistivity,\nclassification, verdict, limit_source, "
                              "temperature_c, humidity_pct) is the last JSON object,\nor text after the records.\n\n")));
}

// The voltage and the timer.
void TakeSetup(const QCommandLineParser& p, MeasureArgs& args)
{
    if (p.isSet(QStringLiteral("voltage")))
        args.voltage = ParseVoltage(p.value(QStringLiteral("voltage")));
    if (p.isSet(QStringLiteral("timer")))
        args.timerSeconds = ParseInt(QStringLiteral("timer"), p.value(QStringLiteral("timer")), 1, 600,
                                      QCoreApplication::translate("cli", "whole seconds"));
    if (p.isSet(QStringLiteral("average")) && p.isSet(QStringLiteral("lapse")))
        throw UsageError{QCoreApplication::translate("cli", "--average and --lapse: choose one")};
    if ((p.isSet(QStringLiteral("average")) || p.isSet(QStringLiteral("lapse"))) && !args.timerSeconds)
        throw UsageError{QCoreApplication::translate("cli", "--average and --lapse need --timer")};
    if (p.isSet(QStringLiteral("average")))
        args.calculation = 0;
    if (p.isSet(QStringLiteral("lapse")))
        args.calculation = 1;
}

// The pace and the end: --interval, --duration, --count.
void TakeEnds(const QCommandLineParser& p, MeasureArgs& args)
{
    args.intervalMs = ParseInt(QStringLiteral("interval"), p.value(QStringLiteral("interval")), 0, 3600000,
                                QStringLiteral("milliseconds"));
    if (p.isSet(QStringLiteral("duration")) && p.isSet(QStringLiteral("count")))
        throw UsageError{QCoreApplication::translate("cli", "--duration and --count: choose one")};
    if (p.isSet(QStringLiteral("duration"))) {
        bool ok = false;
        const double d = p.value(QStringLiteral("duration")).toDouble(&ok);
        if (!ok || !(d > 0.0) || d > 864000.0)
            throw UsageError{QCoreApplication::translate("cli", "--duration: '%1' is not allowed; give seconds above 0, at most "
                                            "864000 (ten days)")
                                 .arg(p.value(QStringLiteral("duration")))};
        args.durationSeconds = d;
    }
    if (p.isSet(QStringLiteral("count")))
        args.count = ParseInt(QStringLiteral("count"), p.value(QStringLiteral("count")), 1,
                               std::numeric_limits<int>::max(), QCoreApplication::translate("cli", "a number of readings"));
}

void ParseFiling(const QCommandLineParser& p, MeasureArgs& args)
{
    const bool asset = p.isSet(QStringLiteral("asset"));
    for (const char* o : {"comment", "operator", "database", "allow-simulated"})
        if (!asset && p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 needs --asset").arg(QString::fromLatin1(o))};
    if (!asset)
        return;
    FilingArgs f;
    f.asset = p.value(QStringLiteral("asset"));
    if (f.asset.trimmed().isEmpty())
        throw UsageError{QCoreApplication::translate("cli", "--asset: give the id of an asset")};
    f.comment = p.value(QStringLiteral("comment"));
    f.operatorName = p.value(QStringLiteral("operator"));
    f.database = ParseDatabase(p);
    f.plate = args.plate;
    f.winding = args.winding;
    f.darTimes = args.darTimes;
    args.filing = f;
}

void ParseTest(const QCommandLineParser& p, MeasureArgs& args)
{
    const bool test = p.isSet(QStringLiteral("test"));
    if (test) {
        const QString t = p.value(QStringLiteral("test"));
        if (t == QLatin1String("dar"))
            args.test = MeasureArgs::Test::Dar;
        else if (t == QLatin1String("pi"))
            args.test = MeasureArgs::Test::Pi;
        else if (t == QLatin1String("step"))
            args.steps = StepPlan{};
        else
            throw UsageError{QCoreApplication::translate("cli", "--test: '%1' is not allowed; choose dar, pi or step").arg(t)};
    }
    const bool asset = p.isSet(QStringLiteral("asset"));
    args.plate = ParseNameplate(p);
    args.winding = ParseWindingTemperature(p);
    for (const char* o : {"kind", "rated-voltage", "winding", "class", "winding-temp"})
        if (!test && !asset && p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 needs --test or --asset").arg(QString::fromLatin1(o))};
    if (p.isSet(QStringLiteral("dar-times"))) {
        const QString d = p.value(QStringLiteral("dar-times"));
        if (!ParseDarTimes(d, args.darTimes))
            throw UsageError{QCoreApplication::translate("cli", "--dar-times: '%1' is not allowed; choose 30-60 or 15-60").arg(d)};
        if (!test && !asset)
            throw UsageError{QCoreApplication::translate("cli", "--dar-times needs --test or --asset")};
    }
    ParseFiling(p, args);
}

// --method: the ESD and material tests set their voltages and end themselves; the material test
// takes --voltage and --duration.
void ParseMethod(const QCommandLineParser& p, MeasureArgs& args)
{
    args.limits = LoadLimitLibrary(UserLimitsDir());
    args.method = ParseMethodRequest(p, args.limits);
    if (!args.method)
        return;
    const bool material = args.method->method == Method::Material;
    for (const char* o : {"timer", "average", "lapse", "count", "test", "steps", "step-seconds", "kind",
                          "rated-voltage", "winding", "class", "winding-temp", "dar-times"})
        if (p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 does not go with --method %2")
                                 .arg(QString::fromLatin1(o), QString::fromLatin1(InfoOf(args.method->method).name))};
    for (const char* o : {"voltage", "duration"})
        if (!material && p.isSet(QString::fromLatin1(o)))
            throw UsageError{QCoreApplication::translate("cli", "--%1 does not go with --method %2: its rule sets the voltage and the "
                                            "reading times")
                                 .arg(QString::fromLatin1(o), QString::fromLatin1(InfoOf(args.method->method).name))};
    if (!material)
        return;
    if (!args.voltage || args.voltage->automatic)
        throw UsageError{QCoreApplication::translate("cli", "--method material needs --voltage 10, 100, 500 or 1000")};
    args.method->materialVolts = args.voltage->volts;
    if (args.durationSeconds) {
        const double d = *args.durationSeconds;
        if (d != static_cast<int>(d) || d > 3600)
            throw UsageError{QCoreApplication::translate("cli", "--duration with --method material: whole seconds, 1 to 3600")};
        args.method->materialSeconds = static_cast<int>(d);
    }
    // The test ends itself at its reading; --duration is its reading time, not a second end.
    args.durationSeconds.reset();
    args.voltage.reset();
}

}  // namespace

std::function<int()> ParseMeasure(QCommandLineParser& p, const QStringList& rest, Globals& g)
{
    AddMeasureOptions(p);
    if (!ParseCommand(p, rest, g)) {
        PrintMeasureHelp(p);
        return {};
    }
    NoPositional(p, 0);
    auto args = std::make_shared<MeasureArgs>();
    TakeSetup(p, *args);
    TakeEnds(p, *args);
    args->output = ParseOutput(p);
    ParseTest(p, *args);
    // A simulated reading filed under a real asset would pass for that machine's insulation.
    if (args->filing && g.simulate && !p.isSet(QStringLiteral("allow-simulated")))
        throw UsageError{QCoreApplication::translate("cli", "--asset with --simulate files the simulated meter's readings under %1; "
                                        "add --allow-simulated to file them (marked simulated)")
                             .arg(args->filing->asset)};
    ParseStepPlan(p, *args);
    ParseMethod(p, *args);
    return [args] { return MeasureCommand(*args); };
}

const Command kMeasureCommand{"measure", QT_TRANSLATE_NOOP("cli", "  measure                 live readings, one record per reading\n"),
                              ParseMeasure};

}  // namespace krx::cli
