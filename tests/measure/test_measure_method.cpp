// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's ESD and material tests on the simulated meter and the virtual clock: the
// wiring of the "Method" choice to the core's test (the core is tested on its own), the result in
// place of the insulation figures, its recording, and a request refused before anything is sent.
#include "measuring_program.h"

#include "history/history_store.h"
#include "ui/record/figures_panel.h"
#include "ui/main_window.h"
#include "ui/measurement/measurement_window.h"
#include "ui/measurement/method_settings.h"
#include "ui/record/method_result_view.h"
#include "ui/record/record_view.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using krx::test::MainWin;
using krx::test::MeasWin;
using namespace krx;

namespace {

sim::Scenario Item()
{
    sim::Scenario s = sim::Scenario::Default();
    s.stabiliseSeconds = 0.3;
    s.rAt10V = 2.1e6;
    s.rAt100V = 7.9e5;
    return s;
}

void Choose(QComboBox* box, const QString& data)
{
    const int i = box->findData(data);
    QVERIFY(i >= 0);
    box->setCurrentIndex(i);
}

}  // namespace

class MeasureMethodTest : public QObject {
    Q_OBJECT

private slots:
    void esdItemShowsItsPathVerdictAndConditions();
    void refusesARequestBeforeSending();
};

void MeasureMethodTest::esdItemShowsItsPathVerdictAndConditions()
{
    QTemporaryDir dir;
    test::MeasuringProgram p(Item(), dir.path());
    MeasurementWindow& w = *MeasWin();
    MethodSettings& m = *w.methodSettings;
    Choose(m.methodChoice, QStringLiteral("esd"));
    Choose(m.limitsChoice, QStringLiteral("iec-61340-5-1-2016"));
    m.kindChoice->setCurrentText(QStringLiteral("worksurface"));
    m.conditioningField->setText(QStringLiteral("48"));
    p.t.Take();
    QTimer watchdog;  // a run that does not end breaks and fails
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] { w.breakButton->click(); });
    watchdog.start(10000);
    w.startButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running, 12000);
    QVERIFY(watchdog.isActive());
    QVERIFY(w.startButton->isEnabled() && w.backButton->isEnabled() && w.setupGroup->isEnabled());
    QVERIFY(m.methodChoice->isEnabled());

    QVERIFY(w.LastMethodResult());
    const MethodResultView& v = *w.recordView->method;
    QVERIFY(v.isVisibleTo(&w));
    QVERIFY(!w.recordView->figures->isVisibleTo(&w));
    QCOMPARE(v.path->text(), QStringLiteral("10 V: 2.10 MΩ at 5 s (1 MΩ or more) → 100 V: 790 kΩ at 15 s"));
    QCOMPARE(v.verdict->text(), QStringLiteral("Rtg 7.9×10^5 Ω < 1.0×10^9 Ω: meets IEC 61340-5-1:2016, worksurface, "
                                               "compliance verification"));
    QCOMPARE(v.source->text(), QStringLiteral("IEC 61340-5-1:2016, compliance verification"));
    QCOMPARE(v.conditions->text(), QStringLiteral("22.5 °C, 45 % RH; conditioned 48 h"));
    // The window's own setup (500 V manual) is what the meter holds at the end.
    QCOMPARE(p.t.meter().Setup0(), 0x08);
    QVERIFY(p.t.Take().join('\n').contains(QStringLiteral("OUT 53 [04 00]")));

    // Every reading recorded with its phase, and the simulated meter's mark after it.
    const QStringList lines = test::RecordingLines(dir.path());
    QVERIFY(lines.size() > 2);
    QVERIFY(lines[1].endsWith(QStringLiteral(",1,1")));
    QVERIFY(lines.last().endsWith(QStringLiteral(",2,1")));

    // Filed with its method's result and the conditioning typed, nothing of a winding's figures.
    QVERIFY(test::FileUnder(w.fileTestButton, QStringLiteral("WS-4")));
    history::HistoryStore& store = p.w.History();
    const auto tests = store.TestsOf(QStringLiteral("WS-4"));
    QCOMPARE(tests.size(), size_t(1));
    const history::TestRecord& filed = tests[0];
    QCOMPARE(filed.kind, history::TestKind::Method);
    QVERIFY(filed.method && filed.method->result);
    QCOMPARE(filed.method->request.method, Method::Esd);
    QCOMPARE(filed.method->request.itemKind, QStringLiteral("worksurface"));
    QCOMPARE(filed.method->request.conditioningHours, std::optional<double>(48.0));
    QCOMPARE(filed.method->path.size(), size_t(2));
    QCOMPARE(filed.method->path[0].value.ohm, std::optional<double>(2.1e6));
    QCOMPARE(filed.method->result->value.ohm, std::optional<double>(7.9e5));
    QCOMPARE(filed.method->verdict.source, QStringLiteral("IEC 61340-5-1:2016, compliance verification"));
    QVERIFY(!filed.pi && !filed.dar && filed.piVerdict.isEmpty());
    QCOMPARE(store.FindAsset(QStringLiteral("WS-4"))->kind, QStringLiteral("worksurface"));

    // Insulation again: the figures come back at the next Start.
    Choose(m.methodChoice, QStringLiteral("insulation"));
    QVERIFY(!m.Chosen());
}

void MeasureMethodTest::refusesARequestBeforeSending()
{
    QTemporaryDir dir;
    test::MeasuringProgram p(Item(), dir.path());
    MeasurementWindow& w = *MeasWin();
    MethodSettings& m = *w.methodSettings;
    Choose(m.methodChoice, QStringLiteral("surface"));
    m.d1Field->setText(QStringLiteral("57.15"));
    m.d2Field->setText(QStringLiteral("30.48"));
    p.t.Take();
    w.startButton->click();
    QVERIFY(!w.Running);
    QVERIFY(p.t.Take().isEmpty());
    QCOMPARE(p.t.dialogs.Messages().size(), 1);
    QVERIFY(p.t.dialogs.Messages()[0].contains(QStringLiteral("D2 (the ring's inner diameter) must be larger than D1")));
}

QTEST_MAIN(MeasureMethodTest)
#include "test_measure_method.moc"
