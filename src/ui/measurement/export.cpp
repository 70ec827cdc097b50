// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement log: Save appends the latest reading with a comment to a file of the user's choice.
#include "core/file_paths.h"
#include "ui/measurement/measurement_window.h"
#include "ui/record/record_view.h"

#include "core/settings.h"
#include "core/csv_appender.h"
#include "ui/window_dialogs.h"
#include "core/file_paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

using namespace krx;

void MeasurementWindow::SaveClicked()
{
    // A record no reading ever filled would go into the file as a row of empty fields.
    if (LastReading.date.isEmpty()) {
        WindowDialogs().Message(QCoreApplication::translate("MeasurementWindow", "No reading to save yet: start a measurement first."),
                             QCoreApplication::translate("MeasurementWindow", "Save"), Buttons::Ok, Icon::None);
        return;
    }
    if (SaveMeasurement() >= 0)
        WindowDialogs().Message(SaveSuccessText(), QCoreApplication::translate("MeasurementWindow", "Finished"), Buttons::Ok, Icon::None);
}

int MeasurementWindow::SaveMeasurement()
{
    // After a save that failed, the comment typed for it is offered again.
    QString comment = retryComment_;
    if (!WindowDialogs().InputQuery(QCoreApplication::translate("MeasurementWindow", "Input dialog"), QCoreApplication::translate("MeasurementWindow", "Input comment to the measurement"),
                                 comment))
        return SaveCommentCancelled;
    // The report offers the same words, whatever becomes of the file.
    recordView->SetComment(comment);
    // The file records the moment of the save, not of the reading.
    StampSave(LastReading, QDateTime::currentDateTime(), comment);

    measurementSaveDialog.DefaultExt = QStringLiteral("CSV");
    measurementSaveDialog.Filter =
        QCoreApplication::translate("MeasurementWindow", "Comma-Separated Values (*.CSV)|*.CSV|Text files (*.txt)|*.txt|All files (*.*)|*.*");
    // Where the last save of this run went, or the start-up folder.
    measurementSaveDialog.InitialDir = session_.DataDirectory;
    if (!measurementSaveDialog.Execute())
        return SaveDialogCancelled;
    const QString fileName = measurementSaveDialog.FileName;

    const QString line = MeasurementLogLine(LastReading);

    const AppendResult r = AppendCsvLine(fileName, QString::fromLatin1(MeasurementLogHeader), line);
    const QString shown = QDir::toNativeSeparators(fileName);
    // A write that merely fell short carries no reason of the system's (a fresh file's own text).
    const bool noReason = r.error.isEmpty() || r.error == QFile().errorString();
    const QString reason = noReason ? QString() : QStringLiteral(" (") + r.error + QLatin1Char(')');
    retryComment_ = r.status == AppendResult::Ok ? QString() : comment;
    switch (r.status) {
    case AppendResult::Ok:
        RememberSavedFolder(fileName, session_.DataDirectory, true, WindowDialogs());
        return SaveOk;
    case AppendResult::CannotCreate:
        WindowDialogs().Message(QCoreApplication::translate("MeasurementWindow", "Can't create file : %1").arg(shown) + ReasonLine(r.error),
                             QCoreApplication::translate("MeasurementWindow", "Error"), Buttons::Ok, Icon::None);
        return SaveCannotCreate;
    case AppendResult::CannotOpen:
        WindowDialogs().ShowError(QCoreApplication::translate("MeasurementWindow", "Cannot open file \"%1\" for writing%2. The reading was not saved.")
                                   .arg(shown, reason));
        return SaveCannotOpen;
    case AppendResult::HeaderShort:
        // The appender has taken the incomplete new file away again.
        WindowDialogs().ShowError(
            QCoreApplication::translate("MeasurementWindow", "Could not write the new file \"%1\"%2. The reading was not saved.").arg(shown, reason));
        return SaveHeaderShort;
    case AppendResult::RecordShort:
        WindowDialogs().ShowError(
            QCoreApplication::translate("MeasurementWindow", "Could not write to file \"%1\"%2. The reading was not saved.").arg(shown, reason));
        return SaveRecordShort;
    }
    return SaveRecordShort;
}
