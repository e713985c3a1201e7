#include "InPlaceRewrite.h"

#include "ReplaceCalls.h"
#include "TempNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brantlow::platform::detail {

ReplaceResult replaceInPlace(int fd, const struct stat &original, const std::uint8_t *data, std::size_t size,
                             const timespec *lastWrite)
{
    constexpr auto method = ReplaceMethod::InPlace;
    // Reserving space may stamp the file as written; while no byte has
    // changed, a failure puts the old last-write time back.
    auto untouchedFailure = [&](const char *step, int error) {
        const timespec stamps[2] = {{0, UTIME_OMIT}, original.st_mtim};
        ::futimens(fd, stamps);
        return failure(step, error, method);
    };
    const InPlaceSection section; // a stop at once waits for this rewrite to end
    // A process that may write the file but not set its times (not its owner)
    // is refused before any byte changes: setting the time it has tells.
    if (lastWrite != nullptr && !setLastWrite(fd, original.st_mtim))
        return failure("times", errno, method);
    const auto newSize = static_cast<off_t>(size);
    if (newSize > original.st_size) {
        const int reserved = systemCall("allocate", [&] { return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, newSize); });
        // A file system without reservation is written anyway: it cannot do better.
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
            return untouchedFailure("allocate", errno);
    }
    std::size_t written = 0;
    if (!writeAll(fd, data, size, written)) {
        if (written == 0)
            return untouchedFailure("write", errno);
        return failure("write", errno, method);
    }
    if (systemCall("truncate", [&] { return ::ftruncate(fd, newSize); }) != 0)
        return failure("truncate", errno, method);
    if (lastWrite != nullptr && !setLastWrite(fd, *lastWrite))
        return failure("times", errno, method);
    if (systemCall("fsync", [&] { return ::fsync(fd); }) != 0)
        return failure("fsync", errno, method);
    return success(method, fd);
}

} // namespace brantlow::platform::detail
