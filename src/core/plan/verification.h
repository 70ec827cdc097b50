// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One verification of a plan item: its method run at each of the item's points, every point's
// reading, path and verdict kept, and the verification judged by its worst point. A verification
// broken off before its last point says so and is never a pass, though a point that failed before
// the break still fails the item.

#include "core/judging/bounds.h"
#include "core/judging/methods.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace krx {

struct PointResult {
    int point = 1;  // from 1
    ReadingValue value;  // the reading that stands
    int volts = 0;       // its voltage
    QString path;        // "10 V: 2.10 MΩ at 5 s (1 MΩ or more) → 100 V: 790 kΩ at 15 s"
    Outcome outcome = Outcome::NotJudged;
    QString verdict;     // the words shown
    std::optional<double> temperature, humidity;
};

struct Verification {
    qint64 id = 0;  // given by the store
    QString itemId;
    QDateTime time;  // start, with its UTC offset
    Method method = Method::Esd;
    Measurement measurement = Measurement::Rtg;
    QString limitSet;     // the set's id; empty: none chosen
    QString limitSource;  // "ANSI/ESD S20.20-2021 …, compliance verification"; empty when not judged
    int pointsPlanned = 1;
    std::vector<PointResult> points;  // in order, those that were reached
    QString operatorName, meterSerial;
    bool simulated = false;
};

struct VerificationSummary {
    bool complete = false;  // every planned point has its reading
    std::optional<double> minOhm, maxOhm;  // of the readings (a bound counts as its value)
    std::optional<double> worstOhm;  // the point that decides the verdict
    std::optional<int> worstPoint;
    Outcome outcome = Outcome::NotJudged;
};

// Fails when any point fails; else an incomplete verification is undecided; else the worst of the
// points' outcomes (undecided before not judged before meets). Among the points of the deciding
// outcome the highest reading is the worst, as the periodic limits are maxima.
VerificationSummary Summarise(const Verification& v);

}  // namespace krx
