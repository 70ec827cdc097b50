// SPDX-License-Identifier: GPL-3.0-or-later
// Soak: a day of free-running readings at 1 s (86 400) and 1 000 memory read-outs with their
// export, on the virtual clock against the simulated meter, with the process' resident memory
// (VmRSS) before and after. The windows, the dialogs (scripted) and the files are the real ones.
//
// The transfer log keeps no records here, as in the program itself (which only writes them to a
// --trace file); how much the log would hold at its cap is measured apart at the end.
//
//   bench_soak [readings] [read-outs]      (QT_QPA_PLATFORM=offscreen when no display is set)
#include "app_windows.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "device/transfer_log.h"
#include "ui/measurement/measurement_window.h"
#include "ui/special_functions/special_functions_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

using krx::test::MainWin;
using krx::test::MeasWin;
using krx::test::SpecialWin;
using namespace krx;

namespace {

// Resident memory of this process in kB.
long RssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

sim::OhmRecordSpec OhmRaw(int no)
{
    sim::OhmRecordSpec r;
    const unsigned char head[12] = {static_cast<unsigned char>(no), 7, 3, 11, 9, 5, '4', '5', '2', '2', '.', '5'};
    std::memcpy(r.bytes.data(), head, 12);
    r.bytes[12] = 0x01;  // 500 V
    r.bytes[13] = 0xF4;
    r.bytes[15] = 60;
    std::memcpy(r.bytes.data() + 16, "1.25", 4);
    std::memcpy(r.bytes.data() + 20, "09", 2);
    return r;
}

sim::Scenario Scenario()
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = 2.0e8;
    s.rInf = 4.0e10;
    s.stabiliseSeconds = 0.6;
    s.ohmMemory.clear();
    for (int no = 1; no <= 20; ++no)
        s.ohmMemory.push_back(OhmRaw(no));
    return s;
}

// Calls `act` at the cycle's yield points until it returns true.
class AtYield {
public:
    explicit AtYield(std::function<bool()> act)
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this, act = std::move(act)] {
            if (act())
                timer_.stop();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

// A free-running cycle of `readings` readings, ended by Break.
void Readings(int readings)
{
    MeasWin()->passCounter->setText(QStringLiteral("0"));  // the counter of the last cycle
    AtYield breakAfter([readings] {
        if (MeasWin()->passCounter->text().toInt() < readings)
            return false;
        MeasWin()->breakButton->click();
        return true;
    });
    MeasWin()->startButton->click();
}

// Read-outs of the resistance memory, each with its whole range appended to the file.
void ReadOuts(test::SimSetup& t, int count, const QString& file)
{
    AtYield save([] {
        if (!SpecialWin()->rangeGroup->isHidden() && !SpecialWin()->RangeSaveRequested)
            SpecialWin()->rangeSaveButton->click();
        return false;
    });
    for (int i = 0; i < count; ++i) {
        t.dialogs.inputs = {QStringLiteral("soak")};
        t.dialogs.saves = {file};
        t.dialogs.shown.clear();
        SpecialWin()->readOhmMemoryButton->click();
        if (t.dialogs.Messages() != QStringList{QStringLiteral("Finished|Save successfully!")}) {
            std::fprintf(stderr, "read-out %d: %s\n", i + 1, qPrintable(t.dialogs.Messages().join(", ")));
            std::exit(1);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::atoi(argv[1]) : 86400;
    const int readOuts = argc > 2 ? std::atoi(argv[2]) : 1000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("soak.csv"));

    test::SimSetup t(Scenario());
    t.dialogs.echo = false;
    test::AppWindows windows({QStringLiteral("krx738")}, QByteArray("[KRX 738]\nSamplingTime=1000\n"));
    TheTransferLog().KeepRecords(false);
    MainWin()->show();
    MainWin()->initButton->click();

    // Warm-up: every code path once, so that what the toolkit allocates once is in the first figure.
    MainWin()->measuringButton->click();
    Readings(100);
    MeasWin()->backButton->click();
    MainWin()->specialFunctionsButton->click();
    ReadOuts(t, 10, file);
    SpecialWin()->mainMenuButton->click();
    MainWin()->measuringButton->click();
    const long before = RssKb();

    QElapsedTimer wall;
    wall.start();
    const double clockStart = t.clock.Seconds();
    Readings(readings);
    const double hours = (t.clock.Seconds() - clockStart) / 3600.0;
    const double readingSeconds = double(wall.elapsed()) / 1000.0;
    const long afterReadings = RssKb();
    const QString last = MeasWin()->resistanceLabel->text();
    MeasWin()->backButton->click();

    MainWin()->specialFunctionsButton->click();
    wall.restart();
    ReadOuts(t, readOuts, file);
    const double readOutSeconds = double(wall.elapsed()) / 1000.0;
    const long afterReadOuts = RssKb();
    SpecialWin()->mainMenuButton->click();

    std::printf("readings                %d (%.2f h of meter time, %.1f s wall), last value %s\n", readings, hours,
                readingSeconds, qPrintable(last));
    std::printf("memory read-outs        %d of 20 records each, exported (%.1f s wall)\n", readOuts, readOutSeconds);
    std::printf("resident memory         %ld kB before, %ld kB after the readings, %ld kB after the read-outs\n",
                before, afterReadings, afterReadOuts);
    std::printf("growth                  %+ld kB (goal: under 1024 kB)\n", afterReadOuts - before);

    // The transfer log at its cap, for the figure: records kept as the tests keep them.
    TheTransferLog().KeepRecords(true);
    MainWin()->measuringButton->click();
    const long logBefore = RssKb();
    const int perReading = 7;  // open, status, value, open, status, climate, voltage
    Readings(int(TransferLog::MaxRecords) / perReading + 1000);
    const long logAfter = RssKb();
    std::printf("transfer log at its cap %zu records kept, %+ld kB (not kept by the program)\n",
                TheTransferLog().Records().size(), logAfter - logBefore);
    MeasWin()->backButton->click();
    return afterReadOuts - before < 1024 ? 0 : 1;
}
