// SPDX-License-Identifier: GPL-3.0-or-later
// The break-down result file: one line per Save, fourteen columns, header when the save creates it.

#include "core/file_paths.h"
#include "ui/special_functions/special_functions_window.h"

#include "core/settings.h"
#include "core/breakdown_format.h"
#include "core/csv_appender.h"
#include "ui/window_dialogs.h"
#include "core/file_paths.h"
#include "ui/ui_wait.h"

#include <QCoreApplication>
#include <QDateTime>

using namespace krx;

namespace {
// Results other than 0: the two short writes the file format names, then the rest.
constexpr int kHeaderShort = -1;
constexpr int kLineShort = -2;
constexpr int kCannotCreate = -3;
constexpr int kCannotOpen = -4;
constexpr int kCommentCancelled = 1;
constexpr int kFileCancelled = 2;
}  // namespace

int SpecialFunctionsWindow::SaveBreakDownResult(float temperature, int humidity, int breakDownTimer, int voltage,
                                       std::uint32_t resistanceBefore, std::uint32_t resistanceAfterBD,
                                       std::uint32_t resistanceAfterBO, int breakOffTime)
{
    // After a save that failed, the comment typed for it is offered again.
    QString comment = retryComment_;
    if (!WindowDialogs().InputQuery(QCoreApplication::translate("SpecialFunctionsWindow", "Input dialog"), QCoreApplication::translate("SpecialFunctionsWindow", "Input comment to the measurement"),
                                 comment))
        return kCommentCancelled;

    exportSaveDialog.DefaultExt = QStringLiteral("CSV");
    exportSaveDialog.Filter =
        QCoreApplication::translate("SpecialFunctionsWindow", "Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*");
    exportSaveDialog.InitialDir = session_.DataDirectory;
    if (!exportSaveDialog.Execute())
        return kFileCancelled;
    const QString fileName = exportSaveDialog.FileName;

    BreakDownResultRecord r;
    r.deviceName = session_.DeviceName;
    r.serialNo = session_.SerialNo;
    r.swVersion = session_.SwVersion;
    r.when = QDateTime::currentDateTime();
    r.temperature = temperature;
    // Written unsigned, as the file has always held them.
    r.humidity = static_cast<std::uint32_t>(humidity);
    r.cycleTime = static_cast<std::uint32_t>(breakDownTimer);
    r.voltage = static_cast<std::uint32_t>(voltage);
    r.resistanceBeforeMOhm = resistanceBefore;
    r.resistanceAfterBDMOhm = resistanceAfterBD;
    r.resistanceAfterBOMOhm = resistanceAfterBO;
    r.breakOffTime = static_cast<std::uint32_t>(breakOffTime);
    r.comment = comment;

    const AppendResult written =
        AppendCsvLine(fileName, QString::fromLatin1(BreakDownResultHeader), BreakDownResultLine(r));
    retryComment_ = written.status == AppendResult::Ok ? QString() : comment;
    switch (written.status) {
    case AppendResult::Ok:
        breakDownComment_ = comment;
        RememberSavedFolder(fileName, session_.DataDirectory, false, WindowDialogs());
        return 0;
    case AppendResult::CannotCreate:
        WindowDialogs().Message(QCoreApplication::translate("SpecialFunctionsWindow", "Can't create file : %1").arg(fileName) + ReasonLine(written.error),
                             QCoreApplication::translate("SpecialFunctionsWindow", "Error"), Buttons::Ok);
        return kCannotCreate;
    case AppendResult::CannotOpen:
        WindowDialogs().ShowError(QCoreApplication::translate("SpecialFunctionsWindow", "Cannot open file \"%1\". %2").arg(fileName, written.error));
        return kCannotOpen;
    case AppendResult::HeaderShort:
    case AppendResult::RecordShort:
        // Nothing of the line stays in the file; say so, as no other message would tell.
        WindowDialogs().ShowError(QCoreApplication::translate("SpecialFunctionsWindow", "The result could not be written to \"%1\"; nothing was added. %2")
                                   .arg(fileName, written.error));
        return written.status == AppendResult::HeaderShort ? kHeaderShort : kLineShort;
    }
    return kLineShort;
}
