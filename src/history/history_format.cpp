// SPDX-License-Identifier: GPL-3.0-or-later
// The history's texts: the connection setting, the stored reading series, memory record keys and
// the export lines. No database here.
#include "history/history_store.h"

#include "core/judging/insulation.h"
#include "device/backend.h"
#include "core/recording_reader.h"

#include "core/settings.h"
#include "core/csv_appender.h"
#include "core/localetext.h"

#include <QCryptographicHash>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace krx::history {

namespace {

struct KindEntry {
    TestKind kind;
    const char* name;
};
constexpr KindEntry kKinds[] = {{TestKind::FreeRunning, "free-running"},
                                {TestKind::Timer, "timer"},
                                {TestKind::BreakDown, "break-down"},
                                {TestKind::MemoryOhm, "memory-ohm"},
                                {TestKind::MemoryBreakDown, "memory-break-down"},
                                {TestKind::StepVoltage, "step voltage"},
                                {TestKind::Method, "method"}};

// The meter's "dd.mm.yyyy" and "hh:mm" as a local time; invalid when either is not a date.
QDateTime RecordTime(const RecordHead& head)
{
    const QDate date = QDate::fromString(head.date.trimmed(), QStringLiteral("dd.MM.yyyy"));
    const QTime time = QTime::fromString(head.time.trimmed(), QStringLiteral("hh:mm"));
    return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

std::optional<double> Number(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QByteArray KeyOf(const QString& meterSerial, const QString& content)
{
    // Serial and content are hashed apart so that no serial can run into the content.
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(meterSerial.trimmed().toUtf8());
    h.addData(QByteArrayView("\0", 1));
    h.addData(content.toUtf8());
    return h.result().toHex();
}

QString HeadText(const RecordHead& head)
{
    return QStringList{head.date.trimmed(), head.time.trimmed(), head.humidity.trimmed(), head.temperature.trimmed()}
        .join(QLatin1Char('|'));
}

}  // namespace

const char* KindName(TestKind kind)
{
    for (const KindEntry& e : kKinds)
        if (e.kind == kind)
            return e.name;
    return "free-running";
}

std::optional<TestKind> KindFromName(const QString& name)
{
    for (const KindEntry& e : kKinds)
        if (name == QLatin1String(e.name))
            return e.kind;
    return std::nullopt;
}

QString DefaultDataFolder()
{
    // The window program's data folder, also for krx738-cli: both file into one history.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/krx738");
}

QString ConnectionSetting()
{
    // The window program's settings file last: a lab sets the server once for both programs.
    SettingsPlaces places = CurrentSettingsPlaces();
    const QString windows = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                            QStringLiteral("/krx738/KRX_SETUP.INI");
    if (!places.readOrder.contains(windows))
        places.readOrder << windows;
    return places.Read(QStringLiteral("HistoryDatabase"), QString()).trimmed();
}

bool ParseConnection(const QString& setting, const QString& dataFolder, Connection& out, QString* error)
{
    const QString s = setting.trimmed();
    out = Connection{};
    if (s.isEmpty() || s.compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0) {
        out.sqliteFile = (dataFolder.isEmpty() ? DefaultDataFolder() : dataFolder) + QStringLiteral("/history.sqlite");
        out.defaultFile = true;
        return true;
    }
    if (s.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive) && s.size() > 7) {
        out.sqliteFile = s.mid(7);
        return true;
    }
    const QUrl url(s, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const QString db = url.path().mid(1);
    if (url.isValid() && (scheme == QLatin1String("postgresql") || scheme == QLatin1String("postgres")) &&
        !db.isEmpty() && !db.contains(QLatin1Char('/')) && url.password().isEmpty()) {
        out.backend = Connection::Postgres;
        out.user = url.userName();
        // A host in the URL is a name; a socket folder comes as "?host=/folder", as libpq reads it.
        out.host = url.host();
        out.port = std::max(0, url.port(0));
        out.databaseName = db;
        QStringList options;
        for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
            if (key == QLatin1String("host"))
                out.host = value;
            else
                options << key + QLatin1Char('=') + value;
        }
        out.options = options.join(QLatin1Char(';'));
        return true;
    }
    if (error) {
        *error = url.password().isEmpty()
                     ? QStringLiteral("HistoryDatabase: '%1' is not a connection; give sqlite, "
                                      "sqlite:/path/file.sqlite or postgresql://user@host:port/dbname")
                           .arg(s)
                     : QStringLiteral("HistoryDatabase: a password does not belong in the settings file; "
                                      "put it in ~/.pgpass or PGPASSWORD");
    }
    return false;
}

QByteArray SeriesText(const std::vector<DataRecord>& readings)
{
    // A step-voltage test keeps each reading's step; the simulated meter's series stays marked.
    const bool steps = std::any_of(readings.begin(), readings.end(), [](const DataRecord& r) { return r.step; });
    const bool simulated = AnySimulated(readings);
    QByteArray text = ReadingHeader(DataFormat::Csv, steps, simulated);
    text.reserve(static_cast<qsizetype>(readings.size()) * 80 + text.size());
    for (DataRecord r : readings) {
        r.simulated = simulated;
        text += ReadingLine(DataFormat::Csv, r);
    }
    return text;
}

std::vector<DataRecord> ParseSeries(const QByteArray& text, int* skipped)
{
    std::vector<DataRecord> out;
    int bad = 0;
    ReadingColumns columns;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        if (const std::optional<ReadingColumns> header = ParseReadingHeader(line))
            columns = *header;
        else if (const std::optional<DataRecord> r = ParseReadingLine(line, columns))
            out.push_back(*r);
        else
            ++bad;
    }
    if (skipped)
        *skipped = bad;
    return out;
}

