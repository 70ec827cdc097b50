// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history/history_window.h"

#include "core/language.h"

#include "core/csv_appender.h"
#include "core/dialogs.h"
#include "history/test_values.h"
#include "ui/history/history_report.h"
#include "ui/history/test_view.h"
#include "ui/history/trend_chart.h"
#include "ui/window_size.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

namespace krx::history_view {

using history::ExportFormat;

namespace {

const QColor kMarkedRow(0xfd, 0xe4, 0xe4);

bool WriteWhole(const QString& fileName, const QByteArray& bytes, QString* error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

// The characters of the asset's texts that the spreadsheet dialect cannot hold.
QString SpreadsheetNote(const AssetHistory& h)
{
    QStringList texts{h.asset.id, h.asset.name, h.asset.location, history::KindText(h.asset), h.asset.insulationClass};
    for (const auto& t : h.tests)
        texts << t.comment << t.operatorName << t.piVerdict << t.darVerdict << t.verdictSource;
    QStringList replaced;
    EncodeLine(texts.join(QLatin1Char(' ')), &replaced);
    if (replaced.isEmpty())
        return {};
    return QCoreApplication::translate("HistoryWindow", "\n\nThese characters are not in the file's character set (Windows-1252) and were written "
                          "as \"?\": ") +
           replaced.join(QLatin1Char(' '));
}

}  // namespace

HistoryWindow::HistoryWindow(history::HistoryStore& store, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QCoreApplication::translate("HistoryWindow", "Test history"));
    BuildControls();
    KeepWindowSize(this, QStringLiteral("HistoryWindowSize"), QSize(1180, 760));
    Reload();
}

void HistoryWindow::BuildControls()
{
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(BuildAssetList());
    split->addWidget(BuildHistoryPane());
    split->setStretchFactor(1, 1);
    split->setSizes({190, 990});

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("historyStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setStyleSheet(QStringLiteral("color: #c62828"));
    exportData_ = new QPushButton(QCoreApplication::translate("HistoryWindow", "Export CSV…"));
    exportData_->setObjectName(QStringLiteral("exportDataCsv"));
    exportData_->setToolTip(QCoreApplication::translate("HistoryWindow", "UTF-8, \",\" separators, for scripts"));
    exportSheet_ = new QPushButton(QCoreApplication::translate("HistoryWindow", "Export for spreadsheet…"));
    exportSheet_->setObjectName(QStringLiteral("exportSpreadsheetCsv"));
    exportSheet_->setToolTip(QCoreApplication::translate("HistoryWindow", "Windows-1252, \";\" separators, as the other export files"));
    exportPdf_ = new QPushButton(QCoreApplication::translate("HistoryWindow", "PDF report…"));
    exportPdf_->setObjectName(QStringLiteral("exportPdf"));
    auto* refresh = new QPushButton(QCoreApplication::translate("HistoryWindow", "Refresh"));
    refresh->setObjectName(QStringLiteral("refresh"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    for (QPushButton* b : {exportData_, exportSheet_, exportPdf_, refresh})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(exportData_, &QPushButton::clicked, this, [this] { ExportCsv(ExportFormat::Csv); });
    connect(exportSheet_, &QPushButton::clicked, this, [this] { ExportCsv(ExportFormat::Spreadsheet); });
    connect(exportPdf_, &QPushButton::clicked, this, [this] { ExportPdf(); });
    connect(refresh, &QPushButton::clicked, this, &HistoryWindow::Reload);
}

QWidget* HistoryWindow::BuildAssetList()
{
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("assetSearch"));
    search_->setPlaceholderText(QCoreApplication::translate("HistoryWindow", "Search id, name, location"));
    search_->setClearButtonEnabled(true);
    assets_ = new QListWidget;
    assets_->setObjectName(QStringLiteral("assetList"));
    auto* left = new QWidget;
    auto* layout = new QVBoxLayout(left);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QCoreApplication::translate("HistoryWindow", "Assets")));
    layout->addWidget(search_);
    layout->addWidget(assets_);
    connect(search_, &QLineEdit::textChanged, this, &HistoryWindow::Filter);
    connect(assets_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        ShowAsset(item ? item->data(Qt::UserRole).toString() : QString());
    });
    return left;
}

