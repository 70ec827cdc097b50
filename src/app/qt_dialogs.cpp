// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_dialogs.h"

#include <QCoreApplication>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace krx {

namespace {
QWidget* Owner()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon ToQt(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

Answer QtDialogs::Message(const QString& text, const QString& title, Buttons buttons, Icon icon)
{
    if (buttons == Buttons::FileDiscardCancel) {
        QMessageBox box(ToQt(icon), title, text, QMessageBox::Cancel, Owner());
        QPushButton* file = box.addButton(QCoreApplication::translate("Dialogs", "&File…"), QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton(QCoreApplication::translate("Dialogs", "&Discard"), QMessageBox::DestructiveRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return box.clickedButton() == file ? Answer::Ok : box.clickedButton() == discard ? Answer::Discard
                                                                                          : Answer::Cancel;
    }
    QMessageBox box(ToQt(icon), title, text,
                    buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, Owner());
    box.setDefaultButton(buttons == Buttons::OkCancelDefaultCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

bool QtDialogs::InputQuery(const QString& title, const QString& prompt, QString& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(Owner(), title, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = text;
    return ok;
}

int QtDialogs::ChooseItem(const QString& title, const QString& prompt, const QStringList& items, int current)
{
    bool ok = false;
    const QString chosen = QInputDialog::getItem(Owner(), title, prompt, items, current, false, &ok);
    return ok ? static_cast<int>(items.indexOf(chosen)) : -1;
}

bool QtDialogs::SaveFile(const SaveFileRequest& request, QString& fileName)
{
    QFileDialog dialog(Owner(), request.title, request.initialDir, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // An existing file is appended to, so there is nothing to warn about.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().front();
    return true;
}

bool QtDialogs::OpenFile(const OpenFileRequest& request, QString& fileName)
{
    QFileDialog dialog(Owner(), request.title, request.initialDir, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().front();
    return true;
}

void QtDialogs::ShowError(const QString& message)
{
    QMessageBox::critical(Owner(), QCoreApplication::translate("Dialogs", "Error"), message);
}

}  // namespace krx
