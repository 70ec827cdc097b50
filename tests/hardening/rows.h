#pragma once
// The procedures of the fault matrix, one function per row.

#include "fault_matrix.h"

namespace krx::test {

// Init in the main window, and a check that the program can still find and use the meter.
void InitInParent(SimSetup& t);
bool MainWindowUsable(Run& run, QString& why);

Procedure InitRow();
Procedure ExitRow();

}  // namespace krx::test
