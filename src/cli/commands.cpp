// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include "cli/test_figures.h"
#include "core/recording.h"

#include "device/clock.h"
#include "core/measurement_cycle.h"
#include "core/meter_init.h"
#include "core/procedure_runner.h"
#include "device/backend.h"
#include "device/protocol.h"
#include "core/measurement_log.h"
#include "core/reading_format.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

namespace krx::cli {

namespace {

bool g_simulated = false;
constexpr std::array<int, 4> kVolts{10, 100, 500, 1000};

QString FailureText(int code)
{
    return QStringLiteral("error %1").arg(code);
}

// One meter, one procedure at a time, on this thread; the person's decisions come from the
// arguments.
class Session {
public:
    Session() : runner_(ProcedureRunner::Mode::Inline, dialogs_) {}

    // Takes the meter for this process and runs Init. kDone, or the exit status with the message said.
    int Open()
    {
        if (const int busy = Lock(); busy != kDone)
            return busy;
        dialogs_.SetMuted(true);
        report_ = InitDevice(meter_, runner_, Identity{});
        dialogs_.SetMuted(false);
        switch (report_.outcome) {
        case InitReport::Outcome::Ready:
            return kDone;
        case InitReport::Outcome::NoMeter:
            Error(QStringLiteral("no KRX 738 found: check that it is connected by USB and switched on"));
            return kNoMeter;
        case InitReport::Outcome::NoAccess: {
            QString text = NoAccessText();
            text.replace(QStringLiteral("and press Init again."), QStringLiteral("and run krx738-cli again."));
            Error(text);
            return kNoAccess;
        }
        case InitReport::Outcome::MeterGone:
            Error(QStringLiteral("the KRX 738 stopped answering after its identity"));
            return kConnectionLost;
        }
        return kConnectionLost;
    }

    // The meter back to its own keys, as the window's Exit leaves it.
    void Release()
    {
        runner_.Device([this] {
            if (ConnectIdle(meter_))
                meter_.SetRemoteMode(protocol::kModeEnd);
        });
    }

    MeterCommands& Meter() { return meter_; }
    ProcedureRunner& Runner() { return runner_; }
    CliDialogs& Dialogs() { return dialogs_; }
    const InitReport& Report() const { return report_; }
    memory::Identity Who() const
    {
        return {report_.identity.deviceName, report_.identity.serialNo, report_.identity.swVersion};
    }

private:
    // Two runs of this tool against one meter would interleave their commands. A lock file keyed
    // by the meter's place on the bus keeps the second one out; the system drops it with the
    // process, also after a kill.
    int Lock()
    {
        if (g_simulated)
            return kDone;
        const std::vector<MeterPlace> places = TheUsbBackend().ListMeters();
        if (places.empty())
            return kDone;  // Init says that no meter is there
        QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (dir.isEmpty() || !QDir(dir).exists())
            dir = QDir::tempPath();
        const QString name =
            QStringLiteral("%1/krx738-cli-%2-%3.lock").arg(dir).arg(places.front().bus).arg(places.front().address);
        lockFd_ = ::open(QFile::encodeName(name).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        // A lock file that cannot be made is no reason to refuse the meter.
        if (lockFd_ < 0)
            return kDone;
        if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
            Error(QStringLiteral("the KRX 738 on bus %1, address %2 is in use by another krx738-cli; "
                                 "wait for it to end")
                      .arg(places.front().bus)
                      .arg(places.front().address));
            return kNoAccess;
        }
        return kDone;
    }

