// SPDX-License-Identifier: GPL-3.0-or-later
// The recording file of a cycle: names, a folder that cannot be used, a disk that fills up and a
// process that is killed mid-run. The faults are made for real (a file size limit, a full disk,
// SIGKILL) in forked children, each with an alarm as its watchdog.
#include "sim_fixture.h"

#include "core/measurement_cycle.h"
#include "core/procedure_runner.h"
#include "core/recording.h"
#include "syscall_faults.h"
#include "core/recording_reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace krx;

namespace {

struct Collect : CycleListener, RecordListener {
    void TimerStarted(int) override {}
    void WaitHint(bool) override {}
    void MeasuringStarted() override {}
    void PassStarted(int) override {}
    void Iteration(const CycleIteration& pass) override
    {
        ++passes;
        // Free running: the reading is in the series before the face hears of the pass.
        if (series && series->Size() != static_cast<size_t>(passes))
            ++lagging;
        if (pass.counter >= stopAt && cycle)
            cycle->RequestBreak();
    }
    void RestTime(int) override {}
    void TimerFinished() override {}
    void Recorded(const DataRecord&, const CycleIteration&) override
    {
        ++recorded;
        if (reportTo >= 0) {
            const std::string n = std::to_string(recorded) + "\n";
            (void)!::write(reportTo, n.data(), n.size());
        }
    }
    void RecordingProblem(const QString& message) override { problems << message; }

    int passes = 0, recorded = 0, stopAt = 1 << 30, reportTo = -1, lagging = 0;
    MeasurementCycle* cycle = nullptr;
    const ReadingSeries* series = nullptr;
    QStringList problems;
};

// A free-running cycle of `count` readings through the recorder into `folder`.
struct Recorded {
    Recorded(const QString& folder, int count, int reportTo = -1, std::int32_t intervalMs = 1000)
    {
        events.stopAt = count;
        events.reportTo = reportTo;
        events.cycle = &cycle;
        events.series = &series;
        meter.Connect();
        RecordingPlan plan;
        plan.folder = folder;
        plan.serial = QStringLiteral("A 1/2");
        plan.started = QDateTime(QDate(2026, 3, 7), QTime(9, 5, 12));
        recorder.Begin(plan);
        recorder.Watch(&cycle);
        cycle.Arm();
        CycleOptions o;
        o.samplingTimeMs = intervalMs;
        const unsigned outer = ::alarm(60);  // watchdog, unless a child's own is running
        result = cycle.Run(o);
        ::alarm(outer);
        recorder.Finish();
    }
    MeterCommands meter;
    ConsoleDialogs person;
    ProcedureRunner runner{ProcedureRunner::Mode::Inline, person};
    Collect events;
    ReadingSeries series;
    CycleRecorder recorder{events, series, &events};
    MeasurementCycle cycle{meter, runner, recorder};
    CycleResult result;
};

// A child's word to its parent: what it kept, the readings handed on and the problems it said.
void TellParent(int fd, qint64 kept, const Recorded& r)
{
    const QByteArray said = QByteArray::number(kept) + '|' + QByteArray::number(r.events.recorded) + '|' +
                            r.events.problems.join(QLatin1Char('#')).toUtf8();
    (void)!::write(fd, said.constData(), static_cast<size_t>(said.size()));
}

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The reading lines of a recording, after checking that each is complete and, as the simulated
// meter made it, marked so in its last column.
int CompleteReadings(const QByteArray& all)
{
    EXPECT_TRUE(all.isEmpty() || all.endsWith('\n')) << "the file ends inside a line";
    const QList<QByteArray> lines = all.left(all.size() - 1).split('\n');
    EXPECT_EQ(lines.front(), "time,elapsed_s,resistance_ohm,range,voltage_v,temperature_c,humidity_pct,stable,rest_s,"
                             "simulated");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split(',');
        EXPECT_EQ(f.size(), 10) << lines[i].constData();
        EXPECT_EQ(f.value(3), "ok") << lines[i].constData();
        EXPECT_EQ(f.value(9), "1") << lines[i].constData();
    }
    return static_cast<int>(lines.size() - 1);
}

