// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file, the version record and caption, the command line and the wait helpers.
#include "qt_print.h"
#include "scripted_dialogs.h"
#include "window_dialogs_scope.h"

#include "core/settings.h"
#include "app/startup.h"
#include "ui/version.h"
#include "device/clock.h"
#include "core/localetext.h"
#include "ui/save_dialog.h"
#include "ui/ui_wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>


using namespace krx;
using L = QStringList;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    QString Path() const { return dir.filePath(QStringLiteral("KRX_SETUP.INI")); }
    void Write(const QByteArray& bytes) const
    {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Bytes() const
    {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};


}  // namespace

TEST_F(SettingsFile, MissingFileGivesDefaultsAndIsNotCreated)
{
    const ProfileFile f(Path());
    EXPECT_EQ(f.ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("C:\\")),
              QStringLiteral("C:\\"));
    EXPECT_EQ(f.ReadInteger(SettingsSection(), QStringLiteral("SamplingTime"), 1000), 1000);
    EXPECT_FALSE(QFile::exists(Path()));
    EXPECT_EQ(DefaultDataDirectory(), QDir::homePath() + QLatin1Char('/'));
}

TEST(ProfileInteger, Forms)
{
    const struct {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {
        {"250", true, 250},          {"0x1F4", true, 500},          {"0X1f4", true, 500},
        {"$1F4", true, 500},         {"-12", true, -12},            {"+7", true, 7},
        {"-$10", true, -16},         {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"$FFFFFFFF", true, -1},     {"abc", false, 0},             {"0x", false, 0},
        {"$", false, 0},             {"12abc", false, 0},           {"1.5", false, 0},
        {"", false, 0},              {"-", false, 0},               {"2147483648", false, 0},
        {"$100000000", false, 0},    {"0x1G", false, 0},            {"1 2", false, 0},
        {"\xd9\xa3", false, 0},  // a digit of another script
    };
    for (const auto& c : cases) {
        std::int32_t v = 12345;
        EXPECT_EQ(ParseProfileInteger(QString::fromUtf8(c.text), v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST_F(SettingsFile, LookupRules)
{
    const QByteArray longValue(3000, 'x');
    Write("; written by hand\r\n"
          "[Other]\r\n"
          "SamplingTime=7\r\n"
          "[krx 738]\r\n"
          "  samplingtime =  0x1F4  \r\n"
          "DataDirectory=\"/data/with blanks/\"\r\n"
          "Long=" + longValue + "\r\n"
          "NoValue=\r\n"
          "[KRX 738]\r\n"
          "SamplingTime=9\r\n"
          "Later=1\r\n");
    const ProfileFile f(Path());
    const QString s = SettingsSection();
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("SamplingTime"), 1000), 500);
    EXPECT_EQ(f.ReadString(s, QStringLiteral("DATADIRECTORY"), QString()), QStringLiteral("/data/with blanks/"));
    EXPECT_EQ(f.ReadString(s, QStringLiteral("Long"), QString()).size(), ProfileFile::MaxValueLength);
    EXPECT_EQ(f.ReadString(s, QStringLiteral("NoValue"), QStringLiteral("d")), QString());
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("NoValue"), 1000), 1000);
    // Only the first section of that name counts.
    EXPECT_EQ(f.ReadString(s, QStringLiteral("Later"), QStringLiteral("absent")), QStringLiteral("absent"));
    EXPECT_EQ(f.ReadInteger(QStringLiteral("Other"), QStringLiteral("SamplingTime"), 0), 7);
    EXPECT_EQ(f.ReadInteger(QStringLiteral("Missing"), QStringLiteral("SamplingTime"), 3), 3);
}

TEST_F(SettingsFile, WriteKeepsEverythingElse)
{
    const QByteArray before = "; written by hand\r\n"
                              "[Other]\r\n"
                              "DataDirectory=/keep/\r\n"
                              "\r\n"
                              "[KRX 738]\r\n"
                              "SamplingTime = 250 ; by hand\r\n"
                              "datadirectory=/old/\r\n"
                              "\r\n"
                              "[Last]\r\n"
                              "x=1\r\n";
    Write(before);
    ProfileFile f(Path());
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("/new/")));
    QByteArray expected = before;
    expected.replace("datadirectory=/old/", "DataDirectory=/new/");
    EXPECT_EQ(Bytes(), expected);

    // A new key goes after the section's last line, before the blank line that ends it.
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("Extra"), QStringLiteral("5")));
    expected.replace("DataDirectory=/new/\r\n", "DataDirectory=/new/\r\nExtra=5\r\n");
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(f.ReadString(QStringLiteral("Other"), QStringLiteral("DataDirectory"), QString()),
              QStringLiteral("/keep/"));
}

