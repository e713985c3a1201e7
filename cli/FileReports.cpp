// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileReports.h"

#include "InfoReport.h"
#include "PathText.h"
#include "engine/FrameHeader.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>

namespace brantlow::cli {

namespace {

// Most players take a header frame in a Layer I or II stream for one more
// frame of audio; said once per run, on standard error.
std::atomic<bool> g_layerNoteGiven{false};

std::string layerNote(const TBinEdit &engine)
{
    const int layer = frameheader::layerBits(engine.FirstHeader);
    if ((layer != frameheader::kLayerI && layer != frameheader::kLayerII) || g_layerNoteGiven.exchange(true))
        return "";
    return "brantlow-cli: note: most players ignore a VBR header frame in a Layer I or II stream and play it as one "
           "extra frame\n";
}

std::string failureLine(const std::string &path, const RewriteResult &result)
{
    return shownPath(path) + ": " + reasonText(result) + "\n";
}

std::string skippedLine(const std::string &path, const RewriteResult &result)
{
    return shownPath(path) + ": skipped: " + reasonText(result) + "\n";
}

bool inWantedState(RewriteStep step)
{
    return step == RewriteStep::AlreadyHasHeader || step == RewriteStep::HasNoHeader;
}

// What no amount of retrying makes audio: the analysis refused it, or it is
// no regular file.
bool notAudio(const RewriteResult &result)
{
    return result.step == RewriteStep::Analyze || (result.step == RewriteStep::Open && result.specialFile);
}

const char *outcomeName(Outcome outcome, bool dryRun)
{
    switch (outcome) {
    case Outcome::Done:
        return dryRun ? "would change" : "rewritten";
    case Outcome::Unchanged:
        return "unchanged";
    case Outcome::Skipped:
        return "skipped";
    case Outcome::Failed:
        return "failed";
    }
    return "";
}

// What a rewrite report says besides its result.
struct RewriteReportParts {
    std::string path;
    bool named = false;
    RewriteMode mode = RewriteMode::Add;
    nlohmann::ordered_json before = nullptr;
    nlohmann::ordered_json after = nullptr;
    nlohmann::ordered_json truncated = nullptr; // as check found the file before; null when not read
    std::string note{};
};

// One object per file: the fields every record begins with, whether the
// file looks truncated, the header before and after.
std::string rewriteAsJson(const RewriteReportParts &parts, Outcome outcome, const RewriteResult &result,
                          const std::string &reason, const nlohmann::ordered_json &after, bool dryRun)
{
    nlohmann::ordered_json j;
    j["path"] = pathAsJson(parts.path);
    j["result"] = outcomeName(outcome, dryRun);
    j["error_code"] =
        result.errorCode >= 0 ? nlohmann::ordered_json(result.errorCode) : nlohmann::ordered_json(nullptr);
    j["reason"] = reason.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(reason);
    j["truncated"] = parts.truncated;
    j["header_before"] = parts.before;
    j["header_after"] = after;
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

FileReport finishRewriteReport(const RewriteReportParts &parts, RewriteResult result, const Settings &settings)
{
    const std::string &path = parts.path;
    const RewriteMode mode = parts.mode;
    const nlohmann::ordered_json &after =
        result.step == RewriteStep::Save ? parts.before : parts.after; // nothing was written
    FileReport report;
    std::string reason;
    if (result.ok()) {
        const char *text = !settings.dryRun ? successText(mode)
            : mode == RewriteMode::Add      ? "A VBR Header would be added."
            : mode == RewriteMode::Fix      ? "The VBR Header would be made right."
                                            : "The VBR Header would be removed.";
        // A truncated file is told even in quiet runs: it needs a new copy.
        reason = result.reason;
        const std::string line = shownPath(path) + ": " + text + (reason.empty() ? "" : " (" + reason + ")") + "\n";
        report = {Outcome::Done, settings.quiet && !result.truncated ? "" : line, ""};
        if (!result.warning.empty())
            report.err = "brantlow-cli: warning: " + shownPath(path) + ": " + result.warning + "\n";
    } else if (inWantedState(result.step) || result.step == RewriteStep::NothingToFix) {
        report = {Outcome::Unchanged, settings.quiet ? "" : failureLine(path, result), ""};
        reason = batchFailureText(result.step);
    } else if (!parts.named && notAudio(result)) {
        report = {Outcome::Skipped, settings.quiet ? "" : skippedLine(path, result), ""};
        reason = reasonText(result);
    } else {
        report = {Outcome::Failed, "", failureLine(path, result)};
        reason = reasonText(result);
    }
    if (settings.json)
        report.out = rewriteAsJson(parts, report.outcome, result, reason, after, settings.dryRun);
    report.err = parts.note + report.err;
    return report;
}

} // namespace

FileReport rewriteReport(TBinEdit &engine, const BatchItem &item, platform::ReplaceGroup &group, RewriteMode mode,
                         const Settings &settings)
{
    RewriteReportParts parts{item.path, item.named, mode};
    const RewriteOptions options{mode, !settings.noKeepTimes, settings.seekRange, settings.undoLog};
    OpenedFile opened;
    // Held open for the replace, which then needs no open of its own.
    RewriteResult result = openForRewrite(engine, item.path, opened, {item.device, item.inode}, !settings.dryRun);
    std::optional<std::size_t> staged;
    if (result.ok()) {
        if (mode != RewriteMode::Remove)
            parts.note = layerNote(engine);
        if (settings.json) {
            const FileCheck before = checkFile(*engine.Image, true);
            parts.before = headerAsJson(before);
            parts.truncated = before.truncated;
        }
        if (const RewriteResult wanted = checkMode(engine, opened, mode); !wanted.ok()) {
            result = wanted;
        } else if (settings.dryRun) {
            result = editImage(engine, opened, options);
            if (const RewriteResult save = result.ok() ? predictSave(opened, !settings.noKeepTimes) : result;
                !save.ok())
                result = save;
        } else {
            std::size_t entry = 0;
            result = stageRewrite(engine, opened, options, group, entry);
            if (result.ok())
                staged = entry;
        }
        parts.after = parts.before;
        if (settings.json && (result.ok() || result.step == RewriteStep::Save))
            parts.after = headerAsJson(checkFile(*engine.Image, true));
    }
    if (!staged)
        return finishRewriteReport(parts, result, settings);
    // Reported once the group's commit has made the new content the file's.
    FileReport waiting;
    waiting.afterCommit = [&group, entry = *staged, parts = std::move(parts), staged = result, &settings] {
        return finishRewriteReport(parts, committedResult(group, entry, staged), settings);
    };
    return waiting;
}

FileReport infoReport(TBinEdit &engine, const BatchItem &item, const Settings &settings)
{
    const std::string &path = item.path;
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened, {item.device, item.inode});
    if (!result.ok()) {
        const Outcome outcome = !item.named && notAudio(result) ? Outcome::Skipped : Outcome::Failed;
        // JSON lines stay on standard output: one object per file.
        if (settings.json)
            return {outcome, refusalAsJson(path, outcome == Outcome::Skipped ? "skipped" : "failed", result), ""};
        if (outcome == Outcome::Skipped)
            return {outcome, skippedLine(path, result), ""};
        return {outcome, "", failureLine(path, result)};
    }
    const FileFacts facts = gatherFacts(engine);
    return {Outcome::Done, settings.json ? factsAsJson(path, facts) : factsAsText(path, facts), layerNote(engine)};
}

FileReport checkReport(TBinEdit &engine, const BatchItem &item, const Settings &settings, VerdictCounts &counts)
{
    const std::string &path = item.path;
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened, {item.device, item.inode});
    if (!result.ok()) {
        // A scanned file that is no MPEG audio is skipped, with its reason;
        // anything else that cannot be read is unreadable.
        if (!item.named && notAudio(result)) {
            if (settings.json)
                return {Outcome::Skipped, refusalAsJson(path, "skipped", result), ""};
            return {Outcome::Skipped, settings.quiet ? "" : skippedLine(path, result), ""};
        }
        counts.add(HeaderVerdict::Unreadable);
        return {Outcome::Failed,
                settings.json ? refusalAsJson(path, "failed", result)
                              : verdictAsText(path, HeaderVerdict::Unreadable, reasonText(result)),
                ""};
    }
    // The music CRC reads every audio byte: only where the record shows it.
    const FileFacts facts = gatherFacts(engine, settings.json);
    const HeaderVerdict verdict = facts.check.verdict;
    counts.add(verdict);
    const bool fine = verdict == HeaderVerdict::Right || verdict == HeaderVerdict::NotNeeded;
    std::string out = settings.json ? verdictAsJson(path, facts) : verdictAsText(path, verdict, facts.check.reason);
    if (settings.quiet && fine && !settings.json)
        out.clear();
    return {fine ? Outcome::Done : Outcome::Failed, out, layerNote(engine)};
}

} // namespace brantlow::cli
