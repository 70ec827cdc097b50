// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/transfer_log.h"

#include <cmath>

namespace krx {

QString TransferRecord::Describe() const
{
    if (kind == Open)
        return QStringLiteral("open =%1").arg(result);
    QString s = kind == In ? QStringLiteral("IN ") : QStringLiteral("OUT ");
    s += QString::number(value);
    const int framingRequest = kind == In ? 5 : 0x20;
    const int framingType = kind == In ? 0xC0 : 0x40;
    if (request != framingRequest || requestType != framingType)
        s += QStringLiteral(" req=0x%1/0x%2").arg(requestType, 2, 16, QChar('0')).arg(request, 2, 16, QChar('0'));
    if (index != 0x81)
        s += QStringLiteral(" idx=0x%1").arg(index, 0, 16);
    if (kind == In && data.size() != length)
        s += QStringLiteral(" len=%1").arg(length);
    s += QStringLiteral(" [") + QString::fromLatin1(data.toHex(' ').toUpper()) + QStringLiteral("] =") +
         QString::number(result);
    return s;
}

std::vector<TransferRecord> TransferLog::Records() const
{
    std::lock_guard lock(mutex_);
    return records_;
}

void TransferLog::Clear()
{
    std::lock_guard lock(mutex_);
    records_.clear();
}

void TransferLog::Enable(bool on)
{
    std::lock_guard lock(mutex_);
    enabled_ = on;
}

void TransferLog::KeepRecords(bool on)
{
    std::lock_guard lock(mutex_);
    keep_ = on;
}

void TransferLog::Add(TransferRecord record)
{
    std::lock_guard lock(mutex_);
    if (!enabled_)
        return;
    if (trace_) {
        if (!traceHeader_)
            WriteTraceHeader();
        std::fprintf(trace_, "%.3f %s\n", record.time, qPrintable(record.Describe()));
        std::fflush(trace_);
    }
    if (!keep_)
        return;
    records_.push_back(std::move(record));
    // A long run must not grow without bound; tests look at far fewer records than this.
    if (records_.size() > MaxRecords)
        records_.erase(records_.begin(), records_.begin() + MaxRecords / 2);
}

QStringList TransferLog::Lines(double since) const
{
    std::lock_guard lock(mutex_);
    QStringList out;
    double prev = since;
    for (const auto& r : records_) {
        const double dt = prev < 0 ? 0.0 : (r.time - prev) * 1000.0;
        out << QString::number(std::llround(dt)) + QLatin1Char(' ') + r.Describe();
        prev = r.time;
    }
    return out;
}

bool TransferLog::TraceTo(const QString& fileName)
{
    std::lock_guard lock(mutex_);
    if (trace_)
        std::fclose(trace_);
    trace_ = nullptr;
    traceHeader_ = false;
    if (fileName.isEmpty())
        return true;  // tracing off
    trace_ = std::fopen(fileName.toLocal8Bit().constData(), "w");
    return trace_ != nullptr;
}

// Always eight characters wide, as the meter sends its serial number, so that the line can be
// written over in place once the meter is known, without moving the records after it.
void TransferLog::WriteTraceHeader()
{
    const QByteArray serial = meter_.isEmpty() ? QByteArray(8, '-') : meter_.toLatin1().leftJustified(8, ' ', true);
    std::fprintf(trace_, "# meter %s\n", serial.constData());
    std::fflush(trace_);
    traceHeader_ = true;
}

void TransferLog::NameMeter(const QString& serial)
{
    std::lock_guard lock(mutex_);
    if (meter_ == serial)
        return;
    meter_ = serial;
    // A pipe cannot go back; its first line keeps what was known when it was written.
    if (trace_ && traceHeader_ && std::fseek(trace_, 0, SEEK_SET) == 0) {
        WriteTraceHeader();
        std::fseek(trace_, 0, SEEK_END);
    }
}

TransferLog& TheTransferLog()
{
    static TransferLog log;
    return log;
}

}  // namespace krx
