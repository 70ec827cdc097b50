// SPDX-License-Identifier: GPL-3.0-or-later
// The history view over a seeded SQLite store: what it lists and marks, the rule's boundaries, and
// its three exports through the scripted dialogs, failures included.
#include "scripted_dialogs.h"

#include "ui/history/history_window.h"
#include "ui/history/test_view.h"
#include "ui/record/reading_plot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLegendMarker>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QXYSeries>
#include <QtTest>

#include <cmath>
#include <optional>

using namespace krx;
using namespace krx::history_view;
using history::TestKind;
using history::TestRecord;

namespace {

const QString kOdd = QStringLiteral("M-7 \"fan\"; 😀");

TestRecord Test(const QString& asset, int month, int volts, double temperature, double r60At40,
                TestKind kind = TestKind::Timer)
{
    TestRecord t;
    t.assetId = asset;
    t.kind = kind;
    t.time = QDateTime(QDate(2023, month, 1), QTime(9, 0), QTimeZone(3600));
    t.volts = volts;
    t.temperature = temperature;
    t.r60 = r60At40 / 2;
    t.r60At40 = r60At40;
    // A PI and a DAR of its own for each month.
    t.pi = 2.0 + month / 10.0;
    t.dar = 1.0 + month / 20.0;
    return t;
}

QByteArray Read(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The heights of a line's points, left to right; nullopt when the chart has no such line.
std::optional<QList<double>> HeightsOf(QChartView* view, const QString& name)
{
    for (QAbstractSeries* s : view->chart()->series())
        if (auto* xy = qobject_cast<QXYSeries*>(s); xy && s->name() == name) {
            QList<double> y;
            for (const QPointF& p : xy->points())
                y << p.y();
            return y;
        }
    return std::nullopt;
}

int PointsOf(QChartView* view, const QString& name)
{
    const auto heights = HeightsOf(view, name);
    return heights ? static_cast<int>(heights->size()) : -1;
}

}  // namespace

class HistoryViewTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    history::HistoryStore store;

private slots:
    void initTestCase()
    {
        QVERIFY(store.Open(QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("h.sqlite")), dir.path()));
        QVERIFY(store.SaveAsset({kOdd, QStringLiteral("Fan motor"), QStringLiteral("Hall 2"),
                                 QStringLiteral("motor"), QStringLiteral("F"), {}, {}, {}}));
        // The median is 21 °C: 31.0 and 11.0 are exactly 10 °C away, 10.9 just over.
        const double temps[] = {20, 21, 22, 31, 30, 10.9, 11.0};
        for (int i = 0; i < 7; ++i)
            store.FileTest(Test(kOdd, i + 1, i == 3 ? 500 : 1000, temps[i], 1e10 * (7 - i)));
        // A break-down test at its own voltage: neither marked nor counted in the usual conditions.
        TestRecord breakDown = Test(kOdd, 9, 5000, 60, 0, TestKind::BreakDown);
        breakDown.r60.reset();
        breakDown.r60At40.reset();
        breakDown.pi.reset();
        breakDown.dar.reset();
        breakDown.breakDown = history::BreakDownFigures{5000, 120e6, 80e6, 0, 0, 0, false, 42};
        store.FileTest(breakDown);
        store.FileTest(Test(QStringLiteral("other"), 1, 250, 20, 1e9));
        // A step-voltage test: its change on a line of its own, never in the resistance line.
        TestRecord steps = Test(QStringLiteral("other"), 2, 1000, 20, 0, TestKind::StepVoltage);
        steps.r60.reset(), steps.r60At40.reset(), steps.pi.reset(), steps.dar.reset();
        steps.steps = history::StepSummary{60, {}, -31.5, {}, QStringLiteral("-31.5 %"), QStringLiteral("falls")};
        store.FileTest(steps);
    }

    void rule()
    {
        // A tie between voltages goes to the one used last; no voltage or temperature is never marked.
        const auto tie = UsualOf({{500, 20.0}, {1000, 20.0}, {1000, 21.0}, {500, {}}, {0, {}}});
        QCOMPARE(tie.volts, 500);
        QCOMPARE(*tie.medianTemperatureC, 20.0);
        QVERIFY(!MarkOf({0, std::nullopt}, tie).Marked());
        QVERIFY(MarkOf({1000, 20.0}, tie).otherVoltage);
        QVERIFY(!MarkOf({500, 30.0}, tie).farTemperature);
        QVERIFY(MarkOf({500, 30.01}, tie).farTemperature);
        QVERIFY(MarkOf({500, 9.99}, tie).farTemperature);
        QVERIFY(!UsualOf({}).medianTemperatureC);
        // An id never leads an offered file name out of the chosen folder.
        QCOMPARE(SuggestedFileName(QStringLiteral("../a/b:c"), QStringLiteral("csv")),
                 QStringLiteral("asset.._a_b_c_history.csv"));
        QCOMPARE(SuggestedFileName(QStringLiteral("M-7 \"fan\"; 😀"), QStringLiteral("pdf")),
                 QStringLiteral("M-7 _fan_; 😀_history.pdf"));
    }

    void showsTheStore()
    {
        test::ScriptedDialogs dialogs;
        HistoryWindow w(store, dialogs);
        auto* list = w.findChild<QListWidget*>(QStringLiteral("assetList"));
        QCOMPARE(list->count(), 2);
        QVERIFY(w.SelectAsset(kOdd));
        QCOMPARE(list->currentItem()->text(), kOdd + QStringLiteral(" (8)"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("assetDetails"))->text(),
                 kOdd + QStringLiteral(" – Fan motor (Hall 2, rotating machine, class F)"));

        auto* table = w.findChild<QTableWidget*>(QStringLiteral("testTable"));
        QCOMPARE(table->rowCount(), 8);
        QCOMPARE(table->item(0, ColR60At40)->text(), QStringLiteral("70 GΩ"));
        QVERIFY(!table->isColumnHidden(ColPi));
        QCOMPARE(table->item(0, ColVoltage)->text(), QStringLiteral("1000 V"));
        QStringList marks;
        for (int row = 0; row < 8; ++row)
            marks << table->item(row, ColMark)->text();
        QCOMPARE(marks, (QStringList{{}, {}, {}, QStringLiteral("tested at 500 V, usually 1000 V"), {},
                                     QStringLiteral("10.9 °C, 10.1 °C from the usual 21.0 °C"), {}, {}}));
        QVERIFY(table->item(0, ColDate)->background() != table->item(3, ColDate)->background());
        QCOMPARE(table->item(3, ColDate)->toolTip(), marks[3]);

        // The break-down test's results in its row.
        QCOMPARE(table->item(7, ColReading)->text(),
                 QStringLiteral("BD 5000 V, before 120 MΩ, after 80 MΩ, timer 42 s"));
        QCOMPARE(table->item(0, ColReading)->text(), QString());

        // One line per voltage, each named in the legend; the break-down test is on none of them.
        auto* chart = w.findChild<QChartView*>(QStringLiteral("trendChart"));
        // Each point at the fixture's own value: the tests of months 1 to 7 but the 4th at 500 V.
        QList<double> r40, pi, dar;
        for (const int month : {1, 2, 3, 5, 6, 7}) {
            r40 << std::log10(1e10 * (8 - month));
            pi << 2.0 + month / 10.0;
            dar << 1.0 + month / 20.0;
        }
        QCOMPARE(HeightsOf(chart, SeriesName(kSeriesR40, 1000)).value_or(QList<double>{}), r40);
        QCOMPARE(HeightsOf(chart, SeriesName(kSeriesPi, 1000)).value_or(QList<double>{}), pi);
        QCOMPARE(HeightsOf(chart, SeriesName(kSeriesDar, 1000)).value_or(QList<double>{}), dar);
        QCOMPARE(HeightsOf(chart, SeriesName(kSeriesR40, 500)).value_or(QList<double>{}), QList<double>{std::log10(4e10)});
        QCOMPARE(PointsOf(chart, SeriesName(kSeriesR40, 5000)), -1);
        QCOMPARE(PointsOf(chart, QString::fromUtf8(kSeriesMarked)), 2);
        QStringList legend;
        for (QLegendMarker* m : chart->chart()->legend()->markers())
            if (m->isVisible())
                legend << m->label();
        QVERIFY(legend.contains(SeriesName(kSeriesR40, 500)) && legend.contains(SeriesName(kSeriesR40, 1000)));
        // The note on marks only where a test is marked.
        auto* rule = w.findChild<QLabel*>(QStringLiteral("markRule"));
        QVERIFY(!rule->isHidden());
        QVERIFY(w.SelectAsset(QStringLiteral("other")));
        QVERIFY(rule->isHidden());
        QCOMPARE(HeightsOf(chart, QString::fromUtf8(kSeriesStepChange)).value_or(QList<double>{}), QList<double>{-31.5});
        QCOMPARE(PointsOf(chart, QString::fromUtf8(kSeriesStepLimit)), 2);
        QCOMPARE(PointsOf(chart, SeriesName(kSeriesR40, 250)), 1);
        QCOMPARE(PointsOf(chart, SeriesName(kSeriesR40, 1000)), -1);
        QVERIFY(w.SelectAsset(kOdd));

        w.findChild<QLineEdit*>(QStringLiteral("assetSearch"))->setText(QStringLiteral("hall 2"));
        QVERIFY(!list->item(0)->isHidden() || !list->item(1)->isHidden());
        QCOMPARE(list->item(0)->isHidden() + list->item(1)->isHidden(), 1);
    }

    void opensATest()
    {
        // A filed test with its readings, opened by Return on its row: curve, stored verdicts, and
        // the report states what was filed: the simulated meter, the nameplate, each verdict with
        // its own source.
        TestRecord t = Test(QStringLiteral("open"), 2, 500, 20, 4e10);
        t.operatorName = QStringLiteral("A. Tester");
        t.piVerdict = QStringLiteral("stored verdict");
        t.verdictSource = QStringLiteral("a source");
        t.irVerdict = QStringLiteral("meets the minimum of 100 MΩ");
        t.irSource = QStringLiteral("ir-rule");
        t.piSource = QStringLiteral("pi-rule");
        t.sourcesApart = true;
        t.nameplate = krx::Nameplate{AssetKind::Machine, 6600.0, WindingType::Form, InsulationClass::F};
        t.simulated = true;
        for (int i = 0; i < 80; ++i) {
            DataRecord r;
            r.time = t.time.addSecs(i);
            r.elapsedSeconds = i;
            r.resistanceOhm = 1e9 + i * 1e7;
            r.volts = 500;
            r.stable = i >= 2;
            t.readings.push_back(r);
        }
        QVERIFY(store.SaveAsset({QStringLiteral("open"), QStringLiteral("Pump"), QStringLiteral("Yard"), {}, {}}));
        QVERIFY(store.FileTest(t).status == history::FileResult::Filed);
        test::ScriptedDialogs dialogs;
        HistoryWindow w(store, dialogs);
        QVERIFY(w.SelectAsset(QStringLiteral("open")));
        auto* table = w.findChild<QTableWidget*>(QStringLiteral("testTable"));
        w.show();
        table->setCurrentCell(0, 0);
        QTest::keyClick(table, Qt::Key_Return);
        auto* view = w.findChild<TestView*>();
        QVERIFY(view && view->isVisible());
        QCOMPARE(view->plot->Count(), 80);
        QCOMPARE(StoredFigureTable(t).pi.text, QStringLiteral("stored verdict"));

        const QString pdf = dir.filePath(QStringLiteral("test.pdf"));
        dialogs.saves = {pdf};
        view->reportButton->click();
        QCOMPARE(dialogs.shown.back().text, QStringLiteral("The report was saved as \"%1\".").arg(pdf));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(10000));
        const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const char* expected :
             {"Asset open – Pump", "Site, location Yard", "Operator A. Tester", "SIMULATED METER – NOT A MEASUREMENT",
              "Nameplate: rotating machine, 6600 V, form-wound, built after about 1970, class F",
              "Minimum IR: meets the minimum of 100 MΩ Source: ir-rule",
              "PI: stored verdict Source: pi-rule DAR: none"})
            QVERIFY2(words.contains(QString::fromUtf8(expected)), qPrintable(expected + QStringLiteral(" in ") + words));
        // The report's plot at a page's proportions, whatever the view's: its legend whole.
        QVERIFY(!words.contains(QStringLiteral("Resista…")));

        // The asset's history of one test: said in the singular, no rule for marks when nothing
        // is marked, and each verdict's own source listed once.
        const QString history = dir.filePath(QStringLiteral("history.pdf"));
        dialogs.saves = {history};
        QVERIFY(w.ExportPdf());
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), history, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(10000));
        const QString listed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const char* expected : {"1 test,", "[1] ir-rule [2] pi-rule"})
            QVERIFY2(listed.contains(QString::fromUtf8(expected)), qPrintable(expected + QStringLiteral(" in ") + listed));
        QVERIFY2(!listed.contains(QStringLiteral("Marked:")), qPrintable(listed));
    }

    void aMethodTestInTheTableTrendViewAndReports()
    {
        // Two worksurface tests by the 10 V → 100 V rule, each with its own numbers.
        const auto esd = [](int month, double at10, double at100, const char* verdict) {
            TestRecord t;
            t.assetId = QStringLiteral("bench-2");
            t.kind = TestKind::Method;
            t.time = QDateTime(QDate(2024, month, 3), QTime(8, 0), QTimeZone(3600));
            t.volts = 100;
            t.temperature = 21.5;
            t.humidity = 38;
            MethodResult m;
            m.request.method = Method::Esd;
            m.request.itemKind = QStringLiteral("worksurface");
            m.request.limitSet = QStringLiteral("iec-61340-5-1-2016");
            m.request.conditioningHours = 30;
            m.path = {{10, 5, {RangeState::InRange, at10}, 21.25, 37}, {100, 15, {RangeState::InRange, at100}, 21.5, 38}};
            m.complete = true;
            m.result = m.path.back();
            m.verdict = {Outcome::Meets, QString::fromUtf8(verdict), QStringLiteral("esd-source"),
                         QStringLiteral("worksurface, Rtg < 1.0×10^9 Ω"), std::nullopt, 1.0e9};
            t.method = m;
            return t;
        };
        QVERIFY(store.FileTest(esd(4, 4.4e6, 3.2e8, "Rtg meets, April")).status == history::FileResult::Filed);
        QVERIFY(store.FileTest(esd(5, 7.7e6, 6.1e8, "Rtg meets, May")).status == history::FileResult::Filed);
        test::ScriptedDialogs dialogs;
        HistoryWindow w(store, dialogs);
        QVERIFY(w.SelectAsset(QStringLiteral("bench-2")));
        // A new asset of such a test is of the item's kind.
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("assetDetails"))->text(), QStringLiteral("bench-2 (worksurface)"));
        auto* table = w.findChild<QTableWidget*>(QStringLiteral("testTable"));
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, ColKind)->text(), QStringLiteral("ESD-control item"));
        QCOMPARE(table->item(0, ColReading)->text(),
                 QStringLiteral("10 V: 4.40 MΩ at 5 s (1 MΩ or more) → 100 V: 320 MΩ at 15 s; conditioned 30 h"));
        QCOMPARE(table->item(1, ColVerdicts)->text(), QStringLiteral("Rtg: Rtg meets, May [1]"));
        for (int col : {ColR60, ColR60At40, ColDar, ColPi})
            QVERIFY(table->item(0, col)->text().isEmpty() && table->isColumnHidden(col));
        // The trend: the results on the resistance axis with the limit row's bound beside them.
        auto* chart = w.findChild<QChartView*>(QStringLiteral("trendChart"));
        QCOMPARE(HeightsOf(chart, QStringLiteral("Rtg, worksurface")).value_or(QList<double>{}),
                 (QList<double>{std::log10(3.2e8), std::log10(6.1e8)}));
        QCOMPARE(HeightsOf(chart, LimitSeriesName(QStringLiteral("Rtg, worksurface"))).value_or(QList<double>{}),
                 (QList<double>{9.0, 9.0}));

        w.show();
        table->setCurrentCell(1, 0);
        QTest::keyClick(table, Qt::Key_Return);
        auto* view = w.findChild<TestView*>();
        QVERIFY(view && view->isVisible());
        QStringList shown;
        for (QLabel* l : view->findChildren<QLabel*>())
            shown << l->text();
        const QString all = shown.join(QLatin1Char('|'));
        for (const char* expected : {"ESD-control item", "worksurface", "worksurface, Rtg < 1.0×10^9 Ω",
                                     "21.5 °C, 38 % RH", "Rtg meets, May\nSource: esd-source", "610 MΩ"})
            QVERIFY2(all.contains(QString::fromUtf8(expected)), qPrintable(expected + QStringLiteral(" in ") + all));
        for (const char* never : {"PI", "DAR", "Nameplate", "R 1 min"})
            QVERIFY2(!shown.contains(QString::fromLatin1(never)), never);

        const QString pdf = dir.filePath(QStringLiteral("esd.pdf"));
        dialogs.saves = {pdf};
        view->reportButton->click();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(10000));
        const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const char* expected : {"ESD-control item, Rtg, worksurface", "Rtg meets, May", "esd-source",
                                     "7.70 MΩ at 5 s"})
            QVERIFY2(words.contains(QString::fromUtf8(expected)), qPrintable(expected + QStringLiteral(" in ") + words));
        QVERIFY2(!words.contains(QStringLiteral("DAR")) && !words.contains(QStringLiteral("Corrected from")),
                 qPrintable(words));

        const QString history = dir.filePath(QStringLiteral("esd-history.pdf"));
        dialogs.saves = {history};
        QVERIFY(w.ExportPdf());
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), history, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(10000));
        const QString listed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const char* expected : {"ESD and material test history", "2 tests,", "Rtg meets, April", "[1] esd-source"})
            QVERIFY2(listed.contains(QString::fromUtf8(expected)), qPrintable(expected + QStringLiteral(" in ") + listed));
        QVERIFY2(!listed.contains(QStringLiteral("40 °C")) && !listed.contains(QStringLiteral("PI")), qPrintable(listed));
    }

    void exports()
    {
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        HistoryWindow w(store, dialogs);
        QVERIFY(w.SelectAsset(kOdd));
        const QString data = dir.filePath(QStringLiteral("data.csv"));
        const QString sheet = dir.filePath(QStringLiteral("sheet.csv"));
        dialogs.saves = {data, sheet};
        QVERIFY(w.ExportCsv(history::ExportFormat::Csv));
        QVERIFY(w.ExportCsv(history::ExportFormat::Spreadsheet));
        QCOMPARE(Read(data), *store.ExportHistory(kOdd, history::ExportFormat::Csv));
        QCOMPARE(Read(sheet), *store.ExportHistory(kOdd, history::ExportFormat::Spreadsheet));
        QCOMPARE(dialogs.shown[0].save.defaultSuffix, QStringLiteral("csv"));
        // The emoji of the id cannot go into Windows-1252: the user is told.
        QVERIFY(!dialogs.shown[1].text.contains(QStringLiteral("written as")));
        QVERIFY(dialogs.shown[3].text.endsWith(QStringLiteral("written as \"?\": 😀")));

        // Replacing a file is asked for; cancelled, the earlier file stays.
        dialogs.shown.clear();
        dialogs.saves = {data};
        dialogs.answers = {Answer::Cancel};
        QVERIFY(!w.ExportCsv(history::ExportFormat::Spreadsheet));
        QCOMPARE(Read(data), *store.ExportHistory(kOdd, history::ExportFormat::Csv));
        QCOMPARE(dialogs.shown.back().buttons, Buttons::OkCancelDefaultCancel);

        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        dialogs.saves = {pdf};
        QVERIFY(w.ExportPdf());
        const QByteArray bytes = Read(pdf);
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        const auto pages = QRegularExpression(QStringLiteral("/Count (\\d+)")).match(QString::fromLatin1(bytes));
        QCOMPARE(pages.captured(1), QStringLiteral("1"));
    }

    void failedWritesAreNoSuccess()
    {
        test::ScriptedDialogs dialogs;
        dialogs.echo = false;
        HistoryWindow w(store, dialogs);
        QVERIFY(w.SelectAsset(kOdd));
        // A path below a plain file fails for every user, root included.
        const QString plain = dir.filePath(QStringLiteral("plain"));
        QVERIFY(QFile(plain).open(QIODevice::WriteOnly));
        const QString folder = dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkdir(folder));
        dialogs.saves = {plain + QStringLiteral("/x.csv"), folder, std::nullopt};
        dialogs.answers = {Answer::Ok};  // yes, replace "folder"
        QVERIFY(!w.ExportCsv(history::ExportFormat::Csv));
        QVERIFY(!w.ExportPdf());
        QVERIFY(!w.ExportCsv(history::ExportFormat::Csv));  // cancelled: no box at all
        QStringList errors;
        for (const auto& box : dialogs.shown) {
            if (box.kind == test::ShownBox::Error)
                errors << box.text;
            QVERIFY(box.kind != test::ShownBox::Message || box.icon == Icon::Question);
        }
        QCOMPARE(errors.size(), 2);
        QVERIFY(errors[0].startsWith(QStringLiteral("Could not write \"") + plain));
        QVERIFY(errors[0].endsWith(QStringLiteral("The history was not exported.")));
        QVERIFY(errors[1].endsWith(QStringLiteral("The report was not saved.")));
        QVERIFY(QFileInfo(folder).isDir());
    }

    void closedStore()
    {
        history::HistoryStore closed;
        const QString plain = dir.filePath(QStringLiteral("plain2"));
        QVERIFY(QFile(plain).open(QIODevice::WriteOnly));
        QVERIFY(!closed.Open(QStringLiteral("sqlite:") + plain + QStringLiteral("/h.sqlite"), plain));
        test::ScriptedDialogs dialogs;
        HistoryWindow w(closed, dialogs);
        QVERIFY(w.findChild<QLabel*>(QStringLiteral("historyStatus"))
                    ->text()
                    .startsWith(QStringLiteral("The history database cannot be opened: ")));
        QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("exportPdf"))->isEnabled());
        QVERIFY(!w.ExportCsv(history::ExportFormat::Csv));
        QVERIFY(dialogs.shown.empty());
    }
};

QTEST_MAIN(HistoryViewTest)
#include "test_history_view.moc"
