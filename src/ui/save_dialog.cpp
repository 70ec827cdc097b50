// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/save_dialog.h"
#include "ui/window_dialogs.h"

#include "core/csv_appender.h"

#include <QStringList>

namespace krx {

bool SaveDialog::Execute()
{
    QString chosen = FileName;
    if (!WindowDialogs().SaveFile(Request(), chosen))
        return false;
    FileName = chosen;
    // A new save begins: what an earlier one replaced is no longer news.
    ForgetReplacements();
    return true;
}

SaveFileRequest SaveDialog::Request() const
{
    SaveFileRequest r;
    r.title = Title;
    r.initialDir = InitialDir;
    r.filter = QtFilter(Filter);
    r.defaultSuffix = DefaultExt;
    return r;
}

QString QtFilter(const QString& designerFilter)
{
    const QStringList parts = designerFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the last parentheses of a choice.
        if (name.endsWith(QLatin1Char(')')) && name.contains(QLatin1Char('(')) &&
            name.mid(name.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).trimmed() == patterns)
            out << name;
        else
            out << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace krx
