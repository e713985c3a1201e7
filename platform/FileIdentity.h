// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>

struct stat;

namespace brantlow::platform {

// What tells that the file on disk is still the one that was read:
// device, inode, size and last-write time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    timespec lastWrite{};

    bool valid() const { return size >= 0; }
    friend bool operator==(const FileIdentity &a, const FileIdentity &b)
    {
        return a.device == b.device && a.inode == b.inode && a.size == b.size
            && a.lastWrite.tv_sec == b.lastWrite.tv_sec && a.lastWrite.tv_nsec == b.lastWrite.tv_nsec;
    }
};

// Identity of an open file descriptor; an invalid identity when fstat fails.
FileIdentity identityOf(int fd);
// The same from what fstat or stat gave.
FileIdentity identityFrom(const struct stat &st);

} // namespace brantlow::platform
