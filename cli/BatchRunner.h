#pragma once

#include "engine/Binedit.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace brantlow::cli {

enum class Outcome {
    Done,      // the file was rewritten (or, in a dry run, would be) or described
    Unchanged, // the file already was in the wanted state
    Failed,
};

struct FileReport {
    Outcome outcome = Outcome::Failed;
    std::string text; // printed as it stands; empty prints nothing
};

struct BatchCounts {
    std::size_t done = 0;
    std::size_t unchanged = 0;
    std::size_t failed = 0;
};

using FileWork = std::function<FileReport(TBinEdit &engine, const std::string &path)>;

// Runs `work` on every file with up to `jobs` files at once, one engine per
// worker, and prints each report to standard output in the order of `files`
// as soon as it and all before it are finished. With `showProgress`, a
// progress bar is drawn on standard error.
BatchCounts runBatch(const std::vector<std::string> &files, unsigned jobs, const FileWork &work, bool showProgress);

} // namespace brantlow::cli