TEST_F(SettingsFile, WriteCreatesFileOrSection)
{
    ProfileFile f(Path());
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("/d/")));
    EXPECT_EQ(Bytes(), QByteArray("[KRX 738]\nDataDirectory=/d/\n"));

    Write("[Other]\nx=1");  // no line end at the end, LF lines
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("/e/")));
    EXPECT_EQ(Bytes(), QByteArray("[Other]\nx=1\n\n[KRX 738]\nDataDirectory=/e/"));
    EXPECT_EQ(f.ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QString()), QStringLiteral("/e/"));
}

TEST_F(SettingsFile, WindowsCodePageAndUtf8)
{
    // Written on Windows: the folder's letters in Windows-1252, not valid UTF-8.
    Write("[Other]\r\nName=Gr\xFC\xDF" "e\r\n[KRX 738]\r\nDataDirectory=C:\\Daten\\M\xFCller \x80\\\r\n");
    ProfileFile f(Path());
    EXPECT_EQ(f.ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QString()),
              QStringLiteral("C:\\Daten\\M\u00fcller \u20ac\\"));
    EXPECT_EQ(f.ReadString(QStringLiteral("Other"), QStringLiteral("Name"), QString()), QStringLiteral("Gr\u00fc\u00dfe"));

    // A write keeps the other lines' bytes and writes its own line in the file's code page.
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("/d/M\u00e4rz/")));
    EXPECT_EQ(Bytes(), QByteArray("[Other]\r\nName=Gr\xFC\xDF" "e\r\n[KRX 738]\r\nDataDirectory=/d/M\xE4rz/\r\n"));
    // A character that code page lacks: that line in UTF-8, and each line is read as what it is.
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("/d/\u4e2d\u00e4/")));
    EXPECT_EQ(Bytes(), QByteArray("[Other]\r\nName=Gr\xFC\xDF" "e\r\n[KRX 738]\r\nDataDirectory=/d/\xE4\xB8\xAD\xC3\xA4/\r\n"));
    EXPECT_EQ(f.ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QString()), QStringLiteral("/d/\u4e2d\u00e4/"));
    EXPECT_EQ(f.ReadString(QStringLiteral("Other"), QStringLiteral("Name"), QString()), QStringLiteral("Gr\u00fc\u00dfe"));

    // A file in UTF-8 stays UTF-8.
    Write("[KRX 738]\nDataDirectory=/home/j\xC3\xBCrgen/\n");
    EXPECT_EQ(f.ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QString()), QStringLiteral("/home/j\u00fcrgen/"));
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("SamplingTime"), QStringLiteral("500")));
    EXPECT_EQ(Bytes(), QByteArray("[KRX 738]\nDataDirectory=/home/j\xC3\xBCrgen/\nSamplingTime=500\n"));
    ASSERT_TRUE(f.WriteString(SettingsSection(), QStringLiteral("DataDirectory"), QStringLiteral("/m\u00e4/")));
    EXPECT_EQ(Bytes(), QByteArray("[KRX 738]\nDataDirectory=/m\xC3\xA4/\nSamplingTime=500\n"));
}

