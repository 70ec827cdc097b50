// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_fixture.h"

#include <QDeadlineTimer>
#include <QFile>

namespace krx::test {

bool StartCli(QProcess& p, const QStringList& args, const QProcessEnvironment& env)
{
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KRX_CLI), args);
    return p.waitForStarted(5000);
}

CliRun RunCli(const QStringList& args, int timeoutMs, const QProcessEnvironment& env)
{
    QProcess p;
    CliRun r;
    if (!StartCli(p, args, env))
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(2000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QByteArray ReadLines(QProcess& p, int lines, int timeoutMs)
{
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.count('\n') < lines && !deadline.hasExpired() && p.state() == QProcess::Running) {
        p.waitForReadyRead(200);
        out += p.readAllStandardOutput();
    }
    return out;
}

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> Lines(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList TraceRecords(const QString& file)
{
    QStringList out;
    for (const QByteArray& line : Lines(ReadAll(file)))
        if (!line.isEmpty() && !line.startsWith('#'))
            out << QString::fromLatin1(line.mid(line.indexOf(' ') + 1));
    return out;
}

QString WriteFile(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush())
        return {};
    return f.fileName();
}

}  // namespace krx::test
