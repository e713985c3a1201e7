// SPDX-License-Identifier: GPL-3.0-or-later
// brantlow-cli info: the facts it reports, as JSON and as text.

#include "CliHarness.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using namespace clitest;
using nlohmann::json;

json infoOf(const std::string &path)
{
    const RunResult result = runCli({"info", "--json", path});
    const auto lines = result.outLines();
    EXPECT_EQ(lines.size(), 1u) << result.out << result.err;
    return lines.empty() ? json() : json::parse(lines.front());
}

TEST(CliInfo, DescribesEachSampleFromItsFirstFrameAndTags)
{
    struct Expected {
        const char *name;
        int firstFrame;
        std::vector<std::string> flags;
    };
    // ID3v2 tags written by make-samples: 10 header bytes + TIT2 frame + 64 bytes of padding.
    const Expected expectedTags[] = {
        {"mpeg1_stereo_vbr.mp3", 0, {}},
        {"id3v2.mp3", 10 + 10 + 1 + 21 + 64, {"id3v2"}},
        {"id3v1.mp3", 0, {"id3v1"}},
        {"lyrics3_id3v1.mp3", 0, {"id3v1", "lyrics3"}},
        {"all_tags.mp3", 10 + 10 + 1 + 8 + 64, {"id3v1", "lyrics3", "id3v2"}},
        {"wave_mpeg.wav", 70, {"wave"}},
        {"riff.rmp", 20, {"rmp3"}},
    };
    for (const Expected &e : expectedTags) {
        const json info = infoOf(samplePath(e.name).string());
        EXPECT_EQ(info["result"], "described") << e.name;
        EXPECT_EQ(info["first_frame"], e.firstFrame) << e.name;
        EXPECT_EQ(info["flags"].get<std::vector<std::string>>(), e.flags) << e.name;
        EXPECT_FALSE(info.contains("xing")) << e.name;
    }
    for (const Sample &sample : samplesWithoutHeader()) {
        const json info = infoOf(samplePath(sample.name).string());
        EXPECT_EQ(info["path"], samplePath(sample.name).string());
        EXPECT_EQ(info["mpeg_version"], sample.mpegVersion) << sample.name;
        EXPECT_EQ(info["layer"], 3) << sample.name;
        EXPECT_EQ(info["sample_rate"], sample.sampleRate) << sample.name;
        EXPECT_EQ(info["channel_mode"], sample.channelMode) << sample.name;
        EXPECT_EQ(info["first_header"].get<std::string>().size(), 8u) << sample.name;
        EXPECT_EQ(info["first_header"].get<std::string>().substr(0, 2), "FF") << sample.name;
        const double frames = info["audio_frames"].get<double>();
        EXPECT_NEAR(info["duration_ms"].get<double>(), frames * sample.samplesPerFrame * 1000.0 / sample.sampleRate, 1.0)
            << sample.name;
    }
}

TEST(CliInfo, ReadsTheXingFrameAndCountsOnlyTheFramesBehindIt)
{
    // lame wrote 116 audio frames and its own Xing frame in front of them.
    const json withXing = infoOf(samplePath("lame_xing.mp3").string());
    EXPECT_EQ(withXing["flags"], json::array({"vbr_header"}));
    EXPECT_EQ(withXing["audio_frames"], 116);
    ASSERT_TRUE(withXing.contains("xing"));
    EXPECT_EQ(withXing["xing"]["frames"], 116);
    EXPECT_EQ(withXing["xing"]["bytes"], 20972);
    EXPECT_EQ(withXing["xing"]["toc"].size(), 100u);

    const json without = infoOf(samplePath("mpeg1_stereo_vbr.mp3").string());
    EXPECT_EQ(without["audio_frames"], 116);
    EXPECT_EQ(without["duration_ms"], withXing["duration_ms"]);
}

