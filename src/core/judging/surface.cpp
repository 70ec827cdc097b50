// SPDX-License-Identifier: GPL-3.0-or-later
// A material's surface resistance by the 10 V → 100 V rule: its resistivity where the electrodes
// are given, its packaging class, and a verdict where a limit set is chosen.
#include "core/judging/method_result.h"

namespace krx {

namespace {

// The class whose range holds the reading; a bound that spans two classes leaves it open.
void Classify(MethodResult& r, const LimitLibrary& limits)
{
    const LimitSet* classes = limits.PackagingClasses();
    if (!classes || r.request.measurement != Measurement::Rs)
        return;
    for (const LimitRow& row : classes->rows) {
        if (Place(r.result->value, row) == Outcome::Meets) {
            r.classification = row.className;
            r.classificationSource = classes->source;
            return;
        }
    }
}

}  // namespace

void JudgeSurface(MethodResult& r, const LimitLibrary& limits)
{
    TakeResistivity(r, false);
    Classify(r, limits);
    r.verdict = JudgeByLimits(r, limits);
}

}  // namespace krx
