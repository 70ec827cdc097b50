// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the picture tools share: each window grabbed into OUTPUT_FOLDER/name.png, and every failure
// counted, so that a run with a picture missing ends with a non-zero status.

#include <QString>

class QWidget;

namespace krx::pictures {

// Lets pending paints run, then writes the window's picture and prints its path.
void Save(QWidget* window, const QString& folder, const QString& name);
// Something the run could not picture; said by the caller, counted here.
void CountFailure();
// 0 when every picture was written, else 1.
int ExitCode();

}  // namespace krx::pictures
