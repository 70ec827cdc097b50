// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/test_view.h"

#include "core/language.h"

#include "core/dialogs.h"
#include "core/settings.h"
#include "history/test_values.h"
#include "ui/history/history_rows.h"
#include "ui/record/reading_plot.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace krx::history_view {

namespace {

QLabel* Cell(const QString& text, bool bold = false)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}


// The plot's width in the report: the measurement window's plot on a laptop's screen.
constexpr double kReportPlotWidth = 640;

void PlotReadings(ReadingPlot& plot, const std::vector<DataRecord>& readings)
{
    for (const DataRecord& r : readings)
        plot.Add(r);
    plot.SetOrigin(ComputeFigures(readings, DarTimes::From30To60).originElapsed);
    plot.Redraw();
}

}  // namespace

QString Nameplate(const history::Asset& asset)
{
    QStringList parts;
    if (const QString kind = history::KindText(asset); !kind.isEmpty())
        parts << kind;
    if (!asset.insulationClass.isEmpty())
        parts << QCoreApplication::translate("HistoryWindow", "insulation class ") + asset.insulationClass;
    return parts.join(QStringLiteral(", "));
}

FigureTable StoredFigureTable(const history::TestRecord& test)
{
    InsulationFigures f;
    f.r15 = test.r15;
    f.r30 = test.r30;
    f.r60 = test.r60;
    f.r600 = test.r600;
    f.dar = test.dar;
    f.pi = test.pi;
    const auto from = test.correctionTemperature ? test.correctionTemperature : test.temperature;
    FigureTable t = MakeFigureTable(f, {}, from);
    t.temperatureLine = from ? QCoreApplication::translate("HistoryWindow", "Corrected from %1 °C, as filed").arg(*from, 0, 'f', 1)
                             : QCoreApplication::translate("HistoryWindow", "No temperature was filed: nothing corrected");
    // The verdicts and the nameplate as they were when the test was filed, not as today's rules
    // would give them.
    t.nameplateLine = QCoreApplication::translate("HistoryWindow", "Nameplate: %1").arg(NameplateText(test.nameplate));
    const QString none = QCoreApplication::translate("HistoryWindow", "none filed");
    t.ir = {Verdict::NotEnoughData, none, {}};
    t.pi = {Verdict::NotEnoughData, none, {}};
    t.dar = {Verdict::NotEnoughData, none, {}};
    for (const history::FiledVerdict& v : history::VerdictsOf(test)) {
        FigureVerdict* to = v.name == QLatin1String("Minimum IR") ? &t.ir
                            : v.name == QLatin1String("PI")       ? &t.pi
                            : v.name == QLatin1String("DAR")      ? &t.dar
                                                                  : nullptr;
        if (to)
            *to = {Verdict::NotEnoughData, v.text, v.source};
    }
    return t;
}

ReportContent StoredReport(const history::Asset& asset, const history::TestRecord& test)
{
    ReportContent c;
    FillFromReadings(c, test.readings);
    c.meterType = QStringLiteral("KRX 738");
    c.serial = test.meterSerial;
    c.swVersion = test.meterSoftware;
    c.asset = asset.name.isEmpty() ? asset.id : asset.id + QStringLiteral(" – ") + asset.name;
    // What was filed: the nameplate the test was judged by, and whether the meter was the simulated one.
    c.nameplate = test.nameplate ? NameplateText(test.nameplate) : Nameplate(asset);
    c.simulated = test.simulated;
    c.location = asset.location;
    c.operatorName = test.operatorName;
    c.started = test.time;
    if (test.volts)
        c.volts = *test.volts;
    if (test.durationSeconds)
        c.durationSeconds = *test.durationSeconds;
    if (test.temperature)
        c.temperature = test.temperature;
    if (test.humidity)
        c.humidity = static_cast<int>(std::lround(*test.humidity));
    if (test.rampSeconds)
        c.rampSeconds = test.rampSeconds;
    if (test.dewPoint)
        c.dewPoint = test.dewPoint;
    c.figures = StoredFigureTable(test);
    if (test.method) {
        c.method = MakeMethodSheet(*test.method);
        c.figures.temperatureLine.clear();  // nothing is corrected to a winding's temperature
    }
    if (test.steps) {
        // The steps as filed: the report's table of a step-voltage test, not worked out again.
        StepPlan plan;
        plan.stepSeconds = test.steps->stepSeconds;
        StepResult result;
        result.steps = test.steps->steps;
        // A test filed before the plan was kept shows the steps it finished.
        plan.volts = test.steps->plannedVolts;
        if (plan.volts.empty())
            for (const StepFigure& f : result.steps)
                plan.volts.push_back(f.volts);
        result.changePercent = test.steps->changePercent;
        result.changeAtLeast = test.steps->changeBound == QLatin1String("at_least");
        result.changeAtMost = test.steps->changeBound == QLatin1String("at_most");
        StepTable table = MakeStepTable(plan, result);
        table.verdict = {Verdict::NotEnoughData, test.steps->verdict, test.verdictSource};
        c.steps = table;
    }
    c.comment = test.comment;
    if (!test.readings.empty()) {
        // A plot of its own at the page's proportions and at about the measurement window's size,
        // so that its texts come out as large as in a report made at the bench: the view's plot may
        // be narrow and tall, or wide, and would be scaled down with its texts.
        c.plotAspect = 0.45;
        std::shared_ptr<ReadingPlot> page = std::make_shared<ReadingPlot>();
        PlotReadings(*page, test.readings);
        page->chart()->resize(QSizeF(kReportPlotWidth, kReportPlotWidth * c.plotAspect));
        page->chart()->layout()->activate();
        c.drawPlot = [page](QPainter& p, const QRectF& r) { page->RenderTo(p, r); };
    }
    return c;
}

