// SPDX-License-Identifier: GPL-3.0-or-later
// measure runs the measurement cycle and writes a record per reading until it ends, is ended by
// --count, --duration or --test, or by Ctrl-C; then the figures and the filing.
#include "cli/measure.h"

#include "cli/interrupt.h"
#include "cli/method_options.h"
#include "cli/step_test.h"
#include "core/measurement_cycle.h"
#include "core/measurement_log.h"
#include "core/method_test.h"
#include "core/reading_format.h"
#include "core/recording.h"
#include "device/backend.h"
#include "device/clock.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

namespace krx::cli {

namespace {

CycleOptions OptionsFor(const MeasureArgs& args, const std::optional<MeasuringSetup>& setup)
{
    CycleOptions o;
    o.timerMode = args.timerSeconds.has_value();
    o.timerSeconds = args.timerSeconds.value_or(0);
    o.samplingTimeMs = args.intervalMs;
    o.setup = ChoiceFrom(setup);
    Apply(o.setup, args.voltage);
    if (args.calculation)
        o.setup.calculation = *args.calculation;
    return o;
}

struct CycleRun {
    CycleResult result;
    bool interrupted = false;
    StepResult steps;  // --test step: its finished steps
    bool stepWriteFailed = false;
    std::optional<MethodResult> method;  // --method: the test's result
};

// The figures of --test after the records: in the JSON lines stream as its last object, otherwise
// as text on standard output, or on standard error when the records themselves go there. The
// reason when they could not be written, else empty.
QString PrintFigures(const MeasureArgs& args, RecordSink& sink, const InsulationFigures& f, const CycleRun& run)
{
    if (args.test == MeasureArgs::Test::None && !args.steps && !run.method)
        return {};
    const StepResult& steps = run.steps;
    JudgedFigures j = JudgeFigures(f, args.darTimes, args.plate, args.winding);
    j.simulated = TheUsbBackend().Simulated();
    const QString test = args.test == MeasureArgs::Test::Pi ? QStringLiteral("pi") : QStringLiteral("dar");
    if (args.output.format == OutputFormat::Jsonl)
        return sink.WriteTrailer(run.method ? MethodResultJson(*run.method)
                                 : args.steps ? StepResultJson(*args.steps, steps)
                                            : JudgedJson(j, "\"test\":\"" + test.toLatin1() + "\","))
                   ? QString()
                   : sink.Error();
    const QByteArray text =
        (run.method ? MethodResultText(*run.method)
         : args.steps ? StepResultText(*args.steps, steps) : QCoreApplication::translate("cli", "test: %1\n").arg(test) + JudgedText(j))
            .toUtf8();
    std::FILE* to = args.output.file.isEmpty() ? stderr : stdout;
    std::fflush(stdout);
    errno = 0;
    const bool ok = std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), to) ==
                        static_cast<size_t>(text.size()) &&
                    std::fflush(to) == 0;
    if (ok)
        return {};
    return errno ? QString::fromLocal8Bit(std::strerror(errno)) : QCoreApplication::translate("cli", "the stream was closed");
}

// The live readings as records, and the ends that --count, --duration and --test set.
class MeasureListener : public CycleListener, public RecordListener {
public:
    MeasureListener(const MeasureArgs& args, const Identity& who, RecordSink& sink, ProcedureRunner& runner,
                    MeterCommands& meter, MeasurementCycle*& cycle, const ReadingSeries& series)
        : args_(args), who_(who), sink_(sink), runner_(runner), meter_(meter), cycle_(cycle), series_(series)
    {
    }

    void Begin() { t0_ = CounterSeconds(); }
    void TimerStarted(int) override { t0_ = CounterSeconds(); }
    void WaitHint(bool shown) override
    {
        if (shown && !measuring_)
            Progress(QCoreApplication::translate("cli", "waiting for a stable measuring voltage, %1 s")
                         .arg(CounterSeconds() - t0_, 0, 'f', 0));
    }
    void MeasuringStarted() override { measuring_ = true; }
    void PassStarted(int) override {}
    void Iteration(const CycleIteration&) override {}
    void RestTime(int) override {}
    void TimerFinished() override {}

