// SPDX-License-Identifier: GPL-3.0-or-later
// check and fix on files as real libraries hold them, --json and
// --files-from for the rewriting commands, and the Layer I/II note.

#include "CliHarness.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

using namespace clitest;
using json = nlohmann::json;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kRealFiles = {
    "ape_footer.mp3",    "ape_header_id3v1.mp3", "cut_frame_mid.mp3", "cut_stale.mp3",    "even_data_list.rmp",
    "id3v24_footer.mp3", "id3v2_padding.mp3",    "info_lame.mp3",     "joined_stale.mp3", "mutagen_id3_ape.mp3",
    "odd_data_list.rmp", "two_id3v2.mp3",        "vbri.mp3",          "wave_list.wav",    "xing_lame.mp3",
};

// 20 MPEG-1 frames at 128 kbit/s, 44.1 kHz (417 bytes each), all of one
// bitrate; `layerByte` is the header's second byte (0xFB Layer III, 0xFD Layer II).
std::vector<std::uint8_t> constantBitrateStream(std::uint8_t layerByte)
{
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 20; ++i) {
        std::vector<std::uint8_t> frame(417, 0x55);
        frame[0] = 0xFF;
        frame[1] = layerByte;
        frame[2] = 0x90;
        frame[3] = 0x00;
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

std::vector<json> jsonLines(const RunResult &r)
{
    std::vector<json> lines;
    for (const std::string &line : r.outLines())
        lines.push_back(json::parse(line));
    return lines;
}

TEST(CliCheckFix, CheckTellsEachVerdictAndExitsByThem)
{
    TempFolder folder;
    const std::string text = (folder.path() / "notes.mp3").string();
    writeBytes(text, std::vector<std::uint8_t>(300, 'x'));
    writeBytes(folder.path() / "cbr.mp3", constantBitrateStream(0xFB));
    struct Case {
        std::vector<std::string> files; // real files, or one the test wrote
        std::vector<std::string> lines; // "name: verdict..."
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{"xing_lame.mp3", "info_lame.mp3"}, {"xing_lame.mp3: right", "info_lame.mp3: right"}, 0},
        {{"cbr.mp3"}, {"cbr.mp3: not needed"}, 0},
        {{"vbri.mp3", "cut_frame_mid.mp3"}, {"vbri.mp3: right", "cut_frame_mid.mp3: missing"}, 1},
        {{"junk_mid.mp3"},
         {"junk_mid.mp3: unreadable (more than 1 % (or 64 KiB) of the stream is junk between its frames)"},
         1},
        {{"joined_stale.mp3"}, {"joined_stale.mp3: stale (joined: the header says 60 frames, 121 are there)"}, 1},
        {{"cut_stale.mp3"}, {"cut_stale.mp3: stale (truncated: the header says 60 frames, 33 are there)"}, 1},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"check"};
        for (const std::string &name : c.files)
            args.push_back(fs::exists(folder.path() / name) ? (folder.path() / name).string()
                                                            : folder.copySample("real/" + name, name));
        const std::vector<std::uint8_t> before = readBytes(args.back());
        const RunResult r = runCli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
        const std::vector<std::string> out = r.outLines();
        ASSERT_EQ(out.size(), c.lines.size() + 1) << r.out;
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(out[i], (folder.path() / c.lines[i]).string());
        EXPECT_EQ(readBytes(args.back()), before) << "check writes nothing";
    }
    const RunResult notAudio = runCli({"check", "--json", text});
    EXPECT_EQ(notAudio.exitCode, 1);
    EXPECT_EQ(jsonLines(notAudio).at(0)["verdict"], "unreadable");
    EXPECT_EQ(runCli({"check"}).exitCode, 2);
    EXPECT_EQ(runCli({"check", "--no-such-option", text}).exitCode, 2);
}

