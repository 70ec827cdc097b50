// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The procedures of the fault matrix, one function per row.

#include "fault_matrix.h"

#include <utility>
#include <vector>

namespace krx::test {

// Init in the main window, and a check that the program can still find and use the meter.
void InitInParent(SimSetup& t);
bool MainWindowUsable(Run& run, QString& why);

// Procedures that misbehave on purpose, each with a word of the undefined outcome it must get.
std::vector<std::pair<Procedure, QString>> SelfCheckRows();

Procedure InitRow();
Procedure ExitRow();
std::vector<Procedure> MeasureRows();
std::vector<Procedure> MemoryRows();
Procedure BreakDownRow();

}  // namespace krx::test
