// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <QRegularExpression>

namespace krx::cli {

namespace {
// "!! No device found !!" as "No device found".
QString PlainTitle(const QString& title)
{
    QString t = title;
    static const QRegularExpression marks(QStringLiteral("^[!\\s]+|[!\\s]+$"));
    return t.remove(marks);
}
}  // namespace

Answer CliDialogs::Message(const QString& text, const QString& title, Buttons, Icon)
{
    if (!muted_) {
        const QString t = PlainTitle(title);
        Error(t.isEmpty() || t == QLatin1String("Error") ? text : t + QStringLiteral(": ") + text);
    }
    return Answer::Ok;
}

bool CliDialogs::InputQuery(const QString&, const QString&, QString&)
{
    return false;
}

bool CliDialogs::SaveFile(const SaveFileRequest&, QString&)
{
    return false;
}

bool CliDialogs::OpenFile(const OpenFileRequest&, QString&)
{
    return false;
}

void CliDialogs::ShowError(const QString& message)
{
    if (!muted_)
        Error(message);
}

}  // namespace krx::cli
