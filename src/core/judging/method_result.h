// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a person asked of an ESD or material test, and its result from the readings of its phases:
// the path of readings (10 V, then 100 V where the rule asks), the reading that stands, the
// resistivity, the packaging class, the verdict with its source and the conditions. The same
// function judges a run as it ends and a recording of it afterwards.

#include "core/data_dialect.h"
#include "core/judging/bounds.h"
#include "core/judging/limit_sets.h"
#include "core/judging/resistivity.h"

#include <optional>
#include <vector>

namespace krx {

struct MethodRequest {
    Method method = Method::Insulation;
    Measurement measurement = Measurement::Rtg;
    QString itemKind;  // empty: none
    QString limitSet;  // a set's id; empty: none
    Geometry geometry;
    bool qualification = false;
    std::optional<double> conditioningHours;
    int materialVolts = 100;                     // material: 10, 100, 500 or 1000
    int materialSeconds = kMaterialDefaultSeconds;  // material: when the reading is taken
};

// What keeps the request from running (a person's words); empty when it can run.
QString RequestProblem(const MethodRequest& r, const LimitLibrary& limits);

struct Phase {
    int volts = 0;
    int readingSeconds = 0;       // the reading is the first at or after this time from the command
    double commandElapsed = 0.0;  // the voltage command, on the readings' elapsed_s scale
    std::vector<DataRecord> readings;
};

struct PathStep {
    int volts = 0;
    int atSeconds = 0;
    ReadingValue value;
    double temperature = 0.0;
    int humidity = 0;
};

struct MethodResult {
    MethodRequest request;
    std::vector<PathStep> path;
    bool complete = false;  // every phase the rule asked for reached its reading
    std::optional<PathStep> result;  // the reading that stands
    std::optional<Resistivity> resistivity;
    QString classification;  // "dissipative"; empty when none applies or the bound leaves it open
    QString classificationSource;
    LimitVerdict verdict;
    QString qualificationFlag;
};

// The reading that closes a phase, with its bound where it is out of range; none when the phase
// ended before its reading time.
std::optional<PathStep> PhaseReading(const Phase& phase);
// 1.0×10^6 Ω or more at 10 V (a reading over the range too) sends the test on to 100 V.
bool NeedsHundredVolts(const ReadingValue& v);

MethodResult JudgeMethod(const MethodRequest& request, const std::vector<Phase>& phases, const LimitLibrary& limits);
// A recording of such a run, split into its phases by the step column.
std::vector<Phase> PhasesFromRecording(const std::vector<DataRecord>& readings, const MethodRequest& request);

// "10 V: 2.10 MΩ at 5 s (1 MΩ or more) → 100 V: 790 kΩ at 15 s"
QString PathText(const MethodResult& r);
QString ResultTitle(const MethodResult& r);  // "ESD-control item, Rtg, worksurface"

// Per method (one file each): the figures and verdict of a result whose path is in.
void JudgeEsdItem(MethodResult& r, const LimitLibrary& limits);
void JudgeSurface(MethodResult& r, const LimitLibrary& limits);
void JudgeVolume(MethodResult& r, const LimitLibrary& limits);
void JudgeMaterial(MethodResult& r, const LimitLibrary& limits);
// Shared by them: the verdict of the chosen limit set's row for the kind and measurement.
LimitVerdict JudgeByLimits(const MethodResult& r, const LimitLibrary& limits);
void TakeResistivity(MethodResult& r, bool volume);

}  // namespace krx
