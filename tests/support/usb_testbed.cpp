// SPDX-License-Identifier: GPL-3.0-or-later
// GLib before Qt: Qt's "signals" keyword would otherwise rename a field of GLib's headers.
#include <umockdev.h>

#include "usb_testbed.h"

#include "device/backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <utility>

namespace krx::test {

namespace {

bool PreloadActive()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libumockdev-preload") != std::string::npos)
            return true;
    return false;
}

std::string Format(const char* format, int a, int b = 0)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

std::string HexBytes(const std::vector<unsigned char>& bytes)
{
    std::string out;
    for (unsigned char b : bytes)
        out += Format("%02X", b);
    return out;
}

// How usbfs reports the end of a control URB for the model's answer.
int UrbStatus(int result)
{
    if (result >= 0)
        return 0;
    switch (result) {
    case kUsbErrorPipe:
        return -EPIPE;  // a stall: the request is not supported
    case kUsbErrorNoDevice:
        return -ENODEV;
    case kUsbErrorOverflow:
        return -EOVERFLOW;
    default:
        return -EPROTO;
    }
}

[[noreturn]] void Fatal(const std::string& what)
{
    std::fprintf(stderr, "usb testbed: %s\n", what.c_str());
    std::abort();
}

}  // namespace

void RunUnderUmockdevPreload(char** argv)
{
    if (PreloadActive())
        return;
    if (std::getenv("KRX_UMOCKDEV_REEXEC"))
        Fatal("libumockdev-preload.so.0 did not load (is the umockdev package installed?)");
    std::string preload = "libumockdev-preload.so.0";
    if (const char* old = std::getenv("LD_PRELOAD"); old && *old)
        preload += std::string(":") + old;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv("KRX_UMOCKDEV_REEXEC", "1", 1);
    execv("/proc/self/exe", argv);
    Fatal(std::string("cannot re-execute: ") + std::strerror(errno));
}

void SubjectRootToFilePermissions()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        data[cap / 32].effective &= ~(1u << (cap % 32));
    syscall(SYS_capset, &header, data);
}

// ---------------------------------------------------------------------------------------------
// One device on the emulated bus. usbfs is emulated at the ioctl level: a control URB is answered
// by the model when it is submitted and handed back when the host reaps it.
//
// The node is a FIFO rather than umockdev's plain file: libusb polls the node for POLLOUT to learn
// that a URB can be reaped, and a plain file is always ready, so every wait for a reply would spin
// through REAPURBNDELAY. The FIFO is kept full (not writable) while no finished URB waits and
// empty (writable) while one does, which is exactly the readiness of a real usbfs node.
struct EmulatedMeter::Impl {
    explicit Impl(sim::Scenario scenario) : model(std::move(scenario)) {}

    struct Urb {
        UMockdevIoctlData* data = nullptr;  // the host's URB, resolved (with its buffer) at submit
        int status = 0;
        int actual = 0;
        std::vector<unsigned char> in;  // bytes for the data stage of an IN transfer
    };
    struct Client {
        int id = 0;
        std::deque<Urb> finished;  // waiting to be reaped
        std::deque<Urb> pending;   // submitted, not answered (the meter holds its replies)
    };

    mutable std::mutex mutex;
    sim::Meter model;
    bool isMeter = true;  // a foreign device stalls every vendor request
    bool gone = false;
    std::string syspath, devnode, nodeFile;
    UMockdevIoctlBase* handler = nullptr;
    int fifo = -1;
    bool nodeReady = false;

    std::map<UMockdevIoctlClient*, Client> clients;  // every opening that ever talked to the device
    int opens = 0;
    size_t finishedTotal = 0;
    std::vector<std::string> events;
    std::vector<ControlRecord> controls;
    int failSetConfiguration = 0;
    int failClaim = 0;
    bool hold = false;
    int shortenNextIn = -1;

    // --- node readiness (called with the mutex held) ---
    void UpdateNodeReadiness()
    {
        const bool want = finishedTotal > 0;
        if (fifo < 0 || want == nodeReady)
            return;
        unsigned char buf[4096];
        if (want) {
            while (read(fifo, buf, sizeof buf) > 0) {
            }
        } else {
            std::memset(buf, 0, sizeof buf);
            while (write(fifo, buf, sizeof buf) > 0) {
            }
        }
        nodeReady = want;
    }

