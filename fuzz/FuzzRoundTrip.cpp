// SPDX-License-Identifier: GPL-3.0-or-later
// Analyze, AddVbrHeader, Analyze, RemoveVbrHeader must give back the original
// bytes whenever the add succeeded.
//
// The promise users rely on is made for files whose frames follow each other
// (the index walk reached AudioSize or the image end without a sync break).
// It is checked here for every successful add: the header frame goes in front
// of the first frame and is found there again whatever follows it, so a
// difference on a damaged file is a fault too.

#include "RoundTripExpect.h"

#include "engine/Binedit.h"
#include "engine/FileLayout.h"
#include "engine/XingLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::uint32_t bigEndian32(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::vector<std::uint8_t> bytesOf(const brantlow::FileImage &image)
{
    std::vector<std::uint8_t> bytes;
    check(brantlow::readWhole(image, bytes));
    return bytes;
}

bool sameBytes(const brantlow::FileImage &image, const std::uint8_t *data, std::size_t size)
{
    return bytesOf(image) == std::vector<std::uint8_t>(data, data + size);
}

// A removal on a file that already has a header: either it fails before any
// byte moves, or exactly one frame-sized run of bytes goes.
void removeExisting(brantlow::TBinEdit &engine, const std::uint8_t *data, std::size_t size)
{
    engine.SetSeekRange(1 + data[size - 1] % 8);
    if (engine.RemoveVbrHeader()) {
        check(engine.Image->Size() < static_cast<std::int64_t>(size));
        return;
    }
    // 45 and 46 are the only failures after bytes have moved.
    if (engine.ErrorCode != 45 && engine.ErrorCode != 46)
        check(sameBytes(*engine.Image, data, size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    brantlow::TBinEdit engine;
    engine.LoadImage(data, static_cast<std::int64_t>(size));
    if (!engine.Analyze())
        return 0;
    if (engine.HasVbrHeader()) {
        removeExisting(engine, data, size);
        return 0;
    }
    const bool riff = engine.IsWave() || engine.IsRmp3();
    const std::uint32_t riffSize = riff ? fuzzing::littleEndian32(data + 4) : 0;
    const bool placeholders = brantlow::locateLayout(data, static_cast<std::int64_t>(size)).riffSizesArePlaceholders();

    if (!engine.AddVbrHeader()) {
        // An add that fails before the insertion leaves the image alone.
        if (engine.ErrorCode != 44 && engine.Image->Size() == static_cast<std::int64_t>(size))
            check(sameBytes(*engine.Image, data, size));
        return 0;
    }
    const std::int64_t added = engine.Image->Size() - static_cast<std::int64_t>(size);
    check(added > 0);
    const std::int32_t frames = engine.FrameCount;

    // What the add wrote: a frame whose header gives its own length, with the
    // Xing fields where the layout puts them.
    check(engine.Analyze() && engine.HasVbrHeader());
    std::vector<std::uint8_t> image = bytesOf(*engine.Image);
    const std::uint8_t *frame = image.data() + engine.FirstFrame;
    // A RIFF data chunk followed by another chunk gains or loses its pad byte
    // as its size's parity changes.
    const std::int64_t padChange = added - engine.GetFrameLength(engine.FirstHeader);
    check(padChange == 0 || (riff && (padChange == 1 || padChange == -1)));
    const auto layout = brantlow::xing::layoutFor(engine.FirstHeader);
    check(bigEndian32(frame + layout.flags) == static_cast<std::uint32_t>(brantlow::xing::kFlagsFramesBytesToc));
    check(bigEndian32(frame + layout.frames) == static_cast<std::uint32_t>(frames));
    for (int i = 1; i < brantlow::xing::kTocEntries; ++i)
        check(frame[layout.toc + i] >= frame[layout.toc + i - 1]);
    // Placeholder RIFF sizes are written true; others grow by what was added.
    if (riff && placeholders)
        check(!brantlow::locateLayout(*engine.Image).riffSizesArePlaceholders());
    else if (riff)
        check(fuzzing::littleEndian32(image.data() + 4) == static_cast<std::uint32_t>(std::int64_t(riffSize) + added));

    // A header frame whose padding bit was set on the way says it is one
    // slot longer than it is: one byte is found again by the search around
    // its end (the shorter candidate first). Layer I's four bytes lie beyond
    // the default range: a sync in the audio where the header says, or near
    // it, is then taken for the next frame, or the removal fails; either way
    // it stays within the range.
    const bool flipPadding = size > 0 && (data[size / 2] & 1) != 0;
    const bool layerI = (engine.FirstHeader[1] & 0x06) == 0x06 && (engine.FirstHeader[1] >> 4) == 0xF;
    if (flipPadding) {
        image[static_cast<std::size_t>(engine.FirstFrame) + 2] ^= 0x02;
        engine.LoadImage(image.data(), static_cast<std::int64_t>(image.size()));
        check(engine.Analyze() && engine.HasVbrHeader());
    }
    engine.SetSeekRange(3);
    if (flipPadding && layerI) {
        const std::int64_t before = engine.Image->Size();
        const std::int64_t said = engine.GetFrameLength(engine.FirstHeader);
        if (engine.RemoveVbrHeader()) {
            const std::int64_t removed = before - engine.Image->Size();
            check(removed >= said - 3 && removed <= said + 3);
        } else {
            check(engine.Image->Size() == before);
        }
        return 0;
    }
    check(engine.RemoveVbrHeader());
    const std::vector<std::uint8_t> back = bytesOf(*engine.Image);
    check(back == fuzzing::expectedAfterRoundTrip(data, size, back));
    return 0;
}
