// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One break-down test as the procedure's and the windows' tests run it: the meter that breaks down
// 13 s and breaks off 3 s after each start, and the transfers its set-up and start make.

#include "sim/sim_backend.h"

#include <QString>
#include <QStringList>

namespace krx::test {

inline sim::Scenario BreakDownScenario()
{
    sim::Scenario s = sim::Scenario::Default();
    s.breakDownTimer = 30;
    s.breakOffTimer = 20;
    s.breakDownAfter = 13.0;
    s.breakOffAfter = 3.0;
    s.resistanceBeforeKOhm = 1999999;
    s.resistanceAfterBDKOhm = 2147483648u;  // 2^31: not a negative number
    s.resistanceAfterBOKOhm = 250000;
    return s;
}

// IN 7 replies: 1000 V, 1 999 999 kOhm before; 2^31 kOhm after the break-down; 250 000 kOhm and
// 3 s after the break-off.
inline const QString kValuesBefore = QStringLiteral("[03 E8 00 1E 84 7F 00 00 00 00 00 00 00 00 00 00] =16");
inline const QString kValuesBD = QStringLiteral("[03 E8 00 1E 84 7F 80 00 00 00 00 00 00 00 00 00] =16");
inline const QString kValuesBO = QStringLiteral("[03 E8 00 1E 84 7F 80 00 00 00 00 03 D0 90 00 03] =16");

// A: timers read, remote mode 30.
inline const QStringList kBreakDownSetUp = {"20 IN 48 [00 3C] =2", "20 IN 49 [00 1E] =2", "20 IN 50 [00 14] =2",
                                            "20 OUT 54 [1E] =1"};

// C and D1: timers written, start, first values, 11 s countdown, values again.
inline QStringList BreakDownStartLines(const char* bd = "00 1E", const char* bo = "00 14")
{
    return {QStringLiteral("0 OUT 49 [%1] =2").arg(QLatin1String(bd)),
            QStringLiteral("80 OUT 50 [%1] =2").arg(QLatin1String(bo)),
            "100 OUT 37 [10] =1",
            "40 OUT 8 [20] =1",
            "100 open =1",
            "0 IN 7 " + kValuesBefore,
            "11000 open =1",
            "0 IN 7 " + kValuesBefore};
}

}  // namespace krx::test
