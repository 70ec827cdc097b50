// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Locale-dependent text in one place: the decimal separator, number conversion of the meter's
// ASCII fields, and the date and time forms of the exports and the main window.

#include "device/result.h"

#include <QDateTime>
#include <QString>

#include <stdexcept>

namespace krx {

// A reply or a field whose characters are not a number. Its message is fit to be shown.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    QString Message() const { return QString::fromUtf8(what()); }
};

QChar DecimalSeparator();
// Replaces each "." by the locale's decimal separator.
QString WithLocaleSeparator(const QString& text);
// Locale-aware conversions that accept surrounding blanks and raise ConversionError otherwise.
double ToReal(const QString& text);
int ToInt(const QString& text);
// Real in general format (up to 15 significant digits) with the locale's separator.
QString FormatReal(double value);
// Real with a fixed number of decimals and the locale's separator.
QString FormatFixed(double value, int decimals);
// The system's short date and long time (hours, minutes, seconds in the locale's order, no zone).
QString ShortDate(const QDateTime& when);
QString LongTime(const QDateTime& when);
// The conversion message for a reply that was no number, with the locale's separator as the
// characters were shown before conversion.
QString UnreadableText(const Failure& failure);
// The date of the export files and the memory listings: numbers only, the full year, in the
// locale's order of day, month and year with its separator ("7.3.2026", "3/7/2026"); a locale
// that puts the year first gets "2026-03-07". Takes numbers, so a meter's record that holds no
// real date is still shown as it was stored.
QString NumericDate(int year, int month, int day);
QString NumericDate(const QDateTime& when);
// Maps meter bytes to characters one to one.
QString FromBytes(const unsigned char* bytes, int count);

}  // namespace krx
