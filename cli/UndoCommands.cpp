// SPDX-License-Identifier: GPL-3.0-or-later
#include "UndoCommands.h"

#include "PathText.h"
#include "job/UndoRun.h"

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>

namespace brantlow::cli {

namespace {

FileReport finishUndoReport(const std::string &path, const UndoResult &undone, const Settings &settings)
{
    const RewriteResult &result = undone.result;
    FileReport report;
    std::string reason;
    if (undone.alreadyBack) {
        report = {Outcome::Unchanged, settings.quiet ? "" : shownPath(path) + ": Already as it was before the run.\n",
                  ""};
    } else if (result.ok()) {
        const char *text =
            settings.dryRun ? "Would be put back as it was before the run." : "Put back as it was before the run.";
        report = {Outcome::Done, settings.quiet ? "" : shownPath(path) + ": " + text + "\n", ""};
    } else {
        reason = undone.changedSince ? "left alone: " + result.reason : reasonText(result);
        report = {Outcome::Failed, "", shownPath(path) + ": " + reason + "\n"};
    }
    if (settings.json) {
        nlohmann::ordered_json j;
        j["path"] = pathAsJson(path);
        j["result"] = undone.alreadyBack ? "unchanged"
            : !result.ok()               ? "failed"
            : settings.dryRun            ? "would change"
                                         : "rewritten";
        j["reason"] = reason.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(reason);
        j["changed_since"] = undone.changedSince;
        report.out = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    }
    return report;
}

} // namespace

FileReport undoReport(const UndoRecord &record, platform::ReplaceGroup &group, const Settings &settings)
{
    std::optional<std::size_t> entry;
    const UndoResult staged = stageUndo(record, settings.dryRun, settings.undoLog, group, entry);
    if (!entry)
        return finishUndoReport(record.path, staged, settings);
    FileReport waiting;
    waiting.afterCommit = [&group, entry = *entry, staged, path = record.path, &settings] {
        return finishUndoReport(path, {committedResult(group, entry, staged.result), false}, settings);
    };
    return waiting;
}

void printRuns(bool json)
{
    for (const RunInfo &run : listRuns()) {
        if (json) {
            nlohmann::ordered_json j;
            j["run"] = run.id;
            j["started"] = run.started;
            j["command"] = run.command;
            j["folder"] = pathAsJson(run.folder);
            j["rewritten"] = run.files;
            j["unchanged"] = run.finished ? nlohmann::ordered_json(run.unchanged) : nlohmann::ordered_json(nullptr);
            j["failed"] = run.finished ? nlohmann::ordered_json(run.failed) : nlohmann::ordered_json(nullptr);
            std::printf("%s\n", j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
            continue;
        }
        char when[32] = "";
        const std::time_t started = run.started;
        std::tm local{};
        if (localtime_r(&started, &local) != nullptr)
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
        const std::string counts = run.finished
            ? std::to_string(run.unchanged) + " unchanged, " + std::to_string(run.failed) + " failed"
            : "did not finish";
        std::printf("%s  %s  %-6s %zu rewritten, %s  %s\n", run.id.c_str(), when, run.command.c_str(), run.files,
                    counts.c_str(), shownPath(run.folder).c_str());
    }
}

} // namespace brantlow::cli
