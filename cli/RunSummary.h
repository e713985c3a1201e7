// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "job/BatchRunner.h"
#include "FileReports.h"

#include <cstddef>

namespace brantlow::cli {

// The last lines of a run, on standard output: "N files: ..." with the
// command's own counts, the files skipped and the folders not read.
void printSummary(const BatchCounts &counts, std::size_t unreadFolders, bool dryRun, bool info);
void printCheckSummary(const VerdictCounts &verdicts, const BatchCounts &counts, std::size_t unreadFolders);
// The same as one JSON object, for add, remove and fix with --json.
void printJsonSummary(const BatchCounts &counts, std::size_t unreadFolders, bool dryRun);

} // namespace brantlow::cli
