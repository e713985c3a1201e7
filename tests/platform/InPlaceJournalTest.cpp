// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Journal.h"
#include "platform/SafeReplace.h"

#include "TestFiles.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <tuple>

// In-place rewrites killed or failed at every step of their journal and
// their write: after recoverUnfinished the file holds its old or its new
// content whole, and no journal or record is left. The new content is given
// whole, or as an edit of the original whose bytes past the edit are read
// back while the file is overwritten.

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

struct Edit {
    const char *name;
    std::size_t oldSize;
    std::size_t at; // where the change starts
    std::size_t removed; // bytes taken out there
    std::size_t inserted; // bytes put in there
};

// Big enough for several write steps of a MiB.
constexpr std::size_t kBig = (1 << 20) + 777;
const Edit kEdits[] = {
    {"insert near the start", kBig, 417, 0, 418},
    {"remove near the start", kBig, 417, 418, 0},
    {"change in place", 9000, 100, 4, 4},
    {"cut at the end", 9000, 8000, 1000, 0},
};

class InPlaceJournalTest : public ::testing::TestWithParam<std::tuple<Edit, bool>> {
protected:
    ScratchFolder folder;
    ScratchFolder state;
    std::string path = folder.file("song.mp3");
    std::string oldContent;
    std::string newContent;
    timespec oldTime{1'000'000'000, 42};
    timespec keptTime{1'100'000'000, 7};

    void SetUp() override
    {
        ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
        const Edit &edit = std::get<0>(GetParam());
        oldContent = test::patternBytes(edit.oldSize, 'A');
        newContent = oldContent.substr(0, edit.at) + test::patternBytes(edit.inserted, 'a')
            + oldContent.substr(edit.at + edit.removed);
    }
    void TearDown() override { setReplaceKillHook({}); }

    // The original as it was, with a second hard link that forces the
    // rewrite in place.
    void freshOriginal()
    {
        ::unlink(path.c_str());
        ::unlink(folder.file("other-link.mp3").c_str());
        test::writeBytes(path, oldContent);
        ASSERT_EQ(::link(path.c_str(), folder.file("other-link.mp3").c_str()), 0);
        const timespec stamps[2] = {{0, UTIME_OMIT}, oldTime};
        ::utimensat(AT_FDCWD, path.c_str(), stamps, 0);
    }
    ReplaceResult replace()
    {
        if (!std::get<1>(GetParam()))
            return replaceFileContents(path, test::bytesOf(newContent), newContent.size(), {}, &keptTime);
        const Edit &edit = std::get<0>(GetParam());
        const std::string inserted = newContent.substr(edit.at, edit.inserted);
        ReplaceGroup group;
        const std::size_t entry = group.add(path, {{edit.at, edit.removed, {inserted.begin(), inserted.end()}}},
                                            identityFrom(test::statOf(path)), &keptTime);
        group.commit();
        return group.result(entry);
    }
    std::set<std::string> leftovers()
    {
        std::set<std::string> left;
        for (const std::string &name : test::entriesOf(folder.path()))
            if (name != "song.mp3" && name != "other-link.mp3")
                left.insert(name);
        for (const auto &entry : std::filesystem::recursive_directory_iterator(state.path()))
            if (entry.is_regular_file())
                left.insert(entry.path().filename().string());
        return left;
    }
    // Old content with its old time, or new content with the kept time.
    void expectOldOrNew(bool mayBeNew)
    {
        const std::string now = test::readBytes(path);
        const timespec time = test::statOf(path).st_mtim;
        const bool isOld = now == oldContent;
        EXPECT_TRUE(isOld || (mayBeNew && now == newContent)) << "neither old nor new, " << now.size() << " bytes";
        const timespec &wanted = isOld ? oldTime : keptTime;
        EXPECT_EQ(time.tv_sec, wanted.tv_sec);
        EXPECT_EQ(time.tv_nsec, wanted.tv_nsec);
    }
};

// The step names of one clean in-place rewrite, in order.
std::vector<std::string> stepsOf(InPlaceJournalTest &test, const std::function<ReplaceResult()> &replace)
{
    std::vector<std::string> steps;
    setReplaceKillHook([&](const char *step) { steps.emplace_back(step); });
    const ReplaceResult result = replace();
    setReplaceKillHook({});
    EXPECT_TRUE(result.ok && result.method == ReplaceMethod::InPlace);
    (void)test;
    return steps;
}

TEST_P(InPlaceJournalTest, KilledAtAnyStepLeavesOldOrNewAfterRecovery)
{
    freshOriginal();
    const std::vector<std::string> steps = stepsOf(*this, [&] { return replace(); });
    ASSERT_GT(std::count(steps.begin(), steps.end(), "journal-seal"), 0);
    EXPECT_TRUE(leftovers().empty());
    for (std::size_t kill = 1; kill <= steps.size(); ++kill) {
        SCOPED_TRACE("killed after step " + std::to_string(kill) + " (" + steps[kill - 1] + ")");
        freshOriginal();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::size_t done = 0;
            setReplaceKillHook([&](const char *) {
                if (++done == kill)
                    ::raise(SIGKILL);
            });
            replace();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the step was never reached";
        // Asked for the folder, or for the file itself (found by its folder's listing).
        const auto recovered = recoverUnfinished({kill % 2 == 0 ? folder.path() : path});
        for (const RecoveredFile &file : recovered)
            EXPECT_TRUE(file.restored) << file.reason;
        // Once the journal is sealed and until it is emptied, the file comes back old.
        const bool journalRemoved = std::find(steps.begin(), steps.begin() + static_cast<long>(kill), "journal-empty")
            != steps.begin() + static_cast<long>(kill);
        expectOldOrNew(journalRemoved);
        EXPECT_TRUE(leftovers().empty());
    }
}

TEST_P(InPlaceJournalTest, FailureAtAnyStepLeavesTheOriginalOrTheNewContent)
{
    freshOriginal();
    const std::vector<std::string> steps = stepsOf(*this, [&] { return replace(); });
    for (std::size_t fail = 1; fail <= steps.size(); ++fail) {
        SCOPED_TRACE("failed at step " + std::to_string(fail) + " (" + steps[fail - 1] + ")");
        freshOriginal();
        std::size_t count = 0;
        setReplaceFaultHook([&](const char *) { return ++count == fail ? EIO : 0; });
        const ReplaceResult result = replace();
        setReplaceFaultHook({});
        // A rewrite reported done keeps no record of a journal it removed
        // (else the record would outlive the file), only of one it could not.
        const bool recordKept =
            std::strcmp(result.step, "journal-remove") == 0 || std::strcmp(result.step, "unregister") == 0;
        if (result.ok && !recordKept) {
            EXPECT_TRUE(leftovers().empty()) << "after a warning at " << result.step;
        }
        // Only the journal's removal after the file is new is a warning.
        // A journal a rewrite reported done leaves behind never puts the old content back.
        for (const bool recovered : {false, true}) {
            if (recovered)
                recoverUnfinished({});
            expectOldOrNew(result.ok);
            if (result.ok) {
                EXPECT_EQ(test::readBytes(path), newContent) << (recovered ? "after recovery" : "");
            }
        }
        EXPECT_TRUE(leftovers().empty());
    }
}

// With nothing in the state folder, a file named by its path is looked for
// in its folder's listing: a journal beside it is found (a torn one removed),
// a file without one left alone.
TEST(JournalRecovery, FindsAJournalBesideAFileNamedByItsPath)
{
    ScratchFolder folder;
    ScratchFolder state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    for (const char *name : {"a.mp3", "b.mp3"})
        test::writeBytes(folder.file(name), "audio");
    test::writeBytes(folder.file(".a.mp3.brantlow-journal"), "torn");
    EXPECT_TRUE(recoverUnfinished({folder.file("a.mp3"), folder.file("b.mp3")}).empty());
    EXPECT_EQ(test::entriesOf(folder.path()), (std::set<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_EQ(test::readBytes(folder.file("a.mp3")), "audio");
}

// A killed rewrite's journal is never applied to a later file that got the
// same inode number once every link of the first was deleted: its bytes
// belong to no file any more, and it goes.
TEST(InPlaceJournalReuseTest, JournalOfADeletedFileIsNotAppliedToTheFileGivenItsInode)
{
    ScratchFolder folder;
    ScratchFolder state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    const std::string path = folder.file("song.mp3");
    test::writeBytes(path, test::patternBytes(9000, 'A'));
    ASSERT_EQ(::link(path.c_str(), folder.file("other-link.mp3").c_str()), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setReplaceKillHook([](const char *step) {
            if (std::strcmp(step, "journal-syncdir") == 0)
                ::raise(SIGKILL);
        });
        replaceFileContents(path, test::bytesOf("new"), 3);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the journal was never flushed";
    const ino_t inode = test::statOf(path).st_ino;
    ::unlink(path.c_str());
    ::unlink(folder.file("other-link.mp3").c_str());
    const std::string later = "a later file";
    for (int attempt = 0; attempt < 64 && !(std::filesystem::exists(path) && test::statOf(path).st_ino == inode);
         ++attempt) {
        if (std::filesystem::exists(path))
            std::filesystem::rename(path, folder.file("filler" + std::to_string(attempt)));
        test::writeBytes(path, later);
    }
    if (test::statOf(path).st_ino != inode)
        GTEST_SKIP() << "this file system gave the inode number to no new file";
    for (const RecoveredFile &file : recoverUnfinished({folder.path()}))
        ADD_FAILURE() << file.path << ": " << (file.restored ? "put back" : file.reason);
    EXPECT_EQ(test::readBytes(path), later);
    for (const std::string &name : test::entriesOf(folder.path()))
        EXPECT_EQ(name.find("brantlow"), std::string::npos) << name << " left";
    for (const auto &entry : std::filesystem::recursive_directory_iterator(state.path()))
        EXPECT_FALSE(entry.is_regular_file()) << entry.path() << " left";
}

INSTANTIATE_TEST_SUITE_P(Edits, InPlaceJournalTest, ::testing::Combine(::testing::ValuesIn(kEdits), ::testing::Bool()),
                         [](const auto &info) {
                             std::string name = std::string(std::get<0>(info.param).name)
                                 + (std::get<1>(info.param) ? " as edits" : "");
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

} // namespace
} // namespace brantlow::platform
