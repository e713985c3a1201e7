#include "job/RewriteJob.h"
#include "platform/ExclusiveFile.h"

#include "TestFiles.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

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

    for (const int failingRead : {1, 2, 3}) {
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

} // namespace
} // namespace brantlow