TEST_F(SettingsFile, EachKeyFromTheFileThatHoldsItWritesToOne)
{
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString user = dir.filePath(QStringLiteral("config/krx738"));
    ASSERT_TRUE(QDir().mkpath(program));
    const QString beside = program + QStringLiteral("/KRX_SETUP.INI");
    const QString mine = user + QStringLiteral("/KRX_SETUP.INI");
    // What may not be written is said here: root, who runs this test on the build machines, may
    // write any file.
    QStringList readOnly;
    const WritableTest writable = [&](const QString& path) { return !readOnly.contains(path); };
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };

    // A copy in a folder that may be written keeps its settings beside itself.
    SettingsPlaces p = SettingsPlacesFor(program, user, writable);
    EXPECT_EQ(p.readOrder, (QStringList{mine, beside}));
    EXPECT_EQ(p.writeTo, beside);
    readOnly = {program};
    EXPECT_EQ(SettingsPlacesFor(program, user, writable).writeTo, mine);

    // A file beside the program that the user may not write, in a folder that may be written: its
    // values are read, the write goes to a user's copy that holds that key only.
    const QByteArray admin = "[KRX 738]\r\nSamplingTime=500\r\nDataDirectory=/admin/\r\n[Other]\r\nx=1\r\n";
    QFile f(beside);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(admin);
    f.close();
    readOnly = {beside};
    p = SettingsPlacesFor(program, user, writable);
    EXPECT_EQ(p.writeTo, mine);
    EXPECT_EQ(p.ReadInteger(QStringLiteral("SamplingTime"), 1000), 500);
    EXPECT_EQ(p.Read(QStringLiteral("DataDirectory"), QString()), QStringLiteral("/admin/"));
    ASSERT_TRUE(ProfileFile(p.writeTo).WriteString(SettingsSection(), QStringLiteral("DataDirectory"),
                                                   QStringLiteral("/mine/")));
    EXPECT_EQ(read(beside), admin);
    EXPECT_EQ(read(mine), QByteArray("[KRX 738]\nDataDirectory=/mine/\n"));
    p = SettingsPlacesFor(program, user, writable);
    EXPECT_EQ(p.Read(QStringLiteral("DataDirectory"), QString()), QStringLiteral("/mine/"));
    EXPECT_EQ(p.ReadInteger(QStringLiteral("SamplingTime"), 1000), 500);
    EXPECT_EQ(p.Read(QStringLiteral("Missing"), QStringLiteral("default")), QStringLiteral("default"));

    // Once there is a user's copy it takes the writes: it is read first, a write elsewhere would
    // not count.
    readOnly.clear();
    EXPECT_EQ(SettingsPlacesFor(program, user, writable).writeTo, mine);
    // The file that holds a key decides, also with a value that is no number.
    ASSERT_TRUE(ProfileFile(mine).WriteString(SettingsSection(), QStringLiteral("SamplingTime"), QStringLiteral("abc")));
    EXPECT_EQ(SettingsPlacesFor(program, user, writable).ReadInteger(QStringLiteral("SamplingTime"), 1000), 1000);

    // An installed copy's bin folder is never written to, whoever runs it.
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(SettingsPlacesFor(bin, dir.filePath(QStringLiteral("other")), writable).writeTo,
              dir.filePath(QStringLiteral("other/KRX_SETUP.INI")));
}