QByteArray OhmRecordKey(const QString& meterSerial, const OhmRecord& r)
{
    return KeyOf(meterSerial, QStringLiteral("ohm|%1|%2|%3|%4|%5|%6")
                                  .arg(HeadText(r.head))
                                  .arg(r.voltage)
                                  .arg(r.timer)
                                  .arg(r.mantissa.trimmed(), r.exponent.trimmed())
                                  .arg(r.calculation));
}

QByteArray BreakDownRecordKey(const QString& meterSerial, const BreakDownRecord& r)
{
    return KeyOf(meterSerial, QStringLiteral("bd|%1|%2|%3|%4|%5|%6|%7")
                                  .arg(HeadText(r.head))
                                  .arg(r.breakDownVoltage)
                                  .arg(r.resistanceBefore)
                                  .arg(r.resistanceAfter)
                                  .arg(r.cycleTime)
                                  .arg(r.resistanceOff)
                                  .arg(r.timerOff));
}

static TestRecord MemoryTest(const QString& assetId, const memory::Identity& who, const RecordHead& head)
{
    TestRecord t;
    t.assetId = assetId;
    t.time = RecordTime(head);
    t.temperature = Number(head.temperature);
    t.humidity = Number(head.humidity);
    t.meterSerial = who.serialNo.trimmed();
    t.meterSoftware = who.swVersion.trimmed();
    t.simulated = TheUsbBackend().Simulated();
    return t;
}

std::optional<double> TestRecord::*FigureOfMemoryReading(int timerSeconds, const QString& method)
{
    if (method != QLatin1String("lapse"))
        return nullptr;
    switch (timerSeconds) {
    case 15: return &TestRecord::r15;
    case 30: return &TestRecord::r30;
    case 60: return &TestRecord::r60;
    case 600: return &TestRecord::r600;
    default: return nullptr;
    }
}

TestRecord TestFromOhmRecord(const QString& assetId, const memory::Identity& who, const OhmRecord& r)
{
    TestRecord t = MemoryTest(assetId, who, r.head);
    t.kind = TestKind::MemoryOhm;
    t.volts = r.voltage;
    if (r.timer > 0)
        t.durationSeconds = r.timer;
    const auto mantissa = Number(r.mantissa);
    const auto exponent = Number(r.exponent);
    if (mantissa && exponent) {
        const double ohm = *mantissa * std::pow(10.0, *exponent);
        t.memoryReading = MemoryReading{ohm, r.timer, memory::MethodText(r.timer, r.calculation).toLower()};
        if (const auto figure = FigureOfMemoryReading(r.timer, t.memoryReading->method))
            t.*figure = ohm;
        // Corrected from the record's own temperature, as a measurement is from its mean.
        if (t.temperature) {
            t.correctionTemperature = t.temperature;
            if (t.r60)
                t.r60At40 = CorrectedResistance(*t.r60, *t.temperature, kBase40C);
            if (t.r600)
                t.r600At40 = CorrectedResistance(*t.r600, *t.temperature, kBase40C);
            if (!t.r60 && !t.r600)
                t.correctionTemperature.reset();
        }
        DataRecord reading;
        reading.time = t.time;
        reading.elapsedSeconds = r.timer;
        reading.resistanceOhm = ohm;
        reading.volts = r.voltage;
        reading.temperature = t.temperature.value_or(0.0);
        reading.humidity = static_cast<int>(t.humidity.value_or(0.0));
        reading.stable = true;
        t.readings.push_back(reading);
    }
    t.recordKey = OhmRecordKey(who.serialNo, r);
    return t;
}

TestRecord TestFromBreakDownRecord(const QString& assetId, const memory::Identity& who, const BreakDownRecord& r)
{
    TestRecord t = MemoryTest(assetId, who, r.head);
    t.kind = TestKind::MemoryBreakDown;
    t.volts = r.breakDownVoltage;
    BreakDownFigures b;
    b.volts = r.breakDownVoltage;
    b.resistanceBeforeOhm = OhmFromKOhm(r.resistanceBefore);
    b.resistanceAfterOhm = OhmFromKOhm(r.resistanceAfter);
    b.resistanceOffOhm = OhmFromKOhm(r.resistanceOff);
    b.cycleTimeSeconds = r.cycleTime;
    b.timerOffSeconds = r.timerOff;
    t.breakDown = b;
    t.recordKey = BreakDownRecordKey(who.serialNo, r);
    return t;
}

}  // namespace krx::history
