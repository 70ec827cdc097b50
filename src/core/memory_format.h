// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text of the two memory read-outs: the display blocks, the export headers and the export lines,
// and the record tables they are built from. No widgets, no device: values in, text out.

#include "device/decode.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace krx::memory {

// Closes every record of a listing, also the last one (record number 0).
inline constexpr QLatin1StringView kHyphenLine{"----------------------------------------"};

// The meter stores file numbers 1 to 99; the table and the two-digit range fields hold no more.
inline constexpr int kTableSize = 100;
inline constexpr int kHighestFileNo = kTableSize - 1;
inline bool FitsTable(int fileNo) { return fileNo >= 1 && fileNo <= kHighestFileNo; }

// Who measured: the main window's identity fields, copied into every export line.
struct Identity {
    QString deviceName;
    QString serialNo;
    QString swVersion;
};

// Header lines as the window keeps them, each with its closing CR LF.
QString OhmHeader();
QString BreakDownHeader();

// Resistances are stored in kOhm and shown in whole MOhm, the remainder dropped; unsigned, so
// 2^31 kOhm and more stay positive.
inline std::uint32_t WholeMOhm(std::uint32_t kOhm) { return kOhm / 1000u; }

// mantissa "E+" exponent: the form the export file holds.
QString ReadingText(const OhmRecord& r);
// "" without timer, else "Lapse" for any calculation other than 0, else "Average".
QString MethodText(int timer, int calculation);

// The lines a record adds to the display after its hyphen line (7 and 9 lines).
QStringList OhmDisplayBlock(const OhmRecord& r);
QStringList BreakDownDisplayBlock(const BreakDownRecord& r);
// Said in the display below a record whose file number the table cannot hold.
QString NotSavedLine(int fileNo);

// One slot of the resistance table; a slot no record filled keeps empty texts and zeros.
struct OhmSlot {
    QString date, time, humidity, temperature, reading, method;
    QString meterDate;  // as the meter stores it ("dd.mm.yyyy"), for the data dialect
    int voltage = 0;
    int timer = 0;
};

// One slot of the break-down table; a slot no record filled exports "0" texts and zeros.
struct BreakDownSlot {
    QString date = QStringLiteral("0");
    QString meterDate = QStringLiteral("0");  // as the meter stores it, for the data dialect
    QString time = QStringLiteral("0");
    QString humidity = QStringLiteral("0");
    QString temperature = QStringLiteral("0");
    std::uint32_t voltage = 0;
    std::uint32_t resistanceBefore = 0;  // whole MOhm
    std::uint32_t resistanceAfter = 0;   // whole MOhm
    std::uint32_t cycleTime = 0;
    std::uint32_t resistanceOff = 0;     // whole MOhm
    std::uint32_t timerOff = 0;
    // The meter's own kOhm, for the data dialect, which carries them whole.
    std::uint32_t resistanceBeforeKOhm = 0;
    std::uint32_t resistanceAfterKOhm = 0;
    std::uint32_t resistanceOffKOhm = 0;
};

OhmSlot ToSlot(const OhmRecord& r);
BreakDownSlot ToSlot(const BreakDownRecord& r);

// The table of one read-out, indexed directly by file number. Store() refuses a file number
// outside 1 to 99 instead of writing past the table; the highest number counts stored ones only.
template <typename Slot>
class RecordTable {
public:
    bool Store(int fileNo, const Slot& slot)
    {
        if (!FitsTable(fileNo))
            return false;
        slots_[static_cast<std::size_t>(fileNo)] = slot;
        if (fileNo > highest_)
            highest_ = fileNo;
        return true;
    }
    // Slots outside the table read as an unfilled slot.
    const Slot& At(int fileNo) const
    {
        static const Slot empty{};
        return FitsTable(fileNo) ? slots_[static_cast<std::size_t>(fileNo)] : empty;
    }
    int Highest() const { return highest_; }

private:
    std::array<Slot, kTableSize> slots_{};
    int highest_ = 0;
};

// Export lines without line end; the acute accent before serial number and software version
// keeps spreadsheets from reading them as numbers.
QString OhmLine(const Identity& who, int fileNo, const OhmSlot& s, const QString& comment);
QString BreakDownLine(const Identity& who, int fileNo, const BreakDownSlot& s, const QString& comment);

// The accepted range: 1 <= from <= highest and from <= to <= highest. Texts are trimmed first;
// a blank or non-numeric field is simply not a valid range.
struct Range {
    bool valid = false;
    int from = 0;
    int to = 0;
};
Range CheckRange(const QString& fromText, const QString& toText, int highest);

}  // namespace krx::memory
