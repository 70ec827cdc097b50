// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/measurement_log.h"

#include "core/csv_appender.h"
#include "core/localetext.h"

#include <QStringList>

namespace krx {

void RefreshRecord(MeasurementRecord& record, const ReadingInput& in, const QDateTime& now)
{
    record.type = in.deviceName;
    record.serialNo = in.serialNo;
    record.date = NumericDate(now);
    record.time = LongTime(now);
    record.swVersion = in.swVersion;
    record.resistance = in.valueText;
    record.humidity = QString::number(in.humidity);
    record.temperature = FormatReal(in.temperature);
    record.rangeFlag = QString::number(in.rangeFlag);
    record.voltage = QString::number(in.volts);
    record.timer = QString::number(in.timerSeconds);
    record.calculation = in.calculation;
}

void StampSave(MeasurementRecord& record, const QDateTime& now, const QString& comment)
{
    record.date = NumericDate(now);
    record.time = LongTime(now);
    record.comment = comment;
}

QString MeasurementLogLine(const MeasurementRecord& r)
{
    const QChar grave(0x60);
    return QStringList{r.type,       grave + r.serialNo, r.date,      r.time,        grave + r.swVersion,
                       r.resistance, r.humidity,         r.temperature, r.voltage,   r.rangeFlag,
                       r.timer,      r.calculation,      CsvField(r.comment)}
        .join(QLatin1Char(';'));
}

}  // namespace krx
