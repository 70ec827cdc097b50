// SPDX-License-Identifier: GPL-3.0-or-later
#include "fault_matrix.h"

#include "app_windows.h"
#include "child.h"

#include "device/clock.h"
#include "device/backend.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <sys/time.h>
#include <unistd.h>

namespace krx::test {

namespace {

// Status of a child that finished its run and the check afterwards.
constexpr int kDone = 77;

const QString kFatalText = QStringLiteral("Connection to the KRX 738 interrupted. Program is terminated.");

QString OneLine(QString s)
{
    return s.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

// The exchange a trace line describes ("IN 10 [37 33 ...] =20"); nullopt for opens.
struct Exchange {
    bool in = false;
    int command = 0;
    int length = 0;
    QString text;
};

std::vector<Exchange> ReadTrace(const QString& path)
{
    std::vector<Exchange> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    static const QRegularExpression re(
        QStringLiteral("^\\S+ (IN|OUT) (\\d+)([^\\[]*)\\[([0-9A-F ]*)\\] =(-?\\d+)$"));
    static const QRegularExpression len(QStringLiteral("len=(\\d+)"));
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw);
        const auto m = re.match(line);
        if (!m.hasMatch())
            continue;
        Exchange e;
        e.in = m.captured(1) == QLatin1String("IN");
        e.command = m.captured(2).toInt();
        const auto l = len.match(m.captured(3));
        const QString bytes = m.captured(4).trimmed();
        e.length = l.hasMatch() ? l.captured(1).toInt() : (bytes.isEmpty() ? 0 : int(bytes.split(' ').size()));
        e.text = QStringLiteral("%1 %2").arg(m.captured(1)).arg(e.command);
        out.push_back(e);
    }
    return out;
}

}  // namespace

bool CheckExport(const QString& path, const QByteArray& seed, int& appended, QString& why)
{
    appended = 0;
    QFile f(path);
    if (!f.exists()) {
        if (seed.isEmpty())
            return true;
        why = QStringLiteral("export file gone");
        return false;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("export file unreadable");
        return false;
    }
    const QByteArray all = f.readAll();
    if (!all.startsWith(seed)) {
        why = QStringLiteral("export file changed before its end");
        return false;
    }
    QByteArray rest = all.mid(seed.size());
    if (rest.isEmpty())
        return true;
    if (!rest.endsWith("\r\n")) {
        why = QStringLiteral("export file ends in a half line");
        return false;
    }
    rest.chop(2);
    const QByteArray first = (seed.isEmpty() ? all : seed).split('\r').front();
    const auto width = first.count(';');
    const QList<QByteArray> lines = rest.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (i + 1 < lines.size()) {
            if (!line.endsWith('\r')) {
                why = QStringLiteral("a line ends without CR LF");
                return false;
            }
            line.chop(1);
        }
        if (line.contains('\r') || line.count(';') != width) {
            why = QStringLiteral("a line of %1 fields in a file of %2").arg(line.count(';') + 1).arg(width + 1);
            return false;
        }
    }
    appended = int(lines.size()) - (seed.isEmpty() ? 1 : 0);
    return true;
}

