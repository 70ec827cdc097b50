// SPDX-License-Identifier: GPL-3.0-or-later
// Init against a meter that is plugged in but may not be opened: the box names the udev rule and
// the commands that apply it, and only a meter that is really missing gets the "switched on" box.
#include "app_windows.h"
#include "window_test_names.h"
#include "sim_fixture.h"

#include "ui/main_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>


namespace {

const QString kAccessTitle = QStringLiteral("!! No access to the device !!");
const QString kAbsentBox = QStringLiteral("!! No device found !!|Please check if the device is switched on!");

sim::Scenario AccessDenied()
{
    sim::Scenario s = sim::Scenario::Default();
    s.faults.push_back(Fault{Fault::AccessDenied});
    return s;
}

}  // namespace

class AccessMessageTest : public QObject {
    Q_OBJECT

private slots:
    void deniedMeterNamesTheRule();
    void grantedAfterTheRuleInitialises();
    void deniedOnReturnKeepsTheIdentity();
    void otherFailuresKeepTheSwitchedOnBox();
};

void AccessMessageTest::deniedMeterNamesTheRule()
{
    SimSetup t(AccessDenied());
    AppWindows w;
    MainWin()->show();
    MainWin()->initButton->click();

    // Both connects of Init fail at the open; nothing else reaches the meter.
    QCOMPARE(t.Take(), (L{"0 open =0", "0 open =0"}));
    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    const test::ShownBox& box = t.dialogs.shown.front();
    QCOMPARE(box.kind, test::ShownBox::Message);
    QCOMPARE(box.title, kAccessTitle);
    QCOMPARE(box.buttons, Buttons::Ok);
    QVERIFY2(box.text.startsWith(QStringLiteral("The KRX 738 is connected, but this user has no permission")),
             qPrintable(box.text));
    for (const char* part : {"60-krx738.rules", "/etc/udev/rules.d", "sudo udevadm control --reload",
                             "sudo udevadm trigger", "60-krx738-plugdev.rules", "plugdev"})
        QVERIFY2(box.text.contains(QLatin1String(part)), part);
    QVERIFY(!box.text.contains(QLatin1String("switched on")));

    // The window stays as it was before Init.
    QVERIFY(!MainWin()->initButton->isHidden());
    QVERIFY(MainWin()->deviceGroup->isHidden());
    QVERIFY(!MainWin()->measuringButton->isEnabled());
    QVERIFY(!MainWin()->timerMeasuringButton->isEnabled());
    QVERIFY(!MainWin()->specialFunctionsButton->isEnabled());
}

void AccessMessageTest::grantedAfterTheRuleInitialises()
{
    SimSetup t(AccessDenied());
    AppWindows w;
    MainWin()->initButton->click();
    QCOMPARE(t.dialogs.shown.size(), size_t(1));

    // The rule is in place now: the next press finds, opens and reads the meter without a box.
    t.meter().SetAccessDenied(false);
    t.Take();
    MainWin()->initButton->click();
    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    QCOMPARE(t.Take().mid(0, 3), (L{"0 open =1", "20 OUT 54 [03] =1",
                                    "20 IN 10 [37 33 38 30 30 30 34 32 31 2E 30 37 20 4B 52 58 20 37 33 38] =20"}));
    QVERIFY(MainWin()->measuringButton->isEnabled());
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800042"));
}

void AccessMessageTest::deniedOnReturnKeepsTheIdentity()
{
    SimSetup t;
    AppWindows w;
    MainWin()->initButton->click();
    QVERIFY(t.dialogs.shown.empty());

    // Access taken away while the program runs (the rule removed and reloaded): the next
    // InitDevice, as on the return from the measurement window, explains it and changes nothing.
    t.meter().SetAccessDenied(true);
    t.Take();
    MainWin()->InitDevice();
    QCOMPARE(t.Take(), L{"0 open =0"});
    QCOMPARE(t.dialogs.shown.size(), size_t(1));
    QCOMPARE(t.dialogs.shown.back().title, kAccessTitle);
    QVERIFY(!MainWin()->deviceGroup->isHidden());
    QVERIFY(MainWin()->measuringButton->isEnabled());
    QCOMPARE(MainWin()->serialLabel->text(), QStringLiteral("73800042"));
}

void AccessMessageTest::otherFailuresKeepTheSwitchedOnBox()
{
    {
        // Unplugged after a denied open: the meter is absent, whatever the last reason was.
        SimSetup t(AccessDenied());
        AppWindows w;
        MainWin()->initButton->click();
        t.meter().SetAccessDenied(false);
        t.meter().SetPresent(false);
        t.dialogs.shown.clear();
        MainWin()->initButton->click();
        QCOMPARE(t.dialogs.Messages(), L{kAbsentBox});
        QCOMPARE(t.dialogs.shown.front().buttons, Buttons::Ok);
    }
    {
        // Opened, but the identity request fails: the meter does not answer, permission is fine.
        sim::Scenario s = sim::Scenario::Default();
        s.faults.push_back(Fault{Fault::Fail, 0, 10, 1, 1, kUsbErrorAccess});
        SimSetup t(s);
        AppWindows w;
        MainWin()->initButton->click();
        QCOMPARE(t.dialogs.Messages(), L{kAbsentBox});
    }
}

QTEST_MAIN(AccessMessageTest)
#include "test_access_message.moc"
