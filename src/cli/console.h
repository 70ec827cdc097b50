// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The procedures' boxes as the command line says them: lines on standard error.

#include "cli/exit_codes.h"
#include "cli/output.h"
#include "core/dialogs.h"

#include <QString>

#include <atomic>

namespace krx::cli {

// The procedures' boxes as lines on standard error. Decisions were made by the arguments before
// the procedure started, so every question is answered with OK and no file is asked for.
class CliDialogs : public Dialogs {
public:
    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    bool OpenFile(const OpenFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
    // While muted the boxes are not shown: the command says it in its own words.
    void SetMuted(bool muted) { muted_ = muted; }

private:
    std::atomic<bool> muted_{false};
};

}  // namespace krx::cli
