// SPDX-License-Identifier: GPL-3.0-or-later
#include "JournalFormat.h"

#include "OwnedFd.h"
#include "ReadAll.h"
#include "ReplaceCalls.h"
#include "StateFolder.h"
#include "TempNames.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brantlow::platform::detail {

namespace {

constexpr char kMagic[8] = {'B', 'R', 'N', 'T', 'J', 'R', 'N', '1'};
constexpr std::size_t kCopyChunk = 1 << 20;

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

bool writeHeader(int fd, const JournalHeader &header)
{
    std::array<std::uint8_t, kJournalHeaderSize> bytes{};
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    std::memcpy(bytes.data() + sizeof kMagic, &header, sizeof header);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = systemCall("journal-seal", [&] {
            return ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        });
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

JournalState readHeader(int fd, JournalHeader &header)
{
    std::array<std::uint8_t, kJournalHeaderSize> bytes{};
    struct stat info {};
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (readAllAt(fd, bytes.data(), size, 0) != size || ::fstat(fd, &info) != 0
        || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return JournalState::Unsealed;
    std::memcpy(&header, bytes.data() + sizeof kMagic, sizeof header);
    // Sealed only with every byte of the tail it announces.
    const bool whole = header.offset <= header.oldLength
        && static_cast<std::uint64_t>(info.st_size) == kJournalHeaderSize + header.oldLength - header.offset;
    return whole ? JournalState::Sealed : JournalState::Unsealed;
}

std::int64_t birthTime(int fd)
{
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &info) != 0 || (info.stx_mask & STATX_BTIME) == 0)
        return 0;
    return static_cast<std::int64_t>(info.stx_btime.tv_sec) * 1'000'000'000 + info.stx_btime.tv_nsec;
}

JournalPlaces journalPlaces(std::uint64_t device, std::uint64_t inode, const std::string &name)
{
    JournalPlaces places;
    const std::string id = std::to_string(device) + "-" + std::to_string(inode);
    places.registration = id + ".entry";
    places.inState = id + ".journal";
    places.beside = hiddenName(name, ".brantlow-journal");
    return places;
}

std::string journalFolder(int &error)
{
    return stateFolder("journal", error);
}

bool writeRecord(int stateFd, const std::string &name, const std::string &text)
{
    OwnedFd fd(systemCall("register", [&] {
        return ::openat(stateFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    }));
    if (!fd.valid())
        return false;
    std::size_t done = 0;
    if (!writeAll(fd.get(), reinterpret_cast<const std::uint8_t *>(text.data()), text.size(), done, 0, "register")
        || systemCall("register", [&] { return ::fsync(fd.get()); }) != 0
        || systemCall("register", [&] { return ::fsync(stateFd); }) != 0) {
        const int error = errno;
        ::unlinkat(stateFd, name.c_str(), 0);
        errno = error;
        return false;
    }
    return true;
}

bool removeRecord(const std::string &path)
{
    if (systemCall("unregister", [&] { return ::unlink(path.c_str()); }) != 0 && errno != ENOENT)
        return false;
    const OwnedFd folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.valid() && systemCall("unregister", [&] { return ::fsync(folder.get()); }) == 0;
}

bool copyBytes(int from, off_t fromOffset, int to, off_t toOffset, std::uint64_t length, const char *step)
{
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyChunk)));
    for (std::uint64_t done = 0; done < length;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
        const std::int64_t got =
            readAllAt(from, buffer.data(), static_cast<std::int64_t>(want), fromOffset + static_cast<off_t>(done));
        if (got < 0)
            return false;
        if (got < static_cast<std::int64_t>(want)) { // shorter than it was
            errno = EIO;
            return false;
        }
        std::size_t wrote = 0;
        if (!writeAll(to, buffer.data(), static_cast<std::size_t>(got), wrote,
                      static_cast<std::size_t>(toOffset) + done, step))
            return false;
        done += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool restoreFrom(int journalFd, const JournalHeader &header, int fileFd, const char *&step)
{
    step = "restore-write";
    if (!copyBytes(journalFd, kJournalHeaderSize, fileFd, static_cast<off_t>(header.offset),
                   header.oldLength - header.offset, step))
        return false;
    step = "restore-truncate";
    if (systemCall(step, [&] { return ::ftruncate(fileFd, static_cast<off_t>(header.oldLength)); }) != 0)
        return false;
    step = "times";
    if (!setLastWrite(fileFd, {header.lastWriteSeconds, header.lastWriteNanoseconds}))
        return false;
    step = "restore-fsync";
    return systemCall(step, [&] { return ::fsync(fileFd); }) == 0;
}

} // namespace brantlow::platform::detail
