// SPDX-License-Identifier: GPL-3.0-or-later
// The memory read-outs, range exports and deletions of the special-functions window against the
// simulated meter: the display, the waits for the range, the dialogs, the files byte for byte and
// every transfer.
#include "app_windows.h"
#include "window_test_names.h"
#include "paced_meter.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "core/csv_appender.h"
#include "ui/special_functions/special_functions_window.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <functional>
#include <optional>


namespace {

const QByteArray kOhmHeader = "Type;Ser. No.;Sw.Ver.;File No.;Date;Time;Humi.(%);Temp.(GC);Meas.(V);Timer (Sec.);"
                              "Resis.(Ohm);MeasCalc;Comment\r\n";
const QByteArray kBdHeader = "Type;Ser. No.;Sw.Ver.;File No.;Date;Time;Humi.(%);Temp.(GC);BDV (V);"
                             "Resis. bev.(MOhm);Resis. aft.(MOhm);Cycle Time (Sec.;Meas. BD Off(MOhm);"
                             "Timer BD Off(Sec.);Comment\r\n";
// Type, serial number and software version of the simulated meter, as every line starts.
const QByteArray kWho = "KRX 738;\xB4" "73800042;\xB4" "1.07;";
const QString kHyphens = QStringLiteral("----------------------------------------");

void PutBe16(unsigned char* b, unsigned v)
{
    b[0] = static_cast<unsigned char>(v >> 8);
    b[1] = static_cast<unsigned char>(v);
}
void PutBe32(unsigned char* b, std::uint32_t v)
{
    PutBe16(b, v >> 16);
    PutBe16(b + 2, v & 0xFFFF);
}

// Record head: number, day.03.2011 09:05, 45 %, 22.5 degrees.
void PutHead(unsigned char* b, int no, unsigned char day)
{
    const unsigned char head[12] = {static_cast<unsigned char>(no), day, 3, 11, 9, 5, '4', '5', '2', '2', '.', '5'};
    std::memcpy(b, head, 12);
}

sim::OhmRecordSpec OhmRaw(int no, unsigned timer, unsigned char calc, const char* mantissa = "1.25",
                          const char* exponent = "09", unsigned char day = 7)
{
    sim::OhmRecordSpec r;
    PutHead(r.bytes.data(), no, day);
    PutBe16(r.bytes.data() + 12, 500);
    PutBe16(r.bytes.data() + 14, timer);
    std::memcpy(r.bytes.data() + 16, mantissa, 4);
    std::memcpy(r.bytes.data() + 20, exponent, 2);
    r.bytes[22] = calc;
    return r;
}

sim::BreakDownRecordSpec BdRaw(int no, std::uint32_t before, std::uint32_t after, std::uint32_t off,
                               unsigned char day = 8)
{
    sim::BreakDownRecordSpec r;
    PutHead(r.bytes.data(), no, day);
    PutBe16(r.bytes.data() + 12, 1000);
    PutBe32(r.bytes.data() + 14, before);
    PutBe32(r.bytes.data() + 18, after);
    PutBe16(r.bytes.data() + 22, 14);
    PutBe32(r.bytes.data() + 24, off);
    PutBe16(r.bytes.data() + 28, 6);
    return r;
}

template <std::size_t N>
QString In(int command, const std::array<unsigned char, N>& bytes)
{
    const QByteArray b(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(N));
    return QStringLiteral("0 IN %1 [%2] =%3").arg(command).arg(QString::fromLatin1(b.toHex(' ').toUpper())).arg(N);
}
QString OhmIn(const sim::OhmRecordSpec& r) { return In(35, r.bytes); }
QString BdIn(const sim::BreakDownRecordSpec& r) { return In(36, r.bytes); }
const QString kOhmEnd = In(35, std::array<unsigned char, 30>{});
const QString kBdEnd = In(36, std::array<unsigned char, 31>{});

QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs `f` from the event loop, that is, while a read-out waits.
void Later(std::function<void()> f)
{
    QTimer::singleShot(0, std::move(f));
}
// Runs the checks, which may stop early when one fails, and then the action that ends the wait.
void Later(std::function<void()> checks, std::function<void()> action)
{
    QTimer::singleShot(0, [checks = std::move(checks), action = std::move(action)] {
        checks();
        action();
    });
}

// Types a range and presses the range group's "Save".
void PressSave(const QString& from, const QString& to)
{
    SpecialWin()->rangeFromField->setText(from);
    SpecialWin()->rangeToField->setText(to);
    SpecialWin()->rangeSaveButton->click();
}

QStringList Messages(const SimSetup& t)
{
    return t.dialogs.Messages();
}

// A fresh program with the given memories, initialised and in the special-functions window.
struct Fixture {
    explicit Fixture(std::vector<sim::OhmRecordSpec> ohm, std::vector<sim::BreakDownRecordSpec> bd = {},
                     const QByteArray& settings = QByteArray())
        : t(Scenario(std::move(ohm), std::move(bd))), w({QStringLiteral("krx738")}, settings)
    {
        t.dialogs.echo = false;
        MainWin()->show();
        MainWin()->initButton->click();
        MainWin()->specialFunctionsButton->click();
        t.Take();
        // A read-out left waiting by a failed check ends the test instead of hanging it.
        watchdog.setInterval(10000);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            QTest::qFail("a read-out waited for the range that never came", __FILE__, __LINE__);
            t.dialogs.inputs.clear();  // the comment dialog is cancelled and the read-out ends
            PressSave(QStringLiteral("1"), QStringLiteral("1"));
        });
        watchdog.start();
    }
    static sim::Scenario Scenario(std::vector<sim::OhmRecordSpec> ohm, std::vector<sim::BreakDownRecordSpec> bd)
    {
        sim::Scenario s = sim::Scenario::Default();
        s.ohmMemory = std::move(ohm);
        s.breakDownMemory = std::move(bd);
        return s;
    }
    QString File(const QString& name) const { return dir.filePath(name); }

    SimSetup t;
    AppWindows w;
    QTemporaryDir dir;
    QTimer watchdog;
};

