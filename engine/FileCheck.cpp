// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileCheck.h"

#include "ByteReader.h"
#include "FrameHeader.h"
#include "FrameWalk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace brantlow {

namespace {

// Counts what a header describes; keeps no record per frame.
struct FactsCollector {
    const detail::ByteReader &reader;
    StreamFacts &facts;
    bool skipFirst; // the first frame is a header frame
    std::int64_t firstFrame;
    int bitrateIndex = -1;

    void frame(std::int64_t offset, const frameheader::Header &h, std::int32_t)
    {
        ++facts.frames;
        if (facts.frames == 1) {
            if (skipFirst)
                return;
        } else if (facts.secondHeader < 0 && xing::headerTagAt(reader, firstFrame + offset)) {
            facts.secondHeader = firstFrame + offset;
        }
        if (facts.audioFrames++ == 0)
            facts.audioStart = firstFrame + offset;
        if (bitrateIndex < 0)
            bitrateIndex = frameheader::bitrateIndex(h);
        else if (frameheader::bitrateIndex(h) != bitrateIndex)
            facts.variableBitrate = true;
        facts.samples += frameheader::samplesPerFrame(h);
        const std::int32_t rate = frameheader::sampleRateHz(h);
        if (rate > 0)
            facts.durationSeconds += double(frameheader::samplesPerFrame(h)) / rate;
    }
    void shorten(std::int32_t length)
    {
        if (facts.frames == 1)
            facts.firstFrameCutTo = length;
    }
    void gap(std::int64_t offset, std::int64_t length, detail::WalkGapKind kind)
    {
        static constexpr JunkKind kKinds[] = {JunkKind::Junk, JunkKind::CutFrame, JunkKind::Tag, JunkKind::Trailing};
        if (length > 0)
            facts.junk.push_back({firstFrame + offset, length, kKinds[static_cast<int>(kind)]});
    }
};

std::string percentOff(std::uint32_t said, std::int64_t real)
{
    char text[96];
    std::snprintf(text, sizeof text, "byte count %u, stream %lld bytes", said, static_cast<long long>(real));
    return text;
}

void unreadable(FileCheck &check, std::int32_t code)
{
    check.errorCode = code;
    check.reason = errorCodeText(code);
}

// How the header's frame count differs from the stream's: a joined file has
// more frames (or a second header inside), a truncated one fewer, ending in a
// cut frame or short of the encoder's music length.
std::string frameCountReason(FileCheck &check, std::uint32_t said)
{
    const StreamFacts &s = check.stream;
    std::string counts =
        "the header says " + std::to_string(said) + " frames, " + std::to_string(s.audioFrames) + " are there";
    if (s.secondHeader >= 0 || s.audioFrames > std::int64_t(said)) {
        check.staleCause = StaleCause::Joined;
        return "joined: " + counts;
    }
    const std::optional<EncoderExtension> &ext = check.header->extension;
    if (s.endsInCutFrame || (ext && std::int64_t(ext->musicLength) > s.streamBytes)) {
        check.truncated = true;
        check.staleCause = StaleCause::Truncated;
        return "truncated: " + counts;
    }
    check.staleCause = StaleCause::FrameCount;
    return counts;
}

void judge(FileCheck &check)
{
    const StreamFacts &s = check.stream;
    if (check.layout.errorCode != 0)
        return unreadable(check, check.layout.errorCode);
    if (s.errorCode != 0)
        return unreadable(check, s.errorCode);
    if (s.streamBytes <= 0 || (check.header && s.audioFrames == 0))
        return unreadable(check, ecNoAudioBytes);
    if (s.tooDamaged)
        return unreadable(check, ecUnfollowableAudio);
    // Frames start inside the header frame, further in than a mis-sized one
    // ends early: it was cut short, and no rewrite can make it describe them.
    if (check.header && s.firstFrameCutTo > 0
        && s.firstFrameCutTo < check.headerFrameLength - detail::kHeaderFrameSlack)
        return unreadable(check, ecCannotFix);
    const char *sizes = check.layout.riffSizesArePlaceholders() ? "RIFF sizes" : "";
    if (!check.header) {
        check.reason = sizes;
        check.verdict = s.variableBitrate ? HeaderVerdict::Missing
            : check.reason.empty()        ? HeaderVerdict::NotNeeded
                                          : HeaderVerdict::Stale;
        return;
    }
    const VbrHeader &h = *check.header;
    std::string reason;
    if (h.frames && std::int64_t(*h.frames) != s.audioFrames)
        reason = frameCountReason(check, *h.frames);
    else if (h.bytes && std::llabs(std::int64_t(*h.bytes) - s.streamBytes) * 100 > s.streamBytes) {
        reason = percentOff(*h.bytes, s.streamBytes);
        check.staleCause = StaleCause::ByteCount;
    } else if (h.extension && !h.extension->tagCrcValid) {
        reason = "the tag CRC does not match";
        check.staleCause = StaleCause::TagCrc;
    }
    if (*sizes != '\0')
        reason += (reason.empty() ? "" : "; ") + std::string(sizes);
    check.verdict = reason.empty() ? HeaderVerdict::Right : HeaderVerdict::Stale;
    check.reason = reason;
}

// The header frame and the walk over the stream of a located file.
void examineStream(FileCheck &check, const detail::ByteReader &reader, bool withMusicCrc)
{
    const FileLayout &layout = check.layout;
    frameheader::Header first;
    reader.readBytes(layout.firstFrame, 4, first.data());
    check.headerFrameLength = frameheader::frameLength(first).length;
    check.stream.layer = frameheader::layerBits(first) == 0 ? 0 : 4 - frameheader::layerBits(first);
    if (check.headerFrameLength > 0)
        check.header = readVbrHeader(reader, layout.firstFrame, check.headerFrameLength);

    StreamFacts &s = check.stream;
    FactsCollector collector{reader, s, check.header.has_value(), layout.firstFrame};
    const detail::WalkSummary walk = detail::walkFrames(reader, layout.firstFrame, layout.audioSize, collector);
    s.errorCode = walk.error;
    s.streamBytes = walk.streamEnd;
    s.junkInside = walk.junkInside;
    s.unresyncedBytes = walk.trailing;
    s.endsInCutFrame = walk.endsInCutFrame;
    s.tooDamaged = detail::tooDamaged(walk);
    if (layout.id3v2AtEnd.length > 0)
        s.id3v2AtEnd = layout.id3v2AtEnd;
    else if (walk.tagAtEnd > 0)
        s.id3v2AtEnd = {layout.firstFrame + walk.streamEnd, walk.tagAtEnd};
    if (s.audioFrames == 0)
        s.audioStart = layout.firstFrame + check.headerFrameLength;

    if (withMusicCrc && check.header && check.header->extension) {
        const std::int64_t end = layout.firstFrame + s.streamBytes;
        const std::int64_t start = s.audioStart;
        const std::optional<std::uint16_t> crc =
            end > start ? detail::crc16ArcOf(reader, start, end) : std::optional<std::uint16_t>{0};
        if (crc)
            check.musicCrcValid = *crc == check.header->extension->musicCrc;
    }
}

} // namespace

const char *verdictName(HeaderVerdict verdict)
{
    switch (verdict) {
    case HeaderVerdict::Right:
        return "right";
    case HeaderVerdict::Stale:
        return "stale";
    case HeaderVerdict::Missing:
        return "missing";
    case HeaderVerdict::NotNeeded:
        return "not needed";
    case HeaderVerdict::Unreadable:
        return "unreadable";
    }
    return "";
}

FileCheck checkFile(const std::uint8_t *data, std::int64_t size, bool withMusicCrc)
{
    return checkFile(MemorySource(data, size), withMusicCrc);
}

FileCheck checkFile(const ByteSource &source, bool withMusicCrc)
{
    FileCheck check;
    const detail::ByteReader reader(source);
    check.layout = locateLayout(reader);
    if (check.layout.errorCode == 0)
        examineStream(check, reader, withMusicCrc);
    if (reader.failed() || source.readFailed()) {
        check = FileCheck{};
        check.layout.errorCode = ecFileChanged;
    }
    judge(check);
    return check;
}

} // namespace brantlow
