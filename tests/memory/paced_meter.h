// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated meter at the speed of a real one: every control transfer advances the virtual
// clock by the time it would take on the bus, so code that paces itself by the counter sees a
// meter that answers in milliseconds instead of at once.

#include "device/clock.h"
#include "device/backend.h"
#include "sim/sim_backend.h"

#include <memory>

namespace krx::test {

class PacedMeter : public UsbBackend {
public:
    PacedMeter(sim::Scenario scenario, VirtualClock& clock, double msPerTransfer)
        : sim_(std::make_unique<sim::SimBackend>(std::move(scenario))), clock_(clock), ms_(msPerTransfer)
    {
    }
    int OpenDevice() override { return sim_->OpenDevice(); }
    int ControlTransfer(int requestType, int request, int value, int index, unsigned char* data, int length,
                        int timeoutMs) override
    {
        clock_.Advance(ms_ / 1000.0);
        return sim_->ControlTransfer(requestType, request, value, index, data, length, timeoutMs);
    }
    int LastOpenError() const override { return sim_->LastOpenError(); }
    sim::SimBackend& sim() { return *sim_; }

private:
    std::unique_ptr<sim::SimBackend> sim_;
    VirtualClock& clock_;
    double ms_;
};

}  // namespace krx::test
