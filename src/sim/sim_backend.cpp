// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_backend.h"

#include "device/protocol.h"

#include "device/clock.h"
#include "sim/meter.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace krx::sim {

// One simulated meter with the faults armed on it.
struct SimUnit {
    explicit SimUnit(Scenario s) : meter(std::move(s)), start(TheClock().Seconds()) {}

    struct Armed {
        Fault fault;
        int seen = 0;  // matching transfers so far
        bool done = false;
    };

    Meter meter;
    double start;
    std::vector<Armed> faults;
    int address = 0;

    // The faults that apply to this transfer, in the order they were armed.
    std::vector<Fault> Match(int requestType, int command, bool isOpen)
    {
        std::vector<Fault> hits;
        const double elapsed = TheClock().Seconds() - start;
        for (Armed& a : faults) {
            const Fault& f = a.fault;
            if (a.done)
                continue;
            if ((f.kind == Fault::AccessDenied) != isOpen)
                continue;
            if (!isOpen) {
                if (f.command >= 0 && f.command != command)
                    continue;
                const bool in = requestType == protocol::kRequestTypeIn;
                if ((f.direction == 1 && !in) || (f.direction == 2 && in))
                    continue;
            }
            const int index = a.seen++;
            bool hit;
            if (f.atSecond >= 0)
                hit = elapsed >= f.atSecond;
            else
                hit = index >= f.at && index < f.at + std::max(f.count, 1);
            if (hit) {
                hits.push_back(f);
                if (f.kind == Fault::Unplug || f.kind == Fault::Replug || f.atSecond >= 0)
                    a.done = true;  // a plug event happens once
            } else if (f.atSecond < 0 && index >= f.at + std::max(f.count, 1)) {
                a.done = true;
            }
        }
        return hits;
    }
};

struct SimBackend::Impl {
    std::vector<std::unique_ptr<SimUnit>> units;
    size_t current = 0;     // the meter last opened
    bool held = true;       // whether `current` is held open by the host side
    bool aimed = false;
    int aimAddress = 0;
    int nextAddress = 0;    // the address a re-plugged meter gets
    int last_open_error = 0;

    bool Several() const { return units.size() > 1; }
    SimUnit& Current() { return *units[current]; }
};

SimBackend::SimBackend(Scenario scenario) : impl_(std::make_unique<Impl>())
{
    std::vector<Scenario> meters = std::move(scenario.meters);
    scenario.meters.clear();
    if (meters.empty())
        meters.push_back(std::move(scenario));
    int address = 0;
    for (Scenario& s : meters) {
        const std::vector<Fault> faults = s.faults;
        auto unit = std::make_unique<SimUnit>(std::move(s));
        for (const Fault& f : faults)
            unit->faults.push_back({f, 0, false});
        impl_->units.push_back(std::move(unit));
        if (meters.size() > 1) {
            address = impl_->units.back()->meter.scenario().address > 0 ? impl_->units.back()->meter.scenario().address
                                                                         : address + 1;
            impl_->units.back()->address = address;
        }
    }
    for (const auto& u : impl_->units)
        impl_->nextAddress = std::max(impl_->nextAddress, u->address);
}

SimBackend::~SimBackend() = default;

Meter& SimBackend::meter()
{
    return impl_->Current().meter;
}

Meter& SimBackend::meter(size_t i)
{
    return impl_->units.at(i)->meter;
}

size_t SimBackend::MeterCount() const
{
    return impl_->units.size();
}

void SimBackend::Inject(const Fault& fault)
{
    impl_->Current().faults.push_back({fault, 0, false});
}

void SimBackend::ClearFaults()
{
    for (auto& u : impl_->units)
        u->faults.clear();
}

std::vector<MeterPlace> SimBackend::ListMeters()
{
    if (!impl_->Several())
        return UsbBackend::ListMeters();
    std::vector<MeterPlace> places;
    for (const auto& u : impl_->units)
        if (u->meter.Present())
            places.push_back({1, u->address, u->meter.AccessDenied() ? kUsbErrorAccess : 0});
    // In bus order, as the real buses are looked at.
    std::sort(places.begin(), places.end(), [](const MeterPlace& a, const MeterPlace& b) { return a.address < b.address; });
    return places;
}

size_t SimBackend::CountMeters()
{
    return static_cast<size_t>(std::count_if(impl_->units.begin(), impl_->units.end(),
                                              [](const auto& u) { return u->meter.Present(); }));
}

void SimBackend::AimAt(bool aim, int bus, int address)
{
    // One meter alone answers wherever it is looked for, as before.
    impl_->aimed = aim && impl_->Several();
    impl_->aimAddress = bus == 1 ? address : -1;
}

void SimBackend::CloseDevice()
{
    impl_->Current().meter.Close();
    impl_->held = false;
}

int SimBackend::OpenDevice()
{
    Impl& d = *impl_;
    if (d.held)
        d.Current().meter.Close();
    d.held = false;
    d.last_open_error = 0;
    // Aimed: the meter at that address; else the first in bus order.
    std::optional<size_t> target;
    for (size_t i = 0; i < d.units.size(); ++i) {
        const SimUnit& u = *d.units[i];
        if (!d.Several()) {
            target = i;
        } else if (u.meter.Present() && (d.aimed ? u.address == d.aimAddress
                                                  : !target || u.address < d.units[*target]->address)) {
            target = i;
        }
    }
    if (!target)
        return 0;
    d.current = *target;
    d.held = true;
    SimUnit& unit = d.Current();
    for (const Fault& f : unit.Match(0, -1, true)) {
        (void)f;
        unit.meter.SetAccessDenied(true);
    }
    const int result = unit.meter.Open();
    if (result == 0 && unit.meter.Present() && unit.meter.AccessDenied())
        d.last_open_error = kUsbErrorAccess;
    return result;
}

int SimBackend::LastOpenError() const
{
    return impl_->last_open_error;
}

int SimBackend::ControlTransfer(int requestType, int request, int value, int index, unsigned char* data,
                                int length, int timeoutMs)
{
    SimUnit& unit = impl_->Current();
    Meter& m = unit.meter;
    const std::vector<Fault> hits = unit.Match(requestType, value, false);
    const Fault* reply_fault = nullptr;
    for (const Fault& f : hits) {
        switch (f.kind) {
        case Fault::Unplug:
            m.SetPresent(false);
            break;
        case Fault::Replug:
            m.SetPresent(true);
            if (impl_->Several())
                unit.address = ++impl_->nextAddress;
            break;
        case Fault::Fail:
            return f.code;
        case Fault::Timeout:
            TheClock().Sleep(timeoutMs);
            return kUsbErrorTimeout;
        case Fault::Short:
        case Fault::Garbage:
            reply_fault = &f;
            break;
        case Fault::AccessDenied:
            break;
        }
    }
    if (!reply_fault || requestType != protocol::kRequestTypeIn || length <= 0)
        return m.Transfer(requestType, request, value, index, data, length);
    // A short reply delivers fewer bytes and leaves the rest of the host's buffer as it was.
    std::vector<unsigned char> reply(static_cast<size_t>(length));
    int result = m.Transfer(requestType, request, value, index, reply.data(), length);
    if (result > 0) {
        if (reply_fault->kind == Fault::Short)
            result = std::clamp(reply_fault->bytes, 0, result);
        else
            std::fill(reply.begin(), reply.begin() + result, static_cast<unsigned char>('?'));
        std::copy(reply.begin(), reply.begin() + result, data);
    }
    return result;
}

}  // namespace krx::sim
