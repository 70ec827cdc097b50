// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the break-down test: the report lines and blocks it appends to the memo, and the line
// and header of its result file. No widgets, so that every text can be checked alone.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace krx {

// Values of one test as the report shows them. Resistances stay in kOhm, as the meter sends them.
struct BreakDownReport {
    int humidity = 0;            // percent, read at the break-down
    double temperature = 0.0;    // deg C, read at the break-down
    int voltage = 0;             // break-down voltage, V
    std::uint32_t resistanceBefore = 0;   // kOhm
    std::uint32_t resistanceAfterBD = 0;  // kOhm
    std::uint32_t resistanceAfterBO = 0;  // kOhm
    int breakOffTime = 0;        // s
};

// 33 minus signs between the sections of the report.
QString SeparatorLine();
// Whole MOhm, truncated in unsigned arithmetic: 1999 kOhm is 1 MOhm, 2^31 kOhm stays positive.
std::uint32_t KOhmToMOhm(std::uint32_t kOhm);
// The report's forms of a resistance ("1999 MOhm") and a temperature (general format, locale
// separator: "23.5").
QString MOhmText(std::uint32_t kOhm);
QString TemperatureText(double celsius);

// "Volt Meas. 1000 V" and "Resistance 1999 MOhm": the intermediate values of the break-down phase.
QString VoltMeasLine(int voltage);
QString ResistanceLine(std::uint32_t kOhm);
// The test-mode line of each poll: "Event from KRX : " in the break-down phase, "Event from the
// KRX : " in the break-off phase, then the bit text, two blanks and the time.
QString EventLine(bool breakOffPhase, const QString& bitText, const QString& time);

// The three result blocks: seven lines ending with a separator after a break-down, eight lines
// after a break-off or when none came.
QStringList BreakDownBlock(const BreakDownReport& r);
QStringList BreakOffBlock(const BreakDownReport& r);
QStringList NoBreakOffBlock(const BreakDownReport& r);

// Header of the result file, fourteen names; the file writer ends the line.
inline constexpr char BreakDownResultHeader[] =
    "Type;Ser. No.;Sw.Ver.;Date;Time;Humi.(%);Temp.(GC);Cycle Time (Sec.);BDV (V);Meas.bev.(MOhm);"
    "Meas.aft.(MOhm);Meas. BD Off(MOhm);Timer BD Off(Sec.);Comment";

// One saved result: the fourteen fields of the file in their order of origin.
struct BreakDownResultRecord {
    QString deviceName;
    QString serialNo;
    QString swVersion;
    QDateTime when;                 // the moment of the save
    float temperature = 0.0f;       // the meter's four characters, carried in single precision
    std::uint32_t humidity = 0;
    std::uint32_t cycleTime = 0;    // the break-down timer of the test, s
    std::uint32_t voltage = 0;
    std::uint32_t resistanceBeforeMOhm = 0;
    std::uint32_t resistanceAfterBDMOhm = 0;
    std::uint32_t resistanceAfterBOMOhm = 0;  // 0 before the break-off phase
    std::uint32_t breakOffTime = 0;           // 0 before the break-off phase
    QString comment;
};
// The result line without its line end; serial number and software version carry the acute
// accent (byte 0xB4 in the file) so that a spreadsheet keeps them as text.
QString BreakDownResultLine(const BreakDownResultRecord& r);

}  // namespace krx
