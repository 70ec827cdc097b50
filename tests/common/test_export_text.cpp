// SPDX-License-Identifier: GPL-3.0-or-later
// Texts the four exports share: the folder of a chosen file and the date.
#include "core/file_paths.h"
#include "core/localetext.h"

#include <QDateTime>
#include <QLocale>
#include <gtest/gtest.h>

using namespace krx;

namespace {
struct Locale {
    explicit Locale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~Locale() { QLocale::setDefault(QLocale::c()); }
};
}  // namespace

// Qt carries its own locale data, so every locale here works without the system's locale files.
TEST(NumericDate, FullYearInTheLocalesOrder)
{
    const struct {
        const char* locale;
        const char* march7;     // 7 March 2026: day and month of one digit
        const char* december25; // two digits each
    } cases[] = {
        {"C", "7.3.2026", "25.12.2026"},          // short form "d MMM yyyy": month name
        {"en_US", "3/7/2026", "12/25/2026"},      // "M/d/yy": two-digit year
        {"de_DE", "7.3.2026", "25.12.2026"},      // "dd.MM.yy"
        {"en_GB", "7/3/2026", "25/12/2026"},
        {"nl_NL", "7-3-2026", "25-12-2026"},
        {"sk_SK", "7.3.2026", "25.12.2026"},      // "d. M. yyyy": blanks after the dots
        {"sv_SE", "2026-03-07", "2026-12-25"},
        {"ja_JP", "2026-03-07", "2026-12-25"},    // "yyyy/MM/dd": year first is always ISO
        {"ko_KR", "2026-03-07", "2026-12-25"},    // "yy. M. d."
        {"ar_EG", "7/3/2026", "25/12/2026"},      // Arabic digits and direction marks in its own form
    };
    for (const auto& c : cases) {
        Locale l(c.locale);
        EXPECT_EQ(NumericDate(2026, 3, 7), QString::fromLatin1(c.march7)) << c.locale;
        EXPECT_EQ(NumericDate(QDateTime(QDate(2026, 12, 25), QTime(23, 59, 59))), QString::fromLatin1(c.december25))
            << c.locale;
    }
}

TEST(NumericDate, StoredBytesThatAreNoDate)
{
    // A meter's record may hold anything: it is shown as stored, not dropped or corrected.
    Locale l("de_DE");
    EXPECT_EQ(NumericDate(2000, 0, 0), QStringLiteral("0.0.2000"));
    EXPECT_EQ(NumericDate(2255, 13, 45), QStringLiteral("45.13.2255"));
    Locale iso("sv_SE");
    EXPECT_EQ(NumericDate(2000, 0, 0), QStringLiteral("2000-00-00"));
}

TEST(DirectoryPart, CutsAtTheLastFolderSeparator)
{
    EXPECT_EQ(DirectoryPart(QStringLiteral("/home/u/data/log.csv")), QStringLiteral("/home/u/data/"));
    EXPECT_EQ(DirectoryPart(QStringLiteral("/log.csv")), QStringLiteral("/"));
    EXPECT_EQ(DirectoryPart(QStringLiteral("/home/u/data/")), QStringLiteral("/home/u/data/"));
    EXPECT_EQ(DirectoryPart(QStringLiteral("plain.csv")), QString());
#ifdef Q_OS_WIN
    EXPECT_EQ(DirectoryPart(QStringLiteral("C:\\Data\\ohm.csv")), QStringLiteral("C:\\Data\\"));
    EXPECT_EQ(DirectoryPart(QStringLiteral("C:/Data\\sub\\ohm.csv")), QStringLiteral("C:/Data\\sub\\"));
#else
    // "\" belongs to the file or folder name here.
    EXPECT_EQ(DirectoryPart(QStringLiteral("/home/u/data/a\\b.csv")), QStringLiteral("/home/u/data/"));
    EXPECT_EQ(DirectoryPart(QStringLiteral("/home/u\\x/a.csv")), QStringLiteral("/home/u\\x/"));
    EXPECT_EQ(DirectoryPart(QStringLiteral("C:\\Data\\ohm.csv")), QString());
#endif
}
