// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the faces of one program run share: the runner of the procedures, the settings read at
// start, the mode chosen in the main window and the meter's identity as Init found it. Start-up
// creates it and hands it to every window; no window reads another's fields.

#include "core/procedure_runner.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace krx {

struct MeterSession {
    explicit MeterSession(ProcedureRunner& procedures) : runner(procedures) {}
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;

    ProcedureRunner& runner;  // one runner for every window: the meter sees one procedure at a time

    bool TimerMode = false;            // true after "Measuring with timer", false after "Measuring"
    std::int32_t SamplingTime = 1000;  // ms between readings (settings file)
    static constexpr std::int32_t kLongestSamplingTime = 3600000;
    // The settings file's sampling time when it was not one; said once, then cleared.
    std::optional<std::int32_t> UnusableSamplingTime;
    QString DataDirectory;  // start-up folder of the save dialogs (settings file, read once)
    // Where each cycle's readings are recorded (settings file, read once like the folder above).
    bool RecordingEnabled = true;
    QString RecordingDirectory;
    bool Simulated = false;  // the meter is the simulated one (--simulate)
    bool TestMode = false;  // "T" on the command line: extra fields in the procedures
    int CommandPause = 20;  // ms before certain device commands

    // Identity of the meter, filled by Init.
    QString SerialNo;
    QString SwVersion;
    QString DeviceName;
    // The meter's measuring voltage as the last Init read it: volts, 0 for the automatic voltage
    // function; empty when it could not be read.
    std::optional<int> SetupVolts;

    // Which meter among several: the one wanted on the command line or in the environment, the
    // one the settings file remembers, and the one Init chose (empty when there was no choice).
    QString WantedSerial;
    QString RememberedSerial;
    QString ChosenSerial;
    // A window's caption, with the chosen meter's serial number after it.
    QString Caption(const QString& caption) const
    {
        return ChosenSerial.isEmpty() ? caption : caption + QStringLiteral(" – ") + ChosenSerial;
    }
};

}  // namespace krx
