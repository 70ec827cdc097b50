// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/backend.h"
#include "device/protocol.h"

#include <libusb.h>

#include <algorithm>
#include <vector>

namespace krx {
namespace {

// The layers above name libusb's codes without including libusb (Init tells a missing permission
// apart from an absent meter by kUsbErrorAccess), so the two lists must agree.
constexpr bool Same(UsbError ours, libusb_error theirs)
{
    return static_cast<int>(ours) == static_cast<int>(theirs);
}
static_assert(Same(kUsbErrorIo, LIBUSB_ERROR_IO) && Same(kUsbErrorInvalidParam, LIBUSB_ERROR_INVALID_PARAM) &&
              Same(kUsbErrorAccess, LIBUSB_ERROR_ACCESS) && Same(kUsbErrorNoDevice, LIBUSB_ERROR_NO_DEVICE) &&
              Same(kUsbErrorNotFound, LIBUSB_ERROR_NOT_FOUND) && Same(kUsbErrorBusy, LIBUSB_ERROR_BUSY) &&
              Same(kUsbErrorTimeout, LIBUSB_ERROR_TIMEOUT) && Same(kUsbErrorOverflow, LIBUSB_ERROR_OVERFLOW) &&
              Same(kUsbErrorPipe, LIBUSB_ERROR_PIPE) && Same(kUsbErrorOther, LIBUSB_ERROR_OTHER));

using protocol::kVendorId;
using protocol::kProductId;

class LibusbBackend : public UsbBackend {
public:
    ~LibusbBackend() override
    {
        // The handle is left to the operating system at exit, as the meter expects; only the
        // context would matter, and it is released with the process too.
    }

    int OpenDevice() override
    {
        libusb_device** list = nullptr;
        const std::vector<libusb_device*> meters = Enumerate(list);
        if (!list)
            return 0;
        // The first match is the meter, or the one at the aimed place; a second one is never tried.
        libusb_device* meter = meters.empty() ? nullptr : meters.front();
        if (aimed_) {
            meter = nullptr;
            for (libusb_device* dev : meters)
                if (libusb_get_bus_number(dev) == aim_bus_ && libusb_get_device_address(dev) == aim_address_)
                    meter = dev;
        }
        int result = 0;
        if (meter) {
            const int rc = libusb_open(meter, &handle_);
            if (rc != 0) {
                handle_ = nullptr;
                last_error_ = rc;
            } else if (const int cfg = libusb_set_configuration(handle_, protocol::kConfiguration); cfg != 0) {
                last_error_ = cfg;  // the handle stays held; the next OpenDevice closes it
            } else if (const int claim = libusb_claim_interface(handle_, protocol::kInterface); claim != 0) {
                last_error_ = claim;
            } else {
                result = 1;
            }
        }
        libusb_free_device_list(list, 1);
        return result;
    }

    std::vector<MeterPlace> ListMeters() override
    {
        libusb_device** list = nullptr;
        const std::vector<libusb_device*> meters = Enumerate(list);
        std::vector<MeterPlace> places;
        for (libusb_device* dev : meters) {
            MeterPlace p{libusb_get_bus_number(dev), libusb_get_device_address(dev), 0};
            libusb_device_handle* h = nullptr;
            p.openError = libusb_open(dev, &h);
            if (h)
                libusb_close(h);
            places.push_back(p);
        }
        if (list)
            libusb_free_device_list(list, 1);
        return places;
    }

    int ControlTransfer(int requestType, int request, int value, int index, unsigned char* data,
                        int length, int timeoutMs) override
    {
        // wLength has 16 bits; libusb would truncate anything else and copy past the buffer.
        if (length < 0 || length > 0xFFFF || (length > 0 && !data))
            return LIBUSB_ERROR_INVALID_PARAM;
        if (!handle_)
            return LIBUSB_ERROR_NO_DEVICE;
        return libusb_control_transfer(handle_, static_cast<uint8_t>(requestType),
                                       static_cast<uint8_t>(request), static_cast<uint16_t>(value),
                                       static_cast<uint16_t>(index), data,
                                       static_cast<uint16_t>(length), static_cast<unsigned>(timeoutMs));
    }

    int LastOpenError() const override { return last_error_; }

    size_t CountMeters() override
    {
        libusb_device** list = nullptr;
        const size_t count = Enumerate(list, false).size();
        if (list)
            libusb_free_device_list(list, 1);
        return count;
    }

    void AimAt(bool aim, int bus, int address) override
    {
        aimed_ = aim;
        aim_bus_ = bus;
        aim_address_ = address;
    }

    void CloseDevice() override
    {
        if (!handle_)
            return;
        libusb_release_interface(handle_, protocol::kInterface);
        libusb_close(handle_);
        handle_ = nullptr;
    }

private:
    // Drops the held handle (unless told not to) and lists the meters in bus order, then device order within a bus,
    // as the meter was always looked for. `list` is null when enumeration failed; otherwise the
    // caller frees it.
    std::vector<libusb_device*> Enumerate(libusb_device**& list, bool dropHandle = true)
    {
        list = nullptr;
        if (handle_ && dropHandle) {
            libusb_close(handle_);
            handle_ = nullptr;
        }
        last_error_ = 0;
        if (!ctx_ && libusb_init(&ctx_) != 0) {
            ctx_ = nullptr;
            last_error_ = kUsbErrorOther;
            return {};
        }
        const ssize_t count = libusb_get_device_list(ctx_, &list);
        if (count < 0) {
            list = nullptr;
            last_error_ = static_cast<int>(count);
            return {};
        }
        std::vector<libusb_device*> devices(list, list + count);
        std::stable_sort(devices.begin(), devices.end(), [](libusb_device* a, libusb_device* b) {
            const auto ka = std::make_pair(libusb_get_bus_number(a), libusb_get_device_address(a));
            const auto kb = std::make_pair(libusb_get_bus_number(b), libusb_get_device_address(b));
            return ka < kb;
        });
        std::vector<libusb_device*> meters;
        for (libusb_device* dev : devices) {
            libusb_device_descriptor desc{};
            if (libusb_get_device_descriptor(dev, &desc) == 0 && desc.idVendor == kVendorId &&
                desc.idProduct == kProductId)
                meters.push_back(dev);
        }
        return meters;
    }

    libusb_context* ctx_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    int last_error_ = 0;
    bool aimed_ = false;
    int aim_bus_ = 0;
    int aim_address_ = 0;
};

}  // namespace

std::unique_ptr<UsbBackend> MakeLibusbBackend()
{
    return std::make_unique<LibusbBackend>();
}

}  // namespace krx
