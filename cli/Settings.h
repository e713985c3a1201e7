// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brantlow {
class UndoLog;
}

namespace brantlow::cli {

// What the command line asked for.
struct Settings {
    std::vector<std::string> paths;
    bool json = false;
    bool recursive = false;
    bool followSymlinks = false;
    bool oneFileSystem = false;
    unsigned jobs = 0;
    std::uint64_t memoryLimit = 0;
    bool noKeepTimes = false;
    bool dryRun = false;
    bool quiet = false;
    std::int32_t seekRange = 3;
    std::string filesFrom;
    bool nulSeparated = false;
    bool noUndoLog = false;
    bool undoLogRequired = false;
    std::string run; // `undo`: the run to take back; empty for the last
    UndoLog *undoLog = nullptr; // the run's log, once started
};

} // namespace brantlow::cli
