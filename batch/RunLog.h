// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "job/BatchRunner.h"
#include "job/RewriteJob.h"
#include "job/UndoLog.h"

#include <memory>
#include <string>

class QWidget;

// The desktop program's side of the undo log: every writing run keeps one
// (UndoProgress takes the last run back).

// A run's log, or why it could not be started.
struct RunLog {
    std::unique_ptr<brantlow::UndoLog> log;
    std::string problem;
};

// Starts the log of a run in `mode`; without one the run goes on.
RunLog startRunLog(brantlow::RewriteMode mode);
// Ends it with the run's counts. Where the run rewrote files that its log
// does not hold, a warning on `parent` says so.
void endRunLog(QWidget *parent, RunLog &log, const brantlow::BatchCounts &counts);
