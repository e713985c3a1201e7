// SPDX-License-Identifier: GPL-3.0-or-later
// brantlow-cli on whole music libraries: folder scans that stay in their
// tree, early refusal, honest reports, interrupts, owners kept.

#include "CliHarness.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using namespace clitest;
namespace fs = std::filesystem;

const std::string kWouldAdd = ": A VBR Header would be added.";
const std::string kAdded = ": This File includes a VBR Header Now.";

void writeSparse(const std::string &path, const std::vector<std::uint8_t> &head, std::int64_t size)
{
    writeBytes(path, head);
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
}

// A RIFF WAVE head whose "fmt " chunk, after a LIST chunk, holds `format`.
std::vector<std::uint8_t> waveHead(std::uint16_t format)
{
    std::vector<std::uint8_t> head = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F, 'W', 'A', 'V', 'E',
                                      'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O',
                                      'f', 'm', 't', ' ', 16, 0, 0, 0, static_cast<std::uint8_t>(format),
                                      static_cast<std::uint8_t>(format >> 8), 2, 0};
    head.resize(48, 0);
    head.insert(head.end(), {'d', 'a', 't', 'a', 0xFF, 0xFF, 0xFF, 0x7F});
    return head;
}

TEST(CliLibrary, WhatCanNeverBeAudioIsRefusedFromItsHeadWithItsReason)
{
    TempFolder folder;
    struct Row {
        const char *name;
        std::vector<std::uint8_t> head;
        std::int64_t size;
        const char *reason;
    };
    std::vector<std::uint8_t> text(4000, 'x');
    std::vector<std::uint8_t> avi = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
    // A large sparse PCM WAVE: read whole, it would take 1.5 GB of memory.
    const std::vector<Row> rows = {
        {"big-pcm.wav", waveHead(1), std::int64_t{1536} << 20, "PCM WAVE"},
        {"adpcm.wav", waveHead(2), 100000, "WAVE format 0x0002: not MPEG audio"},
        {"movie.wav", avi, 100000, "RIFF form \"AVI \": not MPEG audio"},
        {"notes.mp3", text, 4000, "not MPEG audio: no frame sync in the first 64 KiB"},
        {"huge.mp3", readBytes(samplePath("mpeg1_stereo_vbr.mp3")), std::int64_t{3} << 30, "2 GiB or more"},
    };
    for (const Row &row : rows) {
        const std::string path = (folder.path() / row.name).string();
        writeSparse(path, row.head, row.size);
        const RunResult result = runCli({"add", path});
        EXPECT_EQ(result.exitCode, 1) << row.name;
        EXPECT_EQ(result.errLines(),
                  (std::vector<std::string>{path + ": This file is not MPEG/Audio. (" + row.reason + ")"}))
            << row.name;
        EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(path)), row.size) << row.name;
    }
    // Found by a folder scan, the same files are skipped and do not fail the run.
    const RunResult scan = runCli({"add", folder.path().string()});
    EXPECT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_EQ(scan.err, "");
    EXPECT_EQ(scan.outLines().back(), "5 files: 0 rewritten, 0 already as wanted, 0 failed, 5 skipped (not MPEG audio).");
    for (const Row &row : rows)
        EXPECT_NE(scan.out.find((folder.path() / row.name).string() + ": skipped: This file is not MPEG/Audio. ("
                                + row.reason + ")"),
                  std::string::npos)
            << scan.out;
}

