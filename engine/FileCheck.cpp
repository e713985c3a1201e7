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
    StreamFacts &facts;
    bool skipFirst; // the first frame is a header frame
    std::int64_t firstFrame;
    int bitrateIndex = -1;

    void frame(std::int64_t offset, const frameheader::Header &h, std::int32_t)
    {
        ++facts.frames;
        if (skipFirst && facts.frames == 1)
            return;
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
    void shorten(std::int32_t) { }
    void gap(std::int64_t offset, std::int64_t length, detail::WalkGapKind kind)
    {
        if (length > 0)
            facts.junk.push_back({firstFrame + offset, length, kind == detail::WalkGapKind::CutFrame});
    }
};

std::string percentOff(std::uint32_t said, std::int64_t real)
{
    char text[96];
    std::snprintf(text, sizeof text, "byte count %u, stream %lld bytes", said, static_cast<long long>(real));
    return text;
}

void judge(FileCheck &check)
{
    const StreamFacts &s = check.stream;
    if (check.layout.errorCode != 0) {
        check.reason = errorCodeText(check.layout.errorCode);
        return;
    }
    if (s.errorCode != 0) {
        check.reason = errorCodeText(s.errorCode);
        return;
    }
    if (s.tooDamaged) {
        check.reason = errorCodeText(ecUnfollowableAudio);
        return;
    }
    if (!check.header) {
        check.verdict = s.variableBitrate ? HeaderVerdict::Missing : HeaderVerdict::NotNeeded;
        return;
    }
    const VbrHeader &h = *check.header;
    std::string reason;
    if (h.frames && std::int64_t(*h.frames) != s.audioFrames)
        reason = "frame count " + std::to_string(*h.frames) + ", stream " + std::to_string(s.audioFrames) + " frames";
    else if (h.bytes && std::llabs(std::int64_t(*h.bytes) - s.streamBytes) * 100 > s.streamBytes)
        reason = percentOff(*h.bytes, s.streamBytes);
    else if (h.extension && !h.extension->tagCrcValid)
        reason = "the tag CRC does not match";
    check.verdict = reason.empty() ? HeaderVerdict::Right : HeaderVerdict::Stale;
    check.reason = reason;
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
    FileCheck check;
    check.layout = locateLayout(data, size);
    if (check.layout.errorCode != 0) {
        judge(check);
        return check;
    }
    const FileLayout &layout = check.layout;
    const detail::ByteReader reader(data, size);
    frameheader::Header first;
    reader.readBytes(layout.firstFrame, 4, first.data());
    check.headerFrameLength = frameheader::frameLength(first).length;
    check.stream.layer = frameheader::layerBits(first) == 0 ? 0 : 4 - frameheader::layerBits(first);
    if (check.headerFrameLength > 0)
        check.header = readVbrHeader(data, size, layout.firstFrame, check.headerFrameLength);

    StreamFacts &s = check.stream;
    FactsCollector collector{s, check.header.has_value(), layout.firstFrame};
    s.errorCode = detail::walkFrames(reader, layout.firstFrame, layout.audioSize, collector, s.unresyncedBytes);
    s.streamBytes = layout.audioSize;
    s.tooDamaged = detail::tooMuchUnresynced(s.unresyncedBytes,
                                             std::min<std::int64_t>(layout.audioSize, size - layout.firstFrame));
    if (s.audioFrames == 0)
        s.audioStart = layout.firstFrame + check.headerFrameLength;

    if (withMusicCrc && check.header && check.header->extension) {
        const std::int64_t end = std::min<std::int64_t>(layout.firstFrame + layout.audioSize, size);
        const std::int64_t start = s.audioStart;
        const std::uint16_t crc
            = end > start ? crc16Arc(data + start, static_cast<std::size_t>(end - start)) : std::uint16_t{0};
        check.musicCrcValid = crc == check.header->extension->musicCrc;
    }
    judge(check);
    return check;
}

} // namespace brantlow