struct Child {
    pid_t pid = -1;
    int status = 0;
    std::string said;  // what it wrote to the pipe
};

// Runs `body` in a child that an alarm ends after `watchdogS` seconds; its pipe is `fd` there.
Child Fork(const std::function<void(int fd)>& body, unsigned watchdogS = 20)
{
    std::fflush(nullptr);
    int fds[2];
    Child c;
    if (::pipe(fds) != 0)
        return c;
    c.pid = ::fork();
    if (c.pid == 0) {
        ::close(fds[0]);
        ::alarm(watchdogS);
        body(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        c.said.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    ::waitpid(c.pid, &c.status, 0);
    return c;
}

}  // namespace

TEST(Recording, OneFilePerCycleNamedBySerialAndStartNeverOverwritten)
{
    EXPECT_EQ(RecordingFileName(QStringLiteral(" 123456 "), QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58))),
              QStringLiteral("KRX738_123456_20261231-235958.csv"));
    EXPECT_EQ(RecordingFileName(QStringLiteral("A 1/2"), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))),
              QStringLiteral("KRX738_A_1_2_20260102-030405.csv"));
    EXPECT_EQ(RecordingFileName(QString(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))),
              QStringLiteral("KRX738_unknown_20260102-030405.csv"));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("new/recordings"));  // made when missing
    for (int cycle = 1; cycle <= 3; ++cycle) {
        test::SimSetup t;
        Recorded r(folder, cycle);
        EXPECT_TRUE(r.events.problems.isEmpty()) << r.events.problems.join(' ').toStdString();
        EXPECT_EQ(r.recorder.File().Readings(), cycle);
        EXPECT_EQ(r.events.lagging, 0);
    }
    const QString base = QStringLiteral("KRX738_A_1_2_20260307-090512");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              (QStringList{base + "-2.csv", base + "-3.csv", base + ".csv"}));
    EXPECT_EQ(CompleteReadings(ReadAll(folder + "/" + base + ".csv")), 1);
    EXPECT_EQ(CompleteReadings(ReadAll(folder + "/" + base + "-3.csv")), 3);

    // A cycle without a reading leaves no file.
    sim::Scenario never = sim::Scenario::Default();
    never.stabiliseSeconds = 1e9;
    test::SimSetup t(never);
    Recorded none(dir.filePath(QStringLiteral("empty")), 5);
    EXPECT_EQ(none.result.outcome, CycleOutcome::NoStableVoltage);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("empty"))));
}

