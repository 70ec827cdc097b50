// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/file_paths.h"

#include "core/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
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

QString g_overridePath;

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

QString SettingsSection()
{
    return QStringLiteral("KRX 738");
}

QString SettingsPlaces::Read(const QString& key, const QString& defaultValue) const
{
    for (const QString& path : readOrder)
        if (const auto value = ProfileFile(path).Find(SettingsSection(), key))
            return value->left(ProfileFile::MaxValueLength);
    return defaultValue.left(ProfileFile::MaxValueLength);
}

std::int32_t SettingsPlaces::ReadInteger(const QString& key, std::int32_t defaultValue) const
{
    // The file that holds the key decides, also with a value that is no number.
    std::int32_t v = 0;
    for (const QString& path : readOrder)
        if (const auto value = ProfileFile(path).Find(SettingsSection(), key))
            return ParseProfileInteger(*value, v) ? v : defaultValue;
    return defaultValue;
}

SettingsPlaces SettingsPlacesFor(const QString& programDir, const QString& userDir, const WritableTest& writable)
{
    const WritableTest canWrite = writable ? writable : [](const QString& p) { return QFileInfo(p).isWritable(); };
    const QString name = QStringLiteral("KRX_SETUP.INI");
    const QString beside = QDir(programDir).filePath(name);
    const QString user = QDir(userDir).filePath(name);
    SettingsPlaces places;
    places.readOrder = {user, beside};
    // An installed copy lives in <prefix>/bin, which root may write to: a user's settings do not
    // belong there, and a file left in /usr/bin would outlive the package.
    const bool installed = QFileInfo(programDir).fileName() == QLatin1String("bin");
    if (QFileInfo::exists(user) && canWrite(user))
        places.writeTo = user;
    else if (!installed && (QFileInfo::exists(beside) ? canWrite(beside) : canWrite(programDir)))
        places.writeTo = beside;
    else
        places.writeTo = user;
    return places;
}

SettingsPlaces CurrentSettingsPlaces()
{
    if (!g_overridePath.isEmpty())
        return {{g_overridePath}, g_overridePath};
    return SettingsPlacesFor(QCoreApplication::applicationDirPath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString SettingsFilePath()
{
    return CurrentSettingsPlaces().writeTo;
}

void SetSettingsFilePath(const QString& path)
{
    g_overridePath = path;
}

QString DefaultDataDirectory()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return QDir::homePath() + QLatin1Char('/');
#endif
}

bool RememberDataDirectory(const QString& folder, Dialogs& person)
{
    ProfileFile file(SettingsFilePath());
    QString reason;
    if (file.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), folder, &reason))
        return true;
    person.ShowError(QStringLiteral("Cannot write the settings file %1 (%2). The folder is not "
                                    "remembered for the next start; the save goes on.")
                         .arg(QDir::toNativeSeparators(file.Path()), reason));
    return false;
}

void RememberSavedFolder(const QString& fileName, QString& inUse, bool always, Dialogs& person)
{
    const QString folder = DirectoryPart(fileName);
    if (always)
        RememberDataDirectory(folder, person);
    else
        RememberDataDirectoryIfChanged(folder, inUse, person);
    inUse = folder;
}

FigureChoices ReadFigureChoices()
{
    const SettingsPlaces places = CurrentSettingsPlaces();
    FigureChoices c;
    ParseClass(places.Read(QStringLiteral("InsulationClass"), ClassName(c.cls)).trimmed().toUpper(), c.cls);
    ParseDarTimes(places.Read(QStringLiteral("DarTimes"), DarTimesName(c.darTimes)).trimmed(), c.darTimes);
    return c;
}

bool WriteFigureChoices(const FigureChoices& choices, QString* error)
{
    ProfileFile file(SettingsFilePath());
    return file.WriteString(SettingsSection(), QStringLiteral("InsulationClass"), ClassName(choices.cls), error) &&
           file.WriteString(SettingsSection(), QStringLiteral("DarTimes"), DarTimesName(choices.darTimes), error);
}

QString ReasonLine(const QString& reason)
{
    return reason.isEmpty() ? QString() : QStringLiteral("\n") + reason;
}

bool RememberDataDirectoryIfChanged(const QString& folder, const QString& startupFolder, Dialogs& person)
{
    if (folder.compare(startupFolder, Qt::CaseSensitive) == 0)
        return false;
    return RememberDataDirectory(folder, person);
}

QString DefaultRecordingDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recordings");
}

RecordingSettings ReadRecordingSettings()
{
    const SettingsPlaces places = CurrentSettingsPlaces();
    RecordingSettings r;
    // Anything but an explicit 0 keeps the recording on: losing readings is the worse surprise.
    r.enabled = places.ReadInteger(QStringLiteral("Recording"), 1) != 0;
    r.folder = places.Read(QStringLiteral("RecordingDirectory"), QString()).trimmed();
    if (r.folder.isEmpty())
        r.folder = DefaultRecordingDirectory();
    return r;
}

bool WriteRecordingSettings(const RecordingSettings& settings, QString* error)
{
    ProfileFile file(SettingsFilePath());
    return file.WriteString(SettingsSection(), QStringLiteral("Recording"),
                            settings.enabled ? QStringLiteral("1") : QStringLiteral("0"), error) &&
           file.WriteString(SettingsSection(), QStringLiteral("RecordingDirectory"), settings.folder, error);
}

}  // namespace krx
