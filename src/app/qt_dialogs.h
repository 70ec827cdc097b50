// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialogs seam on real windows: message boxes, the one-line input dialog, the save-file dialog.

#include "core/dialogs.h"

namespace krx {

class QtDialogs : public Dialogs {
public:
    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    bool OpenFile(const OpenFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
    int ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current) override;
};

}  // namespace krx
