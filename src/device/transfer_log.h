// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every open and every control transfer that passes the transport, with the clock's time. Tests
// assert on it; --trace FILE writes it as it grows, for the simulated and the real meter alike.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <mutex>
#include <vector>

namespace krx {

struct TransferRecord {
    enum Kind { Open, In, Out };
    double time = 0.0;  // clock seconds
    Kind kind = In;
    int requestType = 0;
    int request = 0;
    int value = 0;
    int index = 0;
    int length = 0;      // wLength asked for
    QByteArray data;     // OUT: bytes sent; IN: bytes received (as many as the result says)
    int result = 0;

    // "open =1", "IN 1 [04] =1", "OUT 53 [04 00] =2"; request and index are shown only when
    // they differ from the meter's framing (5 / 0x20, 0x81).
    QString Describe() const;
};

// Written by whichever thread runs the procedures and read by another (tests, benchmarks): every
// member locks.
class TransferLog {
public:
    void Add(TransferRecord record);
    // A copy: the log may grow while the caller looks at it.
    std::vector<TransferRecord> Records() const;
    void Clear();
    // Each record's Describe(), preceded by the milliseconds since the record before it
    // (rounded), e.g. "20 IN 1 [04] =1". The first record counts from `since`.
    QStringList Lines(double since = -1.0) const;
    // Writes every record from now on to the file as well (an empty name stops it); false when
    // the file cannot be opened. The file's first line names the meter ("# meter 73800017",
    // "# meter --------" until its identity is read), written with the first record.
    bool TraceTo(const QString& fileName);
    // The serial number of the meter the records are for; the trace's first line follows it.
    void NameMeter(const QString& serial);
    void Enable(bool on);
    // Whether records stay in memory for Records() and Lines(); the trace file gets them either way.
    void KeepRecords(bool on);

    // Records kept at most; beyond it the older half is dropped.
    static constexpr size_t MaxRecords = 200000;

private:
    mutable std::mutex mutex_;
    std::vector<TransferRecord> records_;
    void WriteTraceHeader();

    std::FILE* trace_ = nullptr;
    bool traceHeader_ = false;  // the first line is in the file
    QString meter_;
    bool enabled_ = true;
    bool keep_ = true;
};

TransferLog& TheTransferLog();

}  // namespace krx
