// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// MPEG audio frame header fields and the constant tables behind them.
// Byte 1: 1111 0LLP (MPEG-2), 1111 1LLP (MPEG-1), 1110 xLLP (MPEG 2.5)
// Byte 2: BBBB SSpx   B bitrate index, S sample-rate index, p padding
// Byte 3: MMxx xxxx   M channel mode, 3 = single channel

#include <array>
#include <cstdint>

namespace brantlow::frameheader {

using Header = std::array<std::uint8_t, 4>;

constexpr bool isFrameSync(std::uint8_t byte0, std::uint8_t byte1)
{
    return byte0 == 0xFF && ((byte1 >> 4) == 0xF || (byte1 >> 4) == 0xE);
}
constexpr bool isMpeg25(const Header &h) { return (h[1] >> 4) == 0xE; }
constexpr int idBit(const Header &h) { return (h[1] >> 3) & 1; }
constexpr int layerBits(const Header &h) { return (h[1] >> 1) & 3; } // 3 = I, 2 = II, 1 = III, 0 reserved
constexpr int bitrateIndex(const Header &h) { return h[2] >> 4; }
constexpr int sampleRateIndex(const Header &h) { return (h[2] >> 2) & 3; }
constexpr int paddingBit(const Header &h) { return (h[2] >> 1) & 1; }
constexpr int channelMode(const Header &h) { return h[3] >> 6; }
constexpr bool isSingleChannel(const Header &h) { return channelMode(h) == 3; }

constexpr int kLayerI = 3;
constexpr int kLayerII = 2;
constexpr int kLayerIII = 1;

// Bytes between the end of the 4-byte header and the place of a "Xing" tag.
// Looks only at the ID bit and the channel mode.
constexpr int sideInfoSize(const Header &h)
{
    if (idBit(h) == 1)
        return isSingleChannel(h) ? 17 : 32;
    return isSingleChannel(h) ? 9 : 17;
}

// Bitrate in kbit/s, 0 where the header's indices cannot be used.
std::int32_t bitrateKbps(const Header &h);
// Sample rate in Hz, 0 for the reserved index.
std::int32_t sampleRateHz(const Header &h);

// Milliseconds a frame of `length` bytes lasts: from the byte length, padding
// included, not from the sample count. Only for a header whose length decoded
// (its bitrate is then never 0).
inline float durationMs(const Header &h, std::int32_t length)
{
    return static_cast<float>(static_cast<double>(length) / bitrateKbps(h) * 8.0);
}

struct LengthResult {
    std::int32_t length = 0; // bytes, header included; 0 on failure
    std::int32_t error = 0;  // 21 to 24 on failure
};
// Frame length from the tables alone; reads nothing else and keeps no state.
LengthResult frameLength(const Header &h);

// Samples per frame, for reporting durations to people (the engine itself
// derives durations from byte lengths).
std::int32_t samplesPerFrame(const Header &h);

} // namespace brantlow::frameheader