TEST_F(SettingsFile, RememberFolder)
{
    SetSettingsFilePath(Path());
    test::ScopedDialogs dialogs;
    dialogs.echo = false;

    // The start-up folder again, in the same letter case: the file is not touched.
    EXPECT_FALSE(RememberDataDirectoryIfChanged(QStringLiteral("/Data/Runs/"), QStringLiteral("/Data/Runs/"), dialogs));
    EXPECT_FALSE(QFile::exists(Path()));
    // Differing only in letter case counts as another folder.
    EXPECT_TRUE(RememberDataDirectoryIfChanged(QStringLiteral("/data/runs/"), QStringLiteral("/Data/Runs/"), dialogs));
    EXPECT_EQ(ProfileFile(Path()).ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QString()),
              QStringLiteral("/data/runs/"));
    EXPECT_TRUE(RememberDataDirectory(QStringLiteral("/data/runs/"), dialogs));
    EXPECT_TRUE(dialogs.shown.empty());

    // A settings file that cannot be written: a message naming it, and the caller goes on.
    QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = dir.filePath(QStringLiteral("not-a-folder/KRX_SETUP.INI"));
    SetSettingsFilePath(unwritable);
    EXPECT_FALSE(RememberDataDirectory(QStringLiteral("/x/"), dialogs));
    ASSERT_EQ(dialogs.shown.size(), size_t(1));
    EXPECT_EQ(dialogs.shown[0].kind, test::ShownBox::Error);
    EXPECT_TRUE(dialogs.shown[0].text.contains(QDir::toNativeSeparators(unwritable))) << dialogs.shown[0].text.toStdString();

    SetSettingsFilePath(QString());
    // Beside the program when its folder can be written (the test's own folder here).
    EXPECT_EQ(SettingsFilePath(), QCoreApplication::applicationDirPath() + QStringLiteral("/KRX_SETUP.INI"));
}

