// SPDX-License-Identifier: GPL-3.0-or-later
// The exports and the settings file when the disk, the folder or another program gets in the way:
// never half a line, never a false "Save successfully!", always a message that names the file; the
// settings file keeps its other keys. Each case runs in a forked child (a full disk is a file size
// limit of that process; a read-only folder needs a user without root's rights). Prints a table.
#include "child.h"
#include "app_windows.h"
#include "rows.h"

#include "core/settings.h"
#include "core/csv_appender.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <functional>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace krx;
using namespace krx::test;

namespace {

constexpr uid_t kNobody = 65534;

QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Files may grow to `bytes` only, as on a disk that is full from there on.
void DiskFullAt(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    rlimit r{};
    r.rlim_cur = r.rlim_max = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &r);
}

// A user for whom a read-only folder is read-only: root's rights ignore the permissions.
void WithoutRootRights()
{
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
        _exit(3);
}

// A folder the child may enter but not write to (root's temporary folders let nobody in).
void ReadOnlyFolder(const QString& dir)
{
    ::chmod(QFileInfo(dir).absolutePath().toLocal8Bit().constData(), 0755);
    ::chmod(dir.toLocal8Bit().constData(), 0555);
}

// Makes every folder below `dir` writable again, so that it can be removed.
void Writable(const QString& dir)
{
    ::chmod(dir.toLocal8Bit().constData(), 0755);
    for (const QFileInfo& sub : QDir(dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        Writable(sub.filePath());
}

// Another process holding the file open with an exclusive lock, until the case is over.
std::function<void()> HeldByAnotherProcess(const QString& file)
{
    int ready[2];
    if (pipe(ready) != 0)
        return [] {};
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(file.toLocal8Bit().constData(), O_RDWR | O_CREAT, 0644);
        flock(fd, LOCK_EX);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char c;
    (void)!read(ready[0], &c, 1);
    close(ready[0]);
    close(ready[1]);
    return [holder] {
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
    };
}

// ---- Exports ----

struct ExportCase {
    QString dir;       // the folder the user chose
    QString file;      // the file the user chose in it
    QByteArray seed;   // the file before the save ("" for a new file)
    qint64 firstLine = 0;  // bytes of the first line the save appends
    int linesBeforeFull = 0;  // whole lines the disk takes before it is full
};

struct FileFault {
    const char* name;
    bool existing;        // the save appends to a file that exists
    bool contentKnown;    // the file's bytes can be compared afterwards
    // In the parent: makes the fault; returns what ends it.
    std::function<std::function<void()>(ExportCase&)> prepare;
    // In the child, before the save.
    std::function<void(ExportCase&, SimSetup&)> inChild;
};

std::vector<FileFault> FileFaults()
{
    auto none = [](ExportCase&) { return std::function<void()>([] {}); };
    auto nothing = [](ExportCase&, SimSetup&) {};
    return {
        {"disk full (new file)", false, true, none, [](ExportCase&, SimSetup&) { DiskFullAt(0); }},
        {"disk full during the save", true, true, none,
         [](ExportCase& c, SimSetup&) {
             DiskFullAt(c.seed.size() + c.linesBeforeFull * c.firstLine + c.firstLine / 2);
         }},
        {"short write (injected)", true, true, none, [](ExportCase&, SimSetup&) { SetWriteLimitForTesting(5); }},
        {"file is /dev/full", true, false,
         [](ExportCase& c) {
             QFile::remove(c.file);
             QFile::link(QStringLiteral("/dev/full"), c.file);
             return std::function<void()>([] {});
         },
         nothing},
        {"read-only folder (new file)", false, true,
         [](ExportCase& c) {
             ReadOnlyFolder(c.dir);
             return std::function<void()>([] {});
         },
         [](ExportCase&, SimSetup&) { WithoutRootRights(); }},
        {"read-only folder and file", true, true,
         [](ExportCase& c) {
             QFile::setPermissions(c.file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
             ReadOnlyFolder(c.dir);
             return std::function<void()>([] {});
         },
         [](ExportCase&, SimSetup&) { WithoutRootRights(); }},
        {"held by another process", true, true, [](ExportCase& c) { return HeldByAnotherProcess(c.file); },
         nothing},
        {"folder vanished", false, true, none,
         [](ExportCase& c, SimSetup& t) {
             // Gone while the save dialog was up, after the user chose it.
             t.dialogs.onShow = [dir = c.dir](const ShownBox& b) {
                 SayBox(b);
                 if (b.kind == ShownBox::Save)
                     QDir(dir).removeRecursively();
             };
         }},
    };
}

struct Export {
    Procedure procedure;
    int linesPerSuccess;  // lines one "Save successfully!" stands for
    int linesBeforeFull;  // of a disk that fills during the save: so that a later line is cut
};

struct ExportResult {
    bool ok = false;
    QString detail;
    int appended = 0;
};

// The save in a child; the checks in the parent.
ExportResult RunExport(const Export& e, SimSetup& t, const FileFault* fault, ExportCase c, int expected)
{
    std::function<void()> end = [] {};
    if (fault)
        end = fault->prepare(c);
    const ChildResult r = RunInChild([&] {
        StartAlarm(20000);
        t.dialogs.shown.clear();
        t.dialogs.echo = false;
        t.dialogs.onShow = SayBox;
        if (fault)
            fault->inChild(c, t);
        Run run{t, c.file};
        run.start = t.clock.Seconds();
        run.budget = e.procedure.budgetSeconds;
        ScriptedUser user(e.procedure, run);
        e.procedure.run(run);
        std::fflush(nullptr);
        _exit(0);
    });
    end();

    ExportResult result;
    if (!r.exited || r.status != 0) {
        result.detail =
            r.exited ? QStringLiteral("status %1").arg(r.status) : QStringLiteral("signal %1").arg(r.signal);
        return result;
    }
    const QStringList boxes = BoxesSaid(r.output);
    const int successes = int(boxes.count(QStringLiteral("Finished|Save successfully!")) +
                              boxes.count(QStringLiteral("|Save successfully!")));
    const QString name = QFileInfo(c.file).fileName();
    bool named = false;
    for (const QString& b : boxes)
        named = named || (b.contains(name) && !b.endsWith(QLatin1String("Save successfully!")));

    int appended = -1;
    QString why;
    if (!fault || fault->contentKnown) {
        if (!CheckExport(c.file, c.seed, appended, why)) {
            result.detail = why;
            return result;
        }
    }
    result.appended = appended;
    if (appended >= 0 && successes * e.linesPerSuccess > appended)
        result.detail =
            QStringLiteral("\"Save successfully!\" %1 time(s), %2 line(s) written").arg(successes).arg(appended);
    else if (appended < 0 && successes > 0)
        result.detail = QStringLiteral("\"Save successfully!\" into /dev/full");
    else if ((appended < 0 || appended < expected) && !named)
        result.detail = QStringLiteral("no message names the file: ") + boxes.join(QStringLiteral(", "));
    else
        result.ok = true;
    return result;
}

int ExportTable(const QString& work)
{
    std::vector<Export> exports;
    exports.push_back({MeasureRows()[0], 1, 0});
    std::vector<Procedure> memory = MemoryRows();
    exports.push_back({memory[0], 3, 1});
    exports.push_back({memory[1], 2, 1});
    exports.push_back({BreakDownRow(), 1, 1});  // the result saved at the break-down, not at the end

    int failed = 0;
    int n = 0;
    std::printf("\n%-26s %-28s %6s  %s\n", "export", "fault", "lines", "result");
    for (const Export& e : exports) {
        SimSetup t(e.procedure.scenario);
        AppWindows windows;
        e.procedure.prepare(t);

        // The clean save: how many lines, and how long the first one is.
        ExportCase clean;
        clean.dir = work + QStringLiteral("/clean%1").arg(++n);
        QDir().mkpath(clean.dir);
        clean.file = clean.dir + QStringLiteral("/export.csv");
        const ExportResult cleanResult = RunExport(e, t, nullptr, clean, 0);
        const QList<QByteArray> lines = Read(clean.file).split('\n');
        const int expected = cleanResult.appended;
        if (!cleanResult.ok || expected < 1 || lines.size() < 3) {
            std::printf("%-26s clean save failed: %s\n", qPrintable(e.procedure.name), qPrintable(cleanResult.detail));
            ++failed;
            continue;
        }
        const QByteArray seed = lines[0] + '\n' + lines[1] + '\n';

        for (const FileFault& f : FileFaults()) {
            ExportCase c;
            c.dir = work + QStringLiteral("/case%1").arg(++n);
            QDir().mkpath(c.dir);
            c.file = c.dir + QStringLiteral("/export.csv");
            c.firstLine = lines[1].size() + 1;
            c.linesBeforeFull = e.linesBeforeFull;
            if (f.existing) {
                c.seed = seed;
                Write(c.file, seed);
            }
            const ExportResult r = RunExport(e, t, &f, c, expected);
            failed += r.ok ? 0 : 1;
            std::printf("%-26s %-28s %6s  %s\n", qPrintable(e.procedure.name), f.name,
                        r.appended < 0 ? "-" : qPrintable(QString::number(r.appended)),
                        !r.ok                    ? qPrintable(QStringLiteral("FAILED: ") + r.detail)
                        : r.appended == expected ? "saved, whole lines"
                                                 : "message, whole lines");
        }
    }
    return failed;
}

// ---- Settings file ----

const QByteArray kSettings =
    "; set up by hand\n[KRX 738]\nDataDirectory=/old/\nSamplingTime=1234\n\n[Other]\nKey=value\n";

struct SettingsFault {
    const char* name;
    std::function<std::function<void()>(const QString& dir, const QString& file)> prepare;
    std::function<void()> inChild;
    bool fileGone = false;  // the folder and its file are gone: nothing to keep
};

std::vector<SettingsFault> SettingsFaults()
{
    auto none = [](const QString&, const QString&) { return std::function<void()>([] {}); };
    // The file is the child's own, its folder is not.
    auto ownFileInReadOnlyFolder = [](const QString& dir, const QString& file) {
        if (geteuid() == 0 && chown(file.toLocal8Bit().constData(), kNobody, kNobody) != 0)
            std::perror("chown");
        ReadOnlyFolder(dir);
        return std::function<void()>([] {});
    };
    return {
        {"disk full", none, [] { DiskFullAt(20); }},
        {"read-only folder and file",
         [](const QString& dir, const QString& file) {
             QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
             ReadOnlyFolder(dir);
             return std::function<void()>([] {});
         },
         WithoutRootRights},
        {"read-only folder", ownFileInReadOnlyFolder, WithoutRootRights},
        {"read-only folder, disk full", ownFileInReadOnlyFolder,
         [] {
             WithoutRootRights();
             DiskFullAt(20);
         }},
        {"held by another process", [](const QString&, const QString& file) { return HeldByAnotherProcess(file); },
         [] {}},
        {"folder vanished",
         [](const QString& dir, const QString&) {
             QDir(dir).removeRecursively();
             return std::function<void()>([] {});
         },
         [] {}, true},
    };
}

int SettingsTable(const QString& work)
{
    int failed = 0;
    int n = 0;
    std::printf("\n%-26s %-28s %6s  %s\n", "file", "fault", "saved", "result");
    for (const SettingsFault& f : SettingsFaults()) {
        const QString dir = work + QStringLiteral("/settings%1").arg(++n);
        QDir().mkpath(dir);
        const QString file = dir + QStringLiteral("/KRX_SETUP.INI");
        Write(file, kSettings);
        const std::function<void()> end = f.prepare(dir, file);
        const ChildResult r = RunInChild([&] {
            StartAlarm(20000);
            ScopedDialogs dialogs;
            dialogs.echo = false;
            dialogs.onShow = SayBox;
            SetSettingsFilePath(file);
            f.inChild();
            Say(QStringLiteral("SAVED %1").arg(int(RememberDataDirectory(QStringLiteral("/new/folder/"), dialogs))));
            std::fflush(nullptr);
            _exit(0);
        });
        end();

        QString detail;
        const bool saved = r.output.find("FM SAVED 1") != std::string::npos;
        const ProfileFile settings(file);
        const QString folder = settings.ReadString(SettingsSection(), QStringLiteral("DataDirectory"), QString());
        bool named = false;
        for (const QString& b : BoxesSaid(r.output))
            named = named || b.contains(QStringLiteral("KRX_SETUP.INI"));
        if (!r.exited || r.status != 0)
            detail = QStringLiteral("child ended with status %1, signal %2").arg(r.status).arg(r.signal);
        else if (!f.fileGone && (settings.ReadInteger(SettingsSection(), QStringLiteral("SamplingTime"), 0) != 1234 ||
                                 settings.ReadString(QStringLiteral("Other"), QStringLiteral("Key"), QString()) !=
                                     QLatin1String("value") ||
                                 !Read(file).startsWith("; set up by hand")))
            detail = QStringLiteral("other keys lost: ") + QString::fromLatin1(Read(file).toPercentEncoding(" =;[]/"));
        else if (folder != (saved ? QStringLiteral("/new/folder/") : QStringLiteral("/old/")))
            detail = QStringLiteral("DataDirectory is \"%1\" after a save that %2")
                         .arg(folder, saved ? QStringLiteral("worked") : QStringLiteral("failed"));
        else if (!saved && !named)
            detail = QStringLiteral("failed without a message naming the file");
        failed += detail.isEmpty() ? 0 : 1;
        std::printf("%-26s %-28s %6s  %s\n", "settings file", f.name, saved ? "yes" : "no",
                    detail.isEmpty() ? (saved ? "other keys kept" : "message, other keys kept")
                                     : qPrintable(QStringLiteral("FAILED: ") + detail));
    }
    return failed;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid())
        return 2;
    const int failed = ExportTable(work.path()) + SettingsTable(work.path());
    // Folders made read-only for the checks must be removable again.
    Writable(work.path());
    std::printf("%s\n", failed == 0 ? "every file fault ended with whole lines and a message"
                                    : "some file faults ended badly");
    return failed == 0 ? 0 : 1;
}
