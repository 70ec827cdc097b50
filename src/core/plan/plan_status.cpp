// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plan/plan_status.h"

namespace krx {

const char* ItemStateName(ItemState state)
{
    switch (state) {
    case ItemState::Ok: return "ok";
    case ItemState::Due: return "due";
    case ItemState::Overdue: return "overdue";
    case ItemState::Failed: return "failed";
    case ItemState::Never: return "never";
    }
    return "never";
}

ItemStatus StatusAsOf(const PlanItem& item, const std::optional<LastVerification>& last, QDate asOf,
                      int dueWithinDays)
{
    ItemStatus s;
    if (!last || !last->date.isValid())
        return s;
    s.lastVerified = last->date;
    s.due = last->date.addDays(item.intervalDays);
    s.worstOhm = last->worstOhm;
    s.outcome = last->outcome;
    if (last->outcome == Outcome::Fails)
        s.state = ItemState::Failed;
    else if (asOf > s.due)
        s.state = ItemState::Overdue;
    else if (asOf.daysTo(s.due) <= dueWithinDays)
        s.state = ItemState::Due;
    else
        s.state = ItemState::Ok;
    return s;
}

bool NeedsAttention(ItemState state)
{
    return state == ItemState::Failed || state == ItemState::Overdue;
}

}  // namespace krx
