// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's step-voltage test on the simulated meter and the virtual clock: its
// wiring to the core's test (the core itself is tested on its own), the table and the plot it
// fills, its recording, a plan it refuses and Break.
#include "child.h"
#include "measuring_program.h"

#include "history/history_store.h"
#include "history/test_values.h"
#include "ui/record/figure_table.h"
#include "ui/record/figures_panel.h"
#include "ui/history/file_test_dialog.h"
#include "ui/history/history_rows.h"
#include "ui/history/test_view.h"
#include "ui/main_window.h"
#include "ui/measurement/measurement_window.h"
#include "ui/measurement/step_settings.h"
#include "ui/record/reading_plot.h"
#include "ui/record/report.h"
#include "ui/record/record_view.h"
#include "ui/record/step_panel.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <cmath>
#include <QTimer>

#include <map>
#include <QtTest>

using krx::test::MainWin;
using krx::test::MeasWin;
using namespace krx;

namespace {

// The windows after Init in free-running mode with 100 and 500 V of 30 s ticked.
struct Program : test::MeasuringProgram {
    explicit Program(const QString& folder) : MeasuringProgram(Meter(), folder)
    {
        StepSettings& s = *MeasWin()->stepSettings;
        s.useSteps->setChecked(true);
        s.voltBoxes[3]->setChecked(false);
        s.stepSeconds->setValue(30);
    }
    static sim::Scenario Meter()
    {
        sim::Scenario s = sim::Scenario::Default();
        s.stabiliseSeconds = 0.6;
        s.r0 = s.rInf = 1e9;
        s.leakageFallPerHundredVolts = 10;
        return s;
    }
};

// Start, and Break once `breakInStep` has its first reading (0: never); a run that does not end
// within 10 s of real time is broken and fails. `shown` gets the voltage the setup group shows at
// each step's first reading.
void RunSteps(int breakInStep, std::map<int, int>* shown = nullptr)
{
    bool bitten = false;
    QElapsedTimer wall;
    wall.start();
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        const auto all = MeasWin()->Series().All();
        const bool inStep = breakInStep > 0 && !all.empty() && all.back().step == breakInStep;
        if (shown && MeasWin()->Running && !all.empty() && all.back().step)
            shown->emplace(*all.back().step, MeasWin()->ChosenSetup().voltage);
        if (MeasWin()->Running && (inStep || wall.elapsed() > 10000)) {
            bitten = wall.elapsed() > 10000;
            MeasWin()->breakButton->click();
        }
    });
    look.start();
    MeasWin()->startButton->click();
    QVERIFY(!bitten);
}

}  // namespace

class MeasureStepsTest : public QObject {
    Q_OBJECT

private slots:
    void runsThePlan_data();
    void runsThePlan();
    void refusesAPlanBeforeSending();
    void filesTheStepTest();
    void meterLostInAStepEndsTheProgram();
};

void MeasureStepsTest::runsThePlan_data()
{
    QTest::addColumn<int>("breakInStep");
    QTest::addColumn<int>("stepsKept");
    QTest::newRow("both steps") << 0 << 2;
    QTest::newRow("Break in step 2") << 2 << 1;
}

