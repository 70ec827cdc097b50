// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data dialect for scripts (pandas, R, Octave, jq): UTF-8, "," separators, "." as decimal
// point whatever the locale, LF line ends, ISO 8601 times with their UTC offset; or the same
// fields as one JSON object per line. The spreadsheet files (Windows-1252, ";") are another
// dialect and stay as they are. Lines go out whole and at once, so that a crash or a kill keeps
// every complete line.

#include "device/commands.h"
#include "core/memory_format.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace krx {

enum class DataFormat { Csv, Jsonl };

// One live reading.
struct DataRecord {
    QDateTime time;
    double elapsedSeconds = 0.0;  // since the measurement was started
    RangeState range = RangeState::InRange;
    double resistanceOhm = 0.0;   // left out when over- or underflow
    int volts = 0;
    double temperature = 0.0;
    int humidity = 0;
    bool stable = false;
    std::optional<int> restSeconds;  // timer mode only
    std::optional<int> step;         // step-voltage test only: its tenth column
    bool simulated = false;          // from the simulated meter: the last column "simulated", 1
};

// Each function returns the line with its LF; the header of the JSON lines dialect is empty.
// `withStep`: the step-voltage test's tenth column "step". `simulated`: the readings come from
// the simulated meter, and every line says so in a last column "simulated" (1); a real meter's
// readings have no such column, so that their files stay as they always were.
QByteArray ReadingHeader(DataFormat format, bool withStep = false, bool simulated = false);
QByteArray ReadingLine(DataFormat format, const DataRecord& record);

// The stored memories' records in the same dialect, from the read-out's table slots.
QByteArray OhmRecordHeader(DataFormat format);
QByteArray OhmRecordLine(DataFormat format, int fileNo, const memory::OhmSlot& slot);
QByteArray BreakDownRecordHeader(DataFormat format);
QByteArray BreakDownRecordLine(DataFormat format, int fileNo, const memory::BreakDownSlot& slot);

// "ok", "over", "under".
const char* RangeName(RangeState range);
// A number as the dialect writes it: up to 15 significant digits, no exponent below 1e15,
// never a locale's separator.
QByteArray DataNumber(double value);
// A computed value to a precision that means something: `decimals` places after the point, or
// `digits` significant digits, then written as DataNumber writes it ("3.37", "6272000000").
QByteArray DataDecimals(double value, int decimals);
QByteArray DataDigits(double value, int digits);
// A value the meter sent as a few decimal characters and that was kept in single precision,
// back to those characters' double: 22.8f is 22.8, not 22.7999992370605.
double MeterDouble(float value);
// ISO 8601 with milliseconds and the UTC offset ("2026-03-07T09:05:12.345+01:00").
QByteArray DataTime(const QDateTime& time);

// Writes whole lines to a file descriptor, each handed to the system at once (no buffer of our
// own), so that a reader of the growing file never sees half a line. The first failure sticks.
class LineWriter {
public:
    LineWriter() = default;
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Closes a file of its own and forgets any failure: the writer can be used again.
    void Close();
    // Standard output (not closed at the end).
    void UseStdout();
    // Creates or empties the file. False with Error() set when it cannot be written.
    bool Create(const QString& fileName);
    // Creates the file only when there is none of that name; an existing one gives EEXIST.
    bool CreateNew(const QString& fileName);
    bool Write(const QByteArray& line);
    bool Failed() const { return !error_.isEmpty(); }
    QString Error() const { return error_; }
    int ErrorNumber() const { return errno_; }  // of the first failure, 0 without one
    qint64 LinesWritten() const { return lines_; }

private:
    int fd_ = -1;
    bool owned_ = false;
    bool Open(const QString& fileName, int flags);

    QString error_;
    int errno_ = 0;
    qint64 lines_ = 0;
};

}  // namespace krx
