// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Readers of the VBR header frames met in real files: Xing and Info (with the
// encoder's 36-byte extension) and VBRI. Pure functions of the bytes.

#include "XingLayout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace brantlow {

namespace detail {
class ByteReader;
}

const char *vbrHeaderKindName(VbrHeaderKind kind); // "Xing", "Info", "VBRI"

// CRC-16/ARC: polynomial 0x8005 reflected (0xA001), no final XOR.
std::uint16_t crc16Arc(const std::uint8_t *data, std::size_t size, std::uint16_t crc = 0);

struct ReplayGain {
    std::uint16_t raw = 0;
    int name = 0;       // 0 not set, 1 radio, 2 audiophile
    int originator = 0; // 0 not set, 1 artist, 2 user, 3 automatic, 4 RMS average
    double db = 0.0;
};

// The encoder's extension, right after the Xing fields.
struct EncoderExtension {
    std::int64_t offset = 0; // from the frame's first byte
    std::string encoder;     // up to 9 characters, trailing NULs and blanks dropped
    int revision = 0;
    int vbrMethod = 0;
    int lowpassHz = 0;
    std::uint32_t peakRaw = 0; // amplitude scaled by 2^23
    double peak = 0.0;
    ReplayGain radioGain;
    ReplayGain audiophileGain;
    std::uint8_t encodingFlags = 0; // high nibble flags, low nibble ATH type
    int bitrate = 0;                // kbit/s (ABR target or minimum)
    int delay = 0;                  // samples at the start
    int padding = 0;                // samples at the end
    std::uint8_t misc = 0;
    std::uint8_t mp3Gain = 0;
    std::uint16_t presetSurround = 0;
    std::uint32_t musicLength = 0;
    std::uint16_t musicCrc = 0;
    std::uint16_t tagCrc = 0;
    bool tagCrcValid = false; // tagCrc matches the frame's bytes before it
};

struct VbrHeader {
    VbrHeaderKind kind = VbrHeaderKind::Xing;
    std::int64_t tagOffset = 0;  // of "Xing", "Info" or "VBRI", from the frame's first byte
    std::uint32_t flags = 0;     // Xing/Info: 1 frames, 2 bytes, 4 TOC, 8 quality
    std::optional<std::uint32_t> frames;
    std::optional<std::uint32_t> bytes;
    std::optional<std::array<std::uint8_t, 100>> toc;
    std::optional<std::uint32_t> quality;
    std::optional<EncoderExtension> extension;
    // VBRI only.
    int vbriVersion = 0;
    int vbriDelay = 0;
    int vbriTocEntries = 0;
    int vbriTocScale = 0;
    int vbriEntrySize = 0;
    int vbriFramesPerEntry = 0;
};

// The header in the frame at `frame`: "Xing" or "Info" at the side-information
// offset, or "VBRI" at byte 36. Fields that do not lie wholly inside
// [frame, frame + frameLength) and the image are left out.
std::optional<VbrHeader> readVbrHeader(const std::uint8_t *data, std::int64_t size, std::int64_t frame,
                                       std::int64_t frameLength);
std::optional<VbrHeader> readVbrHeader(const detail::ByteReader &image, std::int64_t frame, std::int64_t frameLength);

} // namespace brantlow
