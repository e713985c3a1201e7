#include "Binedit.h"

#include "ByteReader.h"
#include "VbrHeaders.h"
#include "XingLayout.h"

#include <algorithm>
#include <cstring>

namespace brantlow {

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
    const xing::Fields fields = xing::fieldsFor(header->tagOffset, header->flags);
    const std::int64_t extensionAt = header->extension ? header->extension->offset : -1;
    const std::int64_t fieldsEnd = extensionAt >= 0 ? extensionAt + xing::kExtensionTagCrc + 2 : fields.end;
    if (fieldsEnd > extent || std::int64_t(FirstFrame) + fieldsEnd > Image->Size()) {
        ErrorCode = ecCannotFix;
        return 0;
    }

    std::uint8_t *frame = Image->Data() + FirstFrame;
    if (fields.frames >= 0)
        detail::putU32be(frame + fields.frames, static_cast<std::uint32_t>(audio.FrameCount));
    if (fields.bytes >= 0)
        detail::putU32be(frame + fields.bytes, bytes);
    if (fields.toc >= 0)
        std::memcpy(frame + fields.toc, toc, xing::kTocEntries);
    if (extensionAt >= 0) {
        detail::putU32be(frame + extensionAt + xing::kExtensionMusicLength, bytes);
        // Every byte after the header frame to the end of the audio.
        const std::int64_t musicStart = std::int64_t(FirstFrame) + extent;
        const std::int64_t musicEnd = std::min<std::int64_t>(std::int64_t(FirstFrame) + AudioSize, Image->Size());
        const std::uint16_t musicCrc = musicEnd > musicStart
            ? crc16Arc(Image->Data() + musicStart, static_cast<std::size_t>(musicEnd - musicStart))
            : 0;
        detail::putU16be(frame + extensionAt + xing::kExtensionMusicCrc, musicCrc);
        detail::putU16be(frame + extensionAt + xing::kExtensionTagCrc,
                         crc16Arc(frame, static_cast<std::size_t>(extensionAt + xing::kExtensionTagCrc)));
    }
    return 1;
}

} // namespace brantlow
