#pragma once

// Internal to the engine: the one walk along the frames of a stream, shared
// by the frame index and the pure readers, and the chain test that finds a
// frame again after junk.

#include "ByteReader.h"
#include "FrameHeader.h"
#include "XingLayout.h"

#include <cstdint>

namespace brantlow::detail {

// Frames chain when they share version, layer and sample rate.
constexpr bool sameStream(const frameheader::Header &a, const frameheader::Header &b)
{
    return (a[1] & 0x1E) == (b[1] & 0x1E) && (a[2] & 0x0C) == (b[2] & 0x0C);
}

// The header at `at` when it is a frame sync whose length decodes; length 0 otherwise.
inline std::int32_t frameAt(const ByteReader &reader, std::int64_t at, frameheader::Header &h)
{
    if (!reader.readBytes(at, 4, h.data()) || !frameheader::isFrameSync(h[0], h[1]))
        return 0;
    return frameheader::frameLength(h).length;
}

// True when a frame stands at `at` and a second frame of the same stream
// follows it, or the first one ends exactly at `audioEnd`. With `reference`,
// both must also belong to the reference's stream.
inline bool chainsAt(const ByteReader &reader, std::int64_t at, std::int64_t audioEnd,
                     const frameheader::Header *reference = nullptr)
{
    frameheader::Header first;
    const std::int32_t length = frameAt(reader, at, first);
    if (length == 0 || (reference && !sameStream(first, *reference)))
        return false;
    if (at + length == audioEnd)
        return true;
    frameheader::Header second;
    return frameAt(reader, at + length, second) != 0 && sameStream(first, second);
}

// A frame that carries a VBR header tag and is followed, within 4 bytes (a
// Layer I padding slot) of where its header says it ends, by a frame of its
// stream (or ends the audio): found so, since a header frame may be a little
// longer or shorter than it says.
inline bool headerFrameAt(const ByteReader &reader, std::int64_t at, std::int64_t audioEnd)
{
    frameheader::Header h;
    const std::int32_t length = frameAt(reader, at, h);
    if (length == 0 || !xing::headerTagAt(reader, at))
        return false;
    if (at + length == audioEnd)
        return true;
    frameheader::Header next;
    for (const int d : {0, -1, 1, -2, 2, -3, 3, -4, 4}) {
        if (length + d > 4 && frameAt(reader, at + length + d, next) != 0 && sameStream(h, next))
            return true;
    }
    return false;
}

// The first offset in [from, to) where a frame sync stands that passes `test`;
// -1 when there is none.
template <typename Test>
std::int64_t findSync(const ByteReader &reader, std::int64_t from, std::int64_t to, Test test)
{
    const std::uint8_t *data = reader.data();
    const std::int64_t last = to < reader.size() - 4 ? to : reader.size() - 4;
    for (std::int64_t at = from < 0 ? 0 : from; at <= last && at < to; ++at) {
        if (data[at] == 0xFF && frameheader::isFrameSync(data[at], data[at + 1]) && test(at))
            return at;
    }
    return -1;
}

// The first offset in [from, to) where frames chain; -1 when there is none.
inline std::int64_t findChain(const ByteReader &reader, std::int64_t from, std::int64_t to, std::int64_t audioEnd,
                              const frameheader::Header *reference = nullptr)
{
    return findSync(reader, from, to, [&](std::int64_t at) { return chainsAt(reader, at, audioEnd, reference); });
}

// The first offset in [from, to) where a header frame stands; -1 when there is none.
inline std::int64_t findHeaderFrame(const ByteReader &reader, std::int64_t from, std::int64_t to,
                                    std::int64_t audioEnd)
{
    return findSync(reader, from, to, [&](std::int64_t at) { return headerFrameAt(reader, at, audioEnd); });
}

enum class WalkGapKind { Junk, CutFrame };

// How far ahead of the frame at hand the walk asks for the bytes it will read.
inline constexpr std::int64_t kPrefetchAhead = 4096;

// Walks the frames from `firstFrame` up to `audioSize` bytes further (the last
// frame may reach beyond). Where bytes are not the next frame, the walk looks
// for the next place where frames of the first frame's stream chain, from just
// after the start of the last frame (which may have been cut short), and goes
// on there. Offsets handed to the visitor are relative to `firstFrame`.
//   visitor.frame(offset, header, length)      one frame
//   visitor.shorten(length)                    the last frame was cut to this length
//   visitor.gap(offset, length, kind)          bytes that are no frame
// Returns 0, or the code of the first frame's unusable header (21 to 24).
// `unresynced` receives the bytes at the end that no frame could be found in.
template <typename Visitor>
std::int32_t walkFrames(const ByteReader &reader, std::int64_t firstFrame, std::int64_t audioSize, Visitor &visitor,
                        std::int64_t &unresynced)
{
    unresynced = 0;
    frameheader::Header reference;
    reader.readBytes(firstFrame, 4, reference.data());
    const frameheader::LengthResult first = frameheader::frameLength(reference);
    if (first.length == 0)
        return first.error;
    visitor.frame(std::int64_t{0}, reference, first.length);

    const std::int64_t audioEnd = firstFrame + audioSize;
    const std::int64_t searchEnd = audioEnd < reader.size() ? audioEnd : reader.size();
    std::int64_t lastStart = 0;
    std::int64_t pos = first.length;
    frameheader::Header h;
    while (pos < audioSize) {
        const std::int64_t at = firstFrame + pos;
        if (!reader.contains(at, 4)) {
            unresynced = searchEnd > at ? searchEnd - at : 0;
            break;
        }
        // The next headers lie a few frames on, mostly in pages the caches
        // do not hold yet: ask for them before they are needed.
        __builtin_prefetch(reader.data() + (at + kPrefetchAhead < reader.size() ? at + kPrefetchAhead : at));
        const std::int32_t length = frameAt(reader, at, h);
        if (length != 0) {
            visitor.frame(pos, h, length);
            lastStart = pos;
            pos += length;
            continue;
        }
        const std::int64_t next = findChain(reader, firstFrame + lastStart + 1, searchEnd, audioEnd, &reference);
        if (next < 0) {
            unresynced = searchEnd - at;
            visitor.gap(pos, unresynced, WalkGapKind::Junk);
            break;
        }
        const std::int64_t rel = next - firstFrame;
        if (rel < pos) {
            visitor.shorten(static_cast<std::int32_t>(rel - lastStart));
            visitor.gap(lastStart, rel - lastStart, WalkGapKind::CutFrame);
        } else {
            visitor.gap(pos, rel - pos, WalkGapKind::Junk);
        }
        pos = rel;
    }
    return 0;
}

// More bytes than this at the end of the audio that hold no frame, and a
// header would describe only part of the stream.
constexpr bool tooMuchUnresynced(std::int64_t unresynced, std::int64_t streamBytes)
{
    return unresynced > 64 * 1024 || unresynced * 100 > streamBytes;
}

} // namespace brantlow::detail
