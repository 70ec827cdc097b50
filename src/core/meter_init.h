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
    QString chosenSerial;                 // the meter chosen among several; empty: no choice
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

// Which meter Init works with when one is wanted by its serial number or several are attached.
struct MeterPick {
    enum class Outcome {
        AsBefore,     // one meter and none wanted: the first meter, nothing asked
        Chosen,       // the meter with `serial`; every open goes to it from now on
        NotAttached,  // the meter wanted is not attached: said to the person
        Cancelled,    // the person chose none
    };
    Outcome outcome = Outcome::AsBefore;
    QString serial;
};
// `wanted` (--serial, KRX738_SERIAL) must be attached; `remembered` (settings key MeterSerial,
// an earlier run's choice) is taken when it is. Otherwise, with several meters attached, the
// person chooses among those that answer (serial number, software, place on the bus), and the
// choice goes to the settings file. A meter chosen earlier in this run stays chosen.
MeterPick PickMeter(Dialogs& person, const QString& wanted, const QString& remembered);

}  // namespace krx
