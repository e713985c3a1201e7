// SPDX-License-Identifier: GPL-3.0-or-later
#include "Binedit.h"

#include "ByteReader.h"
#include "FrameHeader.h"
#include "FrameWalk.h"
#include "XingLayout.h"

#include <algorithm>
#include <cstring>

namespace brantlow {

namespace {

// Bitrate index that means 64 kbit/s in the header frame, by ID bit and layer.
// The reserved layer keeps its index (its length then fails to decode).
int headerFrameBitrateIndex(const frameheader::Header &h)
{
    using namespace frameheader;
    if (idBit(h) == 1) {
        switch (layerBits(h)) {
        case kLayerI:
            return 2;
        case kLayerII:
            return 4;
        case kLayerIII:
            return 5;
        default:
            return bitrateIndex(h);
        }
    }
    return layerBits(h) == kLayerI ? 4 : 8;
}

void setBitrateIndex(frameheader::Header &h, int index)
{
    h[2] = static_cast<std::uint8_t>((h[2] & 0x0F) | (index << 4));
}

constexpr std::size_t kRecordsPerBlock = 4096;

} // namespace

float TBinEdit::GetFrameDuration(const FrameHeaderBytes &header)
{
    const std::int32_t length = GetFrameLength(header);
    return length == 0 ? 0.0f : frameheader::durationMs(header, length);
}

FrameRecord *TBinEdit::newFrameRecord()
{
    if (m_recordBlocks.empty() || m_recordsInLastBlock == kRecordsPerBlock) {
        m_recordBlocks.push_back(std::make_unique<FrameRecord[]>(kRecordsPerBlock));
        m_recordsInLastBlock = 0;
    }
    return &m_recordBlocks.back()[m_recordsInLastBlock++];
}

void TBinEdit::FreeFrameIndex()
{
    m_recordBlocks.clear();
    m_recordsInLastBlock = 0;
    m_frameMarks.clear();
    FrameList.Next = nullptr;
    FrameListEnd.Prev = nullptr;
    FrameListEnd.StartTime = 0.0f;
    FrameListEnd.StartOffset = 0;
}

namespace {

// Makes one record per frame. Until the walk ends the chain is closed at the
// last record, so that an exception leaves an index that can be freed.
struct RecordMaker {
    TBinEdit &engine;
    FrameRecord *(TBinEdit::*make)();
    FrameRecord *last = nullptr;
    std::int32_t count = 0;

    void frame(std::int64_t offset, const frameheader::Header &header, std::int32_t length)
    {
        FrameRecord *record = (engine.*make)();
        record->Index = ++count;
        record->Length = length;
        record->Duration = frameheader::durationMs(header, length);
        record->Header = header;
        record->Next = &engine.FrameListEnd;
        // Offsets are image positions less FirstFrame, so junk between frames counts.
        record->StartOffset = static_cast<std::int32_t>(offset);
        if (last) {
            record->StartTime = last->StartTime + last->Duration; // summed in 32-bit floats
            last->Next = record;
        } else {
            record->Prev = &engine.FrameList;
            engine.FrameList.Next = record;
        }
        last = record;
    }
    void shorten(std::int32_t length) { last->Length = length; }
    void gap(std::int64_t, std::int64_t, detail::WalkGapKind) { }
    std::int64_t base() const { return 0; }
    std::int32_t endOffset() const { return last->StartOffset + last->Length; }
    float endTime() const { return last->StartTime + last->Duration; }
};

// One mark per frame, with the start times summed as the records sum them.
// Without a header frame's `extent`, every frame, with offsets from the first;
// with it, the frames after the header frame, with offsets and times from
// the first of them.
struct MarkMaker {
    FrameMarks &marks;
    std::int64_t extent = 0;
    bool headerFirst = false;
    std::int32_t count = 0;
    std::int32_t lastOffset = 0;
    std::int32_t lastLength = 0;
    float lastTime = 0.0f;
    float lastDuration = 0.0f;