    CliDialogs dialogs_;
    ProcedureRunner runner_;
    MeterCommands meter_;
    InitReport report_;
    int lockFd_ = -1;
};

QString VoltageText(const SetupFlags& f)
{
    return f.voltageKnown && f.voltageIndex >= 0 && f.voltageIndex < 4 ? QStringLiteral("%1 V").arg(kVolts[f.voltageIndex])
                                                                       : QStringLiteral("unknown");
}

void PrintSetup(QTextStream& out, const MeasuringSetup& s, const std::optional<Timers>& timers)
{
    out << "voltage: " << VoltageText(s.flags) << '\n'
        << "automatic voltage: " << (s.flags.autoVoltage ? "on" : "off") << '\n'
        << "display: " << (s.flags.exponentDisplay ? "exponent" : "technical") << '\n'
        << "calculation: " << (s.flags.lapse ? "lapse" : "average") << '\n';
    if (timers)
        out << "measuring timer: " << timers->measuring << " s\n"
            << "break-down timer: " << timers->breakDown << " s\n"
            << "break-off timer: " << timers->breakOff << " s\n";
    else
        out << "timers: not read\n";
}

SetupChoice ChoiceFrom(const std::optional<MeasuringSetup>& setup)
{
    SetupChoice c;
    if (!setup)
        return c;
    c.voltageFunction = setup->flags.autoVoltage;
    if (setup->flags.voltageKnown && setup->flags.voltageIndex >= 0 && setup->flags.voltageIndex < 4)
        c.voltage = kVolts[setup->flags.voltageIndex];
    c.displayMode = setup->flags.exponentDisplay;
    c.calculation = setup->flags.lapse;
    return c;
}

void Apply(SetupChoice& c, const std::optional<VoltageChoice>& v)
{
    if (!v)
        return;
    c.voltageFunction = v->automatic ? 1 : 0;
    if (v->volts)
        c.voltage = v->volts;
}

bool OpenSink(RecordSink& sink, const Output& o, const QByteArray& dataHeader, const QString& sheetHeader)
{
    if (sink.Open(o.format, o.file, dataHeader, sheetHeader))
        return true;
    Error(QStringLiteral("cannot write %1: %2").arg(o.file.isEmpty() ? QStringLiteral("standard output") : o.file,
                                                     sink.Error()));
    return false;
}

DataFormat DataFormatOf(OutputFormat f)
{
    return f == OutputFormat::Jsonl ? DataFormat::Jsonl : DataFormat::Csv;
}

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

// The figures of --test after the records: in the JSON lines stream as its last object, otherwise
// as text on standard output, or on standard error when the records themselves go there. The
// reason when they could not be written, else empty.
QString PrintFigures(const MeasureArgs& args, RecordSink& sink, const InsulationFigures& f)
{
    if (args.test == MeasureArgs::Test::None)
        return {};
    if (args.output.format == OutputFormat::Jsonl)
        return sink.WriteTrailer(FiguresJson(args, f)) ? QString() : sink.Error();
    const QByteArray text = FiguresText(args, f).toUtf8();
    std::FILE* to = args.output.file.isEmpty() ? stderr : stdout;
    std::fflush(stdout);
    errno = 0;
    const bool ok = std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), to) ==
                        static_cast<size_t>(text.size()) &&
                    std::fflush(to) == 0;
    if (ok)
        return {};
    return errno ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("the stream was closed");
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
            Progress(QStringLiteral("waiting for a stable measuring voltage, %1 s")
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
                                                             : ValueText(pass.value) + QStringLiteral(" Ohm");
        Progress(QStringLiteral("%1 readings, %2, %3 V, %4 s")
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

class ReadOutAnswers : public ReadOutListener {
public:
    ReadOutAnswers(const MemoryArgs& args, MemoryReadOut*& readOut) : args_(args), readOut_(readOut) {}
    void Listing(const QStringList&, bool) override {}
    void RangeWanted(int highest) override
    {
        highest_ = highest;
        int from = 1, to = highest;
        if (args_.range) {
            from = args_.range->first;
            to = args_.range->second;
            if (to > highest) {
                refused_ = true;
                readOut_->RequestLeave();
                return;
            }
        }
        readOut_->RequestRange(QString::number(from), QString::number(to));
    }
    void RangeRefused() override
    {
        refused_ = true;
        readOut_->RequestLeave();
    }
    bool Refused() const { return refused_; }
    int Highest() const { return highest_; }

private:
    const MemoryArgs& args_;
    MemoryReadOut*& readOut_;
    bool refused_ = false;
    int highest_ = 0;
};

QString KindName(MemoryKind kind)
{
    return kind == MemoryKind::Ohm ? QStringLiteral("resistance memory") : QStringLiteral("break-down memory");
}

}  // namespace

void SetSimulated(bool simulated)
{
    g_simulated = simulated;
}

int ListCommand()
{
    const std::vector<MeterPlace> places = TheUsbBackend().ListMeters();
    if (places.empty()) {
        Error(QStringLiteral("no KRX 738 found: check that it is connected by USB and switched on"));
        return kNoMeter;
    }
    QTextStream out(stdout);
    bool anyOpen = false;
    for (size_t i = 0; i < places.size(); ++i) {
        const MeterPlace& p = places[i];
        out << (p.bus == 0 && p.address == 0 ? QStringLiteral("simulated")
                                             : QStringLiteral("bus %1 address %2")
                                                   .arg(p.bus, 3, 10, QLatin1Char('0'))
                                                   .arg(p.address, 3, 10, QLatin1Char('0')));
        if (p.openError == kUsbErrorAccess) {
            out << "  access: no (the udev rule 60-krx738.rules is missing; see krx738-cli(1))\n";
            continue;
        }
        if (p.openError != 0) {
            out << "  access: cannot open (" << FailureText(p.openError) << ")\n";
            continue;
        }
        anyOpen = true;
        // The commands work with the first meter; its identity is read here as Init reads it.
        if (i == 0) {
            out.flush();
            Session s;
            const int rc = s.Open();
            if (rc == kDone) {
                out << "  serial " << s.Report().identity.serialNo.trimmed() << "  software "
                    << s.Report().identity.swVersion.trimmed() << "  access: yes\n";
                s.Release();
                continue;
            }
            out << "  access: yes (identity not read)\n";
            continue;
        }
        out << "  access: yes (not used: the commands talk to the first meter)\n";
    }
    out.flush();
    if (!anyOpen) {
        Error(NoAccessText().section(QStringLiteral("\n\n"), 0, 1));
        return kNoAccess;
    }
    return kDone;
}

int InfoCommand()
{
    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    std::optional<Timers> timers;
    s.Runner().Device([&] {
        if (const Result<Timers> t = s.Meter().ReadTimers())
            timers = *t;
    });
    const InitReport& r = s.Report();
    QTextStream out(stdout);
    out << "device: " << r.identity.deviceName.trimmed() << '\n'
        << "serial: " << r.identity.serialNo.trimmed() << '\n'
        << "software: " << r.identity.swVersion.trimmed() << '\n'
        << "battery: " << (r.batteryEmpty ? "empty" : "ok") << '\n';
    if (r.setup)
        PrintSetup(out, *r.setup, timers);
    else
        out << "setup: not read\n";
    out.flush();
    s.Release();
    return kDone;
}

int MeasureCommand(const MeasureArgs& args)
{
    RecordSink sink;
    if (!OpenSink(sink, args.output, ReadingHeader(DataFormatOf(args.output.format)),
                  QString::fromLatin1(MeasurementLogHeader)))
        return kFileError;
    MeasurementFiler filer;
    if (args.filing && !filer.Open(*args.filing))
        return kUsage;
    Interrupt& interrupt = Interrupt::Instance();
    interrupt.SetEndsProcess(false);

    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;

    const CycleOptions o = OptionsFor(args, s.Report().setup);
    MeasurementCycle* cyclePtr = nullptr;
    ReadingSeries series;
    MeasureListener listener(args, s.Report().identity, sink, s.Runner(), s.Meter(), cyclePtr, series);
    CycleRecorder recorder(listener, series, &listener);
    MeasurementCycle cycle(s.Meter(), s.Runner(), recorder);
    cyclePtr = &cycle;
    recorder.Watch(&cycle);
    CycleResult result;
    bool interrupted = false;
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
            interrupted = true;
            return;
        }
        Info(QStringLiteral("measuring at %1, %2; Ctrl-C ends")
                 .arg(o.setup.voltageFunction ? QStringLiteral("automatic voltage")
                                              : QStringLiteral("%1 V").arg(o.setup.voltage),
                      o.timerMode ? QStringLiteral("timer %1 s").arg(o.timerSeconds) : QStringLiteral("free-running")));
        listener.Begin();
        RecordingPlan plan;
        plan.enabled = false;
        plan.timerMode = o.timerMode;
        recorder.Begin(plan);
        result = cycle.Run(o);
        interrupt.ClearHandler();
    });
    recorder.Finish();
    EndProgress();
    interrupted = interrupted || interrupt.Requested();
    s.Dialogs().SetMuted(false);

    const QString written = QStringLiteral("%1 record(s) written to %2").arg(sink.Records()).arg(sink.Name());
    switch (result.outcome) {
    case CycleOutcome::ConnectionLost:
        Error(QStringLiteral("connection to the KRX 738 lost (%1); %2").arg(FailureText(result.code), written));
        return kConnectionLost;
    case CycleOutcome::NoStatusAnswer:
        Error(QStringLiteral("the KRX 738 stopped answering; %1").arg(written));
        return kConnectionLost;
    case CycleOutcome::NoStableVoltage:
        if (!interrupted) {
            if (const QString e = PrintFigures(args, sink, series.Figures(args.darTimes)); !e.isEmpty())
                Error(QStringLiteral("cannot write the figures: %1").arg(e));
            s.Release();
            return kNotMeasured;
        }
        break;
    case CycleOutcome::Ended:
        break;
    }
    // Filed whatever became of the output: the readings are all in the series.
    const int filed = args.filing && series.Size() > 0
                          ? filer.File(series.All(), o.timerMode, s.Report().identity.serialNo.trimmed(),
                                       s.Report().identity.swVersion.trimmed())
                          : kDone;
    if (!listener.WriteFailed()) {
        if (const QString e = PrintFigures(args, sink, series.Figures(args.darTimes)); !e.isEmpty()) {
            Error(QStringLiteral("cannot write the figures: %1; %2").arg(e, written));
            s.Release();
            return kFileError;
        }
    }
    if (listener.WriteFailed()) {
        Error(QStringLiteral("cannot write %1: %2; the measurement was stopped, %3")
                  .arg(sink.Name(), sink.Error(), written));
        s.Release();
        return kFileError;
    }
    s.Release();
    Info(written);
    return filed;
}

