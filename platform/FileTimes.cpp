#include "FileTimes.h"

#include "ExclusiveFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace brantlow::platform {

bool captureFileTimes(const ExclusiveFile &file, FileTimes &times)
{
    if (!file.isOpen()) {
        errno = EBADF;
        return false;
    }
    struct statx stx {};
    if (::statx(file.fd(), "", AT_EMPTY_PATH, STATX_MTIME | STATX_BTIME, &stx) == 0) {
        times.lastWrite = timespec{static_cast<time_t>(stx.stx_mtime.tv_sec), static_cast<long>(stx.stx_mtime.tv_nsec)};
        times.hasCreation = (stx.stx_mask & STATX_BTIME) != 0;
        times.creation = times.hasCreation
            ? timespec{static_cast<time_t>(stx.stx_btime.tv_sec), static_cast<long>(stx.stx_btime.tv_nsec)}
            : timespec{};
        return true;
    }
    // Kernels and file systems without statx still give the last-write time.
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0)
        return false;
    times.lastWrite = st.st_mtim;
    times.creation = {};
    times.hasCreation = false;
    return true;
}

} // namespace brantlow::platform