TEST_F(SettingsFile, RecordingKeys)
{
    SetSettingsFilePath(Path());
    // Without the keys: on, in the user's data folder.
    RecordingSettings r = ReadRecordingSettings();
    EXPECT_TRUE(r.enabled);
    EXPECT_EQ(r.folder, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recordings"));
    EXPECT_FALSE(QFile::exists(Path()));

    // Written beside the other keys, which stay as they were.
    Write("; kept\r\n[KRX 738]\r\nDataDirectory=/data/\r\nSamplingTime=500\r\n");
    ASSERT_TRUE(WriteRecordingSettings({false, QStringLiteral("/data/rec")}));
    EXPECT_EQ(Bytes(), "; kept\r\n[KRX 738]\r\nDataDirectory=/data/\r\nSamplingTime=500\r\nRecording=0\r\n"
                       "RecordingDirectory=/data/rec\r\n");
    r = ReadRecordingSettings();
    EXPECT_FALSE(r.enabled);
    EXPECT_EQ(r.folder, QStringLiteral("/data/rec"));

    // Only an explicit 0 turns it off; an empty folder is the default one.
    Write("[KRX 738]\nRecording=yes\nRecordingDirectory=\n");
    r = ReadRecordingSettings();
    EXPECT_TRUE(r.enabled);
    EXPECT_EQ(r.folder, DefaultRecordingDirectory());
    Write("[KRX 738]\nRecording=1\n");
    EXPECT_TRUE(ReadRecordingSettings().enabled);
    SetSettingsFilePath(QString());
}

TEST(Version, RecordAndCaption)
{
    VersionRecord r;
    ReadVersionInfo(r);
    EXPECT_EQ(r.ProductName, QStringLiteral("KRX 738"));
    EXPECT_EQ(r.FileVersion, QStringLiteral("1.0.3.1"));
    EXPECT_FALSE(r.CompanyName.isEmpty());
    EXPECT_EQ(MainCaption(r), QStringLiteral("KRX 738 read out program ") + r.CompanyName +
                                  QStringLiteral(" Version : 1.0.3.1"));

    // Without a company name the two fixed texts meet with two blanks between them; a
    // "FileVersion" string does not replace the numeric version of the fixed part.
    VersionResource res = *ProgramVersionResource();
    res.strings.remove(QStringLiteral("\\StringFileInfo\\040904E4\\CompanyName"));
    res.strings.insert(QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion"), QStringLiteral("9.9"));
    res.fileVersionMS = (2u << 16) | 11u;
    res.fileVersionLS = (65535u << 16) | 0u;
    VersionRecord noCompany;
    ReadVersionInfo(&res, noCompany);
    EXPECT_EQ(MainCaption(noCompany), QStringLiteral("KRX 738 read out program  Version : 2.11.65535.0"));

    // A fixed part with a zero signature gives no version; no record gives empty parts.
    res.signature = 0;
    VersionRecord noVersion;
    ReadVersionInfo(&res, noVersion);
    EXPECT_EQ(noVersion.FileVersion, QString());
    EXPECT_EQ(noVersion.ProductName, QStringLiteral("KRX 738"));
    VersionRecord none;
    ReadVersionInfo(nullptr, none);
    EXPECT_EQ(MainCaption(none), QStringLiteral(" read out program  Version : "));
}

TEST(CommandLine, SwitchesAreNotParameters)
{
    StartOptions o = ParseCommandLine({"/p/krx738", "--simulate", "T"});
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.scenarioFile, QString());
    EXPECT_EQ(o.parameters, (L{"/p/krx738", "T"}));

    o = ParseCommandLine({"/p/krx738", "--simulate", "meter.JSON", "--trace", "t.log", "a", "b", "c", "d", "T"});
    EXPECT_EQ(o.scenarioFile, QStringLiteral("meter.JSON"));
    EXPECT_EQ(o.traceFile, QStringLiteral("t.log"));
    EXPECT_EQ(o.parameters, (L{"/p/krx738", "a", "b", "c", "d", "T"}));
    EXPECT_TRUE(TestModeFromParameters(o.parameters));
    EXPECT_FALSE(TestModeFromParameters(ParseCommandLine({"/p/krx738", "1", "2", "3", "4", "5", "T"}).parameters));

    EXPECT_FALSE(ParseCommandLine({"/p/krx738", "--trace"}).error.isEmpty());
    EXPECT_TRUE(ParseCommandLine({"/p/krx738", "-h"}).help);
    EXPECT_TRUE(HelpText().contains(QLatin1String("--simulate")));
}

TEST(CommandLine, ScenarioTypedOptionsAndTheToolkits)
{
    // Whatever follows --simulate is its scenario unless it is an option or "T", so that a file of
    // another name is tried (and named when it cannot be read) instead of quietly left out.
    StartOptions o = ParseCommandLine({"/p/krx738", "--simulate", "scen.txt", "T"});
    EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(o.scenarioFile, QStringLiteral("scen.txt"));
    EXPECT_EQ(o.parameters, (L{"/p/krx738", "T"}));
    o = ParseCommandLine({"/p/krx738", "--simulate=x.json"});
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.scenarioFile, QStringLiteral("x.json"));
    o = ParseCommandLine({"/p/krx738", "--simulate", "--trace", "t.log"});
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.scenarioFile, QString());
    EXPECT_EQ(o.traceFile, QStringLiteral("t.log"));
    // --trace takes the next argument whatever it looks like, as it always did.
    o = ParseCommandLine({"/p/krx738", "--trace", "--simulate"});
    EXPECT_FALSE(o.simulate);
    EXPECT_EQ(o.traceFile, QStringLiteral("--simulate"));
    // After "--" everything is a parameter.
    o = ParseCommandLine({"/p/krx738", "--", "--simulate", "T"});
    EXPECT_FALSE(o.simulate);
    EXPECT_EQ(o.parameters, (L{"/p/krx738", "--simulate", "T"}));

    // Unknown options are named as they were typed.
    EXPECT_EQ(ParseCommandLine({"/p/krx738", "--frobnicate", "T"}).error, QStringLiteral("unknown option --frobnicate"));
    EXPECT_EQ(ParseCommandLine({"/p/krx738", "--simulte", "-q=1"}).error, QStringLiteral("unknown options --simulte, -q"));

    // The toolkit's options are left to it, values included; they are no parameters.
    o = ParseCommandLine({"/p/krx738", "-platform", "offscreen", "-reverse", "--style=fusion", "T"});
    EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(o.platform, QStringLiteral("offscreen"));
    EXPECT_EQ(o.parameters, (L{"/p/krx738", "T"}));

    EXPECT_TRUE(ParseCommandLine({"/p/krx738", "--version"}).version);
    EXPECT_TRUE(VersionText().startsWith(QStringLiteral("krx738 (KRX 738 read out program) 1.0.3.1\n")));
    EXPECT_TRUE(HelpText().contains(QLatin1String("--version")));
}

