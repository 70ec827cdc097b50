// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A reading judged against one row of a limit set, in words that name the limit and its source.
// A reading over (under) the range is a bound: the meter said "more (less) than it can show", and
// its limit at that voltage lies beyond every in-range reading it gave there, so that reading is a
// lower (upper) bound. A bound decides only where it lies wholly on one side of the limit.

#include "core/judging/limit_sets.h"
#include "device/commands.h"

#include <QString>

#include <optional>

namespace krx {

struct ReadingValue {
    RangeState range = RangeState::InRange;
    std::optional<double> ohm;  // in range: the value; over: a lower bound; under: an upper bound
};

enum class Outcome { Meets, Fails, Undecided, NotJudged };
// "meets", "fails", "undecided", "not_judged": as files and scripts hold them.
const char* OutcomeName(Outcome o);
std::optional<Outcome> OutcomeFromName(const QString& name);

struct LimitVerdict {
    Outcome outcome = Outcome::NotJudged;
    QString text;    // "Rtg 3.2×10^8 Ω < 1.0×10^9 Ω: meets ANSI/ESD S20.20-2021, worksurface, …"
    QString source;  // "ANSI/ESD S20.20-2021 Table 4, compliance verification"; empty when not judged
    QString row;     // the row it was judged by: "worksurface, Rtg < 1.0×10^9 Ω"; empty when none
    std::optional<double> lowerOhm, upperOhm;  // that row's bounds, for the limit lines of a trend
};

// "3.2×10^8 Ω" (two significant digits, more where needed to tell it from `apart`).
QString SciOhm(double ohm, std::optional<double> apart = std::nullopt);
// "2.10 MΩ", "790 kΩ": three significant digits, as read at the bench.
QString BenchOhm3(double ohm);
// "over the range (≥ 2.10 MΩ)", "2.10 MΩ", "over the range".
QString ReadingText(const ReadingValue& r);

// Whether the reading lies inside the row's bounds: Meets inside, Fails outside.
Outcome Place(const ReadingValue& r, const LimitRow& row);
// "< 1.0×10^9 Ω", "≥ 1.0×10^4 Ω and < 1.0×10^11 Ω"
QString RowRangeText(const LimitRow& row);
QString LimitSourceText(const LimitSet& set, const LimitRow& row);
LimitVerdict JudgeByRow(Measurement m, const ReadingValue& r, const LimitSet& set, const LimitRow& row);

}  // namespace krx
