// SPDX-License-Identifier: GPL-3.0-or-later
// The shared export writer against a real temporary folder.
#include "core/csv_appender.h"

#include "child.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace krx;

namespace {
QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct WriteLimit {
    explicit WriteLimit(qint64 n) { SetWriteLimitForTesting(n); }
    ~WriteLimit() { SetWriteLimitForTesting(-1); }
};
}  // namespace

TEST(CsvAppender, HeaderOnceThenAppendInCodePage)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.csv"));
    AppendResult r = AppendCsvLine(name, QStringLiteral("A;B"), QStringLiteral("caf\u00e9;\u20ac\u00b4`"));
    EXPECT_EQ(r.status, AppendResult::Ok);
    EXPECT_TRUE(r.created);
    r = AppendCsvLine(name, QStringLiteral("A;B"), QStringLiteral("2;\u00b0"));
    EXPECT_EQ(r.status, AppendResult::Ok);
    EXPECT_FALSE(r.created);
    EXPECT_EQ(Read(name), QByteArray("A;B\r\ncaf\xE9;\x80\xB4`\r\n2;\xB0\r\n"));
    // Characters outside the code page become "?" and do not shift the rest.
    AppendCsvLine(name, QString(), QStringLiteral("\u4e2d;x"));
    EXPECT_TRUE(Read(name).endsWith(QByteArray("?;x\r\n")));
}

TEST(CsvField, QuotedOnlyWhenTheFieldWouldNotStayOneColumn)
{
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"plain text, with comma", "plain text, with comma"},
        {"it's 'single'", "it's 'single'"},
        {"a;b", "\"a;b\""},
        {";", "\";\""},
        {"5\" cable", "\"5\"\" cable\""},
        {"\"\"", "\"\"\"\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\ronly", "\"cr\ronly\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(QString::fromUtf8(c.text)), QString::fromUtf8(c.field)) << c.text;
}

TEST(CsvAppender, ReplacedCharactersAreSaidOnceAndOnlyForTheirSave)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.csv"));
    ForgetReplacements();
    // One "?" for each character, also for one beyond 16 bits; each named once.
    QStringList replaced;
    EXPECT_EQ(EncodeLine(QStringLiteral("\u4e2d\U0001F600;\u4e2d\u00e4"), &replaced), QByteArray("??;?\xE4"));
    EXPECT_EQ(replaced, (QStringList{QStringLiteral("\u4e2d"), QStringLiteral("\U0001F600")}));

    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("\u2603 a")).status, AppendResult::Ok);
    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("\u2603 \u4e2d")).status, AppendResult::Ok);
    EXPECT_EQ(SaveSuccessText(), QStringLiteral("Save successfully!\n\nThese characters are not in the file's character "
                                                "set (Windows-1252) and were written as \"?\": \u2603 \u4e2d"));
    EXPECT_EQ(SaveSuccessText(), QStringLiteral("Save successfully!"));
    EXPECT_EQ(TakeReplacementNote(), QString());

    // A line that did not reach the file is not reported as written, and a failed save forgets the
    // lines before it: no success box follows it.
    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("\u2603")).status, AppendResult::Ok);
    {
        WriteLimit limit(1);
        EXPECT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("\u4e2d")).status, AppendResult::RecordShort);
    }
    EXPECT_EQ(TakeReplacementNote(), QString());
    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("\u2603")).status, AppendResult::Ok);
    ForgetReplacements();
    EXPECT_EQ(SaveSuccessText(), QStringLiteral("Save successfully!"));
}

TEST(CsvAppender, ShortWritesLeaveNoHalfLine)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.csv"));
    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H1;H2"), QStringLiteral("1;2")).status, AppendResult::Ok);
    {
        WriteLimit limit(3);
        EXPECT_EQ(AppendCsvLine(name, QStringLiteral("H1;H2"), QStringLiteral("33;44")).status,
                  AppendResult::RecordShort);
    }
    EXPECT_EQ(Read(name), QByteArray("H1;H2\r\n1;2\r\n"));

    const QString fresh = dir.filePath(QStringLiteral("new.csv"));
    {
        WriteLimit limit(2);
        EXPECT_EQ(AppendCsvLine(fresh, QStringLiteral("H1;H2"), QStringLiteral("1;2")).status,
                  AppendResult::HeaderShort);
    }
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(AppendCsvLine(fresh, QStringLiteral("H1;H2"), QStringLiteral("1;2")).status, AppendResult::Ok);
    EXPECT_EQ(Read(fresh), QByteArray("H1;H2\r\n1;2\r\n"));
}

TEST(CsvAppender, FolderThatVanished)
{
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("no/such/folder/log.csv"));
    const AppendResult r = AppendCsvLine(gone, QStringLiteral("H"), QStringLiteral("r"));
    EXPECT_EQ(r.status, AppendResult::CannotCreate);
    EXPECT_FALSE(r.error.isEmpty());
}

TEST(CsvAppender, ReadOnlyFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("ro.csv"));
    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("r")).status, AppendResult::Ok);
    QFile::setPermissions(name, QFile::ReadOwner);
    if (QFile(name).open(QIODevice::ReadWrite))
        GTEST_SKIP() << "running with rights that ignore file permissions";
    const AppendResult r = AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("r2"));
    EXPECT_EQ(r.status, AppendResult::CannotOpen);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(Read(name), QByteArray("H\r\nr\r\n"));
}

TEST(CsvAppender, FileLockedByAnotherProcessIsLeftAlone)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("held.csv"));
    ASSERT_EQ(AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("r")).status, AppendResult::Ok);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(name.toLocal8Bit().constData(), O_RDWR);
        flock(fd, LOCK_EX);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    const AppendResult r = AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("r2"));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(r.status, AppendResult::CannotOpen);
    EXPECT_TRUE(r.error.contains(QStringLiteral("in use")));
    EXPECT_EQ(Read(name), QByteArray("H\r\nr\r\n"));
}

TEST(CsvAppender, FullDiskFailsWithoutClaimingSuccess)
{
    // /dev/full refuses every byte with "no space left", like a full disk.
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("full.csv"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), name));
    const AppendResult r = AppendCsvLine(name, QStringLiteral("H"), QStringLiteral("record"));
    EXPECT_EQ(r.status, AppendResult::RecordShort);
    EXPECT_FALSE(r.error.isEmpty());
}

TEST(CsvAppender, DiskFullInTheMiddleOfALine)
{
    // The disk takes the header and half of the record: the record is taken back whole, and no
    // byte of it stays behind in a buffer that closing the file would still write.
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("log.csv"));
    const test::ChildResult r = test::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 14;
        setrlimit(RLIMIT_FSIZE, &limit);
        const AppendResult first = AppendCsvLine(name, QStringLiteral("H1;H2"), QStringLiteral("1;2"));
        const AppendResult second = AppendCsvLine(name, QStringLiteral("H1;H2"), QStringLiteral("3;4"));
        _exit(first.status == AppendResult::Ok && second.status == AppendResult::RecordShort ? 0 : 1);
    });
    EXPECT_TRUE(r.exited && r.status == 0) << r.output;
    EXPECT_EQ(Read(name), QByteArray("H1;H2\r\n1;2\r\n"));
}
