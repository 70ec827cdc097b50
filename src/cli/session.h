// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One meter for one command: taken for this process, initialised as Init does, and left to its own
// keys at the end.

#include "cli/console.h"
#include "core/memory_readout.h"
#include "core/meter_init.h"
#include "core/procedure_runner.h"

namespace krx::cli {

// With --simulate no other process shares the meter, so no lock is taken.
void SetSimulated(bool simulated);
// The serial number of the meter to talk to (--serial, KRX738_SERIAL); empty: the only one.
void SetChosenSerial(const QString& serial);

// A failure code of the meter as the messages name it.
QString FailureText(int code);

// One meter, one procedure at a time, on this thread; the person's decisions come from the
// arguments.
class Session {
public:
    Session() : runner_(ProcedureRunner::Mode::Inline, dialogs_) {}

    // Takes the meter for this process and runs Init. kDone, or the exit status with the message said.
    int Open();
    // The meter back to its own keys, as the window's Exit leaves it.
    void Release();
    // From now on no meter that another krx738-cli holds is opened, not even to ask its identity.
    static void GuardPlaces();

    MeterCommands& Meter() { return meter_; }
    ProcedureRunner& Runner() { return runner_; }
    CliDialogs& Dialogs() { return dialogs_; }
    const InitReport& Report() const { return report_; }
    memory::Identity Who() const
    {
        return {report_.identity.deviceName, report_.identity.serialNo, report_.identity.swVersion};
    }

private:
    // Picks the meter among those attached and takes it for this process: kDone, or the exit
    // status with the message said.
    int Choose();

    CliDialogs dialogs_;
    ProcedureRunner runner_;
    MeterCommands meter_;
    InitReport report_;
    int lockFd_ = -1;
};

}  // namespace krx::cli
