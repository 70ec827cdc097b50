// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The items of a periodic verification plan: each ESD-control item of a protected area, the kind
// that says what is measured and how many points, and how often it is verified. A plan comes from
// a CSV file that a maintenance system can write; a file with one bad line is refused whole, so
// that a plan is never half imported.

#include "core/judging/methods.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace krx {

struct PlanItem {
    QString id;        // the plant's own asset number, unique in the plan
    QString area;      // the protected area or line it belongs to
    QString kind;      // a limit-set kind: "worksurface", "flooring" …
    QString location;  // free text, may be empty
    int intervalDays = 0;
    int points = 1;
};

// The plan file's columns, in the order the export writes them.
const QStringList& PlanColumns();
constexpr int kMaxIntervalDays = 3650;  // ten years; more is a typing error, not a plan
constexpr int kMaxPoints = 20;

// Points when the file leaves them empty: three on a worksurface and five on a floor area spread
// the electrodes over the worn and the far parts; one elsewhere (one point on a seat is the
// periodic check of field practice).
int DefaultPoints(const QString& kind);
// What an item of this kind is tested with: resistance to ground by the ESD rule, point to point
// for a garment, surface resistance for packaging.
Method MethodForKind(const QString& kind);
Measurement MeasurementForKind(const QString& kind);

struct PlanFile {
    std::vector<PlanItem> items;
    QString error;  // "line 4: interval_days "0" is not a whole number from 1 to 3650"; empty when read
};

// UTF-8 (a byte-order mark is skipped), comma-separated, fields in double quotes where they hold
// a comma, a quote or a line break; a header line naming the columns in any order. `kinds` are the
// kinds the limit sets know. Blank lines are skipped.
PlanFile ParsePlanCsv(const QByteArray& bytes, const QStringList& kinds);
// A field of such a file: in double quotes, inner ones doubled, where it holds a comma, a quote or
// a line break.
QString CommaCsvField(const QString& text);
// The same format back, with the header and every item's points written out.
QByteArray PlanCsv(const std::vector<PlanItem>& items);

}  // namespace krx