TEST(CliInfo, AfterAnAddTheXingFrameDescribesTheAudio)
{
    TempFolder folder;
    for (const Sample &sample : samplesWithoutHeader()) {
        const std::string path = folder.copySample(sample.name);
        const json before = infoOf(path);
        ASSERT_EQ(runCli({"add", path}).exitCode, 0) << sample.name;
        const json after = infoOf(path);
        ASSERT_TRUE(after.contains("xing")) << sample.name;
        const json &xing = after["xing"];
        EXPECT_EQ(xing["flags"], 7) << sample.name;
        EXPECT_EQ(xing["frames"], before["audio_frames"]) << sample.name;
        EXPECT_EQ(after["audio_frames"], before["audio_frames"]) << sample.name;
        EXPECT_EQ(after["duration_ms"], before["duration_ms"]) << sample.name;
        // The bytes field counts the header frame and the audio behind it.
        EXPECT_EQ(xing["bytes"], after["audio_size"]) << sample.name;
        const auto toc = xing["toc"].get<std::vector<int>>();
        ASSERT_EQ(toc.size(), 100u);
        EXPECT_EQ(toc.front(), 0) << sample.name;
        EXPECT_TRUE(std::is_sorted(toc.begin(), toc.end())) << sample.name;
        EXPECT_LE(toc.back(), 255) << sample.name;
        EXPECT_GT(toc.back(), 200) << sample.name;
    }
}

TEST(CliInfo, FailuresCarryTheEngineNumberAndTheBatchText)
{
    TempFolder folder;
    const std::string text = (folder.path() / "text.mp3").string();
    writeBytes(text, std::vector<std::uint8_t>(500, 'a'));
    // An MPEG WAVE without a data chunk passes the first look; the analysis refuses it.
    std::vector<std::uint8_t> noData = {'R', 'I', 'F', 'F', 28, 0, 0, 0, 'W', 'A', 'V', 'E',
                                        'f', 'm', 't', ' ', 16, 0, 0, 0, 0x55, 0};
    noData.resize(36, 0);
    const std::string sync = (folder.path() / "nodata.wav").string();
    writeBytes(sync, noData);
    const std::string missing = (folder.path() / "missing.mp3").string();
    // A name that is not UTF-8 is given as its bytes.
    const std::string latin1 = (folder.path() / "caf\xe9.mp3").string();
    writeBytes(latin1, std::vector<std::uint8_t>(500, 'a'));

    const RunResult result = runCli({"info", "--json", text, sync, missing, latin1});
    EXPECT_EQ(result.exitCode, 1);
    const auto lines = result.outLines();
    ASSERT_EQ(lines.size(), 4u);
    // Every record begins alike; the reason is the failure line's text.
    const std::string noSync = "This file is not MPEG/Audio. (not MPEG audio: no frame sync in the first 64 KiB)";
    const json unread = {{"verdict", "unreadable"}, {"truncated", nullptr}, {"header", nullptr}};
    json expected = {{"path", text}, {"result", "failed"}, {"error_code", nullptr}, {"reason", noSync}};
    expected.update(unread);
    EXPECT_EQ(json::parse(lines[0]), expected);
    const json engineRefusal = json::parse(lines[1]);
    EXPECT_EQ(engineRefusal["reason"], "This file is not MPEG/Audio. (error 14: WAVE file without a data chunk)");
    EXPECT_EQ(engineRefusal["error_code"], 14) << lines[1];
    expected = {{"path", missing},
                {"result", "failed"},
                {"error_code", nullptr},
                {"reason", "Cannot open this File. (No such file or directory)"}};
    expected.update(unread);
    EXPECT_EQ(json::parse(lines[2]), expected);
    const json bytes = json::parse(lines[3]);
    ASSERT_TRUE(bytes["path"].is_object()) << lines[3];
    if (toolAvailable("python3")) {
        const RunResult encoded = run("python3", {"-c",
                                                  "import base64, os, sys; "
                                                  "print(base64.b64encode(os.fsencode(sys.argv[1])).decode())",
                                                  latin1});
        EXPECT_EQ(bytes["path"]["bytes"], encoded.outLines().at(0));
    }
}

TEST(CliInfo, TextFormTellsThePersonTheSameFacts)
{
    const std::string path = samplePath("lame_xing.mp3").string();
    const RunResult result = runCli({"info", path});
    EXPECT_EQ(result.exitCode, 0);
    const auto lines = result.outLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), path + ": This File includes a VBR Header.");
    EXPECT_NE(result.out.find("MPEG-1 Layer III, 44100 Hz, joint_stereo"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("116 frames, 20972 bytes"), std::string::npos) << result.out;
    EXPECT_EQ(lines.back(), "1 file: 1 described, 0 failed.");
}

} // namespace
