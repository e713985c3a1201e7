// SPDX-License-Identifier: GPL-3.0-or-later
#include "InPlaceRewrite.h"

#include "ReplaceCalls.h"
#include "TempNames.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brantlow::platform::detail {

namespace {

// The first offset at which the new content differs from the file, compared
// in bounded chunks; the new size when it only grows or is the same.
bool firstChange(int fd, std::uint64_t oldSize, const std::uint8_t *data, std::size_t size, std::uint64_t &at)
{
    constexpr std::size_t kChunk = 1 << 20;
    const std::uint64_t common = std::min<std::uint64_t>(oldSize, size);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(common, kChunk)));
    for (at = 0; at < common;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(common - at, chunk.size()));
        const ssize_t got = systemCall("read", [&] { return ::pread(fd, chunk.data(), want, static_cast<off_t>(at)); });
        if (got <= 0) {
            errno = got == 0 ? EIO : errno;
            return false;
        }
        const auto *differs = std::mismatch(chunk.data(), chunk.data() + got, data + at).first;
        at += static_cast<std::uint64_t>(differs - chunk.data());
        if (differs != chunk.data() + got)
            return true;
    }
    return true;
}

} // namespace

ReplaceResult replaceInPlace(const InPlaceTarget &target, const std::uint8_t *data, std::size_t size,
                             const timespec *lastWrite)
{
    constexpr auto method = ReplaceMethod::InPlace;
    const int fd = target.fd;
    const struct stat &original = *target.info;
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
    const auto oldSize = static_cast<std::uint64_t>(original.st_size);
    std::uint64_t from = 0;
    if (!firstChange(fd, oldSize, data, size, from))
        return failure("read", errno, method);
    // The journal first: it also holds the old last-write time, which
    // reserving space may change.
    const bool changes = from < size || size != oldSize;
    Journal journal;
    const char *step = "";
    if (changes && !journal.save(target, std::min<std::uint64_t>(from, oldSize), step))
        return untouchedFailure(step, errno);
    const auto newSize = static_cast<off_t>(size);
    if (newSize > original.st_size) {
        const int reserved = systemCall("allocate", [&] { return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, newSize); });
        // A file system without reservation is written anyway: it cannot do better.
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
            const int error = errno;
            journal.finish(step);
            return untouchedFailure("allocate", error);
        }
    }
    // From the first byte changed on, a failure puts the original back.
    auto rolledBack = [&](const char *failed) {
        const int error = errno;
        const char *ignored = "";
        if (changes)
            journal.rollBack(fd, ignored);
        return failure(failed, error, method);
    };
    std::size_t written = 0;
    if (!writeAll(fd, data + from, size - from, written, from))
        return rolledBack("write");
    if (systemCall("truncate", [&] { return ::ftruncate(fd, newSize); }) != 0)
        return rolledBack("truncate");
    // Reading the file (for the first change and the journal) may have moved
    // its access time: it is put back with the kept last-write time.
    const timespec stamps[2] = {original.st_atim, lastWrite != nullptr ? *lastWrite : timespec{0, UTIME_OMIT}};
    if (lastWrite != nullptr && systemCall("times", [&] { return ::futimens(fd, stamps); }) != 0)
        return rolledBack("times");
    if (lastWrite == nullptr) // only the owner may: else the access time shows the read
        ::futimens(fd, stamps);
    if (systemCall("fsync", [&] { return ::fsync(fd); }) != 0)
        return rolledBack("fsync");
    ReplaceResult done = success(method, fd);
    // The file is new and flushed; an emptied journal that cannot go is a
    // warning, one that still holds the old content puts it back.
    if (changes && !journal.finish(step)) {
        if (journal.stillLive())
            return rolledBack(step);
        done.error = errno;
        done.step = step;
    }
    return done;
}

} // namespace brantlow::platform::detail
