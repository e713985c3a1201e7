// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the engine: the one walk along the frames of a stream, shared
// by the frame index and the pure readers, and the chain test that finds a
// frame again after junk.

#include "ByteReader.h"
#include "ContainerLayout.h"
#include "FrameHeader.h"
#include "XingLayout.h"

#include <algorithm>
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
// follows it before `audioEnd`, or the first one ends exactly there. With
// `reference`, both must also belong to the reference's stream. Bytes past
// the end of the audio (a RIFF chunk after the data) are never taken.
inline bool chainsAt(const ByteReader &reader, std::int64_t at, std::int64_t audioEnd,
                     const frameheader::Header *reference = nullptr)
{
    frameheader::Header first;
    const std::int32_t length = frameAt(reader, at, first);
    if (length == 0 || (reference && !sameStream(first, *reference)) || at + length > audioEnd)
        return false;
    if (at + length == audioEnd)
        return true;
    frameheader::Header second;
    return audioEnd - (at + length) >= 4 && frameAt(reader, at + length, second) != 0 && sameStream(first, second);
}

// How many frames of one stream (with `reference`, of its stream) chain from
// `at`, counted up to `enough` and only while they start before `stop`; two
// or more that end exactly at `audioEnd` are enough (a short stream).
inline int chainRun(const ByteReader &reader, std::int64_t at, std::int64_t stop, std::int64_t audioEnd, int enough,
                    const frameheader::Header *reference = nullptr)
{
    frameheader::Header first;
    std::int32_t length = frameAt(reader, at, first);
    if (length == 0 || (reference && !sameStream(first, *reference)))
        return 0;
    int frames = 1;
    frameheader::Header next;
    for (at += length; frames < enough; at += length, ++frames) {
        if (at == audioEnd)
            return frames >= 2 ? enough : frames;
        if (at >= stop || audioEnd - at < 4)
            break;
        length = frameAt(reader, at, next);
        if (length == 0 || !sameStream(first, next))
            break;
    }
    return frames;
}

// The first offset in [from, to) where a frame sync stands that passes `test`;
// -1 when there is none.
template <typename Test>
std::int64_t findSync(const ByteReader &reader, std::int64_t from, std::int64_t to, Test test)
{
    const std::int64_t last = std::min(to - 1, reader.size() - 4);
    std::int64_t at = from < 0 ? 0 : from;
    while (at <= last) {
        // One span at a time, with the byte after its last; fetched again after
        // a test, which may have moved the reader's window.
        const std::int64_t count = std::min(last + 1 - at, reader.spanLimit() - 1);
        const std::uint8_t *bytes = reader.span(at, count + 1);
        if (!bytes)
            return -1;
        std::int64_t i = 0;
        while (i < count && !(bytes[i] == 0xFF && frameheader::isFrameSync(bytes[i], bytes[i + 1])))
            ++i;
        at += i;
        if (i < count) {
            if (test(at))
                return at;
            ++at;
        }
    }
    return -1;
}

// The first offset in [from, to) where frames chain; -1 when there is none.
inline std::int64_t findChain(const ByteReader &reader, std::int64_t from, std::int64_t to, std::int64_t audioEnd,
                              const frameheader::Header *reference = nullptr)
{
    return findSync(reader, from, to, [&](std::int64_t at) { return chainsAt(reader, at, audioEnd, reference); });
}

// How much longer or shorter than its header says a header frame may be: a
// Layer I padding slot.
inline constexpr int kHeaderFrameSlack = 4;

// A frame that carries a VBR header tag and is followed, within 4 bytes (a
// Layer I padding slot) of where its header says it ends, by a frame of its
// stream (or ends the audio): found so, since a header frame may be a little
// longer or shorter than it says.
inline bool followedTaggedFrameAt(const ByteReader &reader, std::int64_t at, std::int64_t audioEnd,
                                  frameheader::Header &h, std::int32_t &length)
{
    length = frameAt(reader, at, h);
    if (length == 0 || !xing::headerTagAt(reader, at))
        return false;
    if (at + length == audioEnd)
        return true;
    frameheader::Header next;
    for (int d = -kHeaderFrameSlack; d <= kHeaderFrameSlack; ++d) {
        if (length + d > 4 && audioEnd - (at + length + d) >= 4 && frameAt(reader, at + length + d, next) != 0
            && sameStream(h, next))
            return true;
    }
    return false;
}

// A followed tagged frame (above). One that frames of its stream chain from
// further inside, or that another followed tagged frame starts inside, is a
// header frame cut short: junk.
inline bool headerFrameAt(const ByteReader &reader, std::int64_t at, std::int64_t audioEnd)
{
    frameheader::Header h;
    std::int32_t length = 0;
    if (!followedTaggedFrameAt(reader, at, audioEnd, h, length))
        return false;
    const std::int64_t insideEnd = at + length - kHeaderFrameSlack;
    if (findChain(reader, at + 1, insideEnd, audioEnd, &h) >= 0)
        return false;
    return findSync(reader, at + 1, insideEnd,
                    [&](std::int64_t inside) {
                        frameheader::Header innerHeader;
                        std::int32_t innerLength = 0;
                        return followedTaggedFrameAt(reader, inside, audioEnd, innerHeader, innerLength);
                    })
        < 0;
}

// The first offset in [from, to) where a header frame stands; -1 when there is none.
inline std::int64_t findHeaderFrame(const ByteReader &reader, std::int64_t from, std::int64_t to,
                                    std::int64_t audioEnd)
{
    return findSync(reader, from, to, [&](std::int64_t at) { return headerFrameAt(reader, at, audioEnd); });
}

