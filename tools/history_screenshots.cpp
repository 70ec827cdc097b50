// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the history view and the filing dialog over a store seeded with simulated years of tests,
// and the page of its history report: krx738_history_screenshots OUTPUT_FOLDER.

#include "core/language.h"
#include "picture_output.h"
#include "core/dialogs.h"
#include "core/judging/insulation.h"
#include "core/judging/step_figures.h"
#include "history/history_store.h"
#include "ui/history/file_test_dialog.h"
#include "ui/history/history_report.h"
#include "ui/history/history_window.h"
#include "ui/history/test_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeZone>

#include <cmath>
#include <cstdio>

using namespace krx;
using krx::history::Asset;
using krx::history::TestKind;
using krx::history::TestRecord;

namespace {

using krx::pictures::Save;

void File(history::HistoryStore& store, const TestRecord& test)
{
    const auto r = store.FileTest(test);
    if (r.status != history::FileResult::Filed) {
        std::fprintf(stderr, "cannot file a test: %s\n", qPrintable(r.message));
        krx::pictures::CountFailure();
    }
}

TestRecord WorksurfaceTest(int half);

// A 10-minute timer test whose insulation ages: PI and the corrected resistance fall over the
// years, with the seasons' temperatures in the raw values.
TestRecord Quarterly(const QString& assetId, int quarter, int volts, double temperature)
{
    const QDateTime start(QDate(2022, 2, 10).addMonths(3 * quarter), QTime(9, 30), QTimeZone(3600));
    const double age = quarter / 16.0;
    TestRecord t;
    t.assetId = assetId;
    t.kind = TestKind::Timer;
    t.time = start;
    t.volts = volts;
    t.durationSeconds = 600;
    t.temperature = temperature;
    t.humidity = 40 + 3 * (quarter % 4);
    const double r40 = 60e9 * std::pow(0.3, age) * (volts == 1000 ? 1.0 : 1.35);
    t.r60 = r40 * std::pow(2.0, (40.0 - temperature) / 10.0);
    t.r60At40 = r40;
    t.pi = 3.6 - 1.4 * age + 0.08 * std::sin(quarter * 1.7);
    t.dar = 1.72 - 0.35 * age + 0.03 * std::cos(quarter * 1.3);
    t.r15 = *t.r60 / (*t.dar * 1.1);
    t.r30 = *t.r60 / *t.dar;
    t.r600 = *t.r60 * *t.pi;
    t.r600At40 = r40 * *t.pi;
    t.correctionTemperature = temperature;
    t.piVerdict = *t.pi >= 2.0 ? QStringLiteral("pass") : QStringLiteral("below 2.0");
    t.darVerdict = *t.dar > 1.6 ? QStringLiteral("excellent") : QStringLiteral("good");
    t.verdictSource = QStringLiteral("IEEE 43-2013, class F");
    t.operatorName = quarter % 3 ? QStringLiteral("JD") : QStringLiteral("AT");
    t.meterSerial = QStringLiteral("SIM0001");
    return t;
}

void Seed(history::HistoryStore& store)
{
    const QString motor = QStringLiteral("M-104 \"kiln fan\"");
    store.SaveAsset({motor, QStringLiteral("Kiln exhaust fan motor, 250 kW"), QStringLiteral("Hall 2; bay 4"),
                     QStringLiteral("motor"), QStringLiteral("F"),
                     QStringLiteral("machine"), 400.0, QStringLiteral("random")});
    const double seasons[] = {12, 19, 26, 17};
    for (int q = 0; q < 16; ++q) {
        int volts = 1000;
        double temperature = seasons[q % 4] + 0.5 * (q % 3);
        if (q == 6)
            volts = 500;  // the 1000 V lead was at the calibration lab
        if (q == 11)
            temperature = 38;  // tested straight after a run
        TestRecord t = Quarterly(motor, q, volts, temperature);
        if (q == 6)
            t.comment = QStringLiteral("500 V only; lead at calibration");
        if (q == 11)
            t.comment = QStringLiteral("warm: measured 20 min after stop");
        if (q == 15)
            t.comment = QStringLiteral("PI down; plan cleaning & re-varnish 🛠");
        File(store, t);
    }
    // Step-voltage tests in the last years: the fall grows as the winding takes up moisture.
    for (auto [q, change] : {std::pair{12, -8.5}, std::pair{15, -28.0}}) {
        TestRecord t;
        t.assetId = motor;
        t.kind = TestKind::StepVoltage;
        t.time = QDateTime(QDate(2022, 2, 24).addMonths(3 * q), QTime(10, 15), QTimeZone(3600));
        t.volts = 1000, t.durationSeconds = 180, t.temperature = seasons[q % 4];
        history::StepSummary steps;
        steps.stepSeconds = 60;
        steps.changePercent = change;
        steps.changeText = QStringLiteral("%1 %").arg(change, 0, 'f', 1);
        StepResult result;
        result.steps.resize(2);
        result.steps[0].volts = 100, result.steps[1].volts = 1000;
        result.verdict = change < -kStepFallLimitPercent ? Verdict::MarkedFall : Verdict::NoMarkedFall;
        const FigureVerdict v = StepVerdictText(result);
        steps.verdict = v.text;
        t.verdictSource = v.source;
        t.steps = steps;
        t.meterSerial = QStringLiteral("SIM0001");
        File(store, t);
    }
    store.SaveAsset({QStringLiteral("C-17;feeder"), QStringLiteral("Feeder cable"), QStringLiteral("Substation B"),
                     QStringLiteral("cable"), QString(), QStringLiteral("cable"), {}, {}});
    for (int q = 0; q < 5; ++q)
        File(store, Quarterly(QStringLiteral("C-17;feeder"), q * 2, 2500, 15));
    store.SaveAsset({QStringLiteral("T-3"), QStringLiteral("Distribution transformer"), QStringLiteral("Yard"),
                     QStringLiteral("transformer"), QStringLiteral("A"),
                     QStringLiteral("transformer"), {}, {}});
    File(store, Quarterly(QStringLiteral("T-3"), 3, 5000, 22));
    for (int half = 0; half < 6; ++half)
        File(store, WorksurfaceTest(half));
}

// A worksurface to ground each half year by the 10 V → 100 V rule, judged by IEC 61340-5-1:2016: the
// mat wears and its resistance climbs towards the limit.
TestRecord WorksurfaceTest(int half)
{
    TestRecord t;
    t.assetId = QStringLiteral("WS-12 bench mat");
    t.kind = TestKind::Method;
    t.time = QDateTime(QDate(2023, 1, 16).addMonths(6 * half), QTime(8, 40), QTimeZone(3600));
    t.volts = 100;
    t.temperature = 21.5 + half % 2;
    t.humidity = 34 + 4 * (half % 3);
    const double at100 = 4.0e7 * std::pow(2.2, half);
    MethodResult m;
    m.request.method = Method::Esd;
    m.request.itemKind = QStringLiteral("worksurface");
    m.request.limitSet = QStringLiteral("iec-61340-5-1-2016");
    m.request.conditioningHours = 48;
    m.path = {{10, 5, {RangeState::InRange, at100 * 1.6}, *t.temperature, static_cast<int>(*t.humidity)},
              {100, 15, {RangeState::InRange, at100}, *t.temperature, static_cast<int>(*t.humidity)}};
    m.complete = true;
    m.result = m.path.back();
    const LimitLibrary limits = LoadLimitLibrary({});
    m.verdict = JudgeByLimits(m, limits);
    t.method = m;
    t.verdictSource = m.verdict.source;
    t.operatorName = QStringLiteral("ESD coordinator");
    t.simulated = true;
    return t;
}

// The report's page as the PDF holds it, drawn at 100 dpi.
void SaveReportPage(const history_view::AssetHistory& history, const QString& folder)
{
    const double dpi = 100;
    QImage page(qRound(210 / 25.4 * dpi), qRound(297 / 25.4 * dpi), QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(dpi / 0.0254));
    page.setDotsPerMeterY(qRound(dpi / 0.0254));
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        const double margin = 15 / 25.4 * dpi;
        history_view::PaintHistoryReport(painter, QRectF(page.rect()).adjusted(margin, margin, -margin, -margin), dpi,
                                         history);
    }
    const QString path = folder + QStringLiteral("/history_report.png");
    if (!page.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        krx::pictures::CountFailure();
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The desktop's language, as the program takes it: LANG=de_DE.UTF-8 gives the German set.
    krx::UseLanguage(krx::ChosenLanguage({}, {}, krx::LanguageEnvironment::FromProcess()));
    if (argc < 2) {
        std::fprintf(stderr, "usage: krx738_history_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QTemporaryDir dataDir;
    history::HistoryStore store;
    if (!store.Open(QStringLiteral("sqlite:") + dataDir.filePath(QStringLiteral("history.sqlite")), dataDir.path())) {
        std::fprintf(stderr, "cannot open the store: %s\n", qPrintable(store.Error()));
        return 1;
    }
    Seed(store);

    ConsoleDialogs dialogs;
    history_view::HistoryWindow window(store, dialogs);
    window.show();
    window.SelectAsset(QStringLiteral("M-104 \"kiln fan\""));
    Save(&window, folder, QStringLiteral("history_view"));

    TestRecord next = Quarterly(QString(), 16, 1000, 18);
    next.time = QDateTime(QDate(2026, 3, 2), QTime(10, 15), QTimeZone(3600));
    next.assetId = QStringLiteral("M-104 \"kiln fan\"");
    next.operatorName = QStringLiteral("JD");
    history_view::FileTestDialog dialog(store, dialogs, next);
    dialog.show();
    Save(&dialog, folder, QStringLiteral("file_test"));

    SaveReportPage(window.Shown(), folder);

    // The worksurface's ESD tests: the trend with its limit, the table, the report page, one test.
    window.SelectAsset(QStringLiteral("WS-12 bench mat"));
    Save(&window, folder, QStringLiteral("history_view_esd"));
    {
        const QString pageFolder = folder + QStringLiteral("/esd");
        QDir().mkpath(pageFolder);
        SaveReportPage(window.Shown(), pageFolder);
        const auto shown = window.Shown();
        history_view::TestView view(shown.asset, *store.Test(shown.tests.back().id), dialogs);
        view.resize(900, 520);
        view.show();
        Save(&view, folder, QStringLiteral("test_view_esd"));
        // Both reports as the PDFs they are, to be looked at as pages.
        QString error;
        const auto test = *store.Test(shown.tests.back().id);
        if (!WriteReport(history_view::StoredReport(shown.asset, test), pageFolder + QStringLiteral("/test_report.pdf"),
                         &error) ||
            !history_view::WriteHistoryReport(pageFolder + QStringLiteral("/history_report.pdf"), shown, &error)) {
            std::fprintf(stderr, "cannot write a report: %s\n", qPrintable(error));
            krx::pictures::CountFailure();
        }
    }

    // A database that cannot be opened: the view says so and offers nothing to export.
    QTemporaryDir blocked;
    const QString plain = blocked.filePath(QStringLiteral("not-a-folder"));
    QFile(plain).open(QIODevice::WriteOnly);
    history::HistoryStore down;
    down.Open(QStringLiteral("sqlite:") + plain + QStringLiteral("/history.sqlite"), blocked.path());
    history_view::HistoryWindow downWindow(down, dialogs);
    downWindow.resize(900, 420);
    downWindow.show();
    Save(&downWindow, folder, QStringLiteral("history_view_no_database"));
    return krx::pictures::ExitCode();
}
