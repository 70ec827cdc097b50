// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/memory_format.h"

#include "core/csv_appender.h"
#include "core/localetext.h"

namespace krx::memory {

namespace {
const QChar kAcute(0x00B4);
const QChar kDegree(0x00B0);
const QLatin1Char kSep(';');

// Labels padded to one width so that the values line up in the fixed-pitch display.
QString Label(const char* name)
{
    return QString::fromLatin1(name).leftJustified(22) + QStringLiteral(" : ");
}

QString Header(std::initializer_list<const char*> names)
{
    QStringList cols;
    for (const char* n : names)
        cols << QString::fromLatin1(n);
    return cols.join(kSep) + QStringLiteral("\r\n");
}

// The meter's date comes as "dd.mm.20yy" and is shown as every export writes a date; one that holds
// no numbers (a record of garbage) stays as it came.
QString RecordDate(const QString& meterDate)
{
    const QStringList parts = meterDate.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return meterDate;
    bool okDay = false, okMonth = false, okYear = false;
    const int day = parts[0].toInt(&okDay);
    const int month = parts[1].toInt(&okMonth);
    const int year = parts[2].toInt(&okYear);
    return okDay && okMonth && okYear ? NumericDate(year, month, day) : meterDate;
}

QStringList HeadLines(const RecordHead& h)
{
    return {
        Label("File number") + QString::number(h.recordNo),
        Label("Date / Time") + RecordDate(h.date) + QStringLiteral(" / ") + h.time,
        Label("Humidity / Temperature") + h.humidity + QStringLiteral("% / ") + WithLocaleSeparator(h.temperature) + QLatin1Char(' ') +
            kDegree + QLatin1Char('C'),
    };
}

QStringList IdentityColumns(const Identity& who, int fileNo)
{
    return {who.deviceName, kAcute + who.serialNo, kAcute + who.swVersion, QString::number(fileNo)};
}
}  // namespace

QString OhmHeader()
{
    return Header({"Type", "Ser. No.", "Sw.Ver.", "File No.", "Date", "Time", "Humi.(%)", "Temp.(GC)", "Meas.(V)",
                   "Timer (Sec.)", "Resis.(Ohm)", "MeasCalc", "Comment"});
}

QString BreakDownHeader()
{
    // "Cycle Time (Sec." without its closing bracket: the header has always read so, and
    // spreadsheets made from earlier exports may match on it.
    return Header({"Type", "Ser. No.", "Sw.Ver.", "File No.", "Date", "Time", "Humi.(%)", "Temp.(GC)", "BDV (V)",
                   "Resis. bev.(MOhm)", "Resis. aft.(MOhm)", "Cycle Time (Sec.", "Meas. BD Off(MOhm)",
                   "Timer BD Off(Sec.)", "Comment"});
}

QString ReadingText(const OhmRecord& r)
{
    return WithLocaleSeparator(r.mantissa) + QStringLiteral("E+") + r.exponent;
}

QString MethodText(int timer, int calculation)
{
    if (timer == 0)
        return QString();
    return calculation != 0 ? QStringLiteral("Lapse") : QStringLiteral("Average");
}

QStringList OhmDisplayBlock(const OhmRecord& r)
{
    QStringList lines = HeadLines(r.head);
    lines << Label("Measuring voltage") + QString::number(r.voltage) + QStringLiteral(" V")
          << Label("Readings") + WithLocaleSeparator(r.mantissa) + QLatin1Char('E') + r.exponent + QStringLiteral(" Ohm")
          << Label("Timer") + QString::number(r.timer) + QStringLiteral(" Sec")
          << Label("Measurement methods") + MethodText(r.timer, r.calculation);
    return lines;
}

QStringList BreakDownDisplayBlock(const BreakDownRecord& r)
{
    QStringList lines = HeadLines(r.head);
    lines << Label("Break down voltage") + QString::number(r.breakDownVoltage) + QStringLiteral(" V")
          << Label("Resistor value before") + QString::number(WholeMOhm(r.resistanceBefore)) + QStringLiteral(" MOhm")
          << Label("Resistor value after") + QString::number(WholeMOhm(r.resistanceAfter)) + QStringLiteral(" MOhm")
          << Label("Cycle time") + QString::number(r.cycleTime) + QStringLiteral(" Sek")
          << Label("Resistor off") + QString::number(WholeMOhm(r.resistanceOff)) + QStringLiteral(" MOhm")
          << Label("Timer off") + QString::number(r.timerOff) + QStringLiteral(" Sek");
    return lines;
}

QString NotSavedLine(int fileNo)
{
    return QStringLiteral("File number %1 cannot be saved (only 1 to %2) !").arg(fileNo).arg(kHighestFileNo);
}

OhmSlot ToSlot(const OhmRecord& r)
{
    OhmSlot s;
    s.date = RecordDate(r.head.date);
    s.meterDate = r.head.date;
    s.time = r.head.time;
    s.humidity = r.head.humidity;
    s.temperature = WithLocaleSeparator(r.head.temperature);
    s.reading = ReadingText(r);
    s.method = MethodText(r.timer, r.calculation);
    s.voltage = r.voltage;
    s.timer = r.timer;
    return s;
}

BreakDownSlot ToSlot(const BreakDownRecord& r)
{
    BreakDownSlot s;
    s.date = RecordDate(r.head.date);
    s.meterDate = r.head.date;
    s.time = r.head.time;
    s.humidity = r.head.humidity;
    s.temperature = WithLocaleSeparator(r.head.temperature);
    s.voltage = static_cast<std::uint32_t>(r.breakDownVoltage);
    s.resistanceBefore = WholeMOhm(r.resistanceBefore);
    s.resistanceAfter = WholeMOhm(r.resistanceAfter);
    s.cycleTime = static_cast<std::uint32_t>(r.cycleTime);
    s.resistanceOff = WholeMOhm(r.resistanceOff);
    s.timerOff = static_cast<std::uint32_t>(r.timerOff);
    s.resistanceBeforeKOhm = r.resistanceBefore;
    s.resistanceAfterKOhm = r.resistanceAfter;
    s.resistanceOffKOhm = r.resistanceOff;
    return s;
}

QString OhmLine(const Identity& who, int fileNo, const OhmSlot& s, const QString& comment)
{
    QStringList cols = IdentityColumns(who, fileNo);
    cols << s.date << s.time << s.humidity << s.temperature << QString::number(s.voltage)
         << QString::number(s.timer) << s.reading << s.method << CsvField(comment);
    return cols.join(kSep);
}

QString BreakDownLine(const Identity& who, int fileNo, const BreakDownSlot& s, const QString& comment)
{
    QStringList cols = IdentityColumns(who, fileNo);
    cols << s.date << s.time << s.humidity << s.temperature << QString::number(s.voltage)
         << QString::number(s.resistanceBefore) << QString::number(s.resistanceAfter)
         << QString::number(s.cycleTime) << QString::number(s.resistanceOff) << QString::number(s.timerOff)
         << CsvField(comment);
    return cols.join(kSep);
}

Range CheckRange(const QString& fromText, const QString& toText, int highest)
{
    Range r;
    try {
        r.from = ToInt(fromText);
        r.to = ToInt(toText);
    } catch (const ConversionError&) {
        return r;
    }
    r.valid = r.from >= 1 && r.from <= highest && r.from <= r.to && r.to <= highest;
    return r;
}

}  // namespace krx::memory
