// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExclusiveFile.h"

#include "ReadAll.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace brantlow::platform {

namespace {

std::function<int(const char *)> &readFaultHook()
{
    static std::function<int(const char *)> hook;
    return hook;
}

// One statx for the kind, the identity, the times and what a replace needs
// of the original (owner, mode, links); fstat where the kernel or file
// system has no statx.
bool lookAt(int fd, struct stat &info, FileTimes &times)
{
    struct statx stx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &stx) == 0) {
        info = {};
        info.st_dev = makedev(stx.stx_dev_major, stx.stx_dev_minor);
        info.st_ino = stx.stx_ino;
        info.st_mode = stx.stx_mode;
        info.st_nlink = stx.stx_nlink;
        info.st_uid = stx.stx_uid;
        info.st_gid = stx.stx_gid;
        info.st_rdev = makedev(stx.stx_rdev_major, stx.stx_rdev_minor);
        info.st_size = static_cast<off_t>(stx.stx_size);
        info.st_blksize = static_cast<blksize_t>(stx.stx_blksize);
        info.st_blocks = static_cast<blkcnt_t>(stx.stx_blocks);
        info.st_atim = timespec{static_cast<time_t>(stx.stx_atime.tv_sec), static_cast<long>(stx.stx_atime.tv_nsec)};
        info.st_mtim = timespec{static_cast<time_t>(stx.stx_mtime.tv_sec), static_cast<long>(stx.stx_mtime.tv_nsec)};
        info.st_ctim = timespec{static_cast<time_t>(stx.stx_ctime.tv_sec), static_cast<long>(stx.stx_ctime.tv_nsec)};
        times.lastWrite = info.st_mtim;
        times.hasCreation = (stx.stx_mask & STATX_BTIME) != 0;
        times.creation = times.hasCreation
            ? timespec{static_cast<time_t>(stx.stx_btime.tv_sec), static_cast<long>(stx.stx_btime.tv_nsec)}
            : timespec{};
        return true;
    }
    if (::fstat(fd, &info) != 0)
        return false;
    times = FileTimes{info.st_mtim, {}, false};
    return true;
}

} // namespace

void setReadFaultHook(std::function<int(const char *step)> hook)
{
    readFaultHook() = std::move(hook);
}

ExclusiveFile::~ExclusiveFile()
{
    close();
}

ExclusiveFile::ExclusiveFile(ExclusiveFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_identity(other.m_identity),
      m_info(other.m_info),
      m_times(other.m_times)
{
}

ExclusiveFile &ExclusiveFile::operator=(ExclusiveFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_identity = other.m_identity;
        m_info = other.m_info;
        m_times = other.m_times;
    }
    return *this;
}

bool ExclusiveFile::open(const std::string &path, FileAccess access)
{
    close();
    // O_NONBLOCK so that a FIFO or device named like an audio file cannot
    // hang the open; it is cleared again once the file proved regular.
    const int flags = (access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;

    auto fail = [fd](int error) {
        ::close(fd);
        errno = error;
        return false;
    };

    struct stat info {};
    FileTimes times;
    if (!lookAt(fd, info, times))
        return fail(errno);
    if (S_ISDIR(info.st_mode))
        return fail(EISDIR);
    if (!S_ISREG(info.st_mode))
        return fail(EINVAL);
    // Of the flags F_SETFL changes, the open set O_NONBLOCK alone.
    if (::fcntl(fd, F_SETFL, 0) != 0)
        return fail(errno);

    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0)
        return fail(errno);

    m_fd = fd;
    m_identity = identityFrom(info);
    m_info = info;
    m_times = times;
    return true;
}

void ExclusiveFile::close()
{
    if (m_fd >= 0) {
        // Closing the last descriptor of the open file description drops the lock.
        ::close(m_fd);
        m_fd = -1;
    }
    m_identity = {};
    m_info = {};
    m_times = {};
}

int ExclusiveFile::release()
{
    const int fd = std::exchange(m_fd, -1);
    close();
    return fd;
}

std::int64_t ExclusiveFile::size() const
{
    return m_fd >= 0 ? m_identity.size : -1;
}

bool ExclusiveFile::readWhole(std::uint8_t *buffer, std::int64_t count) const
{
    return readAt(0, buffer, count);
}

bool ExclusiveFile::readAt(std::int64_t offset, std::uint8_t *buffer, std::int64_t count) const
{
    if (m_fd < 0 || offset < 0 || count < 0 || (count > 0 && buffer == nullptr))
        return false;
    if (count == 0)
        return true;
    if (const auto &hook = readFaultHook(); hook) {
        if (const int injected = hook("read"); injected != 0) {
            errno = injected;
            return false;
        }
    }
    const std::int64_t got = readAllAt(m_fd, buffer, count, offset);
    if (got < 0)
        return false;
    if (got < count) {
        errno = EIO; // the file is shorter than it was said to be
        return false;
    }
    return true;
}

} // namespace brantlow::platform