QList<QPushButton*> ProcedureButtons()
{
    const SpecialFunctionsWindow* f = SpecialWin();
    return {f->readOhmMemoryButton, f->readBreakDownMemoryButton, f->eraseOhmMemoryButton,
            f->eraseBreakDownMemoryButton, f->breakDownButton};
}

}  // namespace

class MemoryWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void emptyMemory();
    void interruptedReadOut();
    void failedDeletion();
    void threeRecordsBadRangesThenOne();
    void breakDownListingAndMissingNumbers();
    void missingNumberAndTimerZeroInResistanceFile();
    void commaLocale();
    void twoExportsOneFileAndDataFolder();
    void dialogsCancelled();
    void resistancesInWholeMegaohm();
    void recordNumberAboveTheTable();
    void memoryWithoutEndMark();
    void leavingTheWindowEndsTheWait();
    void displayFillsRecordByRecord();
    void failedWrites();
    void deletion();
};

void MemoryWindowsTest::cleanup()
{
    QLocale::setDefault(QLocale::c());
    SetWriteLimitForTesting(-1);
}

void MemoryWindowsTest::emptyMemory()
{
    Fixture f({}, {});
    SpecialWin()->readOhmMemoryButton->click();
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), kHyphens + QStringLiteral("\nNo records!"));
    QVERIFY(SpecialWin()->rangeGroup->isHidden());
    QCOMPARE(Messages(f.t), L{"Result|No records saved !"});
    QCOMPARE(f.t.Take(), L{kOhmEnd});

    SpecialWin()->readBreakDownMemoryButton->click();
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), kHyphens + QStringLiteral("\nNo records!"));
    QCOMPARE(Messages(f.t), (L{"Result|No records saved !", "Result|No records saved !"}));
    QCOMPARE(f.t.Take(), L{kBdEnd});
    for (QPushButton* b : ProcedureButtons())
        QVERIFY(b->isEnabled());
}

void MemoryWindowsTest::interruptedReadOut()
{
    const QString tail = QStringLiteral(" while its memory was read. The list ends after %1 record(s) and is not the "
                                        "whole memory. Check the connection and read the memory again.");

    {
        const auto r1 = OhmRaw(1, 60, 0), r2 = OhmRaw(2, 0, 0), r3 = OhmRaw(3, 120, 1);
        Fixture f({r1, r2, r3});

        // The second record does not come: the listing says so, and what came can still be saved.
        f.t.sim->Inject(Fault{Fault::Fail, 1, 35, 1, 1, kUsbErrorIo});
        bool rangeOffered = false;
        Later([&] {
            rangeOffered = SpecialWin()->rangeGroup->isVisible() && SpecialWin()->rangeToField->text() == "1";
            PressSave(QStringLiteral("1"), QStringLiteral("1"));  // comment dialog cancelled: nothing saved
        });
        SpecialWin()->readOhmMemoryButton->click();
        QVERIFY(rangeOffered);
        QCOMPARE(f.t.Take(), (L{OhmIn(r1), "0 IN 35 len=30 [] =-1"}));
        const QString cut = kHyphens + QStringLiteral("\nRead-out interrupted !");
        QVERIFY(SpecialWin()->recordDisplay->toPlainText().endsWith(cut));
        QCOMPARE(Messages(f.t), L{"Error|The KRX 738 did not answer (error -1)" + tail.arg(1)});

        // Read again: the meter stopped in mid-memory, so it is read on to its end mark first and the
        // listing starts at the first record, on a connection opened afresh.
        Later([] { PressSave(QStringLiteral("1"), QStringLiteral("3")); });
        SpecialWin()->readOhmMemoryButton->click();
        QCOMPARE(f.t.Take(),
                 (L{"0 open =1", OhmIn(r2), OhmIn(r3), kOhmEnd, OhmIn(r1), OhmIn(r2), OhmIn(r3), kOhmEnd}));
        QCOMPARE(SpecialWin()->recordDisplay->toPlainText().count(kHyphens), 4);
        QCOMPARE(Messages(f.t).size(), 1);

        // Unplugged before the first record: no "No records saved !" for a memory that was never read.
        f.t.sim->Inject(Fault{Fault::Unplug, 0, 35});
        SpecialWin()->readOhmMemoryButton->click();
        QCOMPARE(f.t.Take(), L{"0 IN 35 len=30 [] =-4"});
        QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), cut);
        QCOMPARE(Messages(f.t).back(), "Error|The KRX 738 did not answer (error -4)" + tail.arg(0));
        QVERIFY(SpecialWin()->rangeGroup->isHidden());
        // Still gone: the drain fails at once and says so again.
        SpecialWin()->readOhmMemoryButton->click();
        QCOMPARE(f.t.Take(), (L{"0 open =0", "0 IN 35 len=30 [] =-4"}));
        QCOMPARE(Messages(f.t).size(), 3);

        // Plugged in again, and a short reply: half a record is no record.
        f.t.meter().SetPresent(true);
        Fault half{Fault::Short, 0, 35};
        half.bytes = 15;
        f.t.sim->Inject(half);
        SpecialWin()->readOhmMemoryButton->click();
        const QString firstHalf = OhmIn(r1).section('[', 1).section(' ', 0, 14);
        QCOMPARE(f.t.Take(), (L{"0 open =1", "0 IN 35 len=30 [" + firstHalf + "] =15"}));
        QCOMPARE(Messages(f.t).back(), "Error|The KRX 738 sent an incomplete record" + tail.arg(0));
    }

    // The same for the break-down memory, whose flag is its own.
    Fixture g({}, {BdRaw(1, 5000, 0, 0), BdRaw(2, 6000, 0, 0)});
    g.t.sim->Inject(Fault{Fault::Timeout, 1, 36});
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
    SpecialWin()->readBreakDownMemoryButton->click();
    QCOMPARE(Messages(g.t), L{"Error|The KRX 738 did not answer (error -7)" + tail.arg(1)});
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("2")); });
    SpecialWin()->readBreakDownMemoryButton->click();
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText().count(kHyphens), 3);
    QCOMPARE(Messages(g.t).size(), 1);
}

