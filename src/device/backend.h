// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process-wide USB backend behind the transport: real libusb by default, the simulated meter
// when the program runs with --simulate. Nothing above KRX_738 knows which one runs but for the
// mark that tells a simulated test from a real one (BackendIsSimulated).

#include <memory>
#include <vector>

namespace krx {

// A meter on the buses: where it sits (0/0 for the simulated one) and whether this user may open
// it (0, or the negative libusb code of the open that failed).
struct MeterPlace {
    int bus = 0;
    int address = 0;
    int openError = 0;
};

class UsbBackend {
public:
    virtual ~UsbBackend() = default;
    // Closes what is held, enumerates afresh, opens the first meter, selects configuration 1 and
    // claims interface 0. 1 on success, 0 otherwise.
    virtual int OpenDevice() = 0;
    // One control transfer on the held handle: byte count or a negative libusb error code.
    virtual int ControlTransfer(int requestType, int request, int value, int index,
                                unsigned char* data, int length, int timeoutMs) = 0;
    // Why the last OpenDevice returned 0: 0 when no meter was found, otherwise the negative
    // libusb code of the step that failed (LIBUSB_ERROR_ACCESS when permission was missing).
    virtual int LastOpenError() const { return 0; }
    // Every meter present, in the order OpenDevice looks at them: the first one is the one it
    // opens. Each is opened and closed again to learn whether this user may; the held handle
    // goes as with OpenDevice. The default knows only the first meter, through OpenDevice.
    virtual std::vector<MeterPlace> ListMeters();
    // How many meters are present, without opening any.
    virtual size_t CountMeters() { return ListMeters().size(); }
    // True for the simulated meter: what it gives is no measurement and is marked so.
    virtual bool Simulated() const { return false; }
    // From now on OpenDevice opens only the meter at this place (one ListMeters gave); with
    // aim false, the first meter again. A meter no longer at the place is not found.
    virtual void AimAt(bool aim, int bus, int address)
    {
        (void)aim;
        (void)bus;
        (void)address;
    }
    // Lets go of the held meter, so that another program may open it.
    virtual void CloseDevice() {}
};

// libusb-1.0 error codes, so that layers without libusb can name them.
enum UsbError {
    kUsbErrorIo = -1,
    kUsbErrorInvalidParam = -2,
    kUsbErrorAccess = -3,
    kUsbErrorNoDevice = -4,
    kUsbErrorNotFound = -5,
    kUsbErrorBusy = -6,
    kUsbErrorTimeout = -7,
    kUsbErrorOverflow = -8,
    kUsbErrorPipe = -9,
    kUsbErrorOther = -99,
};

UsbBackend& TheUsbBackend();
// Replaces the process-wide backend; nullptr restores the libusb backend.
void SetUsbBackend(std::unique_ptr<UsbBackend> backend);
std::unique_ptr<UsbBackend> MakeLibusbBackend();
// True while a backend other than libusb is installed (the simulated meter): what it measures is
// no measurement, and the windows and reports say so.
bool BackendIsSimulated();

}  // namespace krx
