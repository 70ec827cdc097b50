// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plan/plan_items.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringDecoder>

#include <optional>

namespace krx {

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("krx::PlanItems", text);
}

struct CsvRecord {
    int line = 0;  // where the record starts
    QStringList fields;
};

// Splits the text into records; a quoted field may span lines. False with `error` on a quote left
// open or text after a closing quote.
bool SplitRecords(const QString& text, std::vector<CsvRecord>& records, QString& error)
{
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        CsvRecord rec;
        rec.line = line;
        QString field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            if (i < n && text[i] == QLatin1Char('"')) {
                const int opened = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        error = Tr("line %1: a quote opened here is never closed").arg(opened);
                        return false;
                    }
                    if (text[i] == QLatin1Char('"')) {
                        if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == QLatin1Char('\n'))
                        ++line;
                    field += text[i++];
                }
                if (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') &&
                    text[i] != QLatin1Char('\r')) {
                    error = Tr("line %1: text after a closing quote").arg(line);
                    return false;
                }
            } else {
                while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') &&
                       text[i] != QLatin1Char('\r'))
                    field += text[i++];
            }
            rec.fields << field;
            field.clear();
            if (i < n && text[i] == QLatin1Char(',')) {
                ++i;
                continue;
            }
            if (i < n && text[i] == QLatin1Char('\r'))
                ++i;
            if (i < n && text[i] == QLatin1Char('\n'))
                ++i;
            ++line;
            endOfRecord = true;
        }
        const bool blank = rec.fields.size() == 1 && rec.fields.front().trimmed().isEmpty();
        if (!blank)
            records.push_back(std::move(rec));
    }
    return true;
}

std::optional<int> WholeNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

// The line of the first byte that is not UTF-8.
int FirstBadLine(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    int line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QString decoded = decoder.decode(bytes.mid(start, end - start));
        if (decoder.hasError())
            return line;
        start = end + 1;
        ++line;
    }
    return line;
}

}  // namespace

const QStringList& PlanColumns()
{
    static const QStringList columns{QStringLiteral("id"),       QStringLiteral("area"),
                                     QStringLiteral("kind"),     QStringLiteral("location"),
                                     QStringLiteral("interval_days"), QStringLiteral("points")};
    return columns;
}

int DefaultPoints(const QString& kind)
{
    if (kind == QLatin1String("worksurface"))
        return 3;
    if (kind == QLatin1String("flooring"))
        return 5;
    return 1;
}

Method MethodForKind(const QString& kind)
{
    return kind == QLatin1String("packaging") ? Method::Surface : Method::Esd;
}

Measurement MeasurementForKind(const QString& kind)
{
    if (kind == QLatin1String("packaging"))
        return Measurement::Rs;
    if (kind == QLatin1String("garment"))
        return Measurement::Rtt;
    return Measurement::Rtg;
}

QString CommaCsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

PlanFile ParsePlanCsv(const QByteArray& bytes, const QStringList& kinds)
{
    PlanFile out;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        out.error = Tr("line %1: the file is not UTF-8 text").arg(FirstBadLine(bytes));
        return out;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    std::vector<CsvRecord> records;
    if (!SplitRecords(text, records, out.error))
        return out;
    if (records.empty()) {
        out.error = Tr("line 1: the file is empty; it needs the header line %1").arg(PlanColumns().join(u','));
        return out;
    }

    const CsvRecord& header = records.front();
    QList<int> at;  // each column's place in the file
    for (const QString& column : PlanColumns()) {
        QList<int> places;
        for (int f = 0; f < header.fields.size(); ++f)
            if (header.fields[f].trimmed().compare(column, Qt::CaseInsensitive) == 0)
                places << f;
        if (places.size() != 1) {
            out.error = places.isEmpty() ? Tr("line %1: the column \"%2\" is missing").arg(header.line).arg(column)
                                         : Tr("line %1: the column \"%2\" is named twice").arg(header.line).arg(column);
            return out;
        }
        at << places.front();
    }
    for (const QString& name : header.fields)
        if (!PlanColumns().contains(name.trimmed(), Qt::CaseInsensitive)) {
            out.error = Tr("line %1: unknown column \"%2\"; the columns are %3")
                            .arg(header.line)
                            .arg(name.trimmed(), PlanColumns().join(u','));
            return out;
        }

    QSet<QString> ids;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        auto fail = [&](const QString& why) {
            out.error = Tr("line %1: %2").arg(rec.line).arg(why);
            out.items.clear();
            return out;
        };
        if (rec.fields.size() != header.fields.size())
            return fail(Tr("%1 fields where the header has %2").arg(rec.fields.size()).arg(header.fields.size()));
        auto field = [&](int column) { return rec.fields[at[column]].trimmed(); };
        PlanItem item;
        item.id = field(0);
        item.area = field(1);
        item.kind = field(2).toLower();
        item.location = field(3);
        if (item.id.isEmpty())
            return fail(Tr("the id is empty"));
        if (ids.contains(item.id))
            return fail(Tr("the id \"%1\" is there twice").arg(item.id));
        if (item.area.isEmpty())
            return fail(Tr("the area of \"%1\" is empty").arg(item.id));
        if (!kinds.contains(item.kind))
            return fail(Tr("unknown kind \"%1\"; the kinds are %2").arg(field(2), kinds.join(QStringLiteral(", "))));
        const auto interval = WholeNumber(field(4), 1, kMaxIntervalDays);
        if (!interval)
            return fail(Tr("interval_days \"%1\" is not a whole number from 1 to %2").arg(field(4)).arg(kMaxIntervalDays));
        item.intervalDays = *interval;
        if (field(5).isEmpty()) {
            item.points = DefaultPoints(item.kind);
        } else {
            const auto points = WholeNumber(field(5), 1, kMaxPoints);
            if (!points)
                return fail(Tr("points \"%1\" is not a whole number from 1 to %2").arg(field(5)).arg(kMaxPoints));
            item.points = *points;
        }
        ids.insert(item.id);
        out.items.push_back(std::move(item));
    }
    return out;
}

QByteArray PlanCsv(const std::vector<PlanItem>& items)
{
    QString text = PlanColumns().join(u',') + QLatin1Char('\n');
    for (const PlanItem& item : items)
        text += QStringList{CommaCsvField(item.id), CommaCsvField(item.area), CommaCsvField(item.kind), CommaCsvField(item.location),
                            QString::number(item.intervalDays), QString::number(item.points)}
                    .join(u',') +
                QLatin1Char('\n');
    return text.toUtf8();
}

}  // namespace krx
