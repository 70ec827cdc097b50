// SPDX-License-Identifier: GPL-3.0-or-later
// An asset's history as a file: one line per test, in the data dialect (CSV or JSON lines) or in
// the spreadsheet dialect that the exports of the windows use.
#include "history/history_store.h"
#include "history/test_values.h"

#include "core/csv_appender.h"
#include "core/plan/plan_items.h"
#include "core/localetext.h"

#include <vector>

namespace krx::history {

namespace {

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

}  // namespace

QByteArray ExportHeader(ExportFormat format)
{
    if (format == ExportFormat::Jsonl)
        return {};
    QStringList names;
    for (const TestValue& v : ValuesOf({}, {}))
        names << QString::fromLatin1(v.key);
    if (format == ExportFormat::Csv)
        return names.join(QLatin1Char(',')).toUtf8() + '\n';
    return EncodeLine(names.join(QLatin1Char(';'))) + "\r\n";
}

QByteArray ExportLine(ExportFormat format, const Asset& asset, const TestRecord& test)
{
    QStringList parts;
    for (const TestValue& v : ValuesOf(asset, test)) {
        // A yes or no is true or false in JSON, 1 or 0 in the CSV dialects, as the recordings have it.
        const bool isBool = !v.isText && (v.data == QLatin1String("true") || v.data == QLatin1String("false"));
        const QString flat = isBool ? (v.data == QLatin1String("true") ? QStringLiteral("1") : QStringLiteral("0")) : v.data;
        switch (format) {
        case ExportFormat::Csv:
            parts << CommaCsvField(flat);  // quoted only when needed, so that plain ids stay plain
            break;
        case ExportFormat::Jsonl:
            parts << JsonString(QString::fromLatin1(v.key)) + QLatin1Char(':') +
                         (v.isText ? JsonString(v.data) : v.data.isEmpty() ? QStringLiteral("null") : v.data);
            break;
        case ExportFormat::Spreadsheet:
            parts << (v.isText ? CsvField(flat) : WithLocaleSeparator(flat));
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