namespace {


// The child: one run of the procedure with the fault (if any), then the check that the program
// still works with the meter plugged in again. Never returns.
[[noreturn]] void ChildBody(const Procedure& p, SimSetup& t, const std::optional<sim::Fault>& fault,
                            const QString& exportFile, const QString& trace)
{
    StartAlarm(p.alarmMs);
    TheTransferLog().Clear();
    TheTransferLog().TraceTo(trace);
    ScriptedDialogs& d = t.dialogs;
    d.shown.clear();
    d.answers.clear();
    d.inputs.clear();
    d.saves.clear();
    d.echo = false;
    d.onShow = [&p](const ShownBox& b) {
        SayBox(b);
        if (b.kind == ShownBox::Message && b.text == kFatalText) {
            static const QRegularExpression re(QStringLiteral("^!! Error Nr\\.: (-?\\d+) occurred $"));
            const auto m = re.match(b.title);
            const int code = m.hasMatch() ? m.captured(1).toInt() : 9999;
            QString where;
            const bool allowed = m.hasMatch() && p.fatal && p.fatal(TheTransferLog().Records(), code, where);
            Say(QStringLiteral("FATAL code=%1 allowed=%2 where=%3").arg(code).arg(int(allowed)).arg(where));
        }
    };

    Run run{t, exportFile};
    run.start = t.clock.Seconds();
    run.budget = p.budgetSeconds;
    if (fault)
        t.sim->Inject(*fault);
    ScriptedUser user(p, run);
    p.run(run);
    if (run.rangeSize >= 0)
        Say(QStringLiteral("RANGE %1").arg(run.rangeSize));
    Say(QStringLiteral("GAVEUP %1").arg(int(run.gaveUp)));
    if (p.verify) {
        const QString wrong = p.verify(run);
        if (!wrong.isEmpty())
            Say(QStringLiteral("WRONG ") + OneLine(wrong));
    }
    TheTransferLog().TraceTo(QString());

    // The fault is over; an unplugged meter is plugged in again, to be found by the next open.
    Say(QStringLiteral("USABLE"));
    t.sim->ClearFaults();
    t.meter().SetPresent(true);
    run.exportFile = exportFile + QStringLiteral(".again.csv");
    run.start = t.clock.Seconds();
    run.gaveUp = false;
    run.rangeSize = -1;
    run.save = false;
    run.step = 0;
    run.presses = 0;
    QString why;
    bool usable = p.usable ? p.usable(run, why) : true;
    if (run.gaveUp) {
        usable = false;
        why += QStringLiteral(" (had to be stopped)");
    }
    Say(QStringLiteral("END usable=%1 why=%2").arg(int(usable)).arg(OneLine(why)));
    std::fflush(nullptr);
    _exit(kDone);
}

struct ChildReport {
    ChildResult r;
    QStringList boxes;  // "title|text" of the faulted run
    bool fatal = false;
    int fatalCode = 0;
    bool fatalAllowed = false;
    QString fatalWhere;
    bool ended = false;
    bool usable = false;
    QString why;
    bool gaveUp = false;
    int rangeSize = -1;
    QString wrong;  // what the procedure's check found wrong with the result
};

ChildReport RunChild(const Procedure& p, SimSetup& t, const std::optional<sim::Fault>& fault,
                     const QString& exportFile, const QString& trace)
{
    ChildReport c;
    c.r = RunInChild([&] { ChildBody(p, t, fault, exportFile, trace); });
    bool faultedPart = true;
    for (const QString& line : QString::fromStdString(c.r.output).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("FM ")))
            continue;
        const QString s = line.mid(3);
        if (s == QLatin1String("USABLE"))
            faultedPart = false;
        else if (s.startsWith(QLatin1String("BOX ")) && faultedPart)
            c.boxes << s.mid(4);
        else if (s.startsWith(QLatin1String("FATAL "))) {
            static const QRegularExpression re(QStringLiteral("^FATAL code=(-?\\d+) allowed=(\\d) where=(.*)$"));
            const auto m = re.match(s);
            c.fatal = true;
            c.fatalCode = m.captured(1).toInt();
            c.fatalAllowed = m.captured(2) == QLatin1String("1");
            c.fatalWhere = m.captured(3);
        } else if (s.startsWith(QLatin1String("RANGE ")))
            c.rangeSize = s.mid(6).toInt();
        else if (s.startsWith(QLatin1String("WRONG ")))
            c.wrong = s.mid(6);
        else if (s.startsWith(QLatin1String("GAVEUP ")))
            c.gaveUp = s.mid(7) == QLatin1String("1");
        else if (s.startsWith(QLatin1String("END "))) {
            static const QRegularExpression re(QStringLiteral("^END usable=(\\d) why=(.*)$"));
            const auto m = re.match(s);
            c.ended = true;
            c.usable = m.captured(1) == QLatin1String("1");
            c.why = m.captured(2);
        }
    }
    return c;
}