enum class WalkGapKind {
    Junk, // bytes between frames that hold no frame of the stream
    CutFrame, // a frame cut short, the next one starting inside it
    Tag, // an ID3v2 tag (with any zero padding after it) between frames
    Trailing, // bytes after the last whole frame (and an ID3v2 tag there) that hold no frame: kept, not audio
};

// What one walk found besides the frames.
struct WalkSummary {
    std::int32_t error = 0; // 21 to 24: the first frame's header cannot be used
    std::int64_t streamEnd = 0; // from the first frame: where the last frame ends (at most the end of the audio)
    std::int64_t junkInside = 0; // Junk bytes between frames (tags and cut frames aside)
    std::int64_t trailing = 0; // bytes from streamEnd to the end of the audio
    bool endsInCutFrame = false; // the last frame runs past the end of the audio
    std::int64_t tagAtEnd = 0; // bytes of an ID3v2 tag that begins where the stream ends
};

// How far ahead of the frame at hand the walk asks for the bytes it will read.
inline constexpr std::int64_t kPrefetchAhead = 4096;

// Length of the ID3v2 tag at `at` (its footer, and zero padding after it,
// included) when one stands there whole before `end`; 0 otherwise.
inline std::int64_t id3v2TagAt(const ByteReader &reader, std::int64_t at, std::int64_t end)
{
    const std::int64_t length = id3v2Length(reader, at);
    if (length <= 0 || at + length > end)
        return 0;
    std::int64_t tagEnd = at + length;
    while (tagEnd < end && reader.u8(tagEnd) == std::uint8_t{0})
        ++tagEnd;
    return tagEnd - at;
}

// Walks the frames of one stream (the version, layer and sample rate of the
// first frame) from `firstFrame` over `audioSize` bytes. Where bytes are not
// the next frame of the stream (junk, frames of another stream, an ID3v2 tag
// of a joined file), the walk looks for the next place where frames of the
// stream chain, from just after the start of the last frame (which may have
// been cut short), and goes on there. Bytes after the last whole frame in
// which no frame is found again are trailing; a last frame cut short is one
// of them. Offsets handed to the visitor are relative to `firstFrame`.
//   visitor.frame(offset, header, length)      one frame
//   visitor.shorten(length)                    the last frame was cut to this length
//   visitor.gap(offset, length, kind)          bytes that are no frame
template <typename Visitor>
WalkSummary walkFrames(const ByteReader &reader, std::int64_t firstFrame, std::int64_t audioSize, Visitor &visitor)
{
    WalkSummary summary;
    frameheader::Header reference;
    reader.readBytes(firstFrame, 4, reference.data());
    const frameheader::LengthResult first = frameheader::frameLength(reference);
    if (first.length == 0) {
        summary.error = first.error;
        return summary;
    }
    visitor.frame(std::int64_t{0}, reference, first.length);

    const std::int64_t audioEnd = firstFrame + audioSize;
    const std::int64_t end = (audioEnd < reader.size() ? audioEnd : reader.size()) - firstFrame;
    std::int64_t lastStart = 0;
    std::int64_t pos = first.length;
    frameheader::Header h;
    while (pos < end) {
        const std::int64_t at = firstFrame + pos;
        if (!reader.contains(at, 4) || end - pos < 4)
            break;
        // The next headers lie a few frames on, mostly in pages the caches
        // do not hold yet: ask for them before they are needed.
        reader.prefetch(at + kPrefetchAhead);
        const std::int32_t length = frameAt(reader, at, h);
        if (length != 0 && sameStream(h, reference)) {
            // A last frame cut short (or reaching into a tag at the end) is
            // still a frame, as decoders count it: the stream ends with it.
            summary.endsInCutFrame = pos + length > end;
            visitor.frame(pos, h, length);
            lastStart = pos;
            pos += length;
            continue;
        }
        if (const std::int64_t tag = id3v2TagAt(reader, at, firstFrame + end); tag > 0) {
            const std::int64_t next =
                pos + tag < end ? findChain(reader, at + tag, firstFrame + end, firstFrame + end, &reference) : -1;
            if (next < 0) {
                summary.tagAtEnd = tag;
                break;
            }
            visitor.gap(pos, tag, WalkGapKind::Tag);
            if (next > at + tag) {
                visitor.gap(pos + tag, next - at - tag, WalkGapKind::Junk);
                summary.junkInside += next - at - tag;
            }
            pos = next - firstFrame;
            continue;
        }
        const std::int64_t next =
            findChain(reader, firstFrame + lastStart + 1, firstFrame + end, firstFrame + end, &reference);
        if (next < 0)
            break;
        const std::int64_t rel = next - firstFrame;
        if (rel < pos) {
            visitor.shorten(static_cast<std::int32_t>(rel - lastStart));
            visitor.gap(lastStart, rel - lastStart, WalkGapKind::CutFrame);
        } else {
            visitor.gap(pos, rel - pos, WalkGapKind::Junk);
            summary.junkInside += rel - pos;
        }
        pos = rel;
    }
    summary.endsInCutFrame = summary.endsInCutFrame || first.length > end;
    summary.streamEnd = pos < end ? pos : end;
    summary.trailing = end - summary.streamEnd;
    if (summary.trailing > summary.tagAtEnd)
        visitor.gap(summary.streamEnd + summary.tagAtEnd, summary.trailing - summary.tagAtEnd, WalkGapKind::Trailing);
    return summary;
}

// More junk than this between the frames, and a header would describe a
// stream the readers cannot follow: 64 KiB, or 1 % of the stream.
constexpr bool tooDamaged(const WalkSummary &walk)
{
    return walk.junkInside > 64 * 1024 || walk.junkInside * 100 > walk.streamEnd;
}

} // namespace brantlow::detail