void MemoryWindowsTest::failedDeletion()
{
    Fixture f({OhmRaw(1, 60, 0)}, {BdRaw(1, 5000, 0, 0)});
    const QString text = QStringLiteral("Error|The KRX 738 did not take the command (error %1). The memory may still "
                                        "hold its records: check the connection and delete again.");
    SpecialWin()->recordDisplay->setPlainText(QStringLiteral("earlier"));
    f.t.sim->Inject(Fault{Fault::Fail, 0, 35, 2, 1, kUsbErrorIo});
    f.t.dialogs.answers = {Answer::Ok};
    SpecialWin()->eraseOhmMemoryButton->click();
    QCOMPARE(f.t.Take(), L{"0 OUT 35 [FF] =-1"});
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), QStringLiteral("earlier"));
    QCOMPARE(Messages(f.t).back(), text.arg(-1));
    QCOMPARE(f.t.meter().scenario().ohmMemory.size(), size_t(1));

    // The next command opens the meter first; unplugged there, it fails the same way.
    f.t.sim->Inject(Fault{Fault::Unplug, 0, 36});
    f.t.dialogs.answers = {Answer::Ok};
    SpecialWin()->eraseBreakDownMemoryButton->click();
    QCOMPARE(f.t.Take(), (L{"0 open =1", "0 OUT 36 [FF] =-4"}));
    QCOMPARE(Messages(f.t).back(), text.arg(-4));

    // Plugged in again: both deletions go through, and only then say so.
    f.t.meter().SetPresent(true);
    f.t.dialogs.answers = {Answer::Ok, Answer::Ok};
    SpecialWin()->eraseBreakDownMemoryButton->click();
    SpecialWin()->eraseOhmMemoryButton->click();
    QCOMPARE(f.t.Take(), (L{"0 open =1", "0 OUT 36 [FF] =1", "0 OUT 35 [FF] =1"}));
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(),
             QStringLiteral("earlier\nBDV memory was deleted !\n") + kHyphens +
                 QStringLiteral("\nOHM memory was deleted !\n") + kHyphens);
    QVERIFY(f.t.meter().scenario().ohmMemory.empty() && f.t.meter().scenario().breakDownMemory.empty());
}

