// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameHeader.h"

#include "ErrorCodes.h"

namespace brantlow::frameheader {
namespace {

using Row = std::array<std::int32_t, 16>;

// Indexed by [ID bit][layer bits][bitrate index]; index 0 (free format) and 15
// hold 0, as do the rows of the reserved layer.
constexpr std::array<std::array<Row, 4>, 2> kBitrates = {{
    {{
        // MPEG-2, lower sampling frequencies
        Row{},                                                                  // reserved
        Row{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},    // Layer III
        Row{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},    // Layer II
        Row{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}, // Layer I
    }},
    {{
        // MPEG-1
        Row{},                                                                    // reserved
        Row{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},    // Layer III
        Row{0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},   // Layer II
        Row{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // Layer I
    }},
}};

// MPEG 2.5 uses one row for every layer: the MPEG-2 Layer III values.
constexpr Row kMpeg25Bitrates = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

constexpr std::array<std::array<std::int32_t, 4>, 2> kSampleRates = {{
    {22050, 24000, 16000, 0}, // MPEG-2
    {44100, 48000, 32000, 0}, // MPEG-1
}};
constexpr std::array<std::int32_t, 4> kMpeg25SampleRates = {11025, 12000, 8000, 0};

} // namespace

std::int32_t bitrateKbps(const Header &h)
{
    if (isMpeg25(h))
        return kMpeg25Bitrates[bitrateIndex(h)];
    return kBitrates[idBit(h)][layerBits(h)][bitrateIndex(h)];
}

std::int32_t sampleRateHz(const Header &h)
{
    if (isMpeg25(h))
        return kMpeg25SampleRates[sampleRateIndex(h)];
    return kSampleRates[idBit(h)][sampleRateIndex(h)];
}

LengthResult frameLength(const Header &h)
{
    const std::int32_t padding = paddingBit(h);
    const std::int32_t rate = sampleRateHz(h);
    const std::int32_t kbps = bitrateKbps(h);
    // The sample rate is tested first, so a header wrong in both reports the rate.
    if (isMpeg25(h)) {
        if (rate == 0)
            return {0, ecMpeg25SampleRate};
        if (kbps == 0)
            return {0, ecMpeg25Bitrate};
        return {kbps * 72000 / rate + padding, 0}; // every MPEG 2.5 frame is sized as Layer III
    }
    if (rate == 0)
        return {0, ecSampleRate};
    if (kbps == 0)
        return {0, ecBitrateOrLayer};
    if (layerBits(h) == kLayerI)
        return {4 * (kbps * 12000 / rate + padding), 0}; // 4-byte slots
    if (idBit(h) == 1 || layerBits(h) == kLayerII)
        return {kbps * 144000 / rate + padding, 0};
    return {kbps * 72000 / rate + padding, 0}; // MPEG-2 Layer III: half the samples
}

std::int32_t samplesPerFrame(const Header &h)
{
    if (layerBits(h) == kLayerI)
        return 384;
    if (layerBits(h) == kLayerIII && (isMpeg25(h) || idBit(h) == 0))
        return 576;
    return 1152;
}

} // namespace brantlow::frameheader
