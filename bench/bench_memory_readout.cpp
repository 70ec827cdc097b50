// SPDX-License-Identifier: GPL-3.0-or-later
// How long a read-out of a full memory (99 records) takes beyond its transfers: the listing growing
// in the display and being painted, the record table, the range group. Runs the real window
// against the simulated meter on the virtual clock; the meter's transfer time passes there, and
// the model's own computing time is measured alone and taken off.
//
//   bench_memory_readout [runs]      (QT_QPA_PLATFORM=offscreen when no display is set)
#include "app_windows.h"
#include "paced_meter.h"
#include "sim_fixture.h"

#include "ui/main_window.h"
#include "device/commands.h"
#include "ui/special_functions/special_functions_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using krx::test::MainWin;
using krx::test::SpecialWin;
using namespace krx;

namespace {

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

sim::BreakDownRecordSpec BdRaw(int no)
{
    sim::BreakDownRecordSpec r;
    const unsigned char head[12] = {static_cast<unsigned char>(no), 8, 3, 11, 9, 5, '4', '5', '2', '2', '.', '5'};
    std::memcpy(r.bytes.data(), head, 12);
    r.bytes[12] = 0x03;  // 1000 V
    r.bytes[13] = 0xE8;
    r.bytes[16] = 0x27;  // 2.5 GOhm before
    r.bytes[23] = 14;
    return r;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    double total = 0.0;      // ms, whole read-out up to the range and the cancelled comment
    double transfers = 0.0;  // ms, the same 100 record reads alone
};

// The read-out runs until the range "Save" (pressed at once) and the comment dialog (cancelled).
template <class ReadOut, class ReadAll>
Figures Measure(int runs, ReadOut readOut, ReadAll readAll)
{
    std::vector<double> totals, bare;
    for (int i = 0; i < runs; ++i) {
        TheTransferLog().Clear();
        QTimer::singleShot(0, [] { SpecialWin()->rangeSaveButton->click(); });
        QElapsedTimer timer;
        timer.start();
        const int result = readOut();
        totals.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (result != SpecialFunctionsWindow::ReadOutCommentCancelled || TheTransferLog().Records().size() != 100)
            std::fprintf(stderr, "unexpected read-out: result %d, %zu transfers\n", result,
                         TheTransferLog().Records().size());

        TheTransferLog().Clear();
        timer.restart();
        readAll();
        bare.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return {Median(totals), Median(bare)};
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    sim::Scenario s = sim::Scenario::Default();
    s.ohmMemory.clear();
    s.breakDownMemory.clear();
    for (int no = 1; no <= 99; ++no) {
        s.ohmMemory.push_back(OhmRaw(no));
        s.breakDownMemory.push_back(BdRaw(no));
    }
    test::SimSetup t(s);
    t.dialogs.echo = false;
    test::AppWindows windows;
    MainWin()->show();
    MainWin()->initButton->click();
    MainWin()->specialFunctionsButton->click();
    QCoreApplication::processEvents();

    std::printf("Memory read-out of 99 records, median of %d runs, milliseconds of real time\n", runs);
    std::printf("(the meter's own transfer time passes on the virtual clock and is not counted):\n");
    std::printf("  %-10s %-18s %8s %10s %8s\n", "meter", "memory", "total", "transfers", "beyond");
    MeterCommands usb;
    // Instant, about as fast as a real meter, and slower than the listing's paint interval.
    for (const double ms : {0.0, 2.0, 30.0}) {
        auto paced = std::make_unique<test::PacedMeter>(s, t.clock, ms);
        paced->OpenDevice();
        t.sim = &paced->sim();
        SetUsbBackend(std::move(paced));

        const Figures ohm = Measure(
            runs, [] { return SpecialWin()->ReadOutOhmMemory(); },
            [&usb] {
                // Up to the end marker, record 0, or a failed read: where the window's read-out stops.
                Result<OhmRecord> r = usb.ReadOhmRecord();
                while (r && r->head.recordNo > 0)
                    r = usb.ReadOhmRecord();
            });
        const Figures bd = Measure(
            runs, [] { return SpecialWin()->ReadOutBreakDownMemory(); },
            [&usb] {
                Result<BreakDownRecord> r = usb.ReadBreakDownRecord();
                while (r && r->head.recordNo > 0)
                    r = usb.ReadBreakDownRecord();
            });
        const QByteArray meter = QByteArray::number(ms) + " ms/rec";
        std::printf("  %-10s %-18s %8.1f %10.1f %8.1f\n", meter.constData(), "resistance", ohm.total, ohm.transfers,
                    ohm.total - ohm.transfers);
        std::printf("  %-10s %-18s %8.1f %10.1f %8.1f\n", meter.constData(), "break-down", bd.total, bd.transfers,
                    bd.total - bd.transfers);
    }
    return 0;
}
