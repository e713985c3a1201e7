// SPDX-License-Identifier: GPL-3.0-or-later
#include "RiffLayout.h"

#include "ContainerLayout.h"
#include "ErrorCodes.h"
#include "FrameWalk.h"

namespace brantlow::detail {

namespace {

constexpr std::int64_t kChunkHeaderSize = 8;
constexpr std::uint32_t kSizeToTheEnd = 0xFFFFFFFFu;

struct RiffChunks {
    std::int64_t data = -1; // "data" chunk header
    std::int64_t format = -1; // "fmt " chunk header, when it comes before "data"
};

// Chunks are word-aligned (`aligned`); some writers leave out the pad byte
// of an odd-sized chunk, so the caller may walk again without it.
RiffChunks walkRiffChunks(const ByteReader &reader, bool aligned)
{
    RiffChunks found;
    std::int64_t at = kRiffChunksStart;
    while (reader.contains(at, kChunkHeaderSize)) {
        if (reader.matches(at, "data")) {
            found.data = at;
            break;
        }
        if (found.format < 0 && reader.matches(at, "fmt "))
            found.format = at;
        const std::uint32_t size = *reader.u32le(at + 4);
        at += kChunkHeaderSize + std::int64_t(size) + (aligned ? (size & 1) : 0);
    }
    return found;
}

RiffChunks findRiffChunks(const ByteReader &reader)
{
    RiffChunks chunks = walkRiffChunks(reader, true);
    if (chunks.data < 0)
        chunks = walkRiffChunks(reader, false);
    return chunks;
}

bool isChunkId(const ByteReader &reader, std::int64_t at)
{
    for (std::int64_t i = 0; i < 4; ++i) {
        const auto c = reader.u8(at + i);
        if (!c || *c < 0x20 || *c > 0x7E)
            return false;
    }
    return true;
}

// True when chunks follow each other from `at` and the last one ends at `end`.
bool chunksReach(const ByteReader &reader, std::int64_t at, std::int64_t end)
{
    if (at >= end)
        return false;
    while (at < end) {
        if (end - at < kChunkHeaderSize || !isChunkId(reader, at))
            return false;
        const std::int64_t next = at + kChunkHeaderSize + *reader.u32le(at + 4);
        if (next > end)
            return false;
        at = next < end && (next - at) % 2 == 1 ? next + 1 : next;
    }
    return at == end;
}

} // namespace

RiffWrapperFound findRiffWrapper(const ByteReader &reader)
{
    RiffWrapperFound found;
    found.rmp3 = reader.matches(8, "RMP3");
    if (!found.rmp3 && !reader.matches(8, "WAVE")) {
        found.errorCode = ecRiffForm;
        return found;
    }
    const RiffChunks chunks = findRiffChunks(reader);
    if (!found.rmp3) {
        // The format tag is read where the format chunk is; without one,
        // where the first chunk's would be.
        const std::int64_t format = chunks.format >= 0 ? chunks.format : kRiffChunksStart;
        const auto formatTag = reader.u16le(format + 8);
        if (!formatTag)
            found.errorCode = ecNoFrameSync;
        else if (*formatTag == kWaveFormatPcm)
            found.errorCode = ecWavePcm;
        else if (*formatTag != kWaveFormatMpegLayer3)
            found.errorCode = ecWaveFormat;
        if (found.errorCode != 0)
            return found;
    }
    if (chunks.data < 0) {
        found.errorCode = found.rmp3 ? ecRmp3NoData : ecWaveNoData;
        return found;
    }
    const auto riffSize = reader.u32le(4);
    const auto dataSize = reader.u32le(chunks.data + 4);
    if (!riffSize || !dataSize) {
        found.errorCode = ecNoFrameSync;
        return found;
    }
    found.dataChunkHeader = chunks.data;
    found.riffSize = *riffSize;
    found.dataSize = *dataSize;
    return found;
}

bool riffSizeIsPlaceholder(std::uint32_t riffSize, std::int64_t dataEnd, std::int64_t fileSize)
{
    const std::int64_t riffEnd = kChunkHeaderSize + std::int64_t(riffSize);
    return riffSize == 0 || riffSize == kSizeToTheEnd || riffEnd > fileSize || riffEnd < dataEnd;
}

bool dataSizeIsPlaceholder(std::uint32_t dataSize, std::int64_t payloadStart, std::int64_t fileSize)
{
    return dataSize == kSizeToTheEnd || payloadStart + std::int64_t(dataSize) > fileSize;
}

std::int64_t dataEndAfterFrames(const ByteReader &reader, std::int64_t firstFrame, std::int64_t end)
{
    frameheader::Header stream;
    std::int32_t length = frameAt(reader, firstFrame, stream);
    std::int64_t at = firstFrame;
    frameheader::Header h = stream;
    while (length != 0 && sameStream(h, stream) && at + length <= end) {
        at += length;
        length = frameAt(reader, at, h);
    }
    if (at >= end)
        return end;
    // The pad byte of an odd data chunk may stand between it and the next chunk.
    if (chunksReach(reader, at, end) || (reader.u8(at) == std::uint8_t{0} && chunksReach(reader, at + 1, end)))
        return at;
    return end;
}

RiffSizes trueRiffSizes(const ByteReader &reader, const FileLayout &layout)
{
    const std::int64_t end = layout.trailingTagsStart;
    const std::int64_t dataEnd = layout.firstFrame >= 0 ? dataEndAfterFrames(reader, layout.firstFrame, end) : end;
    return {static_cast<std::uint32_t>(end - kChunkHeaderSize),
            static_cast<std::uint32_t>(dataEnd - layout.payloadStart)};
}

} // namespace brantlow::detail