TEST(Recording, AFolderThatCannotBeUsedIsSaidOnceAndTheCycleGoesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Open to others, so that only the folders below it stand in the way.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                      QFileDevice::ExeOther));
    QFile blocker(dir.filePath(QStringLiteral("a-file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString notCreatable = blocker.fileName() + QStringLiteral("/recordings");
    const QString readOnly = dir.filePath(QStringLiteral("read-only"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                    QFileDevice::ExeOther));

    for (const QString& folder : {notCreatable, readOnly, QString()}) {
        // Root writes anywhere: the child gives up root first, as a user at the bench has none.
        const Child c = Fork([&](int fd) {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                ::_exit(3);
            test::SimSetup t;
            Recorded r(folder, 4);
            TellParent(fd, r.series.Size(), r);
        });
        ASSERT_TRUE(WIFEXITED(c.status) && WEXITSTATUS(c.status) == 0) << c.status;
        const QStringList parts = QString::fromStdString(c.said).split(QLatin1Char('|'));
        ASSERT_EQ(parts.size(), 3) << c.said;
        EXPECT_EQ(parts[0], QStringLiteral("4")) << "every reading in the series";
        EXPECT_EQ(parts[1], QStringLiteral("4")) << "every reading handed on";
        EXPECT_FALSE(parts[2].contains(QLatin1Char('#'))) << "said more than once: " << c.said;
        EXPECT_TRUE(parts[2].startsWith(QLatin1String("The recording folder"))) << c.said;
        EXPECT_TRUE(parts[2].contains(QLatin1String("The measurement goes on without a recording file."))) << c.said;
        if (!folder.isEmpty()) {
            EXPECT_TRUE(parts[2].contains(QDir::toNativeSeparators(folder))) << c.said;
        }
    }
    EXPECT_TRUE(QDir(readOnly).entryList(QDir::Files).isEmpty());
}

// The file may not grow beyond the limit (a file size limit: EFBIG; a disk that is really full:
// ENOSPC after a short write): the line that crosses it is cut off again, every line before it
// stays, the message counts them and the cycle reads on.
TEST(Recording, AFullDiskKeepsEveryCompleteLine)
{
    const qsizetype header = ReadingHeader(DataFormat::Csv).size();
    for (const bool diskFull : {false, true})
    for (const int keep : {0, 1, 37}) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const Child c = Fork([&](int fd) {
            std::signal(SIGXFSZ, SIG_IGN);
            sim::Scenario s = sim::Scenario::Default();
            s.r0 = s.rInf = 1.23e6;
            test::SimSetup t(s);
            DataRecord sample = RecordFromPass(CycleIteration{}, 0.0);
            sample.time = QDateTime::currentDateTime();
            sample.elapsedSeconds = 10.0;
            sample.resistanceOhm = 1.23e6;
            sample.volts = 500;
            sample.temperature = 22.5;
            sample.humidity = 45;
            sample.stable = true;
            const qsizetype lineSize = ReadingLine(DataFormat::Csv, sample).size();
            // Half a line past the kept ones; the lines of the steady meter differ by a byte or so.
            const rlim_t limit = static_cast<rlim_t>(header + keep * lineSize + lineSize / 2);
            const rlimit rl{limit, limit};
            std::optional<test::DiskFull> disk;
            if (diskFull)
                disk.emplace(dir.path(), static_cast<long long>(limit));
            else
                ::setrlimit(RLIMIT_FSIZE, &rl);
            Recorded r(dir.path(), keep + 5);
            TellParent(fd, r.recorder.File().Readings(), r);
        });
        ASSERT_TRUE(WIFEXITED(c.status) && WEXITSTATUS(c.status) == 0) << c.status;
        const QStringList parts = QString::fromStdString(c.said).split(QLatin1Char('|'));
        ASSERT_EQ(parts.size(), 3) << c.said;
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1);
        const QByteArray all = ReadAll(dir.filePath(files[0]));
        const int lines = CompleteReadings(all);
        EXPECT_NEAR(lines, keep, 1) << "the limit falls within a line or so of " << keep;
        EXPECT_EQ(parts[0].toInt(), lines);
        EXPECT_EQ(parts[1].toInt(), keep + 5) << "the cycle went on";
        EXPECT_TRUE(parts[2].contains(QStringLiteral("%1 readings were kept").arg(lines))) << c.said;
        EXPECT_TRUE(parts[2].contains(QLatin1String("the disk is full"))) << c.said;
        EXPECT_TRUE(parts[2].contains(QString::fromLocal8Bit(std::strerror(diskFull ? ENOSPC : EFBIG)))) << c.said;
        EXPECT_FALSE(parts[2].contains(QLatin1Char('#'))) << c.said;
    }
}

// A child records on the real clock and says each reading as it is kept; killed mid-run, its
// file holds every reading it said, each line whole.
TEST(Recording, SurvivesAKillMidRun)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::fflush(nullptr);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(30);
        sim::Scenario s = sim::Scenario::Default();
        s.stabiliseSeconds = 0.05;
        auto backend = std::make_unique<sim::SimBackend>(s);
        SetUsbBackend(std::move(backend));
        Recorded r(dir.path(), 1 << 30, fds[1], 5);
        ::_exit(0);
    }
    ::close(fds[1]);
    // Watchdog: the readings must come within the deadline.
    std::string said;
    int reported = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (reported < 15 && std::chrono::steady_clock::now() < deadline) {
        char buf[256];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        said.append(buf, static_cast<size_t>(n));
        const auto end = said.rfind('\n');
        if (end != std::string::npos) {
            const auto begin = said.rfind('\n', end - 1);
            reported = std::stoi(said.substr(begin == std::string::npos ? 0 : begin + 1));
        }
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    ASSERT_GE(reported, 15);
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const int lines = CompleteReadings(ReadAll(dir.filePath(files[0])));
    // The line goes out before the reading is said; one more may have followed.
    EXPECT_GE(lines, reported);
    EXPECT_LE(lines, reported + 3);
}

