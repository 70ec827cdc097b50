// SPDX-License-Identifier: GPL-3.0-or-later
// A material's volume resistance by the 10 V → 100 V rule: its volume resistivity where the
// electrodes and the thickness are given; judged only by a limit set that has an Rv row.
#include "core/judging/method_result.h"

namespace krx {

void JudgeVolume(MethodResult& r, const LimitLibrary& limits)
{
    TakeResistivity(r, true);
    r.verdict = JudgeByLimits(r, limits);
}

}  // namespace krx
