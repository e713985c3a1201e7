// SPDX-License-Identifier: GPL-3.0-or-later
// brantlow-cli: adds or removes the Xing VBR header frame of MPEG audio files,
// or describes them.

#include "job/BatchRunner.h"
#include "FileList.h"
#include "FileReports.h"
#include "Interrupts.h"
#include "PathText.h"
#include "ReportPrinter.h"
#include "RunSummary.h"
#include "Settings.h"
#include "UndoCommands.h"
#include "job/RewriteJob.h"
#include "job/RewriteJobCount.h"
#include "job/RunLock.h"
#include "job/UndoLog.h"
#include "platform/Journal.h"
#include "platform/MemoryReuse.h"
#include "platform/TempLedger.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace brantlow;
using namespace brantlow::cli;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void addPathArgument(CLI::App *command, Settings &settings)
{
    command->add_option("PATH", settings.paths, "Files, or folders whose .mp3, .rmp and .wav files are taken");
    command
        ->add_option("--files-from", settings.filesFrom,
                     "Also take the names listed in FILE, one per line (- for standard input)")
        ->type_name("FILE");
    command->add_flag("-0,--null", settings.nulSeparated,
                      "The names in --files-from end with NUL bytes (find -print0)");
}

void addScanOptions(CLI::App *command, Settings &settings)
{
    command->add_flag("-r,--recursive", settings.recursive, "Descend into sub-folders of the folders given");
    command->add_flag("--follow-symlinks", settings.followSymlinks,
                      "In folders, take files and enter sub-folders reached through symbolic links");
    command->add_flag("-x,--one-file-system", settings.oneFileSystem,
                      "Never enter a sub-folder on another file system than the folder given");
}

void addUndoLogOptions(CLI::App *command, Settings &settings)
{
    command->add_flag("--no-undo-log", settings.noUndoLog, "Keep no record of this run: it cannot be undone");
    command->add_flag("--undo-log-required", settings.undoLogRequired,
                      "Rewrite no file whose record cannot be written to the undo log");
}

void addRewriteOptions(CLI::App *command, Settings &settings)
{
    addPathArgument(command, settings);
    addScanOptions(command, settings);
    addUndoLogOptions(command, settings);
    command
        ->add_option("-j,--jobs", settings.jobs, "Rewrite up to N files at once (default: twice the cores, at least 8)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    command
        ->add_option("--memory-limit", settings.memoryLimit,
                     "Bytes the files in flight may take together, e.g. 512M or 2G (default: the larger of what "
                     "the largest file takes and a quarter of physical memory)")
        ->type_name("SIZE")
        ->transform(CLI::AsSizeValue(false))
        ->check(CLI::PositiveNumber);
    command->add_flag("--no-keep-times", settings.noKeepTimes, "Let the last-write time show the rewrite");
    command->add_flag("-n,--dry-run", settings.dryRun, "Report what would change and what would fail; write nothing");
    command->add_flag("-q,--quiet", settings.quiet, "Print failures and warnings only");
    command->add_flag("--json", settings.json, "One JSON object per file per line, then a summary object");
}

std::vector<BatchItem> batchItems(const std::vector<platform::FoundFile> &files)
{
    std::vector<BatchItem> items;
    items.reserve(files.size());
    for (const platform::FoundFile &file : files) {
        // A named file is taken as it is found when it is worked on; its size
        // is the one the walk found (what its work reserves at its start).
        items.push_back({file.path, file.named, file.bytes, file.named ? 0 : file.device, file.named ? 0 : file.inode});
    }
    return items;
}

// Puts back the files among `paths` that interrupted rewrites left half
// done and removes the temporary names interrupted runs left, saying so on
// standard error; returns the paths of the files that cannot be put back.
std::vector<std::string> recoverFirst(const std::vector<std::string> &paths, bool quiet)
{
    // The temporary names killed runs left: each removed one is told like a
    // file put back; a name that only looks like one is a warning.
    for (const platform::Leftover &left : platform::removeLeftovers()) {
        if (left.removed && !quiet)
            std::fprintf(stderr, "brantlow-cli: %s: removed, a temporary file an interrupted run left\n",
                         shownPath(left.path).c_str());
        else if (!left.removed)
            std::fprintf(stderr,
                         "brantlow-cli: warning: %s: named like a temporary file of brantlow, left as it is (%s)\n",
                         shownPath(left.path).c_str(), left.reason.c_str());
    }
    std::vector<std::string> notBack;
    for (const platform::RecoveredFile &file : platform::recoverUnfinished(paths)) {
        if (file.restored && !quiet)
            std::fprintf(stderr, "brantlow-cli: %s: put back as it was before an interrupted rewrite\n",
                         shownPath(file.path).c_str());
        else if (!file.restored) {
            std::fprintf(stderr, "brantlow-cli: %s: an interrupted rewrite cannot be put back (%s)\n",
                         shownPath(file.path).c_str(), file.reason.c_str());
            notBack.push_back(file.path);
        }
    }
    return notBack;
}

// Which of `items` an interrupted rewrite that cannot be put back holds:
// read as it is, such a file's damage would be taken for its content.
std::vector<bool> heldByJournal(const std::vector<BatchItem> &items, const std::vector<std::string> &notBack)
{
    std::vector<bool> held(items.size(), false);
    for (std::size_t i = 0; i < items.size(); ++i)
        held[i] = std::any_of(notBack.begin(), notBack.end(), [&](const std::string &path) {
            std::error_code failed;
            return items[i].path == path || std::filesystem::equivalent(items[i].path, path, failed);
        });
    return held;
}

} // namespace

