// brantlow-cli: adds or removes the Xing VBR header frame of MPEG audio files,
// or describes them.

#include "BatchRunner.h"
#include "FileList.h"
#include "InfoReport.h"
#include "job/RewriteJob.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
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
    unsigned jobs = 0;
    bool noKeepTimes = false;
    bool dryRun = false;
    bool quiet = false;
    std::int32_t seekRange = 3;
};

std::string failureLine(const std::string &path, const RewriteResult &result)
{
    std::string line = path + ": " + batchFailureText(result.step);
    if (result.errorCode >= 0)
        line += " (error " + std::to_string(result.errorCode) + ")";
    return line + "\n";
}

bool inWantedState(RewriteStep step) { return step == RewriteStep::AlreadyHasHeader || step == RewriteStep::HasNoHeader; }

FileReport rewriteReport(TBinEdit &engine, const std::string &path, RewriteMode mode, const Settings &settings)
{
    const RewriteOptions options{mode, !settings.noKeepTimes, settings.seekRange};
    RewriteResult result;
    if (settings.dryRun) {
        OpenedFile opened;
        result = openForRewrite(engine, path, opened);
        if (result.ok())
            result = editImage(engine, opened, options);
    } else {
        result = rewriteFile(engine, path, options);
    }

    if (result.ok()) {
        const char *text = !settings.dryRun          ? successText(mode)
                           : mode == RewriteMode::Add ? "A VBR Header would be added."
                                                      : "The VBR Header would be removed.";
        return {Outcome::Done, settings.quiet ? "" : path + ": " + text + "\n"};
    }
    if (inWantedState(result.step))
        return {Outcome::Unchanged, settings.quiet ? "" : failureLine(path, result)};
    return {Outcome::Failed, failureLine(path, result)};
}

FileReport infoReport(TBinEdit &engine, const std::string &path, const Settings &settings)
{
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened);
    if (!result.ok()) {
        if (settings.json)
            return {Outcome::Failed, failureAsJson(path, result.errorCode, batchFailureText(result.step))};
        return {Outcome::Failed, failureLine(path, result)};
    }
    const FileFacts facts = gatherFacts(engine);
    return {Outcome::Done, settings.json ? factsAsJson(path, facts) : factsAsText(path, facts)};
}

void printSummary(const BatchCounts &counts, bool dryRun, bool info)
{
    const std::size_t total = counts.done + counts.unchanged + counts.failed;
    if (info)
        std::printf("%zu files: %zu described, %zu failed.\n", total, counts.done, counts.failed);
    else
        std::printf("%zu files: %zu %s, %zu already as wanted, %zu failed.\n", total, counts.done,
                    dryRun ? "would change" : "rewritten", counts.unchanged, counts.failed);
}

void addPathArgument(CLI::App *command, Settings &settings)
{
    command->add_option("PATH", settings.paths, "Files, or folders whose .mp3, .rmp and .wav files are taken")
        ->required();
}

void addRewriteOptions(CLI::App *command, Settings &settings)
{
    addPathArgument(command, settings);
    command->add_flag("-r,--recursive", settings.recursive, "Descend into sub-folders of the folders given");
    command->add_option("-j,--jobs", settings.jobs, "Rewrite up to N files at once (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    command->add_flag("--no-keep-times", settings.noKeepTimes, "Let the last-write time show the rewrite");
    command->add_flag("-n,--dry-run", settings.dryRun, "Report what would change; write nothing");
    command->add_flag("-q,--quiet", settings.quiet, "Print failures only");
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

    const bool isInfo = info->parsed();
    const FileList list = collectFiles(settings.paths, settings.recursive);
    for (const std::string &folder : list.unreadableFolders)
        std::fprintf(stderr, "brantlow-cli: cannot read the folder %s\n", folder.c_str());

    const unsigned jobs = settings.jobs > 0 ? settings.jobs : std::max(1u, std::thread::hardware_concurrency());
    const RewriteMode mode = remove->parsed() ? RewriteMode::Remove : RewriteMode::Add;
    const FileWork work = [&](TBinEdit &engine, const std::string &path) {
        return isInfo ? infoReport(engine, path, settings) : rewriteReport(engine, path, mode, settings);
    };
    const BatchCounts counts = runBatch(list.files, jobs, work, ::isatty(STDERR_FILENO) == 1);

    if (!settings.quiet && !(isInfo && settings.json))
        printSummary(counts, settings.dryRun, isInfo);
    return counts.failed > 0 || !list.unreadableFolders.empty() ? kExitFailed : kExitOk;
}
