// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include "ImageBytes.h"
#include "engine/Binedit.h"

#include <gtest/gtest.h>

using namespace brantlow;
using synth::Bytes;

namespace {

std::unique_ptr<TBinEdit> analyse(const Bytes &image, std::int32_t *result)
{
    auto engine = std::make_unique<TBinEdit>();
    engine->LoadImage(image.data(), static_cast<std::int64_t>(image.size()));
    *result = engine->Analyze();
    return engine;
}

TEST(Analysis, PlainStreamWithTrailingTags)
{
    Bytes image = synth::mpeg1Frames(4);
    synth::append(image, synth::lyrics3(100));
    synth::append(image, synth::id3v1());
    std::int32_t ok = 0;
    auto e = analyse(image, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(e->Structure, sfId3v1 | sfLyrics3);
    EXPECT_EQ(e->AudioSize, std::int32_t(image.size()) - 128 - 115);
    EXPECT_EQ(e->FirstFrame, 0);
    EXPECT_FALSE(e->HasVbrHeader());
}

TEST(Analysis, Lyrics3WithoutId3v1IsNotRecognised)
{
    Bytes image = synth::mpeg1Frames(4);
    synth::append(image, synth::lyrics3(100));
    std::int32_t ok = 0;
    auto e = analyse(image, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(e->Structure, 0);
    EXPECT_EQ(e->AudioSize, std::int32_t(image.size()));
}

// Tags as real files carry them: the audio is what lies between.
TEST(Analysis, TagsInTheWild)
{
    auto ape = [](bool header) {
        Bytes tag;
        if (header) {
            synth::append(tag, "APETAGEX");
            tag.resize(32, 0);
        }
        tag.resize(tag.size() + 40, 'i'); // items
        synth::append(tag, "APETAGEX");
        synth::appendLe32(tag, 2000);
        synth::appendLe32(tag, 40 + 32);
        synth::appendLe32(tag, 1);
        synth::appendLe32(tag, header ? 0x80000000u : 0);
        tag.resize(tag.size() + 8, 0);
        return tag;
    };
    auto id3v24 = [](bool footerFlag, bool footer) {
        Bytes tag = synth::id3v2(20);
        tag[3] = 4;
        tag[5] = footerFlag ? 0x10 : 0;
        if (footer) {
            synth::append(tag, "3DI");
            tag.insert(tag.end(), tag.begin() + 3, tag.begin() + 10);
        }
        return tag;
    };
    const Bytes frames = synth::mpeg1Frames(4);
    struct Case {
        const char *name;
        Bytes before;
        Bytes after;
        std::int32_t structure;
    };
    Bytes apeLyricsId3v1 = ape(true);
    synth::append(apeLyricsId3v1, synth::lyrics3(100));
    synth::append(apeLyricsId3v1, synth::id3v1());
    Bytes apeId3v1 = ape(false);
    synth::append(apeId3v1, synth::id3v1());
    Bytes twoTags = synth::id3v2(30);
    synth::append(twoTags, synth::id3v2(50));
    const std::vector<Case> cases = {
        {"APEv2 with header at the end", {}, ape(true), sfApeV2},
        {"APEv2 footer only, then ID3v1", {}, apeId3v1, sfApeV2 | sfId3v1},
        {"APEv2, Lyrics3, ID3v1", {}, apeLyricsId3v1, sfApeV2 | sfLyrics3 | sfId3v1},
        {"ID3v2.4 with footer", id3v24(true, true), {}, sfId3v2},
        {"ID3v2.4 footer flag without footer", id3v24(true, false), {}, sfId3v2},
        {"two ID3v2 tags", twoTags, {}, sfId3v2},
    };
    for (const Case &c : cases) {
        Bytes image = c.before;
        synth::append(image, frames);
        synth::append(image, c.after);
        std::int32_t ok = 0;
        auto e = analyse(image, &ok);
        ASSERT_EQ(ok, 1) << c.name;
        EXPECT_EQ(e->Structure, c.structure) << c.name;
        EXPECT_EQ(e->FirstFrame, std::int32_t(c.before.size())) << c.name;
        EXPECT_EQ(e->AudioSize, std::int32_t(frames.size())) << c.name;
    }
}

TEST(Analysis, Id3v2TagPlacesTheFirstFrame)
{
    Bytes image = synth::id3v2(2048);
    ASSERT_EQ(image[8], 0x10);
    synth::append(image, synth::mpeg1Frames(3));
    std::int32_t ok = 0;
    auto e = analyse(image, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(e->FirstFrame, 2058);
    EXPECT_EQ(e->AudioSize, std::int32_t(image.size()) - 2058);
    EXPECT_EQ(e->Structure, sfId3v2);
    EXPECT_EQ(e->Image->Position(), 2058);
}

// Where the audio starts, with or without a tag before it, the first frame
// is the first header frame within 64 KiB, or else the first place where four
// frames of one stream chain (or two that end the audio); what lies before is
// junk. Four frames of the header's stream before it make a joined file.
TEST(Analysis, FindsTheFirstFrameAfterJunkWithOrWithoutATag)
{
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes &part : parts)
            synth::append(out, part);
        return out;
    };
    auto headerFrame = []() {
        Bytes frame = synth::frame(0xFB, 0x50, 0x00, 208);
        std::copy_n("Xing", 4, frame.begin() + 36);
        return frame;
    };
    Bytes stray16k; // two frames of another stream: MPEG-2, 16 kHz
    for (int i = 0; i < 2; ++i)
        synth::append(stray16k, synth::frame(0xF3, 0x48, 0x00, 144));
    Bytes noSync = synth::mpeg1Frames(2);
    noSync[1] = 0x00;
    Bytes mp4(8, 0);
    std::copy_n("ftyp", 4, mp4.begin() + 4);
    struct Case {
        const char *name;
        Bytes image;
        std::int32_t firstFrame; // -1: refused
        std::int32_t error = 0;
    };
    const std::vector<Case> cases = {
        {"one byte before the frame", join({Bytes{0x00}, synth::mpeg1Frames(2)}), 1},
        {"1000 bytes of junk", join({Bytes(1000, 0x11), synth::mpeg1Frames(5)}), 1000},
        {"padding after a tag", join({synth::id3v2(64), Bytes(16, 0x00), synth::mpeg1Frames(2)}), 74 + 16},
        {"a frame cut at the front", join({Bytes(300, 0x00), synth::mpeg1Frames(5)}), 300},
        {"stray frames of another stream before a header frame", join({stray16k, headerFrame(), synth::mpeg1Frames(5)}),
         288},
        {"two frames of the stream before a header frame",
         join({synth::mpeg1Frames(2), headerFrame(), synth::mpeg1Frames(5)}), 2 * 417},
        {"four frames of the stream before a header frame: joined",
         join({synth::mpeg1Frames(4), headerFrame(), synth::mpeg1Frames(5)}), 0},
        {"FF 00", noSync, -1, 10},
        {"empty", Bytes{}, -1, 10},
        {"an MP4 file", join({mp4, synth::mpeg1Frames(5)}), -1, 16},
        {"a FLAC file after a tag", join({synth::id3v2(20), Bytes{'f', 'L', 'a', 'C'}, synth::mpeg1Frames(5)}), -1, 16},
    };
    for (const Case &c : cases) {
        std::int32_t ok = -1;
        auto e = analyse(c.image, &ok);
        EXPECT_EQ(ok, c.firstFrame >= 0 ? 1 : 0) << c.name;
        if (ok)
            EXPECT_EQ(e->FirstFrame, c.firstFrame) << c.name;
        else
            EXPECT_EQ(e->ErrorCode, c.error) << c.name;
    }
}

TEST(Analysis, AcceptsMpeg25Sync)
{
    Bytes image;
    for (int i = 0; i < 3; ++i)
        synth::append(image, synth::frame(0xE3, 0x18, 0x00, 72));
    std::int32_t ok = 0;
    auto e = analyse(image, &ok);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(e->FirstHeader, (FrameHeaderBytes{0xFF, 0xE3, 0x18, 0x00}));
}

TEST(Analysis, RiffWrappersAndTheirFailures)
{
    struct Case {
        const char *name;
        Bytes image;
        std::int32_t result;
        std::int32_t error;
        std::int32_t structure;
    };
    const Bytes frames = synth::mpeg1Frames(3);
    Bytes avi = synth::rmp3(frames);
    std::copy_n("AVI ", 4, avi.begin() + 8);
    Bytes rmp3ListFirst = synth::rmp3(frames);
    std::copy_n("LIST", 4, rmp3ListFirst.begin() + 12);
    Bytes waveList = synth::wave(frames, 0x0055, 12, false);
    std::copy_n("LIST", 4, waveList.begin() + 50);
    Bytes waveFactThenList = synth::wave(frames);
    std::copy_n("LIST", 4, waveFactThenList.begin() + 62);
    Bytes oddList;
    synth::append(oddList, "LIST");
    synth::appendLe32(oddList, 3);
    synth::append(oddList, Bytes{'a', 'b', 'c', 0}); // and its pad byte
    const std::vector<Case> cases = {
        {"RMP3", synth::rmp3(frames), 1, 0, sfRmp3},
        {"WAVE with fact", synth::wave(frames), 1, 0, sfWave},
        {"WAVE without fact", synth::wave(frames, 0x0055, 12, false), 1, 0, sfWave},
        {"WAVE without extra bytes", synth::wave(frames, 0x0055, 0, true), 1, 0, sfWave},
        {"WAVE PCM", synth::wave(frames, 0x0001), 0, 13, 0},
        {"WAVE MPEG Layer 1/2", synth::wave(frames, 0x0050), 0, 12, 0},
        {"RIFF AVI", avi, 0, 11, 0},
        {"RMP3 with a chunk before data", rmp3ListFirst, 0, 15, 0},
        {"WAVE with LIST before data", waveList, 0, 14, 0},
        {"WAVE with LIST after fact", waveFactThenList, 0, 14, 0},
        {"WAVE with an odd LIST and its pad byte before data", synth::wave(frames, 0x0055, 12, true, oddList), 1, 0,
         sfWave},
    };
    for (const Case &c : cases) {
        std::int32_t ok = -1;
        auto e = analyse(c.image, &ok);
        EXPECT_EQ(ok, c.result) << c.name;
        if (ok)
            EXPECT_EQ(e->Structure, c.structure) << c.name;
        else
            EXPECT_EQ(e->ErrorCode, c.error) << c.name;
    }
}

TEST(Analysis, WaveWithFactChunkPutsPayloadAt70)
{
    const Bytes frames = synth::mpeg1Frames(3);
    Bytes image = synth::wave(frames);
    synth::append(image, synth::id3v1());
    std::int32_t ok = 0;
    auto e = analyse(image, &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(std::string(image.begin() + 62, image.begin() + 66), "data");
    EXPECT_EQ(e->FirstFrame, 70);
    EXPECT_EQ(e->AudioSize, std::int32_t(frames.size()));
    EXPECT_EQ(e->Structure, sfWave | sfId3v1);
}

TEST(Analysis, Id3v2InsideRiffPayload)
{
    Bytes payload = synth::id3v2(100);
    synth::append(payload, synth::mpeg1Frames(2));
    std::int32_t ok = 0;
    auto e = analyse(synth::rmp3(payload), &ok);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(e->FirstFrame, 20 + 110);
    EXPECT_EQ(e->AudioSize, std::int32_t(payload.size()) - 110);
    EXPECT_EQ(e->Structure, sfRmp3 | sfId3v2);
}

TEST(Analysis, XingInfoAndVbriAreHeaders)
{
    struct Case {
        const char *tag;
        int at;
        bool header;
    };
    for (const Case c : {Case{"Xing", 36, true}, Case{"Info", 36, true}, Case{"xing", 36, false},
                         Case{"VBRI", 36, true}, Case{"VBRI", 40, false}}) {
        Bytes image = synth::mpeg1Frames(3);
        std::copy_n(c.tag, 4, image.begin() + c.at);
        std::int32_t ok = 0;
        auto e = analyse(image, &ok);
        ASSERT_EQ(ok, 1);
        EXPECT_EQ(e->HasVbrHeader(), c.header) << c.tag << " at " << c.at;
    }
    // Mono MPEG-2: the tag stands at 4 + 9.
    Bytes mono;
    for (int i = 0; i < 3; ++i)
        synth::append(mono, synth::frame(0xF3, 0x80, 0xC0, 208));
    std::copy_n("Xing", 4, mono.begin() + 13);
    std::int32_t ok = 0;
    auto e = analyse(mono, &ok);
    EXPECT_TRUE(e->HasVbrHeader());
}

TEST(Analysis, TruncatedImagesNeverReadOutside)
{
    // Every prefix of every wrapper: the analysis either succeeds with a first
    // frame whose four bytes lie inside, or fails with a code.
    Bytes tagged = synth::id3v2(300);
    synth::append(tagged, synth::mpeg1Frames(1));
    for (const Bytes &full : {synth::wave(synth::mpeg1Frames(1)), synth::rmp3(synth::mpeg1Frames(1)), tagged}) {
        for (std::size_t n = 0; n <= full.size(); ++n) {
            const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            std::int32_t ok = -1;
            auto e = analyse(prefix, &ok);
            if (ok) {
                EXPECT_LE(std::int64_t(e->FirstFrame) + 4, std::int64_t(n));
            } else {
                EXPECT_GE(e->ErrorCode, 10);
                EXPECT_LE(e->ErrorCode, 15);
            }
        }
    }
}

TEST(Analysis, WithoutImageFails)
{
    TBinEdit engine;
    EXPECT_EQ(engine.Analyze(), 0);
    EXPECT_EQ(engine.AnalyzeStructure(), 0);
    EXPECT_EQ(engine.AddVbrHeader(), 0);
    EXPECT_EQ(engine.RemoveVbrHeader(), 0);
    EXPECT_EQ(engine.FixRiffSizes(1), 0);
    EXPECT_EQ(engine.BuildFrameIndex(), 0);
}

TEST(FixRiffSizes, PlainStreamIsLeftAlone)
{
    const Bytes image = synth::mpeg1Frames(3);
    TBinEdit engine;
    engine.LoadImage(image.data(), std::int64_t(image.size()));
    engine.ErrorCode = 99;
    EXPECT_EQ(engine.FixRiffSizes(417), 0);
    EXPECT_EQ(engine.ErrorCode, 99);
    EXPECT_EQ(bytesOf(*engine.Image), image);
}

TEST(FixRiffSizes, AddsDeltaToBothSizes)
{
    for (const Bytes &image : {synth::rmp3(synth::mpeg1Frames(3)), synth::wave(synth::mpeg1Frames(3))}) {
        TBinEdit engine;
        engine.LoadImage(image.data(), std::int64_t(image.size()));
        const bool isWave = image[8] == 'W';
        const std::size_t dataSizeAt = isWave ? 66 : 16;
        ASSERT_EQ(engine.FixRiffSizes(417), 1);
        const Bytes after = bytesOf(*engine.Image);
        EXPECT_EQ(synth::le32(after, 4), synth::le32(image, 4) + 417);
        EXPECT_EQ(synth::le32(after, dataSizeAt), synth::le32(image, dataSizeAt) + 417);
        // The re-analysis read the size before it was corrected.
        EXPECT_EQ(engine.AudioSize, std::int32_t(synth::le32(image, dataSizeAt)));
        ASSERT_EQ(engine.FixRiffSizes(-417), 1);
        EXPECT_EQ(bytesOf(*engine.Image), image);
    }
}

} // namespace
