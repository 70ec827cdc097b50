// SPDX-License-Identifier: GPL-3.0-or-later
// Read-out, listing and range export of the meter's two memories, and their deletion: methods of
// the special-functions window.
#include "ui/special_functions/special_functions_window.h"

#include "core/file_paths.h"
#include "device/clock.h"
#include "core/settings.h"
#include "core/csv_appender.h"
#include "ui/window_dialogs.h"
#include "core/file_paths.h"
#include "core/localetext.h"
#include "ui/ui_wait.h"
#include "core/memory_format.h"
#include "ui/special_functions/readout_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

using namespace krx;
using namespace krx::memory;

namespace {

const QString kExportFilter =
    QCoreApplication::translate("SpecialFunctionsWindow", "Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*");


// The comment and the file to append to; the data folder is remembered when it is not the one
// the program started with. 0 to go on, else the result code of the cancelled dialog.
int AskCommentAndFile(SpecialFunctionsWindow& f, const QString& offered, QString& comment, QString& fileName)
{
    // After an export that failed, the comment typed for it is offered again.
    comment = offered;
    if (!WindowDialogs().InputQuery(QCoreApplication::translate("SpecialFunctionsWindow", "Input dialog"), QCoreApplication::translate("SpecialFunctionsWindow", "Input comment to the measurement"),
                                 comment))
        return SpecialFunctionsWindow::ReadOutCommentCancelled;
    f.exportSaveDialog.DefaultExt = QStringLiteral("CSV");
    f.exportSaveDialog.Filter = kExportFilter;
    if (!f.exportSaveDialog.Execute())
        return SpecialFunctionsWindow::ReadOutFileCancelled;
    fileName = f.exportSaveDialog.FileName;
    return SpecialFunctionsWindow::ReadOutSaved;
}

memory::Identity MeterIdentity(const MeterSession& session)
{
    return {session.DeviceName, session.SerialNo, session.SwVersion};
}

// Appends one export line (the header first when the file is new). False, after telling the
// user, when the export has to stop; a line that fell short has been taken back by the appender.
bool Append(const QString& fileName, QString header, const QString& line, int linesSaved)
{
    if (header.endsWith(QStringLiteral("\r\n")))
        header.chop(2);  // the appender ends every line itself
    const AppendResult w = AppendCsvLine(fileName, header, line);
    switch (w.status) {
    case AppendResult::Ok:
        return true;
    case AppendResult::CannotCreate:
        WindowDialogs().Message(QCoreApplication::translate("SpecialFunctionsWindow", "Can't create file : %1").arg(fileName) + ReasonLine(w.error),
                             QCoreApplication::translate("SpecialFunctionsWindow", "Error"), Buttons::Ok,
                             Icon::None);
        return false;
    case AppendResult::CannotOpen:
        WindowDialogs().ShowError(
            QCoreApplication::translate("SpecialFunctionsWindow", "Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), w.error));
        return false;
    case AppendResult::HeaderShort:
    case AppendResult::RecordShort:
        // Said, not just stopped: a full disk must not go unnoticed.
        WindowDialogs().ShowError(QCoreApplication::translate("SpecialFunctionsWindow", "Write error in file \"%1\" (%2). %n line(s) of this export were saved.", nullptr, int(linesSaved))
                                   .arg(QDir::toNativeSeparators(fileName), w.error));
        return false;
    }
    return false;
}

// The records of a read-out as tests without an asset; the filing dialog adds it.
std::vector<history::TestRecord> TestsOf(const ReadOutReport& report, const memory::Identity& who)
{
    std::vector<history::TestRecord> tests;
    for (const OhmRecord& r : report.ohmRecords)
        tests.push_back(history::TestFromOhmRecord(QString(), who, r));
    for (const BreakDownRecord& r : report.breakDownRecords)
        tests.push_back(history::TestFromBreakDownRecord(QString(), who, r));
    return tests;
}

void ShowReadOutResult(int result)
{
    if (result == SpecialFunctionsWindow::ReadOutSaved)
        WindowDialogs().Message(SaveSuccessText(), QCoreApplication::translate("SpecialFunctionsWindow", "Finished"), Buttons::Ok, Icon::None);
    else if (result == SpecialFunctionsWindow::ReadOutNoRecords)
        WindowDialogs().Message(QCoreApplication::translate("SpecialFunctionsWindow", "No records saved !"), QCoreApplication::translate("SpecialFunctionsWindow", "Result"), Buttons::Ok, Icon::None);
}

}  // namespace

// ---- Read-outs ----

void SpecialFunctionsWindow::ReadOhmMemoryClicked()
{
    StartReadOut(MemoryKind::Ohm);
}

void SpecialFunctionsWindow::ReadBreakDownMemoryClicked()
{
    timersGroup->hide();
    StartReadOut(MemoryKind::BreakDown);
}

int SpecialFunctionsWindow::ReadOutOhmMemory()
{
    StartReadOut(MemoryKind::Ohm, false);
    return lastReadOut_;
}

int SpecialFunctionsWindow::ReadOutBreakDownMemory()
{
    StartReadOut(MemoryKind::BreakDown, false);
    return lastReadOut_;
}

void SpecialFunctionsWindow::StartReadOut(MemoryKind kind, bool fromButton)
{
    // A second read-out, a deletion or a break-down test must wait for this one.
    const QList<QPushButton*> locked{readOhmMemoryButton, readBreakDownMemoryButton, eraseOhmMemoryButton,
                                     eraseBreakDownMemoryButton, breakDownButton};
    QList<bool> enabled;
    for (QPushButton* b : locked) {
        enabled << b->isEnabled();
        b->setEnabled(false);
    }
    RangeSaveRequested = false;
    recordDisplay->clear();
    OfferRecords({});
    OfferBreakDownResult(nullptr);
    readOutView_->Start();
    readOut_.Arm();
    const bool started = runner_.Start([this, kind, fromButton, locked, enabled] {
        ReadOutReport report = readOut_.Run(kind);
        OnWindowThread(this, [this, kind, fromButton, locked, enabled, report = std::move(report)] {
            for (qsizetype i = 0; i < locked.size(); ++i)
                locked[i]->setEnabled(enabled[i]);
            rangeGroup->hide();
            lastReadOut_ = FinishReadOut(kind, report);
            if (fromButton) {
                if (kind == MemoryKind::Ohm)
                    timersGroup->hide();
                ShowReadOutResult(lastReadOut_);
            }
            // Whether exported or not, what the meter sent may go into the history.
            if (report.outcome != ReadOutReport::Outcome::Left)
                OfferRecords(TestsOf(report, MeterIdentity(session_)));
        });
    });
    if (!started) {
        for (qsizetype i = 0; i < locked.size(); ++i)
            locked[i]->setEnabled(enabled[i]);
    }
}

int SpecialFunctionsWindow::FinishReadOut(MemoryKind kind, const ReadOutReport& report)
{
    switch (report.outcome) {
    case ReadOutReport::Outcome::NoRecords:
        return ReadOutNoRecords;
    case ReadOutReport::Outcome::Interrupted:
        return ReadOutInterrupted;
    case ReadOutReport::Outcome::Left:
        return ReadOutLeft;
    case ReadOutReport::Outcome::RangeChosen:
        break;
    }
    QString comment, fileName;
    const int asked = AskCommentAndFile(*this, retryComment_, comment, fileName);
    if (asked != ReadOutSaved)
        return asked;
    const int written = ExportRange(kind, report, comment, fileName);
    retryComment_ = written == ReadOutSaved ? QString() : comment;
    if (written == ReadOutSaved)
        RememberSavedFolder(fileName, session_.DataDirectory, false, WindowDialogs());
    return written;
}

int SpecialFunctionsWindow::ExportRange(MemoryKind kind, const ReadOutReport& report, const QString& comment,
                               const QString& fileName)
{
    const memory::Identity who = MeterIdentity(session_);
    if (kind == MemoryKind::Ohm) {
        for (int no = report.range.from; no <= report.range.to; ++no) {
            if (!Append(fileName, OhmHeader, OhmLine(who, no, report.ohm.At(no), comment), no - report.range.from))
                return ReadOutWriteFailed;
        }
        return ReadOutSaved;
    }
    // This export takes its bounds from the fields again, the upper one before every line. Only
    // slots of the table are written.
    int saved = 0;
    try {
        for (int no = std::max(ToInt(rangeFromField->text()), 1);
             no <= kHighestFileNo && no <= ToInt(rangeToField->text()); ++no) {
            if (!Append(fileName, BreakDownHeader, BreakDownLine(who, no, report.breakDown.At(no), comment), saved))
                return ReadOutWriteFailed;
            ++saved;
        }
    } catch (const ConversionError& e) {
        // A range field emptied while the lines were written: the lines so far stay.
        WindowDialogs().ShowError(e.Message());
        return ReadOutWriteFailed;
    }
    return ReadOutSaved;
}

// ---- Deletion ----

void SpecialFunctionsWindow::DeleteMemory(const QString& query, MemoryKind kind, const QString& done)
{
    // Cancel is the default: Return must not erase the meter's memory.
    if (WindowDialogs().Message(query, QCoreApplication::translate("SpecialFunctionsWindow", "Query"), Buttons::OkCancelDefaultCancel, Icon::None) !=
        Answer::Ok)
        return;
    runner_.Start([this, kind, done] {
        if (!readOut_.Erase(kind))
            return;
        OnWindowThread(this, [this, done] {
            recordDisplay->appendPlainText(done);
            recordDisplay->appendPlainText(kHyphenLine);
        });
    });
}

void SpecialFunctionsWindow::EraseOhmMemoryClicked()
{
    DeleteMemory(QCoreApplication::translate("SpecialFunctionsWindow", "Complete measured value memory will be deleted! Are you sure?"), MemoryKind::Ohm,
                 QCoreApplication::translate("SpecialFunctionsWindow", "OHM memory was deleted !"));
}

void SpecialFunctionsWindow::EraseBreakDownMemoryClicked()
{
    DeleteMemory(QCoreApplication::translate("SpecialFunctionsWindow", "Complete break down value memory will be deleted! Are you sure?"),
                 MemoryKind::BreakDown, QCoreApplication::translate("SpecialFunctionsWindow", "BDV memory was deleted !"));
}
