// SPDX-License-Identifier: GPL-3.0-or-later
// An asset's history as a file: one line per test, in the data dialect (CSV or JSON lines) or in
// the spreadsheet dialect that the exports of the windows use.
#include "history/history_store.h"

#include "core/csv_appender.h"
#include "core/localetext.h"

#include <vector>

namespace krx::history {

namespace {

struct Field {
    const char* name;
    QString value;
    bool text = false;  // a string; otherwise a number, empty when unknown
};

QString Num(const std::optional<double>& v)
{
    return v ? QString::fromLatin1(DataNumber(*v)) : QString();
}

template <typename T>
QString Int(const std::optional<T>& v)
{
    return v ? QString::number(*v) : QString();
}

std::vector<Field> Fields(const Asset& a, const TestRecord& t)
{
    const auto& b = t.breakDown;
    auto bd = [&](auto member) { return b ? QString::number((*b).*member) : QString(); };
    return {{"asset_id", a.id, true},
            {"asset_name", a.name, true},
            {"test_id", QString::number(t.id)},
            {"kind", QString::fromLatin1(KindName(t.kind)), true},
            {"time", t.time.isValid() ? QString::fromLatin1(DataTime(t.time)) : QString(), true},
            {"voltage_v", Int(t.volts)},
            {"duration_s", Num(t.durationSeconds)},
            {"temperature_c", Num(t.temperature)},
            {"humidity_pct", Num(t.humidity)},
            {"r15_ohm", Num(t.r15)},
            {"r30_ohm", Num(t.r30)},
            {"r60_ohm", Num(t.r60)},
            {"r600_ohm", Num(t.r600)},
            {"dar", Num(t.dar)},
            {"pi", Num(t.pi)},
            {"r60_40c_ohm", Num(t.r60At40)},
            {"r600_40c_ohm", Num(t.r600At40)},
            {"correction_temperature_c", Num(t.correctionTemperature)},
            {"dar_verdict", t.darVerdict, true},
            {"pi_verdict", t.piVerdict, true},
            {"verdict_source", t.verdictSource, true},
            {"bd_voltage_v", bd(&BreakDownFigures::volts)},
            {"bd_before_mohm", bd(&BreakDownFigures::resistanceBeforeMOhm)},
            {"bd_after_mohm", bd(&BreakDownFigures::resistanceAfterMOhm)},
            {"bd_off_mohm", bd(&BreakDownFigures::resistanceOffMOhm)},
            {"bd_cycle_s", bd(&BreakDownFigures::cycleTimeSeconds)},
            {"bd_timer_off_s", bd(&BreakDownFigures::timerOffSeconds)},
            {"operator", t.operatorName, true},
            {"meter_serial", t.meterSerial, true},
            {"meter_software", t.meterSoftware, true},
            {"comment", t.comment, true}};
}

QString JsonString(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

// RFC 4180: quoted only when needed, so that plain ids stay plain.
QString DataCsvField(const QString& s)
{
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')) &&
        !s.contains(QLatin1Char('\r')))
        return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

}  // namespace

QByteArray ExportHeader(ExportFormat format)
{
    if (format == ExportFormat::Jsonl)
        return {};
    QStringList names;
    for (const Field& f : Fields({}, {}))
        names << QString::fromLatin1(f.name);
    if (format == ExportFormat::Csv)
        return names.join(QLatin1Char(',')).toUtf8() + '\n';
    return EncodeLine(names.join(QLatin1Char(';'))) + "\r\n";
}

QByteArray ExportLine(ExportFormat format, const Asset& asset, const TestRecord& test)
{
    QStringList parts;
    for (const Field& f : Fields(asset, test)) {
        switch (format) {
        case ExportFormat::Csv:
            parts << DataCsvField(f.value);
            break;
        case ExportFormat::Jsonl:
            parts << JsonString(QString::fromLatin1(f.name)) + QLatin1Char(':') +
                         (f.text ? JsonString(f.value) : f.value.isEmpty() ? QStringLiteral("null") : f.value);
            break;
        case ExportFormat::Spreadsheet:
            parts << (f.text ? CsvField(f.value) : WithLocaleSeparator(f.value));
            break;
        }
    }
    if (format == ExportFormat::Csv)
        return parts.join(QLatin1Char(',')).toUtf8() + '\n';
    if (format == ExportFormat::Jsonl)
        return (QLatin1Char('{') + parts.join(QLatin1Char(',')) + QStringLiteral("}\n")).toUtf8();
    return EncodeLine(parts.join(QLatin1Char(';'))) + "\r\n";
}

}  // namespace krx::history
