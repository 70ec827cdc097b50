// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/csv_appender.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <sys/file.h>

namespace krx {

namespace {
qint64 g_write_limit = -1;
// Characters of the lines written in the current save that the code page does not hold.
QStringList g_replaced;

qint64 WriteAll(QFile& file, const QByteArray& bytes)
{
    const qint64 n = g_write_limit >= 0 ? std::min<qint64>(g_write_limit, bytes.size()) : bytes.size();
    const qint64 written = file.write(bytes.constData(), n);
    if (!file.flush())
        return -1;
    return written;
}

// Writes one line at the end; on a short write restores the previous length.
bool AppendWhole(QFile& file, const QByteArray& line)
{
    const qint64 before = file.size();
    if (!file.seek(before))
        return false;
    const qint64 written = WriteAll(file, line);
    if (written == line.size())
        return true;
    file.resize(before);
    return false;
}
}  // namespace

QByteArray EncodeLine(const QString& line, QStringList* replaced)
{
    QStringEncoder enc("windows-1252", QStringEncoder::Flag::Stateless);
    if (!enc.isValid())
        return line.toLatin1();
    QByteArray out = enc.encode(line);
    if (!enc.hasError())
        return out;
    // Characters outside the code page become "?" one by one, so nothing else shifts; a character
    // beyond the first 65536 (two UTF-16 units) is one character and one "?" as well.
    out.clear();
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype units =
            line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString c = line.mid(i, units);
        i += units;
        QStringEncoder one("windows-1252", QStringEncoder::Flag::Stateless);
        const QByteArray b = one.encode(c);
        if (!one.hasError() && !b.isEmpty()) {
            out += b;
            continue;
        }
        out += '?';
        if (replaced && !replaced->contains(c))
            replaced->append(c);
    }
    return out;
}

QString CsvField(const QString& text)
{
    const bool plain = !text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
                       !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
    if (plain)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString TakeReplacementNote()
{
    if (g_replaced.isEmpty())
        return QString();
    const QString note = QCoreApplication::translate("Export", "These characters are not in the file's character set "
                                                               "(Windows-1252) and were written as \"?\": %1")
                             .arg(g_replaced.join(QLatin1Char(' ')));
    g_replaced.clear();
    return note;
}

QString SaveSuccessText()
{
    const QString note = TakeReplacementNote();
    const QString saved = QCoreApplication::translate("Export", "Save successfully!");
    return note.isEmpty() ? saved : saved + QStringLiteral("\n\n") + note;
}

void ForgetReplacements()
{
    g_replaced.clear();
}

AppendResult AppendCsvLine(const QString& fileName, const QString& header, const QString& record)
{
    AppendResult r;
    QFile file(fileName);
    r.created = !QFileInfo::exists(fileName);
    if (r.created) {
        // Unbuffered: bytes a failed write could not store must not stay in a buffer that close()
        // would write after the cut-back.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            g_replaced.clear();
            r.status = AppendResult::CannotCreate;
            r.error = file.errorString();
            return r;
        }
        if (!AppendWhole(file, EncodeLine(header) + "\r\n")) {
            g_replaced.clear();
            r.status = AppendResult::HeaderShort;
            r.error = file.errorString();
            file.close();
            // A file that holds not even its header is no file of ours: take it away again, so
            // that the next save starts it properly.
            QFile::remove(fileName);
            return r;
        }
        file.close();
    }
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        g_replaced.clear();
        r.status = AppendResult::CannotOpen;
        r.error = file.errorString();
        return r;
    }
    // Exclusive access while we append: another program of ours (or one that locks as well) that
    // is writing the same file must not interleave its bytes with this line.
    if (flock(file.handle(), LOCK_EX | LOCK_NB) != 0) {
        g_replaced.clear();
        r.status = AppendResult::CannotOpen;
        r.error = QStringLiteral("The file is in use by another program.");
        return r;
    }
    // Only what reached the file counts; a save that failed says so instead of succeeding.
    QStringList replaced;
    if (AppendWhole(file, EncodeLine(record, &replaced) + "\r\n")) {
        for (const QString& c : replaced)
            if (!g_replaced.contains(c))
                g_replaced.append(c);
    } else {
        g_replaced.clear();
        r.status = AppendResult::RecordShort;
        r.error = file.errorString();
    }
    file.close();
    return r;
}

void SetWriteLimitForTesting(qint64 bytes)
{
    g_write_limit = bytes;
}

}  // namespace krx
