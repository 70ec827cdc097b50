// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The insulation figures of one cycle's readings: resistance at 15 s, 30 s, 1 min and 10 min,
// the dielectric absorption ratio (DAR) and the polarisation index (PI), their verdicts with
// where each threshold comes from, and the correction of a resistance to 40 °C or 20 °C.
//
// Times count from the command that put the test voltage on (elapsed_s 0 of the recording), as
// IEEE 43 times IR 1 min and IR 10 min from the application of the voltage. The ramp, the time to
// the first reading with a stable voltage, is a figure of its own; a time before it has no value
// (the voltage was still rising). The resistance at an exact time is interpolated between the two
// readings around it, linear in log R, as insulation resistance rises roughly exponentially, but
// not across a gap wider than 10 % of the time (at least 5 s); an over- or underflow reading on
// either side (or a reading of 0 Ω) gives no value there. A value appears only once a reading at
// or after its time has come in, so the figures of a run in progress never extrapolate; a timer
// reading that saw 0 s left on the meter's timer counts as taken at the timer's end. Readings
// after the ramp count whatever their stable flag: a voltage that wavers for one reading does not
// restart a ten-minute test.
//
// Figures are taken over readings at one voltage only: the voltage of the first stable reading,
// as the nearest of the meter's voltages. The first later reading nearer another of them ends the
// figures there (a voltage chosen while measuring, the automatic voltage function), and a time
// after it has no value.
//
// The texts shown to users live here and in core/judging/ieee43.h only, so that the window, the report,
// the command line and the history say the same words.

#include "core/data_dialect.h"

#include <QString>

#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace krx {

enum class DarTimes { From30To60, From15To60 };
enum class InsulationClass { A, B, F, H };

// Why a figure has no value: not reached yet, before the first stable reading, readings too far
// apart around it, a reading out of the meter's range beside it, or a voltage changed before it.
enum class Missing { None, NotYet, VoltageRising, TooFarApart, AboveRange, BelowRange, VoltageChanged };

// The voltage of a run changed from one of the meter's voltages to another.
struct VoltageChange {
    int fromVolts = 0, toVolts = 0;
    double atSeconds = 0.0;  // elapsed_s of the first reading at the new voltage
};

// The resistance at one time of the figures, or why there is none.
struct TimedResistance {
    std::optional<double> ohm;
    Missing missing = Missing::NotYet;
};

struct InsulationFigures {
    // 0 (the voltage command) once a reading with a stable voltage exists; empty before.
    std::optional<double> originElapsed;
    double secondsSinceOrigin = 0.0;  // elapsed_s of the latest reading; 0 without an origin
    std::optional<double> ramp;       // elapsed_s of the first reading with a stable voltage
    std::optional<double> r15, r30, r60, r600;  // ohm
    Missing why15 = Missing::NotYet, why30 = Missing::NotYet, why60 = Missing::NotYet, why600 = Missing::NotYet;
    // The highest in-range reading: the meter's range reaches at least that far, so a reading
    // above the range at 10 min gives "PI ≥ highestInRange / R 1 min".
    std::optional<double> highestInRange;
    std::optional<double> piAtLeast;
    int volts = 0;  // the test voltage: the meter's voltage of the first stable reading
    std::optional<VoltageChange> voltageChange;  // where the one-voltage figures end
    std::optional<double> dar;  // R(60 s) / R(30 s), or / R(15 s) with From15To60
    std::optional<double> pi;   // R(10 min) / R(1 min)
    // The meter's temperature, mean over the readings from the origin up to 10 min after it (or
    // the latest reading before that): the span the figures are taken over, and a mean evens out
    // the display's 0.1 °C steps. Empty without an origin.
    std::optional<double> meanTemperature;
    std::optional<double> meanHumidity;  // percent, over the same span
};

// The figures of the readings of one cycle in the order they were taken (elapsed_s rising).
// O(log n) plus the readings before the origin and within the first 10 minutes: cheap enough to
// call after every reading of a long run.
InsulationFigures ComputeFigures(const std::vector<DataRecord>& readings, DarTimes darTimes);

