// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the commands' words go: messages on standard error, text and records on standard output
// or in a file, in one of the record formats.

#include "core/data_dialect.h"

#include <QCoreApplication>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace krx::cli {

// The tool's one style for a message taken from elsewhere (the history's sentences, the option
// parser's): it starts in lower case unless with a name ("SQLite", "KRX 738") and ends without a
// full stop, as the tool's own messages do.
QString MessageStyle(QString text);

// Messages go to standard error; --quiet keeps the informational ones back, never the errors.
void SetQuiet(bool quiet);
bool Quiet();
void Error(const QString& text);
void Info(const QString& text);
// A progress line that rewrites itself; only when standard error is a terminal and not --quiet.
void Progress(const QString& text);
void EndProgress();
// Clears a progress line before a record goes to the same terminal.
void ClearProgressForRecord();

// Text on standard output in the locale's encoding (help, version).
void Print(const QString& text);
// Rows as aligned columns, two spaces apart, the last column not padded.
QString TextTable(const QList<QStringList>& rows);
// Bytes on standard output, flushed; false when they could not all be written.
bool WriteOut(const QByteArray& bytes);

enum class OutputFormat { Csv, Jsonl, Spreadsheet };

// --format and --output as a command took them.
struct Output {
    OutputFormat format = OutputFormat::Csv;
    QString file;  // empty: standard output
};

DataFormat DataFormatOf(OutputFormat f);

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
    QString Name() const { return fileName_.isEmpty() ? QCoreApplication::translate("cli", "standard output") : fileName_; }
    qint64 Records() const { return records_; }

private:
    OutputFormat format_ = OutputFormat::Csv;
    QString fileName_;
    QString sheetHeader_;
    LineWriter writer_;
    QString error_;
    qint64 records_ = 0;
};

// Opens the sink for the output the person chose; false with the message said.
bool OpenSink(RecordSink& sink, const Output& o, const QByteArray& dataHeader, const QString& sheetHeader);

}  // namespace krx::cli
