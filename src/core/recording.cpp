// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording.h"

#include "device/backend.h"
#include "device/clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krx {

namespace {

// Enough for any number of cycles started within one second.
constexpr int kMaxSameSecond = 999;

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool WriteAll(int fd, const char* p, qint64 n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, static_cast<size_t>(n));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            if (w == 0)
                errno = ENOSPC;
            return false;
        }
        p += w;
        n -= w;
    }
    return true;
}

// Copies everything of `in` to `out`; false with errno set.
bool CopyData(int in, int out)
{
    char buf[64 * 1024];
    for (;;) {
        const ssize_t r = ::read(in, buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return false;
        if (r == 0)
            return true;
        if (!WriteAll(out, buf, r))
            return false;
    }
}

}  // namespace

DataRecord RecordFromPass(const CycleIteration& pass, double elapsedSeconds)
{
    DataRecord r;
    r.time = pass.at;
    r.elapsedSeconds = elapsedSeconds;
    r.range = pass.value.range;
    r.resistanceOhm = pass.value.value.value;
    r.volts = pass.volts;
    r.temperature = pass.value.temperature;
    r.humidity = pass.value.humidity;
    r.stable = pass.stable;
    if (pass.step > 0)
        r.step = pass.step;
    return r;
}

QString RecordingFileName(const QString& serial, const QDateTime& started)
{
    QString s = serial.trimmed();
    for (QChar& c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    if (s.isEmpty())
        s = QStringLiteral("unknown");
    return QStringLiteral("KRX738_%1_%2.csv").arg(s, started.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

void Recording::Close()
{
    writer_.Close();
    fileName_.clear();
    message_.clear();
    open_ = false;
}

bool Recording::Open(const QString& folder, const QString& serial, const QDateTime& started, bool withStep,
                     bool simulated)
{
    Close();
    const QString cannot = QStringLiteral("The recording folder %1 cannot be written (%2). The measurement goes on "
                                          "without a recording file.");
    if (folder.isEmpty()) {
        message_ = cannot.arg(QStringLiteral("\"\""), QStringLiteral("no folder is set"));
        return false;
    }
    if (!QDir().mkpath(folder)) {
        message_ = cannot.arg(QDir::toNativeSeparators(folder), QStringLiteral("it cannot be created"));
        return false;
    }
    const QString base = QDir(folder).filePath(RecordingFileName(serial, started));
    for (int n = 1; n <= kMaxSameSecond; ++n) {
        const QString name = n == 1 ? base : base.left(base.size() - 4) + QStringLiteral("-%1.csv").arg(n);
        writer_.Close();
        if (writer_.CreateNew(name)) {
            fileName_ = name;
            break;
        }
        if (writer_.ErrorNumber() != EEXIST) {
            message_ = cannot.arg(QDir::toNativeSeparators(folder), writer_.Error());
            return false;
        }
    }
    if (fileName_.isEmpty()) {
        message_ = cannot.arg(QDir::toNativeSeparators(folder), QStringLiteral("too many recordings in this second"));
        return false;
    }
    if (!writer_.Write(ReadingHeader(DataFormat::Csv, withStep, simulated))) {
        message_ = QStringLiteral("The recording %1 could not be started (%2). The measurement goes on without a "
                                  "recording file.")
                       .arg(QDir::toNativeSeparators(fileName_), writer_.Error());
        return false;
    }
    open_ = true;
    return true;
}

qint64 Recording::Readings() const
{
    return std::max<qint64>(0, writer_.LinesWritten() - 1);
}

bool Recording::Append(const DataRecord& record)
{
    if (!open_ || Failed())
        return false;
    if (writer_.Write(ReadingLine(DataFormat::Csv, record)))
        return true;
    const int e = writer_.ErrorNumber();
    const QString why = e == ENOSPC || e == EFBIG || e == EDQUOT ? QStringLiteral("the disk is full (%1)").arg(writer_.Error())
                                                                  : writer_.Error();
    message_ = QStringLiteral("The recording %1 stopped: %2. %3 readings were kept in it; the measurement goes on.")
                   .arg(QDir::toNativeSeparators(fileName_), why)
                   .arg(Readings());
    return false;
}

bool CopyRecording(const QString& from, const QString& to, QString* error)
{
    auto fail = [&](const QString& what, int e) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(what, SystemText(e));
        return false;
    };
    if (QFileInfo(from).canonicalFilePath() == QFileInfo(to).canonicalFilePath() && QFileInfo::exists(to))
        return true;
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(from)), errno);
    QByteArray tmp = QFile::encodeName(to) + ".XXXXXX";
    const int out = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return fail(QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(to)), e);
    }
    bool ok = CopyData(in, out) && ::fchmod(out, 0644) == 0 && ::fsync(out) == 0;
    int e = errno;
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        e = errno;
    }
    if (ok && ::rename(tmp.constData(), QFile::encodeName(to).constData()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(tmp.constData());
        return fail(QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(to)), e);
    }
    return true;
}

void CycleRecorder::Begin(const RecordingPlan& plan)
{
    plan_ = plan;
    if (!plan_.started.isValid())
        plan_.started = QDateTime::currentDateTime();
    series_.Clear();
    recording_.Close();
    problemSaid_ = false;
    simulated_ = TheUsbBackend().Simulated();
    pending_.reset();
    t0_ = CounterSeconds();
}

void CycleRecorder::VoltageApplied()
{
    t0_ = CounterSeconds();
    next_.VoltageApplied();
}

void CycleRecorder::TimerStarted(int seconds)
{
    // In timer mode the meter's own time runs from its start command.
    t0_ = CounterSeconds();
    next_.TimerStarted(seconds);
}

void CycleRecorder::Iteration(const CycleIteration& pass)
{
    // The pass that finds the meter's timer run out brings the old reading again, no new one.
    if (pass.fresh && pass.haveReading && !pass.timerFinished) {
        Keep();  // one still waiting for a rest time that never came
        pending_ = RecordFromPass(pass, CounterSeconds() - t0_);
        pending_->simulated = simulated_;
        pendingPass_ = pass;
        if (!plan_.timerMode)
            Keep();
    }
    next_.Iteration(pass);
}

void CycleRecorder::RestTime(int seconds)
{
    if (pending_) {
        // After Break the stops may have gone out before this read: its 0 is not the rest at the
        // reading, which is then not known.
        if (!cycle_ || cycle_->Running())
            pending_->restSeconds = seconds;
        Keep();
    }
    next_.RestTime(seconds);
}

void CycleRecorder::Finish()
{
    Keep();
}

void CycleRecorder::Keep()
{
    if (!pending_)
        return;
    const DataRecord r = *pending_;
    pending_.reset();
    series_.Append(r);
    if (plan_.enabled && !problemSaid_) {
        if (!recording_.IsOpen() && !recording_.Failed())
            recording_.Open(plan_.folder, plan_.serial, plan_.started, plan_.steps, simulated_);
        if (recording_.IsOpen())
            recording_.Append(r);
        if (recording_.Failed()) {
            problemSaid_ = true;
            if (records_)
                records_->RecordingProblem(recording_.Message());
        }
    }
    if (records_)
        records_->Recorded(r, pendingPass_);
}

}  // namespace krx