TestView::TestView(const history::Asset& asset, history::TestRecord test, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), asset_(asset), test_(std::move(test)), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("TestView"));
    const QStringList row = RowTexts(test_, {});
    setWindowTitle(QStringLiteral("%1 – %2, %3").arg(asset_.id, row[ColKind], row[ColDate]));

    auto* facts = new QGridLayout;
    int line = 0;
    const auto add = [&](const QString& name, const QString& value) {
        if (value.isEmpty())
            return;
        facts->addWidget(Cell(name, true), line, 0, Qt::AlignTop);
        facts->addWidget(Cell(value), line++, 1, 1, 3);
    };
    add(QCoreApplication::translate("HistoryWindow", "Voltage"), row[ColVoltage]);
    add(QCoreApplication::translate("HistoryWindow", "Duration"), row[ColDuration]);
    add(QCoreApplication::translate("HistoryWindow", "Temperature"), row[ColTemperature]);
    add(QCoreApplication::translate("HistoryWindow", "Humidity"), row[ColHumidity]);
    add(QCoreApplication::translate("HistoryWindow", "Reading"), row[ColReading]);
    add(QCoreApplication::translate("HistoryWindow", "Operator"), row[ColOperator]);
    add(QCoreApplication::translate("HistoryWindow", "Comment"), row[ColComment]);
    add(QCoreApplication::translate("HistoryWindow", "Notes"), row[ColNotes]);
    if (test_.method) {
        // What an ESD or material test holds, in place of a winding's figures.
        const auto values = history::ValuesOf(asset_, test_);
        for (const char* key : {"method", "measurement", "item_kind", "electrode_d1_mm", "electrode_d2_mm",
                                "electrode_gap_mm", "thickness_mm", "given_factor", "result_ohm", "classification",
                                "limit_set", "limit_row", "conditions", "qualification"}) {
            const history::TestValue& v = history::ValueOf(values, key);
            add(v.label, v.text);
        }
        for (const history::FiledVerdict& v : history::VerdictsOf(test_))
            add(v.name, v.text + QStringLiteral("\n") + QCoreApplication::translate("TestView", "Source: %1")
                                                      .arg(v.source.isEmpty() ? QCoreApplication::translate(
                                                                                    "TestView", "no rule applies")
                                                                              : v.source));
    } else if (!test_.breakDown) {
        const FigureTable t = StoredFigureTable(test_);
        for (int c = 0; c < t.header.size(); ++c)
            facts->addWidget(Cell(t.header[c], true), line, c);
        ++line;
        for (const QStringList& r : t.rows) {
            for (int c = 0; c < r.size(); ++c)
                facts->addWidget(Cell(r[c], c == 0), line, c);
            ++line;
        }
        add(QCoreApplication::translate("HistoryWindow", "Nameplate"), NameplateText(test_.nameplate));
        for (const FigureVerdict* v : {&t.ir, &t.pi, &t.dar}) {
            const QString name = v == &t.ir ? QCoreApplication::translate("HistoryWindow", "Minimum IR") : v == &t.pi ? QStringLiteral("PI")
                                                                                        : QStringLiteral("DAR");
            add(name, v->text + QCoreApplication::translate("HistoryWindow", "\nSource: ") +
                          (v->source.isEmpty() ? QCoreApplication::translate("HistoryWindow", "no rule applies") : v->source));
        }
        add(QCoreApplication::translate("HistoryWindow", "Correction"), t.temperatureLine);
    }
    facts->setRowStretch(line, 1);
    auto* factsBox = new QWidget;
    factsBox->setLayout(facts);
    auto* scroll = new QScrollArea;
    scroll->setWidget(factsBox);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto* split = new QSplitter(Qt::Horizontal);
    if (!test_.readings.empty()) {
        plot = new ReadingPlot;
        PlotReadings(*plot, test_.readings);
        split->addWidget(plot);
    }
    split->addWidget(scroll);
    split->setStretchFactor(0, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    reportButton = buttons->addButton(QCoreApplication::translate("HistoryWindow", "&Report…"), QDialogButtonBox::ActionRole);
    reportButton->setObjectName(QStringLiteral("ReportButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reportButton, &QPushButton::clicked, this, &TestView::Report);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);
    folder_ = DefaultDataDirectory();
}

bool TestView::Report()
{
    const QString title = QCoreApplication::translate("HistoryWindow", "Report");
    const SaveFileRequest request{title, folder_, QCoreApplication::translate("HistoryWindow", "PDF files (*.pdf)"), QStringLiteral("pdf")};
    QString fileName = QDir(folder_).filePath(
        SuggestedFileName(asset_.id, QStringLiteral("pdf")).replace(QStringLiteral("_history."),
                                                                    test_.time.toString(QStringLiteral("_yyyyMMdd-HHmm."))));
    if (!dialogs_.SaveFile(request, fileName) || fileName.isEmpty())
        return false;
    QString error;
    bool written;
    {
        const LanguageScope reportLanguage(ReportLanguage());
        written = WriteReport(StoredReport(asset_, test_), fileName, &error);
    }
    if (!written) {
        dialogs_.ShowError(QCoreApplication::translate("HistoryWindow", "Could not write \"%1\" (%2). The report was not saved.")
                               .arg(QDir::toNativeSeparators(fileName), error));
        return false;
    }
    folder_ = QFileInfo(fileName).absolutePath();
    dialogs_.Message(QCoreApplication::translate("HistoryWindow", "The report was saved as \"%1\".").arg(QDir::toNativeSeparators(fileName)), title,
                     Buttons::Ok, Icon::Information);
    return true;
}

}  // namespace krx::history_view
