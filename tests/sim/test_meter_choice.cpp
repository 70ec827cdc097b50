// SPDX-License-Identifier: GPL-3.0-or-later
// Several simulated meters on one computer: what asking them costs, which one a chosen serial
// number reaches, how it is found again after a re-plug, and Init's decision among them.
#include "sim_fixture.h"

#include "core/meter_init.h"
#include "core/settings.h"
#include "device/commands.h"
#include "device/meter_choice.h"
#include "device/protocol.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace krx;
using krx::sim::Fault;
using krx::sim::Scenario;

namespace {

// Three meters, the second at an address of its own; each with a resistance no other one has.
constexpr const char* kThree = R"({
  "stabiliseSeconds": 0.1,
  "meters": [
    {"serialNo": "73800017", "swVersion": "1.07", "r0": 1e9, "rInf": 1e9},
    {"serialNo": "73800099", "swVersion": "1.09", "r0": 5e10, "rInf": 5e10, "address": 7},
    {"serialNo": "73800123", "swVersion": "2.01", "r0": 3e8, "rInf": 3e8}
  ]
})";

// The identity reply as the meter puts it on the wire: serial, software, a blank, the name.
QString IdentityRecord(const char* serial, const char* software)
{
    const QByteArray bytes = QByteArray(serial) + QByteArray(software) + " KRX 738";
    return QStringLiteral("IN 10 [%1] =20").arg(QString::fromLatin1(bytes.toHex(' ').toUpper()));
}

// Each record without its time.
QStringList Records(test::SimSetup& t)
{
    QStringList out;
    for (const QString& line : t.Take())
        out << line.section(QLatin1Char(' '), 1);
    return out;
}

class MeterChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { ForgetChosenMeter(); }
    void TearDown() override { ForgetChosenMeter(); }
};

}  // namespace

TEST_F(MeterChoiceTest, ScenarioNamesSeveralMetersAndKeepsTheSingleFormat)
{
    const Scenario s = Scenario::FromJson(kThree);
    ASSERT_EQ(s.meters.size(), 3u);
    EXPECT_EQ(s.meters[1].serialNo, "73800099");
    EXPECT_EQ(s.meters[1].r0, 5e10);
    EXPECT_EQ(s.meters[1].address, 7);
    EXPECT_EQ(s.meters[2].stabiliseSeconds, 0.1);  // the shared key
    EXPECT_TRUE(Scenario::FromJson(R"({"serialNo": "12345678"})").meters.empty());
    for (const char* bad : {R"({"meters": [{"serialNo": "1"}, {"serialNo": "1"}]})",
                            R"({"meters": [{"address": 3}, {"serialNo": "2", "address": 3}]})",
                            R"({"meters": [{"address": 128}]})", R"({"meters": {"serialNo": "1"}})",
                            R"({"meters": [{"meters": []}]})"})
        EXPECT_THROW(Scenario::FromJson(bad), std::runtime_error) << bad;
}

TEST_F(MeterChoiceTest, SurveyAsksEachMeterOnlyForItsIdentity)
{
    test::SimSetup t(Scenario::FromJson(kThree));
    const std::vector<AttachedMeter> meters = SurveyMeters();
    ASSERT_EQ(meters.size(), 3u);
    const std::pair<const char*, const char*> expected[] = {{"73800017", "1.07"}, {"73800099", "1.09"},
                                                            {"73800123", "2.01"}};
    const int addresses[] = {1, 7, 8};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(meters[i].state, AttachedMeter::State::Ready);
        EXPECT_EQ(meters[i].serial, QLatin1String(expected[i].first));
        EXPECT_EQ(meters[i].software, QLatin1String(expected[i].second));
        EXPECT_EQ(meters[i].address, addresses[i]);
        EXPECT_EQ(t.sim->meter(i).RemoteMode(), 0) << i;  // nothing told to any meter
    }
    EXPECT_EQ(meters[1].Place(), "bus 001 address 007");
    EXPECT_EQ(MeterLabels(meters), "73800017, 73800099, 73800123");
    EXPECT_EQ(Records(t), (QStringList{"open =1", IdentityRecord("73800017", "1.07"), "open =1",
                                       IdentityRecord("73800099", "1.09"), "open =1",
                                       IdentityRecord("73800123", "2.01")}));

    // Other meters swapped in at the same places: each is asked again, none taken for the one before.
    test::SimSetup swapped(Scenario::FromJson(
        R"({"meters": [{"serialNo": "73800555"}, {"serialNo": "73800666", "address": 7}]})"));
    EXPECT_EQ(MeterLabels(SurveyMeters()), "73800555, 73800666");
}

