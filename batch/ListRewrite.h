#pragma once

#include "job/BatchRunner.h"
#include "job/RewriteJob.h"

#include <atomic>
#include <string>

// The batch window's work on one file of a run, done on a worker of the
// shared runner: the rewrite the command line does, reported for the list.
// A report's `out` is the file's text for the list's State column; a
// failure's `err` is the error dialog's message: the step's text and why.

// Each failure raises `questions` (when given) before its worker takes
// another file: the run's hold, which the window lowers once it has asked.
brantlow::FileWork listRewriteWork(const brantlow::RewriteOptions &options, std::atomic<int> *questions);

// The report of a file that failed with `message`.
brantlow::FileReport listFailure(const std::string &message, std::atomic<int> *questions);
