// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SafeReplace.h"
#include "platform/TempLedger.h"

#include "TestFiles.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <map>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

constexpr const char *kMarker = ".brantlow-tmp-";

// Forks a run that replaces each of `files` in turn and is stopped by
// `stopSignal` at the rename of the last, leaving its temporary name there;
// returns the run's pid and id (the id its names carry).
std::pair<pid_t, std::string> runStoppedAtLastRename(const std::vector<std::string> &files, int stopSignal)
{
    const pid_t child = ::fork();
    if (child == 0) {
        auto renames = std::make_shared<std::size_t>(0);
        setReplaceKillHook([=](const char *step) {
            if (std::strcmp(step, "link") == 0 && ++*renames == files.size())
                ::raise(stopSignal);
        });
        for (const std::string &file : files)
            replaceFileContents(file, test::bytesOf("new"), 3);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, stopSignal == SIGSTOP ? WUNTRACED : 0);
    const std::string folder = std::filesystem::path(files.back()).parent_path().string();
    const std::string prefix = "." + std::filesystem::path(files.back()).filename().string() + kMarker;
    for (const std::string &entry : test::entriesOf(folder))
        if (entry.rfind(prefix, 0) == 0)
            return {child, entry.substr(prefix.size())};
    return {child, ""};
}

// Which names the sweep removes and which it reports, in a folder a killed
// run recorded: only the exact temporary names of that run, as regular files
// of this user with one link, in the folder it recorded, go.
TEST(TempLedgerTest, RemovesOnlyNamesProvablyLeftByAKilledRun)
{
    ScratchFolder scratch;
    ::setenv("XDG_STATE_HOME", scratch.file("state").c_str(), 1);
    const std::string folder = scratch.file("music");
    const std::string replaced = scratch.file("replaced"); // recorded, then put elsewhere and made anew
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(replaced);
    for (const char *name : {"x.mp3", "w.mp3", "h.mp3", "song.mp3"})
        test::writeBytes(folder + "/" + name, "old");
    test::writeBytes(replaced + "/r.mp3", "old");

    const auto [dead, deadId] = runStoppedAtLastRename({replaced + "/r.mp3", folder + "/x.mp3"}, SIGKILL);
    const auto [live, liveId] = runStoppedAtLastRename({folder + "/w.mp3"}, SIGSTOP);
    ASSERT_FALSE(deadId.empty());
    ASSERT_FALSE(liveId.empty());
    std::filesystem::rename(replaced, replaced + ".old");
    std::filesystem::create_directories(replaced);

    const std::string otherId = std::to_string(dead) + "-1" + deadId.substr(deadId.find('-') + 1);
    enum Expect { Removed, Reported, PassedOver };
    struct Row {
        std::string path;
        std::function<void(const std::string &)> make; // empty: made by a run above
        Expect expect;
    };
    const auto file = [](const std::string &path) { test::writeBytes(path, "x"); };
    std::vector<Row> rows = {
        {folder + "/.x.mp3" + kMarker + deadId, {}, Removed},
        {folder + "/.w.mp3" + kMarker + liveId, {}, PassedOver},
        {folder + "/.a.mp3" + kMarker + otherId, file, Reported},
        {folder + "/.b.mp3.brantlow-tmp", file, Reported},
        {folder + "/.l.mp3" + kMarker + deadId,
         [&](const std::string &path) { std::filesystem::create_symlink("song.mp3", path); }, Reported},
        {folder + "/.h.mp3" + kMarker + deadId,
         [&](const std::string &path) { std::filesystem::create_hard_link(folder + "/h.mp3", path); }, Reported},
        {replaced + "/.r.mp3" + kMarker + deadId, file, Reported},
    };
    if (::geteuid() == 0)
        rows.push_back({folder + "/.n.mp3" + kMarker + deadId,
                        [&](const std::string &path) {
                            file(path);
                            ASSERT_EQ(::chown(path.c_str(), test::kNobody, test::kNobody), 0);
                        },
                        Reported});
    for (const Row &row : rows)
        if (row.make)
            row.make(row.path);

    std::map<std::string, bool> swept; // path, removed
    for (const Leftover &left : removeLeftovers()) {
        EXPECT_TRUE(left.removed || !left.reason.empty()) << left.path;
        swept[left.path] = left.removed;
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        const bool there = std::filesystem::symlink_status(row.path).type() != std::filesystem::file_type::not_found;
        EXPECT_EQ(there, row.expect != Removed);
        EXPECT_EQ(swept.count(row.path) != 0, row.expect != PassedOver);
        if (row.expect == Reported) {
            EXPECT_FALSE(swept[row.path]);
        }
    }
    EXPECT_EQ(swept.size(), rows.size() - 1) << "nothing else is named";
    EXPECT_EQ(test::readBytes(folder + "/song.mp3"), "old");
    EXPECT_EQ(test::readBytes(folder + "/h.mp3"), "old");

    // Once the stopped run is killed too, its name goes; the first run's
    // record is gone, so the one it proved is not named again.
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    swept.clear();
    for (const Leftover &left : removeLeftovers())
        swept[left.path] = left.removed;
    EXPECT_TRUE(swept[folder + "/.w.mp3" + kMarker + liveId]);
    EXPECT_EQ(swept.count(replaced + "/.r.mp3" + kMarker + deadId), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/.w.mp3" + kMarker + liveId));
}

} // namespace
} // namespace brantlow::platform