    void frame(std::int64_t offset, const frameheader::Header &header, std::int32_t length)
    {
        if (headerFirst) {
            headerFirst = false;
            return;
        }
        const float start = count == 0 ? 0.0f : lastTime + lastDuration; // summed in 32-bit floats
        marks.push({static_cast<std::int32_t>(offset - extent), start});
        ++count;
        lastOffset = static_cast<std::int32_t>(offset - extent);
        lastLength = length;
        lastTime = start;
        lastDuration = frameheader::durationMs(header, length);
    }
    void shorten(std::int32_t length)
    {
        if (count > 0)
            lastLength = length;
    }
    void gap(std::int64_t, std::int64_t, detail::WalkGapKind) {}
    std::int64_t base() const { return extent; }
    std::int32_t endOffset() const { return lastOffset + lastLength; }
    float endTime() const { return lastTime + lastDuration; }
};

// Entry i is where the first frame starts that starts at or after i % of the
// total time, in 256ths of the audio; past the last frame, the end of the
// indexed bytes. `Frames` walks the frames forward: atEnd(), startTime(),
// next(), and startOffset() (the indexed bytes at the end).
template <typename Frames>
void fillToc(std::array<std::uint8_t, 100> &toc, float totalTime, std::int32_t audioSize, Frames frames)
{
    const float step = 0.01f;
    toc[0] = 0;
    for (int i = 1; i < xing::kTocEntries; ++i) {
        const auto threshold = static_cast<float>(static_cast<double>(i) * step * totalTime);
        while (!frames.atEnd() && frames.startTime() < threshold)
            frames.next();
        float v = static_cast<float>(static_cast<double>(frames.startOffset()) * 256.0 / audioSize);
        if (v > 255.0f)
            v = 255.0f;
        toc[i] = static_cast<std::uint8_t>(v);
    }
}

// The TOC is in fractions of the audio bytes: without any, no header is made.
bool hasAudioBytes(TBinEdit &engine)
{
    if (engine.AudioSize > 0)
        return true;
    engine.ErrorCode = ecNoAudioBytes;
    return false;
}

struct RecordCursor {
    const FrameRecord *record;
    const FrameRecord *end; // its StartOffset is the indexed bytes
    bool atEnd() const { return record == end; }
    float startTime() const { return record->StartTime; }
    std::int32_t startOffset() const { return record->StartOffset; }
    void next() { record = record->Next; }
};

struct MarkCursor {
    const FrameMarks &marks;
    std::int32_t indexedBytes;
    std::size_t i = 0;
    bool atEnd() const { return i == marks.size(); }
    float startTime() const { return marks[i].StartTime; }
    std::int32_t startOffset() const { return atEnd() ? indexedBytes : marks[i].StartOffset; }
    void next() { ++i; }
};

} // namespace

template <typename Maker>
std::int32_t TBinEdit::walkInto(Maker &maker)
{
    FreeFrameIndex();
    m_unresyncedBytes = 0;
    m_walkTooDamaged = false;
    if (!AnalyzeStructure())
        return 0;
    const detail::ByteReader reader(*Image);
    const detail::WalkSummary walk = detail::walkFrames(reader, FirstFrame, AudioSize, maker);
    if (imageChanged())
        return 0;
    if (walk.error != 0) {
        ErrorCode = walk.error;
        return 0;
    }
    m_unresyncedBytes = walk.trailing;
    m_walkTooDamaged = detail::tooDamaged(walk);
    // Bytes after the last whole frame are kept where they are, but they are
    // no audio: the header describes the frames.
    AudioSize = static_cast<std::int32_t>(walk.streamEnd - maker.base());
    FrameListEnd.StartOffset = maker.endOffset();
    FrameListEnd.StartTime = maker.endTime();
    FrameCount = maker.count;
    return 1;
}

std::int32_t TBinEdit::BuildFrameIndex()
{
    RecordMaker maker{*this, &TBinEdit::newFrameRecord};
    return walkInto(maker);
}

std::int32_t TBinEdit::MakeToc(std::array<std::uint8_t, 100> &toc)
{
    if (!BuildFrameIndex() || !hasAudioBytes(*this))
        return 0;
    fillToc(toc, TotalTime(), AudioSize, RecordCursor{FrameList.Next, &FrameListEnd});
    return 1;
}

std::int32_t TBinEdit::markFrames(std::int32_t headerExtent)
{
    MarkMaker maker{m_frameMarks, headerExtent, headerExtent > 0};
    return walkInto(maker);
}

std::int32_t TBinEdit::startHeaderFrame(MemoryStream &stream, std::int32_t &length)
{
    // The header frame is a silent copy of the first frame's header at
    // 64 kbit/s, without CRC and without padding.
    setBitrateIndex(FirstHeader, headerFrameBitrateIndex(FirstHeader));
    FirstHeader[1] |= 0x01;
    FirstHeader[2] &= static_cast<std::uint8_t>(~0x02);

    std::int32_t frameLength = GetFrameLength(FirstHeader);
    if (frameLength == 0)
        return 0;
    // At 64 kbit/s a Layer I frame can be shorter than the Xing layout; take
    // the next bitrates until the frame holds it, so that the inserted frame is
    // exactly as long as its header says.
    const xing::Layout layout = xing::layoutFor(FirstHeader);
    while (frameLength < layout.end && frameheader::bitrateIndex(FirstHeader) < 14) {
        setBitrateIndex(FirstHeader, frameheader::bitrateIndex(FirstHeader) + 1);
        frameLength = GetFrameLength(FirstHeader);
        if (frameLength == 0)
            return 0;
    }
    if (frameLength < layout.end) {
        ErrorCode = ecBitrateOrLayer;
        return 0;
    }

    stream.Seek(0, SeekOrigin::Begin);
    stream.SetSize(0);
    stream.SetSize(frameLength);
    std::uint8_t *frame = stream.Data();
    std::memcpy(frame, FirstHeader.data(), 4);
    std::memcpy(frame + layout.tag, xing::kTag.data(), xing::kTag.size());
    PutBigEndian32(xing::kFlagsFramesBytesToc, frame + layout.flags);
    length = frameLength;
    return 1;
}

void TBinEdit::markedToc(std::array<std::uint8_t, 100> &toc) const
{
    fillToc(toc, TotalTime(), AudioSize, MarkCursor{m_frameMarks, IndexedBytes()});
}

void TBinEdit::finishHeaderFrame(MemoryStream &stream, std::int32_t length) const
{
    const xing::Layout layout = xing::layoutFor(FirstHeader);
    std::uint8_t *frame = stream.Data();
    detail::putU32be(frame + layout.frames, static_cast<std::uint32_t>(FrameCount));
    // The bytes field counts the header frame too; 32 bits, as on disk.
    detail::putU32be(frame + layout.bytes, static_cast<std::uint32_t>(std::int64_t(length) + AudioSize));
    std::array<std::uint8_t, 100> toc{};
    markedToc(toc);
    std::memcpy(frame + layout.toc, toc.data(), toc.size());
    stream.Seek(length, SeekOrigin::Begin);
}

bool TBinEdit::walkedStreamIsWhole()
{
    if (!hasAudioBytes(*this))
        return false;
    // The readers could not follow a stream with that much junk between its
    // frames: a header would promise what they do not find.
    if (m_walkTooDamaged) {
        ErrorCode = ecUnfollowableAudio;
        return false;
    }
    return true;
}

std::int32_t TBinEdit::MakeVbrHeader(MemoryStream &stream, std::int32_t &length)
{
    if (!Image) {
        ErrorCode = ecNoFrameSync;
        return 0;
    }
    std::int32_t frameLength = 0;
    if (!startHeaderFrame(stream, frameLength) || !markFrames() || !walkedStreamIsWhole())
        return 0;
    finishHeaderFrame(stream, frameLength);
    length = frameLength;
    return 1;
}

} // namespace brantlow
