// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's keys in its settings file KRX_SETUP.INI, and where that file lives.

#include "core/dialogs.h"
#include "core/judging/ieee43.h"
#include "core/judging/insulation.h"
#include "core/profile_file.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace krx {

QString SettingsSection();  // "KRX 738"

// The settings files of a run: KRX_SETUP.INI in the user's configuration folder and beside the
// program. Each key is read from the first file that holds it, the user's copy first, so that a
// file beside the program that the user may not write (set up by an administrator) still gives
// the keys the user's copy lacks. Writes go to one file.
struct SettingsPlaces {
    QStringList readOrder;
    QString writeTo;

    QString Read(const QString& key, const QString& defaultValue) const;
    std::int32_t ReadInteger(const QString& key, std::int32_t defaultValue) const;
};
// Whether a file, or for a file not there yet its folder, may be written.
using WritableTest = std::function<bool(const QString& path)>;
// The places for a program in programDir and a user whose configuration folder is userDir. The
// write goes to the user's copy when there is one (it is read first, so a write elsewhere would
// not count), else beside the program when that file (or, without it, the folder) may be written
// and the folder is not an installed copy's bin folder, else into a new user's copy.
SettingsPlaces SettingsPlacesFor(const QString& programDir, const QString& userDir,
                                 const WritableTest& writable = {});
// The places of this run: those of the program's folder and the user's configuration folder, or
// the one file set by SetSettingsFilePath.
SettingsPlaces CurrentSettingsPlaces();
// The file a write goes to.
QString SettingsFilePath();
// One file for reading and writing (tests, portable set-ups); an empty path restores the rule above.
void SetSettingsFilePath(const QString& path);
// "C:\" on Windows; elsewhere the home folder with a trailing separator.
QString DefaultDataDirectory();

// Writes the folder as DataDirectory. When the file cannot be written `person` is told, naming it,
// and the caller goes on: the data being saved is worth more than remembering its folder.
// True when written.
bool RememberDataDirectory(const QString& folder, Dialogs& person);
// For the exports that write the folder only when it differs from the start-up one: compares as
// exact, case-sensitive text. True when it wrote.
bool RememberDataDirectoryIfChanged(const QString& folder, const QString& startupFolder, Dialogs& person);
// A save reached `fileName`: its folder is where the next save dialog opens (`inUse`, the folder
// the program holds), and goes to the settings file for the next start — always, or only when it
// differs from the folder in use. Called only after the file was written, so that a save that
// failed moves nothing.
void RememberSavedFolder(const QString& fileName, QString& inUse, bool always, Dialogs& person);
// The insulation figures' choices: keys InsulationClass ("A", "B", "F", "H"; default F) and
// DarTimes ("30-60", "15-60"; default 30-60), and the rest of the nameplate last judged by: keys
// AssetKind (KindName; default machine), RatedVoltage (volts; empty when not known) and
// WindingType (WindingName; empty when not set). A value that is none of these gives the default.
struct FigureChoices {
    InsulationClass cls = InsulationClass::F;
    DarTimes darTimes = DarTimes::From30To60;
    AssetKind kind = AssetKind::Machine;
    std::optional<double> ratedVolts;
    std::optional<WindingType> winding;
};
FigureChoices ReadFigureChoices();
// Writes all five keys, every other line of the file kept; false with the reason in `error`.
bool WriteFigureChoices(const FigureChoices& choices, QString* error);

// Where every reading of a cycle goes: keys Recording (1 on, 0 off; default 1) and
// RecordingDirectory (default: the user's data folder + "/recordings").
struct RecordingSettings {
    bool enabled = true;
    QString folder;
};
QString DefaultRecordingDirectory();
RecordingSettings ReadRecordingSettings();
// Both keys, every other line of the file kept. False with a reason in `error` when not written.
bool WriteRecordingSettings(const RecordingSettings& settings, QString* error = nullptr);

// The system's reason as the second line of a box.
QString ReasonLine(const QString& reason);

}  // namespace krx