int MemoryReadCommand(const MemoryArgs& args)
{
    const DataFormat df = DataFormatOf(args.output.format);
    const bool ohm = args.kind == MemoryKind::Ohm;
    RecordSink sink;
    if (!OpenSink(sink, args.output, ohm ? OhmRecordHeader(df) : BreakDownRecordHeader(df),
                  (ohm ? memory::OhmHeader() : memory::BreakDownHeader()).trimmed()))
        return kFileError;

    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    MemoryReadOut* readOutPtr = nullptr;
    ReadOutAnswers answers(args, readOutPtr);
    MemoryReadOut readOut(s.Meter(), s.Runner(), answers);
    readOutPtr = &readOut;
    ReadOutReport report;
    s.Runner().Start([&] {
        s.Meter().SetRemoteMode(protocol::kModeSpecial);
        readOut.Arm();
        report = readOut.Run(args.kind);
    });

    const QString name = KindName(args.kind);
    switch (report.outcome) {
    case ReadOutReport::Outcome::Interrupted:
        Error(QStringLiteral("the KRX 738 stopped answering before the first record; nothing was written"));
        return kConnectionLost;
    case ReadOutReport::Outcome::NoRecords:
        s.Release();
        Info(QStringLiteral("the %1 holds no records").arg(name));
        return kDone;
    case ReadOutReport::Outcome::Left:
        s.Release();
        Error(QStringLiteral("--range %1-%2: the %3 holds file numbers 1 to %4")
                  .arg(args.range->first)
                  .arg(args.range->second)
                  .arg(name)
                  .arg(answers.Highest()));
        return kUsage;
    case ReadOutReport::Outcome::RangeChosen:
        break;
    }

    const memory::Identity who = s.Who();
    for (int no = report.range.from; no <= report.range.to; ++no) {
        bool ok = true;
        if (ohm) {
            const memory::OhmSlot& slot = report.ohm.At(no);
            // A file number the meter did not send stays out of the data dialect; the spreadsheet
            // lists the whole range, as the window's export does.
            if (args.output.format != OutputFormat::Spreadsheet && slot.date.isEmpty())
                continue;
            ok = sink.Write(OhmRecordLine(df, no, slot), memory::OhmLine(who, no, slot, QString()));
        } else {
            const memory::BreakDownSlot& slot = report.breakDown.At(no);
            if (args.output.format != OutputFormat::Spreadsheet && slot.date == QLatin1String("0"))
                continue;
            ok = sink.Write(BreakDownRecordLine(df, no, slot), memory::BreakDownLine(who, no, slot, QString()));
        }
        if (!ok) {
            Error(QStringLiteral("cannot write %1: %2; %3 record(s) written")
                      .arg(sink.Name(), sink.Error())
                      .arg(sink.Records()));
            s.Release();
            return kFileError;
        }
    }
    const QString written = QStringLiteral("%1 record(s) written to %2").arg(sink.Records()).arg(sink.Name());
    if (report.cutOff) {
        Error(QStringLiteral("the read-out of the %1 was cut off; %2").arg(name, written));
        return kConnectionLost;
    }
    s.Release();
    Info(written);
    return kDone;
}

