// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include "core/csv_appender.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace krx::cli {

namespace {
bool g_quiet = false;
bool g_progressShown = false;

void Line(const QString& text)
{
    EndProgress();
    const QByteArray bytes = ("krx738-cli: " + text + '\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// "!! No device found !!" as "No device found".
QString PlainTitle(const QString& title)
{
    QString t = title;
    static const QRegularExpression marks(QStringLiteral("^[!\\s]+|[!\\s]+$"));
    return t.remove(marks);
}
}  // namespace

void SetQuiet(bool quiet)
{
    g_quiet = quiet;
}

bool Quiet()
{
    return g_quiet;
}

void Error(const QString& text)
{
    Line(text);
}

void Info(const QString& text)
{
    if (!g_quiet)
        Line(text);
}

void Progress(const QString& text)
{
    if (g_quiet || !::isatty(STDERR_FILENO))
        return;
    const QByteArray bytes = ("\r\033[K" + text).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
    g_progressShown = true;
}

void EndProgress()
{
    if (!g_progressShown)
        return;
    std::fputs("\n", stderr);
    g_progressShown = false;
}

Answer CliDialogs::Message(const QString& text, const QString& title, Buttons, Icon)
{
    if (!muted_) {
        const QString t = PlainTitle(title);
        Error(t.isEmpty() || t == QLatin1String("Error") ? text : t + QStringLiteral(": ") + text);
    }
    return Answer::Ok;
}

bool CliDialogs::InputQuery(const QString&, const QString&, QString&)
{
    return false;
}

bool CliDialogs::SaveFile(const SaveFileRequest&, QString&)
{
    return false;
}

void CliDialogs::ShowError(const QString& message)
{
    if (!muted_)
        Error(message);
}

bool RecordSink::Open(OutputFormat format, const QString& fileName, const QByteArray& dataHeader,
                      const QString& sheetHeader)
{
    format_ = format;
    fileName_ = fileName;
    sheetHeader_ = sheetHeader;
    if (format == OutputFormat::Spreadsheet && !fileName.isEmpty()) {
        // The appender writes the header when it creates the file, so the check must leave a new
        // file absent again.
        QFile f(fileName);
        const bool existed = QFileInfo::exists(fileName);
        if (!f.open(existed ? QIODevice::ReadWrite : QIODevice::WriteOnly | QIODevice::NewOnly)) {
            error_ = f.errorString();
            return false;
        }
        f.close();
        if (!existed)
            QFile::remove(fileName);
        return true;
    }
    if (fileName.isEmpty())
        writer_.UseStdout();
    else if (!writer_.Create(fileName)) {
        error_ = writer_.Error();
        return false;
    }
    const QByteArray header =
        format == OutputFormat::Spreadsheet ? EncodeLine(sheetHeader) + "\r\n" : dataHeader;
    if (!header.isEmpty() && !writer_.Write(header)) {
        error_ = writer_.Error();
        return false;
    }
    return true;
}

bool RecordSink::Write(const QByteArray& dataLine, const QString& sheetLine)
{
    if (!error_.isEmpty())
        return false;
    if (format_ == OutputFormat::Spreadsheet && !fileName_.isEmpty()) {
        const AppendResult r = AppendCsvLine(fileName_, sheetHeader_, sheetLine);
        if (r.status != AppendResult::Ok) {
            error_ = r.error.isEmpty() ? QStringLiteral("the line could not be written") : r.error;
            return false;
        }
    } else {
        const QByteArray bytes = format_ == OutputFormat::Spreadsheet ? EncodeLine(sheetLine) + "\r\n" : dataLine;
        if (!writer_.Write(bytes)) {
            error_ = writer_.Error();
            return false;
        }
    }
    ++records_;
    return true;
}

bool RecordSink::WriteTrailer(const QByteArray& dataLine)
{
    if (!error_.isEmpty() || format_ == OutputFormat::Spreadsheet)
        return false;
    if (!writer_.Write(dataLine)) {
        error_ = writer_.Error();
        return false;
    }
    return true;
}

Interrupt& Interrupt::Instance()
{
    static Interrupt instance;
    return instance;
}

void Interrupt::Install()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A reader that went away (a pipe into head) is a write error of the output, not a signal
    // that kills the process before the meter is stopped.
    std::signal(SIGPIPE, SIG_IGN);
    std::thread([this] { Wait(); }).detach();
}

void Interrupt::Wait()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    for (;;) {
        int sig = 0;
        if (sigwait(&set, &sig) != 0)
            continue;
        std::lock_guard lock(mutex_);
        if (requested_ || (endsProcess_ && !handler_)) {
            // The second signal, or one that nothing waits for: the conventional end.
            ::_exit(128 + sig);
        }
        requested_ = true;
        if (handler_)
            handler_();
    }
}

bool Interrupt::Requested()
{
    std::lock_guard lock(mutex_);
    return requested_;
}

bool Interrupt::SetHandler(std::function<void()> handler)
{
    std::lock_guard lock(mutex_);
    if (requested_)
        return false;
    handler_ = std::move(handler);
    return true;
}

void Interrupt::ClearHandler()
{
    std::lock_guard lock(mutex_);
    handler_ = nullptr;
}

void Interrupt::SetEndsProcess(bool ends)
{
    std::lock_guard lock(mutex_);
    endsProcess_ = ends;
}

}  // namespace krx::cli
