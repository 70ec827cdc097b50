// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Limit sets as data: small JSON files, each naming its source, with per item kind and measurement
// a lower and an upper bound and whether each edge is strict or inclusive. The built-in sets are
// compiled in (and installed beside the program's data); a person's own sets live in
// ~/.config/krx738/limits/. A bad file is refused with its name, line and fault; the others stay.

#include "core/asset_kinds.h"
#include "core/judging/methods.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace krx {

enum class Edge { Strict, Inclusive };

// The purposes a row may name.
inline constexpr const char* kComplianceVerification = "compliance verification";
inline constexpr const char* kProductQualification = "product qualification";

struct Bound {
    double ohm = 0.0;
    Edge edge = Edge::Strict;
};

struct LimitRow {
    QString kind;  // "worksurface", "mobile-equipment" …
    Measurement measurement = Measurement::Rtg;
    std::optional<Bound> lower, upper;
    QString clause;   // the table or clause within the source: "Table 4"
    QString purpose;  // "compliance verification", "product qualification"
    QString className;  // a classification's class ("dissipative"); empty in a limit row
    int line = 0;       // where the row starts in its file
};

struct LimitSet {
    QString id;      // as typed: "s20.20-2021"
    QString source;  // "ANSI/ESD S20.20-2021" or "user-defined: …"
    QString note;    // how the figures were read, shown with the source
    QString file;    // where it came from
    bool builtIn = false;
    std::vector<LimitRow> rows;

    // The row for the kind and measurement; with a purpose, a row of another purpose is passed over
    // (a row that names none serves every purpose).
    const LimitRow* Row(const QString& kind, Measurement m, const QString& purpose = {}) const;
    bool Classification() const { return !rows.empty() && !rows.front().className.isEmpty(); }
};

// One file's text; false with `error` ("FILE: line 7: …") when it is not a limit set.
bool ParseLimitSet(const QByteArray& text, const QString& file, bool builtIn, LimitSet& set, QString* error);

struct LimitLibrary {
    std::vector<LimitSet> sets;  // the built-in ones first
    QStringList problems;        // one line per refused file

    const LimitSet* Find(const QString& id) const;
    const LimitSet* PackagingClasses() const;
    QStringList Ids() const;
};

// The built-in sets and those in `userDir` (*.json, by name); a user's set may not take a
// built-in's id.
LimitLibrary LoadLimitLibrary(const QString& userDir);
// ~/.config/krx738/limits (the configuration folder of the platform).
QString UserLimitsDir();


}  // namespace krx