QString Tail(const std::string& output)
{
    QStringList lines = QString::fromStdString(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    while (lines.size() > 12)
        lines.removeFirst();
    return lines.join(QStringLiteral("\n      "));
}

// Whether the faulted run's boxes are exactly the clean run's, and whether it showed one of its own.
bool NewBox(const QStringList& faulted, const QStringList& clean)
{
    std::map<QString, int> count;
    for (const QString& b : clean)
        ++count[b];
    for (const QString& b : faulted)
        if (--count[b] < 0)
            return true;
    return false;
}

Injection Classify(const Procedure& p, const ChildReport& c, const QStringList& cleanBoxes, const QString& exportFile,
                   const QByteArray& seed)
{
    Injection inj;
    inj.gaveUp = c.gaveUp;
    auto undefined = [&](const QString& why) {
        inj.outcome = Outcome::Undefined;
        inj.detail = why;
        return inj;
    };
    if (!c.r.exited)
        return undefined(c.r.signal == SIGALRM ? QStringLiteral("hang (no end within %1 ms)").arg(p.alarmMs)
                                               : QStringLiteral("crash: signal %1").arg(c.r.signal));

    int appended = 0;
    QString fileWhy;
    if (p.exports && !CheckExport(exportFile, seed, appended, fileWhy))
        return undefined(fileWhy);
    const bool saidSaved = c.boxes.contains(QStringLiteral("Finished|Save successfully!")) ||
                           c.boxes.contains(QStringLiteral("|Save successfully!"));
    if (p.exports && saidSaved && (appended == 0 || (c.rangeSize >= 0 && appended != c.rangeSize)))
        return undefined(QStringLiteral("\"Save successfully!\" with %1 line(s) written").arg(appended));

    if (c.fatal) {
        if (!c.fatalAllowed)
            return undefined(QStringLiteral("connection-loss box at %1 (code %2), not a fatal point")
                                 .arg(c.fatalWhere)
                                 .arg(c.fatalCode));
        if (c.r.status != ExitStatusOf(c.fatalCode))
            return undefined(QStringLiteral("connection-loss box with code %1, exit status %2")
                                 .arg(c.fatalCode)
                                 .arg(c.r.status));
        inj.outcome = Outcome::Fatal;
        return inj;
    }
    if (p.endsProcess) {
        if (c.r.status == 0 && c.boxes.isEmpty()) {
            inj.outcome = Outcome::Clean;
            return inj;
        }
        return undefined(QStringLiteral("program ended with status %1 and %2 box(es)")
                             .arg(c.r.status)
                             .arg(c.boxes.size()));
    }
    if (!c.ended || c.r.status != kDone)
        return undefined(QStringLiteral("program ended without the connection-loss box (status %1)").arg(c.r.status));
    if (!c.usable)
        return undefined(QStringLiteral("not usable afterwards: %1").arg(c.why));
    if (NewBox(c.boxes, cleanBoxes)) {
        inj.outcome = Outcome::Message;
        return inj;
    }
    if (c.gaveUp)
        return undefined(QStringLiteral("stalled without a message until the user stopped it"));
    if (!c.wrong.isEmpty())
        return undefined(QStringLiteral("wrong result without a message: ") + c.wrong);
    // Ended by itself, on the clean run's path or on another one the program took without a fault
    // of its own showing (a reply it had no reason to doubt).
    inj.outcome = Outcome::Clean;
    return inj;
}

}  // namespace

void Say(const QString& s)
{
    std::fprintf(stderr, "FM %s\n", qPrintable(s));
}

void SayBox(const ShownBox& b)
{
    if (b.kind == ShownBox::Message || b.kind == ShownBox::Error)
        Say(QStringLiteral("BOX %1|%2").arg(OneLine(b.title), OneLine(b.text)));
}

QStringList BoxesSaid(const std::string& output)
{
    QStringList boxes;
    for (const QString& line : QString::fromStdString(output).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("FM BOX ")))
            boxes << line.mid(7);
    return boxes;
}

void StartAlarm(int ms)
{
    itimerval limit{};
    limit.it_value.tv_sec = ms / 1000;
    limit.it_value.tv_usec = (ms % 1000) * 1000;
    setitimer(ITIMER_REAL, &limit, nullptr);
}

ScriptedUser::ScriptedUser(const Procedure& p, Run& run)
{
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this, &p, &run] {
        if (!p.drive || driving_)
            return;
        driving_ = true;
        p.drive(run);
        driving_ = false;
    });
    timer_.start();
}

bool Run::Overdue() const
{
    return t.clock.Seconds() - start > budget || presses > 200;
}

void Run::Press(QPushButton* button)
{
    ++presses;
    button->click();
}

void Run::GiveUp()
{
    gaveUp = true;
}

const std::vector<FaultKind>& FaultKinds()
{
    static const std::vector<FaultKind> kinds = {
        {"unplug", sim::Fault::Unplug, false},
        {"failed transfer", sim::Fault::Fail, false},
        {"timeout", sim::Fault::Timeout, false},
        {"short reply", sim::Fault::Short, true},
        {"unreadable chars", sim::Fault::Garbage, true},
    };
    return kinds;
}

