// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's record of a cycle: every reading into the plot and figures, the
// recording's fate on a line of its own, and filing the finished cycle in the test history.
#include "ui/measurement/measurement_window.h"

#include "ui/window_dialogs.h"
#include "history/measurement_test.h"
#include "history/method_test_record.h"
#include "history/step_test_record.h"
#include "ui/record/figures_panel.h"
#include "ui/history/file_test_dialog.h"
#include "ui/history/test_view.h"
#include "ui/record/record_view.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

using namespace krx;

void MeasurementWindow::SetHistory(history::HistoryStore* store)
{
    history_ = store;
    fileTestButton->setEnabled(history_ && !cycleActive_ && !Running && series_.Size() > 0);
}

void MeasurementWindow::ShowRecorded(const DataRecord& record, const QString& recordingFile)
{
    recordView->Add(record);
    if (recordingFile != recordingShown_) {
        recordingShown_ = recordingFile;
        recordView->SetRecordingFile(recordingFile);
    }
}

void MeasurementWindow::ShowRecordingProblem(const QString& message)
{
    recordingWarning->setText(message);
}

bool MeasurementWindow::FileTestClicked()
{
    if (!history_ || cycleActive_ || series_.Size() == 0)
        return false;
    // The figures as the panel shows them: its DAR times, nameplate, class and winding temperature.
    // An ESD or material test is filed with its method's result, never with a winding's figures.
    const FiguresPanel& panel = *recordView->figures;
    const history::Judging with{panel.Choices().darTimes, panel.Plate(), panel.WindingTemperature()};
    history::TestRecord test =
        lastMethod_  ? history::TestFromMethod(QString(), series_.All(), *lastMethod_)
        : lastSteps_ ? history::TestFromSteps(QString(), series_.All(), stepPlan_, lastSteps_->result)
                     : history::TestFromMeasurement(QString(), series_.All(), cycleTimerMode_, with);
    test.comment = recordView->Comment();
    test.meterSerial = cycleSerial_;
    test.meterSoftware = cycleSoftware_;
    const auto results = history_view::FileTestsInteractively(*history_, WindowDialogs(), {test}, this);
    if (!results)
        return false;
    // Filed (or kept to be sent): a second press would file the same cycle twice.
    fileTestButton->setEnabled(false);
    // The report names the asset the cycle was filed under.
    const history_view::LastFiling& filed = history_view::LastFiled();
    const history::Asset& asset = filed.asset;
    recordView->SetTestObject({asset.name.isEmpty() ? asset.id : asset.id + QStringLiteral(" – ") + asset.name,
                               history_view::Nameplate(asset), asset.location, filed.operatorName});
    return true;
}
