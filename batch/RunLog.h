#pragma once

#include "job/BatchRunner.h"
#include "job/RewriteJob.h"
#include "job/UndoLog.h"

#include <memory>

class QWidget;

// The desktop program's side of the undo log: every writing run keeps one,
// and either window can take the last run back.

// Starts the log of a run in `mode`; a log that cannot be started is a
// warning on `parent`, and the run goes on without one.
std::unique_ptr<brantlow::UndoLog> startRunLog(QWidget *parent, brantlow::RewriteMode mode);
// Ends it with the run's counts, with a warning on `parent` where a record
// could not be written.
void endRunLog(QWidget *parent, std::unique_ptr<brantlow::UndoLog> &log, const brantlow::BatchCounts &counts);

// Puts every file of the last run back as it was before it, then tells on
// `parent` what it did.
void undoLastRun(QWidget *parent);
