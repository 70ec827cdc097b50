// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message box, the one-line input dialog and the save-file dialog go through this seam, so
// that tests can answer them in order and see every box the program shows.

#include <QString>
#include <QStringList>

namespace krx {

// OkCancelDefaultCancel is for every question whose OK destroys data: Return must not answer it.
// FileDiscardCancel asks what becomes of a finished test that was not filed: "File…" answers Ok,
// "Discard" Discard; Return answers Cancel.
enum class Buttons { Ok, OkCancel, OkCancelDefaultCancel, FileDiscardCancel };
enum class Answer { Ok, Cancel, Discard };
enum class Icon { None, Information, Warning, Error, Question };

struct SaveFileRequest {
    QString title;
    QString initialDir;     // empty: the dialog's own choice
    QString filter;         // Qt filter list, ";;"-separated
    QString defaultSuffix;  // appended when the user types a name without one, without the dot
};

struct OpenFileRequest {
    QString title;
    QString initialDir;  // empty: the dialog's own choice
    QString filter;      // Qt filter list, ";;"-separated
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer Message(const QString& text, const QString& title, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::None) = 0;
    // One-line text input; false when cancelled. `value` holds the default on entry.
    virtual bool InputQuery(const QString& title, const QString& prompt, QString& value) = 0;
    // Save-file dialog; false when cancelled.
    virtual bool SaveFile(const SaveFileRequest& request, QString& fileName) = 0;
    // Open-file dialog for an existing file; false when cancelled.
    virtual bool OpenFile(const OpenFileRequest& request, QString& fileName) = 0;
    // The program's display for an error that ends an operation (a conversion error, a file error).
    virtual void ShowError(const QString& message) = 0;
    // One of `items`, `current` offered first: its index, or -1 when cancelled. Without a person
    // to ask, nothing is chosen.
    virtual int ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current)
    {
        (void)title;
        (void)prompt;
        (void)items;
        (void)current;
        return -1;
    }
};

// Answers without a user: each box with its default button, cancel to every input, on standard
// error.
class ConsoleDialogs : public Dialogs {
public:
    Answer Message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    bool InputQuery(const QString& title, const QString& prompt, QString& value) override;
    bool SaveFile(const SaveFileRequest& request, QString& fileName) override;
    bool OpenFile(const OpenFileRequest& request, QString& fileName) override;
    void ShowError(const QString& message) override;
};

}  // namespace krx
