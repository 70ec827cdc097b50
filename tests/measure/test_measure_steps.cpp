// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's step-voltage test on the simulated meter and the virtual clock: its
// wiring to the core's test (the core itself is tested on its own), the table and the plot it
// fills, its recording, a plan it refuses and Break.
#include "app_windows.h"
#include "sim_fixture.h"

#include "history/history_store.h"
#include "history/test_values.h"
#include "ui/figure_table.h"
#include "ui/figures_panel.h"
#include "ui/history/file_test_dialog.h"
#include "ui/history/history_rows.h"
#include "ui/history/test_view.h"
#include "ui/main_window.h"
#include "ui/measurement/measurement_window.h"
#include "ui/measurement/step_settings.h"
#include "ui/reading_plot.h"
#include "ui/record_view.h"
#include "ui/step_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using krx::test::MainWin;
using krx::test::MeasWin;
using namespace krx;

namespace {

// The windows after Init in free-running mode with 100 and 500 V of 30 s ticked.
struct Program {
    explicit Program(const QString& folder)
        : t(Meter()), w({QStringLiteral("krx738")}, "[KRX 738]\nRecordingDirectory=" + folder.toUtf8() + '\n')
    {
        MainWin()->show();
        MainWin()->initButton->click();
        MainWin()->measuringButton->click();
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
    test::SimSetup t;
    test::AppWindows w;
};

// Start, and Break once `breakInStep` has its first reading (0: never); a run that does not end
// within 10 s of real time is broken and fails.
void RunSteps(int breakInStep)
{
    bool bitten = false;
    QElapsedTimer wall;
    wall.start();
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        const auto all = MeasWin()->Series().All();
        const bool inStep = breakInStep > 0 && !all.empty() && all.back().step == breakInStep;
        if (MeasWin()->Running && (inStep || wall.elapsed() > 10000)) {
            bitten = wall.elapsed() > 10000;
            MeasWin()->breakButton->click();
        }
    });
    look.start();
    MeasWin()->startButton->click();
    QVERIFY(!bitten);
}

QStringList LinesOf(const QString& folder)
{
    const QStringList files = QDir(folder).entryList(QDir::Files);
    if (files.size() != 1)
        return {};
    QFile f(QDir(folder).filePath(files[0]));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

class MeasureStepsTest : public QObject {
    Q_OBJECT

private slots:
    void runsThePlan_data();
    void runsThePlan();
    void refusesAPlanBeforeSending();
    void filesTheStepTest();
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
    RunSteps(breakInStep);
    MeasurementWindow& w = *MeasWin();
    QVERIFY(!w.Running);
    QVERIFY(w.startButton->isEnabled() && w.backButton->isEnabled() && w.setupGroup->isEnabled());
    QVERIFY(w.LastSteps());
    const StepRunResult& run = *w.LastSteps();
    QCOMPARE(run.end, breakInStep ? StepEnd::Broken : StepEnd::Completed);
    QCOMPARE(run.result.steps.size(), size_t(stepsKept));

    // Every reading recorded with its step, in the file, the series and the plot alike.
    const QStringList lines = LinesOf(dir.path());
    QVERIFY(lines.size() > 30);
    QVERIFY(lines[0].endsWith(QStringLiteral(",rest_s,step")));
    QCOMPARE(qsizetype(w.Series().Size()), lines.size() - 1);
    QCOMPARE(w.recordView->plot->Count(), lines.size() - 1);
    QVERIFY(lines[1].endsWith(QStringLiteral(",1")));
    QVERIFY(lines.last().endsWith(QStringLiteral(",2")));

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
    RunSteps(0);
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
    QCOMPARE(filed->volts, 500);
    QVERIFY(filed->simulated);
    QVERIFY(!filed->r60 && !filed->pi);  // no one-voltage figures across several voltages
    // The readings keep their steps, and the steps their figures, as the core gave them.
    QCOMPARE(filed->readings.size(), series.size());
    QCOMPARE(filed->readings.back().step, 2);
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
    QCOMPARE(row[history_view::ColVerdicts], QStringLiteral("change %1 from 100 V to 500 V: %2")
                                                 .arg(StepChangeText(run.result), StepVerdictText(run.result).text));
    QVERIFY(!history_view::IsResistanceTest(*filed));
    // The filed test's report prints the table the window showed.
    const ReportContent report = history_view::StoredReport({}, *filed, nullptr);
    QVERIFY(report.steps);
    QCOMPARE(report.steps->rows, MeasWin()->recordView->steps->Table().rows);
    QCOMPARE(report.steps->changeLine, MeasWin()->recordView->steps->Table().changeLine);
    QCOMPARE(report.steps->verdict.text, StepVerdictText(run.result).text);
    QCOMPARE(report.steps->verdict.source, StepVerdictText(run.result).source);

    // Every face of the history reads the steps from the same values.
    const auto values = history::ValuesOf({}, *filed);
    QCOMPARE(history::ValueOf(values, "step_verdict").text, StepVerdictText(run.result).text);
    QCOMPARE(history::ValueOf(values, "step_change_pct").data.toDouble(), *run.result.changePercent);
    QCOMPARE(history::ValueOf(values, "steps").text, QStringLiteral("100 V %1; 500 V %2")
                                                          .arg(history::BenchOhm(*run.result.steps[0].ohm),
                                                               history::BenchOhm(*run.result.steps[1].ohm)));
}

QTEST_MAIN(MeasureStepsTest)
#include "test_measure_steps.moc"