    void Finish(Client& c, Urb urb)
    {
        c.finished.push_back(std::move(urb));
        ++finishedTotal;
        UpdateNodeReadiness();
    }

    // --- umockdev's thread ---
    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
    {
        static_cast<Impl*>(self)->Ioctl(client);
        return TRUE;
    }

    static void Complete(UMockdevIoctlClient* client, long result, int error)
    {
        umockdev_ioctl_client_complete(client, result, error);
    }

    // Reads the ioctl's argument as a pointer to one plain value of type T.
    template <typename T>
    static T* Resolve(UMockdevIoctlClient* client, size_t size = sizeof(T))
    {
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, nullptr);
        return d ? reinterpret_cast<T*>(d->data) : nullptr;
    }

    void Ioctl(UMockdevIoctlClient* client)
    {
        std::lock_guard lock(mutex);
        // umockdev connects a client even for an open() that fails, so an opening counts from
        // its first ioctl (libusb asks for the capabilities right after every open).
        Client& c = clients[client];
        if (c.id == 0) {
            g_object_ref(client);
            c.id = ++opens;
            events.push_back(Format("open %d", c.id));
            if (!gone)
                model.Open();
        }
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            events.push_back("capabilities");
            auto* caps = Resolve<__u32>(client);
            if (gone || !caps)
                return Complete(client, -1, gone ? ENODEV : EFAULT);
            *caps = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
            return Complete(client, 0, 0);
        }
        case USBDEVFS_SETCONFIGURATION:
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE: {
            auto* value = Resolve<unsigned int>(client);
            if (!value)
                return Complete(client, -1, EFAULT);
            const char* what = request == USBDEVFS_SETCONFIGURATION ? "set-configuration %d"
                               : request == USBDEVFS_CLAIMINTERFACE  ? "claim %d"
                                                                     : "release %d";
            events.push_back(Format(what, static_cast<int>(*value)));
            int* fail = request == USBDEVFS_SETCONFIGURATION ? &failSetConfiguration
                        : request == USBDEVFS_CLAIMINTERFACE ? &failClaim
                                                             : nullptr;
            if (gone)
                return Complete(client, -1, ENODEV);
            if (fail && *fail) {
                const int error = std::exchange(*fail, 0);
                return Complete(client, -1, error);
            }
            return Complete(client, 0, 0);
        }
        case USBDEVFS_SUBMITURB:
            return Submit(client, c);
        case USBDEVFS_REAPURB:  // libusb only reaps without waiting; never block the host here
        case USBDEVFS_REAPURBNDELAY:
            return Reap(client, c);
        case USBDEVFS_DISCARDURB:
            return Discard(client, c);
        default:
            events.push_back(Format("ioctl 0x%X", static_cast<int>(request)));
            return Complete(client, -1, ENOTTY);
        }
    }

    void Submit(UMockdevIoctlClient* client, Client& c)
    {
        UMockdevIoctlData* u = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                           sizeof(usbdevfs_urb), nullptr);
        if (!u)
            return Complete(client, -1, EFAULT);
        if (gone)
            return Complete(client, -1, ENODEV);
        const auto* urb = reinterpret_cast<const usbdevfs_urb*>(u->data);
        if (urb->type != USBDEVFS_URB_TYPE_CONTROL || urb->endpoint != 0 || urb->buffer_length < 8)
            return Complete(client, -1, EINVAL);
        UMockdevIoctlData* b = umockdev_ioctl_data_resolve(u, offsetof(usbdevfs_urb, buffer),
                                                           static_cast<size_t>(urb->buffer_length), nullptr);
        if (!b)
            return Complete(client, -1, EFAULT);
        const unsigned char* setup = b->data;
        ControlRecord rec;
        rec.client = c.id;
        rec.requestType = setup[0];
        rec.request = setup[1];
        rec.value = setup[2] | (setup[3] << 8);
        rec.index = setup[4] | (setup[5] << 8);
        rec.length = setup[6] | (setup[7] << 8);
        if (8 + rec.length > urb->buffer_length)
            return Complete(client, -1, EINVAL);

        Urb done;
        done.data = u;
        const bool in = (rec.requestType & 0x80) != 0;
        if (hold) {
            // No answer: the URB stays until the host gives up and discards it.
            rec.result = kUsbErrorTimeout;
            if (!in)
                rec.data.assign(setup + 8, setup + 8 + rec.length);
            controls.push_back(rec);
            g_object_ref(u);
            c.pending.push_back(std::move(done));
            return Complete(client, 0, 0);
        }
        std::vector<unsigned char> stage(static_cast<size_t>(rec.length));
        if (!in)
            std::copy(setup + 8, setup + 8 + rec.length, stage.begin());
        int result = kUsbErrorPipe;
        if (isMeter)
            result = model.Transfer(rec.requestType, rec.request, rec.value, rec.index, stage.data(), rec.length);
        if (in) {
            if (result >= 0 && shortenNextIn >= 0)
                result = std::min(result, shortenNextIn);
            shortenNextIn = -1;
            stage.resize(static_cast<size_t>(std::max(result, 0)));
            done.in = stage;
        }
        rec.data = stage;
        rec.result = result;
        controls.push_back(rec);
        done.status = UrbStatus(result);
        done.actual = std::max(result, 0);
        g_object_ref(u);
        Finish(c, std::move(done));
        Complete(client, 0, 0);
    }

    void Reap(UMockdevIoctlClient* client, Client& c)
    {
        if (c.finished.empty())
            return Complete(client, -1, gone ? ENODEV : EAGAIN);
        UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0,
                                                              sizeof(void*), nullptr);
        if (!slot)
            return Complete(client, -1, EFAULT);
        Urb u = std::move(c.finished.front());
        c.finished.pop_front();
        --finishedTotal;
        UpdateNodeReadiness();
        auto* urb = reinterpret_cast<usbdevfs_urb*>(u.data->data);
        urb->status = u.status;
        urb->actual_length = u.actual;
        if (!u.in.empty()) {
            // The buffer pointer inside the resolved URB points to umockdev's copy of the buffer.
            unsigned char* buffer = nullptr;
            std::memcpy(&buffer, u.data->data + offsetof(usbdevfs_urb, buffer), sizeof buffer);
            std::memcpy(buffer + 8, u.in.data(), u.in.size());
        }
        // The host's pointer slot gets its own URB back; URB and buffer are written back with it.
        umockdev_ioctl_data_set_ptr(slot, 0, u.data);
        g_object_unref(u.data);
        Complete(client, 0, 0);
    }

    void Discard(UMockdevIoctlClient* client, Client& c)
    {
        events.push_back("discard");
        unsigned long target = 0;
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::memcpy(&target, arg->data, sizeof target);
        auto it = std::find_if(c.pending.begin(), c.pending.end(),
                               [&](const Urb& u) { return u.data->client_addr == target; });
        if (it == c.pending.end())
            return Complete(client, -1, EINVAL);  // already finished: the host reaps it as usual
        Urb u = std::move(*it);
        c.pending.erase(it);
        u.status = -ENOENT;  // unlinked
        u.actual = 0;
        Finish(c, std::move(u));
        Complete(client, 0, 0);
    }
};

