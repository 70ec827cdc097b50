// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_backend.h"

#include "device/protocol.h"

#include "device/clock.h"
#include "sim/meter.h"

#include <cstring>

namespace krx::sim {

struct SimBackend::Impl {
    explicit Impl(Scenario s) : meter(std::move(s)), start(TheClock().Seconds()) {}

    struct Armed {
        Fault fault;
        int seen = 0;  // matching transfers so far
        bool done = false;
    };

    Meter meter;
    double start;
    std::vector<Armed> faults;
    int last_open_error = 0;

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

SimBackend::SimBackend(Scenario scenario) : impl_(std::make_unique<Impl>(std::move(scenario)))
{
    for (const Fault& f : impl_->meter.scenario().faults)
        Inject(f);
}

SimBackend::~SimBackend() = default;

Meter& SimBackend::meter()
{
    return impl_->meter;
}

void SimBackend::Inject(const Fault& fault)
{
    impl_->faults.push_back({fault, 0, false});
}

void SimBackend::ClearFaults()
{
    impl_->faults.clear();
}

int SimBackend::OpenDevice()
{
    for (const Fault& f : impl_->Match(0, -1, true)) {
        (void)f;
        impl_->meter.SetAccessDenied(true);
    }
    const int result = impl_->meter.Open();
    impl_->last_open_error = 0;
    if (result == 0 && impl_->meter.Present() && impl_->meter.AccessDenied())
        impl_->last_open_error = kUsbErrorAccess;
    return result;
}

int SimBackend::LastOpenError() const
{
    return impl_->last_open_error;
}

int SimBackend::ControlTransfer(int requestType, int request, int value, int index, unsigned char* data,
                                int length, int timeoutMs)
{
    Meter& m = impl_->meter;
    const std::vector<Fault> hits = impl_->Match(requestType, value, false);
    const Fault* reply_fault = nullptr;
    for (const Fault& f : hits) {
        switch (f.kind) {
        case Fault::Unplug:
            m.SetPresent(false);
            break;
        case Fault::Replug:
            m.SetPresent(true);
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
