// SPDX-License-Identifier: GPL-3.0-or-later
// An ESD-control item (worksurface, floor, seat, shelf, cart, garment): its Rtt or Rtg by the 10 V →
// 100 V rule, judged by the chosen limit set's row for its kind.
#include "core/judging/method_result.h"

namespace krx {

void JudgeEsdItem(MethodResult& r, const LimitLibrary& limits)
{
    r.verdict = JudgeByLimits(r, limits);
}

}  // namespace krx
