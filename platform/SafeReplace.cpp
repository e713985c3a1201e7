// SPDX-License-Identifier: GPL-3.0-or-later
#include "SafeReplace.h"

#include "BackgroundClose.h"
#include "EditedCopy.h"
#include "ExclusiveFile.h"
#include "InPlaceRewrite.h"
#include "MetadataCopy.h"
#include "OwnedFd.h"
#include "ReplaceCalls.h"
#include "ReplaceOriginal.h"
#include "TempNames.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

// The staging and the commit of a replace: the original opened, checked and
// locked, the new content written to a temporary file beside it, flushed and
// renamed over it, alone or in a group of files.

namespace brantlow::platform {

using namespace detail;

namespace {

bool folderRefusesNewFiles(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

bool tmpFileUnsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

// What a replace writes: the whole content from memory, or the original
// with edits against it.
struct NewContent {
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
    const ByteEdits *edits = nullptr;
};

InPlaceTarget inPlaceTarget(const Original &original)
{
    return {original.file.get(), original.dirFd(), &original.info, original.folder, original.name};
}

// Rewrites the original itself, the edited content read in windows.
ReplaceResult rewriteInPlace(Original &original, const NewContent &content, const timespec *lastWrite)
{
    if (const ReplaceResult writable = openWritable(original); !writable.ok)
        return writable;
    if (content.edits == nullptr)
        return replaceInPlace(inPlaceTarget(original), BufferContent(content.data, content.size), lastWrite);
    const auto originalSize = static_cast<std::uint64_t>(original.info.st_size);
    const EditedContent edited(*content.edits, originalSize);
    if (!edited.fits(originalSize))
        return failure("read", EINVAL);
    return replaceInPlace(inPlaceTarget(original), edited, lastWrite);
}

bool writeContent(int fd, const Original &original, const NewContent &content, bool startWriteback)
{
    if (content.edits != nullptr)
        return writeEditedCopy(original.fd(), static_cast<std::uint64_t>(original.info.st_size), fd, *content.edits,
                               startWriteback);
    std::size_t done = 0;
    return writeAll(fd, content.data, content.size, done);
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
    std::optional<timespec> lastWrite; // the time the new content keeps
    ReplaceResult result;
};

namespace {

// An original of this size or more, replaced by its new file, is closed in
// the background: nobody can open it any more, and its last close frees its
// pages and blocks, which takes a while (a smaller one's close costs less
// than handing it over).
constexpr off_t kCloseInBackgroundFrom = off_t{8} << 20;

// Closes what an entry holds open, its temporary name (unless renamed)
// before its folder; its result stays.
void letGo(ReplaceGroup::Entry &entry)
{
    entry.tempName.reset();
    entry.temp.reset(-1);
    if (entry.result.ok && entry.result.method == ReplaceMethod::Rename
        && entry.original.info.st_size >= kCloseInBackgroundFrom) {
        closeInBackground(entry.original.file.release());
        closeInBackground(entry.original.held.release());
    }
    entry.original.file.reset(-1); // the original's lock goes with it
    entry.original.held.close();
    entry.original.dir.reset();
}

// Everything up to the flush: the original opened and checked, and either
// rewritten in place (final) or its new content written to a temporary file
// with the original's owner, attributes, mode and the kept time (pending).
// `held`, where given, is the original as the caller holds it; `folders`
// the group's open folders.
ReplaceResult stageReplace(ReplaceGroup::Entry &entry, const std::string &path, const NewContent &content,
                           const FileIdentity &expected, const timespec *lastWrite, bool startWriteback,
                           ExclusiveFile *held = nullptr, ReplaceFolders *folders = nullptr)
{
    // Edits say nothing without the original they were made against.
    if ((content.size > 0 && content.data == nullptr) || (content.edits != nullptr && !expected.valid()))
        return failure("write", EINVAL);
    if (content.size > static_cast<std::size_t>(std::numeric_limits<off_t>::max()))
        return failure("write", EFBIG);
    Original &original = entry.original;
    if (const ReplaceResult opened = held != nullptr && held->isOpen() ? takeOverHeld(path, *held, original, folders)
                                                                       : openOriginal(path, original, folders);
        !opened.ok)
        return opened;
    const int fileFd = original.fd();
    if (expected.valid() && !(identityFrom(original.info) == expected))
        return failure("changed", ESTALE);

    // A folder that keeps every name (append-only) would keep the temporary
    // name as well, the rename refused: the file is rewritten in place.
    if (original.info.st_nlink > 1 || appendOnlyFolder(original))
        return rewriteInPlace(original, content, lastWrite);

    TempNameGuard &tempName = entry.tempName.emplace(original.dirFd());
    // An anonymous file leaves nothing behind if the process dies while writing it.
    int tempFd =
        systemCall("create", [&] { return ::openat(original.dirFd(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); });
    entry.anonymous = tempFd >= 0;
    if (tempFd < 0 && tmpFileUnsupported(errno)) {
        recordFolderInLedger(original);
        tempFd = createNamedTemp(original.dirFd(), original.name, tempName);
    }
    if (tempFd < 0) {
        if (folderRefusesNewFiles(errno))
            return rewriteInPlace(original, content, lastWrite);
        return failure("create", errno, ReplaceMethod::Rename);
    }
    entry.temp.reset(tempFd);
    // A new file the process may not give to the original's owner and group
    // would hand the file to another owner: the original is rewritten instead.
    if (!newFileOwnedAsOriginal(original) && !copyOwner(tempFd, original.info)) {
        if (errno != EPERM)
            return failure("fchown", errno, ReplaceMethod::Rename);
        entry.temp.reset(-1);
        return rewriteInPlace(original, content, lastWrite);
    }

    constexpr auto method = ReplaceMethod::Rename;
    if (!writeContent(tempFd, original, content, startWriteback))
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
    if (lastWrite != nullptr)
        entry.lastWrite = *lastWrite;
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

// A rename (or link) refused by the folder itself: made append-only or
// immutable, or closed to the process, after the staging.
bool refusedByFolder(int error)
{
    return error == EPERM || error == EACCES;
}

// The rename refused, the staged content is written into the original in
// place (journalled) instead, read from the open temporary file in windows.
// Its temporary name goes first; one the folder keeps (append-only) is
// emptied once read and told as a warning ("temp-remove").
ReplaceResult rewriteFromStaged(ReplaceGroup::Entry &entry)
{
    struct stat staged {};
    if (systemCall("read", [&] { return ::fstat(entry.temp.get(), &staged); }) != 0)
        return failure("read", errno, ReplaceMethod::InPlace);
    TempNameGuard &tempName = *entry.tempName;
    int kept = 0;
    if (!tempName.name().empty()) {
        if (systemCall("temp-remove", [&] { return ::unlinkat(entry.original.dirFd(), tempName.name().c_str(), 0); })
            != 0)
            kept = errno;
        tempName.release();
    }
    const timespec *lastWrite = entry.lastWrite ? &*entry.lastWrite : nullptr;
    ReplaceResult done =
        replaceInPlace(inPlaceTarget(entry.original),
                       FileContent(entry.temp.get(), static_cast<std::uint64_t>(staged.st_size)), lastWrite);
    // The name the folder keeps is emptied. Where even that fails it still
    // holds a copy of the new content: the warning below names it either way.
    if (kept != 0 && ::ftruncate(entry.temp.get(), 0) != 0) {
    }
    if (done.ok && done.error == 0 && kept != 0) {
        done.error = kept;
        done.step = "temp-remove";
    }
    return done;
}

// The original checked again (its content and its name may have changed
// since it was opened: locks bind only those who ask for them), then the
// temporary file renamed over it.
ReplaceResult renameStaged(ReplaceGroup::Entry &entry)
{
    constexpr auto method = ReplaceMethod::Rename;
    Original &original = entry.original;
    TempNameGuard &tempName = *entry.tempName;
    // The file its name names now is the one opened (same device and inode)
    // and as it was (same size and last-write time): one look at the name.
    struct stat named {};
    if (::fstatat(original.dirFd(), original.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0
        || !(identityFrom(named) == identityFrom(original.info)))
        return failure("changed", ESTALE, method);
    // A folder turned append-only since the staging would keep the name.
    if (entry.anonymous && appendOnlyAtCommit(original))
        return rewriteFromStaged(entry);
    if (entry.anonymous)
        recordFolderInLedger(original);
    if (entry.anonymous && !linkAnonymous(entry.temp.get(), original.dirFd(), original.name, tempName))
        return refusedByFolder(errno) ? rewriteFromStaged(entry) : failure("link", errno, method);
    if (systemCall("rename",
                   [&] {
                       return ::renameat(original.dirFd(), tempName.name().c_str(), original.dirFd(),
                                         original.name.c_str());
                   })
        != 0)
        return refusedByFolder(errno) ? rewriteFromStaged(entry) : failure("rename", errno, method);
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
            const int error = systemCall("syncdir", [&] { return ::fsync(entry->original.dirFd()); }) != 0 ? errno : 0;
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

} // namespace

ReplaceResult replaceFileContents(const std::string &path, const std::uint8_t *data, std::size_t size,
                                  const FileIdentity &expected, const timespec *lastWrite)
{
    ReplaceGroup::Entry entry;
    entry.result = stageReplace(entry, path, {data, size, nullptr}, expected, lastWrite, false);
    commitEntries({&entry});
    return entry.result;
}

ReplaceGroup::ReplaceGroup(std::size_t maxFiles) : m_maxFiles(std::clamp<std::size_t>(maxFiles, 1, kMaxFiles))
{
}
ReplaceGroup::~ReplaceGroup() = default;

std::size_t ReplaceGroup::add(const std::string &path, const ByteEdits &edits, const FileIdentity &original,
                              const timespec *lastWrite)
{
    ExclusiveFile none;
    return add(path, edits, original, lastWrite, std::move(none));
}

std::size_t ReplaceGroup::add(const std::string &path, const ByteEdits &edits, const FileIdentity &original,
                              const timespec *lastWrite, ExclusiveFile &&held)
{
    auto entry = std::make_unique<Entry>();
    ExclusiveFile taken = std::move(held);
    entry->result = stageReplace(*entry, path, {nullptr, 0, &edits}, original, lastWrite, true, &taken, &m_folders);
    if (!entry->pending) // failed or rewritten in place: nothing is kept open
        letGo(*entry);
    m_entries.push_back(std::move(entry));
    if (original.valid())
        m_bytes += editedSize(edits, static_cast<std::uint64_t>(original.size));
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
    // Until the next files: a folder is opened again for them.
    m_folders.clear();
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

ReplaceResult checkReplaceable(const std::string &path, bool keepsTime)
{
    Original original;
    // Opened for writing, the file can always be rewritten in place when no
    // new file can be made beside it, so the open decides.
    const ReplaceResult opened = openOriginal(path, original);
    if (opened.ok && keepsTime && ::geteuid() != 0 && ::geteuid() != original.info.st_uid)
        return failure("times", EPERM, ReplaceMethod::InPlace);
    return opened;
}

} // namespace brantlow::platform
