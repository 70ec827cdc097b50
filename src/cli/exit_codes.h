// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exit status of krx738-cli: documented in --help and the man page; scripts rely on them.

#include <QtGlobal>

namespace krx::cli {

enum Exit {
    kDone = 0,
    kUsage = 1,
    kNoMeter = 2,
    kNoAccess = 3,        // no permission, or another krx738-cli holds the meter
    kConnectionLost = 4,
    kFileError = 5,
    kNotMeasured = 6,     // the meter answered but did not measure (no stable measuring voltage)
    kHistoryError = 7,    // the test history cannot be used; a measurement's test was kept in the outbox or lost
    kRangeMissing = 8,    // memory read --range: part or all of the range is not in the meter's memory
    kNoSuchAsset = 9,     // history show, export: the history holds no asset of that id
    kSeveralMeters = 10,  // several meters attached and none chosen by --serial or KRX738_SERIAL
    kPlanAttention = 11,  // plan status: an item failed its last verification or is overdue
};

// The list under krx738-cli --help; kept beside the numbers so that the two change together.
inline constexpr const char* kExitCodesHelp = QT_TRANSLATE_NOOP(
    "cli",
    "Exit status:\n"
    "  0  done\n"
    "  1  usage: an argument is wrong (nothing was sent to the meter)\n"
    "  2  no meter found, or the meter chosen by its serial number is not attached\n"
    "  3  no access to the meter (udev rule missing, or another krx738-cli uses it)\n"
    "  4  connection to the meter lost (the records written so far are complete)\n"
    "  5  file error: the output or trace file cannot be written, or figures: the recording\n"
    "     cannot be read, is not a recording or was cut off, or plan import: the plan file\n"
    "     cannot be read or was refused (nothing was imported; the message names the line)\n"
    "  6  the meter did not measure (no stable measuring voltage)\n"
    "  7  the test history cannot be used (measure --asset: the test was kept in the outbox,\n"
    "     or could not be kept; the message says which)\n"
    "  8  memory read --range: file numbers of the range are not in the meter's memory; the\n"
    "     records that are there were written, the message names the missing ones\n"
    "  9  history show, export: the test history holds no asset of that id; plan status --area:\n"
    "     the plan has no such area\n"
    "  10  several meters are attached and none was chosen with --serial or KRX738_SERIAL;\n"
    "      the message lists their serial numbers (nothing but their identity was asked)\n"
    "  11  plan status: an item listed failed its last verification or is overdue (the list\n"
    "      was written in full)\n");

}  // namespace krx::cli
