// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/file_paths.h"

#include <QDir>

#include <algorithm>

namespace krx {

QString DirectoryPart(const QString& path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    if (QDir::separator() != QLatin1Char('\\'))
        cut = std::max(cut, path.lastIndexOf(QDir::separator()));
    return cut < 0 ? QString() : path.left(cut + 1);
}

}  // namespace krx
