// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// krx738-cli as the tests run it: a process of its own with a deadline, its output and the files
// it writes read back.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace krx::test {

struct CliRun {
    int exitCode = -1;  // -1 also when it crashed or did not start
    bool finished = false;
    QByteArray out, err;
};

// Runs the tool to its end; killed when it outlives the deadline (finished stays false).
CliRun RunCli(const QStringList& args, int timeoutMs = 15000,
              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
// Starts the tool without waiting for its end; false when it did not start.
bool StartCli(QProcess& p, const QStringList& args,
              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
// Standard output until it holds the lines asked for, the process ends or the deadline passes.
QByteArray ReadLines(QProcess& p, int lines, int timeoutMs);

QByteArray ReadAll(const QString& file);
// The lines of a text, without the empty one after the last newline.
QList<QByteArray> Lines(const QByteArray& text);
// A --trace file's records without their times ("<seconds> <record>" per line) and without the
// first line that names the meter.
QStringList TraceRecords(const QString& file);
// Writes the file (a scenario, say); its name, or empty when it cannot be written.
QString WriteFile(const QString& file, const QByteArray& bytes);

}  // namespace krx::test
