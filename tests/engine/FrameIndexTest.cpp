// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include "ImageBytes.h"
#include "engine/Binedit.h"
#include "engine/XingLayout.h"

#include <gtest/gtest.h>

using namespace brantlow;
using synth::Bytes;

namespace {

std::unique_ptr<TBinEdit> loaded(const Bytes &image)
{
    auto engine = std::make_unique<TBinEdit>();
    engine->LoadImage(image.data(), std::int64_t(image.size()));
    return engine;
}

Bytes streamBytes(MemoryStream &s)
{
    return Bytes(s.Data(), s.Data() + s.Size());
}

TEST(FrameIndex, ChainInvariants)
{
    auto e = loaded(synth::vbrFrames(30));
    ASSERT_EQ(e->BuildFrameIndex(), 1);
    EXPECT_EQ(e->FrameCount, 30);
    std::int32_t index = 0;
    std::int32_t offset = 0;
    float time = 0.0f;
    const FrameRecord *r = e->FrameList.Next;
    EXPECT_EQ(r->Prev, &e->FrameList);
    for (; r != &e->FrameListEnd; r = r->Next) {
        EXPECT_EQ(r->Index, ++index);
        EXPECT_EQ(r->StartOffset, offset);
        EXPECT_EQ(r->StartTime, time);
        EXPECT_EQ(r->Reserved, 0u);
        offset += r->Length;
        time = r->StartTime + r->Duration;
    }
    EXPECT_EQ(index, 30);
    EXPECT_EQ(e->IndexedBytes(), offset);
    EXPECT_EQ(e->TotalTime(), time);
    e->FreeFrameIndex();
    EXPECT_EQ(e->FrameList.Next, nullptr);
    EXPECT_EQ(e->TotalTime(), 0.0f);
    EXPECT_EQ(e->IndexedBytes(), 0);
    EXPECT_EQ(e->FrameCount, 30);
}

TEST(FrameIndex, TocOfThousandEqualFrames)
{
    auto e = loaded(synth::mpeg1Frames(1000));
    std::array<std::uint8_t, 100> toc{};
    ASSERT_EQ(e->MakeToc(toc), 1);
    EXPECT_EQ(e->AudioSize, 417000);
    EXPECT_EQ(e->TotalTime(), 26062.5f);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(toc[i], static_cast<int>(2.56 * i)) << i;
    EXPECT_EQ(toc[1], 2);
    EXPECT_EQ(toc[2], 5);
    EXPECT_EQ(toc[99], 253);
}

TEST(FrameIndex, TocOfOneFrameComesFromTheTotals)
{
    Bytes image = synth::mpeg1Frames(1);
    synth::append(image, synth::id3v1());
    auto e = loaded(image);
    std::array<std::uint8_t, 100> toc{};
    ASSERT_EQ(e->MakeToc(toc), 1);
    EXPECT_EQ(e->FrameCount, 1);
    EXPECT_EQ(toc[0], 0);
    // 417 * 256 / 417 = 256, clamped.
    for (int i = 1; i < 100; ++i)
        EXPECT_EQ(toc[i], 255);
}

TEST(FrameIndex, WalkFindsTheFramesAgainAfterJunk)
{
    // Junk, and a frame whose header carries a reserved sample rate: both are
    // passed over; the offsets stay image positions.
    Bytes junk = synth::mpeg1Frames(5);
    junk.insert(junk.end(), 300, 0x11);
    synth::append(junk, synth::mpeg1Frames(5));
    Bytes damaged = synth::mpeg1Frames(5);
    damaged[3 * 417 + 2] = 0x9C;
    struct Case {
        const char *name;
        Bytes image;
        std::int32_t frames;
        std::int32_t lastOffset;
    };
    for (const Case &c : {Case{"junk", junk, 10, 4470 - 417}, Case{"damaged header", damaged, 4, 4 * 417}}) {
        auto e = loaded(c.image);
        ASSERT_EQ(e->BuildFrameIndex(), 1) << c.name;
        EXPECT_EQ(e->FrameCount, c.frames) << c.name;
        EXPECT_EQ(e->IndexedBytes(), c.lastOffset + 417) << c.name;
        EXPECT_EQ(e->AudioSize, std::int32_t(c.image.size())) << c.name;
        EXPECT_EQ(e->UnresyncedBytes(), 0) << c.name;
    }
}

TEST(FrameIndex, AHeaderForAStreamFullOfJunkIsRefused)
{
    // Junk between frames, up to 1 % of the stream and 64 KiB, is covered by
    // the byte count; more, and no header is made. Junk after the last frame
    // is no audio, whatever its size: kept, and left out of the byte count.
    struct Case {
        int frames;
        int junk;
        bool inside;
        bool added;
    };
    for (const Case c : {Case{1000, 4000, true, true}, Case{1000, 4300, true, false}, Case{100, 400, true, true},
                         Case{100, 500, true, false}, Case{17000, 65000, true, true}, Case{17000, 66000, true, false},
                         Case{100, 50000, false, true}}) {
        Bytes image = synth::mpeg1Frames(c.inside ? c.frames / 2 : c.frames);
        image.insert(image.end(), std::size_t(c.junk), 0x11);
        if (c.inside)
            synth::append(image, synth::mpeg1Frames(c.frames - c.frames / 2));
        auto e = loaded(image);
        ASSERT_EQ(e->Analyze(), 1);
        e->ErrorCode = 0;
        EXPECT_EQ(e->AddVbrHeader(), c.added ? 1 : 0) << c.frames << " + " << c.junk;
        EXPECT_EQ(e->UnresyncedBytes(), c.inside ? 0 : c.junk);
        if (!c.added) {
            EXPECT_EQ(e->ErrorCode, 32);
            EXPECT_EQ(e->Image->Size(), std::int64_t(image.size()));
        } else {
            EXPECT_EQ(synth::be32(bytesOf(*e->Image), 48),
                      208u + 417u * std::uint32_t(c.frames) + (c.inside ? c.junk : 0));
        }
    }
}

TEST(FrameIndex, AudioSizeBeyondTheImageEndsAtTheImage)
{
    Bytes image = synth::rmp3(synth::mpeg1Frames(4));
    image[16] = 0xFF; // data size far larger than the file
    image[17] = 0xFF;
    image[18] = 0x00;
    auto e = loaded(image);
    ASSERT_EQ(e->BuildFrameIndex(), 1);
    EXPECT_EQ(e->FrameCount, 4);
}

TEST(FrameIndex, LastFrameMayReachIntoATrailingTag)
{
    Bytes image = synth::mpeg1Frames(3);
    image.resize(image.size() - 100); // the last frame is cut short...
    synth::append(image, synth::id3v1()); // ...and the tag follows
    auto e = loaded(image);
    ASSERT_EQ(e->BuildFrameIndex(), 1);
    EXPECT_EQ(e->FrameCount, 3);
    EXPECT_GT(e->IndexedBytes(), e->AudioSize);
}
// An add walks the frames once into compact marks; what it writes must be
// what the full index and MakeToc give for the same stream.
TEST(FrameIndex, AddWritesWhatTheFullIndexGives)
{
    Bytes junk = synth::vbrFrames(40);
    junk.insert(junk.end(), 300, 0x11);
    synth::append(junk, synth::vbrFrames(40));
    Bytes cut = synth::vbrFrames(20);
    cut.resize(cut.size() - 100);
    synth::append(cut, synth::id3v1());
    Bytes cutMid = synth::mpeg1Frames(50);
    cutMid.erase(cutMid.begin() + 10 * 417 + 200, cutMid.begin() + 11 * 417);
    Bytes one = synth::mpeg1Frames(1);
    synth::append(one, synth::id3v1());
    struct Case {
        const char *name;
        Bytes image;
    };
    for (const Case &c : {Case{"vbr", synth::vbrFrames(301)}, Case{"equal", synth::mpeg1Frames(1000)},
                          Case{"junk", junk}, Case{"cut into a tag", cut}, Case{"cut frame", cutMid},
                          Case{"one frame", one}, Case{"rmp3", synth::rmp3(synth::vbrFrames(77))}}) {
        auto full = loaded(c.image);
        std::array<std::uint8_t, 100> toc{};
        ASSERT_EQ(full->MakeToc(toc), 1) << c.name;

        auto e = loaded(c.image);
        ASSERT_EQ(e->Analyze(), 1) << c.name;
        const std::int32_t at = e->FirstFrame;
        ASSERT_EQ(e->AddVbrHeader(), 1) << c.name;
        EXPECT_EQ(e->FrameCount, full->FrameCount) << c.name;
        EXPECT_EQ(e->TotalTime(), full->TotalTime()) << c.name;
        EXPECT_EQ(e->IndexedBytes(), full->IndexedBytes()) << c.name;
        const Bytes added = bytesOf(*e->Image);
        const auto layout = xing::layoutFor(e->FirstHeader);
        const std::size_t frame = std::size_t(at);
        EXPECT_EQ(synth::be32(added, frame + std::size_t(layout.frames)), std::uint32_t(full->FrameCount)) << c.name;
        EXPECT_EQ(synth::be32(added, frame + std::size_t(layout.bytes)),
                  std::uint32_t(e->GetFrameLength(e->FirstHeader) + full->AudioSize))
            << c.name;
        EXPECT_TRUE(std::equal(toc.begin(), toc.end(), added.begin() + std::ptrdiff_t(frame) + layout.toc)) << c.name;
    }
}

struct HeaderFrameCase {
    const char *name;
    FrameHeaderBytes first;
    int firstLength;
    FrameHeaderBytes expectedHeader;
    int expectedLength;
    int tagAt;
};

class HeaderFrame : public testing::TestWithParam<HeaderFrameCase> {};

TEST_P(HeaderFrame, LayoutAndHeader)
{
    const HeaderFrameCase &c = GetParam();
    Bytes image;
    for (int i = 0; i < 10; ++i)
        synth::append(image, synth::frame(c.first[1], c.first[2], c.first[3], c.firstLength, 0x55));
    auto e = loaded(image);
    ASSERT_EQ(e->Analyze(), 1);
    MemoryStream stream;
    std::int32_t length = 0;
    ASSERT_EQ(e->MakeVbrHeader(stream, length), 1);
    const Bytes frame = streamBytes(stream);
    EXPECT_EQ(length, c.expectedLength);
    ASSERT_EQ(std::int32_t(frame.size()), c.expectedLength) << "the frame is exactly as long as its header says";
    EXPECT_EQ(e->GetFrameLength({frame[0], frame[1], frame[2], frame[3]}), c.expectedLength);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), Bytes(c.expectedHeader.begin(), c.expectedHeader.end()));
    EXPECT_EQ(e->FirstHeader, c.expectedHeader);
    for (int i = 4; i < c.tagAt; ++i)
        ASSERT_EQ(frame[i], 0) << i;
    EXPECT_EQ(std::string(frame.begin() + c.tagAt, frame.begin() + c.tagAt + 4), "Xing");
    EXPECT_EQ(synth::be32(frame, c.tagAt + 4), 7u);
    EXPECT_EQ(synth::be32(frame, c.tagAt + 8), 10u);
    EXPECT_EQ(synth::be32(frame, c.tagAt + 12), std::uint32_t(c.expectedLength + 10 * c.firstLength));
    EXPECT_EQ(frame[c.tagAt + 16], 0); // toc[0]
    for (std::size_t i = c.tagAt + 116; i < frame.size(); ++i)
        ASSERT_EQ(frame[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, HeaderFrame,
    testing::Values(
        // MPEG-1 Layer III stereo 44.1 kHz: index 5, CRC bit set, padding cleared
        HeaderFrameCase{"mpeg1_l3_stereo", {0xFF, 0xFA, 0x92, 0x00}, 418, {0xFF, 0xFB, 0x50, 0x00}, 208, 36},
        HeaderFrameCase{"mpeg1_l3_48k", {0xFF, 0xFB, 0x94, 0x00}, 384, {0xFF, 0xFB, 0x54, 0x00}, 192, 36},
        HeaderFrameCase{"mpeg1_l3_32k", {0xFF, 0xFB, 0x98, 0x00}, 576, {0xFF, 0xFB, 0x58, 0x00}, 288, 36},
        HeaderFrameCase{"mpeg1_l3_mono", {0xFF, 0xFB, 0x90, 0xC0}, 417, {0xFF, 0xFB, 0x50, 0xC0}, 208, 21},
        HeaderFrameCase{"mpeg2_l3_mono", {0xFF, 0xF3, 0x80, 0xC0}, 208, {0xFF, 0xF3, 0x80, 0xC0}, 208, 13},
        HeaderFrameCase{"mpeg2_l3_24k", {0xFF, 0xF3, 0x64, 0x40}, 144, {0xFF, 0xF3, 0x84, 0x40}, 192, 21},
        HeaderFrameCase{"mpeg2_l3_16k", {0xFF, 0xF3, 0x48, 0x00}, 144, {0xFF, 0xF3, 0x88, 0x00}, 288, 21},
        HeaderFrameCase{"mpeg25_l3_8k", {0xFF, 0xE3, 0x18, 0xC0}, 72, {0xFF, 0xE3, 0x88, 0xC0}, 576, 13},
        HeaderFrameCase{"mpeg1_l2", {0xFF, 0xFD, 0xE4, 0x00}, 1152, {0xFF, 0xFD, 0x44, 0x00}, 192, 36},
        // Layer I at 64 kbit/s is too short for the layout: the next bitrates
        // are taken until the frame holds it.
        HeaderFrameCase{"mpeg1_l1_44k",
                        {0xFF, 0xFF, 0x80, 0x00},
                        4 * (256 * 12000 / 44100),
                        {0xFF, 0xFF, 0x50, 0x00},
                        4 * (160 * 12000 / 44100),
                        36},
        HeaderFrameCase{"mpeg1_l1_48k_mono", {0xFF, 0xFF, 0x94, 0xC0}, 288, {0xFF, 0xFF, 0x54, 0xC0}, 160, 21},
        HeaderFrameCase{"mpeg2_l1_22k",
                        {0xFF, 0xF7, 0x80, 0x00},
                        4 * (128 * 12000 / 22050),
                        {0xFF, 0xF7, 0x50, 0x00},
                        4 * (80 * 12000 / 22050),
                        21},
        HeaderFrameCase{"mpeg2_l1_22k_mono",
                        {0xFF, 0xF7, 0x80, 0xC0},
                        4 * (128 * 12000 / 22050),
                        {0xFF, 0xF7, 0x40, 0xC0},
                        136,
                        13}),
    [](const testing::TestParamInfo<HeaderFrameCase> &info) { return std::string(info.param.name); });

TEST(HeaderFrame, NoAudioBytesFailsCleanly)
{
    // Data size 0 before one frame (a size of 0 before a stream of frames
    // would be a placeholder).
    Bytes image = synth::rmp3(synth::mpeg1Frames(1));
    for (int i = 16; i < 20; ++i)
        image[i] = 0;
    auto e = loaded(image);
    ASSERT_EQ(e->Analyze(), 1);
    MemoryStream stream;
    std::int32_t length = 0;
    EXPECT_EQ(e->MakeVbrHeader(stream, length), 0);
    EXPECT_EQ(e->ErrorCode, 31);
    std::array<std::uint8_t, 100> toc{};
    EXPECT_EQ(e->MakeToc(toc), 0);
}

TEST(HeaderFrame, PutBigEndian32)
{
    std::uint8_t out[4];
    EXPECT_EQ(TBinEdit::PutBigEndian32(0x01020304, out), 1);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{1, 2, 3, 4}));
    TBinEdit::PutBigEndian32(-2, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
}

} // namespace

namespace brantlow {

// Marks across block boundaries read back as made, also after a clear that
// keeps the first block for the next file.
TEST(FrameMarksTest, ReadBackAcrossBlocksAndAfterAClear)
{
    FrameMarks marks;
    for (const std::size_t count : {FrameMarks::kPerBlock * 2 + 17, FrameMarks::kPerBlock - 1, std::size_t{3}}) {
        marks.clear();
        for (std::size_t i = 0; i < count; ++i)
            marks.push({static_cast<std::int32_t>(i * 7 + count), static_cast<float>(i)});
        ASSERT_EQ(marks.size(), count);
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < count; ++i)
            wrong += marks[i].StartOffset != static_cast<std::int32_t>(i * 7 + count) || marks[i].StartTime != float(i);
        EXPECT_EQ(wrong, 0u) << count << " marks";
    }
}

} // namespace brantlow
