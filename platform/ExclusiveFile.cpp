#include "ExclusiveFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace brantlow::platform {

namespace {

std::function<int(const char *)> &readFaultHook()
{
    static std::function<int(const char *)> hook;
    return hook;
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
    : m_fd(std::exchange(other.m_fd, -1))
{
}

ExclusiveFile &ExclusiveFile::operator=(ExclusiveFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
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

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(errno);
    if (S_ISDIR(st.st_mode))
        return fail(EISDIR);
    if (!S_ISREG(st.st_mode))
        return fail(EINVAL);
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)
        return fail(errno);

    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0)
        return fail(errno);

    m_fd = fd;
    return true;
}

void ExclusiveFile::close()
{
    if (m_fd >= 0) {
        // Closing the last descriptor of the open file description drops the lock.
        ::close(m_fd);
        m_fd = -1;
    }
}

std::int64_t ExclusiveFile::size() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool ExclusiveFile::readWhole(std::uint8_t *buffer, std::int64_t count) const
{
    return readAt(0, buffer, count);
}

bool ExclusiveFile::readAt(std::int64_t offset, std::uint8_t *buffer, std::int64_t count) const
{
    if (m_fd < 0 || offset < 0 || count < 0 || (count > 0 && buffer == nullptr))
        return false;
    std::int64_t done = 0;
    while (done < count) {
        if (const auto &hook = readFaultHook(); hook) {
            if (const int injected = hook("read"); injected != 0) {
                errno = injected;
                return false;
            }
        }
        const ssize_t got = ::pread(m_fd, buffer + done, static_cast<std::size_t>(count - done), offset + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0) {
            errno = EIO; // the file is shorter than it was said to be
            return false;
        }
        done += got;
    }
    return true;
}

} // namespace brantlow::platform
