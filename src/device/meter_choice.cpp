// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/meter_choice.h"

#include "device/backend.h"
#include "device/commands.h"

#include <QCoreApplication>
#include <QStringList>

#include <map>
#include <mutex>
#include <utility>

namespace krx {

namespace {

struct Choice {
    std::recursive_mutex mutex;
    PlaceGuard* guard = nullptr;
    QString serial;  // empty: none chosen
    int bus = 0;
    int address = 0;
    // What each place answered: a device keeps its address until it is unplugged.
    std::map<std::pair<int, int>, QString> known;
};

Choice& TheChoice()
{
    static Choice c;
    return c;
}

void AimAtChoice(Choice& c)
{
    TheUsbBackend().AimAt(!c.serial.isEmpty(), c.bus, c.address);
}

}  // namespace

QString AttachedMeter::Place() const
{
    if (bus == 0 && address == 0)
        return QStringLiteral("simulated");
    return QStringLiteral("bus %1 address %2").arg(bus, 3, 10, QLatin1Char('0')).arg(address, 3, 10, QLatin1Char('0'));
}

QString AttachedMeter::Label() const
{
    switch (state) {
    case State::Ready:
        return serial;
    case State::NoAccess:
        return Place() + QStringLiteral(" no access");
    case State::InUse:
        return Place() + QStringLiteral(" in use by another program");
    case State::Silent:
        break;
    }
    return Place() + QStringLiteral(" not answering");
}

QString MeterLabels(const std::vector<AttachedMeter>& meters)
{
    QStringList labels;
    for (const AttachedMeter& m : meters)
        labels << m.Label();
    return labels.join(QStringLiteral(", "));
}

void SetPlaceGuard(PlaceGuard* guard)
{
    std::lock_guard lock(TheChoice().mutex);
    TheChoice().guard = guard;
}

std::vector<AttachedMeter> SurveyMeters(bool askKnown)
{
    Choice& c = TheChoice();
    std::lock_guard lock(c.mutex);
    UsbBackend& backend = TheUsbBackend();
    std::vector<AttachedMeter> meters;
    for (const MeterPlace& p : backend.ListMeters()) {
        AttachedMeter m;
        m.bus = p.bus;
        m.address = p.address;
        const std::pair place{p.bus, p.address};
        if (p.openError == kUsbErrorAccess) {
            m.state = AttachedMeter::State::NoAccess;
            m.error = p.openError;
            meters.push_back(m);
            continue;
        }
        if (!askKnown && c.known.count(place)) {
            m.serial = c.known[place];
            meters.push_back(m);
            continue;
        }
        if (c.guard && !c.guard->Take(p.bus, p.address)) {
            m.state = AttachedMeter::State::InUse;
            meters.push_back(m);
            continue;
        }
        backend.AimAt(true, p.bus, p.address);
        KRX_738 transport;
        if (transport.OpenOnly() != 1) {
            m.error = backend.LastOpenError();
            m.state = m.error == kUsbErrorAccess ? AttachedMeter::State::NoAccess
                      : m.error == kUsbErrorBusy ? AttachedMeter::State::InUse
                                                 : AttachedMeter::State::Silent;
        } else if (const Result<Identity> id = MeterCommands().ReadIdentity(); id && !id->serialNo.trimmed().isEmpty()) {
            m.serial = id->serialNo.trimmed();
            m.software = id->swVersion.trimmed();
            c.known[place] = m.serial;
        } else {
            m.state = AttachedMeter::State::Silent;
        }
        backend.CloseDevice();
        const bool chosen = !c.serial.isEmpty() && m.serial == c.serial;
        if (c.guard && !chosen)
            c.guard->Release(p.bus, p.address);
        meters.push_back(m);
    }
    AimAtChoice(c);
    return meters;
}

void ChooseMeter(const AttachedMeter& meter)
{
    Choice& c = TheChoice();
    std::lock_guard lock(c.mutex);
    c.serial = meter.serial;
    c.bus = meter.bus;
    c.address = meter.address;
    AimAtChoice(c);
}

void ForgetChosenMeter()
{
    Choice& c = TheChoice();
    std::lock_guard lock(c.mutex);
    c.serial.clear();
    c.known.clear();
    AimAtChoice(c);
}

QString ChosenSerial()
{
    Choice& c = TheChoice();
    std::lock_guard lock(c.mutex);
    return c.serial;
}

bool FindChosenMeterAgain()
{
    Choice& c = TheChoice();
    std::lock_guard lock(c.mutex);
    if (c.serial.isEmpty())
        return false;
    // The old place is stale: a meter found there now is another device.
    c.known.erase({c.bus, c.address});
    for (const AttachedMeter& m : SurveyMeters(false)) {
        if (m.state == AttachedMeter::State::Ready && m.serial == c.serial) {
            if (c.guard && (m.bus != c.bus || m.address != c.address))
                c.guard->Release(c.bus, c.address);
            c.bus = m.bus;
            c.address = m.address;
            AimAtChoice(c);
            return true;
        }
    }
    return false;
}

}  // namespace krx
