// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which of several meters on one computer this process talks to: chosen by its serial number and
// found again by it when it was plugged in anew, never taken from another program. With no meter
// chosen every open goes to the first meter the buses list, as it always did.

#include <QString>

#include <vector>

namespace krx {

struct AttachedMeter {
    enum class State {
        Ready,     // identity read
        NoAccess,  // this user may not open it
        InUse,     // another program holds it: nothing was sent to it
        Silent,    // opened, but its identity could not be read
    };
    int bus = 0;
    int address = 0;
    State state = State::Ready;
    int error = 0;     // the libusb code of the failed open, if any
    QString serial;    // without the meter's padding; empty unless Ready
    QString software;

    // "bus 001 address 004", or "simulated" for the one simulated meter.
    QString Place() const;
    // "73800017", or what is known of a meter without an identity: "bus 001 address 004 in use".
    QString Label() const;
};

// Whether this process may talk to the meter at a place: false while another program holds it.
// A place taken stays taken until released (or the process ends).
class PlaceGuard {
public:
    virtual ~PlaceGuard() = default;
    virtual bool Take(int bus, int address) = 0;
    virtual void Release(int bus, int address) = 0;
};
// Null: every place is free (the simulated meter, the window program).
void SetPlaceGuard(PlaceGuard* guard);

// Every meter attached, in bus order, each opened, asked for its identity and let go again, but
// for those this user may not open and those another program holds, which are sent nothing.
// Places whose meter was identified before are not asked again when `askKnown` is false.
std::vector<AttachedMeter> SurveyMeters(bool askKnown = true);

// From now on every open reaches only this meter; when it is no longer at its place, the meters
// not identified yet are asked for their serial numbers to find it again.
void ChooseMeter(const AttachedMeter& meter);
void ForgetChosenMeter();
// Empty while no meter is chosen.
QString ChosenSerial();
// After a failed open of the chosen meter: looks for it at the places not identified yet. True
// when it was found (the next open goes there).
bool FindChosenMeterAgain();

// The serial numbers (or labels) joined by ", ".
QString MeterLabels(const std::vector<AttachedMeter>& meters);

}  // namespace krx
