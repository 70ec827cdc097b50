// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the command-line tool shares between its commands: exit codes, messages on standard error,
// the person's decisions taken from the arguments, the output of records and the interrupt.

#include "core/dialogs.h"
#include "core/data_dialect.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

namespace krx::cli {

// Documented in --help and the man page; scripts rely on them.
enum Exit {
    kDone = 0,
    kUsage = 1,
    kNoMeter = 2,
    kNoAccess = 3,        // no permission, or another krx738-cli holds the meter
    kConnectionLost = 4,
    kFileError = 5,
    kNotMeasured = 6,     // the meter answered but did not measure (no stable measuring voltage)
    kHistoryError = 7,    // the test history cannot be used; a measurement's test was kept in the outbox or lost
};

// Messages go to standard error; --quiet keeps the informational ones back, never the errors.
void SetQuiet(bool quiet);
bool Quiet();
void Error(const QString& text);
void Info(const QString& text);
// A progress line that rewrites itself; only when standard error is a terminal and not --quiet.
void Progress(const QString& text);
void EndProgress();

// The procedures' boxes as lines on standard error. Decisions were made by the arguments before
// the procedure started, so every question is answered with OK and no file is asked for.
class CliDialogs : public Dialogs {
public:
    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
    // While muted the boxes are not shown: the command says it in its own words.
    void SetMuted(bool muted) { muted_ = muted; }

private:
    std::atomic<bool> muted_{false};
};

enum class OutputFormat { Csv, Jsonl, Spreadsheet };

// Where the records go: standard output or --output FILE, in one of the three formats. Every
// record is handed to the system as soon as it is written.
class RecordSink {
public:
    // Checked before anything is sent to the meter. csv and jsonl create or empty the file;
    // the spreadsheet dialect appends, with its header only when the file is new.
    bool Open(OutputFormat format, const QString& fileName, const QByteArray& dataHeader, const QString& sheetHeader);
    bool Write(const QByteArray& dataLine, const QString& sheetLine);
    // A closing line of the data dialect after the records (not counted as one).
    bool WriteTrailer(const QByteArray& dataLine);
    OutputFormat Format() const { return format_; }
    QString Error() const { return error_; }
    QString Name() const { return fileName_.isEmpty() ? QStringLiteral("standard output") : fileName_; }
    qint64 Records() const { return records_; }

private:
    OutputFormat format_ = OutputFormat::Csv;
    QString fileName_;
    QString sheetHeader_;
    LineWriter writer_;
    QString error_;
    qint64 records_ = 0;
};

// SIGINT and SIGTERM, taken by a thread of their own. A command that can end early (the
// measurement) installs a handler; the first signal calls it, a second one ends the process.
// Without a handler the first signal ends the process.
class Interrupt {
public:
    static Interrupt& Instance();
    // Blocks the signals in the calling thread (call first, so that every thread inherits it) and
    // starts the thread that waits for them.
    void Install();
    // A signal came before the handler was set.
    bool Requested();
    // Returns false (and installs nothing) when a signal has already come.
    bool SetHandler(std::function<void()> handler);
    void ClearHandler();
    // Ends the process on the first signal, as a command without a handler does.
    void SetEndsProcess(bool ends);

private:
    void Wait();
    std::mutex mutex_;
    std::function<void()> handler_;
    bool requested_ = false;
    bool endsProcess_ = true;
};

}  // namespace krx::cli
