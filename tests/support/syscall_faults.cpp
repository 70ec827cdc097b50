// SPDX-License-Identifier: GPL-3.0-or-later
#include "syscall_faults.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace {

std::string g_diskFolder, g_syncFolder;
std::atomic<long long> g_free{-1};
std::atomic<int> g_syncCalls{0};

bool Below(int fd, const std::string& folder)
{
    if (folder.empty())
        return false;
    char link[64], path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    return n > 0 && std::string(path, static_cast<size_t>(n)).rfind(folder + '/', 0) == 0;
}

template <typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

std::string Canonical(const QString& folder)
{
    const QString c = QFileInfo(folder).canonicalFilePath();
    return QFile::encodeName(c.isEmpty() ? folder : c).toStdString();
}

}  // namespace

extern "C" ssize_t write(int fd, const void* buf, size_t n)
{
    static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (g_free.load() >= 0 && Below(fd, g_diskFolder)) {
        const long long room = g_free.load();
        if (room == 0 && n > 0) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t w = real(fd, buf, std::min<size_t>(n, static_cast<size_t>(room)));
        if (w > 0)
            g_free -= w;
        return w;
    }
    return real(fd, buf, n);
}

extern "C" int fsync(int fd)
{
    static const auto real = Next<int (*)(int)>("fsync");
    if (Below(fd, g_syncFolder)) {
        ++g_syncCalls;
        errno = EIO;
        return -1;
    }
    return real(fd);
}

namespace krx::test {

DiskFull::DiskFull(const QString& folder, long long freeBytes)
{
    g_diskFolder = Canonical(folder);
    g_free = freeBytes;
}

DiskFull::~DiskFull()
{
    g_free = -1;
    g_diskFolder.clear();
}

FsyncFails::FsyncFails(const QString& folder)
{
    g_syncCalls = 0;
    g_syncFolder = Canonical(folder);
}

FsyncFails::~FsyncFails()
{
    g_syncFolder.clear();
}

int FsyncFails::Calls() const
{
    return g_syncCalls;
}

}  // namespace krx::test