TEST_F(MeterChoiceTest, ChosenMeterGetsEveryCommandAndIsFoundAgainAfterAReplug)
{
    test::SimSetup t(Scenario::FromJson(kThree));
    const std::vector<AttachedMeter> meters = SurveyMeters();
    ChooseMeter(meters[1]);
    t.Take();
    MeterCommands usb;
    ASSERT_TRUE(usb.Connect().ok());
    ASSERT_TRUE(usb.SetRemoteMode(protocol::kModeMain).ok());
    EXPECT_EQ(t.sim->meter(0).RemoteMode(), 0);
    EXPECT_EQ(t.sim->meter(1).RemoteMode(), protocol::kModeMain);
    EXPECT_EQ(t.sim->meter(2).RemoteMode(), 0);
    EXPECT_EQ(Records(t), (QStringList{"open =1", "OUT 54 [03] =1"}));

    // Pulled out and plugged in again: the meter comes back at the bus's next free address.
    t.sim->Inject(Fault{Fault::Unplug, 0});
    t.sim->Inject(Fault{Fault::Replug, 1});
    EXPECT_FALSE(usb.SetRemoteMode(protocol::kModeMain).ok());
    EXPECT_FALSE(usb.SetRemoteMode(protocol::kModeMain).ok());
    t.Take();
    ASSERT_TRUE(usb.Connect().ok());
    ASSERT_TRUE(usb.SetRemoteMode(protocol::kModeEnd).ok());
    EXPECT_EQ(t.sim->meter(1).RemoteMode(), protocol::kModeEnd);
    EXPECT_EQ(t.sim->meter(0).RemoteMode(), 0);
    // Its old place is empty; only the new place is asked, the two others are known already.
    EXPECT_EQ(Records(t), (QStringList{"open =0", "open =1", IdentityRecord("73800099", "1.09"), "open =1",
                                       "OUT 54 [01] =1"}));
    EXPECT_EQ(TheUsbBackend().ListMeters()[2].address, 9);

    // Gone for good: no other meter takes its place, and the others, known, are not even asked.
    t.sim->meter(1).SetPresent(false);
    t.Take();
    EXPECT_FALSE(usb.Connect().ok());
    EXPECT_FALSE(usb.SetRemoteMode(protocol::kModeMain).ok());
    EXPECT_EQ(t.sim->meter(0).RemoteMode(), 0);
    EXPECT_EQ(t.sim->meter(2).RemoteMode(), 0);
    EXPECT_EQ(Records(t), (QStringList{"open =0", "OUT 54 [03] =-4"}));

    // Back elsewhere, with another meter now at its old address 9: that place is asked, not trusted.
    test::SimSetup moved(Scenario::FromJson(
        R"({"meters": [{"serialNo": "73800555", "address": 9}, {"serialNo": "73800099", "address": 12}]})"));
    ASSERT_TRUE(FindChosenMeterAgain());
    MeterCommands again;
    ASSERT_TRUE(again.Connect().ok());
    ASSERT_TRUE(again.SetRemoteMode(protocol::kModeMain).ok());
    EXPECT_EQ(moved.sim->meter(0).RemoteMode(), 0);
    EXPECT_EQ(moved.sim->meter(1).RemoteMode(), protocol::kModeMain);
}

// Init's decision in the window program: the serial wanted, the one remembered, and the person.
TEST_F(MeterChoiceTest, InitPicksTheWantedTheRememberedOrAsks)
{
    struct Case {
        const char* name;
        bool several;
        const char* wanted;
        const char* remembered;
        int answer;  // the person's choice when asked (-1 cancels)
        MeterPick::Outcome outcome;
        const char* serial;
        bool asked;
        const char* kept;  // MeterSerial in the settings file afterwards
        const char* said;  // the start of a message box, if one
    };
    using O = MeterPick::Outcome;
    const Case cases[] = {
        {"one, none wanted", false, "", "73800099", 0, O::AsBefore, "", false, "", ""},
        {"one, wanted", false, "73800042", "", 0, O::Chosen, "73800042", false, "", ""},
        {"one, another wanted", false, "73800017", "", 0, O::NotAttached, "73800017", false, "",
         "meter 73800017 is not attached (attached: 73800042)"},
        {"three, wanted", true, "73800123", "73800017", 0, O::Chosen, "73800123", false, "", ""},
        {"three, wanted absent", true, "73800042", "", 0, O::NotAttached, "73800042", false, "",
         "meter 73800042 is not attached (attached: 73800017, 73800099, 73800123)"},
        {"three, remembered", true, "", "73800099", 0, O::Chosen, "73800099", false, "", ""},
        {"three, remembered absent", true, "", "73800042", 2, O::Chosen, "73800123", true, "73800123", ""},
        {"three, asked", true, "", "", 1, O::Chosen, "73800099", true, "73800099", ""},
        {"three, cancelled", true, "", "", -1, O::Cancelled, "", true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetChosenMeter();
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("KRX_SETUP.INI"));
        SetSettingsFilePath(settings);
        test::SimSetup t(c.several ? Scenario::FromJson(kThree) : Scenario::Default());
        t.dialogs.choices = {c.answer};
        const MeterPick pick = PickMeter(t.dialogs, QString::fromLatin1(c.wanted), QString::fromLatin1(c.remembered));
        EXPECT_EQ(pick.outcome, c.outcome);
        EXPECT_EQ(pick.serial, QLatin1String(c.serial));
        EXPECT_EQ(ChosenSerial(), c.outcome == O::Chosen ? QLatin1String(c.serial) : QString());
        EXPECT_EQ(!t.dialogs.shown.empty() && t.dialogs.shown.front().kind == test::ShownBox::Choice, c.asked);
        const QString said = QString::fromLatin1(c.said);
        EXPECT_EQ(t.dialogs.Messages().join('\n').contains(said), true) << t.dialogs.Messages().join('\n').toStdString();
        EXPECT_EQ(!said.isEmpty(), !t.dialogs.Messages().isEmpty());
        EXPECT_EQ(CurrentSettingsPlaces().Read(QStringLiteral("MeterSerial"), QString()), QLatin1String(c.kept));
        // One meter and nothing wanted: not even its identity is asked before Init.
        if (c.outcome == O::AsBefore) {
            EXPECT_TRUE(t.Take().isEmpty());
        }
        // A meter chosen now answers the next open; the others hear nothing.
        if (c.outcome == O::Chosen && c.several) {
            MeterCommands usb;
            ASSERT_TRUE(usb.Connect().ok());
            usb.SetRemoteMode(protocol::kModeMain);
            for (size_t i = 0; i < 3; ++i)
                EXPECT_EQ(t.sim->meter(i).RemoteMode() == protocol::kModeMain,
                          t.sim->meter(i).scenario().serialNo == c.serial)
                    << i;
        }
        SetSettingsFilePath(QString());
    }
}
