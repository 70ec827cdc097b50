// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/record/record_view.h"

#include "core/language.h"

#include "core/recording_reader.h"

#include "core/settings.h"
#include "ui/window_dialogs.h"
#include "core/file_paths.h"
#include "core/recording.h"
#include "ui/record/figures_panel.h"
#include "ui/record/reading_plot.h"
#include "ui/record/report.h"
#include "ui/record/method_result_view.h"
#include "ui/record/step_panel.h"
#include "ui/record/step_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace krx {

namespace {

// The figures scroll in a window too short (or, with a large font, too narrow) for them rather
// than being squeezed into each other. The panel is sized here, not by the scroll area, so that its
// wrapped verdicts always get the lines they need at the width they are given.
class FiguresScroll : public QScrollArea {
public:
    static constexpr int kMinimumHeight = 120;  // a few rows, to see that there is more
    static constexpr int kMinimumWidth = 280;

    FiguresScroll(QWidget* panel, QWidget* parent) : QScrollArea(parent)
    {
        setObjectName(QStringLiteral("FiguresScroll"));
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(false);
        setWidget(panel);
        panel->installEventFilter(this);
    }
    int Bar() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent); }
    // The panel's height at `width`: its wrapped lines, never below what its rows need.
    int PanelHeight(int width) const
    {
        const QWidget* panel = widget();
        const int wrapped = panel->hasHeightForWidth() ? panel->heightForWidth(width) : 0;
        return std::max(wrapped, panel->minimumSizeHint().height());
    }
    // The panel whole beside a scroll bar.
    QSize WholeSize() const
    {
        const int width = widget()->minimumSizeHint().width() + Bar();
        return {width, PanelHeight(width - Bar())};
    }
    void FitPanel()
    {
        const int least = widget()->minimumSizeHint().width();
        int width = std::max(this->width(), least);
        int height = PanelHeight(width);
        if (height > this->height()) {  // the scroll bar takes its share of the width
            width = std::max(this->width() - Bar(), least);
            height = PanelHeight(width);
        }
        widget()->resize(width, height);
    }
    QSize sizeHint() const override { return WholeSize(); }
    QSize minimumSizeHint() const override { return {std::min(WholeSize().width(), kMinimumWidth), kMinimumHeight}; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QScrollArea::resizeEvent(event);
        FitPanel();
    }
    // A line that appears or wraps anew while the user types (a message under a field) asks for
    // more room: the panel grows at once, rather than squeezing its form rows into each other.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            FitPanel();
        return QScrollArea::eventFilter(watched, event);
    }
};

}  // namespace

MeasurementRecordView::MeasurementRecordView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MeasurementRecordView"));
    plot = new ReadingPlot(this);
    figures = new FiguresPanel(this);
    steps = new StepPanel(this);
    steps->hide();
    method = new MethodResultView(this);
    method->hide();
    reportButton = new QPushButton(QCoreApplication::translate("RecordView", "&Report…"), this);
    reportButton->setObjectName(QStringLiteral("ReportButton"));
    exportButton = new QPushButton(QCoreApplication::translate("RecordView", "&Export recording…"), this);
    exportButton->setObjectName(QStringLiteral("ExportRecordingButton"));

    buttons_ = new QHBoxLayout;
    buttons_->addWidget(reportButton);
    buttons_->addWidget(exportButton);
    side_ = new QVBoxLayout;
    figuresScroll_ = new FiguresScroll(figures, this);
    side_->addWidget(figuresScroll_, 1);
    side_->addWidget(steps, 1);
    side_->addWidget(method, 1);
    side_->addLayout(buttons_);
    box_ = new QBoxLayout(QBoxLayout::LeftToRight, this);
    box_->setContentsMargins(0, 0, 0, 0);
    box_->addWidget(plot, 1);
    box_->addLayout(side_);

    figuresTick_.setSingleShot(true);
    figuresTick_.setInterval(kFiguresMs);
    connect(&figuresTick_, &QTimer::timeout, this, &MeasurementRecordView::RefreshFigures);
    connect(figures, &FiguresPanel::ChoicesChanged, this, &MeasurementRecordView::RefreshFigures);
    connect(reportButton, &QPushButton::clicked, this, &MeasurementRecordView::Report);
    connect(exportButton, &QPushButton::clicked, this, &MeasurementRecordView::ExportRecording);
    folder_ = CurrentSettingsPlaces().Read(QStringLiteral("DataDirectory"), DefaultDataDirectory());
    UpdateButtons();
}

void MeasurementRecordView::resizeEvent(QResizeEvent* event)
{
    Arrange(event->size());
    QWidget::resizeEvent(event);
}

