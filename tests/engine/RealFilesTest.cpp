// SPDX-License-Identifier: GPL-3.0-or-later
// Files as real libraries hold them (tests/data/make-real-fixtures): what the
// engine finds in each, and what add, remove and fix make of them, judged by
// ffprobe and mpg123 and by CRCs computed here.

#include "ImageBytes.h"
#include "engine/Binedit.h"
#include "engine/FileCheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace brantlow;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFixture(const std::string &name)
{
    const char *dir = std::getenv("BRANTLOW_TEST_DATA");
    std::ifstream in(fs::path(dir ? dir : "tests/data") / "real" / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes imageOf(const TBinEdit &e)
{
    return bytesOf(*e.Image);
}

std::unique_ptr<TBinEdit> analysed(const Bytes &bytes)
{
    auto e = std::make_unique<TBinEdit>();
    e->LoadImage(bytes.data(), std::int64_t(bytes.size()));
    EXPECT_EQ(e->Analyze(), 1);
    return e;
}

FileCheck checkOf(const Bytes &b, bool musicCrc = false) { return checkFile(b.data(), std::int64_t(b.size()), musicCrc); }

// CRC-16/ARC bit by bit, apart from the engine's table.
std::uint16_t crc16(const std::uint8_t *p, std::size_t n)
{
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::uint32_t be(const Bytes &b, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | b[at + i];
    return v;
}
std::uint32_t le32(const Bytes &b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

// Runs a peer tool on the bytes; empty when it is not there.
std::optional<std::string> runTool(const std::string &command, const Bytes &bytes)
{
    std::string folder = (fs::temp_directory_path() / "brantlow-real-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    const fs::path file = fs::path(folder) / "sample.mp3";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    FILE *pipe = ::popen((command + " '" + file.string() + "' 2>/dev/null").c_str(), "r");
    if (!pipe) {
        fs::remove_all(folder);
        return std::nullopt;
    }
    std::string out;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    fs::remove_all(folder);
    if (status != 0)
        return std::nullopt;
    return out;
}

// Frames as ffprobe's parser counts them.
std::optional<long> ffprobePackets(const Bytes &bytes)
{
    const auto out = runTool("ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0", bytes);
    if (!out || out->empty())
        return std::nullopt;
    return std::strtol(out->c_str(), nullptr, 10);
}

// Samples mpg123 puts out, with or without its gapless trimming (which it
// applies, decoder delay included, whenever a header tells the length).
std::optional<long> mpg123Samples(const Bytes &bytes, bool gapless = true)
{
    const auto out = runTool(gapless ? "mpg123 -q -m -s" : "mpg123 -q -m -s --no-gapless", bytes);
    if (!out)
        return std::nullopt;
    return long(out->size() / 2);
}

struct Facts {
    const char *file;
    std::int32_t structure;
    std::int64_t firstFrame;
    const char *kind; // "" without a header
    HeaderVerdict verdict;
    std::int64_t audioFrames; // counted by ffprobe on the clean stream the fixture came from
    std::size_t junkSpans;
    // ffprobe counts the frames right. It takes a header frame after padding,
    // and an APE tag without header, for one more packet (also with the
    // encoder's own header frame there).
    bool ffprobeCounts = true;
};

// 60 frames of VBR at 22.05 kHz mono in each MP3 (ffprobe and mpg123 agree);
// 31 at 11.025 kHz in the RMP3 files; joined: 2 x 60 and the second header
// frame; cut after 33 frames.
const std::vector<Facts> kFacts = {
    {"xing_lame.mp3", 0, 0, "Xing", HeaderVerdict::Right, 60, 0},
    {"info_lame.mp3", 0, 0, "Info", HeaderVerdict::Right, 60, 0},
    {"vbri.mp3", 0, 0, "VBRI", HeaderVerdict::Right, 60, 0},
    {"joined_stale.mp3", 0, 0, "Xing", HeaderVerdict::Stale, 121, 0},
    {"cut_stale.mp3", 0, 0, "Xing", HeaderVerdict::Stale, 33, 0},
    {"ape_footer.mp3", sfApeV2, 0, "", HeaderVerdict::Missing, 60, 0, false},
    {"ape_header_id3v1.mp3", sfApeV2 | sfId3v1, 0, "", HeaderVerdict::Missing, 60, 0},
    {"mutagen_id3_ape.mp3", sfApeV2 | sfId3v2, 1068, "Xing", HeaderVerdict::Right, 60, 0},
    {"id3v24_footer.mp3", sfId3v2, 27 + 10, "Xing", HeaderVerdict::Right, 60, 0},
    {"two_id3v2.mp3", sfId3v2, 2 * 24, "", HeaderVerdict::Missing, 60, 0},
    {"id3v2_padding.mp3", sfId3v2, 27 + 700, "", HeaderVerdict::Missing, 60, 0, false},
    // 100 bytes of junk between frames: more than 1 % of this short stream.
    {"junk_mid.mp3", 0, 0, "", HeaderVerdict::Unreadable, 60, 1},
    // The cut frame is counted. ffprobe's parser takes it whole, the next
    // frame's head with it, and then misses two more (57 packets).
    {"cut_frame_mid.mp3", 0, 0, "", HeaderVerdict::Missing, 60, 1, false},
    {"wave_list.wav", sfWave, 12 + 38 + 34 + 8, "", HeaderVerdict::Missing, 60, 0},
    {"odd_data_list.rmp", sfRmp3, 20, "", HeaderVerdict::Missing, 31, 0},
    {"even_data_list.rmp", sfRmp3, 20, "", HeaderVerdict::Missing, 31, 0},
};

TEST(RealFiles, WhatEachFileCarries)
{
    for (const Facts &f : kFacts) {
        SCOPED_TRACE(f.file);
        const Bytes bytes = readFixture(f.file);
        ASSERT_FALSE(bytes.empty());
        const FileCheck c = checkOf(bytes, true);
        ASSERT_EQ(c.layout.errorCode, 0);
        EXPECT_EQ(c.layout.structure, f.structure);
        EXPECT_EQ(c.layout.firstFrame, f.firstFrame);
        EXPECT_EQ(std::string(c.header ? vbrHeaderKindName(c.header->kind) : ""), f.kind);
        EXPECT_EQ(verdictName(c.verdict), std::string(verdictName(f.verdict))) << c.reason;
        EXPECT_EQ(c.stream.audioFrames, f.audioFrames);
        EXPECT_EQ(c.stream.junk.size(), f.junkSpans);
        EXPECT_EQ(c.stream.unresyncedBytes, 0);
        if (c.layout.ape.length > 0) {
            EXPECT_EQ(std::string(bytes.begin() + c.layout.ape.offset + c.layout.ape.length - 32,
                                  bytes.begin() + c.layout.ape.offset + c.layout.ape.length - 24),
                      "APETAGEX");
        }
        if (c.header && c.header->extension) {
            // The encoder's own values: its CRCs check out, its gapless fields are read.
            const auto &ext = *c.header->extension;
            EXPECT_EQ(ext.encoder, "LAME3.100");
            EXPECT_EQ(ext.delay, 576);
            EXPECT_EQ(ext.padding, 909);
            EXPECT_TRUE(ext.tagCrcValid);
            const bool fresh = f.verdict == HeaderVerdict::Right;
            EXPECT_EQ(c.musicCrcValid, std::optional<bool>(fresh));
        }
        // The engine's own analysis agrees with the locator.
        auto e = analysed(bytes);
        EXPECT_EQ(e->FirstFrame, f.firstFrame);
        EXPECT_EQ(e->HasVbrHeader(), *f.kind != '\0');
    }
}

// RIFF chunks read one after another, pad bytes included, up to the RIFF end.
std::vector<std::string> riffChunks(const Bytes &b)
{
    std::vector<std::string> ids;
    const std::size_t end = 8 + std::size_t(le32(b, 4));
    std::size_t at = 12;
    while (at + 8 <= end && end <= b.size()) {
        ids.emplace_back(b.begin() + at, b.begin() + at + 4);
        const std::uint32_t size = le32(b, at + 4);
        at += 8 + size + (size & 1);
    }
    if (at != end)
        ids.emplace_back("(misaligned)");
    return ids;
}

// Frame count, byte count and the extension's CRCs of a header frame at `first`.
void expectHeaderDescribes(const Bytes &b, const FileCheck &c, bool ffprobeCounts = true)
{
    ASSERT_TRUE(c.header);
    EXPECT_EQ(c.verdict, HeaderVerdict::Right) << c.reason;
    EXPECT_EQ(std::int64_t(*c.header->frames), c.stream.audioFrames);
    if (c.layout.wrapper == RiffWrapper::None && ffprobeCounts) {
        if (const auto packets = ffprobePackets(b)) {
            EXPECT_EQ(*packets, c.stream.audioFrames) << "ffprobe";
        }
    }
    if (c.header->extension) {
        const std::size_t first = std::size_t(c.layout.firstFrame);
        const std::size_t ext = first + std::size_t(c.header->extension->offset);
        EXPECT_EQ(be(b, ext + 34, 2), crc16(b.data() + first, ext + 34 - first)) << "tag CRC";
        const std::size_t audioEnd = first + std::size_t(c.layout.audioSize);
        EXPECT_EQ(be(b, ext + 32, 2), crc16(b.data() + c.stream.audioStart, audioEnd - std::size_t(c.stream.audioStart)))
            << "music CRC";
        EXPECT_EQ(be(b, ext + 28, 4), std::uint32_t(c.layout.audioSize)) << "music length";
    }
}

TEST(RealFiles, AddRemoveAndFixMakeEachFileRight)
{
    for (const Facts &f : kFacts) {
        SCOPED_TRACE(f.file);
        const Bytes original = readFixture(f.file);
        const FileCheck before = checkOf(original);
        auto e = analysed(original);
        if (before.verdict == HeaderVerdict::Missing) {
            ASSERT_EQ(e->AddVbrHeader(), 1);
            const Bytes added = imageOf(*e);
            const FileCheck after = checkOf(added);
            expectHeaderDescribes(added, after, f.ffprobeCounts);
            EXPECT_EQ(after.stream.audioFrames, f.audioFrames);
            if (after.layout.wrapper == RiffWrapper::None) {
                // The header frame is silent and not played as a frame.
                EXPECT_EQ(mpg123Samples(added, false), mpg123Samples(original, false));
            } else {
                EXPECT_EQ(riffChunks(added), riffChunks(original)) << "chunks after data stay readable";
                EXPECT_EQ(le32(added, 4) + 8, added.size());
            }
            auto again = analysed(added);
            ASSERT_EQ(again->RemoveVbrHeader(), 1);
            EXPECT_EQ(imageOf(*again), original);
        } else if (before.verdict == HeaderVerdict::Stale) {
            ASSERT_EQ(e->FixVbrHeader(), 1);
            const Bytes fixed = imageOf(*e);
            ASSERT_EQ(fixed.size(), original.size());
            const std::size_t first = std::size_t(before.layout.firstFrame);
            const std::size_t frameEnd = first + std::size_t(before.headerFrameLength);
            EXPECT_TRUE(std::equal(original.begin(), original.begin() + first, fixed.begin()));
            EXPECT_TRUE(std::equal(original.begin() + frameEnd, original.end(), fixed.begin() + frameEnd));
            const FileCheck after = checkOf(fixed, true);
            expectHeaderDescribes(fixed, after);
            EXPECT_EQ(after.musicCrcValid, std::optional<bool>(true));
            EXPECT_EQ(after.header->flags, before.header->flags);
            EXPECT_EQ(after.header->quality, before.header->quality);
            EXPECT_EQ(after.header->extension->delay, before.header->extension->delay);
            EXPECT_EQ(after.header->extension->radioGain.raw, before.header->extension->radioGain.raw);
            // Gapless: every frame's samples less the encoder's delay and padding.
            if (const auto samples = mpg123Samples(fixed)) {
                EXPECT_EQ(*samples, after.stream.audioFrames * 576 - 576 - 909);
            }
            // Fixing a right header changes nothing.
            auto twice = analysed(fixed);
            ASSERT_EQ(twice->FixVbrHeader(), 1);
            EXPECT_EQ(imageOf(*twice), fixed);
        } else if (before.header) {
            // Remove gives back the stream without the header frame, byte for byte.
            ASSERT_EQ(e->RemoveVbrHeader(), 1);
            const std::size_t first = std::size_t(before.layout.firstFrame);
            Bytes expected(original.begin(), original.begin() + first);
            expected.insert(expected.end(), original.begin() + first + before.headerFrameLength, original.end());
            EXPECT_EQ(imageOf(*e), expected);
        }
    }
}

TEST(RealFiles, StaleVbriIsReplacedByTheHeaderAddBuilds)
{
    Bytes cut = readFixture("vbri.mp3");
    cut.resize(cut.size() / 2);
    ASSERT_EQ(checkOf(cut).verdict, HeaderVerdict::Stale);
    auto e = analysed(cut);
    ASSERT_EQ(e->FixVbrHeader(), 1);
    const Bytes fixed = imageOf(*e);
    const FileCheck after = checkOf(fixed);
    EXPECT_EQ(after.header->kind, VbrHeaderKind::Xing);
    expectHeaderDescribes(fixed, after);

    // The same as remove, then add.
    auto byHand = analysed(cut);
    ASSERT_EQ(byHand->RemoveVbrHeader(), 1);
    ASSERT_EQ(byHand->Analyze(), 1);
    ASSERT_EQ(byHand->AddVbrHeader(), 1);
    EXPECT_EQ(imageOf(*byHand), fixed);
}

} // namespace
