// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/RewriteJob.h"
#include "platform/ExclusiveFile.h"

#include "TestFiles.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace brantlow {
namespace {

namespace test = platform::test;

// A read that fails in the exclusive open, at the look at the head, at the
// tail or at the load, is reported as the read failure with the system's
// reason, never as "not MPEG audio", and the file stays as it was.
TEST(RewriteJobTest, AReadErrorIsTheLoadFailure)
{
    const char *data = std::getenv("BRANTLOW_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const std::string sample = test::readBytes(std::string(data) + "/mpeg1_stereo_vbr.mp3");
    ASSERT_FALSE(sample.empty());
    test::ScratchFolder folder;
    const std::string path = folder.file("song.mp3");
    test::writeBytes(path, sample);

    // Every read the open makes, however many the file's size asks for.
    int cleanReads = 0;
    platform::setReadFaultHook([&](const char *) { return ++cleanReads, 0; });
    {
        TBinEdit engine;
        OpenedFile opened;
        ASSERT_TRUE(openForRewrite(engine, path, opened).ok());
    }
    platform::setReadFaultHook({});
    ASSERT_GE(cleanReads, 1);
    for (int failingRead = 1; failingRead <= cleanReads; ++failingRead) {
        for (const int error : {EIO, ENOMEM}) {
            SCOPED_TRACE("read " + std::to_string(failingRead) + ": " + std::strerror(error));
            int reads = 0;
            platform::setReadFaultHook([&](const char *) { return ++reads == failingRead ? error : 0; });
            TBinEdit engine;
            const RewriteResult result = rewriteFile(engine, path, RewriteOptions{});
            platform::setReadFaultHook({});
            EXPECT_GE(reads, failingRead) << "the failing read was never made";
            EXPECT_EQ(result.step, RewriteStep::Load);
            EXPECT_EQ(result.reason, std::strerror(error));
            EXPECT_STREQ(batchFailureText(result.step), "Cannot open this File.");
            EXPECT_EQ(test::readBytes(path), sample);
        }
    }
}

// A file found by a folder scan is opened only while its path still names
// the file the scan found (device and inode): a file put in its place since,
// even in the same folder and so on the same device, is refused.
TEST(RewriteJobTest, AFileNotTheOneTheScanFoundIsRefused)
{
    const char *data = std::getenv("BRANTLOW_TEST_DATA");
    ASSERT_NE(data, nullptr);
    const std::string sample = test::readBytes(std::string(data) + "/mpeg1_stereo_vbr.mp3");
    test::ScratchFolder folder;
    const std::string path = folder.file("song.mp3");
    test::writeBytes(path, sample);
    test::writeBytes(folder.file("other.mp3"), sample);
    struct stat song {};
    struct stat other {};
    ASSERT_EQ(::stat(path.c_str(), &song), 0);
    ASSERT_EQ(::stat(folder.file("other.mp3").c_str(), &other), 0);

    struct Case {
        const char *what;
        ScannedAs scanned;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"the file found", {song.st_dev, song.st_ino}, false},
        {"not found by a scan", {}, false},
        {"another file of the folder", {song.st_dev, other.st_ino}, true},
        {"the same inode on another device", {song.st_dev + 1, song.st_ino}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TBinEdit engine;
        OpenedFile opened;
        const RewriteResult result = openForRewrite(engine, path, opened, c.scanned);
        EXPECT_EQ(result.ok() ? "" : reasonText(result),
                  c.refused ? "Cannot open this File. (changed since the folder scan)" : "");
    }
}

TEST(RewriteJobTest, ReasonTextGivesTheStepTheNumberAndTheWords)
{
    struct Case {
        RewriteResult result;
        const char *text;
    };
    const std::vector<Case> cases = {
        {{RewriteStep::Analyze, 13, 0, "PCM WAVE"}, "This file is not MPEG/Audio. (error 13: PCM WAVE)"},
        {{RewriteStep::Rewrite, 44, 0, ""}, "Cannot Add/Remove a VBR Header. (error 44)"},
        {{RewriteStep::Open, -1, ENOENT, "No such file or directory"},
         "Cannot open this File. (No such file or directory)"},
        {{RewriteStep::Save, -1, 0, ""}, "Cannot Add/Remove a VBR Header."},
    };
    for (const Case &c : cases)
        EXPECT_EQ(reasonText(c.result), c.text);
}

} // namespace
} // namespace brantlow
