// The resistance display of the measurement window: unit and decimals by exponent, the exponent
// form, the range texts and the climate labels.
#include "measure/reading_format.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>

using namespace krx;

namespace {
struct LocaleScope {
    explicit LocaleScope(QLocale l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

QString ValueText(int exponent)
{
    return QStringLiteral("1.23E+%1").arg(exponent, 2, 10, QLatin1Char('0'));
}

// Shows a mantissa of 1.23 at the given exponent the way the cycle does.
QString Technical(int exponent, std::optional<int>& decimals)
{
    decimals = NextDecimals(exponent, decimals);
    return *ResistanceDisplay(InRange, ValueText(exponent), 1.23 * std::pow(10.0, exponent), false, *decimals);
}
}  // namespace

TEST(ReadingFormat, TechnicalDisplayOverTheTableKeepsThreeDigits)
{
    LocaleScope c(QLocale::c());
    const char* expected[] = {"1.23 kOhm", "12.3 kOhm", "123 kOhm", "1.23 MOhm", "12.3 MOhm", "123 MOhm",
                              "1.23 GOhm", "12.3 GOhm", "123 GOhm", "1.23 TOhm", "12.3 TOhm", "123 TOhm"};
    std::optional<int> decimals;
    for (int e = 3; e <= 14; ++e)
        EXPECT_EQ(Technical(e, decimals), QString::fromLatin1(expected[e - 3])) << "exponent " << e;
}

TEST(ReadingFormat, ExponentsOutsideTheTableKeepThePreviousDecimals)
{
    LocaleScope c(QLocale::c());
    std::optional<int> decimals;
    // First reading of a cycle below the table: three significant digits in kOhm.
    EXPECT_EQ(Technical(2, decimals), QStringLiteral("0.123 kOhm"));
    EXPECT_EQ(Technical(0, decimals), QStringLiteral("0.001 kOhm"));
    EXPECT_EQ(Technical(6, decimals), QStringLiteral("1.23 MOhm"));
    EXPECT_EQ(Technical(2, decimals), QStringLiteral("0.12 kOhm"));
    EXPECT_EQ(Technical(14, decimals), QStringLiteral("123 TOhm"));
    EXPECT_EQ(Technical(15, decimals), QStringLiteral("1230 TOhm"));
    std::optional<int> fresh;
    EXPECT_EQ(Technical(16, fresh), QStringLiteral("12300 TOhm"));
    // A figure too wide for the label falls back to scientific form.
    EXPECT_EQ(Technical(19, fresh), QStringLiteral("1.23000E+07 TOhm"));
}

TEST(ReadingFormat, UnitAndDecimalsTablesAtTheirEdges)
{
    EXPECT_EQ(UnitForExponent(-1).text, QStringLiteral(" kOhm"));
    EXPECT_EQ(UnitForExponent(5).text, QStringLiteral(" kOhm"));
    EXPECT_EQ(UnitForExponent(6).divisor, 1e6);
    EXPECT_EQ(UnitForExponent(8).text, QStringLiteral(" MOhm"));
    EXPECT_EQ(UnitForExponent(9).text, QStringLiteral(" GOhm"));
    EXPECT_EQ(UnitForExponent(11).divisor, 1e9);
    EXPECT_EQ(UnitForExponent(12).text, QStringLiteral(" TOhm"));
    EXPECT_EQ(UnitForExponent(99).divisor, 1e12);
    EXPECT_FALSE(DecimalsForExponent(2).has_value());
    EXPECT_FALSE(DecimalsForExponent(15).has_value());
    EXPECT_EQ(DecimalsForExponent(3), 2);
    EXPECT_EQ(DecimalsForExponent(13), 1);
    EXPECT_EQ(DecimalsForExponent(14), 0);
}

TEST(ReadingFormat, ExponentOnlyFromAnEightCharacterText)
{
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+05")), 5);
    EXPECT_EQ(ExponentOf(QStringLiteral("1,23E+12")), 12);
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+ 7")), 7);
    EXPECT_EQ(ExponentOf(QStringLiteral("0")), 0);
    EXPECT_EQ(ExponentOf(QString()), 0);
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+5")), 0);
    EXPECT_EQ(ExponentOf(QStringLiteral("1.23E+xx")), 0);
}

TEST(ReadingFormat, ExponentDisplayAndRangeTexts)
{
    LocaleScope c(QLocale::c());
    EXPECT_EQ(ResistanceDisplay(InRange, QStringLiteral("4.70E+09"), 4.7e9, true, 2), QStringLiteral("4.70E+09 Ohm"));
    EXPECT_EQ(ResistanceDisplay(Overflow, QStringLiteral("0"), 0.0, false, 2), QStringLiteral("OVERFLOW !"));
    EXPECT_EQ(ResistanceDisplay(Underflow, QStringLiteral("0"), 0.0, true, 2), QStringLiteral("UNDERFLOW !"));
    EXPECT_FALSE(ResistanceDisplay(3, QStringLiteral("0"), 0.0, false, 2).has_value());
    EXPECT_FALSE(ResistanceDisplay(-1, QStringLiteral("0"), 0.0, false, 2).has_value());
}

TEST(ReadingFormat, CommaLocale)
{
    LocaleScope de(QLocale(QLocale::German, QLocale::Germany));
    std::optional<int> decimals;
    decimals = NextDecimals(6, decimals);
    EXPECT_EQ(ResistanceDisplay(InRange, QStringLiteral("1,23E+06"), 1.23e6, false, *decimals),
              QStringLiteral("1,23 MOhm"));
    EXPECT_EQ(ResistanceDisplay(InRange, QStringLiteral("1,23E+06"), 1.23e6, true, *decimals),
              QStringLiteral("1,23E+06 Ohm"));
    EXPECT_EQ(TemperatureDisplay(23.46), QStringLiteral("23,5 C"));
}

TEST(ReadingFormat, ClimateLabels)
{
    LocaleScope c(QLocale::c());
    EXPECT_EQ(TemperatureDisplay(23.46), QStringLiteral("23.5 C"));
    EXPECT_EQ(TemperatureDisplay(-5.04), QStringLiteral("-5.0 C"));
    EXPECT_EQ(TemperatureDisplay(0.0), QStringLiteral("0.0 C"));
    EXPECT_EQ(HumidityDisplay(45), QStringLiteral("45 %"));
}
