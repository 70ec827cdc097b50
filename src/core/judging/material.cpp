// SPDX-License-Identifier: GPL-3.0-or-later
// A laboratory measurement at the person's voltage for the person's time. At 500 and 1000 V it
// belongs to other methods (ISO 2878, DIN 53482, ASTM D257): such a result is not comparable with
// ESD-item limits and is never judged against them.
#include "core/judging/method_result.h"

namespace krx {

void JudgeMaterial(MethodResult& r, const LimitLibrary& limits)
{
    TakeResistivity(r, r.request.measurement == Measurement::Rv);
    if (r.request.materialVolts > 100) {
        r.verdict = {};
        r.verdict.text = QStringLiteral("measured at %1 V: not comparable with ESD-item limits; not judged")
                             .arg(r.request.materialVolts);
        return;
    }
    r.verdict = JudgeByLimits(r, limits);
}

}  // namespace krx
