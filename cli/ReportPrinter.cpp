// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPrinter.h"

#include "PathText.h"

#include <cstdio>
#include <string>

namespace brantlow::cli {

BatchReporting ReportPrinter::reporting()
{
    BatchReporting reporting;
    reporting.report = [this](std::size_t, FileReport &&report) { print(report); };
    reporting.progress = [this](std::size_t finished) { m_progress.draw(finished); };
    reporting.thrown = [](const BatchItem &item, const std::string &what) {
        return FileReport{Outcome::Failed, "", shownPath(item.path) + ": " + what + "\n"};
    };
    return reporting;
}

void ReportPrinter::print(const FileReport &report)
{
    if (!report.out.empty() || !report.err.empty())
        m_progress.clear();
    if (!report.err.empty()) {
        std::fflush(stdout);
        std::fputs(report.err.c_str(), stderr);
    }
    if (!report.out.empty()) {
        std::fputs(report.out.c_str(), stdout);
        // Each file's lines as soon as they are known, so that a reader of
        // the output follows the run.
        std::fflush(stdout);
    }
}

} // namespace brantlow::cli