QWidget* HistoryWindow::BuildHistoryPane()
{
    details_ = new QLabel;
    details_->setObjectName(QStringLiteral("assetDetails"));
    details_->setTextFormat(Qt::PlainText);
    details_->setWordWrap(true);
    QFont bold = details_->font();
    bold.setBold(true);
    details_->setFont(bold);
    table_ = new QTableWidget(0, ColumnCount);
    table_->setObjectName(QStringLiteral("testTable"));
    table_->setHorizontalHeaderLabels(ColumnTitles());
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->horizontalHeader()->setStretchLastSection(true);
    chart_ = new QChartView;
    chart_->setObjectName(QStringLiteral("trendChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(260);
    rule_ = new QLabel(MarkRuleText());
    rule_->setObjectName(QStringLiteral("markRule"));
    rule_->setStyleSheet(QStringLiteral("color: #c62828"));
    rule_->setWordWrap(true);
    table_->setToolTip(QCoreApplication::translate("HistoryWindow", "Double-click or Return opens a test"));
    // Qt emits this on Return and, on every desktop style but single-click ones, on a double-click.
    connect(table_, &QTableWidget::activated, this, [this](const QModelIndex& index) { OpenTest(index.row()); });

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(table_);
    split->addWidget(chart_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 380});
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(details_);
    layout->addWidget(split, 1);
    layout->addWidget(rule_);
    return pane;
}

void HistoryWindow::Reload()
{
    const QString keep = CurrentAssetId();
    SetStatus({});
    {
        const QSignalBlocker block(assets_);
        assets_->clear();
        if (!store_.IsOpen()) {
            SetStatus(QCoreApplication::translate("HistoryWindow", "The history database cannot be opened: %1 Measuring and the spreadsheet files "
                                     "are not affected.")
                          .arg(Sentence(store_.Error())));
        } else {
            const auto summaries = store_.Assets();
            if (summaries.empty() && !store_.Error().isEmpty())
                SetStatus(QCoreApplication::translate("HistoryWindow", "The assets could not be read: ") + Sentence(store_.Error()));
            for (const auto& s : summaries) {
                auto* item = new QListWidgetItem(QStringLiteral("%1 (%2)").arg(s.asset.id).arg(s.testCount), assets_);
                item->setData(Qt::UserRole, s.asset.id);
                item->setToolTip(AssetLine(s.asset));
            }
        }
    }
    Filter(search_->text());
    if (!keep.isEmpty() && SelectAsset(keep))
        return;
    if (assets_->count() > 0)
        SelectAsset(assets_->item(0)->data(Qt::UserRole).toString());
    else
        ShowAsset({});
}

bool HistoryWindow::SelectAsset(const QString& assetId)
{
    for (int i = 0; i < assets_->count(); ++i) {
        QListWidgetItem* item = assets_->item(i);
        if (item->data(Qt::UserRole).toString() == assetId) {
            if (assets_->currentItem() == item)
                ShowAsset(assetId);
            else
                assets_->setCurrentItem(item);
            return true;
        }
    }
    return false;
}

QString HistoryWindow::CurrentAssetId() const
{
    return shown_.asset.id;
}

void HistoryWindow::Filter(const QString& text)
{
    for (int i = 0; i < assets_->count(); ++i) {
        QListWidgetItem* item = assets_->item(i);
        item->setHidden(!text.isEmpty() && !item->toolTip().contains(text, Qt::CaseInsensitive));
    }
}

void HistoryWindow::ShowAsset(const QString& assetId)
{
    history::Asset asset;
    std::vector<history::TestRecord> tests;
    if (!assetId.isEmpty() && store_.IsOpen()) {
        SetStatus({});
        asset = store_.FindAsset(assetId).value_or(history::Asset{assetId, {}, {}, {}, {}, {}, {}, {}});
        tests = store_.TestsOf(assetId);
        if (tests.empty() && !store_.Error().isEmpty())
            SetStatus(QCoreApplication::translate("HistoryWindow", "The tests of \"%1\" could not be read: %2").arg(assetId, Sentence(store_.Error())));
    }
    shown_ = MakeAssetHistory(asset, std::move(tests));
    details_->setText(assetId.isEmpty() ? QCoreApplication::translate("HistoryWindow", "No asset chosen") : AssetLine(shown_.asset));
    FillTable();
    // The rule that explains the marks shows only when a test is marked.
    rule_->setVisible(std::any_of(shown_.markReasons.begin(), shown_.markReasons.end(),
                                  [](const QString& m) { return !m.isEmpty(); }));
    QChart* old = chart_->chart();
    chart_->setChart(MakeTrendChart(TrendOf(shown_)));
    delete old;
    UpdateButtons();
}

void HistoryWindow::FillTable()
{
    table_->setRowCount(0);
    table_->setRowCount(static_cast<int>(shown_.tests.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QString& mark = shown_.markReasons[row];
        const QStringList texts = RowTexts(shown_.tests[row], mark);
        for (int col = 0; col < ColumnCount; ++col) {
            auto* item = new QTableWidgetItem(texts[col]);
            if (col == ColVoltage || col == ColDuration || col == ColTemperature || col == ColHumidity ||
                col == ColR60 || col == ColR60At40 || col == ColDar || col == ColPi)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!mark.isEmpty()) {
                item->setBackground(kMarkedRow);
                item->setToolTip(mark);
            } else if ((col == ColComment || col == ColReading || col == ColNotes) && !texts[col].isEmpty()) {
                item->setToolTip(texts[col]);
            }
            if (col == ColVerdicts && !texts[col].isEmpty()) {
                // Too long for the cell: each verdict's source where the pointer rests.
                QStringList sources;
                item->setText(history::VerdictCell(shown_.tests[row], &sources));
                item->setToolTip((mark.isEmpty() ? QString() : mark + QStringLiteral("\n\n")) + item->text() +
                                 QStringLiteral("\n\n") + history::SourceList(sources));
            }
            table_->setItem(row, col, item);
        }
    }
    table_->resizeColumnsToContents();
    // An asset of ESD or material tests alone: no columns of windings' figures.
    const bool methodsOnly = !shown_.tests.empty() && std::all_of(shown_.tests.begin(), shown_.tests.end(),
                                                                  [](const auto& t) { return t.method.has_value(); });
    for (int col : {ColR60, ColR60At40, ColDar, ColPi})
        table_->setColumnHidden(col, methodsOnly);
    for (int col : {ColComment, ColVerdicts, ColMark, ColReading, ColNotes})
        table_->setColumnWidth(col, std::min(table_->columnWidth(col), 260));
    table_->scrollToBottom();
}

TestView* HistoryWindow::OpenTest(int row)
{
    if (row < 0 || row >= static_cast<int>(shown_.tests.size()) || !store_.IsOpen())
        return nullptr;
    const auto test = store_.Test(shown_.tests[static_cast<size_t>(row)].id);
    if (!test) {
        SetStatus(QCoreApplication::translate("HistoryWindow", "The test could not be read: ") + Sentence(store_.Error()));
        return nullptr;
    }
    auto* view = new TestView(shown_.asset, *test, dialogs_, this);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->resize(std::min(1000, width()), std::min(600, height()));
    view->show();
    return view;
}

void HistoryWindow::SetStatus(const QString& text)
{
    status_->setText(text);
}

void HistoryWindow::UpdateButtons()
{
    const bool any = store_.IsOpen() && !shown_.asset.id.isEmpty();
    for (QPushButton* b : {exportData_, exportSheet_, exportPdf_})
        b->setEnabled(any);
}

bool HistoryWindow::AskTarget(const QString& title, const QString& filter, const QString& suffix, QString& fileName)
{
    const SaveFileRequest request{title, exportFolder_, filter, suffix};
    fileName = SuggestedFileName(shown_.asset.id, suffix);
    if (!exportFolder_.isEmpty())
        fileName = QDir(exportFolder_).filePath(fileName);
    if (!dialogs_.SaveFile(request, fileName) || fileName.isEmpty())
        return false;
    // The save dialog of this program does not warn (its other files are appended to); these are
    // written whole, so replacing one is asked for here.
    if (QFileInfo::exists(fileName) &&
        dialogs_.Message(QCoreApplication::translate("HistoryWindow", "\"%1\" exists. Replace it?").arg(QDir::toNativeSeparators(fileName)),
                         title, Buttons::OkCancelDefaultCancel, Icon::Question) != Answer::Ok)
        return false;
    exportFolder_ = QFileInfo(fileName).absolutePath();
    return true;
}

bool HistoryWindow::ExportCsv(ExportFormat format)
{
    if (shown_.asset.id.isEmpty() || !store_.IsOpen())
        return false;
    const bool sheet = format == ExportFormat::Spreadsheet;
    const QString title = sheet ? QCoreApplication::translate("HistoryWindow", "Export history for spreadsheets")
                                : QCoreApplication::translate("HistoryWindow", "Export history as CSV");
    QString fileName;
    if (!AskTarget(title, QCoreApplication::translate("HistoryWindow", "CSV files (*.csv);;All files (*)"), QStringLiteral("csv"), fileName))
        return false;
    const auto bytes = store_.ExportHistory(shown_.asset.id, format);
    if (!bytes) {
        dialogs_.ShowError(QCoreApplication::translate("HistoryWindow", "The history of \"%1\" could not be read: %2 Nothing was exported.")
                               .arg(shown_.asset.id, Sentence(store_.Error())));
        return false;
    }
    QString error;
    if (!WriteWhole(fileName, *bytes, &error)) {
        dialogs_.ShowError(QCoreApplication::translate("HistoryWindow", "Could not write \"%1\" (%2). The history was not exported.")
                               .arg(QDir::toNativeSeparators(fileName), error));
        return false;
    }
    dialogs_.Message(QCoreApplication::translate("HistoryWindow", "The history of \"%1\" was exported to \"%2\".")
                             .arg(shown_.asset.id, QDir::toNativeSeparators(fileName)) +
                         (sheet ? SpreadsheetNote(shown_) : QString()),
                     title, Buttons::Ok, Icon::Information);
    return true;
}

bool HistoryWindow::ExportPdf()
{
    if (shown_.asset.id.isEmpty() || !store_.IsOpen())
        return false;
    const QString title = QCoreApplication::translate("HistoryWindow", "History report");
    QString fileName;
    if (!AskTarget(title, QCoreApplication::translate("HistoryWindow", "PDF files (*.pdf);;All files (*)"), QStringLiteral("pdf"), fileName))
        return false;
    QString error;
    bool written;
    {
        const LanguageScope reportLanguage(ReportLanguage());
        written = WriteHistoryReport(fileName, shown_, &error);
    }
    if (!written) {
        dialogs_.ShowError(QCoreApplication::translate("HistoryWindow", "Could not write \"%1\" (%2). The report was not saved.")
                               .arg(QDir::toNativeSeparators(fileName), error));
        return false;
    }
    dialogs_.Message(QCoreApplication::translate("HistoryWindow", "The report on \"%1\" was saved as \"%2\".")
                         .arg(shown_.asset.id, QDir::toNativeSeparators(fileName)),
                     title, Buttons::Ok, Icon::Information);
    return true;
}

}  // namespace krx::history_view
