// SPDX-License-Identifier: GPL-3.0-or-later
// Analyze on arbitrary images: it must never read outside the image, and a
// success must describe a first frame that lies inside it. check, add and
// fix read a file alike: what check cannot read, add refuses for the same
// reason; what fix mends, check then calls right, and a second fix leaves.

#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "engine/FrameHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameBytes(const brantlow::FileImage &image, const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> bytes;
    return brantlow::readWhole(image, bytes) && bytes == std::vector<std::uint8_t>(data, data + size);
}

// One verdict, and a fix that settles.
void fixSettles(const brantlow::FileCheck &facts, const std::uint8_t *data, std::size_t size)
{
    using brantlow::HeaderVerdict;
    brantlow::TBinEdit engine;
    engine.LoadImage(data, static_cast<std::int64_t>(size));
    if (facts.verdict == HeaderVerdict::Unreadable && facts.layout.errorCode == 0 && !facts.header) {
        check(engine.Analyze() && !engine.AddVbrHeader() && engine.ErrorCode == facts.errorCode);
        return;
    }
    if (facts.verdict != HeaderVerdict::Missing && facts.verdict != HeaderVerdict::Stale)
        return;
    if (!engine.FixVbrHeader()) {
        // A mended header that would not read back as right is a fault of
        // the rebuild; any other refusal leaves the image as it was.
        check(engine.ErrorCode != brantlow::ecFixNotSettled);
        check(sameBytes(*engine.Image, data, size));
        return;
    }
    const brantlow::FileCheck after = brantlow::checkFile(*engine.Image);
    check(after.verdict == HeaderVerdict::Right || after.verdict == HeaderVerdict::NotNeeded);
    brantlow::TBinEdit again;
    std::vector<std::uint8_t> fixed;
    check(brantlow::readWhole(*engine.Image, fixed));
    again.LoadImage(fixed.data(), static_cast<std::int64_t>(fixed.size()));
    check(again.FixVbrHeader() && sameBytes(*again.Image, fixed.data(), fixed.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The pure readers agree with the engine's analysis, whatever they find.
    const brantlow::FileCheck facts = brantlow::checkFile(data, static_cast<std::int64_t>(size), true);
    for (const brantlow::JunkSpan &junk : facts.stream.junk)
        check(junk.offset >= 0 && junk.length > 0 && junk.offset + junk.length <= static_cast<std::int64_t>(size));
    fixSettles(facts, data, size);

    brantlow::TBinEdit engine;
    engine.LoadImage(data, static_cast<std::int64_t>(size));
    if (!engine.Analyze())
        return 0;

    const std::int64_t first = engine.FirstFrame;
    check(first >= 0 && first + 4 <= static_cast<std::int64_t>(size));
    check(brantlow::frameheader::isFrameSync(data[first], data[first + 1]));
    check(engine.Image->Position() == first);
    check(facts.layout.errorCode == 0 && facts.layout.firstFrame == first
          && facts.layout.audioSize == engine.AudioSize);

    // The frame index walk and the TOC over the same hostile image (MakeToc
    // builds the index itself).
    std::array<std::uint8_t, 100> toc{};
    if (engine.MakeToc(toc)) {
        check(engine.FrameCount >= 1 && engine.IndexedBytes() > 0 && engine.AudioSize > 0);
        for (int i = 1; i < 100; ++i)
            check(toc[i] >= toc[i - 1]);
    }
    return 0;
}
