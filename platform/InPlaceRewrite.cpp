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

// What the rewrite holds at once: the window it writes, and the two it
// compares when looking for the first change.
constexpr std::size_t kWindow = 1 << 20;

} // namespace

bool OriginalBytes::read(std::uint64_t offset, std::size_t count, std::uint8_t *out) const
{
    if (journal == nullptr || offset + count <= journal->savedFrom())
        return readExactly(fd, out, count, offset);
    // Never from the file here: from the journal's offset on it is being overwritten.
    const std::uint64_t before = offset < journal->savedFrom() ? journal->savedFrom() - offset : 0;
    return readExactly(fd, out, before, offset)
        && journal->readSaved(offset + before, count - static_cast<std::size_t>(before), out + before);
}

bool InPlaceContent::firstChange(const OriginalBytes &old, std::uint64_t &at) const
{
    const std::uint64_t common = std::min(old.size, size());
    const auto window = static_cast<std::size_t>(std::min<std::uint64_t>(common, kWindow));
    std::vector<std::uint8_t> theirs(window);
    std::vector<std::uint8_t> ours(window);
    for (at = 0; at < common;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(common - at, window));
        if (!old.read(at, want, theirs.data()) || !read(old, at, want, ours.data()))
            return false;
        const auto differs =
            std::mismatch(theirs.begin(), theirs.begin() + static_cast<std::ptrdiff_t>(want), ours.begin()).first;
        at += static_cast<std::uint64_t>(differs - theirs.begin());
        if (differs != theirs.begin() + static_cast<std::ptrdiff_t>(want))
            return true;
    }
    return true;
}

bool BufferContent::read(const OriginalBytes &, std::uint64_t offset, std::size_t count, std::uint8_t *out) const
{
    std::memcpy(out, m_data + offset, count);
    return true;
}

bool FileContent::read(const OriginalBytes &, std::uint64_t offset, std::size_t count, std::uint8_t *out) const
{
    return readExactly(m_fd, out, count, offset);
}

ReplaceResult replaceInPlace(const InPlaceTarget &target, const InPlaceContent &content, const timespec *lastWrite)
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
    const std::uint64_t size = content.size();
    OriginalBytes old{fd, oldSize, nullptr};
    std::uint64_t from = 0;
    if (!content.firstChange(old, from))
        return failure(errno == ESTALE ? "changed" : "read", errno, method);
    // The journal first: it also holds the old last-write time, which
    // reserving space may change.
    const bool changes = from < size || size != oldSize;
    Journal journal;
    const char *step = "";
    if (changes && !journal.save(target, std::min<std::uint64_t>(from, oldSize), step))
        return untouchedFailure(step, errno);
    if (changes)
        old.journal = &journal;
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
    std::vector<std::uint8_t> window(static_cast<std::size_t>(std::min<std::uint64_t>(size - from, kWindow)));
    for (std::uint64_t at = from; at < size;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, window.size()));
        std::size_t written = 0;
        if (!content.read(old, at, count, window.data()))
            return rolledBack("read");
        if (!writeAll(fd, window.data(), count, written, static_cast<std::size_t>(at)))
            return rolledBack("write");
        at += count;
    }
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
