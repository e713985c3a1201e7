#pragma once

// Internal to the engine: sizes and codes of the tags and the RIFF wrapper
// around the audio, which the locator and the head probe both go by.

#include <cstdint>

namespace brantlow::detail {

inline constexpr std::int64_t kId3v1Size = 128;
inline constexpr std::int64_t kId3v2HeaderSize = 10;
inline constexpr std::int64_t kId3v2FooterSize = 10;
inline constexpr std::uint8_t kId3v2FooterFlag = 0x10; // ID3v2.4 only
inline constexpr std::int64_t kRiffChunksStart = 12; // after "RIFF", its size and the form type
inline constexpr std::uint16_t kWaveFormatMpegLayer3 = 0x0055;
inline constexpr std::uint16_t kWaveFormatPcm = 0x0001;

// How far after the ID3v2 tags the first frame is looked for.
inline constexpr std::int64_t kFirstFrameWindow = 64 * 1024;

} // namespace brantlow::detail
