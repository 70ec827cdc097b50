// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Installs a virtual clock, the simulated meter and scripted dialogs for one test, and clears
// the transfer log, so that every test starts from a meter that was just plugged in.

#include "device/clock.h"
#include "device/backend.h"
#include "device/transfer_log.h"
#include "qt_print.h"
#include "scripted_dialogs.h"
#include "sim/meter.h"
#include "sim/sim_backend.h"

#include <QStringList>

#include <memory>

namespace krx::test {

class SimSetup {
public:
    explicit SimSetup(sim::Scenario scenario = sim::Scenario::Default())
    {
        SetClock(&clock);
        auto backend = std::make_unique<sim::SimBackend>(std::move(scenario));
        sim = backend.get();
        SetUsbBackend(std::move(backend));
        TheTransferLog().Clear();
        mark = clock.Seconds();
    }
    ~SimSetup()
    {
        SetUsbBackend(nullptr);
        SetClock(nullptr);
    }
    SimSetup(const SimSetup&) = delete;
    SimSetup& operator=(const SimSetup&) = delete;

    sim::Meter& meter() { return sim->meter(); }
    // The log lines since the last call (or since set-up), the first one timed from then.
    QStringList Take()
    {
        QStringList lines = TheTransferLog().Lines(mark);
        mark = clock.Seconds();
        TheTransferLog().Clear();
        return lines;
    }

    VirtualClock clock;
    ScopedDialogs dialogs;
    sim::SimBackend* sim = nullptr;
    double mark = 0.0;
};

}  // namespace krx::test