void MeasurementRecordView::Arrange(QSize size)
{
    // The figures go under the plot, which keeps the whole width, when the two do not fit side by
    // side (a laptop's screen), or when the view is narrow for both and tall enough for the figures
    // whole under the plot. The choice follows the size given, not the layout's own hints, so it
    // cannot swing.
    const auto* scroll = static_cast<const FiguresScroll*>(figuresScroll_);
    const QSize plotMin = plot->minimumSize().expandedTo(plot->minimumSizeHint());
    const QSize whole = scroll->WholeSize();
    const int buttons = buttons_->minimumSize().height() + side_->spacing();
    const bool besideFits = size.width() >= plotMin.width() + box_->spacing() + whole.width();
    // Under the figures the plot keeps two fifths of the height, so that it still reads at a glance.
    const int plotHeight = std::max(plotMin.height(), size.height() * 2 / 5);
    const bool underWhole = size.height() >= plotHeight + box_->spacing() + whole.height() + buttons;
    const bool fold = !besideFits || (size.width() < kSideBySideWidth && underWhole);
    const auto direction = fold ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight;
    if (box_->direction() != direction)
        box_->setDirection(direction);
    auto* figuresScroll = static_cast<FiguresScroll*>(figuresScroll_);
    if (!fold) {
        figuresScroll_->setMinimumHeight(0);
        figuresScroll_->setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        // Under the plot the figures take what they need at this width, or what the plot's share
        // leaves (and scroll); the plot takes the rest.
        const int need = scroll->PanelHeight(size.width());
        const int room = size.height() - plotHeight - box_->spacing() - buttons;
        figuresScroll_->setFixedHeight(std::max(FiguresScroll::kMinimumHeight, std::min(need, room)));
    }
    figuresScroll->FitPanel();
}

QSize MeasurementRecordView::minimumSizeHint() const
{
    // Folded: the plot over the figures, which scroll.
    const QSize plotMin = plot->minimumSize().expandedTo(plot->minimumSizeHint());
    const QSize figuresMin = figuresScroll_->minimumSizeHint();
    const QSize buttons = buttons_->minimumSize();
    return {std::max({plotMin.width(), figuresMin.width(), buttons.width()}),
            plotMin.height() + box_->spacing() + FiguresScroll::kMinimumHeight + side_->spacing() + buttons.height()};
}

void MeasurementRecordView::Clear()
{
    readings_.clear();
    readings_.shrink_to_fit();
    recordingFile_.clear();
    fromFile_ = false;
    object_ = {};
    stepEnds_.clear();
    steps->hide();
    method->hide();
    lastMethod_.reset();
    figuresScroll_->show();
    figuresTick_.stop();
    plot->Clear();
    RefreshFigures();
    UpdateButtons();
}

void MeasurementRecordView::Add(const DataRecord& record)
{
    readings_.push_back(record);
    plot->Add(record);
    if (!figuresTick_.isActive())
        figuresTick_.start();
    if (readings_.size() == 1)
        UpdateButtons();
}

void MeasurementRecordView::SetMeter(const QString& meterType, const QString& serial, const QString& swVersion)
{
    meterType_ = meterType;
    serial_ = serial;
    swVersion_ = swVersion;
}

void MeasurementRecordView::SetRecordingFile(const QString& path)
{
    recordingFile_ = path;
    UpdateButtons();
}

void MeasurementRecordView::SetComment(const QString& comment)
{
    comment_ = comment;
}

bool MeasurementRecordView::LoadRecording(const QString& fileName, QString* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    std::vector<DataRecord> readings;
    if (!ParseRecording(file.readAll(), readings, error))
        return false;
    Clear();
    // A step-voltage test's recording is shown as that test: its steps, never one voltage's figures.
    const std::optional<RecordedSteps> recorded = StepsOfRecording(readings);
    for (size_t i = 0; i < readings.size(); ++i) {
        Add(readings[i]);
        if (recorded && std::find(recorded->closing.begin(), recorded->closing.end(), i) != recorded->closing.end())
            MarkStepEnd(MeterVoltage(readings[i].volts));
    }
    fromFile_ = true;
    SetRecordingFile(fileName);
    RefreshFigures();
    if (recorded)
        ShowSteps(MakeStepTable(recorded->plan, recorded->result));
    return true;
}

void MeasurementRecordView::RefreshFigures()
{
    figuresTick_.stop();
    const InsulationFigures f = ComputeFigures(readings_, figures->Choices().darTimes);
    // The markers stand where the figures are taken, by the core's own origin.
    if (!readings_.empty())
        plot->SetOrigin(f.originElapsed);
    figures->Show(f);
    // Longer verdicts need more lines.
    Arrange(size());
}

void MeasurementRecordView::ShowSteps(const StepTable& table)
{
    steps->Show(table);
    figuresScroll_->hide();
    steps->show();
}

void MeasurementRecordView::ShowMethodResult(const MethodResult& result)
{
    lastMethod_ = result;
    method->Show(result);
    figuresScroll_->hide();
    steps->hide();
    method->show();
}

void MeasurementRecordView::MarkStepEnd(int volts)
{
    if (readings_.empty())
        return;
    stepEnds_.emplace_back(volts, readings_.back());
    plot->AddStepEnd(readings_.back().elapsedSeconds, QStringLiteral("%1 V").arg(volts));
}