    void Recorded(const DataRecord& r, const CycleIteration& pass) override
    {
        if (writeFailed_)
            return;
        ReadingInput in;
        in.deviceName = who_.deviceName;
        in.serialNo = who_.serialNo;
        in.swVersion = who_.swVersion;
        in.valueText = ValueText(pass.value);
        in.humidity = pass.value.humidity;
        in.temperature = pass.value.temperature;
        in.rangeFlag = static_cast<int>(pass.value.range);
        in.volts = pass.volts;
        if (args_.timerSeconds) {
            in.timerSeconds = *args_.timerSeconds;
            in.calculation = args_.calculation.value_or(0) ? QStringLiteral("Lap.") : QStringLiteral("Ave.");
        }
        MeasurementRecord sheet;
        RefreshRecord(sheet, in, pass.at);
        if (!sink_.Write(ReadingLine(DataFormatOf(args_.output.format), r), MeasurementLogLine(sheet))) {
            writeFailed_ = true;
            End();
            return;
        }
        const QString value = r.range == RangeState::Over    ? QStringLiteral("overflow")
                              : r.range == RangeState::Under ? QStringLiteral("underflow")
                                                             : ValueText(pass.value) + QCoreApplication::translate("cli", " Ohm");
        Progress(QCoreApplication::translate("cli", "%1 readings, %2, %3 V, %4 s")
                     .arg(sink_.Records())
                     .arg(value)
                     .arg(r.volts)
                     .arg(r.elapsedSeconds, 0, 'f', 0));
        if ((args_.count && sink_.Records() >= *args_.count) ||
            (args_.durationSeconds && r.elapsedSeconds >= *args_.durationSeconds) || TestDone())
            End();
    }
    // The command line has no recording file: --output is where the records go.
    void RecordingProblem(const QString&) override {}

    bool WriteFailed() const { return writeFailed_; }

private:
    // Without --duration and --count a test ends at the first reading at or past its last time,
    // the reading that the figure is interpolated to.
    bool TestDone() const
    {
        if (args_.test == MeasureArgs::Test::None || args_.count || args_.durationSeconds)
            return false;
        const InsulationFigures f = series_.Figures(args_.darTimes);
        return f.originElapsed && f.secondsSinceOrigin >= TestSpanSeconds(args_.test);
    }

    // Ends the cycle as Break does: in timer mode the meter's timer is stopped first, at the
    // procedure's next yield point.
    void End()
    {
        if (ended_ || !cycle_)
            return;
        ended_ = true;
        cycle_->RequestBreak();
        if (args_.timerSeconds)
            runner_.Device([this] { MeasurementCycle::SendBreakStops(meter_); });
    }

    const MeasureArgs& args_;
    Identity who_;
    RecordSink& sink_;
    ProcedureRunner& runner_;
    MeterCommands& meter_;
    MeasurementCycle*& cycle_;
    const ReadingSeries& series_;
    double t0_ = 0.0;
    bool measuring_ = false;
    bool ended_ = false;
    bool writeFailed_ = false;
};

QString MeasuringText(const CycleOptions& o)
{
    return QCoreApplication::translate("cli", "measuring at %1, %2; Ctrl-C ends")
        .arg(o.setup.voltageFunction ? QCoreApplication::translate("cli", "automatic voltage") : QStringLiteral("%1 V").arg(o.setup.voltage),
             o.timerMode ? QCoreApplication::translate("cli", "timer %1 s").arg(o.timerSeconds) : QCoreApplication::translate("cli", "free-running"));
}

// Runs the cycle on this thread until it ends; the first Ctrl-C is its Break.
// `body` runs the measurement itself.
CycleRun RunCycle(Session& s, const CycleOptions& o, MeasurementCycle& cycle, CycleRecorder& recorder,
                  MeasureListener& listener, const std::function<CycleResult(CycleRun&)>& body)
{
    Interrupt& interrupt = Interrupt::Instance();
    CycleRun run;
    s.Runner().Start([&] {
        cycle.Arm();
        const bool timer = o.timerMode;
        if (!interrupt.SetHandler([&, timer] {
                s.Dialogs().SetMuted(true);  // "no stable voltage" after Ctrl-C is no news
                // The procedure cannot end meanwhile (it clears this handler under the same lock),
                // so the stops are queued to its next yield point, never sent from this thread.
                cycle.RequestBreak();
                if (timer)
                    s.Runner().Device([&] { MeasurementCycle::SendBreakStops(s.Meter()); });
            })) {
            run.interrupted = true;
            return;
        }
        listener.Begin();
        RecordingPlan plan;
        plan.enabled = false;
        plan.timerMode = o.timerMode;
        recorder.Begin(plan);
        run.result = body(run);
        interrupt.ClearHandler();
    });
    recorder.Finish();
    EndProgress();
    run.interrupted = run.interrupted || interrupt.Requested();
    s.Dialogs().SetMuted(false);
    return run;
}

