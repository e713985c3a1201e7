// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Binedit.h"
#include "engine/FrameHeader.h"

#include <gtest/gtest.h>

using brantlow::FrameHeaderBytes;
using brantlow::TBinEdit;

namespace {

struct LengthCase {
    FrameHeaderBytes header;
    std::int32_t length;
    std::int32_t error; // ErrorCode afterwards when length is 0
};

class FrameLength : public testing::TestWithParam<LengthCase> { };

TEST_P(FrameLength, DecodesPublishedTables)
{
    const LengthCase &c = GetParam();
    TBinEdit engine;
    engine.ErrorCode = -7;
    EXPECT_EQ(engine.GetFrameLength(c.header), c.length);
    EXPECT_EQ(engine.ErrorCode, c.length == 0 ? c.error : -7);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, FrameLength,
                         testing::Values(LengthCase{{0xFF, 0xFB, 0x90, 0x00}, 417, 0},
                                         LengthCase{{0xFF, 0xFB, 0x92, 0x00}, 418, 0},
                                         LengthCase{{0xFF, 0xFD, 0xE4, 0x00}, 1152, 0},
                                         LengthCase{{0xFF, 0xFF, 0x18, 0x00}, 48, 0},
                                         LengthCase{{0xFF, 0xF3, 0x80, 0x00}, 208, 0},
                                         LengthCase{{0xFF, 0xF5, 0x80, 0x00}, 417, 0},
                                         LengthCase{{0xFF, 0xE3, 0x18, 0x00}, 72, 0},
                                         LengthCase{{0xFF, 0xE3, 0x10, 0x00}, 52, 0},
                                         LengthCase{{0xFF, 0xFB, 0xF0, 0x00}, 0, 24},
                                         LengthCase{{0xFF, 0xFB, 0x0C, 0x00}, 0, 23},
                                         LengthCase{{0xFF, 0xF9, 0x90, 0x00}, 0, 24},
                                         LengthCase{{0xFF, 0xE3, 0x0C, 0x00}, 0, 21},
                                         LengthCase{{0xFF, 0xE3, 0x00, 0x00}, 0, 22},
                                         // both wrong: the sample rate is reported
                                         LengthCase{{0xFF, 0xFB, 0xFC, 0x00}, 0, 23},
                                         LengthCase{{0xFF, 0xE3, 0xFC, 0x00}, 0, 21},
                                         // MPEG-2 Layer I pads by a 4-byte slot: 4 * (64*12000/22050 + 1)
                                         LengthCase{{0xFF, 0xF7, 0x42, 0x00}, 4 * (64 * 12000 / 22050 + 1), 0},
                                         // MPEG 2.5 is sized as Layer III whatever its layer bits say
                                         LengthCase{{0xFF, 0xE7, 0x18, 0x00}, 72, 0},
                                         // the reserved version (high nibble E, ID bit 1) is MPEG 2.5
                                         LengthCase{{0xFF, 0xEB, 0x18, 0x00}, 72, 0}));

TEST(FrameLengthBits, ProtectionPrivateAndByte3DoNotMatter)
{
    TBinEdit engine;
    for (std::uint8_t b1 : {0xFA, 0xFB})
        for (std::uint8_t b2 : {0x90, 0x91})
            for (int b3 = 0; b3 < 256; b3 += 17)
                EXPECT_EQ(engine.GetFrameLength({0xFF, b1, b2, static_cast<std::uint8_t>(b3)}), 417);
}

TEST(FrameLengthBits, EveryHeaderGivesALengthOrACode)
{
    // Exhaustive over bytes 1 and 2 with a valid sync nibble: no length is
    // negative, and every 0 comes with one of the four codes.
    TBinEdit engine;
    for (int b1 = 0xE0; b1 <= 0xFF; ++b1) {
        for (int b2 = 0; b2 < 256; ++b2) {
            engine.ErrorCode = 0;
            const FrameHeaderBytes h{0xFF, static_cast<std::uint8_t>(b1), static_cast<std::uint8_t>(b2), 0};
            const std::int32_t length = engine.GetFrameLength(h);
            ASSERT_GE(length, 0);
            if (length == 0)
                ASSERT_TRUE(engine.ErrorCode >= 21 && engine.ErrorCode <= 24) << b1 << " " << b2;
            else
                ASSERT_GE(length, 24) << "the shortest frame is MPEG-2 Layer III at 8 kbit/s, 24 kHz";
        }
    }
}

TEST(SideInfoSize, DependsOnIdBitAndChannelModeOnly)
{
    using brantlow::frameheader::sideInfoSize;
    EXPECT_EQ(sideInfoSize({0xFF, 0xFB, 0x90, 0x00}), 32);
    EXPECT_EQ(sideInfoSize({0xFF, 0xFB, 0x90, 0xC0}), 17);
    EXPECT_EQ(sideInfoSize({0xFF, 0xF3, 0x80, 0x00}), 17);
    EXPECT_EQ(sideInfoSize({0xFF, 0xE3, 0x18, 0xC0}), 9);
    EXPECT_EQ(sideInfoSize({0xFF, 0xEB, 0x18, 0x40}), 32); // reserved version with ID bit 1
    EXPECT_EQ(sideInfoSize({0xFF, 0xFF, 0x18, 0x80}), 32); // Layer I: the layer is not looked at
}

TEST(FrameDuration, FollowsFromByteLength)
{
    TBinEdit engine;
    EXPECT_FLOAT_EQ(engine.GetFrameDuration({0xFF, 0xFB, 0x90, 0x00}), 26.0625f);
    EXPECT_FLOAT_EQ(engine.GetFrameDuration({0xFF, 0xFB, 0x92, 0x00}), 26.125f);
    EXPECT_FLOAT_EQ(engine.GetFrameDuration({0xFF, 0xE3, 0x18, 0x00}), 72.0f);
    engine.ErrorCode = 0;
    EXPECT_EQ(engine.GetFrameDuration({0xFF, 0xFB, 0x0C, 0x00}), 0.0f);
    EXPECT_EQ(engine.ErrorCode, 23);
}

} // namespace