void MemoryWindowsTest::threeRecordsBadRangesThenOne()
{
    const auto r1 = OhmRaw(1, 600, 0, "1.25", "09", 1);
    const auto r2 = OhmRaw(2, 0, 1, "3.30", " 6", 2);
    const auto r3 = OhmRaw(3, 120, 2, "9.99", "12", 3);
    Fixture f({r1, r2, r3});
    SpecialWin()->timersGroup->show();

    bool checkedWait = false;
    Later([&] {
        // Waiting for the range: the listing is complete, the other procedures are blocked.
        const L lines = SpecialWin()->recordDisplay->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3 * 8 + 1);
        QCOMPARE(lines.mid(0, 8), (L{kHyphens, "File number            : 1",
                                     "Date / Time            : 1.3.2011 / 09:05",
                                     "Humidity / Temperature : 45% / 22.5 \u00b0C", "Measuring voltage      : 500 V",
                                     "Readings               : 1.25E09 Ohm", "Timer                  : 600 Sec",
                                     "Measurement methods    : Average"}));
        QCOMPARE(lines[13], QStringLiteral("Readings               : 3.30E06 Ohm"));
        QCOMPARE(lines[15], QStringLiteral("Measurement methods    : "));
        QCOMPARE(lines[23], QStringLiteral("Measurement methods    : Lapse"));
        QCOMPARE(lines.last(), kHyphens);
        QVERIFY(SpecialWin()->rangeGroup->isVisible());
        QCOMPARE(SpecialWin()->rangeFromField->text().trimmed(), QStringLiteral("1"));
        QCOMPARE(SpecialWin()->rangeToField->text().trimmed(), QStringLiteral("3"));
        for (QPushButton* b : ProcedureButtons())
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(SpecialWin()->mainMenuButton->isEnabled());
        // The resistance read-out leaves the break-down group alone until it ends.
        QVERIFY(SpecialWin()->timersGroup->isVisible());
        checkedWait = true;
    }, [] { PressSave(QStringLiteral("0"), QStringLiteral("3")); });
    // Each "Value out of range " box lets the next attempt follow.
    QList<std::pair<QString, QString>> attempts = {{"4", "4"}, {"3", "2"}, {"", "3"}, {"1", "4"}, {"3", "3"}};
    f.t.dialogs.onShow = [&](const ShownBox& box) {
        if (box.text == QStringLiteral("Value out of range ") && !attempts.isEmpty()) {
            const auto next = attempts.takeFirst();
            Later([next] { PressSave(next.first, next.second); });
        }
    };
    f.t.dialogs.inputs = {QStringLiteral("Test bench 4")};
    const QString file = f.File(QStringLiteral("ohm.csv"));
    f.t.dialogs.saves = {file};

    SpecialWin()->readOhmMemoryButton->click();
    QVERIFY(checkedWait);
    QVERIFY(attempts.isEmpty());
    const QString title = QCoreApplication::applicationName() + QStringLiteral("|Value out of range ");
    QCOMPARE(Messages(f.t), (L{title, title, title, title, title, "Finished|Save successfully!"}));
    QCOMPARE(Read(file), kOhmHeader + kWho + "3;3.3.2011;09:05;45;22.5;500;120;9.99E+12;Lapse;Test bench 4\r\n");
    QCOMPARE(f.t.Take(), (L{OhmIn(r1), OhmIn(r2), OhmIn(r3), kOhmEnd}));

    // The comment and file dialogs as they were shown.
    const ShownBox& input = f.t.dialogs.shown[5];
    QCOMPARE(input.kind, ShownBox::Input);
    QCOMPARE(input.title, QStringLiteral("Input dialog"));
    QCOMPARE(input.text, QStringLiteral("Input comment to the measurement"));
    const ShownBox& save = f.t.dialogs.shown[6];
    QCOMPARE(save.kind, ShownBox::Save);
    QCOMPARE(save.save.defaultSuffix, QStringLiteral("CSV"));
    QCOMPARE(save.save.filter,
             QStringLiteral("Comma-Separated Values (*.CSV);;Text files (*.txt);;All files (*.*)"));

    QVERIFY(SpecialWin()->rangeGroup->isHidden());
    QVERIFY(SpecialWin()->timersGroup->isHidden());
    for (QPushButton* b : ProcedureButtons())
        QVERIFY(b->isEnabled());
}

void MemoryWindowsTest::breakDownListingAndMissingNumbers()
{
    const auto b1 = BdRaw(1, 1500000, 999, 2000, 1);
    const auto b3 = BdRaw(3, 3000000000u, 1000, 1999, 3);
    Fixture f({}, {b1, b3});
    SpecialWin()->timersGroup->show();
    Later([&] {
        const L lines = SpecialWin()->recordDisplay->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2 * 10 + 1);
        QCOMPARE(lines.mid(0, 10),
                 (L{kHyphens, "File number            : 1", "Date / Time            : 1.3.2011 / 09:05",
                    "Humidity / Temperature : 45% / 22.5 \u00b0C", "Break down voltage     : 1000 V",
                    "Resistor value before  : 1500 MOhm", "Resistor value after   : 0 MOhm",
                    "Cycle time             : 14 Sek", "Resistor off           : 2 MOhm",
                    "Timer off              : 6 Sek"}));
        QCOMPARE(SpecialWin()->rangeToField->text().trimmed(), QStringLiteral("3"));
        // The break-down read-out hides the timers group before it starts.
        QVERIFY(SpecialWin()->timersGroup->isHidden());
    }, [] { PressSave(QStringLiteral("1"), QStringLiteral("3")); });
    f.t.dialogs.inputs = {QString()};
    const QString file = f.File(QStringLiteral("bd.csv"));
    f.t.dialogs.saves = {file};
    SpecialWin()->readBreakDownMemoryButton->click();

    QCOMPARE(Messages(f.t), L{"Finished|Save successfully!"});
    QCOMPARE(Read(file), kBdHeader + kWho + "1;1.3.2011;09:05;45;22.5;1000;1500;0;14;2;6;\r\n" + kWho +
                             "2;0;0;0;0;0;0;0;0;0;0;\r\n" + kWho +
                             "3;3.3.2011;09:05;45;22.5;1000;3000000;1;14;1;6;\r\n");
    QCOMPARE(f.t.Take(), (L{BdIn(b1), BdIn(b3), kBdEnd}));

    // The export takes its bounds from the fields, not from the range checked at "Save": raised
    // after that check, the upper one takes the export further, through slots no record filled.
    f.t.dialogs.inputs = {QStringLiteral("again")};
    f.t.dialogs.saves = {file};
    f.t.dialogs.onShow = [](const ShownBox& box) {
        if (box.kind == ShownBox::Save)
            SpecialWin()->rangeToField->setText(QStringLiteral("5"));
    };
    Later([] { PressSave(QStringLiteral("3"), QStringLiteral("3")); });
    SpecialWin()->readBreakDownMemoryButton->click();
    QVERIFY(Read(file).endsWith(kWho + "3;3.3.2011;09:05;45;22.5;1000;3000000;1;14;1;6;again\r\n" + kWho +
                                "4;0;0;0;0;0;0;0;0;0;0;again\r\n" + kWho + "5;0;0;0;0;0;0;0;0;0;0;again\r\n"));
    QCOMPARE(Read(file).count(kBdHeader), 1);
}

