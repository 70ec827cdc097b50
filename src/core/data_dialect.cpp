// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/data_dialect.h"

#include "core/localetext.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace krx {

namespace {

// A field of a line: its name (the CSV header and the JSON key) and its value, already in the
// dialect's form; `text` marks a JSON string, an empty value without it is JSON null.
struct Field {
    const char* name;
    QByteArray value;
    bool text = false;
};

QByteArray JsonString(const QByteArray& utf8)
{
    QByteArray out = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += QByteArray("\\u00") + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    return out + "\"";
}

// Text fields of the meter hold no "," or quote; anything else would be quoted as RFC 4180 asks.
QByteArray CsvField(const QByteArray& value)
{
    if (!value.contains(',') && !value.contains('"') && !value.contains('\n') && !value.contains('\r'))
        return value;
    QByteArray quoted = value;
    quoted.replace("\"", "\"\"");
    return "\"" + quoted + "\"";
}

QByteArray Header(DataFormat format, const std::vector<const char*>& names)
{
    if (format == DataFormat::Jsonl)
        return {};
    QByteArrayList parts;
    for (const char* n : names)
        parts << n;
    return parts.join(',') + '\n';
}

QByteArray Line(DataFormat format, const std::vector<Field>& fields)
{
    QByteArrayList parts;
    for (const Field& f : fields) {
        if (format == DataFormat::Csv)
            parts << CsvField(f.value);
        else
            parts << JsonString(f.name) + ':' +
                         (f.text ? JsonString(f.value) : f.value.isEmpty() ? QByteArray("null") : f.value);
    }
    if (format == DataFormat::Csv)
        return parts.join(',') + '\n';
    return '{' + parts.join(',') + "}\n";
}

QByteArray Bool(DataFormat format, bool value)
{
    if (format == DataFormat::Csv)
        return value ? "1" : "0";
    return value ? "true" : "false";
}

// Numbers the read-out tables keep with the locale's separator, back to the dialect's form; a
// text that is no number (a record the meter filled with something else) stays empty.
QByteArray SlotNumber(const QString& localeText)
{
    QString t = localeText.trimmed();
    t.replace(DecimalSeparator(), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? DataNumber(v) : QByteArray();
}

// The meter's kOhm in ohm, in integer arithmetic: every digit exact, never an exponent.
QByteArray KOhmAsOhm(std::uint32_t kOhm)
{
    return QByteArray::number(static_cast<quint64>(kOhm) * 1000u);
}

// The meter's record date "dd.mm.yyyy" as ISO 8601; anything else as received.
QByteArray SlotDate(const QString& date)
{
    const QDate d = QDate::fromString(date.trimmed(), QStringLiteral("dd.MM.yyyy"));
    return d.isValid() ? d.toString(Qt::ISODate).toUtf8() : date.trimmed().toUtf8();
}

const std::vector<const char*> kReadingNames{"time",           "elapsed_s",    "resistance_ohm",
                                             "range",          "voltage_v",    "temperature_c",
                                             "humidity_pct",   "stable",       "rest_s"};
const std::vector<const char*> kOhmNames{"file_no",   "date",    "time",   "humidity_pct",  "temperature_c",
                                         "voltage_v", "timer_s", "method", "resistance_ohm"};
const std::vector<const char*> kBreakDownNames{"file_no",
                                               "date",
                                               "time",
                                               "humidity_pct",
                                               "temperature_c",
                                               "voltage_v",
                                               "resistance_before_ohm",
                                               "resistance_after_ohm",
                                               "cycle_time_s",
                                               "resistance_off_ohm",
                                               "timer_off_s"};

}  // namespace

const char* RangeName(RangeState range)
{
    switch (range) {
    case RangeState::Over: return "over";
    case RangeState::Under: return "under";
    case RangeState::InRange: break;
    }
    return "ok";
}

QByteArray DataNumber(double value)
{
    return QByteArray::number(value, 'g', 15);
}

QByteArray DataDecimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return DataNumber(std::round(value * scale) / scale + 0.0);  // + 0.0: never "-0"
}

QByteArray DataDigits(double value, int digits)
{
    // Through the shortest text of that many digits, so that no exponent reaches the file.
    return DataNumber(QByteArray::number(value, 'g', digits).toDouble());
}

double MeterDouble(float value)
{
    // A float's shortest text that reads back as the same float is the meter's own characters.
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return QByteArray(text, end - text).toDouble();
}

