#include "SafeReplace.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace brantlow::platform {

namespace {

std::function<int(const char *)> &faultHook()
{
    static std::function<int(const char *)> hook;
    return hook;
}

// Runs `call` (retrying on EINTR) unless the fault hook fails this step.
template <typename Call>
auto systemCall(const char *step, Call &&call) -> decltype(call())
{
    if (const auto &hook = faultHook(); hook) {
        if (const int injected = hook(step); injected != 0) {
            errno = injected;
            return -1;
        }
    }
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    return result;
}

class OwnedFd {
public:
    explicit OwnedFd(int fd = -1) : m_fd(fd) {}
    ~OwnedFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OwnedFd(const OwnedFd &) = delete;
    OwnedFd &operator=(const OwnedFd &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// What a process that must stop at once needs to know: the temporary names
// now in folders, and whether an in-place rewrite is under way. Names are
// made and registered under one lock, so none escapes the final clean-up.
class ReplaceRegistry {
public:
    static ReplaceRegistry &instance()
    {
        static ReplaceRegistry registry;
        return registry;
    }

    // Runs `make` (which creates a temporary name and returns its result)
    // under the lock, registering the name when `made` says it exists.
    template <typename Make>
    auto makeName(int dirFd, const std::string &name, Make &&make, bool (*made)(decltype(make())))
        -> decltype(make())
    {
        std::unique_lock lock(m_mutex);
        waitUnlessExiting(lock);
        auto result = make();
        if (made(result))
            m_names.insert({{dirFd, name}, 0});
        return result;
    }

    void forget(int dirFd, const std::string &name)
    {
        std::lock_guard lock(m_mutex);
        m_names.erase({dirFd, name});
    }

    void beginInPlace()
    {
        std::unique_lock lock(m_mutex);
        waitUnlessExiting(lock);
        ++m_inPlaceWriters;
    }

    void endInPlace()
    {
        std::lock_guard lock(m_mutex);
        --m_inPlaceWriters;
        m_changed.notify_all();
    }

    [[noreturn]] void exitNow(int status)
    {
        std::unique_lock lock(m_mutex);
        m_exiting = true;
        m_changed.wait(lock, [&] { return m_inPlaceWriters == 0; });
        for (const auto &[where, unused] : m_names)
            ::unlinkat(where.first, where.second.c_str(), 0);
        ::_exit(status);
    }

private:
    // Once the process is exiting, nothing new starts: the caller waits
    // until the exit takes it.
    void waitUnlessExiting(std::unique_lock<std::mutex> &lock)
    {
        m_changed.wait(lock, [&] { return !m_exiting; });
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_exiting = false;
    int m_inPlaceWriters = 0;
    std::map<std::pair<int, std::string>, int> m_names;
};

class InPlaceSection {
public:
    InPlaceSection() { ReplaceRegistry::instance().beginInPlace(); }
    ~InPlaceSection() { ReplaceRegistry::instance().endInPlace(); }
    InPlaceSection(const InPlaceSection &) = delete;
    InPlaceSection &operator=(const InPlaceSection &) = delete;
};

// Removes a temporary name from the folder unless the rename consumed it.
class TempNameGuard {
public:
    explicit TempNameGuard(int dirFd) : m_dirFd(dirFd) {}
    ~TempNameGuard()
    {
        if (!m_name.empty()) {
            ::unlinkat(m_dirFd, m_name.c_str(), 0);
            ReplaceRegistry::instance().forget(m_dirFd, m_name);
        }
    }
    TempNameGuard(const TempNameGuard &) = delete;
    TempNameGuard &operator=(const TempNameGuard &) = delete;
    // The name is registered already (ReplaceRegistry::makeName).
    void hold(std::string name) { m_name = std::move(name); }
    void release()
    {
        ReplaceRegistry::instance().forget(m_dirFd, m_name);
        m_name.clear();
    }
    int dirFd() const { return m_dirFd; }
    const std::string &name() const { return m_name; }

private:
    int m_dirFd;
    std::string m_name;
};

ReplaceResult failure(const char *step, int error, ReplaceMethod method = ReplaceMethod::None)
{
    ReplaceResult result;
    result.ok = false;
    result.method = method;
    result.error = error;
    result.step = step;
    return result;
}

ReplaceResult success(ReplaceMethod method, int fd = -1)
{
    ReplaceResult result;
    result.ok = true;
    result.method = method;
    result.identity = identityOf(fd);
    return result;
}

// Gives the open file the last-write time; the last-access time stays.
bool setLastWrite(int fd, const timespec &lastWrite)
{
    const timespec stamps[2] = {{0, UTIME_OMIT}, lastWrite};
    return systemCall("times", [&] { return ::futimens(fd, stamps); }) == 0;
}

// Writes `size` bytes at `data` to the file at `offset`.
bool writeAll(int fd, const std::uint8_t *data, std::size_t size, std::size_t &done, std::size_t offset = 0)
{
    done = 0;
    while (done < size) {
        const ssize_t wrote = systemCall(
            "write", [&] { return ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done)); });
        if (wrote < 0)
            return false;
        if (wrote == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The temporary name of a file is fixed: ".<name>.brantlow-tmp". Only the
// holder of the file's lock uses it, and a name left by a process that was
// killed between link and rename is cleared by the next replace of that file.
// A name too long for that is shortened at a UTF-8 character boundary and
// told apart from its neighbours by a hash of the whole.
std::string hiddenTempName(std::string_view name)
{
    static constexpr std::string_view kMarker = ".brantlow-tmp";
    constexpr std::size_t kNameMax = NAME_MAX;
    const std::size_t room = kNameMax - 1 - kMarker.size();

    std::string temp = ".";
    if (name.size() <= room) {
        temp += name;
    } else {
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char hex[18];
        std::snprintf(hex, sizeof hex, ".%016llx", static_cast<unsigned long long>(hash));
        std::size_t cut = room - (sizeof hex - 1);
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        temp += name.substr(0, cut);
        temp += hex;
    }
    temp += kMarker;
    return temp;
}

bool folderRefusesNewFiles(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

bool tmpFileUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

// Rewrites the open original itself: only where a rename would be wrong (other
// hard links keep the old content) or impossible (no new file in the folder).
// The new length is reserved first, so that a full disk fails before any byte
// of the file changes.
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

bool ignorableAttributeError(int error)
{
    // Attributes the file system or the process cannot carry over are left
    // out, as a copy by cp -a would.
    return error == ENOTSUP || error == EPERM || error == EACCES || error == ENODATA || error == ERANGE;
}

// Copies extended attributes (ACLs, user tags, labels) so that the renamed
// file does not lose them.
bool copyExtendedAttributes(int originalFd, int fd)
{
    ssize_t listSize = ::flistxattr(originalFd, nullptr, 0);
    if (listSize <= 0) // none to copy, or none readable
        return listSize == 0 || ignorableAttributeError(errno);
    std::vector<char> names(static_cast<std::size_t>(listSize));
    listSize = ::flistxattr(originalFd, names.data(), names.size());
    if (listSize < 0)
        return ignorableAttributeError(errno);
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(listSize);) {
        const char *name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t valueSize = ::fgetxattr(originalFd, name, nullptr, 0);
        if (valueSize < 0) {
            if (ignorableAttributeError(errno))
                continue;
            return false;
        }
        value.resize(static_cast<std::size_t>(valueSize));
        const ssize_t got = ::fgetxattr(originalFd, name, value.data(), value.size());
        if (got < 0) {
            if (ignorableAttributeError(errno))
                continue;
            return false;
        }
        if (systemCall("xattr", [&] { return ::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(got), 0); })
                != 0
            && !ignorableAttributeError(errno))
            return false;
    }
    return true;
}

// Gives the new file the original's owner and group. EPERM means the
// process may not: the caller then keeps the original file instead.
bool copyOwner(int fd, const struct stat &original)
{
    return systemCall("fchown", [&] { return ::fchown(fd, original.st_uid, original.st_gid); }) == 0;
}

// Gives the new file, already owned as the original, its extended attributes
// and permission bits; the mode last, so that it wins over an access list's
// mask (and after the owner, whose change clears the set-ID bits).
bool copyMetadata(int originalFd, int fd, const struct stat &original, const char *&step)
{
    step = "xattr";
    if (!copyExtendedAttributes(originalFd, fd))
        return false;
    step = "fchmod";
    return systemCall(step, [&] { return ::fchmod(fd, original.st_mode & 07777); }) == 0;
}

// Links an anonymous O_TMPFILE file into the folder under its temporary name.
bool linkAnonymous(int tempFd, int dirFd, std::string_view name, TempNameGuard &tempName)
{
    const std::string procPath = "/proc/self/fd/" + std::to_string(tempFd);
    const std::string temp = hiddenTempName(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int linked = ReplaceRegistry::instance().makeName(
            dirFd, temp,
            [&] {
                int result = systemCall("link", [&] {
                    return ::linkat(AT_FDCWD, procPath.c_str(), dirFd, temp.c_str(), AT_SYMLINK_FOLLOW);
                });
                if (result != 0 && errno == ENOENT) // no /proc mounted
                    result = systemCall("link", [&] { return ::linkat(tempFd, "", dirFd, temp.c_str(), AT_EMPTY_PATH); });
                return result;
            },
            +[](int result) { return result == 0; });
        if (linked == 0) {
            tempName.hold(temp);
            return true;
        }
        if (errno != EEXIST || ::unlinkat(dirFd, temp.c_str(), 0) != 0) // a leftover of an interrupted replace
            return false;
    }
    errno = EEXIST;
    return false;
}

// Creates the temporary file by name, for file systems without O_TMPFILE.
int createNamedTemp(int dirFd, std::string_view name, TempNameGuard &tempName)
{
    const std::string temp = hiddenTempName(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ReplaceRegistry::instance().makeName(
            dirFd, temp,
            [&] {
                return systemCall("create", [&] {
                    return ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                });
            },
            +[](int fd) { return fd >= 0; });
        if (fd >= 0) {
            tempName.hold(temp);
            return fd;
        }
        if (errno != EEXIST || ::unlinkat(dirFd, temp.c_str(), 0) != 0) // a leftover of an interrupted replace
            return -1;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

void setReplaceFaultHook(std::function<int(const char *step)> hook)
{
    faultHook() = std::move(hook);
}

namespace {

thread_local ReplaceResult t_lastResult;

// The original, opened for writing and locked, and its folder.
struct Original {
    OwnedFd dir;
    OwnedFd file;
    struct stat info {};
    std::string folder; // resolved, so that a group flushes each folder once
    std::string name;
};

ReplaceResult openOriginal(const std::string &path, Original &original)
{
    // Replace the file a symbolic link points to, never the link itself.
    char *resolvedText = ::realpath(path.c_str(), nullptr);
    if (resolvedText == nullptr)
        return failure("open", errno);
    const std::string resolved(resolvedText);
    std::free(resolvedText);

    const auto slash = resolved.rfind('/');
    original.folder = slash == 0 ? std::string("/") : resolved.substr(0, slash);
    original.name = resolved.substr(slash + 1);
    const std::string &folder = original.folder;

    // A folder that may be searched but not listed still holds a writable
    // file: it is reached by path only, and cannot be flushed after the rename.
    int dirFd = systemCall("folder", [&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (dirFd < 0 && errno == EACCES)
        dirFd = systemCall("folder", [&] { return ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); });
    original.dir.reset(dirFd);
    if (!original.dir.valid())
        return failure("folder", errno);

    original.file.reset(systemCall("open", [&] {
        return ::openat(original.dir.get(), original.name.c_str(),
                        O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }));
    if (!original.file.valid())
        return failure("open", errno);
    if (::fstat(original.file.get(), &original.info) != 0)
        return failure("open", errno);
    if (!S_ISREG(original.info.st_mode))
        return failure("open", EINVAL);
    // Root may open a read-only file for writing; the file still says "do not write".
    if ((original.info.st_mode & 0222) == 0)
        return failure("open", EACCES);
    if (systemCall("lock", [&] { return ::flock(original.file.get(), LOCK_EX | LOCK_NB); }) != 0)
        return failure("lock", errno);
    return success(ReplaceMethod::None);
}

bool copyUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

// Writes the new content to the temporary file: from memory, or up to the
// unchanged tail from memory and the tail copied from the original by the
// kernel. Where the kernel cannot copy between the two, memory serves.
bool writeContent(int fd, const Original &original, const std::uint8_t *data, std::size_t size,
                  const UnchangedTail &tail)
{
    const bool tailFits = tail.known() && static_cast<std::uint64_t>(tail.dataOffset) <= size
        && tail.fileOffset + static_cast<std::int64_t>(size - static_cast<std::size_t>(tail.dataOffset))
            == static_cast<std::int64_t>(original.info.st_size);
    const std::size_t head = tailFits ? static_cast<std::size_t>(tail.dataOffset) : size;
    std::size_t done = 0;
    if (!writeAll(fd, data, head, done))
        return false;
    loff_t from = tail.fileOffset;
    loff_t to = static_cast<loff_t>(head);
    while (static_cast<std::size_t>(to) < size) {
        const ssize_t copied = systemCall("copy", [&] {
            return ::copy_file_range(original.file.get(), &from, fd, &to, size - static_cast<std::size_t>(to), 0);
        });
        if (copied < 0 && copyUnsupported(errno)) {
            const auto at = static_cast<std::size_t>(to);
            return writeAll(fd, data + at, size - at, done, at);
        }
        if (copied < 0)
            return false;
        if (copied == 0) { // the original is shorter than it was when read
            errno = ESTALE;
            return false;
        }
    }
    return true;
}

} // namespace

// One file of a replace: its original, the temporary file with the new
// content, and where the replace stands.
struct ReplaceGroup::Entry {
    Original original;
    OwnedFd temp;
    std::optional<TempNameGuard> tempName; // after `original`, whose folder it names the file in
    bool anonymous = false;
    bool pending = false; // written, waiting for the commit
    ReplaceResult result;
};

namespace {

// Closes what an entry holds open, its temporary name (unless renamed)
// before its folder; its result stays.
void letGo(ReplaceGroup::Entry &entry)
{
    entry.tempName.reset();
    entry.temp.reset(-1);
    entry.original.file.reset(-1); // the original's lock goes with it
    entry.original.dir.reset(-1);
}

// Everything up to the flush: the original opened and checked, and either
// rewritten in place (final) or its new content written to a temporary file
// with the original's owner, attributes, mode and the kept time (pending).
ReplaceResult stageReplace(ReplaceGroup::Entry &entry, const std::string &path, const std::uint8_t *data,
                           std::size_t size, const FileIdentity &expected, const timespec *lastWrite,
                           const UnchangedTail &tail, bool startWriteback)
{
    if (size > 0 && data == nullptr)
        return failure("write", EINVAL);
    if (size > static_cast<std::size_t>(std::numeric_limits<off_t>::max()))
        return failure("write", EFBIG);
    Original &original = entry.original;
    if (const ReplaceResult opened = openOriginal(path, original); !opened.ok)
        return opened;
    const int fileFd = original.file.get();
    if (expected.valid() && !(identityFrom(original.info) == expected))
        return failure("changed", ESTALE);

    if (original.info.st_nlink > 1)
        return replaceInPlace(fileFd, original.info, data, size, lastWrite);

    TempNameGuard &tempName = entry.tempName.emplace(original.dir.get());
    // An anonymous file leaves nothing behind if the process dies while writing it.
    int tempFd = systemCall("create", [&] {
        return ::openat(original.dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    });
    entry.anonymous = tempFd >= 0;
    if (tempFd < 0 && tmpFileUnsupported(errno))
        tempFd = createNamedTemp(original.dir.get(), original.name, tempName);
    if (tempFd < 0) {
        if (folderRefusesNewFiles(errno))
            return replaceInPlace(fileFd, original.info, data, size, lastWrite);
        return failure("create", errno, ReplaceMethod::Rename);
    }
    entry.temp.reset(tempFd);
    // A new file the process may not give to the original's owner and group
    // would hand the file to another owner: the original is rewritten instead.
    if (!copyOwner(tempFd, original.info)) {
        if (errno != EPERM)
            return failure("fchown", errno, ReplaceMethod::Rename);
        entry.temp.reset(-1);
        return replaceInPlace(fileFd, original.info, data, size, lastWrite);
    }

    constexpr auto method = ReplaceMethod::Rename;
    const bool fromOriginal = tail.known() && expected.valid();
    if (!writeContent(tempFd, original, data, size, fromOriginal ? tail : UnchangedTail{}))
        return failure(errno == ESTALE ? "changed" : "write", errno, method);
    const char *step = "";
    if (!copyMetadata(fileFd, tempFd, original.info, step))
        return failure(step, errno, method);
    if (lastWrite != nullptr && !setLastWrite(tempFd, *lastWrite))
        return failure("times", errno, method);
    // Only a start: the flush in the commit waits for it. A failure here
    // shows there again.
    if (startWriteback)
        ::sync_file_range(tempFd, 0, 0, SYNC_FILE_RANGE_WRITE);
    entry.pending = true;
    ReplaceResult pending = success(method);
    pending.step = "pending";
    return pending;
}

// The temporary file flushed; the caller goes on with the rename.
ReplaceResult flushStaged(ReplaceGroup::Entry &entry)
{
    if (systemCall("fsync", [&] { return ::fsync(entry.temp.get()); }) != 0)
        return failure("fsync", errno, ReplaceMethod::Rename);
    return entry.result;
}

// The original checked again (its content and its name may have changed
// since it was opened: locks bind only those who ask for them), then the
// temporary file renamed over it.
ReplaceResult renameStaged(ReplaceGroup::Entry &entry)
{
    constexpr auto method = ReplaceMethod::Rename;
    Original &original = entry.original;
    TempNameGuard &tempName = *entry.tempName;
    struct stat now {};
    struct stat named {};
    if (::fstat(original.file.get(), &now) != 0
        || ::fstatat(original.dir.get(), original.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || !(identityFrom(now) == identityFrom(original.info)) || named.st_dev != now.st_dev
        || named.st_ino != now.st_ino)
        return failure("changed", ESTALE, method);
    if (entry.anonymous && !linkAnonymous(entry.temp.get(), original.dir.get(), original.name, tempName))
        return failure("link", errno, method);
    if (systemCall("rename", [&] {
            return ::renameat(original.dir.get(), tempName.name().c_str(), original.dir.get(), original.name.c_str());
        })
        != 0)
        return failure("rename", errno, method);
    tempName.release();
    return success(method, entry.temp.get());
}

// Flushes, renames and flushes the folders of the pending entries. A file
// is renamed only once every file of the group is flushed, and reported
// only after its folder is flushed.
void commitEntries(const std::vector<ReplaceGroup::Entry *> &entries)
{
    std::vector<ReplaceGroup::Entry *> pending;
    for (ReplaceGroup::Entry *entry : entries)
        if (entry->pending)
            pending.push_back(entry);
    for (ReplaceGroup::Entry *entry : pending)
        entry->result = flushStaged(*entry);
    for (ReplaceGroup::Entry *entry : pending)
        if (entry->result.ok)
            entry->result = renameStaged(*entry);
    // One flush for every folder that got a new name; its failure cannot undo
    // the renames, so it is a warning on each.
    std::vector<std::pair<std::string, int>> flushed; // folder, errno
    for (ReplaceGroup::Entry *entry : pending) {
        entry->pending = false;
        if (!entry->result.ok)
            continue;
        auto done = std::find_if(flushed.begin(), flushed.end(),
                                 [&](const auto &folder) { return folder.first == entry->original.folder; });
        if (done == flushed.end()) {
            const int error =
                systemCall("syncdir", [&] { return ::fsync(entry->original.dir.get()); }) != 0 ? errno : 0;
            done = flushed.insert(flushed.end(), {entry->original.folder, error});
        }
        if (done->second != 0) {
            entry->result.error = done->second;
            entry->result.step = "syncdir";
        }
    }
    for (ReplaceGroup::Entry *entry : pending)
        letGo(*entry);
}

ReplaceResult replaceChecked(const std::string &path, const std::uint8_t *data, std::size_t size,
                             const FileIdentity &expected, const timespec *lastWrite)
{
    ReplaceGroup::Entry entry;
    entry.result = stageReplace(entry, path, data, size, expected, lastWrite, {}, false);
    commitEntries({&entry});
    return entry.result;
}

} // namespace

ReplaceResult replaceFileContents(const std::string &path, const std::uint8_t *data, std::size_t size,
                                  const FileIdentity &expected, const timespec *lastWrite)
{
    t_lastResult = replaceChecked(path, data, size, expected, lastWrite);
    return t_lastResult;
}

ReplaceResult lastReplaceResult() { return t_lastResult; }

ReplaceGroup::ReplaceGroup(std::size_t maxFiles) : m_maxFiles(std::clamp<std::size_t>(maxFiles, 1, kMaxFiles))
{
}
ReplaceGroup::~ReplaceGroup() = default;

std::size_t ReplaceGroup::add(const std::string &path, const std::uint8_t *data, std::size_t size,
                              const FileIdentity &expected, const timespec *lastWrite, const UnchangedTail &tail)
{
    auto entry = std::make_unique<Entry>();
    entry->result = stageReplace(*entry, path, data, size, expected, lastWrite, tail, true);
    if (!entry->pending) // failed or rewritten in place: nothing is kept open
        letGo(*entry);
    m_entries.push_back(std::move(entry));
    m_bytes += size;
    return m_entries.size() - 1;
}

bool ReplaceGroup::full() const
{
    return m_entries.size() >= m_maxFiles || m_bytes >= kMaxBytes;
}

void ReplaceGroup::commit()
{
    std::vector<Entry *> entries;
    entries.reserve(m_entries.size());
    for (const auto &entry : m_entries)
        entries.push_back(entry.get());
    commitEntries(entries);
}

ReplaceResult ReplaceGroup::result(std::size_t entry) const
{
    return entry < m_entries.size() ? m_entries[entry]->result : failure("open", EINVAL);
}

void ReplaceGroup::clear()
{
    m_entries.clear();
    m_bytes = 0;
}

ReplaceResult checkReplaceable(const std::string &path)
{
    Original original;
    // Opened for writing, the file can always be rewritten in place when no
    // new file can be made beside it, so the open decides.
    return openOriginal(path, original);
}

void abandonReplacesAndExit(int status) { ReplaceRegistry::instance().exitNow(status); }

} // namespace brantlow::platform
