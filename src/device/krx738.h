// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The USB transport to the meter: find and open it, and the two vendor control transfers that
// every device operation is built from. All objects share the one process-wide device handle.

class KRX_738 {
public:
    static constexpr int VendorId = 0x16C0;
    static constexpr int ProductId = 0x2B5F;
    static constexpr int Configuration = 1;
    static constexpr int Interface = 0;
    static constexpr int RequestTypeIn = 0xC0;   // device to host, vendor, device
    static constexpr int RequestTypeOut = 0x40;  // host to device, vendor, device
    static constexpr int TimeoutMs = 1000;

    virtual ~KRX_738() = default;

    // 1 when the meter was found, opened, configured and its interface claimed; 0 otherwise.
    int OpenDevice();
    // Arguments in setup-packet order; byte count or a negative libusb error code.
    int ControlIn(int request, int value, int index, unsigned char* buffer, int length);
    int ControlOut(int request, int value, int index, const unsigned char* buffer, int length);
};
