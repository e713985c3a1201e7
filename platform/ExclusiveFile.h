// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileIdentity.h"
#include "FileTimes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace brantlow::platform {

enum class FileAccess { Read, ReadWrite };

// An existing file opened "with no sharing": the open takes an exclusive
// advisory lock, and fails when another process (or another open file
// description) already holds one. A missing file is never created.
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(ExclusiveFile &&other) noexcept;
    ExclusiveFile &operator=(ExclusiveFile &&other) noexcept;
    ExclusiveFile(const ExclusiveFile &) = delete;
    ExclusiveFile &operator=(const ExclusiveFile &) = delete;

    // Opens a regular file (symbolic links are followed). Returns false and
    // leaves errno set when it is missing, not a regular file, not accessible
    // or locked.
    bool open(const std::string &path, FileAccess access);
    void close();
    // Hands the descriptor over, its lock with it, without closing it.
    int release();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Size in bytes as opened, or -1 when no file is open.
    std::int64_t size() const;
    // Device, inode, size and last-write time, and the time stamps, as one
    // look at the open file gave them: a later change shows as a difference.
    const FileIdentity &identity() const { return m_identity; }
    const FileTimes &times() const { return m_times; }
    // All that look gave (owner, mode, links ...), for a replace of the file.
    const struct stat &info() const { return m_info; }
    // Reads exactly `count` bytes from offset 0; false on a short or failed read.
    bool readWhole(std::uint8_t *buffer, std::int64_t count) const;
    // Reads exactly `count` bytes from `offset`; false on a short or failed read.
    bool readAt(std::int64_t offset, std::uint8_t *buffer, std::int64_t count) const;

private:
    int m_fd = -1;
    FileIdentity m_identity;
    struct stat m_info {};
    FileTimes m_times;
};

// Fault injection for tests: when set, the hook is asked before every read
// of an ExclusiveFile with the step "read"; a non-zero answer makes that read
// fail with the answer as errno. Set or clear it only while no file is read.
// An empty function clears it.
void setReadFaultHook(std::function<int(const char *step)> hook);

} // namespace brantlow::platform
