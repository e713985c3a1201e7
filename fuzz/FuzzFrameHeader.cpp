// SPDX-License-Identifier: GPL-3.0-or-later
// GetFrameLength and the side-information rule on every possible header.

#include "engine/Binedit.h"
#include "engine/FrameHeader.h"
#include "engine/XingLayout.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using brantlow::FrameHeaderBytes;
namespace fh = brantlow::frameheader;

// The longest frame the tables allow: MPEG-1 Layer II, 384 kbit/s at 32 kHz,
// padded.
constexpr std::int32_t kLongestFrame = 1729;
// The shortest: MPEG-2 Layer III, 8 kbit/s at 24 kHz.
constexpr std::int32_t kShortestFrame = 24;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    FrameHeaderBytes header{data[0], data[1], data[2], data[3]};

    brantlow::TBinEdit engine;
    engine.ErrorCode = 77; // a success must leave this alone
    const std::int32_t length = engine.GetFrameLength(header);
    const auto table = fh::frameLength(header);
    check(length == table.length);

    if (length == 0) {
        check(engine.ErrorCode >= 21 && engine.ErrorCode <= 24);
        check(engine.ErrorCode == table.error);
        check(engine.ErrorCode <= 22 ? fh::isMpeg25(header) : !fh::isMpeg25(header));
        check(engine.GetFrameDuration(header) == 0.0f);
    } else {
        check(engine.ErrorCode == 77);
        check(length >= kShortestFrame && length <= kLongestFrame);
        check(fh::bitrateKbps(header) > 0 && fh::sampleRateHz(header) > 0);
        const float duration = engine.GetFrameDuration(header);
        check(std::isfinite(duration) && duration > 0.0f);

        // The padding bit adds one slot: four bytes in Layer I, one otherwise.
        FrameHeaderBytes other = header;
        other[2] ^= 0x02;
        const std::int32_t otherLength = engine.GetFrameLength(other);
        const std::int32_t slot = (!fh::isMpeg25(header) && fh::layerBits(header) == fh::kLayerI) ? 4 : 1;
        check(std::abs(otherLength - length) == slot);
        check((fh::paddingBit(header) == 1) == (length > otherLength));
    }

    // The side information depends on the ID bit and the channel mode only.
    const int side = fh::sideInfoSize(header);
    check(side == 9 || side == 17 || side == 32);
    FrameHeaderBytes masked = header;
    masked[1] &= 0x08;
    masked[3] &= 0xC0;
    check(fh::sideInfoSize(masked) == side);
    const auto layout = brantlow::xing::layoutFor(header);
    check(layout.tag == 4 + side && layout.end == layout.tag + 116);

    // Samples per frame, for the durations shown to people: Layer I 384,
    // Layer III below MPEG-1 576, else 1152.
    const std::int32_t samples = fh::samplesPerFrame(header);
    check(samples == 384 || samples == 576 || samples == 1152);
    check((samples == 384) == (fh::layerBits(header) == fh::kLayerI));

    // Pure: the same header gives the same answer twice.
    check(engine.GetFrameLength(header) == length);
    return 0;
}
