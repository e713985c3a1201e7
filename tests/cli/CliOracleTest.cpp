// SPDX-License-Identifier: GPL-3.0-or-later
// Independent decoders judge the files brantlow-cli rewrote: ffprobe's
// duration, mutagen's reading of the Xing frame, mpg123's decoded samples.

#include "CliHarness.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace {

using namespace clitest;
namespace fs = std::filesystem;

// Frames in a file without a VBR header, as ffprobe counts them.
long framesCountedByFfprobe(const std::string &path)
{
    const RunResult result = run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "a:0", "-show_entries",
                                             "stream=nb_read_frames", "-of", "csv=p=0", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return std::stol(result.out);
}

// The Python that has mutagen: Debian installs it for the system Python.
std::string pythonWithMutagen()
{
    for (const char *python : {"/usr/bin/python3", "python3"})
        if (run(python, {"-c", "import mutagen.mp3"}).exitCode == 0)
            return python;
    return {};
}

class CliOracle : public ::testing::TestWithParam<Sample> {
protected:
    void SetUp() override
    {
        original = samplePath(GetParam().name).string();
        path = folder.copySample(GetParam().name);
        // Exactly this outcome: a sample that already had a header frame
        // ("already as wanted") would let every check below judge nothing.
        const RunResult add = runCli({"add", path});
        ASSERT_EQ(add.exitCode, 0) << add.err;
        ASSERT_EQ(add.outLines(),
                  (std::vector<std::string>{path + ": This File includes a VBR Header Now.",
                                            "1 file: 1 rewritten, 0 already as wanted, 0 failed."}));
    }

    TempFolder folder;
    std::string original;
    std::string path;
};

TEST_P(CliOracle, FfprobeReportsTheTrueDurationWithinOneFrame)
{
    if (!toolAvailable("ffprobe"))
        GTEST_SKIP() << "ffprobe is not installed";
    const Sample &sample = GetParam();
    const double frame = static_cast<double>(sample.samplesPerFrame) / sample.sampleRate;
    const double trueDuration = framesCountedByFfprobe(original) * frame;

    // ffprobe's WAVE reader takes durations from the RIFF header, so the MPEG
    // stream in the data chunk is judged on its own.
    std::string probed = path;
    if (sample.riff) {
        const auto bytes = readBytes(path);
        const long payload = nlohmann::json::parse(runCli({"info", "--json", original}).out)["first_frame"].get<long>();
        const std::uint32_t size = u32le(bytes, static_cast<std::size_t>(payload) - 4);
        ASSERT_LE(payload + size, bytes.size());
        probed = (folder.path() / "payload.mp3").string();
        writeBytes(probed, std::vector<std::uint8_t>(bytes.begin() + payload, bytes.begin() + payload + size));
    }
    const RunResult probe = run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", probed});
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_NEAR(std::stod(probe.out), trueDuration, frame);
}

TEST_P(CliOracle, MutagenReadsAFrameCountEqualToTheAudioFrames)
{
    const std::string python = pythonWithMutagen();
    if (python.empty())
        GTEST_SKIP() << "python3-mutagen is not installed";
    if (!toolAvailable("ffprobe"))
        GTEST_SKIP() << "ffprobe (which counts the frames) is not installed";

    // mutagen gives the length it derives from the Xing frame count; the
    // count comes back as length * rate / samples per frame. MPEGFrame reads
    // the header frame where it stands, also inside a RIFF file.
    const RunResult info = runCli({"info", "--json", path});
    const long firstFrame = nlohmann::json::parse(info.out)["first_frame"].get<long>();
    const char *script = R"(
import sys
from mutagen.mp3 import MPEGFrame
with open(sys.argv[1], 'rb') as f:
    f.seek(int(sys.argv[2]))
    frame = MPEGFrame(f)
spf = 1152 if frame.version == 1 else 576
print('sketchy' if frame.sketchy else round(frame.length * frame.sample_rate / spf))
)";
    const RunResult mutagen = run(python, {"-c", script, path, std::to_string(firstFrame)});
    ASSERT_EQ(mutagen.exitCode, 0) << mutagen.err;
    EXPECT_EQ(mutagen.outLines(), (std::vector<std::string>{std::to_string(framesCountedByFfprobe(original))}));

    if (!GetParam().riff) {
        // The whole-file reader, which also has to get past the tags.
        const char *whole = R"(
import sys
from mutagen.mp3 import MP3
i = MP3(sys.argv[1]).info
print('sketchy' if i.sketchy else round(i.length * i.sample_rate / int(sys.argv[2])))
)";
        const RunResult mp3 = run(python, {"-c", whole, path, std::to_string(GetParam().samplesPerFrame)});
        EXPECT_EQ(mp3.outLines(), mutagen.outLines()) << mp3.err;
    }
}