void MeasureStepsTest::runsThePlan()
{
    QFETCH(int, breakInStep);
    QFETCH(int, stepsKept);
    QTemporaryDir dir;
    Program p(dir.path());
    MeasWin()->voltageChoice->SetItemIndex(3);  // 1000 V: none of the steps' voltages
    const int chosen = MeasWin()->ChosenSetup().voltage;
    std::map<int, int> shown;
    RunSteps(breakInStep, &shown);
    MeasurementWindow& w = *MeasWin();
    QVERIFY(!w.Running);
    // The setup group showed each step's voltage while it ran, and shows the window's own again.
    QCOMPARE(shown[1], 100);
    if (!breakInStep)
        QCOMPARE(shown[2], 500);
    QCOMPARE(chosen, 1000);
    QCOMPARE(w.ChosenSetup().voltage, chosen);
    QVERIFY(w.startButton->isEnabled() && w.backButton->isEnabled() && w.setupGroup->isEnabled());
    QVERIFY(w.LastSteps());
    const StepRunResult& run = *w.LastSteps();
    QCOMPARE(run.end, breakInStep ? StepEnd::Broken : StepEnd::Completed);
    QCOMPARE(run.result.steps.size(), size_t(stepsKept));

    // Every reading recorded with its step, in the file, the series and the plot alike.
    const QStringList lines = test::RecordingLines(dir.path());
    QVERIFY(lines.size() > 30);
    QVERIFY(lines[0].endsWith(QStringLiteral(",rest_s,step,simulated")));
    QCOMPARE(qsizetype(w.Series().Size()), lines.size() - 1);
    QCOMPARE(w.recordView->plot->Count(), lines.size() - 1);
    QVERIFY(lines[1].endsWith(QStringLiteral(",1,1")));
    QVERIFY(lines.last().endsWith(QStringLiteral(",2,1")));

    // The panel shows the core's figures, a row per planned step, and the verdict with its source.
    const StepPanel& panel = *w.recordView->steps;
    QVERIFY(panel.isVisibleTo(&w) && !w.recordView->figures->isVisibleTo(&w));
    QCOMPARE(panel.Cell(0, 3)->text(), QStringLiteral("R at 40 °C"));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(panel.Cell(i + 1, 1)->text(), QStringLiteral("%1 V").arg(i == 0 ? 100 : 500));
        const QString r = i < stepsKept ? OhmText(*run.result.steps[size_t(i)].ohm) : QStringLiteral("–");
        const QString r40 = i < stepsKept ? OhmText(*run.result.steps[size_t(i)].ohmAt40C) : QStringLiteral("–");
        QCOMPARE(panel.Cell(i + 1, 2)->text(), r);
        QCOMPARE(panel.Cell(i + 1, 3)->text(), r40);
    }
    const FigureVerdict verdict = StepVerdictText(run.result);
    QCOMPARE(panel.verdictLine->text(), QStringLiteral("Verdict: ") + verdict.text);
    QCOMPARE(panel.changeLine->text().endsWith(StepChangeText(run.result)), true);
    if (!breakInStep) {
        QCOMPARE(run.result.verdict, Verdict::MarkedFall);  // 10 % less per 100 V: -34 % from 100 to 500 V
        QCOMPARE(panel.sourceLine->text(), QStringLiteral("Source: ") + verdict.source);
    }

    // A marker where each finished step ended, and the voltage drawn as a step, not a slope.
    w.recordView->plot->Redraw();
    QCOMPARE(w.recordView->plot->StepEndMarkers().size(), size_t(stepsKept));
    const auto volts = w.recordView->plot->VoltageSeries()->points();
    bool stepped = false;
    for (qsizetype i = 1; i < volts.size(); ++i)
        stepped = stepped || (volts[i].x() == volts[i - 1].x() && volts[i - 1].y() < 200 && volts[i].y() > 400);
    QVERIFY(stepped);
}

void MeasureStepsTest::refusesAPlanBeforeSending()
{
    QTemporaryDir dir;
    Program p(dir.path());
    MeasWin()->stepSettings->voltBoxes[2]->setChecked(false);  // 100 V alone
    p.t.Take();
    MeasWin()->startButton->click();
    QVERIFY(!MeasWin()->Running);
    QCOMPARE(p.t.dialogs.Messages().size(), 1);
    QVERIFY2(p.t.dialogs.Messages()[0].contains(QStringLiteral("at least two steps")),
             qPrintable(p.t.dialogs.Messages()[0]));
    QCOMPARE(p.t.Take(), QStringList());
    QVERIFY(MeasWin()->startButton->isEnabled());
}

