// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct stat;

namespace brantlow::platform {

struct DirectoryEntry {
    std::string name; // the entry's name, never "." or ".."
};

// Calls `visit` for every entry of `folder` in the order the file system
// returns them, without looking at any of them. Returns false when the
// folder cannot be enumerated.
bool enumerateDirectory(const std::string &folder, const std::function<void(const DirectoryEntry &)> &visit);

// ---------------------------------------------------------------------------
// The folder scan shared by the command line (-r) and the batch window.
//
// Paths are byte strings as the system gives them; nothing assumes UTF-8.
// Every folder is opened relative to its parent's open descriptor, without
// following a link unless asked, so a link swapped in during the scan cannot
// send it elsewhere.

struct WalkOptions {
    bool recursive = false;      // enter the sub-folders of the folders given
    bool followSymlinks = false; // enter folders and take files reached through a symbolic link
    bool oneFileSystem = false;  // never enter a folder on another file system than its root's
    // Names a scan takes, compared without letter case (".mp3"); empty takes
    // every name. Roots given as files are always taken.
    std::vector<std::string> extensions;
};

// The extensions of the three accepted kinds of input.
std::vector<std::string> audioExtensions();

struct FoundFile {
    std::string path;
    bool named = false;       // given as a root (command line, drop), not found by a scan
    std::uint64_t device = 0; // 0 and 0 when a named path could not be looked at
    std::uint64_t inode = 0;
    std::uint64_t bytes = 0; // a regular file's size as the look at it found it; else 0
};

enum class WalkProblemKind {
    CannotRead, // a folder that cannot be opened or listed, a path too long to open
    PseudoFileSystem, // /proc, /sys, /dev and the like: never entered
    LinkNotFollowed, // a symbolic link to /, to a folder above the scan's start, or into a pseudo file system
};

struct WalkProblem {
    std::string path;
    WalkProblemKind kind = WalkProblemKind::CannotRead;
    int error = 0;      // errno where the system gave one, else 0
    std::string reason; // "Permission denied", "a pseudo file system (proc)"...
};

struct WalkProgress {
    std::uint64_t folders = 0; // folders entered so far
    std::uint64_t files = 0;   // files found so far
};

struct WalkCallbacks {
    std::function<void(const FoundFile &)> file;
    std::function<void(const WalkProblem &)> problem;
    // Called between entries; returning false cancels the scan. A window
    // handles its waiting events here and shows the counts.
    std::function<bool(const WalkProgress &)> keepGoing;
};

// Walks roots one after another, depth-first, each folder's entries sorted
// by name (bytes). The set of folders entered and of files listed (device and
// inode) is kept across calls, so no folder is entered twice and no file
// listed twice, whichever way it was reached.
//
// A root is looked at through symbolic links (the user named it). A root
// folder's files are listed; its sub-folders are entered only when
// recursive. A folder named like an audio file is a folder. A root that
// cannot be looked at is passed on as a named file, whose opening then fails
// with its reason.
class DirectoryWalker {
public:
    DirectoryWalker(WalkOptions options, WalkCallbacks callbacks);

    // Returns false when cancelled.
    bool walk(const std::string &root);
    const WalkProgress &progress() const { return m_progress; }

private:
    using Identity = std::pair<std::uint64_t, std::uint64_t>;

    bool scanFolder(int folderFd, const std::string &path, std::uint64_t rootDevice);
    bool takes(std::string_view name) const;
    void reportProblem(const std::string &path, WalkProblemKind kind, int error, std::string reason);
    // `info`: what the look at it gave (through a link where one is followed); none when it failed.
    void listFile(const std::string &path, bool named, const struct stat *info);
    bool keepGoing();
    bool linkLeadsAway(const std::string &path, bool isFolder, Identity target);

    WalkOptions m_options;
    WalkCallbacks m_callbacks;
    WalkProgress m_progress;
    std::set<Identity> m_folders;
    std::set<Identity> m_above; // the folders above the current root, up to /
    std::set<Identity> m_files;
    std::set<std::string> m_unknownRoots;
    std::map<std::uint64_t, std::string> m_pseudoDevices; // read from the mount table when first needed
    bool m_pseudoDevicesRead = false;
};

} // namespace brantlow::platform
