// SPDX-License-Identifier: GPL-3.0-or-later
#include "Journal.h"

#include "OwnedFd.h"
#include "ReplaceCalls.h"
#include "StateFolder.h"
#include "TempNames.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// Writing a rollback journal before an in-place rewrite, and removing it
// once the rewrite is flushed.

namespace brantlow::platform::detail {

namespace {

bool refusesNewFile(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

bool folderAppendOnly(int dirFd, bool whenUnknown)
{
    int flags = 0;
    if (::ioctl(dirFd, FS_IOC_GETFLAGS, &flags) == 0)
        return (flags & FS_APPEND_FL) != 0;
    // A file system without inode flags has no append-only folders.
    if (errno == ENOTTY || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL)
        return false;
    return whenUnknown;
}

Journal::~Journal()
{
    // Left unfinished, the journal stays: it is what puts the file back.
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_ownDir && m_dirFd >= 0)
        ::close(m_dirFd);
}

bool Journal::save(const InPlaceTarget &target, std::uint64_t offset, const char *&step)
{
    const struct stat &info = *target.info;
    const JournalPlaces places = journalPlaces(info.st_dev, info.st_ino, target.name);
    int stateError = 0;
    const std::string stateFolder = journalFolder(stateError);
    if (stateFolder.empty()) {
        step = "register";
        errno = stateError;
        return false;
    }
    // The record in the state folder comes first, so that every journal
    // that ever exists can be found from there.
    step = "register";
    OwnedFd state(::open(stateFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!state.valid())
        return false;
    const std::string targetPath = (target.folder == "/" ? "" : target.folder) + "/" + target.name;
    if (!writeRecord(state.get(), places.registration, targetPath))
        return false;
    m_registration = stateFolder + "/" + places.registration;

    const std::uint64_t tail = static_cast<std::uint64_t>(info.st_size) - offset;
    auto undo = [&](const char *failed) {
        const int error = errno;
        step = failed;
        if (m_fd >= 0)
            ::unlinkat(m_dirFd, m_name.c_str(), 0);
        ::unlink(m_registration.c_str());
        m_registration.clear();
        errno = error;
        return false;
    };

    step = "journal";
    // Beside the file only where it can later be removed: a folder that
    // cannot be asked (opened for search only) is taken as append-only.
    if (!folderAppendOnly(target.dirFd, true)) {
        m_fd = systemCall("journal", [&] {
            return ::openat(target.dirFd, places.beside.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0600);
        });
        if (m_fd >= 0) {
            m_dirFd = target.dirFd;
            m_name = places.beside;
        } else if (!refusesNewFile(errno)) {
            return undo("journal");
        }
    }
    if (m_fd < 0) {
        m_fd = systemCall("journal", [&] {
            return ::openat(state.get(), places.inState.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0600);
        });
        if (m_fd < 0)
            return undo("journal");
        m_dirFd = state.release();
        m_ownDir = true;
        m_name = places.inState;
    }

    // The whole journal's room first: a full disk refuses the file here.
    const auto length = static_cast<off_t>(kJournalHeaderSize + tail);
    if (systemCall("journal-allocate", [&] { return ::fallocate(m_fd, 0, 0, length); }) != 0 && errno != EOPNOTSUPP)
        return undo("journal-allocate");
    if (!copyBytes(target.fd, static_cast<off_t>(offset), m_fd, kJournalHeaderSize, tail, "journal-write"))
        return undo("journal-write");
    if (systemCall("journal-fsync", [&] { return ::fsync(m_fd); }) != 0)
        return undo("journal-fsync");
    // Only a header written after its bytes are on disk makes the journal
    // count: a journal without one is a rewrite that never began.
    JournalHeader &header = m_header;
    header.device = info.st_dev;
    header.inode = info.st_ino;
    header.offset = offset;
    header.oldLength = static_cast<std::uint64_t>(info.st_size);
    header.lastWriteSeconds = info.st_mtim.tv_sec;
    header.lastWriteNanoseconds = info.st_mtim.tv_nsec;
    header.birthNanoseconds = birthTime(target.fd);
    if (!writeHeader(m_fd, header))
        return undo("journal-seal");
    if (systemCall("journal-fsync", [&] { return ::fsync(m_fd); }) != 0)
        return undo("journal-fsync");
    if (systemCall("journal-syncdir", [&] { return ::fsync(m_dirFd); }) != 0)
        return undo("journal-syncdir");
    return true;
}

bool Journal::readSaved(std::uint64_t offset, std::size_t count, std::uint8_t *out) const
{
    return readExactly(m_fd, out, count, kJournalHeaderSize + (offset - m_header.offset));
}

bool Journal::finish(const char *&step)
{
    // Emptied first, the journal tells only of a rewrite that is over: one
    // that cannot be removed, or a process killed before its removal, leaves
    // nothing that would put the old content back, and the next run removes it.
    const bool emptied = systemCall("journal-empty", [&] { return ::ftruncate(m_fd, 0); }) == 0;
    bool ok = true;
    bool removed = false;
    if (systemCall("journal-remove", [&] { return ::unlinkat(m_dirFd, m_name.c_str(), 0); }) != 0) {
        const int error = errno;
        step = "journal-remove";
        // Still whole, it would undo the rewrite: the caller must treat the
        // rewrite as failed.
        m_live = !emptied || ::fsync(m_fd) != 0;
        errno = error;
        if (m_live)
            return false; // kept open: the rewrite is rolled back from it
        ok = false;
    } else {
        removed = true;
        if (systemCall("journal-syncdir", [&] { return ::fsync(m_dirFd); }) != 0) {
            step = "journal-syncdir";
            ok = false;
        }
    }
    ::close(m_fd);
    m_fd = -1;
    // The record goes with the journal even when its removal cannot be made
    // sure: kept, it would outlive the file it names. An emptied journal that
    // stays keeps its record, by which the next run finds and removes it.
    if (removed && !removeRecord(m_registration)) {
        step = ok ? "unregister" : step;
        ok = false;
    }
    return ok;
}

bool Journal::rollBack(int fileFd, const char *&step)
{
    return restoreFrom(m_fd, m_header, fileFd, step) && finish(step);
}

} // namespace brantlow::platform::detail