EmulatedMeter::EmulatedMeter(int bus, int address, sim::Scenario scenario, int vendorId, int productId)
    : impl_(std::make_unique<Impl>(std::move(scenario))), bus_(bus), address_(address)
{
    impl_->isMeter = vendorId == 0x16C0 && productId == 0x2B5F;
    impl_->devnode = DevNode();
}

EmulatedMeter::~EmulatedMeter()
{
    if (impl_->handler)
        g_object_unref(impl_->handler);
    if (impl_->fifo >= 0)
        close(impl_->fifo);
}

std::string EmulatedMeter::DevNode() const
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "/dev/bus/usb/%03d/%03d", bus_, address_);
    return buf;
}

std::vector<std::string> EmulatedMeter::Events() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->events;
}

std::vector<ControlRecord> EmulatedMeter::Controls() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->controls;
}

void EmulatedMeter::ClearLog()
{
    std::lock_guard lock(impl_->mutex);
    impl_->events.clear();
    impl_->controls.clear();
}

int EmulatedMeter::Opens() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->opens;
}

int EmulatedMeter::OpenNodes() const
{
    // umockdev learns of a close only when it next reads the client's socket, so look at this
    // process' own descriptors instead: every one on the node's FIFO but the testbed's.
    struct stat node {};
    if (fstat(impl_->fifo, &node) != 0)
        return 0;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return 0;
    int n = 0;
    while (const dirent* entry = readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] == '.' || fd == impl_->fifo || fd == dirfd(dir))
            continue;
        struct stat st {};
        if (fstat(fd, &st) == 0 && st.st_dev == node.st_dev && st.st_ino == node.st_ino)
            ++n;
    }
    closedir(dir);
    return n;
}

