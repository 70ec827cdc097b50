// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/localetext.h"

#include <QLocale>
#include <QRegularExpression>

namespace krx {

QChar DecimalSeparator()
{
    const QString dp = QLocale().decimalPoint();
    return dp.isEmpty() ? QChar('.') : dp.at(0);
}

QString WithLocaleSeparator(const QString& text)
{
    QString out = text;
    out.replace(QChar('.'), DecimalSeparator());
    return out;
}

double ToReal(const QString& text)
{
    const QString t = text.trimmed();
    // Digits, one optional separator, optional sign; group separators are not part of the
    // meter's numbers and would let "1,234" mean two different things.
    const QString sep = QRegularExpression::escape(QString(DecimalSeparator()));
    static thread_local QString lastSep;
    static thread_local QRegularExpression re;
    if (lastSep != sep) {
        re = QRegularExpression(QStringLiteral("^[+-]?(\\d+(%1\\d*)?|%1\\d+)([eE][+-]?\\d+)?$").arg(sep));
        lastSep = sep;
    }
    bool ok = re.match(t).hasMatch();
    double v = 0.0;
    if (ok) {
        QString normal = t;
        normal.replace(DecimalSeparator(), QChar('.'));
        v = normal.toDouble(&ok);
    }
    if (!ok)
        throw ConversionError(
            QStringLiteral("'%1' is not a valid floating point value").arg(text).toStdString());
    return v;
}

int ToInt(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?\\d+$"));
    const QString t = text.trimmed();
    bool ok = re.match(t).hasMatch();
    int v = 0;
    if (ok)
        v = t.toInt(&ok, 10);
    if (!ok)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return v;
}

QString FormatReal(double value)
{
    QString s = QString::number(value, 'g', 15);
    s.replace(QChar('.'), DecimalSeparator());
    return s;
}

QString FormatFixed(double value, int decimals)
{
    QString s = QString::number(value, 'f', decimals);
    s.replace(QChar('.'), DecimalSeparator());
    return s;
}

QString ShortDate(const QDateTime& when)
{
    return QLocale().toString(when.date(), QLocale::ShortFormat);
}

QString NumericDate(int year, int month, int day)
{
    // The short format only tells the order and the separator: it may hold a two-digit year
    // ("3/7/26"), which spreadsheets read in the wrong century, or month names ("7 Mar 2026").
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QString order;
    QChar separator;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        i += run;
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c == QLatin1Char('\''))
            continue;
        // "ddd" and "dddd" are the weekday's name, not the day.
        const bool field = c == QLatin1Char('M') || c == QLatin1Char('y') || (c == QLatin1Char('d') && run <= 2);
        if (field && !order.contains(c))
            order += c;
        else if (order.size() == 1 && separator.isNull() &&
                 (c == QLatin1Char('.') || c == QLatin1Char('/') || c == QLatin1Char('-')))
            separator = c;
    }
    const QString y = QString::number(year).rightJustified(4, QLatin1Char('0'));
    if (order.size() != 3 || order.startsWith(QLatin1Char('y')))
        return y + QLatin1Char('-') + QString::number(month).rightJustified(2, QLatin1Char('0')) + QLatin1Char('-') +
               QString::number(day).rightJustified(2, QLatin1Char('0'));
    if (separator.isNull())
        separator = QLatin1Char('.');
    const QString d = QString::number(day);
    const QString m = QString::number(month);
    return order.startsWith(QLatin1Char('M')) ? m + separator + d + separator + y : d + separator + m + separator + y;
}

QString NumericDate(const QDateTime& when)
{
    const QDate d = when.date();
    return NumericDate(d.year(), d.month(), d.day());
}

QString LongTime(const QDateTime& when)
{
    // The locale's long format may carry a time zone; keep its order of hours, minutes and
    // seconds but drop everything else.
    QString fmt = QLocale().timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    fmt.replace(zone, QStringLiteral(" "));
    fmt = fmt.trimmed();
    if (!fmt.contains(QLatin1Char('s')))
        fmt = QLocale().timeFormat(QLocale::ShortFormat) + QStringLiteral(":ss");
    return QLocale().toString(when.time(), fmt);
}

QString UnreadableText(const Failure& failure)
{
    if (failure.integerField)
        return QStringLiteral("'%1' is not a valid integer value").arg(failure.field);
    return QStringLiteral("'%1' is not a valid floating point value").arg(WithLocaleSeparator(failure.field));
}

QString FromBytes(const unsigned char* bytes, int count)
{
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes), count);
}

}  // namespace krx
