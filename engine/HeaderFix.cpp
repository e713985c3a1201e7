#include "Binedit.h"

#include "ByteReader.h"
#include "VbrHeaders.h"
#include "XingLayout.h"

#include <algorithm>
#include <cstring>

namespace brantlow {

namespace {

constexpr std::int64_t kExtensionMusicLength = 28;
constexpr std::int64_t kExtensionMusicCrc = 32;
constexpr std::int64_t kExtensionTagCrc = 34;

void putBigEndian16(std::uint8_t *p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

} // namespace

std::int32_t TBinEdit::FixVbrHeader()
{
    // The header frame is rewritten in place or replaced: the file is written whole.
    forgetTail();
    if (!Image) {
        ErrorCode = ecCannotFix;
        return 0;
    }
    if (!Analyze())
        return 0;
    const std::int32_t extent = headerFrameExtent();
    if (extent == 0)
        return 0;
    const auto header = readVbrHeader(Image->Data(), Image->Size(), FirstFrame, extent);
    if (!header) {
        ErrorCode = ecCannotFix;
        return 0;
    }

    // The stream without its header, as add sees it: what add would write is
    // what the fixed header says. Worked on a copy, so that a failure leaves
    // Image as it was.
    TBinEdit audio;
    audio.LoadImage(Image->Data(), Image->Size());
    audio.SeekRange = SeekRange;
    const bool cut = audio.Analyze() && audio.RemoveVbrHeader() && audio.Analyze();
    if (!cut) {
        ErrorCode = audio.ErrorCode;
        return 0;
    }
    if (header->kind == VbrHeaderKind::Vbri) {
        if (!audio.AddVbrHeader()) {
            ErrorCode = audio.ErrorCode;
            return 0;
        }
        Image = std::move(audio.Image);
        AnalyzeStructure();
        return 1;
    }

    MemoryStream built;
    std::int32_t builtLength = 0;
    if (!audio.MakeVbrHeader(built, builtLength)) {
        ErrorCode = audio.ErrorCode;
        return 0;
    }
    const xing::Layout builtLayout = xing::layoutFor(audio.FirstHeader);
    const std::uint8_t *toc = built.Data() + builtLayout.toc;
    const auto bytes = static_cast<std::uint32_t>(std::int64_t(extent) + audio.AudioSize);

    // Every field must lie inside the header frame before anything is written.
    std::int64_t at = header->tagOffset + 8;
    const std::int64_t framesAt = (header->flags & 1) ? at : -1;
    at += (header->flags & 1) ? 4 : 0;
    const std::int64_t bytesAt = (header->flags & 2) ? at : -1;
    at += (header->flags & 2) ? 4 : 0;
    const std::int64_t tocAt = (header->flags & 4) ? at : -1;
    at += (header->flags & 4) ? xing::kTocEntries : 0;
    at += (header->flags & 8) ? 4 : 0;
    const std::int64_t extensionAt = header->extension ? header->extension->offset : -1;
    const std::int64_t fieldsEnd = extensionAt >= 0 ? extensionAt + kExtensionTagCrc + 2 : at;
    if (fieldsEnd > extent || std::int64_t(FirstFrame) + fieldsEnd > Image->Size()) {
        ErrorCode = ecCannotFix;
        return 0;
    }

    std::uint8_t *frame = Image->Data() + FirstFrame;
    if (framesAt >= 0)
        PutBigEndian32(audio.FrameCount, frame + framesAt);
    if (bytesAt >= 0)
        PutBigEndian32(static_cast<std::int32_t>(bytes), frame + bytesAt);
    if (tocAt >= 0)
        std::memcpy(frame + tocAt, toc, xing::kTocEntries);
    if (extensionAt >= 0) {
        PutBigEndian32(static_cast<std::int32_t>(bytes), frame + extensionAt + kExtensionMusicLength);
        // Every byte after the header frame to the end of the audio.
        const std::int64_t musicStart = std::int64_t(FirstFrame) + extent;
        const std::int64_t musicEnd = std::min<std::int64_t>(std::int64_t(FirstFrame) + AudioSize, Image->Size());
        const std::uint16_t musicCrc = musicEnd > musicStart
            ? crc16Arc(Image->Data() + musicStart, static_cast<std::size_t>(musicEnd - musicStart))
            : 0;
        putBigEndian16(frame + extensionAt + kExtensionMusicCrc, musicCrc);
        putBigEndian16(frame + extensionAt + kExtensionTagCrc,
                       crc16Arc(frame, static_cast<std::size_t>(extensionAt + kExtensionTagCrc)));
    }
    return 1;
}

} // namespace brantlow
