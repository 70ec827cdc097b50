// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/file_paths.h"

#include "core/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace krx {

namespace {

QString g_overridePath;

}  // namespace

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
    person.ShowError(QCoreApplication::translate("Procedures", "Cannot write the settings file %1 (%2). The folder is not "
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
    ParseKind(places.Read(QStringLiteral("AssetKind"), QString()).trimmed(), c.kind);
    bool ok = false;
    const double volts = places.Read(QStringLiteral("RatedVoltage"), QString()).trimmed().toDouble(&ok);
    if (ok && volts > 0.0 && volts <= 1e6)
        c.ratedVolts = volts;
    WindingType winding{};
    if (ParseWinding(places.Read(QStringLiteral("WindingType"), QString()).trimmed(), winding))
        c.winding = winding;
    return c;
}

bool WriteFigureChoices(const FigureChoices& choices, QString* error)
{
    ProfileFile file(SettingsFilePath());
    return file.WriteString(SettingsSection(), QStringLiteral("InsulationClass"), ClassName(choices.cls), error) &&
           file.WriteString(SettingsSection(), QStringLiteral("DarTimes"), DarTimesName(choices.darTimes), error) &&
           file.WriteString(SettingsSection(), QStringLiteral("AssetKind"), KindName(choices.kind), error) &&
           file.WriteString(SettingsSection(), QStringLiteral("RatedVoltage"),
                            choices.ratedVolts ? QString::number(*choices.ratedVolts, 'g', 7) : QString(), error) &&
           file.WriteString(SettingsSection(), QStringLiteral("WindingType"),
                            choices.winding ? WindingName(*choices.winding) : QString(), error);
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
