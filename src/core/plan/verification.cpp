// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plan/verification.h"

#include <limits>

namespace krx {

namespace {

// Fails first, meets last.
int Rank(Outcome o)
{
    switch (o) {
    case Outcome::Fails: return 0;
    case Outcome::Undecided: return 1;
    case Outcome::NotJudged: return 2;
    case Outcome::Meets: return 3;
    }
    return 2;
}

// Over the range sorts above every value, under the range below.
double SortKey(const ReadingValue& v)
{
    if (v.range == RangeState::Over)
        return v.ohm.value_or(std::numeric_limits<double>::infinity());
    return v.ohm.value_or(-1.0);
}

}  // namespace

VerificationSummary Summarise(const Verification& v)
{
    VerificationSummary s;
    s.complete = static_cast<int>(v.points.size()) >= v.pointsPlanned && v.pointsPlanned > 0;
    const PointResult* worst = nullptr;
    for (const PointResult& p : v.points) {
        if (p.value.ohm) {
            s.minOhm = s.minOhm ? std::min(*s.minOhm, *p.value.ohm) : *p.value.ohm;
            s.maxOhm = s.maxOhm ? std::max(*s.maxOhm, *p.value.ohm) : *p.value.ohm;
        }
        if (!worst || Rank(p.outcome) < Rank(worst->outcome) ||
            (Rank(p.outcome) == Rank(worst->outcome) && SortKey(p.value) > SortKey(worst->value)))
            worst = &p;
    }
    if (worst) {
        s.worstOhm = worst->value.ohm;
        s.worstPoint = worst->point;
        s.outcome = worst->outcome;
    }
    if (s.outcome != Outcome::Fails && !s.complete)
        s.outcome = Outcome::Undecided;
    return s;
}

}  // namespace krx
