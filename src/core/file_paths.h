// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths as the exports and the settings file use them.

#include <QString>

namespace krx {

// The path up to and including its last folder separator; empty without one. Off Windows only
// "/" separates folders: "\" is an ordinary character of a file name there.
QString DirectoryPart(const QString& path);

}  // namespace krx
