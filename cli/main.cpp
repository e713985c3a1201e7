// brantlow-cli: adds or removes the Xing VBR header frame of MPEG audio files,
// or describes them.

#include "BatchRunner.h"
#include "FileList.h"
#include "InfoReport.h"
#include "Interrupts.h"
#include "PathText.h"
#include "engine/FrameHeader.h"
#include "job/RewriteJob.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace brantlow;
using namespace brantlow::cli;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Settings {
    std::vector<std::string> paths;
    bool json = false;
    bool recursive = false;
    bool followSymlinks = false;
    bool oneFileSystem = false;
    unsigned jobs = 0;
    std::uint64_t memoryLimit = 0;
    bool noKeepTimes = false;
    bool dryRun = false;
    bool quiet = false;
    std::int32_t seekRange = 3;
    std::string filesFrom;
    bool nulSeparated = false;
};

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

// The reason in parentheses after the fixed text, with the engine's number
// where there is one: "(error 13: PCM WAVE)", "(No such file or directory)".
std::string detail(const RewriteResult &result)
{
    if (result.errorCode >= 0)
        return " (error " + std::to_string(result.errorCode) + (result.reason.empty() ? "" : ": " + result.reason) + ")";
    return result.reason.empty() ? "" : " (" + result.reason + ")";
}

std::string failureLine(const std::string &path, const RewriteResult &result)
{
    return shownPath(path) + ": " + batchFailureText(result.step) + detail(result) + "\n";
}

bool inWantedState(RewriteStep step) { return step == RewriteStep::AlreadyHasHeader || step == RewriteStep::HasNoHeader; }

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

// One object per file: path, result, reason, the header before and after.
std::string rewriteAsJson(const std::string &path, Outcome outcome, const std::string &reason,
                          const nlohmann::ordered_json &before, const nlohmann::ordered_json &after, bool dryRun)
{
    nlohmann::ordered_json j;
    j["path"] = pathAsJson(path);
    j["result"] = outcomeName(outcome, dryRun);
    j["reason"] = reason.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(reason);
    j["header_before"] = before;
    j["header_after"] = after;
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

// What a rewrite report says besides its result.
struct RewriteReportParts {
    std::string path;
    bool named = false;
    RewriteMode mode = RewriteMode::Add;
    nlohmann::ordered_json before = nullptr;
    nlohmann::ordered_json after = nullptr;
    std::string note{};
};

FileReport finishRewriteReport(const RewriteReportParts &parts, RewriteResult result, const Settings &settings)
{
    const std::string &path = parts.path;
    const RewriteMode mode = parts.mode;
    const nlohmann::ordered_json &after =
        result.step == RewriteStep::Save ? parts.before : parts.after; // nothing was written
    FileReport report;
    std::string reason;
    if (result.ok()) {
        const char *text = !settings.dryRun          ? successText(mode)
                           : mode == RewriteMode::Add ? "A VBR Header would be added."
                           : mode == RewriteMode::Fix ? "The VBR Header would be made right."
                                                      : "The VBR Header would be removed.";
        report = {Outcome::Done, settings.quiet ? "" : shownPath(path) + ": " + text + "\n", ""};
    } else if (inWantedState(result.step) || result.step == RewriteStep::NothingToFix) {
        report = {Outcome::Unchanged, settings.quiet ? "" : failureLine(path, result), ""};
        reason = batchFailureText(result.step);
    } else if (!parts.named && notAudio(result)) {
        report = {Outcome::Skipped, settings.quiet ? "" : shownPath(path) + ": skipped: " + failureLine("", result).substr(2), ""};
        reason = failureLine("", result).substr(2);
        reason.pop_back();
    } else {
        report = {Outcome::Failed, "", failureLine(path, result)};
        reason = failureLine("", result).substr(2);
        reason.pop_back();
    }
    if (settings.json)
        report.out = rewriteAsJson(path, report.outcome, reason, parts.before, after, settings.dryRun);
    report.err = parts.note + report.err;
    return report;
}

FileReport rewriteReport(TBinEdit &engine, const BatchItem &item, const ReserveMore &reserveMore,
                         platform::ReplaceGroup &group, RewriteMode mode, const Settings &settings)
{
    RewriteReportParts parts{item.path, item.named, mode};
    const RewriteOptions options{mode, !settings.noKeepTimes, settings.seekRange};
    OpenedFile opened;
    RewriteResult result = openForRewrite(engine, item.path, opened, {item.device, item.inode});
    std::optional<std::size_t> staged;
    if (result.ok()) {
        if (mode != RewriteMode::Remove)
            parts.note = layerNote(engine);
        if (settings.json)
            parts.before = headerAsJson(checkFile(engine.Image->Data(), engine.Image->Size()));
        if (mode != RewriteMode::Remove)
            reserveMore(frameIndexBytes(engine));
        if (mode == RewriteMode::Fix)
            reserveMore(item.bytes); // a stale header is rebuilt on a copy of the image
        if (const RewriteStep step = checkMode(opened, mode); step != RewriteStep::Done) {
            result = RewriteResult{step, -1, 0, {}};
        } else if (settings.dryRun) {
            result = editImage(engine, opened, options);
            if (result.ok())
                result = predictSave(opened);
        } else {
            std::size_t entry = 0;
            result = stageRewrite(engine, opened, options, group, entry);
            if (result.ok())
                staged = entry;
        }
        parts.after = parts.before;
        if (settings.json && (result.ok() || result.step == RewriteStep::Save))
            parts.after = headerAsJson(checkFile(engine.Image->Data(), engine.Image->Size()));
    }
    if (!staged)
        return finishRewriteReport(parts, result, settings);
    // Reported once the group's commit has made the new content the file's.
    FileReport waiting;
    waiting.afterCommit = [&group, entry = *staged, parts = std::move(parts), &settings] {
        return finishRewriteReport(parts, committedResult(group, entry), settings);
    };
    return waiting;
}

FileReport infoReport(TBinEdit &engine, const BatchItem &item, const ReserveMore &reserveMore, const Settings &settings)
{
    const std::string &path = item.path;
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened, {item.device, item.inode});
    if (!result.ok()) {
        const Outcome outcome = !item.named && notAudio(result) ? Outcome::Skipped : Outcome::Failed;
        // JSON lines stay on standard output: one object per file.
        if (settings.json)
            return {outcome, failureAsJson(path, result.errorCode, batchFailureText(result.step), result.reason), ""};
        if (outcome == Outcome::Skipped)
            return {outcome, shownPath(path) + ": skipped: " + failureLine("", result).substr(2), ""};
        return {outcome, "", failureLine(path, result)};
    }
    reserveMore(frameIndexBytes(engine));
    const FileFacts facts = gatherFacts(engine);
    return {Outcome::Done, settings.json ? factsAsJson(path, facts) : factsAsText(path, facts), layerNote(engine)};
}

