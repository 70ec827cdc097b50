// SPDX-License-Identifier: GPL-3.0-or-later
// The verification plan's file and an item's state on a given day: every refusal of the import
// beside the line that just passes, and the states around the due date on a fixed calendar.
#include "core/plan/plan_status.h"
#include "core/plan/verification.h"

#include <gtest/gtest.h>

using namespace krx;

namespace {

const QStringList kKinds{QStringLiteral("worksurface"), QStringLiteral("flooring"), QStringLiteral("seating")};
const QByteArray kHeader = "id,area,kind,location,interval_days,points\n";

}  // namespace

TEST(Plan, ImportRefusesABadLineWithItsNumberAndKeepsNothing)
{
    struct Case {
        const char* what;
        QByteArray file;
        QString error;  // empty: imported
    };
    const QByteArray good = "WS-1,EPA 1,worksurface,bench 1,90,\n";
    const Case cases[] = {
        {"all six columns", kHeader + good, {}},
        {"columns in another order, CRLF, BOM", "\xEF\xBB\xBFpoints,interval_days,location,kind,area,id\r\n3,90,,seating,EPA 1,C-1\r\n", {}},
        {"missing column", "id,area,kind,location,points\nWS-1,EPA 1,worksurface,,3\n",
         "line 1: the column \"interval_days\" is missing"},
        {"unknown column", "id,area,kind,location,interval_days,points,owner\n",
         "line 1: unknown column \"owner\"; the columns are id,area,kind,location,interval_days,points"},
        {"bad kind", kHeader + good + "F-1,EPA 1,carpet,,90,\n",
         "line 3: unknown kind \"carpet\"; the kinds are worksurface, flooring, seating"},
        {"kind in capitals", kHeader + "F-1,EPA 1,Flooring,,90,\n", {}},
        {"interval 0", kHeader + good + "F-1,EPA 1,flooring,,0,\n",
         "line 3: interval_days \"0\" is not a whole number from 1 to 3650"},
        {"interval 1", kHeader + "F-1,EPA 1,flooring,,1,\n", {}},
        {"interval 3650", kHeader + "F-1,EPA 1,flooring,,3650,\n", {}},
        {"interval 3651", kHeader + "F-1,EPA 1,flooring,,3651,\n",
         "line 2: interval_days \"3651\" is not a whole number from 1 to 3650"},
        {"interval 7.5", kHeader + "F-1,EPA 1,flooring,,7.5,\n",
         "line 2: interval_days \"7.5\" is not a whole number from 1 to 3650"},
        {"points 0", kHeader + "F-1,EPA 1,flooring,,30,0\n", "line 2: points \"0\" is not a whole number from 1 to 20"},
        {"points 20", kHeader + "F-1,EPA 1,flooring,,30,20\n", {}},
        {"points 21", kHeader + "F-1,EPA 1,flooring,,30,21\n", "line 2: points \"21\" is not a whole number from 1 to 20"},
        {"duplicate id", kHeader + good + "\nWS-1,EPA 2,seating,,30,\n", "line 4: the id \"WS-1\" is there twice"},
        {"ids differing in case", kHeader + good + "ws-1,EPA 2,seating,,30,\n", {}},
        {"empty id", kHeader + ",EPA 1,seating,,30,\n", "line 2: the id is empty"},
        {"empty area", kHeader + "C-1, ,seating,,30,\n", "line 2: the area of \"C-1\" is empty"},
        {"short line", kHeader + "C-1,EPA 1,seating,30,\n", "line 2: 5 fields where the header has 6"},
        {"quoted comma and line break", kHeader + "C-1,EPA 1,seating,\"hall, row 2\nby the door\",30,\nC-2,EPA 1,seating,,30,\n", {}},
        {"line count past a quoted line break", kHeader + "C-1,EPA 1,seating,\"hall\nrow 2\",30,\nC-2,EPA 1,seating,,0,\n",
         "line 4: interval_days \"0\" is not a whole number from 1 to 3650"},
        {"quote never closed", kHeader + good + "C-1,EPA 1,seating,\"hall,30,\n",
         "line 3: a quote opened here is never closed"},
        {"not UTF-8", kHeader + good + "C-1,EPA 1,seating,Gro\xDF Halle,30,\n", "line 3: the file is not UTF-8 text"},
        {"UTF-8 location", kHeader + "C-1,EPA 1,seating,Gro\xC3\x9F" "e Halle,30,\n", {}},
        {"empty file", "", "line 1: the file is empty; it needs the header line id,area,kind,location,interval_days,points"},
    };
    for (const Case& c : cases) {
        const PlanFile plan = ParsePlanCsv(c.file, kKinds);
        EXPECT_EQ(plan.error, c.error) << c.what;
        if (!c.error.isEmpty())
            EXPECT_TRUE(plan.items.empty()) << c.what;
        else
            EXPECT_FALSE(plan.items.empty()) << c.what;
    }
}

