// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ByteEdits.h"
#include "FileIdentity.h"
#include "ReplaceResult.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brantlow::platform {

class ExclusiveFile;
namespace detail {
struct ReplaceFolder;
}

// Replaces the content of the existing file `path` (a symbolic link is
// followed; the link stays) with `size` bytes at `data`.
// Until the new content is complete and flushed the original stays
// byte-identical; on failure no temporary file is left behind. A missing file
// is not created. When `expected` is valid and the file on disk no longer
// matches it, nothing is written (step "changed"). A file without any write
// permission bit is refused (step "open", EACCES), also for root.
// The new file keeps the original's mode, owner, group and extended
// attributes such as access lists. Where the process may not give a new file
// the original's owner or group (it is neither root nor both the owner and a
// member of the group), the file is rewritten in place instead, as for a file
// with several hard links, so that it never passes to another owner.
// When `lastWrite` is given, the new content carries that last-write time
// before it becomes the file's (set on the temporary file before the rename;
// in place, checked as settable before the first byte changes and set before
// the flush), so that a replace never ends with the content new and the time
// stamp lost; the last-access time is left as it is.
// Steps: "open", "lock", "changed", "folder", "create", "write", "read", "copy",
// "fchown", "xattr", "fchmod", "times", "fsync", "link", "rename", "allocate",
// "truncate", "syncdir", and in place "read", "register", "journal",
// "journal-allocate", "journal-write", "journal-fsync", "journal-seal",
// "journal-syncdir", "journal-remove", "unregister". Just before the rename the original is checked
// again: a file changed or replaced under its name meanwhile is left as it
// is (step "changed").
// A file in an append-only folder (which would keep the temporary name) is
// rewritten in place too. In place, the bytes the rewrite overwrites are
// kept in a flushed journal first (Journal.h).
// A process killed during a replace leaves the old or the new content whole,
// in place once recoverUnfinished has put the file back from its journal; it
// may leave the temporary name ".<name>.brantlow-tmp-<run id>", which
// removeLeftovers (TempLedger.h) removes in a later run.
// A rename (or link) the folder refuses after the staging (EPERM, EACCES: made
// append-only or immutable meanwhile) rewrites the file in place from the
// staged copy; a temporary name the folder then keeps is emptied, and the
// result is ok with `step` "temp-remove" as a warning.
// A failed flush of the folder after the rename cannot undo the rename: the
// result is then ok, with `error` and `step` ("syncdir") set as a warning.
ReplaceResult replaceFileContents(const std::string &path, const std::uint8_t *data, std::size_t size,
                                  const FileIdentity &expected = {}, const timespec *lastWrite = nullptr);

// Replaces several files with the promise of replaceFileContents for each,
// and fewer waits for the disk: add() writes a file's new content to its
// temporary file and starts writing it to disk; commit() flushes every
// temporary file, checks that each original is still the file that was
// opened, renames each over its original and flushes each folder once.
// Until commit() the originals are untouched (a file that must be rewritten
// in place is rewritten at once) and stay locked. Every file keeps its own
// result: one failure does not stop the others. A group dropped without a
// commit leaves every original as it was.
class ReplaceGroup {
public:
    // A group is full at this many files or bytes: more would keep files
    // locked and their results waiting for long.
    static constexpr std::size_t kMaxFiles = 32;
    static constexpr std::uint64_t kMaxBytes = 64ull << 20;
    // Each waiting file holds this many descriptors (folder, original, new file).
    static constexpr std::size_t kDescriptorsPerFile = 3;
    // What a process keeps open besides its groups' files (standard streams,
    // logs, state folders, the engine's own reads), when it sizes its groups.
    static constexpr std::size_t kDescriptorsBesideGroups = 64;

    // `maxFiles` (at least 1) lowers kMaxFiles, where descriptors are few.
    explicit ReplaceGroup(std::size_t maxFiles = kMaxFiles);
    ~ReplaceGroup();
    ReplaceGroup(const ReplaceGroup &) = delete;
    ReplaceGroup &operator=(const ReplaceGroup &) = delete;

    // The new content is the file at `path` as it was read (`original`,
    // which must be valid) with `edits` applied: the edits' bytes are
    // written, every other byte is copied from the file (by the kernel where
    // the edits keep its pages' offsets, else through a buffer). The
    // other arguments are those of replaceFileContents; `edits` may be freed
    // when add() returns. Returns the file's number in the group.
    std::size_t add(const std::string &path, const ByteEdits &edits, const FileIdentity &original,
                    const timespec *lastWrite);
    // The same for the original that the caller opened and read (`held`,
    // locked): the group takes it over, with no second open, while its name
    // still names it, and lets it go with the file's commit.
    std::size_t add(const std::string &path, const ByteEdits &edits, const FileIdentity &original,
                    const timespec *lastWrite, ExclusiveFile &&held);
    bool full() const;
    std::size_t size() const { return m_entries.size(); }
    void commit();
    // A file's result: final once committed (or when add() failed, or wrote
    // in place); before that, ok with step "pending".
    ReplaceResult result(std::size_t entry) const;
    // Forgets the results, for the next files.
    void clear();

    struct Entry;

private:
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::vector<std::shared_ptr<detail::ReplaceFolder>> m_folders; // opened for the files since the last commit
    std::uint64_t m_bytes = 0;
    std::size_t m_maxFiles;
};

// Fault injection for tests: when set, the hook is asked before every system
// call of a replace with the call's step name; a non-zero answer makes that
// call fail with the answer as errno. Set or clear it only while no replace
// runs. An empty function clears it.
void setReplaceFaultHook(std::function<int(const char *step)> hook);
// Kill tests: when set, the hook is called after every system call of a
// replace, of its journal and of a recovery, with the call's step name, so
// that a test can end the process between any two steps.
void setReplaceKillHook(std::function<void(const char *step)> hook);

// The checks replaceFileContents makes before it writes (the file opened for
// writing and locked, a write permission bit, a new file possible in the
// folder or else the in-place path, with `keepsTime` a last-write time the
// process may set: only the file's owner or root may), made without writing
// anything. ok, or the step and errno the replace would fail with.
ReplaceResult checkReplaceable(const std::string &path, bool keepsTime = false);

// For a process that must stop at once (a second interrupt): no replace
// starts writing from now on, any in-place rewrite under way is let finish,
// every temporary name still in a folder is removed, and the process exits
// with `status`. Never returns.
[[noreturn]] void abandonReplacesAndExit(int status);

} // namespace brantlow::platform
