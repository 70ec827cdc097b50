// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One filed test opened from the history: its curve, its figures and verdicts as they were stored
// (not worked out again), and its report once more.

#include "history/history_store.h"
#include "ui/record/report.h"

#include <QDialog>

class QPushButton;

namespace krx {
class Dialogs;
class ReadingPlot;
}

namespace krx::history_view {

// The figures and verdicts of a stored test in the report's rows.
// The asset's kind and insulation class as a report names them ("motor, insulation class F").
QString Nameplate(const history::Asset& asset);

FigureTable StoredFigureTable(const history::TestRecord& test);
// The report of a stored test, as it was filed: the simulated meter's mark, the nameplate and the
// verdicts with their sources, the curve drawn from its readings.
ReportContent StoredReport(const history::Asset& asset, const history::TestRecord& test);

class TestView : public QDialog {
    Q_OBJECT
public:
    // `test` with its readings (HistoryStore::Test). The dialogs are not owned.
    TestView(const history::Asset& asset, history::TestRecord test, Dialogs& dialogs, QWidget* parent = nullptr);

    // Asks for a file and writes the report there; false when cancelled or failed (said).
    bool Report();

    ReadingPlot* plot = nullptr;  // null for a test without readings
    QPushButton* reportButton = nullptr;

private:
    history::Asset asset_;
    history::TestRecord test_;
    Dialogs& dialogs_;
    QString folder_;
};

}  // namespace krx::history_view
