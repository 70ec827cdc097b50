// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording_reader.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>

namespace krx {

namespace {

std::optional<RangeState> RangeFromName(const QByteArray& name)
{
    for (const RangeState r : {RangeState::InRange, RangeState::Over, RangeState::Under})
        if (name == RangeName(r))
            return r;
    return std::nullopt;
}

}  // namespace

std::optional<ReadingColumns> ParseReadingHeader(const QByteArray& line)
{
    for (const bool step : {false, true})
        for (const bool simulated : {false, true})
            if (line == ReadingHeader(DataFormat::Csv, step, simulated).trimmed())
                return ReadingColumns{step, simulated};
    return std::nullopt;
}

std::optional<DataRecord> ParseReadingLine(const QByteArray& line, ReadingColumns columns)
{
    const QByteArrayList f = line.split(',');
    if (f.size() != 9 + columns.step + columns.simulated)
        return std::nullopt;
    const auto range = RangeFromName(f[3]);
    DataRecord r;
    r.time = QDateTime::fromString(QString::fromUtf8(f[0]), Qt::ISODateWithMs);
    bool e = false, v = false, t = false, h = false, rest = true;
    r.elapsedSeconds = f[1].toDouble(&e);
    r.volts = f[4].toInt(&v);
    r.temperature = f[5].toDouble(&t);
    r.humidity = f[6].toInt(&h);
    r.stable = f[7] == "1";
    r.range = range.value_or(RangeState::InRange);
    bool rOk = f[2].isEmpty() && r.range != RangeState::InRange;
    if (!f[2].isEmpty())
        r.resistanceOhm = f[2].toDouble(&rOk);
    if (!f[8].isEmpty())
        r.restSeconds = f[8].toInt(&rest);
    bool stepOk = true;
    if (columns.step) {
        r.step = f[9].toInt(&stepOk);
        stepOk = stepOk && *r.step > 0;
    }
    r.simulated = columns.simulated;
    if (columns.simulated && f.back() != "1")
        return std::nullopt;
    if (!(stepOk && rest && r.time.isValid() && e && v && t && h && rOk && range && (f[7] == "1" || f[7] == "0")))
        return std::nullopt;
    return r;
}

bool ParseRecording(const QByteArray& text, std::vector<DataRecord>& readings, QString* error)
{
    auto fail = [&](qsizetype line, const QString& why) {
        if (error)
            *error = QCoreApplication::translate("Procedures", "line %1: %2").arg(line).arg(why);
        return false;
    };
    readings.clear();
    QByteArrayList lines = text.split('\n');
    const bool ended = text.endsWith('\n');
    if (ended)
        lines.removeLast();
    // A step-voltage test's recording has the step as a tenth column, in every line; the
    // simulated meter's has a last column that says so.
    const std::optional<ReadingColumns> columns = lines.isEmpty() ? std::nullopt : ParseReadingHeader(lines.front());
    if (!columns)
        return fail(1, QCoreApplication::translate("Procedures", "not the header of a recording made by this program"));
    if (!ended)
        return fail(lines.size(), QCoreApplication::translate("Procedures", "cut off (no line end): the file is not complete"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const std::optional<DataRecord> r = ParseReadingLine(lines[i], *columns);
        if (!r)
            return fail(i + 1, QCoreApplication::translate("Procedures", "not a reading of a recording"));
        if (!readings.empty() && r->elapsedSeconds < readings.back().elapsedSeconds)
            return fail(i + 1, QCoreApplication::translate("Procedures", "goes back in time"));
        readings.push_back(*r);
    }
    if (readings.empty())
        return fail(1, QCoreApplication::translate("Procedures", "the recording holds no reading"));
    return true;
}

bool AnySimulated(const std::vector<DataRecord>& readings)
{
    return std::any_of(readings.begin(), readings.end(), [](const DataRecord& r) { return r.simulated; });
}

}  // namespace krx