int MemoryEraseCommand(MemoryKind kind)
{
    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    class Silent : public ReadOutListener {
        void Listing(const QStringList&, bool) override {}
        void RangeWanted(int) override {}
        void RangeRefused() override {}
    } silent;
    MemoryReadOut readOut(s.Meter(), s.Runner(), silent);
    bool erased = false;
    s.Runner().Start([&] {
        s.Meter().SetRemoteMode(protocol::kModeSpecial);
        erased = readOut.Erase(kind);
    });
    if (!erased)
        return kConnectionLost;
    s.Release();
    Info(QStringLiteral("the %1 was erased").arg(KindName(kind)));
    return kDone;
}

int SetupCommand(const SetupArgs& args)
{
    Session s;
    if (const int rc = s.Open(); rc != kDone)
        return rc;
    if (!s.Report().setup) {
        Error(QStringLiteral("the KRX 738 did not send its setup; nothing was changed"));
        return kConnectionLost;
    }
    SetupChoice choice = ChoiceFrom(s.Report().setup);
    Apply(choice, args.voltage);
    if (args.automatic)
        choice.voltageFunction = *args.automatic ? 1 : 0;
    if (args.display)
        choice.displayMode = *args.display;
    if (args.calculation)
        choice.calculation = *args.calculation;

    int failed = 0;
    std::optional<MeasuringSetup> setup;
    std::optional<Timers> timers;
    s.Runner().Start([&] {
        auto check = [&](const Status& st) {
            if (!st && !failed)
                failed = st.error().code ? st.error().code : -1;
        };
        if (args.voltage || args.automatic || args.display || args.calculation)
            check(s.Meter().WriteMeasuringSetup(choice));
        if (args.timer)
            check(s.Meter().WriteMeasuringTimer(*args.timer));
        if (args.breakDownTimer || args.breakOffTimer) {
            const Result<Timers> now = s.Meter().ReadTimers();
            if (!now)
                check(Status(now.error()));
            else
                check(s.Meter().WriteBreakTimers(args.breakDownTimer.value_or(now->breakDown),
                                                 args.breakOffTimer.value_or(now->breakOff)));
        }
        if (const Result<MeasuringSetup> read = s.Meter().ReadMeasuringSetup())
            setup = *read;
        if (const Result<Timers> read = s.Meter().ReadTimers())
            timers = *read;
    });
    if (failed) {
        Error(QStringLiteral("the KRX 738 did not take the setup (%1)").arg(FailureText(failed)));
        return kConnectionLost;
    }
    if (!setup) {
        Error(QStringLiteral("the setup was written, but the KRX 738 did not send it back"));
        return kConnectionLost;
    }
    QTextStream out(stdout);
    PrintSetup(out, *setup, timers);
    out.flush();
    s.Release();
    return kDone;
}

}  // namespace krx::cli
