// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The USB transport to the meter: find and open it, and the two vendor control transfers that
// every device operation is built from. All objects share the one process-wide device handle.

class KRX_738 {
public:
    virtual ~KRX_738() = default;

    // 1 when the meter was found, opened, configured and its interface claimed; 0 otherwise.
    int OpenDevice();
    // The same without looking for a chosen meter elsewhere.
    int OpenOnly();
    // Arguments in setup-packet order; byte count or a negative libusb error code.
    int ControlIn(int request, int value, int index, unsigned char* buffer, int length);
    int ControlOut(int request, int value, int index, const unsigned char* buffer, int length);
};