void MemoryWindowsTest::missingNumberAndTimerZeroInResistanceFile()
{
    Fixture f({OhmRaw(1, 0, 1), OhmRaw(3, 60, 0, "4.70", "10")});
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("3")); });
    f.t.dialogs.inputs = {QString()};
    const QString file = f.File(QStringLiteral("gap.csv"));
    f.t.dialogs.saves = {file};
    SpecialWin()->readOhmMemoryButton->click();
    // Timer 0: no method; file number 2 was not sent: empty texts and zeros; empty comment.
    QCOMPARE(Read(file), kOhmHeader + kWho + "1;7.3.2011;09:05;45;22.5;500;0;1.25E+09;;\r\n" + kWho +
                             "2;;;;;0;0;;;\r\n" + kWho + "3;7.3.2011;09:05;45;22.5;500;60;4.70E+10;Average;\r\n");
}

void MemoryWindowsTest::commaLocale()
{
    QLocale::setDefault(QLocale(QLocale::German));
    Fixture f({OhmRaw(1, 60, 0)});
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
    f.t.dialogs.inputs = {QStringLiteral("x")};
    const QString file = f.File(QStringLiteral("de.csv"));
    f.t.dialogs.saves = {file};
    SpecialWin()->readOhmMemoryButton->click();
    QVERIFY(SpecialWin()->recordDisplay->toPlainText().contains(
        QStringLiteral("Humidity / Temperature : 45% / 22,5 \u00b0C\nMeasuring voltage      : 500 V\n"
                       "Readings               : 1,25E09 Ohm")));
    QCOMPARE(Read(file), kOhmHeader + kWho + "1;7.3.2011;09:05;45;22,5;500;60;1,25E+09;Average;x\r\n");
}

void MemoryWindowsTest::twoExportsOneFileAndDataFolder()
{
    QTemporaryDir base;
    const QString lower = base.filePath(QStringLiteral("data")) + QLatin1Char('/');
    const QString upper = base.filePath(QStringLiteral("Data")) + QLatin1Char('/');
    QVERIFY(QDir().mkpath(lower) && QDir().mkpath(upper));
    const QByteArray settings = "[KRX 738]\r\nDataDirectory=" + lower.toUtf8() + "\r\n";
    Fixture f({OhmRaw(1, 60, 0), OhmRaw(2, 60, 1)}, {}, settings);
    QCOMPARE(TheSession().DataDirectory, lower);
    // The file changes under the program; only the copy read at start counts.
    const QByteArray edited = "[KRX 738]\r\nDataDirectory=elsewhere\r\n";
    {
        QFile s(f.w.SettingsPath());
        QVERIFY(s.open(QIODevice::WriteOnly | QIODevice::Truncate) && s.write(edited) == edited.size());
    }

    auto exportRange = [&](const QString& from, const QString& to, const QString& comment, const QString& file) {
        Later([=] { PressSave(from, to); });
        f.t.dialogs.inputs = {comment};
        f.t.dialogs.saves = {file};
        SpecialWin()->readOhmMemoryButton->click();
    };
    // Into the start-up folder: the settings file stays as it was.
    exportRange(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("first"), lower + QStringLiteral("m.csv"));
    exportRange(QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("second"), lower + QStringLiteral("m.csv"));
    QCOMPARE(Read(lower + QStringLiteral("m.csv")),
             kOhmHeader + kWho + "1;7.3.2011;09:05;45;22.5;500;60;1.25E+09;Average;first\r\n" + kWho +
                 "2;7.3.2011;09:05;45;22.5;500;60;1.25E+09;Lapse;second\r\n");
    QCOMPARE(Read(f.w.SettingsPath()), edited);

    // A folder that differs only in letter case is another folder: written, and the next dialog
    // opens there; a save into the folder in use then leaves the settings file alone.
    exportRange(QStringLiteral("1"), QStringLiteral("2"), QString(), upper + QStringLiteral("n.csv"));
    QVERIFY(Read(f.w.SettingsPath()).contains("DataDirectory=" + upper.toUtf8()));
    QCOMPARE(TheSession().DataDirectory, upper);
    QCOMPARE(f.t.dialogs.shown.back().kind, ShownBox::Message);
    QVERIFY(QFile(f.w.SettingsPath()).resize(0));
    exportRange(QStringLiteral("1"), QStringLiteral("1"), QString(), upper + QStringLiteral("n.csv"));
    QCOMPARE(Read(f.w.SettingsPath()), QByteArray());
    exportRange(QStringLiteral("1"), QStringLiteral("1"), QString(), lower + QStringLiteral("o.csv"));
    QVERIFY(Read(f.w.SettingsPath()).contains("DataDirectory=" + lower.toUtf8()));
    QCOMPARE(Read(upper + QStringLiteral("n.csv")).count("\r\n"), 4);
    QCOMPARE(Messages(f.t).count(QStringLiteral("Finished|Save successfully!")), 5);
}

