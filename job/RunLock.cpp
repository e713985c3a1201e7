// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brantlow {

RunLock::~RunLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RunLock::take(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // flock, not a POSIX record lock: it belongs to this open file, so that
    // two windows of one process exclude each other too.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        m_busy = error == EWOULDBLOCK;
        ::close(fd);
        errno = error;
        return false;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_busy = false;
    return true;
}

bool takeRun(const std::string &id, RunLock &lock, RunInfo &info, std::vector<UndoRecord> &records, std::string &error)
{
    // The id first (the last run when none is given), then the lock, then
    // the records: once locked, the log is whole and no one else undoes it.
    if (!readRun(id, info, records, error))
        return false;
    const std::string path = runLogPath(info.id, error);
    if (path.empty())
        return false;
    if (!lock.take(path)) {
        if (!lock.busy())
            error = std::strerror(errno);
        else if (info.finished)
            error = "another undo of this run is running";
        else
            error = "the run is still going on, or another undo of it is running";
        return false;
    }
    return readRun(info.id, info, records, error);
}

} // namespace brantlow