QByteArray DataTime(const QDateTime& time)
{
    // Local time with its offset written out ("+00:00" rather than "Z" for UTC as well), so that
    // a reader sees the wall-clock time of the bench and can still order readings across a
    // change of daylight saving time.
    const QDateTime t = time.toLocalTime();
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    const QString zone = QStringLiteral("%1%2:%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return (t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + zone).toUtf8();
}

QByteArray ReadingHeader(DataFormat format, bool withStep, bool simulated)
{
    std::vector<const char*> names = kReadingNames;
    if (withStep)
        names.push_back("step");
    if (simulated)
        names.push_back("simulated");
    return Header(format, names);
}

QByteArray ReadingLine(DataFormat format, const DataRecord& r)
{
    const bool inRange = r.range == RangeState::InRange;
    std::vector<Field> fields{{"time", DataTime(r.time), true},
                              {"elapsed_s", QByteArray::number(r.elapsedSeconds, 'f', 3)},
                              {"resistance_ohm", inRange ? DataNumber(r.resistanceOhm) : QByteArray()},
                              {"range", RangeName(r.range), true},
                              {"voltage_v", QByteArray::number(r.volts)},
                              {"temperature_c", DataNumber(r.temperature)},
                              {"humidity_pct", QByteArray::number(r.humidity)},
                              {"stable", Bool(format, r.stable)},
                              {"rest_s", r.restSeconds ? QByteArray::number(*r.restSeconds) : QByteArray()}};
    if (r.step)
        fields.push_back({"step", QByteArray::number(*r.step)});
    if (r.simulated)
        fields.push_back({"simulated", Bool(format, true)});
    return Line(format, fields);
}

QByteArray OhmRecordHeader(DataFormat format)
{
    return Header(format, kOhmNames);
}

QByteArray OhmRecordLine(DataFormat format, int fileNo, const memory::OhmSlot& s)
{
    return Line(format, {{"file_no", QByteArray::number(fileNo)},
                         {"date", SlotDate(s.meterDate), true},
                         {"time", s.time.trimmed().toUtf8(), true},
                         {"humidity_pct", SlotNumber(s.humidity)},
                         {"temperature_c", SlotNumber(s.temperature)},
                         {"voltage_v", QByteArray::number(s.voltage)},
                         {"timer_s", QByteArray::number(s.timer)},
                         {"method", s.method.toLower().toUtf8(), true},
                         {"resistance_ohm", SlotNumber(s.reading)}});
}

QByteArray BreakDownRecordHeader(DataFormat format)
{
    return Header(format, kBreakDownNames);
}

QByteArray BreakDownRecordLine(DataFormat format, int fileNo, const memory::BreakDownSlot& s)
{
    return Line(format, {{"file_no", QByteArray::number(fileNo)},
                         {"date", SlotDate(s.meterDate), true},
                         {"time", s.time.trimmed().toUtf8(), true},
                         {"humidity_pct", SlotNumber(s.humidity)},
                         {"temperature_c", SlotNumber(s.temperature)},
                         {"voltage_v", QByteArray::number(s.voltage)},
                         {"resistance_before_ohm", KOhmAsOhm(s.resistanceBeforeKOhm)},
                         {"resistance_after_ohm", KOhmAsOhm(s.resistanceAfterKOhm)},
                         {"cycle_time_s", QByteArray::number(s.cycleTime)},
                         {"resistance_off_ohm", KOhmAsOhm(s.resistanceOffKOhm)},
                         {"timer_off_s", QByteArray::number(s.timerOff)}});
}

LineWriter::~LineWriter()
{
    if (owned_ && fd_ >= 0)
        ::close(fd_);
}

void LineWriter::Close()
{
    if (owned_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    owned_ = false;
    error_.clear();
    errno_ = 0;
    lines_ = 0;
}

void LineWriter::UseStdout()
{
    fd_ = STDOUT_FILENO;
    owned_ = false;
}

bool LineWriter::Create(const QString& fileName)
{
    return Open(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
}

bool LineWriter::CreateNew(const QString& fileName)
{
    return Open(fileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC);
}

bool LineWriter::Open(const QString& fileName, int flags)
{
    const QByteArray path = QFile::encodeName(fileName);
    fd_ = ::open(path.constData(), flags, 0666);
    if (fd_ < 0) {
        errno_ = errno;
        error_ = QString::fromLocal8Bit(std::strerror(errno_));
        return false;
    }
    owned_ = true;
    return true;
}

bool LineWriter::Write(const QByteArray& line)
{
    if (Failed() || fd_ < 0)
        return false;
    // A regular file is cut back to where the line began when the line cannot go out whole.
    const off_t before = ::lseek(fd_, 0, SEEK_CUR);
    const char* p = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno_ = n < 0 ? errno : ENOSPC;
            error_ = n < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("nothing was written");
            if (before >= 0 && left < line.size() && ::ftruncate(fd_, before) == 0)
                ::lseek(fd_, before, SEEK_SET);
            return false;
        }
        p += n;
        left -= n;
    }
    ++lines_;
    return true;
}

}  // namespace krx
