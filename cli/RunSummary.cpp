// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunSummary.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

namespace brantlow::cli {

namespace {

std::size_t fileCount(const BatchCounts &counts)
{
    return counts.done + counts.unchanged + counts.skipped + counts.failed;
}

// "N files: " ("1 file: ") and the command's own counts, then what every command shares:
// the files skipped and the folders not read, when there are any.
void printSummaryLine(const BatchCounts &counts, std::size_t unreadFolders, const std::string &own)
{
    std::string tail;
    if (counts.skipped > 0)
        tail += ", " + std::to_string(counts.skipped) + " skipped (not MPEG audio)";
    if (unreadFolders > 0)
        tail += ", " + std::to_string(unreadFolders) + " folder" + (unreadFolders == 1 ? "" : "s") + " not read";
    const std::size_t files = fileCount(counts);
    std::printf("%zu %s: %s%s.\n", files, files == 1 ? "file" : "files", own.c_str(), tail.c_str());
}

} // namespace

void printSummary(const BatchCounts &counts, std::size_t unreadFolders, bool dryRun, bool info)
{
    const std::string failed = std::to_string(counts.failed) + " failed";
    if (info)
        printSummaryLine(counts, unreadFolders, std::to_string(counts.done) + " described, " + failed);
    else
        printSummaryLine(counts, unreadFolders,
                         std::to_string(counts.done) + (dryRun ? " would change, " : " rewritten, ")
                             + std::to_string(counts.unchanged) + " already as wanted, " + failed);
}

void printCheckSummary(const VerdictCounts &verdicts, const BatchCounts &counts, std::size_t unreadFolders)
{
    const auto count = [&](HeaderVerdict verdict) { return std::to_string(verdicts.of(verdict)); };
    printSummaryLine(counts, unreadFolders,
                     count(HeaderVerdict::Right) + " right, " + count(HeaderVerdict::NotNeeded) + " not needed, "
                         + count(HeaderVerdict::Missing) + " missing, " + count(HeaderVerdict::Stale) + " stale, "
                         + count(HeaderVerdict::Unreadable) + " unreadable");
}

void printJsonSummary(const BatchCounts &counts, std::size_t unreadFolders, bool dryRun)
{
    nlohmann::ordered_json j;
    j["files"] = fileCount(counts);
    j[dryRun ? "would_change" : "rewritten"] = counts.done;
    j["unchanged"] = counts.unchanged;
    j["skipped"] = counts.skipped;
    j["failed"] = counts.failed;
    j["folders_not_read"] = unreadFolders;
    std::printf("%s\n", nlohmann::ordered_json{{"summary", j}}.dump().c_str());
}

} // namespace brantlow::cli