TEST(CliLibrary, FolderScansStayInTheirTreeAndTakeEachFileOnce)
{
    TempFolder top;
    const fs::path tree = top.path() / "tree";
    const fs::path outside = top.path() / "outside";
    top.copySample("mpeg1_stereo_vbr.mp3", "tree/a.mp3");
    top.copySample("mpeg1_stereo_vbr.mp3", "tree/album.mp3/b.mp3");
    top.copySample("mpeg1_stereo_vbr.mp3", "tree/caf\xe9\n.mp3"); // shown escaped, as ls -b does
    top.copySample("mpeg1_stereo_vbr.mp3", "outside/o.mp3");
    writeBytes(tree / "pcm.wav", waveHead(1));
    fs::create_directory_symlink("album.mp3", tree / "in");
    fs::create_directory_symlink(outside, tree / "out");
    fs::create_symlink(outside / "o.mp3", tree / "o-link.mp3");
    fs::create_directory_symlink("/proc", tree / "proc");
    // A folder whose path is too long to open, made relative to its parent.
    fs::path deep = top.path() / "long";
    fs::create_directory(deep);
    const std::string name(200, 'n');
    int fd = ::open(deep.c_str(), O_RDONLY | O_DIRECTORY);
    while (fd >= 0 && deep.string().size() < PATH_MAX) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = sub;
        deep /= name;
    }
    ::close(fd);
    const std::string t = tree.string() + "/";
    const std::string noAudio = "pcm.wav: skipped: This file is not MPEG/Audio. (PCM WAVE)";

    struct Row {
        std::vector<std::string> args;
        std::vector<std::string> out; // relative to the tree
        std::vector<std::string> err;
        int exitCode;
    };
    const std::vector<Row> rows = {
        {{"add", "-n", "-r", tree.string()},
         {t + "a.mp3" + kWouldAdd, t + "album.mp3/b.mp3" + kWouldAdd, t + "caf\\351\\n.mp3" + kWouldAdd, t + noAudio,
          "4 files: 3 would change, 0 already as wanted, 0 failed, 1 skipped (not MPEG audio)."},
         {},
         0},
        {{"add", "-n", "-r", "--follow-symlinks", tree.string()},
         {t + "a.mp3" + kWouldAdd, t + "album.mp3/b.mp3" + kWouldAdd, t + "caf\\351\\n.mp3" + kWouldAdd,
          t + "o-link.mp3" + kWouldAdd, t + noAudio,
          "5 files: 4 would change, 0 already as wanted, 0 failed, 1 skipped (not MPEG audio)."},
         {"brantlow-cli: warning: " + t + "proc not scanned (a pseudo file system (proc))"},
         0},
        {{"add", "-n", (tree / "pcm.wav").string()},
         {"1 file: 0 would change, 0 already as wanted, 1 failed."},
         {t + "pcm.wav: This file is not MPEG/Audio. (PCM WAVE)"},
         1},
        {{"add", "-n", "-r", (top.path() / "long").string()},
         {"0 files: 0 would change, 0 already as wanted, 0 failed, 1 folder not read."},
         {"brantlow-cli: cannot read the folder " + deep.string() + " (File name too long)"},
         1},
    };
    for (const Row &row : rows) {
        const RunResult result = runCli(row.args);
        const std::string what = row.args[row.args.size() - 2];
        EXPECT_EQ(result.exitCode, row.exitCode) << what;
        EXPECT_EQ(result.outLines(), row.out) << what;
        EXPECT_EQ(result.errLines(), row.err) << what;
    }
    const RunResult real = runCli({"add", "-r", tree.string()});
    EXPECT_EQ(real.exitCode, 0) << real.err;
    EXPECT_EQ(readBytes(outside / "o.mp3"), readBytes(samplePath("mpeg1_stereo_vbr.mp3"))) << "nothing outside is touched";
    EXPECT_NE(readBytes(tree / "a.mp3"), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

TEST(CliLibrary, DryRunPredictsTheFailuresARunWouldMeet)
{
    TempFolder folder;
    const std::string readOnly = folder.copySample("mpeg1_stereo_vbr.mp3", "read-only.mp3");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    // The run adds the engine's number for a failed save.
    const std::string text = readOnly + ": Cannot Add/Remove a VBR Header. (";
    for (bool dryRun : {true, false}) {
        const RunResult result = dryRun ? runCli({"add", "-n", readOnly}) : runCli({"add", readOnly});
        EXPECT_EQ(result.exitCode, 1) << dryRun;
        EXPECT_EQ(result.errLines(),
                  (std::vector<std::string>{text + (dryRun ? "" : "error 2: ") + "Permission denied)"}))
            << dryRun;
    }
    EXPECT_EQ(readBytes(readOnly), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

// Root reads every folder whatever its mode, so root runs the command as
// nobody; without runuser there is no one who cannot read it.
TEST(CliLibrary, AnUnreadableFolderMakesTheRunFail)
{
    const bool root = ::geteuid() == 0;
    if (root && !toolAvailable("runuser"))
        GTEST_SKIP() << "root reads every folder, and runuser is not installed";
    TempFolder folder;
    const fs::path tree = folder.path() / "tree";
    // A file that needs no change: the run reads it, and nobody writes it.
    const std::string song = folder.copySample("lame_xing.mp3", "tree/a.mp3");
    const fs::path locked = tree / "locked";
    folder.copySample("mpeg1_stereo_vbr.mp3", "tree/locked/b.mp3");
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);

    const std::vector<std::string> args{"add", "-r", tree.string()};
    std::vector<std::string> asNobody{"-u", "nobody", "--", BRANTLOW_CLI_PATH};
    asNobody.insert(asNobody.end(), args.begin(), args.end());
    const RunResult result = root ? run("runuser", asNobody) : runCli(args);
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.outLines(),
              (std::vector<std::string>{song + ": This file includes a VBR Header.",
                                        "1 file: 0 rewritten, 1 already as wanted, 0 failed, 1 folder not read."}));
    EXPECT_EQ(result.errLines(),
              (std::vector<std::string>{"brantlow-cli: cannot read the folder " + locked.string() + " (Permission denied)"}));
    EXPECT_EQ(readBytes(locked / "b.mp3"), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

// A run's grouped saves keep files open until the group is committed: under
// a low limit on open files the groups shrink, and every file is still saved.
TEST(CliLibrary, ALowLimitOnOpenFilesStillSavesEveryFile)
{
    if (!toolAvailable("prlimit"))
        GTEST_SKIP() << "prlimit is not installed";
    TempFolder folder;
    std::vector<std::string> songs;
    for (int i = 0; i < 60; ++i)
        songs.push_back(folder.copySample("mpeg1_stereo_vbr.mp3", "s" + std::to_string(100 + i) + ".mp3"));
    const RunResult result =
        run("prlimit", {"--nofile=40", "--", BRANTLOW_CLI_PATH, "add", "-q", "-j", "4", folder.path().string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    for (const std::string &song : songs)
        EXPECT_NE(readBytes(song), readBytes(samplePath("mpeg1_stereo_vbr.mp3"))) << song << " was not saved";
}

TEST(CliLibrary, ARunAsAnotherUserKeepsTheFilesOwner)
{
    if (::geteuid() != 0 || !toolAvailable("runuser"))
        GTEST_SKIP() << "needs root and runuser";
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0); // a shared folder
    const std::string path = folder.copySample("mpeg1_stereo_vbr.mp3", "shared.mp3");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const std::vector<std::uint8_t> sample = readBytes(path);
    const std::string state = folder.path().string() + "/state"; // nobody's own state folder
    ASSERT_EQ(::mkdir(state.c_str(), 0700), 0);
    ASSERT_EQ(::chown(state.c_str(), 65534, 65534), 0);
    const std::string stateHome = "XDG_STATE_HOME=" + state;
    // Only the owner may set a file's time: keeping it, the run is refused
    // with the file untouched; without, the file is rewritten in place.
    const RunResult refused = run("runuser", {"-u", "nobody", "--", "env", stateHome, BRANTLOW_CLI_PATH, "add", path});
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_NE(refused.err.find("Cannot Add/Remove a VBR Header. (error 2: its last-write time cannot be kept: Operation not permitted)"), std::string::npos)
        << refused.err;
    EXPECT_EQ(readBytes(path), sample);
    // A dry run foretells the same refusal.
    const RunResult predicted =
        run("runuser", {"-u", "nobody", "--", "env", stateHome, BRANTLOW_CLI_PATH, "add", "-n", path});
    EXPECT_NE((predicted.out + predicted.err).find("its last-write time cannot be kept"), std::string::npos)
        << predicted.out << predicted.err;
    const RunResult result =
        run("runuser", {"-u", "nobody", "--", "env", stateHome, BRANTLOW_CLI_PATH, "add", "--no-keep-times", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    EXPECT_EQ(info.st_gid, 0u);
    EXPECT_EQ(info.st_mode & 07777, 0666u);
    EXPECT_GT(fs::file_size(path), fs::file_size(samplePath("mpeg1_stereo_vbr.mp3")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2)
        << "no temporary file beside the file and nobody's state folder";
}

// Runs the command line on many files, sends `signals` copies of `signal`
// once its first result line is out, and returns what it printed.
RunResult interruptedRun(const std::vector<std::string> &files, int signal, int signals)
{
    int outPipe[2];
    EXPECT_EQ(::pipe(outPipe), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> all{BRANTLOW_CLI_PATH, "add", "-j", "2"};
    all.insert(all.end(), files.begin(), files.end());
    std::vector<char *> argv;
    for (std::string &arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    RunResult result;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    if (spawned != 0)
        return result;
    char buffer[4096];
    bool sent = false;
    for (ssize_t n; (n = ::read(outPipe[0], buffer, sizeof buffer)) > 0;) {
        result.out.append(buffer, static_cast<std::size_t>(n));
        if (!sent && result.out.find('\n') != std::string::npos) {
            for (int i = 0; i < signals; ++i)
                ::kill(pid, signal);
            sent = true;
        }
    }
    ::close(outPipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TEST(CliLibrary, AnInterruptFinishesTheFilesInFlightAndLeavesEveryFileWhole)
{
    // Files of about two megabytes, so that a run takes a while and a group
    // of saves is committed before it ends.
    const std::vector<std::uint8_t> frames = readBytes(samplePath("mpeg1_stereo_vbr.mp3"));
    std::vector<std::uint8_t> original;
    for (int i = 0; i < 100; ++i)
        original.insert(original.end(), frames.begin(), frames.end());
    TempFolder reference;
    const std::string rewrittenPath = (reference.path() / "r.mp3").string();
    writeBytes(rewrittenPath, original);
    ASSERT_EQ(runCli({"add", rewrittenPath}).exitCode, 0);
    const std::vector<std::uint8_t> rewritten = readBytes(rewrittenPath);

    struct Row {
        int signal;
        int signals;
        int exitCode;
    };
    for (const Row &row : {Row{SIGINT, 1, 130}, Row{SIGTERM, 1, 143}, Row{SIGHUP, 1, 129}, Row{SIGINT, 2, 130}}) {
        TempFolder folder;
        std::vector<std::string> files;
        for (int i = 0; i < 160; ++i) {
            files.push_back((folder.path() / ("song" + std::to_string(100 + i) + ".mp3")).string());
            writeBytes(files.back(), original);
        }
        const RunResult result = interruptedRun(files, row.signal, row.signals);
        const std::string what = std::string(strsignal(row.signal)) + " x" + std::to_string(row.signals);
        EXPECT_EQ(result.exitCode, row.exitCode) << what;

        std::size_t changed = 0;
        for (const std::string &path : files) {
            const std::vector<std::uint8_t> now = readBytes(path);
            EXPECT_TRUE(now == original || now == rewritten) << what << ": " << path << " is neither old nor new";
            changed += now == rewritten ? 1 : 0;
        }
        EXPECT_LT(changed, files.size()) << what << ": the run was not cut short";
        EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator())),
                  files.size())
            << what << ": no temporary file is left";
        if (row.signals == 1) {
            // Every finished file's line, in order, then the summary and the note.
            const std::vector<std::string> lines = result.outLines();
            ASSERT_EQ(lines.size(), changed + 2) << what << result.out;
            for (std::size_t i = 0; i < changed; ++i)
                EXPECT_EQ(lines[i], files[i] + kAdded) << what;
            EXPECT_EQ(lines[changed], std::to_string(changed) + " files: " + std::to_string(changed)
                                          + " rewritten, 0 already as wanted, 0 failed.")
                << what;
            EXPECT_EQ(lines[changed + 1], "Interrupted: " + std::to_string(files.size() - changed) + " files not reached.")
                << what;
        }
    }
}

} // namespace
