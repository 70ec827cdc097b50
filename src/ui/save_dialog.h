// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window's save-file dialog: its settings stay between uses, as a designed dialog's do, and each
// showing goes through the dialogs seam.

#include "core/dialogs.h"

#include <QString>

namespace krx {

class SaveDialog {
public:
    QString Title;
    QString DefaultExt;  // without the dot, appended when the user types a name without one
    // Choices in the designer's notation: "Name (*.CSV)|*.CSV|All files (*.*)|*.*".
    QString Filter;
    QString InitialDir;  // empty: the dialog's own choice
    QString FileName;    // the chosen file after Execute returned true

    // Shows the dialog; false when cancelled (FileName is then unchanged).
    bool Execute();
    // The request as the dialogs seam takes it.
    SaveFileRequest Request() const;
};

// "Name (*.CSV)|*.CSV|Text files|*.txt" -> "Name (*.CSV);;Text files (*.txt)".
QString QtFilter(const QString& designerFilter);

}  // namespace krx
