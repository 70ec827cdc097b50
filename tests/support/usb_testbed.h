// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Meters on an emulated USB bus (umockdev), so that the real libusb backend and everything above it
// run unchanged against the meter model. The process must run under libumockdev-preload.so (see
// RunUnderUmockdevPreload). umockdev answers the device node's ioctls on its own thread; every
// EmulatedMeter locks its model there and in the accessors below.

#include "sim/meter.h"
#include "sim/sim_backend.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace krx::test {

// Returns when the process runs under libumockdev-preload.so; otherwise re-executes it with the
// library in LD_PRELOAD (and does not return). Call it first thing in main().
void RunUnderUmockdevPreload(char** argv);

// Root passes every permission check through CAP_DAC_OVERRIDE; without it file modes bind root
// too, so that a test can deny access to a device node. Capabilities belong to threads and are
// inherited by new ones: call this before any thread starts. Harmless when not root.
void SubjectRootToFilePermissions();

// One control transfer as the emulated meter received it.
struct ControlRecord {
    int client = 0;        // which opening of the device node sent it (1, 2, ...)
    int requestType = 0;   // bmRequestType
    int request = 0;       // bRequest
    int value = 0;         // wValue
    int index = 0;         // wIndex
    int length = 0;        // wLength
    std::vector<unsigned char> data;  // OUT: the data stage received; IN: the bytes answered
    int result = 0;        // the model's answer: byte count or a negative libusb code
};

class EmulatedMeter {
public:
    ~EmulatedMeter();
    EmulatedMeter(const EmulatedMeter&) = delete;
    EmulatedMeter& operator=(const EmulatedMeter&) = delete;

    int Bus() const { return bus_; }
    int Address() const { return address_; }
    std::string DevNode() const;  // /dev/bus/usb/BBB/DDD

    // What the host did to the device, in order: "open 1", "capabilities", "set-configuration 1",
    // "claim 0", "release 0", "discard". An opening shows when it first talks to the device.
    std::vector<std::string> Events() const;
    std::vector<ControlRecord> Controls() const;
    void ClearLog();
    int Opens() const;      // openings of the node so far
    // Descriptors this process holds open on the node now (the host is this process).
    int OpenNodes() const;

    // Runs f on the meter model with the model locked.
    void WithModel(const std::function<void(sim::Meter&)>& f);

    // Faults. An errno (EBUSY, EINVAL, ...) for the next SETCONFIGURATION / CLAIMINTERFACE; 0 clears.
    void FailSetConfiguration(int error);
    void FailClaim(int error);
    // The meter stops answering: control transfers stay pending until the host discards them.
    void HoldReplies(bool hold);
    // The next IN transfer delivers at most this many bytes.
    void ShortenNextIn(int bytes);
    // Device node permissions: false makes it unreadable and unwritable (mode 000).
    void SetAccessible(bool accessible);

private:
    friend class UsbTestbed;
    struct Impl;
    EmulatedMeter(int bus, int address, sim::Scenario scenario, int vendorId, int productId);
    std::unique_ptr<Impl> impl_;
    int bus_;
    int address_;
};

class UsbTestbed {
public:
    // One testbed per process: libusb's hotplug monitor binds to the testbed that exists when the
    // first libusb context starts, so later testbeds would never reach it.
    static UsbTestbed& Instance();

    // Plugs a device: sysfs entry, device node and an "add" uevent. A vendor or product other
    // than the meter's gives a foreign device that answers nothing.
    EmulatedMeter& Plug(int bus, int address, sim::Scenario scenario = sim::Scenario::Default(),
                        int vendorId = 0x16C0, int productId = 0x2B5F);
    // As the kernel does it: the device answers ENODEV from now on, the "remove" uevent goes out,
    // then its sysfs entry and node disappear. Open handles keep talking to a dead device.
    void Unplug(EmulatedMeter& meter);
    void UnplugAll();
    // Whether this process is subject to file permissions (root without CAP_DAC_OVERRIDE is).
    bool PermissionsApply() const;
    std::string RootDir() const;

private:
    UsbTestbed();
    ~UsbTestbed();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace krx::test
