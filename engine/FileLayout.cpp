#include "FileLayout.h"

#include "Binedit.h"
#include "ByteReader.h"
#include "ContainerLayout.h"
#include "FrameWalk.h"

#include <cctype>
#include <optional>

namespace brantlow {

namespace {

constexpr std::int64_t kLyrics3EndMarkerFromEnd = 137; // "LYRICS200", just before the ID3v1 tag
constexpr std::int64_t kLyrics3SizeFromEnd = 143;      // six decimal digits before the marker
constexpr std::int32_t kLyrics3Overhead = 15; // the size field and the end marker
constexpr std::int64_t kApeFooterSize = 32;
constexpr std::uint32_t kApeHasHeader = 0x80000000u;

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

// 28-bit value from four bytes of which the low seven bits count.
std::int64_t syncsafe(const std::uint8_t (&b)[4])
{
    return (std::int64_t(b[0] & 0x7F) << 21) | (std::int64_t(b[1] & 0x7F) << 14) | (std::int64_t(b[2] & 0x7F) << 7)
        | std::int64_t(b[3] & 0x7F);
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

struct RiffChunks {
    std::int64_t data = -1;   // "data" chunk header
    std::int64_t format = -1; // "fmt " chunk header, when it comes before "data"
};

// Chunks are word-aligned (`aligned`); some writers leave out the pad byte
// of an odd-sized chunk, so the caller may walk again without it.
RiffChunks walkRiffChunks(const detail::ByteReader &reader, bool aligned)
{
    RiffChunks found;
    std::int64_t at = detail::kRiffChunksStart;
    while (reader.contains(at, 8)) {
        if (reader.matches(at, "data")) {
            found.data = at;
            break;
        }
        if (found.format < 0 && reader.matches(at, "fmt "))
            found.format = at;
        const std::uint32_t size = *reader.u32le(at + 4);
        at += 8 + std::int64_t(size) + (aligned ? (size & 1) : 0);
    }
    return found;
}

RiffChunks findRiffChunks(const detail::ByteReader &reader)
{
    RiffChunks chunks = walkRiffChunks(reader, true);
    if (chunks.data < 0)
        chunks = walkRiffChunks(reader, false);
    return chunks;
}

// True when frames step from `from` exactly onto `to`.
bool framesReach(const detail::ByteReader &reader, std::int64_t from, std::int64_t to)
{
    frameheader::Header h;
    std::int64_t at = from;
    while (at < to) {
        const std::int32_t length = detail::frameAt(reader, at, h);
        if (length == 0)
            return false;
        at += length;
    }
    return at == to;
}

// The first frame after the ID3v2 tags, which may be followed by padding or
// junk: the first place within the window where frames of one stream chain,
// unless a VBR header frame stands in the window that those frames do not
// lead to (junk that happens to look like frames then lies before a header
// frame, which goes right before the first frame). Where neither is found,
// the position itself, as without padding.
std::int64_t firstFrameAfterTags(const detail::ByteReader &reader, std::int64_t position, std::int64_t audioEnd)
{
    const std::int64_t windowEnd = position + detail::kFirstFrameWindow;
    const std::int64_t chain = detail::chainsAt(reader, position, audioEnd)
        ? position
        : detail::findChain(reader, position + 1, windowEnd, audioEnd);
    const std::int64_t header = detail::findHeaderFrame(reader, position, windowEnd, audioEnd);
    if (header >= 0 && (chain < 0 || header <= chain || !framesReach(reader, chain, header)))
        return header;
    return chain >= 0 ? chain : position;
}

} // namespace

FileLayout locateLayout(const std::uint8_t *data, std::int64_t size)
{
    FileLayout layout;
    const detail::ByteReader reader(data, size);
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
        layout.structure |= sfApeV2;
    }

    std::int64_t position = 0;
    std::int64_t riffAudioSize = 0;
    if (reader.matches(0, "RIFF")) {
        const bool rmp3 = reader.matches(8, "RMP3");
        if (!rmp3 && !reader.matches(8, "WAVE"))
            return fail(ecRiffForm);
        const RiffChunks chunks = findRiffChunks(reader);
        if (!rmp3) {
            // The format tag is read where the format chunk is; without one,
            // where the first chunk's would be.
            const std::int64_t format = chunks.format >= 0 ? chunks.format : detail::kRiffChunksStart;
            const auto formatTag = reader.u16le(format + 8);
            if (!formatTag)
                return fail(ecNoFrameSync);
            if (*formatTag == detail::kWaveFormatPcm)
                return fail(ecWavePcm);
            if (*formatTag != detail::kWaveFormatMpegLayer3)
                return fail(ecWaveFormat);
        }
        if (chunks.data < 0)
            return fail(rmp3 ? ecRmp3NoData : ecWaveNoData);
        const auto dataSize = reader.u32le(chunks.data + 4);
        if (!dataSize)
            return fail(ecNoFrameSync);
        layout.wrapper = rmp3 ? RiffWrapper::Rmp3 : RiffWrapper::Wave;
        layout.dataChunkHeader = chunks.data;
        layout.dataChunkSize = *dataSize;
        layout.structure |= rmp3 ? sfRmp3 : sfWave;
        position = chunks.data + 8;
        riffAudioSize = static_cast<std::int32_t>(*dataSize);
        layout.audioSize = static_cast<std::int32_t>(riffAudioSize);
    }
    layout.payloadStart = position;

    while (reader.matches(position, "ID3")) {
        std::uint8_t sizeBytes[4];
        if (!reader.readBytes(position + 6, 4, sizeBytes))
            return fail(ecNoFrameSync);
        std::int64_t length = detail::kId3v2HeaderSize + syncsafe(sizeBytes);
        // An ID3v2.4 footer is taken only where it stands, so that a flag set
        // by mistake does not hide the first frame.
        const bool footer = *reader.u8(position + 3) == 4 && (*reader.u8(position + 5) & detail::kId3v2FooterFlag) != 0;
        if (footer && reader.matches(position + length, "3DI"))
            length += detail::kId3v2FooterSize;
        layout.id3v2.push_back({position, length});
        layout.structure |= sfId3v2;
        position += length;
    }

    // Without a tag the first frame must stand at the start; after one, the
    // tag may be followed by padding or junk it does not count.
    std::int64_t first = position;
    if (!layout.id3v2.empty()) {
        const std::int64_t chainEnd = layout.wrapper == RiffWrapper::None ? audioEnd : layout.payloadStart + riffAudioSize;
        first = firstFrameAfterTags(reader, position, chainEnd);
    }
    if (!reader.contains(first, 4) || !frameheader::isFrameSync(data[first], data[first + 1]))
        return fail(ecNoFrameSync);
    if (first > position)
        layout.junkBeforeFirstFrame = {position, first - position};
    layout.firstFrame = first;
    if (layout.wrapper == RiffWrapper::None)
        layout.audioSize = wrap32(audioEnd - first);
    else
        layout.audioSize = wrap32(riffAudioSize - (first - layout.payloadStart));
    return layout;
}

} // namespace brantlow
