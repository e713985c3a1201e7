// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the engine: sizes and codes of the tags and the RIFF wrapper
// around the audio, which the locator, the frame walk and the head probe go by.

#include "ByteReader.h"

#include <cstdint>

namespace brantlow::detail {

inline constexpr std::int64_t kId3v1Size = 128;
inline constexpr std::int64_t kId3v2HeaderSize = 10;
inline constexpr std::int64_t kId3v2FooterSize = 10;
inline constexpr std::uint8_t kId3v2FooterFlag = 0x10; // ID3v2.4 only
inline constexpr std::int64_t kRiffSizeOffset = 4; // after "RIFF"
inline constexpr std::int64_t kRiffChunksStart = 12; // after "RIFF", its size and the form type
inline constexpr std::uint16_t kWaveFormatMpegLayer3 = 0x0055;
inline constexpr std::uint16_t kWaveFormatPcm = 0x0001;

// How far after the ID3v2 tags the first frame is looked for.
inline constexpr std::int64_t kFirstFrameWindow = 64 * 1024;

// The 28-bit size of an ID3v2 header or footer: four bytes of which the low
// seven bits count.
inline std::int64_t syncsafe(const std::uint8_t *b)
{
    return (std::int64_t(b[0] & 0x7F) << 21) | (std::int64_t(b[1] & 0x7F) << 14) | (std::int64_t(b[2] & 0x7F) << 7)
        | std::int64_t(b[3] & 0x7F);
}

// Length of the ID3v2 tag whose header stands at `at`: header, body and,
// where it stands, the ID3v2.4 footer. 0 without "ID3" there (and, when
// `strict`, unless the version is 2 to 4 and every size byte has its top bit
// clear, as in a tag met between frames); -1 when the header is cut off.
inline std::int64_t id3v2Length(const ByteReader &reader, std::int64_t at, bool strict = true)
{
    if (!reader.matches(at, "ID3"))
        return 0;
    std::uint8_t header[kId3v2HeaderSize];
    if (!reader.readBytes(at, kId3v2HeaderSize, header))
        return strict ? 0 : -1;
    if (strict && (header[3] < 2 || header[3] > 4 || ((header[6] | header[7] | header[8] | header[9]) & 0x80) != 0))
        return 0;
    std::int64_t length = kId3v2HeaderSize + syncsafe(header + 6);
    // A footer is taken only where it stands, so that a flag set by mistake
    // does not hide what follows.
    if (header[3] == 4 && (header[5] & kId3v2FooterFlag) != 0 && reader.matches(at + length, "3DI"))
        length += kId3v2FooterSize;
    return length;
}

} // namespace brantlow::detail
