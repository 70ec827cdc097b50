// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The insulation figures of one cycle's readings: resistance at 15 s, 30 s, 1 min and 10 min,
// the dielectric absorption ratio (DAR) and the polarisation index (PI), their verdicts with
// where each threshold comes from, and the correction of a resistance to 40 °C or 20 °C.
//
// Times count from the first reading with a stable measuring voltage (the origin): before it the
// voltage was still ramping and the dielectric was not yet charging at the test voltage. The
// resistance at an exact time is interpolated between the two readings around it, linear in
// log R, as insulation resistance rises roughly exponentially; an over- or underflow reading on
// either side (or a reading of 0 Ω) gives no value there, as the true resistance is not known.
// A value appears only once a reading at or after its time has come in, so the figures of a run
// in progress never extrapolate. Readings after the origin count whatever their stable flag: a
// voltage that wavers for one reading does not restart a ten-minute test.
//
// The texts shown to users (verdicts, sources, "not enough data") live here only, so that the
// window, the report and the command line say the same words.

#include "core/data_dialect.h"

#include <QString>

#include <mutex>
#include <optional>
#include <vector>

namespace krx {

enum class DarTimes { From30To60, From15To60 };
enum class InsulationClass { A, B, F, H };

struct InsulationFigures {
    std::optional<double> originElapsed;  // elapsed_s of the first reading with stable voltage
    double secondsSinceOrigin = 0.0;      // of the latest reading; 0 without an origin
    std::optional<double> r15, r30, r60, r600;  // ohm
    std::optional<double> dar;  // R(60 s) / R(30 s), or / R(15 s) with From15To60
    std::optional<double> pi;   // R(10 min) / R(1 min)
    // The meter's temperature, mean over the readings from the origin up to 10 min after it (or
    // the latest reading before that): the span the figures are taken over, and a mean evens out
    // the display's 0.1 °C steps. Empty without an origin.
    std::optional<double> meanTemperature;
};

// The figures of the readings of one cycle in the order they were taken (elapsed_s rising).
// O(log n) plus the readings before the origin and within the first 10 minutes: cheap enough to
// call after every reading of a long run.
InsulationFigures ComputeFigures(const std::vector<DataRecord>& readings, DarTimes darTimes);

// The resistance at `seconds` after the origin, as ComputeFigures finds it; empty when not (yet)
// known. `origin` is an index into `readings`.
std::optional<double> ResistanceAt(const std::vector<DataRecord>& readings, size_t origin, double seconds);

// IEEE 43: R_base = R_T × 0.5^((base − T) / 10), the resistance halving for every 10 °C.
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
// The words of a step-voltage test's verdict (one of NotEnoughData, MarkedFall, NoMarkedFall,
// Undecided).
FigureVerdict StepVerdictText(Verdict verdict);

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
QString ClassName(InsulationClass cls);  // "A", "B", "F", "H"
QString DarTimesName(DarTimes t);        // "30-60", "15-60"
// Parse the names back; false for anything else.
bool ParseClass(const QString& text, InsulationClass& cls);
bool ParseDarTimes(const QString& text, DarTimes& t);

}  // namespace krx
