// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/judging/insulation.h"

#include <algorithm>
#include <cmath>

namespace krx {

namespace {

constexpr double kPiSpan = 600.0;
constexpr double kMinimumGap = 5.0;

bool Usable(const DataRecord& r)
{
    return r.range == RangeState::InRange && r.resistanceOhm > 0.0 && std::isfinite(r.resistanceOhm);
}

std::optional<size_t> Ramp(const std::vector<DataRecord>& readings)
{
    for (size_t i = 0; i < readings.size(); ++i)
        if (readings[i].stable)
            return i;
    return std::nullopt;
}

std::optional<double> Ratio(const std::optional<double>& top, const std::optional<double>& bottom)
{
    if (!top || !bottom || *bottom <= 0.0)
        return std::nullopt;
    return *top / *bottom;
}

QString Number(double v)
{
    return QString::number(v, 'f', v < 10.0 ? 2 : 1);
}

constexpr int kMeterVolts[] = {10, 100, 500, 1000};

// The first reading after the ramp at another of the meter's voltages; readings.size() if none.
size_t VoltageEnd(const std::vector<DataRecord>& readings, size_t ramp)
{
    const int volts = MeterVoltage(readings[ramp].volts);
    for (size_t i = ramp + 1; i < readings.size(); ++i) {
        const int v = MeterVoltage(readings[i].volts);
        // A reading of 0 V says nothing of the voltage set (a dropped value, not a change).
        if (v != 0 && volts != 0 && v != volts)
            return i;
    }
    return readings.size();
}

}  // namespace

double WidestGap(double seconds)
{
    return std::max(0.1 * seconds, kMinimumGap);
}

int MeterVoltage(int measured)
{
    if (measured <= 0)
        return 0;
    int best = kMeterVolts[0];
    for (const int v : kMeterVolts)
        if (std::fabs(std::log(double(measured) / v)) < std::fabs(std::log(double(measured) / best)))
            best = v;
    return best;
}

QString SecondsText(double seconds)
{
    const long long s = std::llround(std::max(0.0, seconds));
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    return s % 60 ? QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60) : QStringLiteral("%1 min").arg(s / 60);
}

QString VoltageChangeText(const VoltageChange& c)
{
    return QStringLiteral("the voltage changed from %1 V to %2 V at %3: figures up to then")
        .arg(c.fromVolts)
        .arg(c.toVolts)
        .arg(SecondsText(c.atSeconds));
}

TimedResistance ResistanceAt(std::span<const DataRecord> readings, size_t ramp, double t)
{
    if (ramp >= readings.size())
        return {};
    if (t < readings[ramp].elapsedSeconds)
        return {std::nullopt, Missing::VoltageRising};
    const auto begin = readings.begin() + static_cast<std::ptrdiff_t>(ramp);
    // The first reading at or after t; none yet means the time has not been reached.
    auto after = std::lower_bound(begin, readings.end(), t,
                                  [](const DataRecord& r, double v) { return r.elapsedSeconds < v; });
    if (after == readings.end()) {
        // The meter said less than a second was left on its timer: the reading ends the timer's run.
        const DataRecord& last = readings.back();
        if (last.restSeconds == 0 && last.elapsedSeconds + 1.0 >= t)
            after = readings.end() - 1, t = last.elapsedSeconds;
        else
            return {};
    }
    auto judged = [](const DataRecord& r) -> TimedResistance {
        if (Usable(r))
            return {r.resistanceOhm, Missing::None};
        return {std::nullopt, r.range == RangeState::Over ? Missing::AboveRange : Missing::BelowRange};
    };
    if (after->elapsedSeconds == t || after == begin)
        return judged(*after);
    const DataRecord& a = *(after - 1);
    const DataRecord& b = *after;
    if (b.elapsedSeconds - a.elapsedSeconds > WidestGap(t))
        return {std::nullopt, Missing::TooFarApart};
    for (const DataRecord* r : {&a, &b})
        if (!Usable(*r))
            return judged(*r);
    const double f = (t - a.elapsedSeconds) / (b.elapsedSeconds - a.elapsedSeconds);
    const double la = std::log(a.resistanceOhm);
    return {std::exp(la + (std::log(b.resistanceOhm) - la) * f), Missing::None};
}

