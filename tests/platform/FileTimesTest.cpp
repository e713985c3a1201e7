// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExclusiveFile.h"
#include "platform/FileIdentity.h"
#include "platform/FileTimes.h"
#include "platform/SafeReplace.h"

#include "TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void setTimes(const std::string &path, timespec access, timespec write)
{
    const timespec stamps[2] = {access, write};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), stamps, 0), 0);
}

class FileTimesTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string path = folder.file("song.mp3");
    void SetUp() override { test::writeBytes(path, "original"); }
};

// The replace puts the captured last-write time onto the new content, by
// rename and in place (a second hard link), and returns the new identity;
// without a time to keep, the new content has the current time.
TEST_F(FileTimesTest, ReplaceKeepsTheCapturedLastWriteTime)
{
    const timespec oldWrite{1'000'000'000, 123'456'789};
    const timespec oldAccess{1'100'000'000, 5};
    for (const bool hardLink : {false, true}) {
        for (const bool keep : {true, false}) {
            SCOPED_TRACE(std::string(hardLink ? "in place" : "rename") + (keep ? ", kept" : ", not kept"));
            test::writeBytes(path, "original");
            const std::string link = folder.file("link.mp3");
            ::unlink(link.c_str());
            if (hardLink) {
                ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
            }
            setTimes(path, oldAccess, oldWrite);

            FileTimes captured;
            {
                ExclusiveFile file;
                ASSERT_TRUE(file.open(path, FileAccess::Read));
                ASSERT_TRUE(captureFileTimes(file, captured));
            }
            EXPECT_TRUE(sameTime(captured.lastWrite, oldWrite));

            const std::string content = "rewritten content";
            const ReplaceResult result = replaceFileContents(path, test::bytesOf(content), content.size(), {},
                                                             keep ? &captured.lastWrite : nullptr);
            ASSERT_TRUE(result.ok) << result.step;
            EXPECT_EQ(result.method, hardLink ? ReplaceMethod::InPlace : ReplaceMethod::Rename);
            const struct stat after = test::statOf(path);
            EXPECT_EQ(sameTime(after.st_mtim, oldWrite), keep);
            if (hardLink) {
                EXPECT_TRUE(sameTime(after.st_atim, oldAccess)) << "the access time is left as it is";
            }
            EXPECT_EQ(test::readBytes(path), content);
            ExclusiveFile file;
            ASSERT_TRUE(file.open(path, FileAccess::Read));
            EXPECT_EQ(result.identity, identityOf(file.fd()));
        }
    }
}

TEST_F(FileTimesTest, CreationTimeIsCapturedWhereTheFileSystemHasOne)
{
    ExclusiveFile file;
    ASSERT_TRUE(file.open(path, FileAccess::Read));
    FileTimes times;
    ASSERT_TRUE(captureFileTimes(file, times));
    struct statx stx {};
    ASSERT_EQ(::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &stx), 0);
    EXPECT_EQ(times.hasCreation, (stx.stx_mask & STATX_BTIME) != 0);
    if (times.hasCreation) {
        EXPECT_EQ(times.creation.tv_sec, stx.stx_btime.tv_sec);
        EXPECT_EQ(times.creation.tv_nsec, stx.stx_btime.tv_nsec);
    }
}

TEST(FileTimesClosed, FailOnAClosedFile)
{
    ExclusiveFile closed;
    FileTimes times;
    EXPECT_FALSE(captureFileTimes(closed, times));
}

TEST_F(FileTimesTest, IdentityTellsWhetherTheFileChanged)
{
    EXPECT_FALSE(identityOf(-1).valid());

    auto identityNow = [this] {
        ExclusiveFile file;
        EXPECT_TRUE(file.open(path, FileAccess::Read));
        return identityOf(file.fd());
    };
    const FileIdentity loaded = identityNow();
    ASSERT_TRUE(loaded.valid());
    EXPECT_EQ(loaded.size, 8);
    EXPECT_EQ(loaded, identityNow());

    setTimes(path, {0, UTIME_OMIT}, {1'000'000'000, 1});
    const FileIdentity touched = identityNow();
    EXPECT_FALSE(loaded == touched) << "a new last-write time is a change";

    test::writeBytes(path, "longer than before");
    setTimes(path, {0, UTIME_OMIT}, {1'000'000'000, 1});
    EXPECT_FALSE(touched == identityNow()) << "a new size is a change";

    test::writeBytes(path, "original");
    setTimes(path, {0, UTIME_OMIT}, {1'000'000'000, 1});
    EXPECT_EQ(touched, identityNow()) << "same inode, size and time";

    const std::string next = "replaced";
    ASSERT_TRUE(replaceFileContents(path, test::bytesOf(next), next.size()).ok);
    setTimes(path, {0, UTIME_OMIT}, {1'000'000'000, 1});
    EXPECT_FALSE(touched == identityNow()) << "a replaced file is another inode";
}

} // namespace
} // namespace brantlow::platform
