// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Binedit.h"
#include "platform/SafeReplace.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brantlow {

enum class Outcome {
    Done, // the file was rewritten (or, in a dry run, would be) or described
    Unchanged, // the file already was in the wanted state
    Skipped, // found by a folder scan and not MPEG audio at all
    Failed,
};

struct FileReport {
    Outcome outcome = Outcome::Failed;
    // What the caller prints or shows: the command line prints `out` to
    // standard output and `err` to standard error as they stand.
    std::string out; // the file's result
    std::string err; // failures and warnings
    // Set instead of the above when the file's new content waits in the
    // worker's replace group: makes the file's report once the group is
    // committed.
    std::function<FileReport()> afterCommit{};
};

struct BatchItem {
    std::string path;
    bool named = false; // named on the command line, not found by a scan
    std::uint64_t bytes = 0; // its size when the run began
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
    // Bytes the files in flight may hold together (heldWhileWorked, and what
    // their work reserves more); a file that holds more runs alone. 0: no limit.
    std::uint64_t memoryBudget = 0;
    // Non-zero once the run is to stop: no file is started after that.
    const std::atomic<int> *stop = nullptr;
    // Non-zero while no file may start (a question to the user is open);
    // files in flight go on, and their groups are committed.
    const std::atomic<int> *hold = nullptr;
};

// How the run hands over what it finds, on the thread that called runBatch.
struct BatchReporting {
    // Each file's report, in the order of the items, as soon as it and all
    // before it are finished.
    std::function<void(std::size_t index, FileReport &&report)> report;
    // Files finished so far, whether reported yet or not; called when the
    // count changes, and once with 0 at the start.
    std::function<void(std::size_t finished)> progress;
    // The report of a file whose work threw (memory exhausted), from the
    // exception's words; called on a worker. Without it: `what` in `err`.
    std::function<FileReport(const BatchItem &item, const std::string &what)> thrown;
    // Called before reports are handed over: what the files' work wrote
    // for them (the run's log) is flushed before anyone sees a result.
    std::function<void()> beforeReports;
};

// `group` is the worker's: a save staged there is committed with the
// worker's next files (ReplaceGroup), before their reports are handed over.
using FileWork = std::function<FileReport(TBinEdit &engine, const BatchItem &item, platform::ReplaceGroup &group)>;

// Runs `work` on every item with up to `jobs` files at once, one engine and
// one replace group per worker (committed when full, when its first report
// has waited 100 ms, when the worker would otherwise wait, and at the end),
// files started in their order as the memory budget allows (a file
// reserves heldWhileWorked of its size while it is worked on), and
// hands each report over in the order of `items` as soon as it and all
// before it are finished.
BatchCounts runBatch(const std::vector<BatchItem> &items, const BatchOptions &options, const FileWork &work,
                     const BatchReporting &reporting);

// What the engine holds for a file of `fileBytes` while it works on it: its
// read windows and the marks of as many frames as the file can hold, not
// the file itself.
std::uint64_t heldWhileWorked(std::uint64_t fileBytes);
// The size of a regular file, or 0.
std::uint64_t regularFileBytes(const std::string &path);
// The memory budget when none is given: the larger of what the largest file
// holds while worked on (heldWhileWorked) and a quarter of physical memory.
std::uint64_t defaultMemoryBudget(std::uint64_t largestFile);
// One worker per core.
unsigned defaultJobs();

} // namespace brantlow