void MemoryWindowsTest::dialogsCancelled()
{
    Fixture f({OhmRaw(1, 60, 0)}, {BdRaw(1, 5000, 0, 0)});
    const QString file = f.File(QStringLiteral("never.csv"));
    for (auto readOut : {&SpecialFunctionsWindow::ReadOutOhmMemory, &SpecialFunctionsWindow::ReadOutBreakDownMemory}) {
        Later([] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
        f.t.dialogs.inputs = {std::nullopt};
        QCOMPARE((SpecialWin()->*readOut)(), -2);
        Later([] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
        f.t.dialogs.inputs = {QStringLiteral("c")};
        f.t.dialogs.saves = {std::nullopt};
        QCOMPARE((SpecialWin()->*readOut)(), -4);
        QVERIFY(SpecialWin()->rangeGroup->isHidden());
    }
    // The click handlers show nothing for either.
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
    SpecialWin()->readOhmMemoryButton->click();
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
    f.t.dialogs.inputs = {QStringLiteral("c")};
    SpecialWin()->readBreakDownMemoryButton->click();
    QVERIFY(Messages(f.t).isEmpty());
    QVERIFY(!QFile::exists(file));
    QVERIFY(!QFile::exists(f.w.SettingsPath()));
    QCOMPARE(f.t.dialogs.shown.size(), 9u);  // per read-out: input, or input and save
}

void MemoryWindowsTest::resistancesInWholeMegaohm()
{
    Fixture f({}, {BdRaw(1, 999, 1000, 1999), BdRaw(2, 3000000000u, 0xFFFFFFFFu, 2000)});
    Later([] { PressSave(QStringLiteral("1"), QStringLiteral("2")); });
    f.t.dialogs.inputs = {QString()};
    const QString file = f.File(QStringLiteral("mohm.csv"));
    f.t.dialogs.saves = {file};
    SpecialWin()->readBreakDownMemoryButton->click();
    const QString shown = SpecialWin()->recordDisplay->toPlainText();
    QVERIFY(shown.contains(QStringLiteral("Resistor value before  : 0 MOhm\nResistor value after   : 1 MOhm")));
    QVERIFY(shown.contains(QStringLiteral("Resistor off           : 1 MOhm")));
    QVERIFY(shown.contains(QStringLiteral("Resistor value before  : 3000000 MOhm\n"
                                          "Resistor value after   : 4294967 MOhm")));
    QCOMPARE(Read(file), kBdHeader + kWho + "1;8.3.2011;09:05;45;22.5;1000;0;1;14;1;6;\r\n" + kWho +
                             "2;8.3.2011;09:05;45;22.5;1000;3000000;4294967;14;2;6;\r\n");
}

void MemoryWindowsTest::recordNumberAboveTheTable()
{
    const auto r1 = OhmRaw(1, 60, 0), r150 = OhmRaw(150, 60, 0), r2 = OhmRaw(2, 60, 1);
    Fixture f({r1, r150, r2}, {BdRaw(200, 5000, 0, 0)});
    Later([] { QCOMPARE(SpecialWin()->rangeToField->text().trimmed(), QStringLiteral("2")); },
          [] { PressSave(QStringLiteral("1"), QStringLiteral("2")); });
    f.t.dialogs.inputs = {QString()};
    const QString file = f.File(QStringLiteral("150.csv"));
    f.t.dialogs.saves = {file};
    SpecialWin()->readOhmMemoryButton->click();
    const L lines = SpecialWin()->recordDisplay->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3 * 8 + 1 + 1);
    QCOMPARE(lines[9], QStringLiteral("File number            : 150"));
    QCOMPARE(lines[16], QStringLiteral("File number 150 cannot be saved (only 1 to 99) !"));
    QCOMPARE(lines[17], kHyphens);
    QCOMPARE(Read(file), kOhmHeader + kWho + "1;7.3.2011;09:05;45;22.5;500;60;1.25E+09;Average;\r\n" + kWho +
                             "2;7.3.2011;09:05;45;22.5;500;60;1.25E+09;Lapse;\r\n");
    QCOMPARE(f.t.Take(), (L{OhmIn(r1), OhmIn(r150), OhmIn(r2), kOhmEnd}));

    // Nothing the table can hold: listed, then nothing to save.
    SpecialWin()->readBreakDownMemoryButton->click();
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText().split(QLatin1Char('\n')).size(), 10 + 1 + 1);
    QVERIFY(SpecialWin()->recordDisplay->toPlainText().endsWith(
        QStringLiteral("File number 200 cannot be saved (only 1 to 99) !\n") + kHyphens));
    QVERIFY(SpecialWin()->rangeGroup->isHidden());
    QCOMPARE(Messages(f.t), (L{"Finished|Save successfully!", "Result|No records saved !"}));
}