TEST(CommandLine, DisplayReachable)
{
    const QByteArray keep[] = {qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"), qgetenv("QT_QPA_PLATFORM"),
                               qgetenv("XDG_RUNTIME_DIR")};
    QTemporaryDir runtime;
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    EXPECT_FALSE(DisplayReachable(QString()));
    EXPECT_TRUE(DisplayReachable(QStringLiteral("offscreen")));
    EXPECT_FALSE(DisplayReachable(QStringLiteral("xcb")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_TRUE(DisplayReachable(QString()));
    qputenv("QT_QPA_PLATFORM", "wayland;xcb:nograb");
    EXPECT_FALSE(DisplayReachable(QString()));
    qputenv("DISPLAY", ":0");
    EXPECT_TRUE(DisplayReachable(QString()));
    EXPECT_FALSE(DisplayReachable(QStringLiteral("wayland")));
    QFile socket(runtime.filePath(QStringLiteral("wayland-0")));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    EXPECT_TRUE(DisplayReachable(QStringLiteral("wayland-egl")));

    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};
    for (int i = 0; i < 4; ++i) {
        if (keep[i].isNull())
            qunsetenv(names[i]);
        else
            qputenv(names[i], keep[i]);
    }
}

TEST(UiWait, HandlerErrorsGoToTheErrorDisplay)
{
    test::ScopedDialogs dialogs;
    test::WindowDialogsScope windows;
    dialogs.echo = false;
    RunHandler([] { throw ConversionError("'x' is not a valid integer value"); });
    RunHandler([] {});
    ASSERT_EQ(dialogs.shown.size(), size_t(1));
    EXPECT_EQ(dialogs.shown[0].kind, test::ShownBox::Error);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("'x' is not a valid integer value"));
}

TEST(SaveDialog, FilterAndSettingsGoThroughTheSeam)
{
    EXPECT_EQ(QtFilter(QStringLiteral(
                  "Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*")),
              QStringLiteral("Comma-Separated Values (*.CSV);;Text files (*.txt);;All files (*.*)"));
    EXPECT_EQ(QtFilter(QStringLiteral("Logs|*.txt;*.log")), QStringLiteral("Logs (*.txt *.log)"));

    test::ScopedDialogs dialogs;
    test::WindowDialogsScope windows;
    dialogs.echo = false;
    SaveDialog d;
    d.DefaultExt = QStringLiteral("CSV");
    d.Filter = QStringLiteral("Text files (*.txt)|*.txt");
    d.InitialDir = QStringLiteral("/data/");
    d.FileName = QStringLiteral("/before.csv");
    dialogs.saves.push_back(std::nullopt);
    dialogs.saves.push_back(QStringLiteral("/data/run.CSV"));
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(d.FileName, QStringLiteral("/before.csv"));
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, QStringLiteral("/data/run.CSV"));
    ASSERT_EQ(dialogs.shown.size(), size_t(2));
    EXPECT_EQ(dialogs.shown[1].save.initialDir, QStringLiteral("/data/"));
    EXPECT_EQ(dialogs.shown[1].save.filter, QStringLiteral("Text files (*.txt)"));
    EXPECT_EQ(dialogs.shown[1].save.defaultSuffix, QStringLiteral("CSV"));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
