// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/backend.h"

namespace krx {

namespace {
std::unique_ptr<UsbBackend>& Slot()
{
    static std::unique_ptr<UsbBackend> backend;
    return backend;
}
}  // namespace

UsbBackend& TheUsbBackend()
{
    auto& slot = Slot();
    if (!slot)
        slot = MakeLibusbBackend();
    return *slot;
}

void SetUsbBackend(std::unique_ptr<UsbBackend> backend)
{
    Slot() = std::move(backend);
}

}  // namespace krx
