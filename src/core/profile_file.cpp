// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/profile_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <cctype>

namespace krx {

namespace {

struct Line {
    QString text;     // without its line end
    QByteArray raw;   // the line's bytes as read, without its line end
    bool fromFile = false;
    QString section;  // for a section line: the name; else empty
    bool isSection = false;
    QString key;  // for a key line: the trimmed key; else empty
    QString value;
};

Line Classify(const QString& text)
{
    Line l;
    l.text = text;
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close > 0) {
            l.isSection = true;
            l.section = t.mid(1, close - 1).trimmed();
        }
        return l;
    }
    if (t.startsWith(QLatin1Char(';')))
        return l;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return l;
    l.key = t.left(eq).trimmed();
    QString v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    l.value = v;
    return l;
}

struct Content {
    QByteArray raw;  // the file as read
    QList<Line> lines;
    QString lineEnd;
    bool existed = false;
    bool endsWithLineEnd = true;
    bool windows1252 = false;  // some line is not UTF-8: the file was written with Windows' code page
};

// A file written on Windows holds its accented folder names in Windows-1252, which is never valid
// UTF-8 once it holds such a letter: each line is read as UTF-8 when it is valid UTF-8, else as
// Windows-1252.
QString DecodeLine(const QByteArray& bytes, bool& windows1252)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    windows1252 = true;
    QStringDecoder cp1252("windows-1252", QStringDecoder::Flag::Stateless);
    return cp1252.isValid() ? QString(cp1252.decode(bytes)) : QString::fromLatin1(bytes);
}

// A line this program writes: in Windows-1252 into a file that already holds that code page (so a
// program on Windows reads it as before), as long as every character fits; else UTF-8.
QByteArray EncodeLine(const QString& text, bool windows1252)
{
    if (windows1252) {
        QStringEncoder cp1252("windows-1252", QStringEncoder::Flag::Stateless);
        const QByteArray bytes = cp1252.encode(text);
        if (cp1252.isValid() && !cp1252.hasError())
            return bytes;
    }
    return text.toUtf8();
}

QString NativeLineEnd()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

Content Load(const QString& path)
{
    Content c;
    c.lineEnd = NativeLineEnd();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    c.existed = true;
    c.raw = f.readAll();
    if (c.raw.isEmpty())
        return c;
    const qsizetype firstLf = c.raw.indexOf('\n');
    if (firstLf >= 0)
        c.lineEnd = firstLf > 0 && c.raw.at(firstLf - 1) == '\r' ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QList<QByteArray> lines = c.raw.split('\n');
    c.endsWithLineEnd = c.raw.endsWith('\n');
    if (c.endsWithLineEnd)
        lines.removeLast();
    for (QByteArray& bytes : lines) {
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        Line l = Classify(DecodeLine(bytes, c.windows1252));
        l.raw = bytes;
        l.fromFile = true;
        c.lines << l;
    }
    return c;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A folder that may not be written to leaves no room for a new file beside the old one: the old
// one is overwritten in place, and put back as it was when the disk refuses part of the new text
// (that needs no more room than the file had).
bool WriteInPlace(const QString& path, const QByteArray& before, const QByteArray& after, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    if (f.write(after) == after.size() && f.resize(after.size()))
        return true;
    if (error)
        *error = f.errorString();
    f.seek(0);
    f.write(before);
    f.resize(before.size());
    return false;
}

}  // namespace

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return Find(section, key).value_or(defaultValue).left(MaxValueLength);
}

std::optional<QString> ProfileFile::Find(const QString& section, const QString& key) const
{
    const Content c = Load(path_);
    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& l : c.lines) {
        if (l.isSection) {
            // Only the first section of that name is searched.
            if (sectionSeen && inSection)
                break;
            inSection = SameName(l.section, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (inSection && !l.key.isEmpty() && SameName(l.key, key))
            return l.value.left(MaxValueLength);
    }
    return std::nullopt;
}

std::int32_t ProfileFile::ReadInteger(const QString& section, const QString& key, std::int32_t defaultValue) const
{
    std::int32_t v = 0;
    return ParseProfileInteger(ReadString(section, key, QString()), v) ? v : defaultValue;
}

bool ProfileFile::WriteString(const QString& section, const QString& key, const QString& value, QString* error)
{
    Content c = Load(path_);
    const QString newLine = key + QLatin1Char('=') + value;

    qsizetype sectionAt = -1;
    for (qsizetype i = 0; i < c.lines.size(); ++i)
        if (c.lines[i].isSection && SameName(c.lines[i].section, section)) {
            sectionAt = i;
            break;
        }
    if (sectionAt < 0) {
        if (!c.lines.isEmpty() && !c.lines.back().text.trimmed().isEmpty())
            c.lines << Classify(QString());
        c.lines << Classify(QLatin1Char('[') + section + QLatin1Char(']'));
        c.lines << Classify(newLine);
    } else {
        qsizetype lastContent = sectionAt;
        bool replaced = false;
        for (qsizetype i = sectionAt + 1; i < c.lines.size() && !c.lines[i].isSection; ++i) {
            if (!c.lines[i].key.isEmpty() && SameName(c.lines[i].key, key)) {
                c.lines[i] = Classify(newLine);
                replaced = true;
                break;
            }
            if (!c.lines[i].text.trimmed().isEmpty())
                lastContent = i;
        }
        if (!replaced)
            c.lines.insert(lastContent + 1, Classify(newLine));
    }

    // Lines read from the file keep their bytes, whatever their code page.
    QByteArray bytes;
    const QByteArray lineEnd = c.lineEnd.toLatin1();
    for (qsizetype i = 0; i < c.lines.size(); ++i) {
        const Line& l = c.lines[i];
        bytes += l.fromFile ? l.raw : EncodeLine(l.text, c.windows1252);
        if (i + 1 < c.lines.size() || c.endsWithLineEnd || !c.existed)
            bytes += lineEnd;
    }

    // Written whole or not at all, so that a failing disk never leaves half a settings file.
    const QFileInfo info(path_);
    QDir().mkpath(info.absolutePath());
    if (c.existed && !QFileInfo(info.absolutePath()).isWritable())
        return WriteInPlace(path_, c.raw, bytes, error);
    QSaveFile f(path_);
    // The flush is checked here: QSaveFile commits a file whose bytes did not all reach the disk.
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush()) {
        if (error)
            *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool ParseProfileInteger(const QString& text, std::int32_t& value)
{
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t.remove(0, 1);
    } else if (t.size() > 2 && (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X")))) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty())
        return false;
    for (QChar ch : t)
        if (!(base == 16 ? std::isxdigit(ch.toLatin1()) : ch.isDigit()) || ch.unicode() > 127)
            return false;
    bool ok = false;
    const qulonglong magnitude = t.toULongLong(&ok, base);
    if (!ok)
        return false;
    if (base == 16) {
        // Hexadecimal covers the full 32 bits, so "$FFFFFFFF" is -1.
        if (magnitude > 0xFFFFFFFFull)
            return false;
        const auto bits = static_cast<std::uint32_t>(magnitude);
        value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull))
        return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<long long>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

}  // namespace krx
