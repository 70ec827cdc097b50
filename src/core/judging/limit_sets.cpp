// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/limit_sets.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>

namespace krx {

// The texts of data/limits/*.json, generated at build time.
extern const char* const kBuiltInLimitFiles[];
extern const char* const kBuiltInLimitNames[];
extern const int kBuiltInLimitCount;

namespace {

int LineAt(const QByteArray& text, qsizetype offset)
{
    return 1 + static_cast<int>(text.left(offset).count('\n'));
}

// Where each object of the "rows" array starts: JSON knows no lines, a person's editor does.
std::vector<qsizetype> RowOffsets(const QByteArray& text)
{
    std::vector<qsizetype> starts;
    const qsizetype rows = text.indexOf("\"rows\"");
    if (rows < 0)
        return starts;
    int depth = 0;
    bool inString = false;
    for (qsizetype i = text.indexOf('[', rows); i >= 0 && i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{') {
            if (depth == 1 && c == '{')
                starts.push_back(i);
            ++depth;
        } else if (c == ']' || c == '}') {
            if (--depth == 0)
                break;
        }
    }
    return starts;
}

struct Fault {
    int line;
    QString what;
};

std::optional<Bound> TakeBound(const QJsonObject& row, const char* ohmKey, const char* edgeKey, int line)
{
    const QString ohm = QString::fromLatin1(ohmKey), edge = QString::fromLatin1(edgeKey);
    if (!row.contains(ohm) || row.value(ohm).isNull()) {
        if (row.contains(edge) && !row.value(edge).isNull())
            throw Fault{line, QStringLiteral("\"%1\" without \"%2\"").arg(edge, ohm)};
        return std::nullopt;
    }
    const double v = row.value(ohm).toDouble(-1.0);
    if (!row.value(ohm).isDouble() || !(v > 0.0) || !std::isfinite(v))
        throw Fault{line, QStringLiteral("\"%1\" must be a number of ohms above 0").arg(ohm)};
    const QString e = row.value(edge).toString();
    if (e != QLatin1String("strict") && e != QLatin1String("inclusive"))
        throw Fault{line, QStringLiteral("\"%1\" must be \"strict\" or \"inclusive\"").arg(edge)};
    return Bound{v, e == QLatin1String("strict") ? Edge::Strict : Edge::Inclusive};
}

QString Text(const QJsonObject& o, const char* key, int line, bool required)
{
    const QJsonValue v = o.value(QString::fromLatin1(key));
    if (v.isUndefined() || v.isNull()) {
        if (required)
            throw Fault{line, QStringLiteral("\"%1\" is missing").arg(QString::fromLatin1(key))};
        return {};
    }
    if (!v.isString() || (required && v.toString().trimmed().isEmpty()))
        throw Fault{line, QStringLiteral("\"%1\" must be a text").arg(QString::fromLatin1(key))};
    return v.toString();
}

LimitRow TakeRow(const QJsonValue& value, int line, int index)
{
    if (!value.isObject())
        throw Fault{line, QStringLiteral("row %1 is not an object").arg(index)};
    const QJsonObject o = value.toObject();
    LimitRow row;
    row.line = line;
    row.kind = Text(o, "kind", line, true);
    const QString m = Text(o, "measurement", line, true);
    const std::optional<Measurement> measurement = MeasurementFromName(m);
    if (!measurement)
        throw Fault{line, QStringLiteral("\"measurement\" '%1' is none of Rtt, Rtg, Rs, Rv").arg(m)};
    row.measurement = *measurement;
    row.lower = TakeBound(o, "lower_ohm", "lower_edge", line);
    row.upper = TakeBound(o, "upper_ohm", "upper_edge", line);
    if (!row.lower && !row.upper)
        throw Fault{line, QStringLiteral("row %1 has neither \"lower_ohm\" nor \"upper_ohm\"").arg(index)};
    if (row.lower && row.upper && !(row.lower->ohm < row.upper->ohm))
        throw Fault{line, QStringLiteral("\"lower_ohm\" must be below \"upper_ohm\"")};
    row.clause = Text(o, "clause", line, false);
    row.purpose = Text(o, "purpose", line, false);
    row.className = Text(o, "class", line, false);
    return row;
}

}  // namespace

const LimitRow* LimitSet::Row(const QString& kind, Measurement m, const QString& purpose) const
{
    for (const LimitRow& r : rows)
        if (r.kind == kind && r.measurement == m && r.className.isEmpty() &&
            (purpose.isEmpty() || r.purpose.isEmpty() || r.purpose == purpose))
            return &r;
    return nullptr;
}

bool ParseLimitSet(const QByteArray& text, const QString& file, bool builtIn, LimitSet& set, QString* error)
{
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    try {
        if (parse.error != QJsonParseError::NoError)
            throw Fault{LineAt(text, parse.offset), parse.errorString()};
        if (!doc.isObject())
            throw Fault{1, QStringLiteral("the top level must be an object")};
        const QJsonObject top = doc.object();
        const auto lineOf = [&](const char* key) {
            const qsizetype at = text.indexOf('"' + QByteArray(key) + '"');
            return at < 0 ? 1 : LineAt(text, at);
        };
        LimitSet s;
        s.file = file;
        s.builtIn = builtIn;
        s.id = Text(top, "set", lineOf("set"), true).trimmed();
        s.source = Text(top, "source", lineOf("source"), true).trimmed();
        s.note = Text(top, "note", lineOf("note"), false);
        // A person's set must not pass for a standard's.
        if (!builtIn && !s.source.startsWith(QLatin1String("user-defined: ")))
            throw Fault{lineOf("source"), QStringLiteral("\"source\" of a set of your own must begin with "
                                                         "\"user-defined: \" and say where its limits come from")};
        const QJsonValue rows = top.value(QStringLiteral("rows"));
        if (!rows.isArray() || rows.toArray().isEmpty())
            throw Fault{lineOf("rows"), QStringLiteral("\"rows\" must be a list of at least one row")};
        const std::vector<qsizetype> starts = RowOffsets(text);
        const QJsonArray array = rows.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            const int line = static_cast<size_t>(i) < starts.size() ? LineAt(text, starts[static_cast<size_t>(i)])
                                                                     : lineOf("rows");
            s.rows.push_back(TakeRow(array[i], line, static_cast<int>(i) + 1));
        }
        const bool classes = !s.rows.front().className.isEmpty();
        for (const LimitRow& r : s.rows)
            if (r.className.isEmpty() == classes)
                throw Fault{r.line, QStringLiteral("a set holds either limits or classes (\"class\"), not both")};
        set = std::move(s);
        return true;
    } catch (const Fault& f) {
        if (error)
            *error = QStringLiteral("%1: line %2: %3").arg(file).arg(f.line).arg(f.what);
        return false;
    }
}

