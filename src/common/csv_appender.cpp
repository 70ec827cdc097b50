// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/csv_appender.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <sys/file.h>

namespace krx {

namespace {
qint64 g_write_limit = -1;

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

QByteArray EncodeLine(const QString& line)
{
    QStringEncoder enc("windows-1252", QStringEncoder::Flag::Stateless);
    if (!enc.isValid())
        return line.toLatin1();
    QByteArray out = enc.encode(line);
    if (enc.hasError()) {
        // Characters outside the code page become "?" one by one, so nothing else shifts.
        out.clear();
        for (const QChar c : line) {
            QStringEncoder one("windows-1252", QStringEncoder::Flag::Stateless);
            QByteArray b = one.encode(QString(c));
            out += one.hasError() || b.isEmpty() ? QByteArray("?") : b;
        }
    }
    return out;
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
            r.status = AppendResult::CannotCreate;
            r.error = file.errorString();
            return r;
        }
        if (!AppendWhole(file, EncodeLine(header) + "\r\n")) {
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
        r.status = AppendResult::CannotOpen;
        r.error = file.errorString();
        return r;
    }
    // Exclusive access while we append: another program of ours (or one that locks as well) that
    // is writing the same file must not interleave its bytes with this line.
    if (flock(file.handle(), LOCK_EX | LOCK_NB) != 0) {
        r.status = AppendResult::CannotOpen;
        r.error = QStringLiteral("The file is in use by another program.");
        return r;
    }
    if (!AppendWhole(file, EncodeLine(record) + "\r\n")) {
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
