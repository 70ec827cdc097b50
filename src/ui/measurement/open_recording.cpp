// SPDX-License-Identifier: GPL-3.0-or-later
// "Open recording…": an old test's readings in the plot and figures, judged again with the nameplate
// the panel holds now, without a meter.
#include "ui/measurement/measurement_window.h"

#include "core/file_paths.h"
#include "core/settings.h"
#include "ui/record/record_view.h"
#include "ui/window_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

using namespace krx;

bool MeasurementWindow::OpenRecordingClicked()
{
    // The view belongs to the running cycle until it ends.
    if (Running || cycleActive_)
        return false;
    const QString folder = session_.RecordingDirectory.isEmpty() ? DefaultRecordingDirectory()
                                                                 : session_.RecordingDirectory;
    OpenFileRequest request{QCoreApplication::translate("MeasurementWindow", "Open recording"), folder, QCoreApplication::translate("MeasurementWindow", "Recordings (*.csv);;All files (*)")};
    QString fileName;
    if (!WindowDialogs().OpenFile(request, fileName))
        return false;
    // A finished test that could still be filed would be lost for filing once the view is replaced.
    if (fileTestButton->isEnabled()) {
        const Answer answer = WindowDialogs().Message(
            QCoreApplication::translate("MeasurementWindow", "The last test is not filed in the test history. File it before %1 is shown?\n\n"
                           "Discard: it can no longer be filed from this window; its recording stays where it is.")
                .arg(QFileInfo(fileName).fileName()),
            QCoreApplication::translate("MeasurementWindow", "Open recording"), Buttons::FileDiscardCancel, Icon::Question);
        if (answer == Answer::Cancel || (answer == Answer::Ok && !FileTestClicked()))
            return false;
    }
    QString error;
    if (!recordView->LoadRecording(fileName, &error)) {
        WindowDialogs().ShowError(QCoreApplication::translate("MeasurementWindow", "Cannot open %1 as a recording.%2\nNothing shown was changed.")
                                      .arg(QDir::toNativeSeparators(fileName), ReasonLine(error)));
        return false;
    }
    // What is shown is no longer the last cycle: it is not filed as that cycle, and the live values
    // and Save's reading belong to that cycle, not to the recording.
    fileTestButton->setEnabled(false);
    saveButton->setEnabled(false);
    ClearLiveValues();
    // Short: the line shares its row with the buttons; the whole sentence is its tooltip.
    const bool simulated = recordView->ShowsSimulatedRecording();
    recordingWarning->setText(simulated ? QCoreApplication::translate("MeasurementWindow", "Simulated meter") : QString());
    recordingWarning->setToolTip(simulated ? QCoreApplication::translate("MeasurementWindow", "This recording was made with the simulated meter: it is "
                                                            "not a measurement.")
                                           : QString());
    return true;
}
