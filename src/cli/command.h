// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A command of krx738-cli as main's table lists it. A new command is one file that defines its
// Command, and one line in main's table.

#include "cli/exit_codes.h"
#include "cli/options.h"

#include <functional>

namespace krx::cli {

// The command to run once every argument is known to be good; empty when only its help was printed.
using Run = std::function<int()>;

struct Command {
    const char* name;
    // Its lines in the list of commands under krx738-cli --help.
    const char* summary;
    // Parses and checks the command's own arguments; throws UsageError.
    Run (*parse)(QCommandLineParser& p, const QStringList& args, Globals& g);
};

// Each defined in the command's own file.
extern const Command kListCommand, kInfoCommand, kMeasureCommand, kMemoryCommand, kSetupCommand, kHistoryCommand,
    kFiguresCommand, kPlanCommand;

}  // namespace krx::cli
