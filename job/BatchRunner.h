#pragma once

#include "engine/Binedit.h"
#include "platform/SafeReplace.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brantlow::cli {

enum class Outcome {
    Done,      // the file was rewritten (or, in a dry run, would be) or described
    Unchanged, // the file already was in the wanted state
    Skipped,   // found by a folder scan and not MPEG audio at all
    Failed,
};

struct FileReport {
    Outcome outcome = Outcome::Failed;
    std::string out; // results, printed to standard output as they stand
    std::string err; // failures and warnings, printed to standard error
    // Set instead of the above when the file's new content waits in the
    // worker's replace group: makes the file's report once the group is
    // committed.
    std::function<FileReport()> afterCommit{};
};

struct BatchItem {
    std::string path;
    bool named = false;      // named on the command line, not found by a scan
    std::uint64_t bytes = 0; // its size when the run began; what its image takes
    std::uint64_t device = 0; // as the folder scan found it; 0 and 0 when unknown
    std::uint64_t inode = 0;
};

struct BatchCounts {
    std::size_t done = 0;
    std::size_t unchanged = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
    std::size_t notReached = 0; // never started because the run was interrupted
};

struct BatchOptions {
    unsigned jobs = 1;
    bool showProgress = false;
    // Bytes the images of the files in flight may take together; a file
    // larger than this runs alone. 0: no limit.
    std::uint64_t memoryBudget = 0;
    // Non-zero once the run is to stop: no file is started after that.
    const std::atomic<int> *stop = nullptr;
};

// Asks the budget for more bytes than the file's image, once the work knows
// what else it will hold (the frame index); waits while others hold too
// much, except for the oldest file in flight, which always goes on.
using ReserveMore = std::function<void(std::uint64_t bytes)>;

// `group` is the worker's: a save staged there is committed with the
// worker's next files (ReplaceGroup), before their reports are printed.
using FileWork = std::function<FileReport(TBinEdit &engine, const BatchItem &item, const ReserveMore &reserveMore,
                                          platform::ReplaceGroup &group)>;

// Runs `work` on every item with up to `jobs` files at once, one engine and
// one replace group per worker (committed when full, when its first report
// has waited 100 ms, when the worker would otherwise wait, and at the end),
// files started in their order as the memory budget allows (a file
// reserves its size when it starts, and more through ReserveMore), and
// prints each report in the order of `items` as soon as it and all before it
// are finished. With `showProgress`, a progress bar is drawn on standard error.
BatchCounts runBatch(const std::vector<BatchItem> &items, const BatchOptions &options, const FileWork &work);

} // namespace brantlow::cli