const LimitSet* LimitLibrary::Find(const QString& id) const
{
    for (const LimitSet& s : sets)
        if (s.id == id)
            return &s;
    return nullptr;
}

const LimitSet* LimitLibrary::PackagingClasses() const
{
    for (const LimitSet& s : sets)
        if (s.builtIn && s.Classification())
            return &s;
    return nullptr;
}

QStringList LimitLibrary::Ids() const
{
    QStringList ids;
    for (const LimitSet& s : sets)
        if (!s.Classification())
            ids << s.id;
    return ids;
}

LimitLibrary LoadLimitLibrary(const QString& userDir)
{
    LimitLibrary lib;
    for (int i = 0; i < kBuiltInLimitCount; ++i) {
        LimitSet s;
        QString error;
        if (ParseLimitSet(QByteArray(kBuiltInLimitFiles[i]), QString::fromLatin1(kBuiltInLimitNames[i]), true, s,
                          &error))
            lib.sets.push_back(std::move(s));
        else
            lib.problems << error;
    }
    if (userDir.isEmpty())
        return lib;
    const QDir dir(userDir);
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            lib.problems << QStringLiteral("%1: %2").arg(path, f.errorString());
            continue;
        }
        LimitSet s;
        QString error;
        if (!ParseLimitSet(f.readAll(), path, false, s, &error)) {
            lib.problems << error;
            continue;
        }
        if (lib.Find(s.id)) {
            lib.problems << QStringLiteral("%1: line 1: the set name '%2' is taken; give it another").arg(path, s.id);
            continue;
        }
        lib.sets.push_back(std::move(s));
    }
    return lib;
}

QString UserLimitsDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/krx738/limits");
}

}  // namespace krx