void MeasurementRecordView::UpdateButtons()
{
    reportButton->setEnabled(!readings_.empty());
    exportButton->setEnabled(!recordingFile_.isEmpty());
}

QString MeasurementRecordView::SuggestedName(const QString& suffix) const
{
    const bool known = !readings_.empty() && readings_.front().time.isValid();
    const QDateTime started = known ? readings_.front().time : QDateTime::currentDateTime();
    QString name = RecordingFileName(serial_, started);
    name.chop(QStringLiteral(".csv").size());
    return QDir(folder_).filePath(name + suffix);
}

bool MeasurementRecordView::WriteReportTo(const QString& fileName, QString* error)
{
    RefreshFigures();
    const LanguageScope reportLanguage(ReportLanguage());
    ReportContent c;
    c.meterType = meterType_;
    c.serial = serial_;
    c.swVersion = swVersion_;
    // An opened recording says itself whether the simulated meter made it, whatever meter is attached.
    c.simulated = AnySimulated(readings_) || (simulated_ && !fromFile_);
    c.asset = object_.asset;
    c.nameplate = object_.nameplate;
    c.location = object_.location;
    c.operatorName = object_.operatorName;
    FillFromReadings(c, readings_);
    if (!readings_.empty()) {
        c.drawPlot = [this](QPainter& p, const QRectF& r) { plot->RenderTo(p, r); };
        const QSizeF drawn = plot->chart()->size();
        if (drawn.width() > 0)
            c.plotAspect = drawn.height() / drawn.width();
    }
    c.figures = figures->Table();
    if (steps->isVisibleTo(this)) {
        c.steps = steps->Table();
        c.figures.temperatureLine = QCoreApplication::translate("RecordView", "each step to 40 °C from its mean air temperature at the meter");
        c.keyReadings.clear();
        for (const auto& [volts, reading] : stepEnds_)
            c.keyReadings.push_back({QCoreApplication::translate("RecordView", "%1 V end").arg(volts), reading});
    }
    if (method->isVisibleTo(this) && lastMethod_) {
        c.method = MakeMethodSheet(*lastMethod_);
        c.figures.temperatureLine = QCoreApplication::translate("RecordView", "none: ESD and material readings are reported as read");
        c.keyReadings.clear();
    }
    c.comment = comment_;
    return WriteReport(c, fileName, error);
}

bool MeasurementRecordView::Report()
{
    QString comment = comment_;
    if (!WindowDialogs().InputQuery(QCoreApplication::translate("RecordView", "Report"), QCoreApplication::translate("RecordView", "Comment for the report:"), comment))
        return false;
    comment_ = comment;
    SaveFileRequest request{QCoreApplication::translate("RecordView", "Report"), folder_, QCoreApplication::translate("RecordView", "PDF files (*.pdf)"), QStringLiteral("pdf")};
    QString fileName = SuggestedName(QStringLiteral(".pdf"));
    if (!WindowDialogs().SaveFile(request, fileName))
        return false;
    QString error;
    if (!WriteReportTo(fileName, &error)) {
        WindowDialogs().ShowError(QCoreApplication::translate("RecordView", "Cannot write the report %1.%2\nNo report was saved.")
                                   .arg(QDir::toNativeSeparators(fileName), ReasonLine(error)));
        return false;
    }
    folder_ = DirectoryPart(fileName);
    WindowDialogs().Message(QCoreApplication::translate("RecordView", "The report was saved as %1.").arg(QDir::toNativeSeparators(fileName)),
                         QCoreApplication::translate("RecordView", "Report"), Buttons::Ok, Icon::Information);
    return true;
}

bool MeasurementRecordView::ExportRecording()
{
    if (recordingFile_.isEmpty())
        return false;
    SaveFileRequest request{QCoreApplication::translate("RecordView", "Export recording"), folder_,
                            QCoreApplication::translate("RecordView", "Recordings (*.csv);;All files (*)"), QStringLiteral("csv")};
    QString fileName = QDir(folder_).filePath(QFileInfo(recordingFile_).fileName());
    if (!WindowDialogs().SaveFile(request, fileName))
        return false;
    QString error;
    if (!CopyRecording(recordingFile_, fileName, &error)) {
        WindowDialogs().ShowError(QCoreApplication::translate("RecordView", "Cannot export the recording to %1.%2\nThe recording itself is kept in %3.")
                                   .arg(QDir::toNativeSeparators(fileName), ReasonLine(error),
                                        QDir::toNativeSeparators(recordingFile_)));
        return false;
    }
    folder_ = DirectoryPart(fileName);
    WindowDialogs().Message(QCoreApplication::translate("RecordView", "The recording was exported to %1.").arg(QDir::toNativeSeparators(fileName)),
                         QCoreApplication::translate("RecordView", "Export recording"), Buttons::Ok, Icon::Information);
    return true;
}

}  // namespace krx
