// SPDX-License-Identifier: GPL-3.0-or-later
// Filing the special-functions window's results into the test history: the records of a memory
// read-out and the result of a break-down test. Filing talks to the database only, never to the
// meter, so it may run while the meter is idle in any mode.

#include "ui/special_functions/special_functions_window.h"

#include "core/data_dialect.h"
#include "device/backend.h"
#include "ui/window_dialogs.h"
#include "ui/controls.h"
#include "ui/history/file_test_dialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QPushButton>

#include <utility>

using namespace krx;

QWidget* SpecialFunctionsWindow::BuildFilingRow()
{
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("Panel_Filing"));
    fileRecordsButton = new QPushButton(QCoreApplication::translate("SpecialFunctionsWindow", "File &records…"), row);
    fileRecordsButton->setObjectName(QStringLiteral("BitBtn_FileRecords"));
    fileRecordsButton->setToolTip(QCoreApplication::translate("SpecialFunctionsWindow", "File the records read out under an asset of the test history."));
    fileTestButton = new QPushButton(QCoreApplication::translate("SpecialFunctionsWindow", "&File test…"), row);
    fileTestButton->setObjectName(QStringLiteral("BitBtn_FileTest"));
    fileTestButton->setToolTip(QCoreApplication::translate("SpecialFunctionsWindow", "File the break-down result under an asset of the test history."));
    // One place for both: a read-out and a break-down test each withdraw the other's offer.
    auto* layout = new QGridLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* b : {fileRecordsButton, fileTestButton}) {
        b->setFont(ArialFont(19));
        SetDesignedMinimum(b, {226, 50});
        // Appearing after a read-out or a test must not shift anything in the window.
        KeepPlaceWhenHidden(b);
        b->hide();
        layout->addWidget(b, 0, 0);
    }
    layout->setColumnStretch(1, 1);
    connect(fileRecordsButton, &QPushButton::clicked, this, [this] { FileRecordsClicked(); });
    connect(fileTestButton, &QPushButton::clicked, this, [this] { FileTestClicked(); });
    return row;
}

void SpecialFunctionsWindow::SetHistory(history::HistoryStore* store)
{
    history_ = store;
    ShowFilingButtons();
}

void SpecialFunctionsWindow::ShowFilingButtons()
{
    fileRecordsButton->setVisible(history_ && !recordsToFile_.empty());
    fileTestButton->setVisible(history_ && breakDownToFile_.has_value());
}

void SpecialFunctionsWindow::OfferRecords(std::vector<history::TestRecord> tests)
{
    recordsToFile_ = std::move(tests);
    ShowFilingButtons();
}

void SpecialFunctionsWindow::OfferBreakDownResult(const BreakDownSave* values)
{
    breakDownToFile_.reset();
    if (values) {
        const BreakDownSave& v = *values;
        history::TestRecord t;
        t.kind = history::TestKind::BreakDown;
        t.time = breakDownStarted_.isValid() ? breakDownStarted_ : QDateTime::currentDateTime();
        t.volts = v.voltage;
        t.durationSeconds = v.breakDownTimer + v.breakOffTime;
        t.temperature = MeterDouble(v.temperature);  // the meter's digits, not the float's
        t.humidity = v.humidity;
        history::BreakDownFigures b;
        b.volts = v.voltage;
        b.resistanceBeforeOhm = history::OhmFromKOhm(v.resistanceBeforeKOhm);
        b.resistanceAfterOhm = history::OhmFromKOhm(v.resistanceAfterBDKOhm);
        b.resistanceOffOhm = history::OhmFromKOhm(v.resistanceAfterBOKOhm);
        b.breakDownTimerSeconds = v.breakDownTimer;
        b.timerOffSeconds = v.breakOffTime;
        t.breakDown = b;
        t.comment = breakDownComment_;
        t.meterSerial = session_.SerialNo.trimmed();
        t.meterSoftware = session_.SwVersion.trimmed();
        t.simulated = TheUsbBackend().Simulated();
        breakDownToFile_ = std::move(t);
    }
    ShowFilingButtons();
}

void SpecialFunctionsWindow::FileRecordsClicked()
{
    // Kept after filing: filing the same read-out again finds its records known, adds nothing.
    FileInteractively(recordsToFile_);
}

void SpecialFunctionsWindow::FileTestClicked()
{
    if (breakDownToFile_)
        FileInteractively({*breakDownToFile_});
}

void SpecialFunctionsWindow::FileInteractively(std::vector<history::TestRecord> tests)
{
    if (!history_ || tests.empty())
        return;
    history_view::FileTestsInteractively(*history_, WindowDialogs(), std::move(tests), this);
}
