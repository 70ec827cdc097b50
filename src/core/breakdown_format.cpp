// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/breakdown_format.h"

#include "core/csv_appender.h"
#include "core/localetext.h"

namespace krx {

namespace {
const QChar kAcuteAccent(0x00B4);

// Lines 2 to 6, shared by the three blocks.
QStringList CommonLines(const QString& title, const BreakDownReport& r)
{
    return {
        title,
        QStringLiteral("Humidity    ") + QString::number(r.humidity) + QStringLiteral(" %"),
        QStringLiteral("Temperature ") + TemperatureText(r.temperature) + QStringLiteral(" C"),
        QStringLiteral("Voltage   BD  ") + QString::number(r.voltage) + QStringLiteral(" V"),
        QStringLiteral("R before  BD  ") + MOhmText(r.resistanceBefore),
        QStringLiteral("R after   BD  ") + MOhmText(r.resistanceAfterBD),
    };
}

QStringList BreakOffLines(const QString& title, const BreakDownReport& r)
{
    QStringList lines = CommonLines(title, r);
    lines << QStringLiteral("R after   BO  ") + MOhmText(r.resistanceAfterBO)
          << QStringLiteral("Timer     BO  ") + QString::number(r.breakOffTime) + QStringLiteral(" Sec.");
    return lines;
}
}  // namespace

QString SeparatorLine()
{
    return QString(33, QLatin1Char('-'));
}

std::uint32_t KOhmToMOhm(std::uint32_t kOhm)
{
    return kOhm / 1000u;
}

QString MOhmText(std::uint32_t kOhm)
{
    return QString::number(KOhmToMOhm(kOhm)) + QStringLiteral(" MOhm");
}

QString TemperatureText(double celsius)
{
    return FormatReal(celsius);
}

QString VoltMeasLine(int voltage)
{
    return QStringLiteral("Volt Meas. ") + QString::number(voltage) + QStringLiteral(" V");
}

QString ResistanceLine(std::uint32_t kOhm)
{
    return QStringLiteral("Resistance ") + MOhmText(kOhm);
}

QString EventLine(bool breakOffPhase, const QString& bitText, const QString& time)
{
    const QString prefix = breakOffPhase ? QStringLiteral("Event from the KRX : ")
                                         : QStringLiteral("Event from KRX : ");
    return prefix + bitText + QStringLiteral("  ") + time;
}

QStringList BreakDownBlock(const BreakDownReport& r)
{
    QStringList lines = CommonLines(QStringLiteral("BREAK DOWN !!"), r);
    lines << SeparatorLine();
    return lines;
}

QStringList BreakOffBlock(const BreakDownReport& r)
{
    return BreakOffLines(QStringLiteral("BREAK-OFF !!"), r);
}

QStringList NoBreakOffBlock(const BreakDownReport& r)
{
    return BreakOffLines(QStringLiteral("NO BREAK-OFF !!"), r);
}

QString BreakDownResultLine(const BreakDownResultRecord& r)
{
    // Rounded from the single-precision value, so 23.45 gives 23.5 as the meter's figure means.
    // Four characters from the meter never need more than the four significant digits allowed.
    const QString temperature = FormatFixed(static_cast<double>(r.temperature), 1);
    const QStringList fields = {
        r.deviceName,
        kAcuteAccent + r.serialNo,
        kAcuteAccent + r.swVersion,
        NumericDate(r.when),
        LongTime(r.when),
        QString::number(r.humidity),
        temperature,
        QString::number(r.cycleTime),
        QString::number(r.voltage),
        QString::number(r.resistanceBeforeMOhm),
        QString::number(r.resistanceAfterBDMOhm),
        QString::number(r.resistanceAfterBOMOhm),
        QString::number(r.breakOffTime),
        CsvField(r.comment),
    };
    return fields.join(QLatin1Char(';'));
}

}  // namespace krx
