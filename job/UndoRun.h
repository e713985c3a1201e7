// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchRunner.h"
#include "RewriteJob.h"
#include "UndoLog.h"
#include "platform/SafeReplace.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brantlow {

// Taking back one file of a run.
struct UndoResult {
    // Done: the bytes it had before the run are staged in the group (in a
    // dry run: would be). Otherwise why not, in the rewrite's terms.
    RewriteResult result;
    // Left alone: the file is no longer as the run left it (its identity,
    // length, last-write time or the bytes of the change); result.reason
    // says which.
    bool changedSince = false;
    // Nothing to do: the file already is as it was before the run (an
    // earlier undo put it back and was stopped or killed before the end).
    bool alreadyBack = false;
};

// Checks the file against `record` and stages its old content, with its old
// last-write time, in `group` (`entry`: its number there; committedResult
// tells how it ended, and records the undo in `log` so that it can be
// undone in turn). A dry run checks and predicts the save only.
UndoResult stageUndo(const UndoRecord &record, bool dryRun, UndoLog *log, platform::ReplaceGroup &group,
                     std::optional<std::size_t> &entry);

// A whole run taken back, with its own log, for callers that show only
// the outcome.
struct UndoSummary {
    std::string error; // the run cannot be read, or is locked: why; nothing was done
    bool locked = false; // another undo of the run, or the run itself, holds its lock
    std::size_t putBack = 0;
    std::size_t alreadyBack = 0; // already as they were before the run
    std::vector<std::string> notPutBack; // "path: reason"
    std::vector<std::string> notReached; // paths; the undo was stopped first
    std::string warning; // the undo's own log could not be written
};

// How a caller follows and stops an undo.
struct UndoControl {
    // Non-zero once the undo is to stop: no file starts after that, files
    // in flight finish.
    const std::atomic<int> *stop = nullptr;
    // Files finished of `total`, from the undo's thread.
    std::function<void(std::size_t finished, std::size_t total)> progress;
};

// `id` empty: the last run. The run's lock is held throughout.
UndoSummary undoRun(const std::string &id, unsigned jobs, const UndoControl &control = {});

} // namespace brantlow