TEST(Recording, ExportCopiesWholeOrNotAtAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString from = dir.filePath(QStringLiteral("rec.csv"));
    QByteArray content = ReadingHeader(DataFormat::Csv);
    for (int i = 0; i < 5000; ++i)  // larger than one copy buffer
        content += "2026-03-07T09:05:12.345+01:00,1.000,1230000,ok,500,22.5,45,1,\n";
    {
        QFile f(from);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QString error;
    const QString to = dir.filePath(QStringLiteral("copy.csv"));
    ASSERT_TRUE(CopyRecording(from, to, &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(to), content);

    // A missing source and an unwritable place: false with a reason, the old copy untouched, no
    // temporary file left behind.
    {
        QFile f(to);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old\n");
    }
    error.clear();
    EXPECT_FALSE(CopyRecording(dir.filePath(QStringLiteral("missing.csv")), to, &error));
    EXPECT_TRUE(error.contains(QLatin1String("cannot read"))) << error.toStdString();
    EXPECT_EQ(ReadAll(to), "old\n");
    error.clear();
    EXPECT_FALSE(CopyRecording(from, from + QStringLiteral("/below-a-file.csv"), &error));
    EXPECT_TRUE(error.contains(QLatin1String("cannot write"))) << error.toStdString();

    // A disk that fills during the copy: the target keeps its old content.
    const Child c = Fork([&](int fd) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        QString e;
        const QByteArray said = CopyRecording(from, to, &e) ? QByteArray("copied") : e.toUtf8();
        (void)!::write(fd, said.constData(), static_cast<size_t>(said.size()));
    });
    EXPECT_TRUE(QString::fromStdString(c.said).startsWith(QLatin1String("cannot write"))) << c.said;
    EXPECT_EQ(ReadAll(to), "old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "a temporary file was left";

    // The copy reaches the disk before it takes the name: a failed fsync fails the export.
    {
        const test::FsyncFails fsync(dir.path());
        error.clear();
        EXPECT_FALSE(CopyRecording(from, to, &error));
        EXPECT_EQ(fsync.Calls(), 1);
        EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(EIO)))) << error.toStdString();
    }
    EXPECT_EQ(ReadAll(to), "old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "a temporary file was left";
}

