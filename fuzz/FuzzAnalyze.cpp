// Analyze on arbitrary images: it must never read outside the image, and a
// success must describe a first frame that lies inside it.

#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "engine/FrameHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The pure readers agree with the engine's analysis, whatever they find.
    const brantlow::FileCheck facts = brantlow::checkFile(data, static_cast<std::int64_t>(size), true);
    for (const brantlow::JunkSpan &junk : facts.stream.junk)
        if (junk.offset < 0 || junk.length <= 0 || junk.offset + junk.length > static_cast<std::int64_t>(size))
            std::abort();

    brantlow::TBinEdit engine;
    engine.LoadImage(data, static_cast<std::int64_t>(size));
    if (!engine.Analyze())
        return 0;

    const std::int64_t first = engine.FirstFrame;
    if (first < 0 || first + 4 > static_cast<std::int64_t>(size))
        std::abort();
    if (!brantlow::frameheader::isFrameSync(data[first], data[first + 1]))
        std::abort();
    if (engine.Image->Position() != first)
        std::abort();
    if (facts.layout.errorCode != 0 || facts.layout.firstFrame != first || facts.layout.audioSize != engine.AudioSize)
        std::abort();

    // The frame index walk and the TOC over the same hostile image (MakeToc
    // builds the index itself).
    std::array<std::uint8_t, 100> toc{};
    if (engine.MakeToc(toc)) {
        if (engine.FrameCount < 1 || engine.IndexedBytes() <= 0 || engine.AudioSize <= 0)
            std::abort();
        for (int i = 1; i < 100; ++i)
            if (toc[i] < toc[i - 1])
                std::abort();
    }
    return 0;
}
