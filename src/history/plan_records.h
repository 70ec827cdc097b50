// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The periodic verification plan as the history keeps it, for the store's plan functions.

#include "core/plan/plan_status.h"
#include "core/plan/verification.h"
#include "history/history_store.h"

namespace krx::history {

// An item of the plan as kept: a retired one was left out of a later import and keeps its
// verifications.
struct PlanEntry {
    PlanItem item;
    bool retired = false;
};

struct PlanImportCount {
    int added = 0;
    int kept = 0;     // in the plan before, perhaps changed
    int retired = 0;  // left out this time
};

// The item's state as of `asOf` for each item of the plan (retired ones left out), in plan order.
struct ItemReport {
    PlanItem item;
    ItemStatus status;
};

}  // namespace krx::history