// Files found per verdict by `check`.
struct VerdictCounts {
    std::array<std::atomic<std::size_t>, 5> byVerdict{};
    void add(HeaderVerdict verdict) { ++byVerdict[static_cast<std::size_t>(verdict)]; }
    std::size_t of(HeaderVerdict verdict) const { return byVerdict[static_cast<std::size_t>(verdict)].load(); }
};

// Reads and judges; writes nothing. Right and not needed count as done,
// everything else as failed, so that the exit status tells.
FileReport checkReport(TBinEdit &engine, const BatchItem &item, const Settings &settings, VerdictCounts &counts)
{
    const std::string &path = item.path;
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened, {item.device, item.inode});
    if (!result.ok()) {
        std::string reason = failureLine("", result).substr(2);
        reason.pop_back();
        if (!item.named && notAudio(result))
            return {Outcome::Skipped, settings.quiet || settings.json ? "" : shownPath(path) + ": skipped: " + reason + "\n", ""};
        counts.add(HeaderVerdict::Unreadable);
        return {Outcome::Failed,
                settings.json ? verdictAsJson(path, HeaderVerdict::Unreadable, reason, nullptr)
                              : verdictAsText(path, HeaderVerdict::Unreadable, reason),
                ""};
    }
    const FileFacts facts = gatherFacts(engine, false);
    const HeaderVerdict verdict = facts.check.verdict;
    counts.add(verdict);
    const bool fine = verdict == HeaderVerdict::Right || verdict == HeaderVerdict::NotNeeded;
    std::string out = settings.json ? verdictAsJson(path, verdict, facts.check.reason, &facts)
                                    : verdictAsText(path, verdict, facts.check.reason);
    if (settings.quiet && fine && !settings.json)
        out.clear();
    return {fine ? Outcome::Done : Outcome::Failed, out, layerNote(engine)};
}

