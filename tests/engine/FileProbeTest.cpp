// SPDX-License-Identifier: GPL-3.0-or-later
// The first look at a file: what can never be audio is refused from its head
// and tail, and nothing the full analysis may take.

#include "engine/FileProbe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brantlow {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(std::size_t n, char c = 't') { return Bytes(n, static_cast<std::uint8_t>(c)); }
Bytes zeros(std::size_t n) { return Bytes(n, 0); }

// MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz.
Bytes frames(int count)
{
    Bytes out;
    for (int i = 0; i < count; ++i) {
        const Bytes frame = Bytes{0xFF, 0xFB, 0x90, 0x64} + zeros(413);
        out = out + frame;
    }
    return out;
}

// An ID3v2 tag of `payload` bytes; `footer` sets the v2.4 footer flag.
Bytes id3v2(std::uint32_t payload, bool footer = false)
{
    Bytes tag = {'I', 'D', '3', 4, 0, static_cast<std::uint8_t>(footer ? 0x10 : 0),
                 static_cast<std::uint8_t>((payload >> 21) & 0x7F), static_cast<std::uint8_t>((payload >> 14) & 0x7F),
                 static_cast<std::uint8_t>((payload >> 7) & 0x7F), static_cast<std::uint8_t>(payload & 0x7F)};
    const std::uint32_t body = payload < 200000 ? payload : 0; // a long tag's body lies past the head anyway
    tag = tag + text(body, 'i');
    if (footer)
        tag = tag + Bytes{'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
    return tag;
}

Bytes chunk(const std::string &id, const Bytes &body)
{
    const auto n = static_cast<std::uint32_t>(body.size());
    Bytes out(id.begin(), id.end());
    out = out + Bytes{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
                      static_cast<std::uint8_t>(n >> 24)};
    out = out + body;
    if (n & 1)
        out.push_back(0);
    return out;
}

Bytes riff(const std::string &form, const Bytes &chunks)
{
    return chunk("RIFF", Bytes(form.begin(), form.end()) + chunks);
}

Bytes fmt(std::uint16_t tag) { return chunk("fmt ", Bytes{static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8)} + zeros(14)); }

struct Row {
    const char *what;
    Bytes file;
    const char *refusal; // nullptr: acceptable
    std::int64_t size = -1; // the file's size when larger than what is given (a sparse tail)
};

TEST(FileProbe, RefusesOnlyWhatCanNeverBeAudio)
{
    const Bytes id3v1 = Bytes{'T', 'A', 'G'} + Bytes(125, 0xFF);
    const char *noSync = "not MPEG audio: no frame sync in the first 64 KiB";
    const std::vector<Row> rows = {
        {"plain frames", frames(20), nullptr},
        {"an ID3v2 tag, then frames", id3v2(300) + frames(20), nullptr},
        {"two ID3v2 tags and zero padding, then frames", id3v2(300) + zeros(500) + id3v2(40) + frames(20), nullptr},
        {"an ID3v2.4 tag with its footer, then frames", id3v2(300, true) + frames(20), nullptr},
        {"junk after the tag, within the analysis's window", id3v2(300) + text(60 * 1024) + frames(20), nullptr},
        {"junk past the window", id3v2(300) + text(100 * 1024) + frames(20), noSync},
        {"a text file", text(4000), noSync},
        {"an empty file", {}, noSync},
        {"text with an ID3v1 tag of 0xFF bytes", text(4000) + id3v1, noSync},
        {"a tag longer than the head", id3v2(1 << 20), nullptr, 3 << 20},
        {"a window that runs past the head", id3v2(120 * 1024) + text(10 * 1024), nullptr, 1 << 20},
        {"RMP3", riff("RMP3", chunk("data", frames(3))), nullptr},
        {"MPEG WAVE", riff("WAVE", fmt(0x55) + chunk("data", frames(3))), nullptr},
        {"MPEG WAVE, LIST first", riff("WAVE", chunk("LIST", text(99)) + fmt(0x55) + chunk("data", frames(3))), nullptr},
        {"PCM WAVE", riff("WAVE", fmt(1) + chunk("data", zeros(4000))), "PCM WAVE"},
        {"PCM WAVE, LIST first", riff("WAVE", chunk("LIST", text(99)) + fmt(1) + chunk("data", zeros(4000))), "PCM WAVE"},
        {"ADPCM WAVE", riff("WAVE", fmt(2) + chunk("data", zeros(4000))), "WAVE format 0x0002: not MPEG audio"},
        {"WAVE, format past the head", riff("WAVE", chunk("LIST", text(200 * 1024)) + fmt(1)), nullptr},
        {"AVI", riff("AVI ", chunk("LIST", text(100))), "RIFF form \"AVI \": not MPEG audio"},
        {"2 GiB of frames", frames(20), "2 GiB or more", std::int64_t{1} << 31},
        {"just under 2 GiB of frames", frames(20), nullptr, (std::int64_t{1} << 31) - 1},
    };
    for (const Row &row : rows) {
        const std::int64_t size = row.size >= 0 ? row.size : static_cast<std::int64_t>(row.file.size());
        const std::size_t headSize = std::min<std::size_t>(row.file.size(), kProbeHeadSize);
        // The tail of a file larger than what is given is zeros, as in a sparse file.
        Bytes tail;
        if (row.size < 0)
            tail.assign(row.file.end() - static_cast<std::ptrdiff_t>(std::min<std::size_t>(row.file.size(), kProbeTailSize)),
                        row.file.end());
        else
            tail = zeros(kProbeTailSize);
        const ProbeVerdict verdict = probeFileHead(row.file.data(), headSize, tail.data(), tail.size(), size);
        if (row.refusal == nullptr) {
            EXPECT_TRUE(verdict.acceptable) << row.what << ": " << verdict.reason;
        } else {
            EXPECT_FALSE(verdict.acceptable) << row.what;
            EXPECT_EQ(verdict.reason, row.refusal) << row.what;
            EXPECT_NE(verdict.refusal, ProbeRefusal::None) << row.what;
        }
    }
}

} // namespace
} // namespace brantlow
