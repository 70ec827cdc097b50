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

std::vector<MeterPlace> UsbBackend::ListMeters()
{
    if (OpenDevice() == 1)
        return {MeterPlace{}};
    if (LastOpenError() != 0)
        return {MeterPlace{0, 0, LastOpenError()}};
    return {};
}

namespace {
bool g_installed = false;
}  // namespace

void SetUsbBackend(std::unique_ptr<UsbBackend> backend)
{
    g_installed = backend != nullptr;
    Slot() = std::move(backend);
}

bool BackendIsSimulated()
{
    return g_installed;
}

}  // namespace krx