void EmulatedMeter::WithModel(const std::function<void(sim::Meter&)>& f)
{
    std::lock_guard lock(impl_->mutex);
    f(impl_->model);
}

void EmulatedMeter::FailSetConfiguration(int error)
{
    std::lock_guard lock(impl_->mutex);
    impl_->failSetConfiguration = error;
}

void EmulatedMeter::FailClaim(int error)
{
    std::lock_guard lock(impl_->mutex);
    impl_->failClaim = error;
}

void EmulatedMeter::HoldReplies(bool hold)
{
    std::lock_guard lock(impl_->mutex);
    impl_->hold = hold;
}

void EmulatedMeter::ShortenNextIn(int bytes)
{
    std::lock_guard lock(impl_->mutex);
    impl_->shortenNextIn = bytes;
}

void EmulatedMeter::SetAccessible(bool accessible)
{
    std::lock_guard lock(impl_->mutex);
    if (chmod(impl_->nodeFile.c_str(), accessible ? 0664 : 0) != 0)
        Fatal("chmod " + impl_->nodeFile + ": " + std::strerror(errno));
}

// ---------------------------------------------------------------------------------------------

struct UsbTestbed::Impl {
    UMockdevTestbed* testbed = nullptr;
    std::string root;
    std::vector<std::unique_ptr<EmulatedMeter>> meters;  // unplugged ones stay: old handles reach them
    std::vector<EmulatedMeter*> plugged;
};

UsbTestbed& UsbTestbed::Instance()
{
    static UsbTestbed testbed;
    return testbed;
}

UsbTestbed::UsbTestbed() : impl_(std::make_unique<Impl>())
{
    if (!PreloadActive())
        Fatal("the process does not run under libumockdev-preload.so (call RunUnderUmockdevPreload)");
    impl_->testbed = umockdev_testbed_new();
    gchar* root = umockdev_testbed_get_root_dir(impl_->testbed);
    impl_->root = root;
    g_free(root);
}

UsbTestbed::~UsbTestbed()
{
    UnplugAll();
    // Removes the testbed's folder; handlers stay referenced by clients that may still be open.
    g_object_unref(impl_->testbed);
}

std::string UsbTestbed::RootDir() const
{
    return impl_->root;
}

