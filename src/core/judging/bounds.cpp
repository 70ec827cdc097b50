// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/bounds.h"

#include <QStringList>

#include <cmath>

namespace krx {

namespace {

QString Sci(double ohm, int digits)
{
    int exponent = static_cast<int>(std::floor(std::log10(ohm)));
    double mantissa = ohm / std::pow(10.0, exponent);
    // 9.96 rounds to 10.0: carry into the exponent.
    if (std::round(mantissa * std::pow(10.0, digits - 1)) >= 10.0 * std::pow(10.0, digits - 1)) {
        mantissa /= 10.0;
        ++exponent;
    }
    return QStringLiteral("%1×10^%2 Ω").arg(mantissa, 0, 'f', digits - 1).arg(exponent);
}

bool Inside(double v, const LimitRow& row)
{
    if (row.lower && !(row.lower->edge == Edge::Strict ? v > row.lower->ohm : v >= row.lower->ohm))
        return false;
    if (row.upper && !(row.upper->edge == Edge::Strict ? v < row.upper->ohm : v <= row.upper->ohm))
        return false;
    return true;
}

QString LowerText(const Bound& b, bool met)
{
    const bool strict = b.edge == Edge::Strict;
    return (met ? (strict ? QStringLiteral("> ") : QStringLiteral("≥ ")) : (strict ? QStringLiteral("≤ ") : QStringLiteral("< "))) +
           SciOhm(b.ohm);
}

QString UpperText(const Bound& b, bool met)
{
    const bool strict = b.edge == Edge::Strict;
    return (met ? (strict ? QStringLiteral("< ") : QStringLiteral("≤ ")) : (strict ? QStringLiteral("≥ ") : QStringLiteral("> "))) +
           SciOhm(b.ohm);
}

}  // namespace

QString SciOhm(double ohm, std::optional<double> apart)
{
    if (!(ohm > 0.0) || !std::isfinite(ohm))
        return QStringLiteral("%1 Ω").arg(ohm);
    int digits = 2;
    while (apart && digits < 6 && ohm != *apart && Sci(ohm, digits) == Sci(*apart, digits))
        ++digits;
    return Sci(ohm, digits);
}

QString BenchOhm3(double ohm)
{
    static const char* const prefixes[] = {"", "k", "M", "G", "T", "P"};
    if (!std::isfinite(ohm))
        return {};
    int p = 0;
    double x = ohm;
    const auto rounded = [](double v) { return v == 0.0 ? 0.0 : QString::number(v, 'g', 3).toDouble(); };
    while (std::fabs(rounded(x)) >= 1000.0 && p < 5)
        x /= 1000.0, ++p;
    x = rounded(x);
    const int decimals = std::fabs(x) >= 100.0 ? 0 : std::fabs(x) >= 10.0 ? 1 : 2;
    return QStringLiteral("%1 %2Ω").arg(x, 0, 'f', decimals).arg(QLatin1String(prefixes[p]));
}

QString ReadingText(const ReadingValue& r)
{
    if (r.range == RangeState::InRange)
        return r.ohm ? BenchOhm3(*r.ohm) : QStringLiteral("no reading");
    const bool over = r.range == RangeState::Over;
    const QString what = over ? QStringLiteral("over the range") : QStringLiteral("under the range");
    if (!r.ohm)
        return what;
    return QStringLiteral("%1 (%2 %3)").arg(what, over ? QStringLiteral("≥") : QStringLiteral("≤"), BenchOhm3(*r.ohm));
}

Outcome Place(const ReadingValue& r, const LimitRow& row)
{
    if (!r.ohm)
        return Outcome::NotJudged;
    const double v = *r.ohm;
    if (r.range == RangeState::InRange)
        return Inside(v, row) ? Outcome::Meets : Outcome::Fails;
    // The true value lies at or beyond the bound, on the reading's side.
    const bool over = r.range == RangeState::Over;
    const std::optional<Bound>& ahead = over ? row.upper : row.lower;   // the edge the value moves towards
    const std::optional<Bound>& behind = over ? row.lower : row.upper;  // the edge the bound has left
    if (ahead) {
        const bool beyond = over ? (ahead->edge == Edge::Strict ? v >= ahead->ohm : v > ahead->ohm)
                                 : (ahead->edge == Edge::Strict ? v <= ahead->ohm : v < ahead->ohm);
        if (beyond)
            return Outcome::Fails;
        return Outcome::Undecided;
    }
    if (behind) {
        const bool past = over ? (behind->edge == Edge::Strict ? v > behind->ohm : v >= behind->ohm)
                               : (behind->edge == Edge::Strict ? v < behind->ohm : v <= behind->ohm);
        return past ? Outcome::Meets : Outcome::Undecided;
    }
    return Outcome::Meets;
}

QString RowRangeText(const LimitRow& row)
{
    QStringList parts;
    if (row.lower)
        parts << LowerText(*row.lower, true);
    if (row.upper)
        parts << UpperText(*row.upper, true);
    return parts.join(QStringLiteral(" and "));
}

QString LimitSourceText(const LimitSet& set, const LimitRow& row)
{
    QString s = set.source;
    if (!row.clause.isEmpty())
        s += QLatin1Char(' ') + row.clause;
    if (!row.purpose.isEmpty())
        s += QStringLiteral(", ") + row.purpose;
    return s;
}

LimitVerdict JudgeByRow(Measurement m, const ReadingValue& r, const LimitSet& set, const LimitRow& row)
{
    QStringList who{set.source, KindText(row.kind)};
    if (!row.purpose.isEmpty())
        who << row.purpose;
    const QString name = MeasurementName(m);
    LimitVerdict j;
    j.row = QStringLiteral("%1, %2 %3").arg(KindText(row.kind), name, RowRangeText(row));
    if (row.lower)
        j.lowerOhm = row.lower->ohm;
    if (row.upper)
        j.upperOhm = row.upper->ohm;
    j.outcome = Place(r, row);
    if (j.outcome == Outcome::NotJudged) {
        j.text = QStringLiteral("%1 %2, no in-range reading to bound it: not judged").arg(name, ReadingText(r));
        return j;
    }
    j.source = LimitSourceText(set, row);
    const QString verdict = j.outcome == Outcome::Meets ? QStringLiteral("meets") : QStringLiteral("fails");
    if (r.range != RangeState::InRange) {
        const QString bound = QStringLiteral("%1 the range (%2 %3)")
                                  .arg(r.range == RangeState::Over ? QStringLiteral("over") : QStringLiteral("under"),
                                       r.range == RangeState::Over ? QStringLiteral("≥") : QStringLiteral("≤"),
                                       SciOhm(*r.ohm));
        if (j.outcome == Outcome::Undecided)
            j.text = QStringLiteral("%1 %2: not decided against %3 (%4)")
                         .arg(name, bound, RowRangeText(row), who.join(QStringLiteral(", ")));
        else
            j.text = QStringLiteral("%1 %2: %3 %4").arg(name, bound, verdict, who.join(QStringLiteral(", ")));
        return j;
    }
    const double v = *r.ohm;
    QString relation;
    if (j.outcome == Outcome::Meets) {
        QStringList parts;
        if (row.lower)
            parts << LowerText(*row.lower, true);
        if (row.upper)
            parts << UpperText(*row.upper, true);
        relation = parts.join(QStringLiteral(" and "));
    } else {
        const bool lowFails = row.lower && !Inside(v, LimitRow{row.kind, row.measurement, row.lower, {}, {}, {}, {}, 0});
        relation = lowFails ? LowerText(*row.lower, false) : UpperText(*row.upper, false);
    }
    const double nearest = row.upper && (!row.lower || std::fabs(std::log10(v / row.upper->ohm)) <
                                                           std::fabs(std::log10(v / row.lower->ohm)))
                               ? row.upper->ohm
                               : row.lower->ohm;
    j.text = QStringLiteral("%1 %2 %3: %4 %5")
                 .arg(name, SciOhm(v, nearest), relation, verdict, who.join(QStringLiteral(", ")));
    return j;
}

const char* OutcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Meets: return "meets";
    case Outcome::Fails: return "fails";
    case Outcome::Undecided: return "undecided";
    case Outcome::NotJudged: break;
    }
    return "not_judged";
}

std::optional<Outcome> OutcomeFromName(const QString& name)
{
    for (Outcome o : {Outcome::Meets, Outcome::Fails, Outcome::Undecided, Outcome::NotJudged})
        if (name == QLatin1String(OutcomeName(o)))
            return o;
    return std::nullopt;
}

}  // namespace krx
