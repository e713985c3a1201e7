// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DirectoryWalk.h"

#include <atomic>
#include <string>
#include <vector>

namespace brantlow::cli {

struct FileList {
    std::vector<platform::FoundFile> files;       // in the order they are to be worked on
    std::vector<platform::WalkProblem> problems;  // folders not read or not entered, with the reason
    bool interrupted = false;                     // the scan was stopped by a signal
};

struct CollectOptions {
    bool recursive = false;
    bool followSymlinks = false;
    bool oneFileSystem = false;
    const std::atomic<int> *stop = nullptr; // non-zero stops the scan
};

// A path that is not a folder is taken as it stands, whatever its extension
// (a missing file then fails when it is opened). A folder contributes its
// .mp3, .rmp and .wav files, sorted by name; with `recursive`, each
// sub-folder's files come where the sub-folder stands in that order
// (depth-first). Each file is taken once, however it was reached.
FileList collectFiles(const std::vector<std::string> &paths, const CollectOptions &options);

// Names listed one per line (or, with `nulSeparated`, ended by NUL bytes, as
// `find -print0` writes them) in the file `from`, or on standard input for
// "-". Empty entries are left out. False, with the system's reason, when the
// list cannot be read, or with the line when a name read without
// `nulSeparated` holds a NUL byte (a list made for -0): nothing is taken then.
bool readNameList(const std::string &from, bool nulSeparated, std::vector<std::string> &names, std::string &error);

} // namespace brantlow::cli