TEST(RecordingReader, ReadsWhatTheRecorderWritesAndRefusesOtherFilesWithTheLine)
{
    DataRecord r;
    r.time = QDateTime::fromMSecsSinceEpoch(1600000000000);
    r.elapsedSeconds = 3.4;
    r.resistanceOhm = 1.5e9;
    r.volts = 500;
    r.temperature = 21.5;
    r.humidity = 40;
    r.stable = true;
    r.restSeconds = 0;
    r.restSeconds = 17;
    DataRecord over = r;
    over.time = r.time.addMSecs(1250);
    over.elapsedSeconds = 4.4;
    over.range = RangeState::Over;
    over.resistanceOhm = 0;
    over.volts = 498;
    over.temperature = 21.7;
    over.humidity = 43;
    over.stable = false;
    over.restSeconds.reset();
    const QByteArray header = ReadingHeader(DataFormat::Csv);
    const QByteArray good = header + ReadingLine(DataFormat::Csv, r) + ReadingLine(DataFormat::Csv, over);
    std::vector<DataRecord> back;
    QString error;
    ASSERT_TRUE(ParseRecording(good, back, &error)) << error.toStdString();
    ASSERT_EQ(back.size(), 2u);
    // Every field of each reading, each with a value of its own.
    for (size_t i = 0; i < 2; ++i) {
        const DataRecord& want = i ? over : r;
        EXPECT_EQ(back[i].time, want.time) << i;
        EXPECT_EQ(back[i].elapsedSeconds, want.elapsedSeconds) << i;
        EXPECT_EQ(back[i].resistanceOhm, want.resistanceOhm) << i;
        EXPECT_EQ(back[i].range, want.range) << i;
        EXPECT_EQ(back[i].volts, want.volts) << i;
        EXPECT_EQ(back[i].temperature, want.temperature) << i;
        EXPECT_EQ(back[i].humidity, want.humidity) << i;
        EXPECT_EQ(back[i].stable, want.stable) << i;
        EXPECT_EQ(back[i].restSeconds, want.restSeconds) << i;
        EXPECT_FALSE(back[i].step) << i;
    }

    // Two readings at the same elapsed time do not go back in time.
    ASSERT_TRUE(ParseRecording(header + ReadingLine(DataFormat::Csv, r) + ReadingLine(DataFormat::Csv, r), back, &error))
        << error.toStdString();
    EXPECT_EQ(back.size(), 2u);

    DataRecord stepped = r;
    stepped.step = 2;
    const QByteArray stepHeader = ReadingHeader(DataFormat::Csv, true);
    ASSERT_TRUE(ParseRecording(stepHeader + ReadingLine(DataFormat::Csv, stepped), back, &error)) << error.toStdString();
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].step, 2);

    // The simulated meter's mark, after the step column, comes back on every reading.
    DataRecord marked = r;
    marked.simulated = true;
    DataRecord markedStep = stepped;
    markedStep.simulated = true;
    const QByteArray simHeader = ReadingHeader(DataFormat::Csv, false, true);
    const QByteArray simStepHeader = ReadingHeader(DataFormat::Csv, true, true);
    ASSERT_TRUE(ParseRecording(simStepHeader + ReadingLine(DataFormat::Csv, markedStep), back, &error));
    EXPECT_TRUE(back.at(0).simulated && back.at(0).step == 2 && AnySimulated(back));
    EXPECT_EQ(simStepHeader, stepHeader.trimmed() + ",simulated\n");
    EXPECT_FALSE(AnySimulated({r}));

    const struct {
        QByteArray text;
        const char* error;
    } bad[] = {
        {"time,elapsed\n", "line 1: not the header"},
        {header, "line 1: the recording holds no reading"},
        {good.left(good.size() - 1), "line 3: cut off"},
        {good.left(good.size() - 9), "line 3: cut off"},
        {header + ReadingLine(DataFormat::Csv, r) + "1,2,3\n", "line 3: not a reading"},
        {header + ReadingLine(DataFormat::Csv, over) + ReadingLine(DataFormat::Csv, r), "line 3: goes back in time"},
        // The step-voltage test's tenth column: in every line of its recordings, in none of the others.
        {header + ReadingLine(DataFormat::Csv, stepped), "line 2: not a reading"},
        {stepHeader + ReadingLine(DataFormat::Csv, r), "line 2: not a reading"},
        {stepHeader + ReadingLine(DataFormat::Csv, stepped).replace(",2\n", ",0\n"), "line 2: not a reading"},
        // The mark: in every line of a marked recording, in none of a real meter's, and only as 1.
        {simHeader + ReadingLine(DataFormat::Csv, r), "line 2: not a reading"},
        {header + ReadingLine(DataFormat::Csv, marked), "line 2: not a reading"},
        {simHeader + ReadingLine(DataFormat::Csv, marked).replace(",1\n", ",0\n"), "line 2: not a reading"},
        {simStepHeader + ReadingLine(DataFormat::Csv, marked), "line 2: not a reading"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(ParseRecording(c.text, back, &error)) << c.error;
        EXPECT_TRUE(error.startsWith(QLatin1String(c.error))) << error.toStdString();
    }
}