TEST(Plan, ImportFillsDefaultsAndExportReadsBackTheSame)
{
    const QByteArray file = kHeader + "WS-14,EPA 1,worksurface,\"bench 14, \"\"left\"\"\",90,\n"
                                      "F-2,EPA 1,flooring,,180,\n"
                                      "C-3,EPA 2,seating,,30,2\n";
    const PlanFile plan = ParsePlanCsv(file, kKinds);
    ASSERT_TRUE(plan.error.isEmpty()) << plan.error.toStdString();
    ASSERT_EQ(plan.items.size(), 3u);
    EXPECT_EQ(plan.items[0].location, QStringLiteral("bench 14, \"left\""));
    EXPECT_EQ(plan.items[0].points, 3);
    EXPECT_EQ(plan.items[1].points, 5);
    EXPECT_EQ(plan.items[2].points, 2);
    EXPECT_EQ(plan.items[1].intervalDays, 180);
    EXPECT_EQ(PlanCsv(plan.items), kHeader + "WS-14,EPA 1,worksurface,\"bench 14, \"\"left\"\"\",90,3\n"
                                             "F-2,EPA 1,flooring,,180,5\n"
                                             "C-3,EPA 2,seating,,30,2\n");
}

TEST(Plan, StateAroundTheDueDate)
{
    PlanItem item;
    item.intervalDays = 90;
    // Verified 2026-01-10: due 2026-04-10 (21 + 28 + 31 + 10 days).
    const QDate verified(2026, 1, 10), due(2026, 4, 10);
    const LastVerification passed{verified, 3.2e8, Outcome::Meets};
    const LastVerification failed{verified, 1.5e9, Outcome::Fails};
    const LastVerification undecided{verified, std::nullopt, Outcome::Undecided};
    struct Case {
        std::optional<LastVerification> last;
        QDate asOf;
        int dueWithin;
        ItemState state;
    };
    const Case cases[] = {
        {passed, QDate(2026, 4, 9), 0, ItemState::Ok},
        {passed, QDate(2026, 4, 10), 0, ItemState::Due},
        {passed, QDate(2026, 4, 11), 0, ItemState::Overdue},
        {passed, QDate(2026, 3, 27), 14, ItemState::Due},
        {passed, QDate(2026, 3, 26), 14, ItemState::Ok},
        {passed, verified, 0, ItemState::Ok},
        {undecided, QDate(2026, 4, 11), 0, ItemState::Overdue},
        {failed, QDate(2026, 1, 11), 0, ItemState::Failed},
        {failed, QDate(2026, 4, 11), 0, ItemState::Failed},
        {std::nullopt, QDate(2026, 4, 11), 0, ItemState::Never},
    };
    for (const Case& c : cases) {
        const ItemStatus s = StatusAsOf(item, c.last, c.asOf, c.dueWithin);
        EXPECT_EQ(s.state, c.state) << c.asOf.toString(Qt::ISODate).toStdString() << " within " << c.dueWithin;
        EXPECT_EQ(s.due, c.last ? due : QDate()) << c.asOf.toString(Qt::ISODate).toStdString();
    }
    const std::pair<ItemState, bool> alerts[] = {{ItemState::Ok, false}, {ItemState::Due, false},
                                                 {ItemState::Never, false}, {ItemState::Overdue, true},
                                                 {ItemState::Failed, true}};
    for (const auto& [state, alert] : alerts)
        EXPECT_EQ(NeedsAttention(state), alert) << ItemStateName(state);
}

TEST(Plan, AVerificationIsJudgedByItsWorstPointAndNeverPassesIncomplete)
{
    auto point = [](int n, RangeState range, std::optional<double> ohm, Outcome o) {
        PointResult p;
        p.point = n;
        p.value = {range, ohm};
        p.outcome = o;
        return p;
    };
    const auto in = RangeState::InRange;
    const PointResult low = point(1, in, 2.0e7, Outcome::Meets), high = point(2, in, 8.0e8, Outcome::Meets),
                      fail = point(3, in, 1.2e9, Outcome::Fails), open = point(2, in, 9.5e8, Outcome::Undecided),
                      over = point(3, RangeState::Over, 1.0e12, Outcome::Fails);
    struct Case {
        const char* what;
        int planned;
        std::vector<PointResult> points;
        bool complete;
        Outcome outcome;
        std::optional<int> worstPoint;
        std::optional<double> minOhm, maxOhm;
    };
    const Case cases[] = {
        {"all meet: the highest is the worst", 2, {low, high}, true, Outcome::Meets, 2, 2.0e7, 8.0e8},
        {"one fails", 3, {low, high, fail}, true, Outcome::Fails, 3, 2.0e7, 1.2e9},
        {"over the range fails", 3, {low, high, over}, true, Outcome::Fails, 3, 2.0e7, 1.0e12},
        {"one undecided", 2, {low, open}, true, Outcome::Undecided, 2, 2.0e7, 9.5e8},
        {"broken off after a passing point", 2, {low}, false, Outcome::Undecided, 1, 2.0e7, 2.0e7},
        {"broken off after a failing point", 5, {low, high, fail}, false, Outcome::Fails, 3, 2.0e7, 1.2e9},
        {"broken off before any point", 1, {}, false, Outcome::Undecided, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        Verification v;
        v.pointsPlanned = c.planned;
        v.points = c.points;
        const VerificationSummary s = Summarise(v);
        EXPECT_EQ(s.complete, c.complete) << c.what;
        EXPECT_EQ(s.outcome, c.outcome) << c.what;
        EXPECT_EQ(s.worstPoint, c.worstPoint) << c.what;
        EXPECT_EQ(s.minOhm, c.minOhm) << c.what;
        EXPECT_EQ(s.maxOhm, c.maxOhm) << c.what;
    }
}