InsulationFigures ComputeFigures(const std::vector<DataRecord>& readings, DarTimes darTimes)
{
    InsulationFigures f;
    const std::optional<size_t> ramp = Ramp(readings);
    if (!ramp)
        return f;
    f.originElapsed = 0.0;
    f.ramp = readings[*ramp].elapsedSeconds;
    f.secondsSinceOrigin = readings.back().elapsedSeconds;
    f.volts = MeterVoltage(readings[*ramp].volts);
    const size_t end = VoltageEnd(readings, *ramp);
    if (end < readings.size())
        f.voltageChange = VoltageChange{f.volts, MeterVoltage(readings[end].volts), readings[end].elapsedSeconds};
    const std::span<const DataRecord> span(readings.data(), end);
    auto at = [&](double t, std::optional<double>& value, Missing& why) {
        const TimedResistance r = ResistanceAt(span, *ramp, t);
        value = r.ohm;
        why = r.missing;
        if (why == Missing::NotYet && f.voltageChange)
            why = Missing::VoltageChanged;
    };
    at(15.0, f.r15, f.why15);
    at(30.0, f.r30, f.why30);
    at(60.0, f.r60, f.why60);
    at(kPiSpan, f.r600, f.why600);
    f.dar = Ratio(f.r60, darTimes == DarTimes::From15To60 ? f.r15 : f.r30);
    f.pi = Ratio(f.r600, f.r60);

    double sum = 0.0, humidity = 0.0;
    int n = 0;
    for (size_t i = *ramp; i < end; ++i) {
        const DataRecord& r = readings[i];
        if (Usable(r))
            f.highestInRange = std::max(f.highestInRange.value_or(0.0), r.resistanceOhm);
        if (r.elapsedSeconds > kPiSpan && i != *ramp)
            continue;
        sum += r.temperature;
        humidity += r.humidity;
        ++n;
    }
    f.meanTemperature = sum / n;
    f.meanHumidity = humidity / n;
    if (f.why600 == Missing::AboveRange && f.r60 && f.highestInRange)
        f.piAtLeast = *f.highestInRange / *f.r60;
    return f;
}

QString MissingText(Missing why, double seconds)
{
    const QString at = seconds >= 60.0 ? QStringLiteral("%1 min").arg(seconds / 60.0) : QStringLiteral("%1 s").arg(seconds);
    switch (why) {
    case Missing::VoltageRising: return QStringLiteral("voltage still rising at %1").arg(at);
    case Missing::TooFarApart:
        return QStringLiteral("readings too far apart around %1 (more than %2 s)").arg(at).arg(WidestGap(seconds));
    case Missing::AboveRange: return QStringLiteral("above the meter's range at %1").arg(at);
    case Missing::BelowRange: return QStringLiteral("below the meter's range at %1").arg(at);
    case Missing::VoltageChanged: return QStringLiteral("the voltage changed before %1").arg(at);
    case Missing::None:
    case Missing::NotYet: break;
    }
    return NotEnoughDataText();
}

QString DarMissingText(const InsulationFigures& f, DarTimes darTimes)
{
    if (darTimes == DarTimes::From15To60 && !f.r15)
        return MissingText(f.why15, 15.0);
    if (darTimes == DarTimes::From30To60 && !f.r30)
        return MissingText(f.why30, 30.0);
    return MissingText(f.why60, 60.0);
}

QString PiMissingText(const InsulationFigures& f)
{
    return !f.r60 ? MissingText(f.why60, 60.0) : MissingText(f.why600, 600.0);
}

double CorrectedResistance(double ohm, double temperatureC, double baseC)
{
    return ohm * std::pow(0.5, (baseC - temperatureC) / 10.0);
}

double MinimumPi(InsulationClass cls)
{
    return cls == InsulationClass::A ? 1.5 : 2.0;
}

FigureVerdict DarVerdict(std::optional<double> dar)
{
    if (!dar)
        return {Verdict::NotEnoughData, NotEnoughDataText(), QString()};
    const double d = *dar;
    if (d < 1.0)
        return {Verdict::Poor, QStringLiteral("poor"), DarSourceText()};
    if (d < 1.25)
        return {Verdict::Questionable, QStringLiteral("questionable"), DarSourceText()};
    if (d <= 1.6)
        return {Verdict::Good, QStringLiteral("good"), DarSourceText()};
    return {Verdict::Excellent, QStringLiteral("excellent"), DarSourceText()};
}

