// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/output.h"

#include "core/csv_appender.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
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
}  // namespace

QString MessageStyle(QString text)
{
    // "The", "Unknown": a sentence's first word; "SQLite", "KRX": a name, kept.
    if (text.size() >= 2 && text[0].isUpper() && text[1].isLower())
        text[0] = text[0].toLower();
    if (text.endsWith(QLatin1Char('.')) && !text.endsWith(QLatin1String("..")))
        text.chop(1);
    return text;
}

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

void ClearProgressForRecord()
{
    // Only a terminal that also shows the records would have them run into the progress line;
    // the next Progress() draws it again below the record.
    if (!g_progressShown || !::isatty(STDOUT_FILENO))
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    g_progressShown = false;
}

void EndProgress()
{
    if (!g_progressShown)
        return;
    std::fputs("\n", stderr);
    g_progressShown = false;
}

void Print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

bool WriteOut(const QByteArray& bytes)
{
    const bool ok = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) ==
                    static_cast<size_t>(bytes.size());
    return std::fflush(stdout) == 0 && ok;
}

DataFormat DataFormatOf(OutputFormat f)
{
    return f == OutputFormat::Jsonl ? DataFormat::Jsonl : DataFormat::Csv;
}

bool OpenSink(RecordSink& sink, const Output& o, const QByteArray& dataHeader, const QString& sheetHeader)
{
    if (sink.Open(o.format, o.file, dataHeader, sheetHeader))
        return true;
    Error(QCoreApplication::translate("cli", "cannot write %1: %2").arg(o.file.isEmpty() ? QCoreApplication::translate("cli", "standard output") : o.file,
                                                     sink.Error()));
    return false;
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
            error_ = r.error.isEmpty() ? QCoreApplication::translate("cli", "the line could not be written") : r.error;
            return false;
        }
    } else {
        const QByteArray bytes = format_ == OutputFormat::Spreadsheet ? EncodeLine(sheetLine) + "\r\n" : dataLine;
        if (fileName_.isEmpty())
            ClearProgressForRecord();
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

QString TextTable(const QList<QStringList>& rows)
{
    QList<qsizetype> widths;
    for (const QStringList& r : rows)
        for (qsizetype i = 0; i < r.size(); ++i) {
            if (widths.size() <= i)
                widths << 0;
            widths[i] = std::max(widths[i], r[i].size());
        }
    QString out;
    for (const QStringList& r : rows) {
        QStringList cells;
        for (qsizetype i = 0; i < r.size(); ++i)
            cells << (i + 1 < r.size() ? r[i].leftJustified(widths[i]) : r[i]);
        out += cells.join(QStringLiteral("  ")) + QLatin1Char('\n');
    }
    return out;
}

}  // namespace krx::cli
