// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one break-down test keeps between its steps, and what the steps share: the event byte's bits
// and the bar's poll count. Private to the procedure's files.

#include "core/breakdown_test.h"
#include "core/localetext.h"

#include <QDateTime>

namespace krx {

namespace breakdown {

// Positions in the bit text of the event byte (1-based).
inline constexpr int kNewValues = 9;   // b0: new intermediate values
inline constexpr int kBreakDown = 8;   // b1
inline constexpr int kBreakOff = 7;    // b2
inline constexpr int kPhaseEnded = 4;  // b4: the phase's timer ran out without its event

// The bar counts the seconds of a poll until the first new values set it to the timer.
inline constexpr int kPollSteps = 20;

inline QString TimeNow()
{
    return LongTime(QDateTime::currentDateTime());
}

}  // namespace breakdown

struct BreakDownTest::State {
    int breakDownTimer = 0;
    int breakOffTimer = 0;
    int lost = 0;  // the first set-up or start command the meter did not take
    int progress = 1;
    BreakDownReport values;
    bool firstPass = true;
    bool breakDownDone = false;
    bool noBreakDown = false;
    bool breakOffDone = false;
    bool noBreakOff = false;
    QString bits;
    int failedPolls = 0;
};

}  // namespace krx