TEST(CliCheckFix, FixMakesEveryFileRightAndASecondFixWritesNothing)
{
    TempFolder folder;
    for (const std::string &name : kRealFiles)
        folder.copySample("real/" + name, name);
    const RunResult fixed = runCli({"fix", "--json", folder.path().string()});
    EXPECT_EQ(fixed.exitCode, 0) << fixed.err;
    std::vector<json> objects = jsonLines(fixed);
    ASSERT_EQ(objects.size(), kRealFiles.size() + 1);
    EXPECT_EQ(objects.back()["summary"]["files"], kRealFiles.size());
    for (std::size_t i = 0; i < kRealFiles.size(); ++i) {
        const json &o = objects[i];
        SCOPED_TRACE(kRealFiles[i]);
        EXPECT_NE(o["result"], "failed") << o.dump();
        ASSERT_TRUE(o["header_after"].is_object()) << o.dump();
        EXPECT_EQ(o["header_after"]["frames"], o["header_after"]["stream_frames"]);
        if (o["header_before"].is_object() && o["result"] == "rewritten" && o["header_before"]["kind"] == "Xing") {
            // Rewritten in place: the encoder's gapless fields and ReplayGain stay.
            EXPECT_EQ(o["header_after"]["extension"]["delay"], o["header_before"]["extension"]["delay"]);
            EXPECT_EQ(o["header_after"]["extension"]["track_gain"], o["header_before"]["extension"]["track_gain"]);
            EXPECT_EQ(o["header_after"]["extension"]["tag_crc_valid"], true);
        }
    }
    const RunResult checked = runCli({"check", folder.path().string()});
    EXPECT_EQ(checked.exitCode, 0) << checked.out;
    EXPECT_EQ(checked.outLines().back(), "15 files: 15 right, 0 not needed, 0 missing, 0 stale, 0 unreadable.");

    std::vector<std::vector<std::uint8_t>> after;
    for (const std::string &name : kRealFiles)
        after.push_back(readBytes(folder.path() / name));
    const RunResult again = runCli({"fix", folder.path().string()});
    EXPECT_EQ(again.outLines().back(), "15 files: 0 rewritten, 15 already as wanted, 0 failed.");
    for (std::size_t i = 0; i < kRealFiles.size(); ++i)
        EXPECT_EQ(readBytes(folder.path() / kRealFiles[i]), after[i]) << kRealFiles[i];
}

TEST(CliCheckFix, FilesFromTakesNamesByLineOrByNul)
{
    TempFolder folder;
    const std::string plain = folder.copySample("real/cut_frame_mid.mp3", "one.mp3");
    const std::string odd = folder.copySample("real/two_id3v2.mp3", "two\nlines.mp3");
    struct Case {
        const char *name;
        std::string list;
        std::vector<std::string> extra;
        std::size_t files;
    };
    for (const Case &c : {Case{"lines", plain + "\n\n" + plain + "\n", {}, 1},
                          Case{"NUL", plain + std::string(1, '\0') + odd + std::string(1, '\0'), {"-0"}, 2}}) {
        SCOPED_TRACE(c.name);
        const fs::path list = folder.path() / "list";
        std::ofstream(list, std::ios::binary) << c.list;
        std::vector<std::string> args = {"add", "-n", "--json", "--files-from", list.string()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const RunResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::vector<json> objects = jsonLines(r);
        ASSERT_EQ(objects.size(), c.files + 1) << r.out;
        EXPECT_EQ(objects.front()["result"], "would change");
        EXPECT_TRUE(objects.front()["header_before"].is_null());
        EXPECT_EQ(objects.front()["header_after"]["kind"], "Xing");
    }
    EXPECT_EQ(runCli({"add", "--files-from", (folder.path() / "missing-list").string()}).exitCode, 2);
    // A list made for -0 read by lines: a usage error before anything is written.
    const fs::path nulList = folder.path() / "nul-list";
    std::ofstream(nulList, std::ios::binary) << plain + std::string(1, '\0') + odd + std::string(1, '\0');
    const std::vector<std::uint8_t> before = readBytes(plain);
    const RunResult nul = runCli({"add", "--files-from", nulList.string()});
    EXPECT_EQ(nul.exitCode, 2) << nul.out;
    EXPECT_NE(nul.err.find("holds a NUL byte"), std::string::npos) << nul.err;
    EXPECT_EQ(readBytes(plain), before);
}

TEST(CliCheckFix, LayerIAndIINoteComesOncePerRun)
{
    TempFolder folder;
    const std::vector<std::uint8_t> layer2 = constantBitrateStream(0xFD);
    writeBytes(folder.path() / "a.mp3", layer2);
    writeBytes(folder.path() / "b.mp3", layer2);
    const std::string note = "most players ignore a VBR header frame in a Layer I or II stream";
    for (const char *command : {"info", "check", "add"}) {
        const RunResult r = runCli({command, folder.path().string()});
        const std::vector<std::string> err = r.errLines();
        EXPECT_EQ(std::count_if(err.begin(), err.end(), [&](const std::string &l) { return l.find(note) != std::string::npos; }), 1)
            << command << ": " << r.err;
    }
    const RunResult layer3 = runCli({"check", folder.copySample("real/xing_lame.mp3", "c.mp3")});
    EXPECT_EQ(layer3.err.find(note), std::string::npos);
}

} // namespace
