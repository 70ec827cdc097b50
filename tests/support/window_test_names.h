// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names every window test uses: the program's, the fixtures' and the window accessors', brought
// in once for the test files (and only for them) that include this.

#include "app_windows.h"
#include "breakdown_run.h"
#include "sim_fixture.h"

#include <QStringList>

using namespace krx;
using namespace krx::test;
using krx::sim::Fault;
using L = QStringList;
