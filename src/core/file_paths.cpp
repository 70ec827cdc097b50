// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_paths.h"

#include <algorithm>

namespace krx {

QString DirectoryPart(const QString& path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return cut < 0 ? QString() : path.left(cut + 1);
}

}  // namespace krx
