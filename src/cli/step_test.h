// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// measure --test step: the step-voltage test's options, its finished steps in the jsonl stream
// and its result after the records.

#include "cli/output.h"
#include "core/step_voltage.h"

#include <QCommandLineParser>

namespace krx::cli {

struct MeasureArgs;

void AddStepOptions(QCommandLineParser& p);
// --steps and --step-seconds into args.steps (set when --test step was chosen), and the options
// that do not go with the steps refused; throws UsageError.
void ParseStepPlan(const QCommandLineParser& p, MeasureArgs& args);

// One JSON object per finished step when the records are jsonl; the step on the progress line.
class StepPrinter : public StepListener {
public:
    StepPrinter(RecordSink& sink, int steps) : sink_(sink), steps_(steps) {}
    void StepStarted(int step, int volts) override;
    void StepFinished(const StepFigure& figure) override;
    bool WriteFailed() const { return writeFailed_; }

private:
    RecordSink& sink_;
    int steps_;
    bool writeFailed_ = false;
};

QByteArray StepResultJson(const StepPlan& plan, const StepResult& r);
QString StepResultText(const StepPlan& plan, const StepResult& r);
// The end of the steps as the plain cycle reports its end.
CycleResult CycleResultOf(const StepRunResult& r);
QString StepMeasuringText(const StepPlan& plan);

}  // namespace krx::cli