// The resistance `seconds` after the voltage command, as ComputeFigures finds it. `ramp` is the
// index of the first reading with a stable voltage.
TimedResistance ResistanceAt(std::span<const DataRecord> readings, size_t ramp, double seconds);
// The nearest of the meter's voltages (10, 100, 500, 1000 V) to a measured one, by ratio; 0 for 0.
int MeterVoltage(int measuredVolts);
// Why the DAR or the PI has no value: the reason of the first of its two resistances without one.
QString DarMissingText(const InsulationFigures& f, DarTimes darTimes);
QString PiMissingText(const InsulationFigures& f);
// "the voltage changed from 500 V to 1000 V at 5 min: figures up to then"
QString VoltageChangeText(const VoltageChange& change);
// "5 min", "5 min 12 s", "45 s"
QString SecondsText(double seconds);
// The widest gap between two readings a figure at `seconds` may be interpolated across.
double WidestGap(double seconds);
// "voltage still rising at 15 s", "readings too far apart around 1 min", … ; "not enough data"
// for a time not reached.
QString MissingText(Missing why, double seconds);

// R_base = R_T × 0.5^((base − T) / 10), the resistance halving for every 10 °C (a rule of thumb).
double CorrectedResistance(double ohm, double temperatureC, double baseC);
constexpr double kBase40C = 40.0;
constexpr double kBase20C = 20.0;

enum class Verdict {
    NotEnoughData,
    // DAR bands
    Poor,          // below 1.0
    Questionable,  // 1.0 up to below 1.25
    Good,          // 1.25 up to and including 1.6
    Excellent,     // above 1.6
    // PI against the minimum of the chosen class
    MeetsMinimum,     // at or above the minimum
    BelowMinimum,
    // Step-voltage test: the change from the lowest to the highest step
    MarkedFall,    // down by more than 25 %
    NoMarkedFall,  // down by 25 % or less, or up
    Undecided,     // a bound or a reading out of range leaves it open
    StepsTooShort, // no marked fall, but R was still rising within a step: nothing to compare
    MayBeDisregarded,  // PI with IR 1 min at 40 °C above 5000 MΩ
    NoCriterion,       // values only: no criterion applies
    NoNameplate,       // no verdict without the asset's nameplate
};

struct FigureVerdict {
    Verdict verdict = Verdict::NotEnoughData;
    QString text;    // "good", "meets the minimum of 2.0 (class F)", "not enough data"
    QString source;  // where the threshold comes from; empty with not enough data
};

// The minimum PI of a thermal class: 1.5 for class A, 2.0 for B, F and H.
double MinimumPi(InsulationClass cls);
FigureVerdict DarVerdict(std::optional<double> dar);
FigureVerdict PiVerdict(std::optional<double> pi, InsulationClass cls);
// A figure's value beside the limits it is judged against: `band` decimals (or significant
// digits) are raised until the printed value falls on the same side of every limit as the value
// itself ("1.996" beside a minimum of 2.00, not "2.00").
struct Limit {
    double value = 0.0;
    bool belongsAbove = true;  // the limit itself is judged as the band above it (a ">=" minimum)
};
int DigitsToTell(double value, int digits, std::initializer_list<Limit> limits, bool significant);
QString FixedToTell(double value, int decimals, std::initializer_list<Limit> limits);

// Every reading of one cycle. The device thread appends while a window paints from another
// thread: each call takes the lock, and a painter asks for what came since its last look.
class ReadingSeries {
public:
    void Clear();
    void Append(const DataRecord& record);
    size_t Size() const;
    // Copies of the readings from index `from` on (empty when there is nothing new).
    std::vector<DataRecord> Since(size_t from) const;
    std::vector<DataRecord> All() const { return Since(0); }
    InsulationFigures Figures(DarTimes darTimes) const;

private:
    mutable std::mutex mutex_;
    std::vector<DataRecord> records_;
};

// The one set of words.
QString NotEnoughDataText();   // "not enough data"
QString DarSourceText();       // maker guidance
QString PiSourceText();        // IEEE 43-2013
QString StepSourceText();      // field practice, not a standard
// Halving per 10 °C: IEEE 43-2000's rule of thumb for rotating machines (not 2013's), field
// practice for anything else; the 20 °C base is field practice.
QString CorrectionSourceText(bool rotatingMachine = true);
QString ClassName(InsulationClass cls);  // "A", "B", "F", "H"
QString DarTimesName(DarTimes t);        // "30-60", "15-60"
// Parse the names back; false for anything else.
bool ParseClass(const QString& text, InsulationClass& cls);
bool ParseDarTimes(const QString& text, DarTimes& t);

}  // namespace krx