EmulatedMeter& UsbTestbed::Plug(int bus, int address, sim::Scenario scenario, int vendorId, int productId)
{
    auto owned = std::unique_ptr<EmulatedMeter>(
        new EmulatedMeter(bus, address, std::move(scenario), vendorId, productId));
    EmulatedMeter& m = *owned;
    EmulatedMeter::Impl& d = *m.impl_;
    const int minor = (bus - 1) * 128 + (address - 1);
    d.syspath = Format("/sys/devices/pci0000:00/0000:00:14.0/usb%d/", bus) + Format("%d-%d", bus, address);

    // Device descriptor (USB 2.0, full speed, 8-byte EP0) and one configuration with one vendor
    // interface without endpoints: the meter talks on endpoint 0 only.
    const std::vector<unsigned char> descriptors = {
        0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x08,
        static_cast<unsigned char>(vendorId & 0xFF), static_cast<unsigned char>(vendorId >> 8),
        static_cast<unsigned char>(productId & 0xFF), static_cast<unsigned char>(productId >> 8),
        0x00, 0x01, 0x00, 0x00, 0x00, 0x01,
        0x09, 0x02, 0x12, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32,
        0x09, 0x04, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00,
    };
    std::string text;
    text += "P: " + d.syspath.substr(4) + "\n";
    text += Format("N: bus/usb/%03d/%03d\n", bus, address);
    text += "E: SUBSYSTEM=usb\n";
    text += "E: DEVTYPE=usb_device\n";
    text += "E: DRIVER=usb\n";
    text += "E: DEVNAME=" + d.devnode + "\n";
    text += Format("E: BUSNUM=%03d\nE: DEVNUM=%03d\n", bus, address);
    text += Format("E: MAJOR=189\nE: MINOR=%d\n", minor);
    text += Format("E: PRODUCT=%x/", vendorId) + Format("%x/100\n", productId);
    text += Format("A: busnum=%d\\n\nA: devnum=%d\\n\n", bus, address);
    text += Format("A: idVendor=%04x\\n\nA: idProduct=%04x\\n\n", vendorId, productId);
    text += "A: bConfigurationValue=1\\n\nA: bNumConfigurations=1\\n\nA: speed=12\\n\n";
    text += Format("A: dev=189:%d\\n\n", minor);
    text += "H: descriptors=" + HexBytes(descriptors) + "\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(impl_->testbed, text.c_str(), &error))
        Fatal(std::string("cannot add device: ") + error->message);

    // The node as a FIFO, full while no reply waits (see EmulatedMeter::Impl).
    d.nodeFile = impl_->root + d.devnode;
    unlink(d.nodeFile.c_str());
    if (mkfifo(d.nodeFile.c_str(), 0664) != 0)
        Fatal("mkfifo " + d.nodeFile + ": " + std::strerror(errno));
    d.fifo = open(d.nodeFile.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (d.fifo < 0)
        Fatal("open " + d.nodeFile + ": " + std::strerror(errno));
    fcntl(d.fifo, F_SETPIPE_SZ, 4096);  // the smallest pipe: filling it costs one page
    d.nodeReady = true;
    {
        std::lock_guard lock(d.mutex);
        d.UpdateNodeReadiness();
    }

    d.handler = umockdev_ioctl_base_new();
    g_signal_connect(d.handler, "handle-ioctl", G_CALLBACK(EmulatedMeter::Impl::OnIoctl), &d);
    if (!umockdev_testbed_attach_ioctl(impl_->testbed, d.devnode.c_str(), d.handler, &error))
        Fatal(std::string("cannot attach ioctl handler: ") + error->message);

    umockdev_testbed_uevent(impl_->testbed, d.syspath.c_str(), "add");
    impl_->plugged.push_back(&m);
    impl_->meters.push_back(std::move(owned));
    return m;
}

void UsbTestbed::Unplug(EmulatedMeter& meter)
{
    auto it = std::find(impl_->plugged.begin(), impl_->plugged.end(), &meter);
    if (it == impl_->plugged.end())
        return;
    impl_->plugged.erase(it);
    EmulatedMeter::Impl& d = *meter.impl_;
    {
        std::lock_guard lock(d.mutex);
        d.gone = true;
        d.model.SetPresent(false);
        // Whatever was in flight ends with the device.
        for (auto& [client, c] : d.clients) {
            while (!c.pending.empty()) {
                EmulatedMeter::Impl::Urb u = std::move(c.pending.front());
                c.pending.pop_front();
                u.status = -ENODEV;
                u.actual = 0;
                d.Finish(c, std::move(u));
            }
        }
    }
    umockdev_testbed_uevent(impl_->testbed, d.syspath.c_str(), "remove");
    GError* error = nullptr;
    if (!umockdev_testbed_detach_ioctl(impl_->testbed, d.devnode.c_str(), &error))
        Fatal(std::string("cannot detach ioctl handler: ") + error->message);
    umockdev_testbed_remove_device(impl_->testbed, d.syspath.c_str());
}

void UsbTestbed::UnplugAll()
{
    while (!impl_->plugged.empty())
        Unplug(*impl_->plugged.back());
}

bool UsbTestbed::PermissionsApply() const
{
    const std::string probe = impl_->root + "/permission-probe";
    const int fd = open(probe.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return true;
    close(fd);
    const int again = open(probe.c_str(), O_RDWR | O_CLOEXEC);
    const bool denied = again < 0 && errno == EACCES;
    if (again >= 0)
        close(again);
    unlink(probe.c_str());
    return denied;
}

}  // namespace krx::test
