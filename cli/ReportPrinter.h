// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressBar.h"

#include "job/BatchRunner.h"

#include <cstddef>

namespace brantlow::cli {

// Prints each file's report as the batch run hands it over: failures and
// warnings on standard error, results on standard output, with the progress
// bar on standard error between them (when shown).
class ReportPrinter {
public:
    ReportPrinter(bool showProgress, std::size_t total) : m_progress(showProgress, total) {}
    ~ReportPrinter() { m_progress.clear(); }
    ReportPrinter(const ReportPrinter &) = delete;
    ReportPrinter &operator=(const ReportPrinter &) = delete;

    BatchReporting reporting();

private:
    void print(const FileReport &report);

    ProgressBar m_progress;
};

} // namespace brantlow::cli
