// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading back a trace file that a child process wrote.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace krx::test {

// The records of a trace file without their times ("<seconds> <record>" per line) and without
// the first line that names the meter; none when the file cannot be read.
inline QStringList TraceRecords(const QString& path)
{
    QFile f(path);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            out << QString::fromLatin1(line.mid(line.indexOf(' ') + 1));
    return out;
}

}  // namespace krx::test