std::size_t fileCount(const BatchCounts &counts)
{
    return counts.done + counts.unchanged + counts.skipped + counts.failed;
}

// "N files: " and the command's own counts, then what every command shares:
// the files skipped and the folders not read, when there are any.
void printSummaryLine(const BatchCounts &counts, std::size_t unreadFolders, const std::string &own)
{
    std::string tail;
    if (counts.skipped > 0)
        tail += ", " + std::to_string(counts.skipped) + " skipped (not MPEG audio)";
    if (unreadFolders > 0)
        tail += ", " + std::to_string(unreadFolders) + " folder" + (unreadFolders == 1 ? "" : "s") + " not read";
    std::printf("%zu files: %s%s.\n", fileCount(counts), own.c_str(), tail.c_str());
}

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

void addPathArgument(CLI::App *command, Settings &settings)
{
    command->add_option("PATH", settings.paths, "Files, or folders whose .mp3, .rmp and .wav files are taken");
    command->add_option("--files-from", settings.filesFrom, "Also take the names listed in FILE, one per line (- for standard input)")
        ->type_name("FILE");
    command->add_flag("-0,--null", settings.nulSeparated, "The names in --files-from end with NUL bytes (find -print0)");
}

void addScanOptions(CLI::App *command, Settings &settings)
{
    command->add_flag("-r,--recursive", settings.recursive, "Descend into sub-folders of the folders given");
    command->add_flag("--follow-symlinks", settings.followSymlinks,
                      "In folders, take files and enter sub-folders reached through symbolic links");
    command->add_flag("-x,--one-file-system", settings.oneFileSystem,
                      "Never enter a sub-folder on another file system than the folder given");
}

void addRewriteOptions(CLI::App *command, Settings &settings)
{
    addPathArgument(command, settings);
    addScanOptions(command, settings);
    command->add_option("-j,--jobs", settings.jobs, "Rewrite up to N files at once (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    command->add_option("--memory-limit", settings.memoryLimit,
                        "Bytes the files in flight may take together, e.g. 512M or 2G (default: the larger of the "
                        "largest file and a quarter of physical memory)")
        ->type_name("SIZE")
        ->transform(CLI::AsSizeValue(false))
        ->check(CLI::PositiveNumber);
    command->add_flag("--no-keep-times", settings.noKeepTimes, "Let the last-write time show the rewrite");
    command->add_flag("-n,--dry-run", settings.dryRun, "Report what would change and what would fail; write nothing");
    command->add_flag("-q,--quiet", settings.quiet, "Print failures and warnings only");
    command->add_flag("--json", settings.json, "One JSON object per file per line, then a summary object");
}

std::uint64_t quarterOfPhysicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4;
}

