// SPDX-License-Identifier: GPL-3.0-or-later
// brantlow-cli add and remove, end to end: output lines, exit status, what
// is left on disk.

#include "CliHarness.h"
#include "platform/JournalFormat.h"
#include "platform/TempNames.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace clitest;
namespace fs = std::filesystem;

const std::string kAdded = ": This File includes a VBR Header Now.";
const std::string kRemoved = ": This File includes no VBR Header Now.";

timespec lastWrite(const std::string &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

void setLastWrite(const std::string &path, time_t seconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(CliRewrite, AddThenRemoveGivesBackEveryFileByteForByte)
{
    TempFolder folder;
    std::vector<std::string> paths;
    std::vector<std::string> addLines;
    std::vector<std::string> removeLines;
    for (const Sample &sample : samplesWithoutHeader()) {
        paths.push_back(folder.copySample(sample.name));
        addLines.push_back(paths.back() + kAdded);
        removeLines.push_back(paths.back() + kRemoved);
    }
    const std::string summary = std::to_string(paths.size()) + " files: " + std::to_string(paths.size())
        + " rewritten, 0 already as wanted, 0 failed.";
    addLines.push_back(summary);
    removeLines.push_back(summary);

    const RunResult add = runCli([&] { std::vector<std::string> a{"add"}; a.insert(a.end(), paths.begin(), paths.end()); return a; }());
    EXPECT_EQ(add.exitCode, 0) << add.err;
    EXPECT_EQ(add.outLines(), addLines);
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_GT(fs::file_size(paths[i]), fs::file_size(samplePath(samplesWithoutHeader()[i].name))) << paths[i];

    const RunResult remove = runCli([&] { std::vector<std::string> a{"remove"}; a.insert(a.end(), paths.begin(), paths.end()); return a; }());
    EXPECT_EQ(remove.exitCode, 0) << remove.err;
    EXPECT_EQ(remove.outLines(), removeLines);
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(readBytes(paths[i]), readBytes(samplePath(samplesWithoutHeader()[i].name))) << paths[i];
}

TEST(CliRewrite, RemovingLamesOwnXingFrameLeavesTheFramesLameWroteWithoutIt)
{
    TempFolder folder;
    const std::string path = folder.copySample("lame_xing.mp3");
    const RunResult result = runCli({"remove", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.outLines().front(), path + kRemoved);
    EXPECT_EQ(readBytes(path), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

TEST(CliRewrite, AFileAlreadyInTheWantedStateIsReportedAndLeftAlone)
{
    TempFolder folder;
    const std::string withHeader = folder.copySample("lame_xing.mp3");
    const std::string without = folder.copySample("mpeg2_mono_vbr.mp3");
    struct Case {
        const char *command;
        std::string path;
        std::string line;
    };
    const Case cases[] = {
        {"add", withHeader, withHeader + ": This file includes a VBR Header."},
        {"remove", without, without + ": This file includes no VBR header."},
    };
    for (const Case &c : cases) {
        const auto before = readBytes(c.path);
        const RunResult result = runCli({c.command, c.path});
        EXPECT_EQ(result.exitCode, 0) << c.command;
        EXPECT_EQ(result.outLines(),
                  (std::vector<std::string>{c.line, "1 file: 0 rewritten, 1 already as wanted, 0 failed."}));
        EXPECT_EQ(readBytes(c.path), before);
    }
}

TEST(CliRewrite, FilesThatCannotBeRewrittenFailWithTheirTextAndChangeNothing)
{
    TempFolder folder;
    const std::string text = (folder.path() / "notes.mp3").string();
    writeBytes(text, std::vector<std::uint8_t>(300, 'x'));
    const std::string empty = (folder.path() / "empty.mp3").string();
    writeBytes(empty, {});
    // RIFF WAVE with PCM audio: format tag 1.
    std::vector<std::uint8_t> pcm = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0};
    pcm.resize(200, 0);
    const std::string pcmWave = (folder.path() / "pcm.wav").string();
    writeBytes(pcmWave, pcm);
    const std::string missing = (folder.path() / "missing.mp3").string();

    struct Case {
        std::string path;
        std::string line;
    };
    const std::vector<Case> cases = {
        {text, text + ": This file is not MPEG/Audio. (not MPEG audio: no frame sync in the first 64 KiB)"},
        {empty, empty + ": This file is not MPEG/Audio. (not MPEG audio: no frame sync in the first 64 KiB)"},
        {pcmWave, pcmWave + ": This file is not MPEG/Audio. (PCM WAVE)"},
        {missing, missing + ": Cannot open this File. (No such file or directory)"},
    };
    for (const char *command : {"add", "remove"}) {
        for (const Case &c : cases) {
            const bool existed = fs::exists(c.path);
            const auto before = existed ? readBytes(c.path) : std::vector<std::uint8_t>{};
            const RunResult result = runCli({command, c.path});
            EXPECT_EQ(result.exitCode, 1) << command << ' ' << c.path;
            EXPECT_EQ(result.errLines(), (std::vector<std::string>{c.line})) << command;
            EXPECT_EQ(result.outLines(),
                      (std::vector<std::string>{"1 file: 0 rewritten, 0 already as wanted, 1 failed."}))
                << command;
            EXPECT_EQ(fs::exists(c.path), existed);
            if (existed) {
                EXPECT_EQ(readBytes(c.path), before);
            }
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3) << "no file left behind";
}

TEST(CliRewrite, AFileWhoseInterruptedRewriteCannotBePutBackIsLeftAlone)
{
    TempFolder folder;
    const std::string path = folder.copySample("mpeg1_stereo_vbr.mp3", "song.mp3");
    // A sealed journal beside it that names another file: it cannot put this one back.
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    const brantlow::platform::detail::JournalHeader header{info.st_dev, info.st_ino + 1, 0, 0, 0, 0};
    const std::string journal =
        (folder.path() / brantlow::platform::detail::hiddenName("song.mp3", ".brantlow-journal")).string();
    const int fd = ::open(journal.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(brantlow::platform::detail::writeHeader(fd, header));
    ::close(fd);
    const RunResult result = runCli({"add", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("its journal was made for another file of that name"), std::string::npos) << result.err;
    EXPECT_EQ(readBytes(path), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

TEST(CliRewrite, AFileLockedByAnotherProgramCannotBeOpened)
{
    TempFolder folder;
    const std::string path = folder.copySample("mpeg1_stereo_vbr.mp3");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const RunResult result = runCli({"add", path});
    ::close(fd);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.errLines(), (std::vector<std::string>{path + ": Cannot open this File. (Resource temporarily unavailable)"}));
    EXPECT_EQ(readBytes(path), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

TEST(CliRewrite, ParallelJobsStillReportInInputOrder)
{
    TempFolder folder;
    std::vector<std::string> args{"add", "-j", "4"};
    std::vector<std::string> expected;
    // Files of different sizes and outcomes, named against their order so
    // that any sorting would show.
    const char *names[] = {"mpeg1_stereo_vbr.mp3", "lame_xing.mp3", "mpeg25_mono_8k_vbr.mp3", "wave_mpeg.wav", "id3v2.mp3"};
    for (int i = 0; i < 30; ++i) {
        const std::string name = names[i % 5];
        const std::string path = folder.copySample(name, std::to_string(99 - i) + "_" + name);
        args.push_back(path);
        expected.push_back(path + (name == "lame_xing.mp3" ? ": This file includes a VBR Header." : kAdded));
    }
    args.push_back((folder.path() / "missing.mp3").string());
    expected.push_back("31 files: 24 rewritten, 6 already as wanted, 1 failed.");

    const RunResult result = runCli(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.outLines(), expected);
    EXPECT_EQ(result.errLines(), (std::vector<std::string>{args.back() + ": Cannot open this File. (No such file or directory)"}));
}

TEST(CliRewrite, DryRunReportsWhatWouldChangeAndWritesNothing)
{
    TempFolder folder;
    const std::string plain = folder.copySample("mpeg2_stereo_vbr.mp3");
    const std::string withHeader = folder.copySample("lame_xing.mp3");
    setLastWrite(plain, 1000000000);
    setLastWrite(withHeader, 1000000000);

    const RunResult add = runCli({"add", "-n", plain, withHeader});
    EXPECT_EQ(add.exitCode, 0);
    EXPECT_EQ(add.outLines(), (std::vector<std::string>{plain + ": A VBR Header would be added.",
                                                        withHeader + ": This file includes a VBR Header.",
                                                        "2 files: 1 would change, 1 already as wanted, 0 failed."}));
    const RunResult remove = runCli({"remove", "--dry-run", plain, withHeader});
    EXPECT_EQ(remove.exitCode, 0);
    EXPECT_EQ(remove.outLines(), (std::vector<std::string>{plain + ": This file includes no VBR header.",
                                                           withHeader + ": The VBR Header would be removed.",
                                                           "2 files: 1 would change, 1 already as wanted, 0 failed."}));

    EXPECT_EQ(readBytes(plain), readBytes(samplePath("mpeg2_stereo_vbr.mp3")));
    EXPECT_EQ(readBytes(withHeader), readBytes(samplePath("lame_xing.mp3")));
    for (const std::string &path : {plain, withHeader}) {
        EXPECT_EQ(lastWrite(path).tv_sec, 1000000000);
        EXPECT_EQ(lastWrite(path).tv_nsec, 123456789);
    }
}

TEST(CliRewrite, QuietPrintsFailuresOnly)
{
    TempFolder folder;
    const std::string good = folder.copySample("mpeg1_stereo_vbr.mp3");
    const std::string already = folder.copySample("lame_xing.mp3");
    const std::string missing = (folder.path() / "gone.mp3").string();
    const RunResult result = runCli({"add", "-q", good, already, missing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.errLines(), (std::vector<std::string>{missing + ": Cannot open this File. (No such file or directory)"}));
    EXPECT_NE(readBytes(good), readBytes(samplePath("mpeg1_stereo_vbr.mp3"))) << "-q still rewrites";

    const RunResult allGood = runCli({"remove", "-q", good});
    EXPECT_EQ(allGood.exitCode, 0);
    EXPECT_EQ(allGood.out, "");
}

TEST(CliRewrite, TimeStampsAreKeptUnlessAskedOtherwise)
{
    TempFolder folder;
    const std::string kept = folder.copySample("mpeg1_stereo_vbr.mp3", "kept.mp3");
    const std::string touched = folder.copySample("mpeg1_stereo_vbr.mp3", "touched.mp3");
    setLastWrite(kept, 1000000000);
    setLastWrite(touched, 1000000000);

    EXPECT_EQ(runCli({"add", kept}).exitCode, 0);
    EXPECT_EQ(runCli({"add", "--no-keep-times", touched}).exitCode, 0);
    EXPECT_EQ(lastWrite(kept).tv_sec, 1000000000);
    EXPECT_EQ(lastWrite(kept).tv_nsec, 123456789);
    EXPECT_GT(lastWrite(touched).tv_sec, 1000000000);

    EXPECT_EQ(runCli({"remove", kept}).exitCode, 0);
    EXPECT_EQ(lastWrite(kept).tv_sec, 1000000000);
    EXPECT_EQ(readBytes(kept), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

// A Xing frame followed by `gap` zero bytes before the first audio frame, as
// some writers leave it.
std::string headerFrameWithGap(const TempFolder &folder, const std::string &name, std::size_t gap)
{
    const std::string path = folder.copySample("mpeg1_stereo_vbr.mp3", name);
    EXPECT_EQ(runCli({"add", path}).exitCode, 0);
    auto bytes = readBytes(path);
    const std::size_t headerLength = bytes.size() - fs::file_size(samplePath("mpeg1_stereo_vbr.mp3"));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(headerLength), gap, 0);
    writeBytes(path, bytes);
    return path;
}

TEST(CliRewrite, SeekRangeReachesTheFirstFrameBehindAHeaderFrameThatIsLongerThanItSays)
{
    TempFolder folder;
    const std::string near = headerFrameWithGap(folder, "near.mp3", 3);
    const std::string far = headerFrameWithGap(folder, "far.mp3", 5);
    const std::string notAudio = (folder.path() / "text.mp3").string();
    writeBytes(notAudio, std::vector<std::uint8_t>(200, 't'));
    const auto farBefore = readBytes(far);

    // One worker: the failure before must not lend its number to the search
    // failure, which has none of its own.
    const RunResult byDefault = runCli({"remove", "-j", "1", notAudio, near, far});
    EXPECT_EQ(byDefault.exitCode, 1);
    EXPECT_EQ(byDefault.outLines(), (std::vector<std::string>{near + kRemoved,
                                                              "3 files: 1 rewritten, 0 already as wanted, 2 failed."}));
    EXPECT_EQ(byDefault.errLines(),
              (std::vector<std::string>{
                  notAudio + ": This file is not MPEG/Audio. (not MPEG audio: no frame sync in the first 64 KiB)",
                  far
                      + ": Cannot Add/Remove a VBR Header. (no frame follows the header frame "
                        "within the seek range)"}));
    EXPECT_EQ(readBytes(near), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
    EXPECT_EQ(readBytes(far), farBefore);

    const RunResult wider = runCli({"remove", "--seek-range", "5", far});
    EXPECT_EQ(wider.exitCode, 0);
    EXPECT_EQ(readBytes(far), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

} // namespace
