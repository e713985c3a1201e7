// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "JournalFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct stat;

namespace brantlow::platform {

// How the files of rewrites in place that a killed process left half done
// were put back.
struct RecoveredFile {
    std::string path;
    bool restored = false; // its old content is back; else `reason` says why not
    std::string reason;
};

// Puts back every file among `paths` (files, or folders: every file below
// them) that an in-place rewrite left unfinished, from its journal, with its
// old length and last-write time; an empty `paths` means every unfinished
// rewrite the state folder knows of. A journal that was never completed (the
// process died before the file's first byte changed) is only removed. Call it
// before touching the files: a half-rewritten file read as it is would have
// its damage locked in.
std::vector<RecoveredFile> recoverUnfinished(const std::vector<std::string> &paths);

namespace detail {

// What an in-place rewrite needs of the original: the open, locked file,
// what fstat gave when it was opened, and its folder and name.
struct InPlaceTarget {
    int fd = -1;
    int dirFd = -1;
    const struct stat *info = nullptr;
    std::string folder;
    std::string name;
};

// Whether the folder keeps every name it gets (chattr +a): a file can be
// made there but never removed or renamed over. `whenUnknown` when the
// folder cannot be asked.
bool folderAppendOnly(int dirFd, bool whenUnknown);

// The rollback journal of one in-place rewrite: the original's bytes from
// the first offset the rewrite changes to its end, its old length and
// last-write time, flushed before the original's first byte changes. It lives
// beside the file where a file can be made and later removed there, else in
// the state folder, and is registered in the state folder in either case.
class Journal {
public:
    ~Journal();
    Journal() = default;
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Saves the original's bytes from `offset` on and flushes them. false
    // with errno when that fails: the original is then untouched and
    // nothing is left behind. The returned step names the failing call.
    bool save(const InPlaceTarget &target, std::uint64_t offset, const char *&step);
    // Where the saved bytes start in the original.
    std::uint64_t savedFrom() const { return m_header.offset; }
    // Exactly `count` of the saved bytes from the original's `offset` (at or
    // after savedFrom) on: the original's own while it is overwritten.
    bool readSaved(std::uint64_t offset, std::size_t count, std::uint8_t *out) const;
    // The rewrite is complete and flushed: the journal is emptied, then goes.
    // false when it cannot be removed; an emptied one left behind is inert
    // and the next run removes it, unless `stillLive` says it could not be
    // emptied either and would put the old content back.
    bool finish(const char *&step);
    bool stillLive() const { return m_live; }
    // The rewrite failed after the original changed: the original's bytes,
    // length and time are put back and the journal goes. When that fails the
    // journal stays for the next run to put the file back.
    bool rollBack(int fileFd, const char *&step);

private:
    int m_fd = -1;
    int m_dirFd = -1; // the journal's folder
    std::string m_name;
    std::string m_registration; // its record in the state folder
    bool m_ownDir = false;
    bool m_live = false; // left whole after finish could not remove it
    JournalHeader m_header;
};

} // namespace detail
} // namespace brantlow::platform
