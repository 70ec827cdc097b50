// SPDX-License-Identifier: GPL-3.0-or-later
// Scenario files of the simulated meter: any text must end in a scenario or a clear error.
#include "sim/sim_backend.h"

#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        krx::sim::Scenario::FromJson(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::runtime_error&) {
    }
    return 0;
}