std::vector<BatchItem> batchItems(const std::vector<platform::FoundFile> &files)
{
    std::vector<BatchItem> items;
    items.reserve(files.size());
    for (const platform::FoundFile &file : files) {
        struct stat st {};
        const std::uint64_t bytes =
            ::stat(file.path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
        // A named file is taken as it is found when it is worked on.
        items.push_back({file.path, file.named, bytes, file.named ? 0 : file.device, file.named ? 0 : file.inode});
    }
    return items;
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app("Adds or removes the Xing VBR header frame of MPEG audio files.", "brantlow-cli");
    app.set_version_flag("--version", std::string("brantlow-cli ") + BRANTLOW_VERSION);
    app.require_subcommand(1);
    Settings settings;

    CLI::App *info = app.add_subcommand("info", "Describe each file: structure, first frame, frames, Xing frame");
    addPathArgument(info, settings);
    info->add_flag("--json", settings.json, "One JSON object per file per line");

    CLI::App *add = app.add_subcommand("add", "Add a VBR header to each file that has none");
    addRewriteOptions(add, settings);

    CLI::App *check = app.add_subcommand("check", "Tell for each file whether its VBR header is right; write nothing");
    addPathArgument(check, settings);
    addScanOptions(check, settings);
    check->add_flag("--json", settings.json, "One JSON object per file per line");
    check->add_flag("-q,--quiet", settings.quiet, "Print only the files that are not right");
    check->add_option("-j,--jobs", settings.jobs, "Read up to N files at once (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));

    CLI::App *fix = app.add_subcommand("fix", "Make each file's VBR header right: add a missing one, rewrite a stale one");
    addRewriteOptions(fix, settings);

    CLI::App *remove = app.add_subcommand("remove", "Remove the VBR header of each file that has one");
    addRewriteOptions(remove, settings);
    remove->add_option("--seek-range", settings.seekRange,
                       "How far, in bytes, to look for the next frame when the header's own length does not lead to one (default 3)")
        ->type_name("N")
        ->check(CLI::Range(1, 0x7FFFFFFF));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    if (!settings.filesFrom.empty()) {
        std::string error;
        if (!readNameList(settings.filesFrom, settings.nulSeparated, settings.paths, error)) {
            std::fprintf(stderr, "brantlow-cli: cannot read the list %s (%s)\n", shownPath(settings.filesFrom).c_str(),
                         error.c_str());
            return kExitUsage;
        }
    } else if (settings.paths.empty()) {
        std::fprintf(stderr, "PATH is required\nRun with --help for more information.\n");
        return kExitUsage;
    }

    // Before any other thread, so that every thread leaves the signals to it.
    const InterruptWatch interrupts;

    const bool isInfo = info->parsed();
    const FileList list = collectFiles(
        settings.paths, {settings.recursive, settings.followSymlinks, settings.oneFileSystem, &interrupts.flag()});
    std::size_t unreadFolders = 0;
    for (const platform::WalkProblem &problem : list.problems) {
        if (problem.kind == platform::WalkProblemKind::CannotRead) {
            ++unreadFolders;
            std::fprintf(stderr, "brantlow-cli: cannot read the folder %s (%s)\n", shownPath(problem.path).c_str(),
                         problem.reason.c_str());
        } else {
            std::fprintf(stderr, "brantlow-cli: warning: %s not scanned (%s)\n", shownPath(problem.path).c_str(),
                         problem.reason.c_str());
        }
    }

    const std::vector<BatchItem> items = batchItems(list.files);
    std::uint64_t largest = 0;
    for (const BatchItem &item : items)
        largest = std::max(largest, item.bytes);
    BatchOptions options;
    options.jobs = settings.jobs > 0 ? settings.jobs : std::max(1u, std::thread::hardware_concurrency());
    options.showProgress = ::isatty(STDERR_FILENO) == 1;
    options.memoryBudget = settings.memoryLimit > 0 ? settings.memoryLimit : std::max(largest, quarterOfPhysicalMemory());
    options.stop = &interrupts.flag();

    const bool isCheck = check->parsed();
    const RewriteMode mode = remove->parsed() ? RewriteMode::Remove : fix->parsed() ? RewriteMode::Fix : RewriteMode::Add;
    VerdictCounts verdicts;
    const FileWork work = [&](TBinEdit &engine, const BatchItem &item, const ReserveMore &reserveMore,
                              platform::ReplaceGroup &group) {
        if (isCheck)
            return checkReport(engine, item, settings, verdicts);
        return isInfo ? infoReport(engine, item, reserveMore, settings)
                      : rewriteReport(engine, item, reserveMore, group, mode, settings);
    };
    const BatchCounts counts = runBatch(items, options, work);

    const int signal = interrupts.signal();
    if (isCheck) {
        if (!settings.json)
            printCheckSummary(verdicts, counts, unreadFolders);
    } else if (settings.json && !isInfo) {
        printJsonSummary(counts, unreadFolders, settings.dryRun);
    } else if (!settings.quiet && !(isInfo && settings.json)) {
        printSummary(counts, unreadFolders, settings.dryRun, isInfo);
    }
    if (signal != 0) {
        // JSON lines hold one object per file: the note goes beside them.
        std::FILE *note = settings.json ? stderr : stdout;
        std::fprintf(note, "Interrupted: %zu file%s not reached%s.\n", counts.notReached, counts.notReached == 1 ? "" : "s",
                     list.interrupted ? ", and the folder scan did not finish" : "");
        std::fflush(note);
        return InterruptWatch::exitStatus(signal);
    }
    return counts.failed > 0 || unreadFolders > 0 ? kExitFailed : kExitOk;
}
