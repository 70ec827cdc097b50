// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The history of the assets: pick one, see its tests and their trend, export them.

#include "history/history_store.h"
#include "ui/history/history_rows.h"

#include <QWidget>

class QChartView;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace krx::history_view {
class TestView;
}

namespace krx {
class Dialogs;
}

namespace krx::history_view {

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    // Neither is owned; both outlive the window.
    HistoryWindow(history::HistoryStore& store, Dialogs& dialogs, QWidget* parent = nullptr);

    // Reads the assets again (after a test was filed, or the database came back).
    void Reload();
    // Shows the asset's history; false when there is no such asset in the list.
    bool SelectAsset(const QString& assetId);
    QString CurrentAssetId() const;
    const AssetHistory& Shown() const { return shown_; }

    // The exports behind the buttons; each asks for its file. True when a file was written.
    bool ExportCsv(history::ExportFormat format);
    bool ExportPdf();
    // Opens the test of the table's row (double-click, Return): its curve, figures and report.
    // Null when the row holds no test or the store cannot read it (said in the status line).
    TestView* OpenTest(int row);

private:
    void BuildControls();
    QWidget* BuildAssetList();
    QWidget* BuildHistoryPane();
    void Filter(const QString& text);
    void ShowAsset(const QString& assetId);
    void FillTable();
    void SetStatus(const QString& text);
    void UpdateButtons();
    // Asks for the target (confirming a replace); false when the user gave none.
    bool AskTarget(const QString& title, const QString& filter, const QString& suffix, QString& fileName);

    history::HistoryStore& store_;
    Dialogs& dialogs_;
    AssetHistory shown_;
    QString exportFolder_;

    QLineEdit* search_ = nullptr;
    QListWidget* assets_ = nullptr;
    QLabel* details_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* rule_ = nullptr;
    QPushButton* exportData_ = nullptr;
    QPushButton* exportSheet_ = nullptr;
    QPushButton* exportPdf_ = nullptr;
};

}  // namespace krx::history_view
