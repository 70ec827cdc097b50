// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as the program runs them: procedures on the device thread, the real clock, the
// simulated meter. The window stays free during a cycle and a read-out, requests reach the
// procedure, and device actions of the window never cut into the procedure's commands.
#include "app_windows.h"
#include "scripted_dialogs.h"

#include "ui/main_window.h"
#include "ui/controls.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "ui/measurement/measurement_window.h"
#include "ui/special_functions/special_functions_window.h"
#include "sim/sim_backend.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using krx::test::MainWin;
using krx::test::MeasWin;
using krx::test::SpecialWin;
using namespace krx;

namespace {
sim::Scenario Quick()
{
    sim::Scenario s = sim::Scenario::Default();
    s.r0 = s.rInf = 1.23e6;
    s.stabiliseSeconds = 0.3;
    return s;
}

QStringList Lines()
{
    QStringList out;
    for (const auto& r : TheTransferLog().Records())
        out << r.Describe();
    return out;
}
}  // namespace

class DeviceThreadTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        SetUsbBackend(std::make_unique<sim::SimBackend>(Quick()));
        TheTransferLog().Clear();
        windows_ = std::make_unique<test::AppWindows>(QStringList{QStringLiteral("krx738")},
                                                      QByteArray("[KRX 738]\nSamplingTime=50\n"),
                                                      ProcedureRunner::Mode::DeviceThread);
        MainWin()->show();
        MainWin()->initButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(MainWin()->measuringButton->isEnabled(), 5000);
    }
    void cleanup()
    {
        windows_.reset();
        SetUsbBackend(nullptr);
    }

    void cycleLeavesTheWindowFree()
    {
        MainWin()->measuringButton->click();
        MeasWin()->startButton->click();
        QVERIFY(!MeasWin()->startButton->isEnabled());
        // The click returned at once; the window's own timers run while the meter is read.
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(10);
        QTRY_COMPARE_WITH_TIMEOUT(MeasWin()->resistanceLabel->text(), QStringLiteral("1.23 MOhm"), 5000);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));

        // A setup change during the cycle goes out whole, between two of the cycle's commands.
        TheTransferLog().Clear();
        MeasWin()->voltageChoice->Button(3)->click();  // 1000 V
        QTRY_VERIFY_WITH_TIMEOUT(Lines().contains(QStringLiteral("OUT 37 [10] =1")), 5000);
        const QStringList lines = Lines();
        const qsizetype at = lines.indexOf(QStringLiteral("IN 53 [08 00] =2"));
        QVERIFY(at > 0);
        QCOMPARE(lines.mid(at - 1, 5), (QStringList{"open =1", "IN 53 [08 00] =2", "OUT 53 [10 00] =2",
                                                    "OUT 53 [10 00] =2", "OUT 37 [10] =1"}));

        QElapsedTimer sinceBreak;
        sinceBreak.start();
        MeasWin()->breakButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(MeasWin()->startButton->isEnabled() && MeasWin()->backButton->isEnabled(), 5000);
        // Break acts within a slice of the interval wait, not after the whole interval.
        QVERIFY2(sinceBreak.elapsed() < 1000, qPrintable(QString::number(sinceBreak.elapsed())));
        QVERIFY(!MeasWin()->Running);
    }

    void readOutWaitsForTheRangeWithoutHoldingTheWindow()
    {
        QTemporaryDir dir;
        test::ScopedDialogs dialogs;
        dialogs.inputs = {QStringLiteral("thread")};
        dialogs.saves = {dir.filePath(QStringLiteral("ohm.csv"))};
        MainWin()->specialFunctionsButton->click();
        SpecialWin()->readOhmMemoryButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(!SpecialWin()->rangeGroup->isHidden(), 5000);
        QCOMPARE(SpecialWin()->rangeToField->text().trimmed(), QStringLiteral("3"));
        QVERIFY(!SpecialWin()->eraseOhmMemoryButton->isEnabled());  // no second procedure meanwhile
        SpecialWin()->rangeFromField->setText(QStringLiteral("2"));
        SpecialWin()->rangeSaveButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialogs.Messages().contains(QStringLiteral("Finished|Save successfully!")), 5000);
        QFile f(dir.filePath(QStringLiteral("ohm.csv")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("\r\n"), 3);  // header and records 2 and 3
        QVERIFY(SpecialWin()->eraseOhmMemoryButton->isEnabled());
    }

private:
    std::unique_ptr<test::AppWindows> windows_;
};

QTEST_MAIN(DeviceThreadTest)
#include "test_device_thread.moc"
