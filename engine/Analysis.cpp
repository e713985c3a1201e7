// SPDX-License-Identifier: GPL-3.0-or-later
#include "Binedit.h"

#include "ByteReader.h"
#include "ContainerLayout.h"
#include "FileLayout.h"
#include "RiffLayout.h"
#include "XingLayout.h"

#include <optional>

namespace brantlow {

namespace {
// The RIFF size and the size of the data chunk whose header stands at
// `dataChunkHeader`; none when either cannot be read whole.
std::optional<detail::RiffSizes> riffSizesOf(const FileImage &image, std::int64_t dataChunkHeader)
{
    const detail::ByteReader reader(image);
    const auto riff = reader.u32le(detail::kRiffSizeOffset);
    const auto data = reader.u32le(dataChunkHeader + 4);
    if (!riff || !data)
        return std::nullopt;
    return detail::RiffSizes{*riff, *data};
}
} // namespace

std::int32_t TBinEdit::AnalyzeStructure()
{
    return analyzeLayout().errorCode == 0 ? 1 : 0;
}

FileLayout TBinEdit::analyzeLayout()
{
    Structure = 0;
    m_dataChunkHeader = -1;
    m_riffSizePlaceholder = m_dataSizePlaceholder = false;
    if (!Image) {
        ErrorCode = ecNoFrameSync;
        FileLayout none;
        none.errorCode = ecNoFrameSync;
        return none;
    }
    FileLayout layout = locateLayout(*Image);
    if (imageChanged())
        layout.errorCode = ErrorCode;
    Structure = layout.structure;
    AudioSize = layout.audioSize;
    if (layout.errorCode != 0) {
        ErrorCode = layout.errorCode;
        return layout;
    }
    m_dataChunkHeader = layout.dataChunkHeader;
    m_riffSizePlaceholder = layout.riffSizePlaceholder;
    m_dataSizePlaceholder = layout.dataSizePlaceholder;
    m_trailingTagsStart = layout.trailingTagsStart;
    FirstFrame = static_cast<std::int32_t>(layout.firstFrame);
    Image->Seek(FirstFrame, SeekOrigin::Begin);
    return layout;
}

std::int32_t TBinEdit::Analyze()
{
    if (!AnalyzeStructure())
        return 0;
    const detail::ByteReader reader(*Image);
    reader.readBytes(FirstFrame, 4, FirstHeader.data()); // the analysis has seen these four bytes
    if (xing::headerTagAt(reader, FirstFrame))
        Structure |= sfVbrHeader;
    if (imageChanged())
        return 0;
    Image->Seek(FirstFrame, SeekOrigin::Begin);
    return 1;
}

std::int32_t TBinEdit::FixRiffSizes(std::int32_t delta)
{
    // Placeholders as the analysis before the change found them: a size past
    // the end of the file may not be past it once bytes went in.
    const bool riffPlaceholder = m_riffSizePlaceholder;
    const bool dataPlaceholder = m_dataSizePlaceholder;
    // 32-bit sizes wrap as the fields do on disk; summed wide and cut to 32
    // bits, so that the wrap is a conversion rather than an overflow.
    auto wrapped = [&delta](std::uint32_t size) { return static_cast<std::uint32_t>(std::int64_t(size) + delta); };
    // True sizes follow the change before the layout is read again: read with
    // sizes the change left behind, a data chunk that shrank would seem to run
    // to the end of the file, its pad byte taken for junk after the audio.
    if (!riffPlaceholder && !dataPlaceholder && m_dataChunkHeader >= 0) {
        if (const auto before = riffSizesOf(*Image, m_dataChunkHeader)) {
            putImageU32le(detail::kRiffSizeOffset, wrapped(before->riff));
            putImageU32le(m_dataChunkHeader + 4, wrapped(before->data));
            delta = 0;
        }
    }
    const FileLayout layout = analyzeLayout();
    if (layout.errorCode != 0)
        return 0;
    if (!IsRmp3() && !IsWave())
        return 0;
    const auto sizes = riffSizesOf(*Image, m_dataChunkHeader);
    if (!sizes) {
        ErrorCode = ecNoFrameSync;
        return 0;
    }
    // A placeholder gets the size the changed file has, whatever the change.
    detail::RiffSizes fixed{wrapped(sizes->riff), wrapped(sizes->data)};
    if (riffPlaceholder || dataPlaceholder) {
        const detail::RiffSizes truth = detail::trueRiffSizes(detail::ByteReader(*Image), layout);
        fixed.riff = riffPlaceholder ? truth.riff : fixed.riff;
        fixed.data = dataPlaceholder ? truth.data : fixed.data;
    }
    putImageU32le(detail::kRiffSizeOffset, fixed.riff);
    putImageU32le(m_dataChunkHeader + 4, fixed.data);
    m_riffSizePlaceholder = m_dataSizePlaceholder = false;
    return 1;
}

// A RIFF chunk of odd size is followed by a pad byte, so that the next chunk
// starts on an even offset. After the data chunk changed by `delta` bytes,
// the pad byte is added or dropped as its size's parity changed, and the RIFF
// size follows, wherever another chunk follows the data chunk (by the RIFF
// size and in the image), and where the data chunk is the last thing in the
// file before the tags at its end: left, a pad byte would stand outside every
// chunk, and without one the next change would not find where to put it
// back. One that was odd without its pad byte (a broken writer) becomes
// right as soon as its size is even.
std::int32_t TBinEdit::keepRiffPadByte(std::int32_t delta)
{
    if (m_dataChunkHeader < 0 || (delta & 1) == 0)
        return 1;
    const auto sizes = riffSizesOf(*Image, m_dataChunkHeader);
    if (!sizes)
        return 1;
    const std::int64_t dataEnd = m_dataChunkHeader + 8 + std::int64_t(sizes->data);
    const std::int64_t riffEnd = 8 + std::int64_t(sizes->riff);
    auto chunkFollows = [&](std::int64_t pad) {
        return riffEnd - dataEnd >= 8 + pad && Image->Size() - dataEnd >= 8 + pad;
    };
    auto putRiffSize = [this](std::int64_t size) {
        putImageU32le(detail::kRiffSizeOffset, static_cast<std::uint32_t>(size));
    };
    if ((sizes->data & 1) != 0) {
        // Even before: it needed no pad byte, now it does.
        if (!chunkFollows(0) && dataEnd != m_trailingTagsStart)
            return 1;
        MemoryStream pad;
        pad.SetSize(1);
        if (!insertIntoImage(dataEnd, pad))
            return 0;
        if (riffEnd >= dataEnd)
            putRiffSize(std::int64_t(sizes->riff) + 1);
        return 1;
    }
    // Odd before: drop its pad byte, if it had one.
    // A "tag" at the end that starts inside the data chunk is its own bytes
    // (junk 127 bytes from the end reads as an ID3v1 tag with the pad byte):
    // the pad byte then still ends the file.
    const bool lastByte =
        dataEnd + 1 == m_trailingTagsStart || (m_trailingTagsStart < dataEnd && dataEnd + 1 == Image->Size());
    std::uint8_t pad = 0;
    if ((!chunkFollows(1) && !lastByte) || !Image->readAt(dataEnd, 1, &pad) || pad != 0)
        return 1;
    if (!deleteFromImage(dataEnd, 1))
        return 0;
    if (riffEnd > dataEnd)
        putRiffSize(std::int64_t(sizes->riff) - 1);
    return 1;
}

} // namespace brantlow