// The meter's readings are in; what is left is said, printed and filed. The exit status.
int Conclude(const MeasureArgs& args, Session& s, RecordSink& sink, const ReadingSeries& series,
             const MeasureListener& listener, MeasurementFiler& filer, const CycleRun& run, bool timerMode)
{
    const QString written = QCoreApplication::translate("cli", "%n record(s) written to %1", nullptr, int(sink.Records())).arg(sink.Name());
    switch (run.result.outcome) {
    case CycleOutcome::ConnectionLost:
        Error(QCoreApplication::translate("cli", "connection to the KRX 738 lost (%1); %2").arg(FailureText(run.result.code), written));
        return kConnectionLost;
    case CycleOutcome::NoStatusAnswer:
        Error(QCoreApplication::translate("cli", "the KRX 738 stopped answering; %1").arg(written));
        return kConnectionLost;
    case CycleOutcome::NoStableVoltage:
        if (!run.interrupted) {
            if (const QString e = PrintFigures(args, sink, series.Figures(args.darTimes), run); !e.isEmpty())
                Error(QCoreApplication::translate("cli", "cannot write the figures: %1").arg(e));
            s.Release();
            return kNotMeasured;
        }
        break;
    case CycleOutcome::Ended:
        break;
    }
    // Filed whatever became of the output: the readings are all in the series.
    const QString serial = s.Report().identity.serialNo.trimmed();
    const QString software = s.Report().identity.swVersion.trimmed();
    const int filed = !args.filing || series.Size() == 0 ? kDone
                      : run.method ? filer.FileMethod(series.All(), *run.method, serial, software)
                      : args.steps ? filer.FileSteps(series.All(), *args.steps, run.steps, serial, software)
                                   : filer.File(series.All(), timerMode, serial, software);
    const bool writeFailed = listener.WriteFailed() || run.stepWriteFailed;
    if (!writeFailed) {
        if (const QString e = PrintFigures(args, sink, series.Figures(args.darTimes), run); !e.isEmpty()) {
            Error(QCoreApplication::translate("cli", "cannot write the figures: %1; %2").arg(e, written));
            s.Release();
            return kFileError;
        }
    }
    if (writeFailed) {
        Error(QCoreApplication::translate("cli", "cannot write %1: %2; the measurement was stopped, %3")
                  .arg(sink.Name(), sink.Error(), written));
        s.Release();
        return kFileError;
    }
    s.Release();
    Info(written);
    return filed;
}

}  // namespace

int MeasureCommand(const MeasureArgs& args)
{
    RecordSink sink;
    if (!OpenSink(sink, args.output,
                  ReadingHeader(DataFormatOf(args.output.format), args.steps || args.method, TheUsbBackend().Simulated()),
                  QString::fromLatin1(MeasurementLogHeader)))
        return kFileError;
    MeasurementFiler filer;
    if (args.filing && !filer.Open(*args.filing))
        return kUsage;
    Interrupt::Instance().SetEndsProcess(false);

    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;

    const CycleOptions o = OptionsFor(args, s.Report().setup);
    MeasurementCycle* cyclePtr = nullptr;
    ReadingSeries series;
    MeasureListener listener(args, s.Report().identity, sink, s.Runner(), s.Meter(), cyclePtr, series);
    CycleRecorder recorder(listener, series, &listener);
    StepPrinter printer(sink, args.steps    ? static_cast<int>(args.steps->volts.size())
                              : args.method ? static_cast<int>(PlannedPhases(*args.method).size())
                                            : 0);
    // The step-voltage and the ESD tests are the cycle with voltage steps; otherwise only Run() is used.
    MethodTest cycle(s.Meter(), s.Runner(), recorder, printer);
    cyclePtr = &cycle;
    recorder.Watch(&cycle);
    const CycleRun run = RunCycle(s, o, cycle, recorder, listener, [&](CycleRun& r) {
        if (args.method) {
            Info(QCoreApplication::translate("cli", "%1 test; Ctrl-C ends").arg(QString::fromUtf8(InfoOf(args.method->method).title)));
            const MethodRun m = cycle.RunMethod({*args.method, o.setup, o.samplingTimeMs});
            r.method = JudgeMethod(*args.method, m.phases, args.limits);
            return CycleResultOf(StepRunResult{m.end, m.code, 0, {}});
        }
        if (!args.steps) {
            Info(MeasuringText(o));
            return cycle.Run(o);
        }
        Info(StepMeasuringText(*args.steps));
        const StepRunResult steps = cycle.RunSteps({*args.steps, o.setup, o.samplingTimeMs});
        r.steps = steps.result;
        r.stepWriteFailed = printer.WriteFailed();
        return CycleResultOf(steps);
    });
    return Conclude(args, s, sink, series, listener, filer, run, o.timerMode);
}

}  // namespace krx::cli
