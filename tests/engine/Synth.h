// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds audio images in code: MPEG frames with zero payload, tags and RIFF
// wrappers around them.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace synth {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes &out, std::string_view text)
{
    for (char c : text)
        out.push_back(static_cast<std::uint8_t>(c));
}
inline void append(Bytes &out, const Bytes &more) { out.insert(out.end(), more.begin(), more.end()); }

inline void appendLe32(Bytes &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void appendLe16(Bytes &out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline std::uint32_t le32(const Bytes &b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16
        | std::uint32_t(b[at + 3]) << 24;
}
inline std::uint32_t be32(const Bytes &b, std::size_t at)
{
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8
        | std::uint32_t(b[at + 3]);
}

// One frame: the 4 header bytes, then `length - 4` bytes of `fill`.
inline Bytes frame(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, int length, std::uint8_t fill = 0)
{
    Bytes f(static_cast<std::size_t>(length), fill);
    f[0] = 0xFF;
    f[1] = b1;
    f[2] = b2;
    f[3] = b3;
    return f;
}

// `count` MPEG-1 Layer III frames at 44.1 kHz stereo, 128 kbit/s (417 bytes).
inline Bytes mpeg1Frames(int count)
{
    Bytes out;
    for (int i = 0; i < count; ++i)
        append(out, frame(0xFB, 0x90, 0x00, 417));
    return out;
}

// A variable-bitrate run: 128, 160 (padded) and 64 kbit/s in turn.
inline Bytes vbrFrames(int count)
{
    Bytes out;
    for (int i = 0; i < count; ++i) {
        switch (i % 3) {
        case 0:
            append(out, frame(0xFB, 0x90, 0x00, 417));
            break;
        case 1:
            append(out, frame(0xFB, 0xA2, 0x00, 523)); // 160 kbit/s with padding
            break;
        default:
            append(out, frame(0xFB, 0x50, 0x00, 208)); // 64 kbit/s
            break;
        }
    }
    return out;
}

inline Bytes id3v2(std::uint32_t bodySize)
{
    // Built whole: GCC 12 at -O3 takes growing a vector byte by byte here for
    // an overflow.
    Bytes out{'I', 'D', '3', 0x03, 0x00, 0x00,
              static_cast<std::uint8_t>((bodySize >> 21) & 0x7F), static_cast<std::uint8_t>((bodySize >> 14) & 0x7F),
              static_cast<std::uint8_t>((bodySize >> 7) & 0x7F), static_cast<std::uint8_t>(bodySize & 0x7F)};
    out.resize(out.size() + bodySize, 0);
    return out;
}

inline Bytes id3v1()
{
    Bytes out;
    append(out, "TAG");
    out.resize(128, ' ');
    return out;
}

// A Lyrics3 v2 block whose size field reads `sizeField`, with a body of that size.
inline Bytes lyrics3(int bodySize)
{
    Bytes out;
    append(out, "LYRICSBEGIN");
    out.resize(static_cast<std::size_t>(bodySize), 'x');
    char digits[7];
    std::snprintf(digits, sizeof digits, "%06d", bodySize);
    append(out, digits);
    append(out, "LYRICS200");
    return out;
}

inline Bytes rmp3(const Bytes &payload)
{
    Bytes out;
    append(out, "RIFF");
    appendLe32(out, static_cast<std::uint32_t>(payload.size() + 12));
    append(out, "RMP3");
    append(out, "data");
    appendLe32(out, static_cast<std::uint32_t>(payload.size()));
    append(out, payload);
    return out;
}

// RIFF WAVE with an MPEG Layer 3 format chunk (`extra` extra bytes), an
// optional fact chunk, `beforeData` (whole chunks), and the data chunk.
inline Bytes wave(const Bytes &payload, std::uint16_t formatTag = 0x0055, std::uint16_t extra = 12, bool fact = true,
                  const Bytes &beforeData = {})
{
    Bytes out;
    append(out, "RIFF");
    appendLe32(out, 0); // patched below
    append(out, "WAVE");
    append(out, "fmt ");
    appendLe32(out, 18u + extra);
    appendLe16(out, formatTag);
    appendLe16(out, 2);
    appendLe32(out, 44100);
    appendLe32(out, 16000);
    appendLe16(out, 1);
    appendLe16(out, 0);
    appendLe16(out, extra);
    out.resize(out.size() + extra, 0);
    if (fact) {
        append(out, "fact");
        appendLe32(out, 4);
        appendLe32(out, 1000);
    }
    append(out, beforeData);
    append(out, "data");
    appendLe32(out, static_cast<std::uint32_t>(payload.size()));
    append(out, payload);
    const auto riff = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    return out;
}

} // namespace synth
