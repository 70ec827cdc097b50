// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths as the save dialogs hand them out.

#include <QString>

namespace krx {

// The path up to and including its last separator ("\" or the platform's); empty without one.
QString DirectoryPart(const QString& path);

}  // namespace krx