void MemoryWindowsTest::memoryWithoutEndMark()
{
    // A meter that never sends record number 0 (here: 300 records) must not keep the read-out
    // going for ever: it stops after 256 requests and the records read so far can still be saved.
    std::vector<sim::OhmRecordSpec> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(OhmRaw(1 + i % 99, 60, 0));
    Fixture f(many);
    Later([] { QCOMPARE(SpecialWin()->rangeToField->text().trimmed(), QStringLiteral("99")); },
          [] { PressSave(QStringLiteral("1"), QStringLiteral("1")); });
    f.t.dialogs.inputs = {std::nullopt};
    SpecialWin()->readOhmMemoryButton->click();
    QCOMPARE(f.t.Take().size(), 256);
    QVERIFY(SpecialWin()->recordDisplay->toPlainText().endsWith(
        QStringLiteral("The KRX 738 did not mark the end of its memory; the read-out stops here.")));
    QVERIFY(SpecialWin()->readOhmMemoryButton->isEnabled());
}

void MemoryWindowsTest::leavingTheWindowEndsTheWait()
{
    const auto r1 = OhmRaw(1, 60, 0);
    Fixture f({r1}, {BdRaw(1, 5000, 0, 0)});
    Later([] { SpecialWin()->mainMenuButton->click(); });
    SpecialWin()->readOhmMemoryButton->click();
    QVERIFY(SpecialWin()->isHidden() && MainWin()->isVisible());
    QVERIFY(SpecialWin()->rangeGroup->isHidden());
    QVERIFY(f.t.dialogs.shown.empty());
    QCOMPARE(f.t.Take(), (L{OhmIn(r1), kOhmEnd, "20 OUT 54 [03] =1"}));
    for (QPushButton* b : ProcedureButtons())
        QVERIFY(b->isEnabled());

    // Through the close box, while the break-down read-out waits after a rejected range.
    MainWin()->specialFunctionsButton->click();
    f.t.Take();
    Later([] { PressSave(QStringLiteral("5"), QStringLiteral("5")); });
    f.t.dialogs.onShow = [](const ShownBox&) { Later([] { SpecialWin()->close(); }); };
    SpecialWin()->readBreakDownMemoryButton->click();
    QVERIFY(SpecialWin()->isHidden());
    QCOMPARE(f.t.dialogs.shown.size(), 1u);  // the range message only
    QCOMPARE(f.t.Take().last(), QStringLiteral("20 OUT 54 [03] =1"));

    // Back again, the memory reads from its first record.
    f.t.dialogs.onShow = nullptr;
    MainWin()->specialFunctionsButton->click();
    f.t.Take();
    Later([] { SpecialWin()->mainMenuButton->click(); });
    SpecialWin()->readOhmMemoryButton->click();
    QCOMPARE(f.t.Take(), (L{OhmIn(r1), kOhmEnd, "20 OUT 54 [03] =1"}));
}

void MemoryWindowsTest::displayFillsRecordByRecord()
{
    const std::vector<sim::OhmRecordSpec> ohm = {OhmRaw(1, 60, 0), OhmRaw(2, 60, 0), OhmRaw(3, 60, 0)};
    const std::vector<sim::BreakDownRecordSpec> bd = {BdRaw(1, 1, 1, 1), BdRaw(2, 1, 1, 1)};
    Fixture f(ohm, bd);
    // The listing's length at each paint.
    QList<int> counts;
    SpecialWin()->listingPainted = [&] { counts << SpecialWin()->recordDisplay->blockCount(); };
    auto readOut = [&](QPushButton* button) {
        counts.clear();
        Later([] { SpecialWin()->mainMenuButton->click(); });
        button->click();
        MainWin()->specialFunctionsButton->click();
        return counts;
    };

    // A meter that answers at once: painted for the first record and when the listing is complete.
    QCOMPARE(readOut(SpecialWin()->readOhmMemoryButton), (QList<int>{8, 25}));

    // A meter that takes 30 ms per record: every record is painted as it comes.
    auto paced = std::make_unique<test::PacedMeter>(Fixture::Scenario(ohm, bd), f.t.clock, 30.0);
    QCOMPARE(paced->OpenDevice(), 1);
    f.t.sim = &paced->sim();
    SetUsbBackend(std::move(paced));
    QCOMPARE(readOut(SpecialWin()->readOhmMemoryButton), (QList<int>{8, 16, 24, 25}));
    QCOMPARE(readOut(SpecialWin()->readBreakDownMemoryButton), (QList<int>{10, 20, 21}));
    SpecialWin()->listingPainted = nullptr;
}

