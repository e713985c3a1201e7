// SPDX-License-Identifier: GPL-3.0-or-later
#include "Binedit.h"

#include "ByteReader.h"
#include "ContainerLayout.h"
#include "FileLayout.h"

#include <algorithm>
#include <memory>
#include <new>

namespace brantlow {

std::int32_t TBinEdit::AddVbrHeader()
{
    if (!Image) {
        ErrorCode = ecInsertFailed;
        return 0;
    }
    std::unique_ptr<MemoryStream> scratch;
    try {
        scratch = std::make_unique<MemoryStream>();
    } catch (const std::bad_alloc &) {
        ErrorCode = ecNoScratchStream;
        return 0;
    }
    std::int32_t length = 0;
    if (!MakeVbrHeader(*scratch, length))
        return 0;
    const std::int32_t at = FirstFrame;
    // The flags as the frame index walk has just set them.
    const bool riff = IsWave() || IsRmp3();
    // The size fields as they stand: taking the add back puts them back, so
    // that placeholders the add wrote true are placeholders again.
    const std::int64_t dataChunkHeader = m_dataChunkHeader;
    const detail::ByteReader before(*Image);
    const auto riffSize = before.u32le(detail::kRiffSizeOffset);
    const auto dataSize = before.u32le(dataChunkHeader + 4);
    if (!insertIntoImage(at, *scratch)) {
        ErrorCode = ecInsertFailed;
        return 0;
    }
    if (riff && !FixRiffSizes(length))
        return 0;
    // After padding or junk behind an ID3v2 tag the first frame is searched
    // for; bytes there that look like frames could lead the search past the
    // new frame once it stands. Then the add is taken back: a header that
    // would not be found again is never written.
    if (locateLayout(*Image).firstFrame != at || imageChanged()) {
        const std::int32_t reason = Image->readFailed() ? ecFileChanged : ecHeaderNotFoundAgain;
        deleteFromImage(at, length);
        if (riff && riffSize && dataSize) {
            putImageU32le(detail::kRiffSizeOffset, *riffSize);
            putImageU32le(dataChunkHeader + 4, *dataSize);
        }
        AnalyzeStructure();
        ErrorCode = reason;
        return 0;
    }
    if (riff && !keepRiffPadByte(length)) {
        ErrorCode = ecInsertFailed;
        return 0;
    }
    return imageChanged() ? 0 : 1;
}

std::int32_t TBinEdit::headerFrameExtent()
{
    const std::int64_t size = Image->Size();
    const std::int32_t length = GetFrameLength(FirstHeader);
    if (length == 0)
        return 0;
    if (frameSyncAt(std::int64_t(FirstFrame) + length))
        return length;
    // The header frame may be a little longer or shorter than its header
    // says: look for the next frame nearby, the shorter candidate first.
    // Candidates beyond the image or below 5 bytes are never taken, so the
    // search stops where none is left, whatever the range.
    const std::int64_t reach = std::min<std::int64_t>(SeekRange, std::max<std::int64_t>(length, size - length));
    for (std::int64_t d = 1; d <= reach; ++d) {
        for (const std::int64_t candidate : {length - d, length + d}) {
            if (candidate <= 4 || candidate > size)
                continue;
            if (frameSyncAt(std::int64_t(FirstFrame) + candidate))
                return static_cast<std::int32_t>(candidate);
        }
    }
    return 0;
}

std::int32_t TBinEdit::RemoveVbrHeader()
{
    if (!Image) {
        ErrorCode = ecCutFailed;
        return 0;
    }
    const std::int32_t length = headerFrameExtent();
    if (length == 0 || imageChanged())
        return 0;
    if (!deleteFromImage(FirstFrame, length)) {
        ErrorCode = ecCutFailed;
        return 0;
    }
    if (IsWave() || IsRmp3()) {
        if (!FixRiffSizes(-length) || !keepRiffPadByte(-length)) {
            ErrorCode = ecRiffFixFailed;
            return 0;
        }
    }
    return imageChanged() ? 0 : 1;
}

} // namespace brantlow
