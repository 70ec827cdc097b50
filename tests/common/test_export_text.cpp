// Texts the four exports share: the folder of a chosen file.
#include "common/file_paths.h"

#include <gtest/gtest.h>

using namespace krx;

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
