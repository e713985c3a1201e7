// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface: the
// original file a replace opens (or takes over from its caller) and its folder.

#include "OwnedFd.h"
#include "ExclusiveFile.h"
#include "ReplaceResult.h"

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace brantlow::platform::detail {

// A folder opened once for every file of a group that lies in it.
struct ReplaceFolder {
    std::string path; // as named
    OwnedFd fd;
    int appendOnly = -1; // not asked yet
    int appendOnlyAtCommit = -1; // asked again at the commit; not yet
    bool inLedger = false; // recorded in this run's ledger of temporary names
    // The process's effective user and group and the folder's group, asked
    // once for the folder's files (see askIds).
    bool idsKnown = false;
    uid_t user = 0;
    gid_t group = 0;
    gid_t folderGroup = 0;
};
using ReplaceFolders = std::vector<std::shared_ptr<ReplaceFolder>>;

// The original, opened for writing and locked (or held open and locked by
// the caller that read it, and opened for writing only to be rewritten in
// place), and its folder.
struct Original {
    std::shared_ptr<ReplaceFolder> dir;
    OwnedFd file;
    ExclusiveFile held;
    struct stat info {};
    std::string folder; // as named, so that a group flushes each folder once
    std::string name;

    int dirFd() const { return dir ? dir->fd.get() : -1; }
    int fd() const { return held.isOpen() ? held.fd() : file.get(); }
};

// Opens the file at `path` for writing and locks it (steps "folder", "open",
// "lock"); a symbolic link in the last part is followed, never replaced.
// `folders`, where given, keeps the folders a group has opened.
ReplaceResult openOriginal(const std::string &path, Original &original, ReplaceFolders *folders = nullptr);

// The original that the caller holds open and locked (read, not written),
// taken over when its name in its folder still names it: the look at the
// name tells that and how the file is now. A name that does not (a link in
// the last part, another file) is opened as a path is, the held file let go.
ReplaceResult takeOverHeld(const std::string &path, ExclusiveFile &held, Original &original, ReplaceFolders *folders);

// A held original opened for writing too, for a rewrite in place; its lock
// stays with the held descriptor.
ReplaceResult openWritable(Original &original);

// Whether the original's folder keeps every name (asked once per folder).
bool appendOnlyFolder(const Original &original);

// The same, asked again once per folder when the group commits: a folder
// turned append-only since the staging would keep the temporary name.
bool appendOnlyAtCommit(const Original &original);

// The original's folder recorded in this run's ledger of temporary names
// (recordTempFolder), once per folder of the group.
void recordFolderInLedger(const Original &original);

// Whether a new file in the original's folder is already owned as the
// original: the process is its owner and has its group, and so has the
// folder (which gives a new file its group where it is set-group-ID or the
// file system is mounted so). Asked only of a held original's folder, once.
bool newFileOwnedAsOriginal(const Original &original);

} // namespace brantlow::platform::detail