void MeasureStepsTest::filesTheStepTest()
{
    QTemporaryDir dir;
    Program p(dir.path());
    // Broken off in the third of three planned steps (not the default plan): the plan is filed whole.
    MeasWin()->stepSettings->voltBoxes[0]->setChecked(true);
    RunSteps(3);
    const StepRunResult run = *MeasWin()->LastSteps();
    const std::vector<DataRecord> series = MeasWin()->Series().All();
    QVERIFY(MeasWin()->fileTestButton->isEnabled());

    // The filing dialog gets an asset and is sent; a dialog still open after 5 s fails the test.
    QVERIFY(test::FileUnder(MeasWin()->fileTestButton, QStringLiteral("C-3")));

    const auto tests = p.w.History().TestsOf(QStringLiteral("C-3"));
    QCOMPARE(tests.size(), size_t(1));
    const auto filed = p.w.History().Test(tests[0].id);
    QVERIFY(filed && filed->steps);
    QCOMPARE(filed->kind, history::TestKind::StepVoltage);
    QCOMPARE(filed->volts, 100);
    QVERIFY(filed->simulated);
    QVERIFY(!filed->r60 && !filed->pi);  // no one-voltage figures across several voltages
    // The readings keep their steps, and the steps their figures, as the core gave them.
    QCOMPARE(filed->readings.size(), series.size());
    QCOMPARE(filed->readings.back().step, std::optional<int>(3));  // the reading of step 3 before Break
    const history::StepSummary& s = *filed->steps;
    QCOMPARE(s.stepSeconds, 30);
    QCOMPARE(s.steps.size(), size_t(2));
    for (size_t i = 0; i < 2; ++i) {
        QCOMPARE(s.steps[i].volts, run.result.steps[i].volts);
        QCOMPARE(*s.steps[i].ohm, *run.result.steps[i].ohm);
        QCOMPARE(*s.steps[i].ohmAt40C, *run.result.steps[i].ohmAt40C);
    }
    QCOMPARE(*s.changePercent, *run.result.changePercent);
    QCOMPARE(filed->verdictSource, StepVerdictText(run.result).source);

    // The history view: its kind and change in the row; no part in the resistance trend.
    const QStringList row = history_view::RowTexts(*filed, QString());
    QCOMPARE(row[history_view::ColKind], QStringLiteral("Step voltage (simulated)"));
    QCOMPARE(row[history_view::ColVerdicts], QStringLiteral("Step voltage: change %1 from 10 V to 100 V: %2")
                                                 .arg(StepChangeText(run.result), StepVerdictText(run.result).text));
    QVERIFY(!history_view::IsResistanceTest(*filed));
    // The filed test's report prints the plan and a row per planned step, the one not finished empty.
    const ReportContent report = history_view::StoredReport({}, *filed);
    QVERIFY(report.steps);
    QCOMPARE(report.steps->planLine, QStringLiteral("10, 100, 500 V, 30 s each"));
    QCOMPARE(report.steps->rows.size(), size_t(3));
    for (size_t i = 0; i < 2; ++i)
        QCOMPARE(report.steps->rows[i][2], OhmText(*run.result.steps[i].ohm));
    QCOMPARE(report.steps->rows[2], (QStringList{"3", "500 V", "–", "–"}));
    QCOMPARE(report.steps->changeLine, QStringLiteral("Change from 10 V to 100 V: ") + StepChangeText(run.result));
    const QString pdf = dir.filePath(QStringLiteral("steps.pdf"));
    QVERIFY(WriteReport(report, pdf, nullptr));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(10000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    // The voltage field names the steps whole in its half of the line; the step table adds their length.
    for (const char* printed : {"steps of 10, 100, 500 V ", "Step-voltage test: 10, 100, 500 V, 30 s each"})
        QVERIFY2(words.contains(QString::fromUtf8(printed)), qPrintable(words));
    QCOMPARE(report.steps->verdict.text, StepVerdictText(run.result).text);
    QCOMPARE(report.steps->verdict.source, StepVerdictText(run.result).source);

    // Every face of the history reads the steps from the same values.
    const auto values = history::ValuesOf({}, *filed);
    QCOMPARE(history::ValueOf(values, "step_verdict").text, StepVerdictText(run.result).text);
    // The exports give the change to a tenth of a percent, as the panel does.
    QCOMPARE(history::ValueOf(values, "step_change_pct").data.toDouble(), std::round(*run.result.changePercent * 10) / 10);
    QCOMPARE(history::ValueOf(values, "steps").text, QStringLiteral("10 V %1; 100 V %2")
                                                          .arg(history::BenchOhm(*run.result.steps[0].ohm),
                                                               history::BenchOhm(*run.result.steps[1].ohm)));
}

void MeasureStepsTest::meterLostInAStepEndsTheProgram()
{
    const test::ChildResult r = test::RunInChild([] {
        QTemporaryDir dir;
        Program p(dir.path());
        // Nothing may paint here: the raster engine's helper threads did not survive the fork.
        MainWin()->hide();
        MeasWin()->hide();
        p.t.dialogs.echo = true;
        p.t.sim->Inject(sim::Fault{.kind = sim::Fault::Fail, .at = 40, .command = 0, .code = kUsbErrorNoDevice});
        RunSteps(0);
    });
    QVERIFY(r.exited);
    QCOMPARE(r.status, test::ExitStatusOf(kUsbErrorNoDevice));
    QVERIFY2(r.output.find("title=[!! Error Nr.: -4 occurred ] "
                           "text=[Connection to the KRX 738 interrupted. Program is terminated.]") != std::string::npos,
             r.output.c_str());
}

QTEST_MAIN(MeasureStepsTest)
#include "test_measure_steps.moc"
