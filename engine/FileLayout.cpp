// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLayout.h"

#include "Binedit.h"
#include "ByteReader.h"
#include "ContainerLayout.h"
#include "FrameWalk.h"
#include "RiffLayout.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace brantlow {

namespace {

constexpr std::int64_t kLyrics3EndMarkerFromEnd = 137; // "LYRICS200", just before the ID3v1 tag
constexpr std::int64_t kLyrics3SizeFromEnd = 143;      // six decimal digits before the marker
constexpr std::int32_t kLyrics3Overhead = 15; // the size field and the end marker
constexpr std::int64_t kApeFooterSize = 32;
constexpr std::uint32_t kApeHasHeader = 0x80000000u;
// Frames of one stream that must chain where no header frame marks the start.
constexpr int kChainedFrames = 4;

// Leading blanks, an optional sign, then digits up to the first other
// character; no digits give 0.
std::int32_t parseLyricsSize(const char (&text)[6])
{
    int i = 0;
    while (i < 6 && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < 6 && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int32_t value = 0;
    for (; i < 6 && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

// Sizes are 32-bit signed and wrap as they would on disk; a hostile size
// must not make the arithmetic undefined.
std::int32_t wrap32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// An APEv2 (or v1) tag whose 32-byte footer ends at `end`.
ByteSpan apeTagEndingAt(const detail::ByteReader &reader, std::int64_t end)
{
    const std::int64_t footer = end - kApeFooterSize;
    if (!reader.matches(footer, "APETAGEX"))
        return {};
    const auto size = reader.u32le(footer + 12);  // items and footer
    const auto flags = reader.u32le(footer + 20);
    if (!size || !flags || *size < kApeFooterSize)
        return {};
    const std::int64_t length = std::int64_t(*size) + ((*flags & kApeHasHeader) ? kApeFooterSize : 0);
    if (length > end)
        return {};
    return {end - length, length};
}

// An ID3v2.4 tag appended at the end: its footer "3DI" ends at `end`, and its
// header stands where the footer's size says.
ByteSpan id3v2TagEndingAt(const detail::ByteReader &reader, std::int64_t end)
{
    const std::int64_t footer = end - detail::kId3v2FooterSize;
    if (!reader.matches(footer, "3DI"))
        return {};
    std::uint8_t size[4];
    reader.readBytes(footer + 6, 4, size);
    const std::int64_t start = footer - detail::syncsafe(size) - detail::kId3v2HeaderSize;
    if (start < 0 || detail::id3v2Length(reader, start) != end - start)
        return {};
    return {start, end - start};
}

// The signatures of the containers that carry MPEG audio among other things:
// their frames are not a stream of their own.
bool otherContainerAt(const detail::ByteReader &reader, std::int64_t at)
{
    static constexpr std::uint8_t kMatroska[] = {0x1A, 0x45, 0xDF, 0xA3};
    static constexpr std::uint8_t kMpegProgram[] = {0x00, 0x00, 0x01, 0xBA};
    auto matchesBytes = [&](const std::uint8_t(&magic)[4]) {
        std::uint8_t b[4];
        return reader.readBytes(at, 4, b) && std::equal(b, b + 4, magic);
    };
    return reader.matches(at + 4, "ftyp") || reader.matches(at, "OggS") || reader.matches(at, "fLaC")
        || matchesBytes(kMatroska) || matchesBytes(kMpegProgram);
}

struct FirstFrame {
    std::int64_t offset = -1;
    bool found = false; // a header frame or a chain, not just the start
};

// The first frame where the audio starts at `position` and may run to
// `audioEnd` (see locateLayout).
FirstFrame findFirstFrame(const detail::ByteReader &reader, std::int64_t position, std::int64_t audioEnd)
{
    // The first frame lies inside the audio.
    const std::int64_t windowEnd = std::min(position + detail::kFirstFrameWindow, audioEnd);
    // Right where the audio starts, a header frame may also be longer than
    // its header says (a removal looks for its end within the seek range);
    // one that frames of its stream, or another header frame, start inside
    // is a cut one, junk.
    frameheader::Header h;
    const std::int32_t length = detail::frameAt(reader, position, h);
    const auto startsInside = [&](std::int64_t at) {
        return detail::chainsAt(reader, at, audioEnd, &h) || detail::headerFrameAt(reader, at, audioEnd);
    };
    const bool headerAtStart = length != 0 && xing::headerTagAt(reader, position)
        && (detail::headerFrameAt(reader, position, audioEnd)
            || detail::findSync(reader, position + 1, position + length, startsInside) < 0);
    const std::int64_t header =
        headerAtStart ? position : detail::findHeaderFrame(reader, position, windowEnd, audioEnd);
    std::int64_t chain = -1;
    if (header >= 0) {
        frameheader::Header stream;
        reader.readBytes(header, 4, stream.data());
        chain = detail::findSync(reader, position, header, [&](std::int64_t at) {
            return detail::chainRun(reader, at, header, audioEnd, kChainedFrames, &stream) >= kChainedFrames;
        });
        return {chain >= 0 ? chain : header, true};
    }
    chain = detail::findSync(reader, position, windowEnd, [&](std::int64_t at) {
        return detail::chainRun(reader, at, audioEnd, audioEnd, kChainedFrames) >= kChainedFrames;
    });
    return chain >= 0 ? FirstFrame{chain, true} : FirstFrame{position, false};
}

} // namespace

FileLayout locateLayout(const std::uint8_t *data, std::int64_t size)
{
    return locateLayout(detail::ByteReader(data, size));
}

FileLayout locateLayout(const ByteSource &source)
{
    return locateLayout(detail::ByteReader(source));
}

FileLayout locateLayout(const detail::ByteReader &reader)
{
    FileLayout layout;
    const std::int64_t size = reader.size();
    auto fail = [&layout](std::int32_t code) {
        layout.errorCode = code;
        return layout;
    };
    std::int64_t audioEnd = size;
    layout.audioSize = static_cast<std::int32_t>(size);

    if (reader.matches(size - detail::kId3v1Size, "TAG")) {
        layout.id3v1 = {size - detail::kId3v1Size, detail::kId3v1Size};
        audioEnd -= detail::kId3v1Size;
        layout.structure |= sfId3v1;
    }
    // The Lyrics3 block is looked for where it would end before an ID3v1
    // tag, whether or not the tag is there.
    std::int64_t tailTagsStart = layout.id3v1.length ? size - detail::kId3v1Size : size;
    if (reader.matches(size - kLyrics3EndMarkerFromEnd, "LYRICS200")) {
        char digits[6];
        if (!reader.readBytes(size - kLyrics3SizeFromEnd, 6, digits))
            return fail(ecNoFrameSync);
        const std::int64_t blockSize = std::int64_t(parseLyricsSize(digits)) + kLyrics3Overhead;
        audioEnd = std::int64_t(wrap32(audioEnd - blockSize));
        tailTagsStart = size - detail::kId3v1Size - blockSize;
        layout.lyrics3 = {tailTagsStart, blockSize};
        layout.structure |= sfLyrics3;
    }
    layout.audioSize = wrap32(audioEnd);
    if (const ByteSpan ape = apeTagEndingAt(reader, tailTagsStart); ape.length > 0) {
        layout.ape = ape;
        audioEnd = ape.offset;
        tailTagsStart = ape.offset;
        layout.structure |= sfApeV2;
    }
    layout.trailingTagsStart = tailTagsStart >= 0 && tailTagsStart <= size ? tailTagsStart : size;

    std::int64_t position = 0;
    std::optional<detail::RiffWrapperFound> riff;
    if (reader.matches(0, "RIFF")) {
        riff = detail::findRiffWrapper(reader);
        if (riff->errorCode != 0)
            return fail(riff->errorCode);
        layout.wrapper = riff->rmp3 ? RiffWrapper::Rmp3 : RiffWrapper::Wave;
        layout.dataChunkHeader = riff->dataChunkHeader;
        layout.dataChunkSize = riff->dataSize;
        layout.structure |= riff->rmp3 ? sfRmp3 : sfWave;
        position = riff->dataChunkHeader + 8;
        layout.dataSizePlaceholder = detail::dataSizeIsPlaceholder(riff->dataSize, position, size);
        // A placeholder data size (or 0, which is one before frames) runs to the tags at the end.
        audioEnd = layout.dataSizePlaceholder || riff->dataSize == 0 ? std::max(layout.trailingTagsStart, position)
                                                                     : position + std::int64_t(riff->dataSize);
    } else if (otherContainerAt(reader, 0)) {
        return fail(ecOtherContainer);
    }
    layout.payloadStart = position;

    while (const std::int64_t length = detail::id3v2Length(reader, position, false)) {
        if (length < 0)
            return fail(ecNoFrameSync);
        layout.id3v2.push_back({position, length});
        layout.structure |= sfId3v2;
        position += length;
    }
    if (!riff && !layout.id3v2.empty() && otherContainerAt(reader, position))
        return fail(ecOtherContainer);
    if (!riff) {
        if (const ByteSpan tag = id3v2TagEndingAt(reader, audioEnd); tag.length > 0 && tag.offset >= position) {
            layout.id3v2AtEnd = tag;
            audioEnd = tag.offset;
        }
    }

    const FirstFrame first = findFirstFrame(reader, position, audioEnd);
    if (riff && riff->dataSize == 0) {
        // An empty data chunk stays empty unless MPEG frames follow it.
        layout.dataSizePlaceholder = first.found;
        if (!first.found)
            audioEnd = layout.payloadStart;
    }
    std::uint8_t sync[4];
    if (!reader.readBytes(first.offset, 4, sync) || !frameheader::isFrameSync(sync[0], sync[1]))
        return fail(ecNoFrameSync);
    if (first.offset > position)
        layout.junkBeforeFirstFrame = {position, first.offset - position};
    layout.firstFrame = first.offset;
    if (riff && layout.dataSizePlaceholder)
        audioEnd = detail::dataEndAfterFrames(reader, first.offset, audioEnd);
    // The RIFF chunk must hold the data chunk, as long as it truly is.
    if (riff)
        layout.riffSizePlaceholder = detail::riffSizeIsPlaceholder(riff->riffSize, audioEnd, size);
    layout.audioSize = wrap32(audioEnd - first.offset);
    return layout;
}

} // namespace brantlow