RowResult RunRow(const Procedure& p, const QString& workDir)
{
    RowResult row;
    row.name = p.name;
    SimSetup t(p.scenario);
    AppWindows windows;
    p.prepare(t);

    const QString base = workDir + QLatin1Char('/') + QString(p.name).replace(QRegularExpression("[^A-Za-z0-9]"), "_");
    const QString cleanExport = base + QStringLiteral("_clean.csv");
    const QString cleanTrace = base + QStringLiteral("_clean.trace");
    const ChildReport clean = RunChild(p, t, std::nullopt, cleanExport, cleanTrace);
    const std::vector<Exchange> exchanges = ReadTrace(cleanTrace);
    row.transfers = int(exchanges.size());
    QByteArray seed;
    if (p.exports) {
        QFile f(cleanExport);
        if (f.open(QIODevice::ReadOnly))
            seed = f.readAll();
        if (seed.isEmpty())
            row.cleanProblem = QStringLiteral("the clean run wrote no export");
    }
    if (qEnvironmentVariableIsSet("KRX_FM_VERBOSE"))
        std::printf("clean run of %s:\n%s\n", qPrintable(p.name), clean.r.output.c_str());
    const Injection cleanResult = Classify(p, clean, clean.boxes, cleanExport, QByteArray());
    if (cleanResult.outcome != Outcome::Clean || clean.gaveUp)
        row.cleanProblem = QStringLiteral("clean run: %1\n      %2").arg(cleanResult.detail, Tail(clean.r.output));
    if (!row.cleanProblem.isEmpty() || exchanges.empty() || qEnvironmentVariableIsSet("KRX_FM_CLEAN_ONLY"))
        return row;

    int n = 0;
    for (size_t k = 0; k < FaultKinds().size(); ++k) {
        const FaultKind& kind = FaultKinds()[k];
        for (size_t i = 0; i < exchanges.size(); ++i) {
            const Exchange& e = exchanges[i];
            if (kind.inOnly && !e.in)
                continue;
            sim::Fault f;
            f.kind = kind.kind;
            f.at = int(i);
            f.bytes = e.length / 2;
            const QString file = base + QStringLiteral("_%1.csv").arg(++n);
            if (p.exports) {
                QFile s(file);
                if (s.open(QIODevice::WriteOnly))
                    s.write(seed);
            }
            const ChildReport c = RunChild(p, t, f, file, base + QStringLiteral("_%1.trace").arg(n));
            Injection inj = Classify(p, c, clean.boxes, file, seed);
            inj.kind = int(k);
            inj.index = int(i);
            inj.transfer = e.text;
            if (inj.outcome == Outcome::Undefined)
                inj.detail += QStringLiteral("\n      ") + Tail(c.r.output);
            row.injections.push_back(inj);
        }
    }
    return row;
}

int PrintTable(const std::vector<RowResult>& rows)
{
    int undefined = 0;
    std::printf("\n%-32s %-17s %5s %8s %6s %8s %6s\n", "procedure (transfers)", "fault", "inj.", "defined", "fatal",
                "message", "clean");
    for (const RowResult& row : rows) {
        const QString title = QStringLiteral("%1 (%2)").arg(row.name).arg(row.transfers);
        if (!row.cleanProblem.isEmpty()) {
            std::printf("%-32s %s\n", qPrintable(title), qPrintable(row.cleanProblem));
            ++undefined;
            continue;
        }
        for (size_t k = 0; k < FaultKinds().size(); ++k) {
            int inj = 0, fatal = 0, message = 0, clean = 0, stopped = 0;
            for (const Injection& i : row.injections) {
                if (i.kind != int(k))
                    continue;
                ++inj;
                fatal += i.outcome == Outcome::Fatal;
                message += i.outcome == Outcome::Message;
                clean += i.outcome == Outcome::Clean;
                stopped += i.gaveUp;
            }
            std::printf("%-32s %-17s %5d %8d %6d %8d %6d%s\n", k == 0 ? qPrintable(title) : "",
                        FaultKinds()[k].name, inj, fatal + message + clean, fatal, message, clean,
                        stopped ? qPrintable(QStringLiteral("  (%1 stopped by the user)").arg(stopped)) : "");
        }
    }
    for (const RowResult& row : rows)
        for (const Injection& i : row.injections)
            if (i.outcome == Outcome::Undefined) {
                ++undefined;
                std::printf("UNDEFINED %s, %s at transfer %d (%s): %s\n", qPrintable(row.name),
                            FaultKinds()[size_t(i.kind)].name, i.index, qPrintable(i.transfer),
                            qPrintable(i.detail));
            }
    std::fflush(stdout);
    return undefined;
}

bool PumpUntil(Run& run, const std::function<bool()>& done)
{
    while (!done()) {
        if (run.Overdue()) {
            run.GiveUp();
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        run.t.clock.Advance(0.01);
    }
    return true;
}

const TransferRecord* ControlBefore(const std::vector<TransferRecord>& log, size_t i)
{
    while (i-- > 0)
        if (log[i].kind != TransferRecord::Open)
            return &log[i];
    return nullptr;
}

int CountTransfers(int command, bool in)
{
    int n = 0;
    for (const auto& r : TheTransferLog().Records())
        n += r.kind == (in ? TransferRecord::In : TransferRecord::Out) && r.value == command;
    return n;
}

QStringList BoxesSince(const ScriptedDialogs& d, size_t from)
{
    QStringList out;
    for (size_t i = from; i < d.shown.size(); ++i)
        if (d.shown[i].kind == ShownBox::Message || d.shown[i].kind == ShownBox::Error)
            out << d.shown[i].title + QLatin1Char('|') + d.shown[i].text;
    return out;
}

}  // namespace krx::test