FigureVerdict PiVerdict(std::optional<double> pi, InsulationClass cls)
{
    if (!pi)
        return {Verdict::NotEnoughData, NotEnoughDataText(), QString()};
    const double min = MinimumPi(cls);
    const QString which = QStringLiteral("%1 (class %2)").arg(Number(min), ClassName(cls));
    if (*pi >= min)
        return {Verdict::MeetsMinimum, QStringLiteral("meets the minimum of %1").arg(which), PiSourceText()};
    return {Verdict::BelowMinimum, QStringLiteral("below the minimum of %1").arg(which), PiSourceText()};
}

int DigitsToTell(double value, int digits, std::initializer_list<Limit> limits, bool significant)
{
    const auto band = [&](double v) {
        int above = 0;
        for (const Limit& l : limits)
            above += l.belongsAbove ? v >= l.value : v > l.value;
        return above;
    };
    const int own = band(value);
    // Fifteen digits tell any two doubles apart that matter here.
    for (int d = digits; d < 15; ++d)
        if (band(QString::number(value, significant ? 'g' : 'f', d).toDouble()) == own)
            return d;
    return 15;
}

QString FixedToTell(double value, int decimals, std::initializer_list<Limit> limits)
{
    return QString::number(value, 'f', DigitsToTell(value, decimals, limits, false));
}

QString NotEnoughDataText()
{
    return QStringLiteral("not enough data");
}

QString DarSourceText()
{
    return QStringLiteral("instrument makers' rule of thumb, no standard (maker guidance, 60 s / 30 s: < 1.0 poor, "
                          "1.0-1.25 questionable, 1.25-1.6 good, > 1.6 excellent)");
}

QString PiSourceText()
{
    return QStringLiteral("IEEE 43-2013 (minimum 1.5 for class A, 2.0 for classes B, F and H; may be disregarded "
                          "when IR 1 min at 40 °C is above 5000 MΩ)");
}

QString CorrectionSourceText(bool rotatingMachine)
{
    if (!rotatingMachine)
        return QStringLiteral("R halves per 10 °C rise: a rule of thumb of field practice, as is the 20 °C base");
    return QStringLiteral("R halves per 10 °C rise: the rule of thumb of IEEE 43-2000; the 2013 edition corrects by "
                          "insulation system. The 20 °C base is common field practice, not IEEE 43");
}

QString StepSourceText()
{
    return QStringLiteral("field practice from instrument makers, not a standard (a fall of more than 25 % from the "
                          "lowest to the highest step)");
}

QString ClassName(InsulationClass cls)
{
    switch (cls) {
    case InsulationClass::A: return QStringLiteral("A");
    case InsulationClass::B: return QStringLiteral("B");
    case InsulationClass::F: return QStringLiteral("F");
    case InsulationClass::H: break;
    }
    return QStringLiteral("H");
}

QString DarTimesName(DarTimes t)
{
    return t == DarTimes::From15To60 ? QStringLiteral("15-60") : QStringLiteral("30-60");
}

bool ParseClass(const QString& text, InsulationClass& cls)
{
    for (const InsulationClass c : {InsulationClass::A, InsulationClass::B, InsulationClass::F, InsulationClass::H})
        if (text == ClassName(c)) {
            cls = c;
            return true;
        }
    return false;
}

bool ParseDarTimes(const QString& text, DarTimes& t)
{
    for (const DarTimes d : {DarTimes::From30To60, DarTimes::From15To60})
        if (text == DarTimesName(d)) {
            t = d;
            return true;
        }
    return false;
}

void ReadingSeries::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
}

void ReadingSeries::Append(const DataRecord& record)
{
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back(record);
}

size_t ReadingSeries::Size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return records_.size();
}

std::vector<DataRecord> ReadingSeries::Since(size_t from) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (from >= records_.size())
        return {};
    return {records_.begin() + static_cast<std::ptrdiff_t>(from), records_.end()};
}

InsulationFigures ReadingSeries::Figures(DarTimes darTimes) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ComputeFigures(records_, darTimes);
}

}  // namespace krx
