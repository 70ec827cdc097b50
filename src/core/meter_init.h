// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Init without widgets: find the meter, read its identity, battery and measuring setup. The
// window shows the report; the meter is told it is in the main window (remote mode 3).

#include "core/procedure_host.h"
#include "device/commands.h"

#include <QDateTime>

#include <optional>

namespace krx {

struct InitReport {
    enum class Outcome {
        Ready,       // identity read: the function buttons may be used
        NoMeter,     // said to the user: no meter answered
        NoAccess,    // said to the user: a meter is there that this user may not open
        MeterGone,   // said to the user: the meter vanished after its identity
    };
    Outcome outcome = Outcome::NoMeter;
    Identity identity;                    // as read; the previous one when the reply held no bytes
    QDateTime at;                         // the PC's time of the identity read
    bool batteryEmpty = false;
    std::optional<MeasuringSetup> setup;  // none when it could not be read
};

// Connects; when connected, tells the meter it is in the main window. True when connected.
bool ConnectIdle(MeterCommands& meter);

// The identity, battery and setup read. `known` is the identity the program holds so far.
InitReport InitDevice(MeterCommands& meter, ProcedureHost& host, const Identity& known);

// Init as the button runs it: the read above, then the meter told once more that the main window
// is active (unless the meter vanished on the way).
InitReport InitFromButton(MeterCommands& meter, ProcedureHost& host, const Identity& known);

// What a user without the udev rule reads after Init: the cause and the fix.
QString NoAccessText();

}  // namespace krx
