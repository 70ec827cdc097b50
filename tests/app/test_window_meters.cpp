// SPDX-License-Identifier: GPL-3.0-or-later
// The window program with three meters attached: Init asks which one, keeps the choice in the
// settings file, every window names the chosen meter in its title, and only that meter is used.
// Which meter Init takes in each case is tested once, on the core (test_meter_choice).
#include "window_test_names.h"

#include "device/meter_choice.h"
#include "device/protocol.h"
#include "ui/main_window.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

constexpr const char* kThree = R"({
  "stabiliseSeconds": 0.1,
  "meters": [
    {"serialNo": "73800017", "swVersion": "1.07"},
    {"serialNo": "73800099", "swVersion": "1.09"},
    {"serialNo": "73800123", "swVersion": "2.01"}
  ]
})";

}  // namespace

class WindowMetersTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetChosenMeter(); }
    void cleanup() { ForgetChosenMeter(); }
    void initChoosesAmongThreeAndKeepsTheChoice();
};

void WindowMetersTest::initChoosesAmongThreeAndKeepsTheChoice()
{
    SimSetup t(sim::Scenario::FromJson(kThree));
    AppWindows w;
    const QString mainCaption = MainWin()->windowTitle();
    t.dialogs.choices = {2};
    MainWin()->initButton->click();

    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    const ShownBox& box = t.dialogs.shown.front();
    QCOMPARE(box.kind, ShownBox::Choice);
    QCOMPARE(box.items, (L{"73800017   software 1.07   bus 001 address 001",
                           "73800099   software 1.09   bus 001 address 002",
                           "73800123   software 2.01   bus 001 address 003"}));
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800123"));
    QCOMPARE(MainWin()->windowTitle(), mainCaption + QStringLiteral(" – 73800123"));
    QFile settings(w.SettingsPath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY2(settings.readAll().contains("MeterSerial=73800123"), qPrintable(w.SettingsPath()));
    // Init told the chosen meter that the main window is active; the two others heard nothing.
    QCOMPARE(t.sim->meter(0).RemoteMode(), 0);
    QCOMPARE(t.sim->meter(1).RemoteMode(), 0);
    QCOMPARE(t.sim->meter(2).RemoteMode(), int(protocol::kModeMain));

    MainWin()->hide();
    MeasWin()->Enter(false);
    QCOMPARE(MeasWin()->windowTitle(), QStringLiteral("Measuring KRX 738 – simulated meter – 73800123"));
    MeasWin()->hide();
    SpecialWin()->Enter();
    QCOMPARE(SpecialWin()->windowTitle(), QStringLiteral("Special function – 73800123"));
    SpecialWin()->hide();

    // Init once more keeps the meter without asking again.
    MainWin()->show();
    MainWin()->initButton->setVisible(true);
    MainWin()->initButton->click();
    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800123"));
}

QTEST_MAIN(WindowMetersTest)
#include "test_window_meters.moc"