int main(int argc, char **argv)
{
    brantlow::platform::keepFreedMemoryForReuse();
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

    CLI::App *fix =
        app.add_subcommand("fix", "Make each file's VBR header right: add a missing one, rewrite a stale one");
    addRewriteOptions(fix, settings);

    CLI::App *remove = app.add_subcommand("remove", "Remove the VBR header of each file that has one");
    addRewriteOptions(remove, settings);
    remove
        ->add_option("--seek-range", settings.seekRange,
                     "How far, in bytes, to look for the next frame when the header's own length does not lead to one "
                     "(default 3)")
        ->type_name("N")
        ->check(CLI::Range(1, 0x7FFFFFFF));

    CLI::App *undo =
        app.add_subcommand("undo", "Put every file of a run back as it was before it (default: the last run)");
    undo->add_option("RUN", settings.run, "The run, as `runs` names it");
    addUndoLogOptions(undo, settings);
    undo->add_option("-j,--jobs", settings.jobs,
                     "Put back up to N files at once (default: twice the cores, at least 8)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    undo->add_flag("-n,--dry-run", settings.dryRun, "Report what would be put back and what would fail; write nothing");
    undo->add_flag("-q,--quiet", settings.quiet, "Print failures and warnings only");
    undo->add_flag("--json", settings.json, "One JSON object per file per line, then a summary object");

    CLI::App *runs = app.add_subcommand("runs", "List the runs that can be undone, oldest first");
    runs->add_flag("--json", settings.json, "One JSON object per run per line");

    CLI::App *recover = app.add_subcommand("recover",
                                           "Put back the files that interrupted rewrites left half done: those among "
                                           "the files and folders given, else every one known");
    recover->add_option("PATH", settings.paths, "Files, or folders to look through");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    if (recover->parsed())
        return recoverFirst(settings.paths, false).empty() ? kExitOk : kExitFailed;

    if (runs->parsed()) {
        printRuns(settings.json);
        return kExitOk;
    }
    const bool isUndo = undo->parsed();
    std::vector<UndoRecord> records;
    RunLock runLock; // held to the end: a second undo of the run is refused meanwhile
    if (isUndo) {
        RunInfo run;
        std::string error;
        if (!takeRun(settings.run, runLock, run, records, error)) {
            std::fprintf(stderr, "brantlow-cli: cannot undo %s (%s)\n",
                         settings.run.empty() ? "the last run" : settings.run.c_str(), error.c_str());
            return kExitFailed;
        }
    } else if (!settings.filesFrom.empty()) {
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

    std::vector<BatchItem> items = batchItems(list.files);
    for (const UndoRecord &record : records)
        items.push_back({record.path, true, record.length, 0, 0});
    const bool isCheck = check->parsed();
    // A file an interrupted rewrite left half done is put back before it is
    // read: read as it is, its damage would be taken for its content.
    bool recovered = true;
    std::vector<bool> held(items.size(), false);
    if (!isInfo && !isCheck && !settings.dryRun) {
        std::vector<std::string> paths;
        paths.reserve(items.size());
        for (const BatchItem &item : items)
            paths.push_back(item.path);
        const std::vector<std::string> notBack = recoverFirst(paths, settings.quiet);
        recovered = notBack.empty();
        held = heldByJournal(items, notBack);
    }
    std::uint64_t largest = 0;
    for (const BatchItem &item : items)
        largest = std::max(largest, item.bytes);
    BatchOptions options;
    // Reading is bound by the cores, a rewrite by the disk's flushes.
    options.jobs = settings.jobs > 0 ? settings.jobs : isCheck || isInfo ? defaultJobs() : defaultRewriteJobs();
    options.memoryBudget = settings.memoryLimit > 0 ? settings.memoryLimit : defaultMemoryBudget(largest);
    options.stop = &interrupts.flag();

    std::unique_ptr<UndoLog> log;
    std::string logProblem;
    if (!isCheck && !isInfo && !settings.dryRun && !settings.noUndoLog) {
        log = UndoLog::start(app.get_subcommands().front()->get_name(), logProblem);
        if (!log && settings.undoLogRequired) {
            std::fprintf(stderr, "brantlow-cli: cannot start the undo log (%s); nothing was rewritten\n",
                         logProblem.c_str());
            return kExitFailed;
        }
        if (!log)
            logProblem = "cannot start the undo log (" + logProblem + "): this run cannot be undone";
        else
            log->setRequired(settings.undoLogRequired);
        settings.undoLog = log.get();
    }
    const RewriteMode mode = remove->parsed() ? RewriteMode::Remove
        : fix->parsed()                       ? RewriteMode::Fix
                                              : RewriteMode::Add;
    VerdictCounts verdicts;
    const FileWork work = [&](TBinEdit &engine, const BatchItem &item, platform::ReplaceGroup &group) {
        if (held[static_cast<std::size_t>(&item - items.data())])
            return FileReport{Outcome::Failed, "",
                              shownPath(item.path) + ": left as it is: its interrupted rewrite cannot be put back\n"};
        if (isCheck)
            return checkReport(engine, item, settings, verdicts);
        if (isUndo)
            return undoReport(records[static_cast<std::size_t>(&item - items.data())], group, settings);
        return isInfo ? infoReport(engine, item, settings) : rewriteReport(engine, item, group, mode, settings);
    };
    BatchCounts counts;
    {
        ReportPrinter printer(::isatty(STDERR_FILENO) == 1, items.size());
        BatchReporting reporting = printer.reporting();
        if (log)
            reporting.beforeReports = [&log] { log->flush(); };
        counts = runBatch(items, options, work, reporting);
    }
    if (log) {
        log->finish(counts.unchanged, counts.failed);
        logProblem = log->takeWarning();
    }
    // Said once, where files were rewritten that no log holds.
    if (!logProblem.empty() && counts.done > 0)
        std::fprintf(stderr, "brantlow-cli: warning: %s\n", logProblem.c_str());

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
        std::fprintf(note, "Interrupted: %zu file%s not reached%s.\n", counts.notReached,
                     counts.notReached == 1 ? "" : "s", list.interrupted ? ", and the folder scan did not finish" : "");
        std::fflush(note);
        return InterruptWatch::exitStatus(signal);
    }
    return counts.failed > 0 || unreadFolders > 0 || !recovered ? kExitFailed : kExitOk;
}
