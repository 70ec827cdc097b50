// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// krx738-cli figures: a recording judged again, without a meter.

#include "cli/figures_text.h"
#include "core/judging/method_result.h"

#include <QString>

namespace krx::cli {

struct FiguresArgs {
    QString file;
    DarTimes darTimes = DarTimes::From30To60;
    std::optional<Nameplate> plate;  // empty: none of the nameplate options given
    std::optional<double> winding;   // --winding-temp
    bool jsonl = false;
    std::optional<MethodRequest> method;  // --method: an ESD or material run judged again
    LimitLibrary limits;
};

// Reads the recording whole before a word is printed: a file that is not one, or was cut off,
// is refused with its line (kFileError).
int FiguresCommand(const FiguresArgs& args);

}  // namespace krx::cli
