// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb backend against an emulated meter whose device node the user may not open: Init can
// only explain a missing udev rule if LastOpenError really carries LIBUSB_ERROR_ACCESS. Runs under
// umockdev-run; as root the open is tried by a child that has dropped to an unprivileged user.
#include "child.h"

#include "device/backend.h"

#include <gtest/gtest.h>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

using namespace krx;

namespace {

std::string Testbed()
{
    const char* dir = std::getenv("UMOCKDEV_DIR");
    return dir ? dir : "";
}

// The testbed must stay readable to the unprivileged child: only the node's mode decides.
int OpenUp(const char* path, const struct stat*, int, struct FTW*)
{
    ::chmod(path, 0777);
    return 0;
}

// The open result and error code, as seen by an unprivileged process.
std::pair<int, int> OpenAsUser()
{
    const test::ChildResult r = test::RunInChild([] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(100);
        auto backend = MakeLibusbBackend();
        const int opened = backend->OpenDevice();
        std::_Exit(opened * 100 + (-backend->LastOpenError() & 0x7F));
    });
    if (!r.exited || r.status == 100)
        return {-1, 0};
    return {r.status / 100, -(r.status % 100)};
}

}  // namespace

TEST(LibusbAccess, DeniedNodeGivesAccessError)
{
    if (Testbed().empty())
        GTEST_SKIP() << "needs umockdev-run";
    ASSERT_EQ(::nftw(Testbed().c_str(), OpenUp, 16, FTW_PHYS), 0);
    const std::string node = Testbed() + "/dev/bus/usb/001/002";

    ASSERT_EQ(::chmod(node.c_str(), 0000), 0);
    const auto denied = OpenAsUser();
    EXPECT_EQ(denied.first, 0);
    EXPECT_EQ(denied.second, kUsbErrorAccess);

    // With the node open to everybody (what the udev rule does for the seat's user) the open
    // itself passes; this emulation has no ioctls, so selecting the configuration fails instead.
    ASSERT_EQ(::chmod(node.c_str(), 0666), 0);
    const auto granted = OpenAsUser();
    EXPECT_EQ(granted.first, 0);
    EXPECT_NE(granted.second, kUsbErrorAccess);
    EXPECT_NE(granted.second, 0);
}
