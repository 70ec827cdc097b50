// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Faults of the system itself, for the files below one folder: a disk that fills up (write gives
// ENOSPC once the free bytes are used, after a short write as a real disk does) and an fsync that
// fails (EIO). Linked into a test, this file's write() and fsync() stand in front of the C
// library's for the whole process; everything outside the folder goes through unchanged.

#include <QString>

namespace krx::test {

class DiskFull {
public:
    DiskFull(const QString& folder, long long freeBytes);
    ~DiskFull();
};

class FsyncFails {
public:
    explicit FsyncFails(const QString& folder);
    ~FsyncFails();
    int Calls() const;  // fsync calls on files below the folder since the start
};

}  // namespace krx::test
