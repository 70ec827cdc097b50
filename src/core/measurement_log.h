// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record of the latest live reading and its line in the measurement log file.

#include <QDateTime>
#include <QString>

namespace krx {

// The latest reading, all fields as the file holds them (LastReading of the measurement window).
struct MeasurementRecord {
    QString type;         // the meter's device name
    QString serialNo;
    QString date;         // numeric date, of the reading and then of the save
    QString time;         // long time
    QString swVersion;
    QString resistance;   // the meter's value text; "0" out of range
    QString humidity;
    QString temperature;  // general format, locale separator
    QString rangeFlag;    // "0", "1" overflow, "2" underflow
    QString voltage;
    QString timer;        // seconds in timer mode, "0" otherwise
    QString calculation;  // "Ave." / "Lap." in timer mode, empty otherwise
    QString comment;      // set by a save only
};

// What one reading of the cycle delivers, with the identity the main window read at Init.
struct ReadingInput {
    QString deviceName;
    QString serialNo;
    QString swVersion;
    QString valueText;
    int humidity = 0;
    double temperature = 0.0;
    int rangeFlag = 0;
    int volts = 0;
    int timerSeconds = 0;
    QString calculation;
};

// Fills every field of the record but the comment, which belongs to the last save.
void RefreshRecord(MeasurementRecord& record, const ReadingInput& in, const QDateTime& now);

// A save stamps the record with its own moment and comment.
void StampSave(MeasurementRecord& record, const QDateTime& now, const QString& comment);

inline constexpr char MeasurementLogHeader[] =
    "Type;Ser. No.;Date;Time;Sw.Ver.;Resis.(Ohm);Humi.(%);Temp.(GC);Volt (V);Overf.;Timer(Sec);MeasCalc;Comment";

// The record's 13 fields joined by ";", without line end. The grave accent in front of the serial
// number and the software version keeps a spreadsheet from reading them as numbers.
QString MeasurementLogLine(const MeasurementRecord& record);

}  // namespace krx