TEST_P(CliOracle, Mpg123DecodesTheSameSamplesAsFromTheOriginal)
{
    if (!toolAvailable("mpg123"))
        GTEST_SKIP() << "mpg123 is not installed";
    // Gapless trimming would cut the encoder delay only where a header frame
    // is present; without it both decodes must agree sample for sample.
    const RunResult test = run("mpg123", {"-t", "-q", path});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    const RunResult decoded = run("mpg123", {"--no-gapless", "-q", "-s", path});
    const RunResult reference = run("mpg123", {"--no-gapless", "-q", "-s", original});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    EXPECT_GT(decoded.out.size(), 10000u);
    EXPECT_TRUE(decoded.out == reference.out) << "decoded " << decoded.out.size() << " bytes, the original "
                                              << reference.out.size();
}

TEST_P(CliOracle, EverythingAroundTheNewFrameStaysByteForByte)
{
    const auto before = readBytes(original);
    const auto after = readBytes(path);
    ASSERT_GT(after.size(), before.size());
    const std::size_t added = after.size() - before.size();
    const long firstFrame = nlohmann::json::parse(runCli({"info", "--json", original}).out)["first_frame"].get<long>();

    // Behind the frame: the audio and any trailing ID3v1 and Lyrics3 tags.
    EXPECT_TRUE(std::equal(before.begin() + firstFrame, before.end(), after.begin() + firstFrame + static_cast<long>(added)));
    // In front of it: an ID3v2 tag, or the RIFF header with its two sizes grown.
    std::vector<std::uint8_t> head(after.begin(), after.begin() + firstFrame);
    if (GetParam().riff) {
        const std::size_t dataSize = static_cast<std::size_t>(firstFrame) - 4;
        EXPECT_EQ(u32le(head, 4), u32le(before, 4) + added);
        EXPECT_EQ(u32le(head, 4), after.size() - 8);
        EXPECT_EQ(u32le(head, dataSize), u32le(before, dataSize) + added);
        std::copy(before.begin() + 4, before.begin() + 8, head.begin() + 4);
        std::copy(before.begin() + static_cast<long>(dataSize), before.begin() + static_cast<long>(dataSize) + 4,
                  head.begin() + static_cast<long>(dataSize));
    }
    EXPECT_TRUE(std::equal(head.begin(), head.end(), before.begin()));

    const RunResult remove = runCli({"remove", path});
    EXPECT_EQ(remove.exitCode, 0) << remove.out;
    EXPECT_EQ(readBytes(path), before);
}

// The samples are in the state the tests take them for: only lame_xing.mp3
// holds a header frame, so a fixture changed on disk fails here by name.
TEST(CliOracleSamples, OnlyTheLameSampleHoldsAHeaderFrame)
{
    std::vector<std::string> names{"lame_xing.mp3"};
    for (const Sample &sample : samplesWithoutHeader())
        names.push_back(sample.name);
    for (const std::string &name : names) {
        const nlohmann::json info = nlohmann::json::parse(runCli({"info", "--json", samplePath(name).string()}).out);
        const auto &flags = info["flags"];
        EXPECT_EQ(std::find(flags.begin(), flags.end(), "vbr_header") != flags.end(), name == "lame_xing.mp3") << name;
    }
}

} // namespace

namespace clitest {
void PrintTo(const Sample &sample, std::ostream *out) { *out << sample.name; }
} // namespace clitest

namespace {

INSTANTIATE_TEST_SUITE_P(Samples, CliOracle, ::testing::ValuesIn(samplesWithoutHeader()),
                         [](const ::testing::TestParamInfo<Sample> &info) {
                             std::string name = info.param.name;
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
