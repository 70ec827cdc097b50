// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an item of the plan stands on a given day: verified and in time, due, overdue, failed at
// its last verification, or never verified. The day is always passed in (the status "as of" an
// audit day, and tests on a fixed calendar), never read from the wall clock here.

#include "core/judging/bounds.h"
#include "core/plan/plan_items.h"

#include <QDate>

#include <optional>

namespace krx {

enum class ItemState { Ok, Due, Overdue, Failed, Never };

// "ok", "due", "overdue", "failed", "never": as scripts read them, never translated.
const char* ItemStateName(ItemState state);

// The item's last complete verification; one broken off part way verifies nothing.
struct LastVerification {
    QDate date;
    std::optional<double> worstOhm;
    Outcome outcome = Outcome::NotJudged;
};

struct ItemStatus {
    ItemState state = ItemState::Never;
    QDate lastVerified;  // invalid: never
    QDate due;           // invalid: never verified, so due now
    std::optional<double> worstOhm;
    Outcome outcome = Outcome::NotJudged;
};

// The next due date is the last verification plus the interval; the item may still be verified on
// that day. It is due from `dueWithinDays` before it (0: on the day only) and overdue the day after.
// A failed last verification outranks the calendar: the item stays failed until verified again.
ItemStatus StatusAsOf(const PlanItem& item, const std::optional<LastVerification>& last, QDate asOf,
                      int dueWithinDays = 0);

// Failed or overdue: what a nightly job alerts on. An item never verified is listed as such but
// does not alert, or every freshly imported plan would.
bool NeedsAttention(ItemState state);

}  // namespace krx