void MemoryWindowsTest::failedWrites()
{
    // File number 1 is not in the resistance memory: its line is short, the next one long.
    Fixture f({OhmRaw(2, 60, 0)}, {BdRaw(1, 5000, 0, 0), BdRaw(2, 6000, 0, 0)});
    auto run = [&](QPushButton* button, const QString& file) {
        Later([] { PressSave(QStringLiteral("1"), QStringLiteral("2")); });
        f.t.dialogs.inputs = {QStringLiteral("c")};
        f.t.dialogs.saves = {file};
        button->click();
    };

    // A folder that does not exist: the file cannot be created.
    const QString nowhere = f.File(QStringLiteral("missing/x.csv"));
    run(SpecialWin()->readOhmMemoryButton, nowhere);
    QCOMPARE(Messages(f.t), L{"Error|Can't create file : " + nowhere + "\nNo such file or directory"});
    QVERIFY(!QFile::exists(nowhere));

    // A full disk while the header is written: no file is left, no success is claimed.
    f.t.dialogs.shown.clear();
    const QString fresh = f.File(QStringLiteral("fresh.csv"));
    SetWriteLimitForTesting(20);
    run(SpecialWin()->readBreakDownMemoryButton, fresh);
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(f.t.dialogs.shown.back().kind, ShownBox::Error);
    QVERIFY(f.t.dialogs.shown.back().text.contains(QStringLiteral("0 line(s)")));
    QVERIFY(!Messages(f.t).contains(QStringLiteral("Finished|Save successfully!")));

    // Room for the short line only: it stays whole, the long one is not left half there.
    f.t.dialogs.shown.clear();
    SetWriteLimitForTesting(-1);
    const QString half = f.File(QStringLiteral("half.csv"));
    QVERIFY(AppendCsvLine(half, QString::fromLatin1(kOhmHeader.chopped(2)), QStringLiteral("old")).status ==
            AppendResult::Ok);
    f.t.dialogs.onShow = [](const ShownBox& box) {
        if (box.kind == ShownBox::Save)
            SetWriteLimitForTesting(50);
    };
    run(SpecialWin()->readOhmMemoryButton, half);
    QCOMPARE(Read(half), kOhmHeader + "old\r\n" + kWho + "1;;;;;0;0;;;c\r\n");
    QCOMPARE(f.t.dialogs.shown.back().kind, ShownBox::Error);
    QVERIFY(f.t.dialogs.shown.back().text.contains(QStringLiteral("1 line(s)")));
    QVERIFY(!Messages(f.t).contains(QStringLiteral("Finished|Save successfully!")));
    QVERIFY(SpecialWin()->rangeGroup->isHidden());
}

void MemoryWindowsTest::deletion()
{
    const auto r1 = OhmRaw(1, 60, 0);
    Fixture f({r1}, {BdRaw(1, 5000, 0, 0)});
    SpecialWin()->recordDisplay->setPlainText(QStringLiteral("earlier"));

    f.t.dialogs.answers = {Answer::Cancel, Answer::Cancel};
    SpecialWin()->eraseOhmMemoryButton->click();
    SpecialWin()->eraseBreakDownMemoryButton->click();
    QVERIFY(f.t.Take().isEmpty());
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), QStringLiteral("earlier"));
    QCOMPARE(f.t.dialogs.shown[0].text,
             QStringLiteral("Complete measured value memory will be deleted! Are you sure?"));
    QCOMPARE(f.t.dialogs.shown[0].title, QStringLiteral("Query"));
    // Return answers Cancel: the memory is not one key away from being erased.
    QCOMPARE(f.t.dialogs.shown[0].buttons, Buttons::OkCancelDefaultCancel);
    QCOMPARE(f.t.dialogs.shown[1].text,
             QStringLiteral("Complete break down value memory will be deleted! Are you sure?"));
    QCOMPARE(f.t.dialogs.shown[1].buttons, Buttons::OkCancelDefaultCancel);

    // Cancelled: the memory is still there.
    Later([] { SpecialWin()->mainMenuButton->click(); });
    SpecialWin()->readOhmMemoryButton->click();
    QCOMPARE(f.t.Take(), (L{OhmIn(r1), kOhmEnd, "20 OUT 54 [03] =1"}));
    MainWin()->specialFunctionsButton->click();
    f.t.Take();

    f.t.dialogs.answers = {Answer::Ok, Answer::Ok};
    SpecialWin()->recordDisplay->setPlainText(QStringLiteral("earlier"));
    SpecialWin()->eraseOhmMemoryButton->click();
    SpecialWin()->eraseBreakDownMemoryButton->click();
    QCOMPARE(f.t.Take(), (L{"0 OUT 35 [FF] =1", "0 OUT 36 [FF] =1"}));
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(),
             QStringLiteral("earlier\nOHM memory was deleted !\n") + kHyphens +
                 QStringLiteral("\nBDV memory was deleted !\n") + kHyphens);

    f.t.dialogs.shown.clear();
    SpecialWin()->readOhmMemoryButton->click();
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), kHyphens + QStringLiteral("\nNo records!"));
    SpecialWin()->readBreakDownMemoryButton->click();
    QCOMPARE(SpecialWin()->recordDisplay->toPlainText(), kHyphens + QStringLiteral("\nNo records!"));
    QCOMPARE(f.t.Take(), (L{kOhmEnd, kBdEnd}));
    QCOMPARE(Messages(f.t), (L{"Result|No records saved !", "Result|No records saved !"}));
}

QTEST_MAIN(MemoryWindowsTest)
#include "test_memory_windows.moc"
