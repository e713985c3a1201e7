// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include "ImageBytes.h"
#include "engine/Binedit.h"

#include <gtest/gtest.h>

using namespace brantlow;
using synth::Bytes;

namespace {

Bytes imageOf(const TBinEdit &e)
{
    return bytesOf(*e.Image);
}

std::unique_ptr<TBinEdit> analysed(const Bytes &image)
{
    auto engine = std::make_unique<TBinEdit>();
    engine->LoadImage(image.data(), std::int64_t(image.size()));
    EXPECT_EQ(engine->Analyze(), 1);
    return engine;
}

struct RoundTripCase {
    const char *name;
    Bytes image;
    std::size_t firstFrame;
    std::size_t riffDataSizeAt; // 0 for a plain stream
};

std::vector<RoundTripCase> roundTripCases()
{
    Bytes tagged = synth::id3v2(500);
    synth::append(tagged, synth::vbrFrames(40));
    synth::append(tagged, synth::lyrics3(60));
    synth::append(tagged, synth::id3v1());
    Bytes waveTagged = synth::wave(synth::vbrFrames(40));
    synth::append(waveTagged, synth::id3v1());
    // Junk after the tag that looks like a 313-byte frame: it ends where the
    // new header frame will, so after the add it chains; the header frame
    // must still be found as the first frame.
    Bytes falseFrameInJunk = synth::id3v2(40);
    synth::append(falseFrameInJunk, synth::frame(0xFB, 0x70, 0x00, 105));
    synth::append(falseFrameInJunk, synth::vbrFrames(40));
    return {
        {"plain", synth::vbrFrames(40), 0, 0},
        {"junk after ID3v2 like a frame", falseFrameInJunk, 50 + 105, 0},
        {"tagged", tagged, 510, 0},
        {"wave", synth::wave(synth::vbrFrames(40)), 70, 66},
        {"wave_tagged", waveTagged, 70, 66},
        {"rmp3", synth::rmp3(synth::vbrFrames(40)), 20, 16},
    };
}

TEST(HeaderEdit, AddThenRemoveGivesTheOriginalBack)
{
    for (const RoundTripCase &c : roundTripCases()) {
        SCOPED_TRACE(c.name);
        auto e = analysed(c.image);
        ASSERT_FALSE(e->HasVbrHeader());
        ASSERT_EQ(e->AddVbrHeader(), 1);
        const Bytes added = imageOf(*e);
        ASSERT_EQ(added.size(), c.image.size() + 208);
        // Everything before the first frame and the audio behind it is untouched.
        for (std::size_t i = 0; i < c.firstFrame; ++i) {
            if (c.riffDataSizeAt && ((i >= 4 && i < 8) || (i >= c.riffDataSizeAt && i < c.riffDataSizeAt + 4)))
                continue;
            ASSERT_EQ(added[i], c.image[i]) << i;
        }
        EXPECT_TRUE(std::equal(c.image.begin() + std::ptrdiff_t(c.firstFrame), c.image.end(),
                               added.begin() + std::ptrdiff_t(c.firstFrame + 208)));
        EXPECT_EQ(std::string(added.begin() + std::ptrdiff_t(c.firstFrame + 36),
                              added.begin() + std::ptrdiff_t(c.firstFrame + 40)),
                  "Xing");
        EXPECT_EQ(synth::be32(added, c.firstFrame + 44), 40u);
        if (c.riffDataSizeAt) {
            EXPECT_EQ(synth::le32(added, 4), synth::le32(c.image, 4) + 208);
            EXPECT_EQ(synth::le32(added, c.riffDataSizeAt), synth::le32(c.image, c.riffDataSizeAt) + 208);
        }

        auto again = analysed(added);
        ASSERT_TRUE(again->HasVbrHeader());
        EXPECT_EQ(again->FirstFrame, std::int32_t(c.firstFrame));
        ASSERT_EQ(again->RemoveVbrHeader(), 1);
        EXPECT_EQ(imageOf(*again), c.image);
    }
}

TEST(HeaderEdit, JunkThatLooksLikeACutHeaderFrameStaysJunkAfterAnAdd)
{
    // Junk after the tag: 209 bytes of a 417-byte frame carrying "Xing". Once
    // the 208-byte header frame stands behind it, it ends where a frame
    // follows, but frames start inside it: a header frame cut short, junk.
    Bytes fake = synth::frame(0xFB, 0x90, 0x00, 209);
    std::copy_n("Xing", 4, fake.begin() + 36);
    Bytes image = synth::id3v2(20);
    synth::append(image, fake);
    synth::append(image, synth::mpeg1Frames(20));
    auto e = analysed(image);
    ASSERT_FALSE(e->HasVbrHeader());
    ASSERT_EQ(e->FirstFrame, 30 + 209);
    ASSERT_EQ(e->AddVbrHeader(), 1);
    auto again = analysed(imageOf(*e));
    EXPECT_TRUE(again->HasVbrHeader());
    EXPECT_EQ(again->FirstFrame, 30 + 209);
    ASSERT_EQ(again->RemoveVbrHeader(), 1);
    EXPECT_EQ(imageOf(*again), image);
}

TEST(HeaderEdit, AddLeavesTheAnalysisAsTheSpecialCasesExpect)
{
    auto e = analysed(synth::vbrFrames(10));
    ASSERT_EQ(e->AddVbrHeader(), 1);
    EXPECT_FALSE(e->HasVbrHeader()) << "the walk re-ran the structure analysis";
    EXPECT_EQ(e->FirstHeader, (FrameHeaderBytes{0xFF, 0xFB, 0x50, 0x00}));
    EXPECT_EQ(e->FrameCount, 10);
}

// A header frame of `actual` bytes whose header announces 208, followed by frames.
Bytes misSizedHeaderFrame(int actual, Bytes tail = synth::mpeg1Frames(3))
{
    Bytes image = synth::frame(0xFB, 0x50, 0x00, actual);
    std::copy_n("Xing", 4, image.begin() + 36);
    synth::append(image, tail);
    return image;
}

TEST(HeaderEdit, RemovalSearchesForTheNextFrameWithinTheSeekRange)
{
    struct Case {
        int actual;
        std::int32_t seekRange;
        bool removed;
        int falseSyncAt = 0; // 0: none
    };
    // A sync 4 bytes in is never taken: a header frame is longer than its header.
    for (const Case c : {Case{208, 3, true}, Case{209, 3, true}, Case{207, 3, true}, Case{211, 3, true},
                         Case{205, 3, true}, Case{212, 3, false}, Case{204, 3, false}, Case{250, 42, true},
                         Case{251, 42, false}, Case{412, 204, true, 4}}) {
        SCOPED_TRACE(c.actual);
        Bytes image = misSizedHeaderFrame(c.actual);
        if (c.falseSyncAt) {
            image[std::size_t(c.falseSyncAt)] = 0xFF;
            image[std::size_t(c.falseSyncAt) + 1] = 0xFB;
        }
        auto e = analysed(image);
        ASSERT_TRUE(e->HasVbrHeader());
        ASSERT_EQ(e->SetSeekRange(c.seekRange), 1);
        e->ErrorCode = 77;
        EXPECT_EQ(e->RemoveVbrHeader(), c.removed ? 1 : 0);
        if (c.removed) {
            EXPECT_EQ(imageOf(*e), Bytes(image.begin() + c.actual, image.end()));
        } else {
            EXPECT_EQ(imageOf(*e), image) << "a failed search moves nothing";
            EXPECT_EQ(e->ErrorCode, 77) << "a failed search keeps the code";
        }
    }
}

TEST(HeaderEdit, RemovalSearchEndsAtTheImageWhateverTheRange)
{
    // A header frame followed by zeros only: no candidate anywhere.
    Bytes image = synth::frame(0xFB, 0x50, 0x00, 208);
    std::copy_n("Xing", 4, image.begin() + 36);
    image.resize(image.size() + 5000, 0);
    auto e = analysed(image);
    ASSERT_EQ(e->SetSeekRange(2147483647), 1);
    EXPECT_EQ(e->RemoveVbrHeader(), 0);
    EXPECT_EQ(imageOf(*e), image);
}

TEST(HeaderEdit, ShorterCandidateWinsAtTheSameDistance)
{
    // Syncs both at 206 and 210: 208 - 2 is preferred to 208 + 2.
    Bytes image = misSizedHeaderFrame(206);
    image[210] = 0xFF;
    image[211] = 0xFB;
    auto e = analysed(image);
    ASSERT_EQ(e->RemoveVbrHeader(), 1);
    EXPECT_EQ(std::int64_t(e->Image->Size()), std::int64_t(image.size()) - 206);
}

TEST(HeaderEdit, FalseSyncIsNoSync)
{
    // 0xFF followed by a byte whose high nibble is not E or F.
    Bytes image = misSizedHeaderFrame(210);
    image[208] = 0xFF;
    image[209] = 0xD0;
    auto e = analysed(image);
    ASSERT_EQ(e->RemoveVbrHeader(), 1);
    EXPECT_EQ(std::int64_t(e->Image->Size()), std::int64_t(image.size()) - 210);
}

TEST(HeaderEdit, RiffSizesShrinkByTheLengthActuallyCut)
{
    const Bytes payload = misSizedHeaderFrame(210);
    const Bytes image = synth::rmp3(payload);
    auto e = analysed(image);
    ASSERT_EQ(e->RemoveVbrHeader(), 1);
    const Bytes after = imageOf(*e);
    EXPECT_EQ(synth::le32(after, 4), synth::le32(image, 4) - 210);
    EXPECT_EQ(synth::le32(after, 16), synth::le32(image, 16) - 210);
}

TEST(HeaderEdit, UnusableFirstHeaderFailsWithItsCode)
{
    // Bitrate index 15 in every frame: no frames chain, and the stream starts
    // where the audio does.
    Bytes image = synth::mpeg1Frames(3);
    for (std::size_t at = 0; at < image.size(); at += 417)
        image[at + 2] = 0xF0;
    auto e = analysed(image);
    EXPECT_EQ(e->AddVbrHeader(), 0);
    EXPECT_EQ(e->ErrorCode, 24);
    EXPECT_EQ(imageOf(*e), image);
}

TEST(SeekRange, OnlyPositiveValuesAreTaken)
{
    TBinEdit e;
    EXPECT_EQ(e.SeekRange, 3);
    e.ErrorCode = 5;
    EXPECT_EQ(e.SetSeekRange(0), 0);
    EXPECT_EQ(e.SetSeekRange(-4), 0);
    EXPECT_EQ(e.SeekRange, 3);
    EXPECT_EQ(e.ErrorCode, 5);
    EXPECT_EQ(e.SetSeekRange(1), 1);
    EXPECT_EQ(e.SeekRange, 1);
}

} // namespace
