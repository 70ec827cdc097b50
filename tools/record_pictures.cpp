// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the measurement's plot, figures and report from a run against the simulated meter on a
// virtual clock: krx738_record_pictures OUTPUT_FOLDER writes record_midrun.png (3 minutes in),
// record_pi_run.png (an 11-minute run, long enough for PI) and record_report.pdf.

#include "core/language.h"
#include "device/clock.h"
#include "core/dialogs.h"
#include "core/measurement_cycle.h"
#include "core/procedure_runner.h"
#include "core/recording.h"
#include "device/backend.h"
#include "sim/sim_backend.h"
#include "ui/record/reading_plot.h"
#include "ui/record/record_view.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace krx;

namespace {

class Quiet : public CycleListener {
public:
    void TimerStarted(int) override {}
    void WaitHint(bool) override {}
    void MeasuringStarted() override {}
    void PassStarted(int) override {}
    void Iteration(const CycleIteration&) override {}
    void RestTime(int) override {}
    void TimerFinished() override {}
};

// Feeds every reading to the view and acts at the elapsed seconds given.
class Feed : public RecordListener {
public:
    Feed(MeasurementRecordView& view, MeasurementCycle*& cycle) : view_(view), cycle_(cycle) {}
    void Recorded(const DataRecord& record, const CycleIteration&) override
    {
        view_.Add(record);
        if (!snapped_ && record.elapsedSeconds >= snapAt) {
            snapped_ = true;
            snap();
        }
        if (record.elapsedSeconds >= stopAt)
            cycle_->RequestBreak();
    }
    void RecordingProblem(const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }

    double snapAt = 0, stopAt = 0;
    std::function<void()> snap;

private:
    MeasurementRecordView& view_;
    MeasurementCycle*& cycle_;
    bool snapped_ = false;
};

bool Save(MeasurementRecordView& view, const QString& path)
{
    view.plot->Redraw();
    view.RefreshFigures();
    QApplication::processEvents();
    view.plot->Redraw();  // the plot area is known once the layout has run
    const bool ok = view.grab().save(path);
    std::printf("%s\n", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The desktop's language, as the program takes it: LANG=de_DE.UTF-8 gives the German set.
    krx::UseLanguage(krx::ChosenLanguage({}, {}, krx::LanguageEnvironment::FromProcess()));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QTemporaryDir recordings;
    VirtualClock clock;
    SetClock(&clock);
    const sim::Scenario scenario = sim::Scenario::Default();
    SetUsbBackend(std::make_unique<sim::SimBackend>(scenario));

    MeasurementRecordView view;
    view.resize(1100, 440);
    view.show();
    view.SetMeter(QString::fromStdString(scenario.deviceName), QString::fromStdString(scenario.serialNo),
                  QString::fromStdString(scenario.swVersion));

    ConsoleDialogs person;
    ProcedureRunner runner(ProcedureRunner::Mode::Inline, person);
    MeterCommands meter;
    meter.Connect();
    Quiet quiet;
    ReadingSeries series;
    MeasurementCycle* cyclePtr = nullptr;
    Feed feed(view, cyclePtr);
    CycleRecorder recorder(quiet, series, &feed);
    MeasurementCycle cycle(meter, runner, recorder);
    cyclePtr = &cycle;
    recorder.Watch(&cycle);

    bool ok = true;
    feed.snapAt = 180.0;
    feed.stopAt = 662.0;
    feed.snap = [&] {
        view.SetRecordingFile(recorder.File().FileName());
        ok &= Save(view, out + QStringLiteral("/record_midrun.png"));
    };
    view.Clear();
    RecordingPlan plan;
    plan.folder = recordings.path();
    plan.serial = QString::fromStdString(scenario.serialNo);
    recorder.Begin(plan);
    CycleOptions options;
    options.samplingTimeMs = 1000;
    cycle.Arm();
    cycle.Run(options);
    recorder.Finish();

    view.SetComment(QStringLiteral("Motor M3, stator winding to frame, after cleaning; terminal box dry. "
                                   "Next test in 6 months."));
    ok &= Save(view, out + QStringLiteral("/record_pi_run.png"));
    QString error;
    const QString pdf = out + QStringLiteral("/record_report.pdf");
    if (!view.WriteReportTo(pdf, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        ok = false;
    }
    std::printf("%s\n", qPrintable(pdf));
    SetUsbBackend(nullptr);
    SetClock(nullptr);
    return ok ? 0 : 1;
}
