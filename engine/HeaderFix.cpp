// SPDX-License-Identifier: GPL-3.0-or-later
#include "Binedit.h"

#include "ByteReader.h"
#include "FileCheck.h"
#include "VbrHeaders.h"
#include "XingLayout.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace brantlow {

namespace {
// The encoder's extension: revision in the high nibble, VBR method in the low.
constexpr std::int64_t kExtensionRevisionMethod = 9;
// The method a rebuilt frame gets when the stream turned out to be of
// variable bitrate: "unknown". Readers then take the frame count for the
// duration; a constant-bitrate method makes some time the file by its first
// bitrate, and any other names an encoder setting that was never used.
constexpr std::uint8_t kMethodUnknown = 0;
} // namespace

std::int32_t TBinEdit::FixVbrHeader()
{
    if (!Image) {
        ErrorCode = ecCannotFix;
        return 0;
    }
    if (!Analyze())
        return 0;
    const FileCheck before = checkFile(*Image);
    if (before.verdict == HeaderVerdict::Right || before.verdict == HeaderVerdict::NotNeeded)
        return 1;
    if (imageChanged())
        return 0;
    if (before.verdict == HeaderVerdict::Unreadable) {
        ErrorCode = before.errorCode;
        return 0;
    }

    // Kept, so that a failure leaves Image as it was: its description, not its bytes.
    const FileImage original = *Image;
    const ImageEdits originalEdits = m_imageEdits;
    std::int32_t done = 0;
    if (!before.header) {
        done = before.verdict == HeaderVerdict::Missing ? AddVbrHeader() : FixRiffSizes(0);
    } else if (const std::int32_t extent = headerFrameExtent(); extent != 0) {
        done = before.header->kind == VbrHeaderKind::Vbri ? replaceHeaderFrame(extent)
                                                          : rewriteHeaderFrame(before, extent);
    }
    const auto settled = [this] {
        const HeaderVerdict verdict = checkFile(*Image).verdict;
        return verdict == HeaderVerdict::Right || verdict == HeaderVerdict::NotNeeded;
    };
    if (done && !settled()) {
        ErrorCode = ecFixNotSettled;
        done = 0;
    }
    if (imageChanged())
        done = 0;
    if (!done) {
        *Image = original;
        m_imageEdits = originalEdits;
        AnalyzeStructure();
    }
    return done;
}

std::int32_t TBinEdit::rewriteHeaderFrame(const FileCheck &check, std::int32_t extent)
{
    const VbrHeader &header = *check.header;
    // The frames after the header frame, as check reads them.
    if (!markFrames(extent) || !walkedStreamIsWhole())
        return 0;
    const auto bytes = static_cast<std::uint32_t>(std::int64_t(extent) + AudioSize);

    // Every field must lie inside the header frame before anything is written.
    const xing::Fields fields = xing::fieldsFor(header.tagOffset, header.flags);
    const std::int64_t extensionAt = header.extension ? header.extension->offset : -1;
    const std::int64_t fieldsEnd = extensionAt >= 0 ? extensionAt + xing::kExtensionTagCrc + 2 : fields.end;
    if (fieldsEnd > extent || std::int64_t(FirstFrame) + fieldsEnd > Image->Size()) {
        ErrorCode = ecCannotFix;
        return 0;
    }

    // The fields are changed in a copy of the frame's bytes, written back at once.
    std::vector<std::uint8_t> bytesOfFrame(static_cast<std::size_t>(fieldsEnd));
    const detail::ByteReader reader(*Image);
    if (!reader.readBytes(FirstFrame, fieldsEnd, bytesOfFrame.data())) {
        ErrorCode = imageChanged() ? ecFileChanged : ecCannotFix;
        return 0;
    }
    std::uint8_t *frame = bytesOfFrame.data();
    if (fields.frames >= 0)
        detail::putU32be(frame + fields.frames, static_cast<std::uint32_t>(FrameCount));
    if (fields.bytes >= 0)
        detail::putU32be(frame + fields.bytes, bytes);
    if (fields.toc >= 0) {
        std::array<std::uint8_t, 100> toc{};
        markedToc(toc);
        std::memcpy(frame + fields.toc, toc.data(), toc.size());
    }
    // The constant-bitrate form on a stream whose bitrates differ (two files
    // joined): the encoder would have written "Xing".
    const bool becomesXing = header.kind == VbrHeaderKind::Info && check.stream.variableBitrate;
    if (becomesXing)
        std::memcpy(frame + header.tagOffset, xing::kTag.data(), xing::kTag.size());
    if (extensionAt >= 0) {
        if (becomesXing) {
            std::uint8_t &revisionMethod = frame[extensionAt + kExtensionRevisionMethod];
            revisionMethod = static_cast<std::uint8_t>((revisionMethod & 0xF0) | kMethodUnknown);
        }
        detail::putU32be(frame + extensionAt + xing::kExtensionMusicLength, bytes);
        // Every byte after the header frame to the end of the last whole frame.
        const std::int64_t musicStart = std::int64_t(FirstFrame) + extent;
        const std::int64_t musicEnd = std::min<std::int64_t>(musicStart + AudioSize, Image->Size());
        const std::optional<std::uint16_t> musicCrc =
            musicEnd > musicStart ? detail::crc16ArcOf(reader, musicStart, musicEnd) : std::uint16_t{0};
        if (!musicCrc) {
            ErrorCode = imageChanged() ? ecFileChanged : ecCannotFix;
            return 0;
        }
        detail::putU16be(frame + extensionAt + xing::kExtensionMusicCrc, *musicCrc);
        detail::putU16be(frame + extensionAt + xing::kExtensionTagCrc,
                         crc16Arc(frame, static_cast<std::size_t>(extensionAt + xing::kExtensionTagCrc)));
    }
    rewriteImage(FirstFrame, frame, fieldsEnd);
    if (check.layout.riffSizesArePlaceholders())
        return FixRiffSizes(0);
    return 1;
}

std::int32_t TBinEdit::replaceHeaderFrame(std::int32_t extent)
{
    // Built as an add builds it in front of the first audio frame, with the
    // counts of the frames after the header frame.
    if (!markFrames(extent) || !walkedStreamIsWhole())
        return 0;
    if (!Image->readAt(std::int64_t(FirstFrame) + extent, 4, FirstHeader.data())) {
        ErrorCode = ecCannotFix;
        return 0;
    }
    MemoryStream frame;
    std::int32_t length = 0;
    if (!startHeaderFrame(frame, length))
        return 0;
    finishHeaderFrame(frame, length);
    const std::int32_t at = FirstFrame;
    const bool riff = IsWave() || IsRmp3();
    if (!deleteFromImage(at, extent) || !insertIntoImage(at, frame)) {
        ErrorCode = ecInsertFailed;
        return 0;
    }
    const std::int32_t delta = length - extent;
    if (riff && (!FixRiffSizes(delta) || !keepRiffPadByte(delta)))
        return 0;
    return 1;
}

} // namespace brantlow
