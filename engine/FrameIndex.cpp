#include "Binedit.h"

#include "ByteReader.h"
#include "FrameHeader.h"
#include "XingLayout.h"

#include <cstring>

namespace brantlow {

namespace {

// Error code of a header build that has no audio bytes to describe: the TOC
// would divide by zero and the bytes field would be meaningless.
constexpr std::int32_t kErrorNoAudioBytes = 31;

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
    if (length == 0)
        return 0.0f;
    return frameDuration(header, length);
}

// From the byte length, padding included, not from the sample count.
float TBinEdit::frameDuration(const FrameHeaderBytes &header, std::int32_t length) const
{
    const std::int32_t kbps = frameheader::bitrateKbps(header); // never 0 for a header whose length decoded
    return static_cast<float>(static_cast<double>(length) / kbps * 8.0);
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
    if (!FrameList.Next)
        return;
    m_recordBlocks.clear();
    m_recordsInLastBlock = 0;
    FrameList.Next = nullptr;
    FrameListEnd.Prev = nullptr;
    FrameListEnd.StartTime = 0.0f;
    FrameListEnd.StartOffset = 0;
}

std::int32_t TBinEdit::BuildFrameIndex()
{
    FreeFrameIndex();
    if (!AnalyzeStructure())
        return 0;
    const detail::ByteReader reader(Image->Data(), Image->Size());

    FrameHeaderBytes header;
    reader.readBytes(FirstFrame, 4, header.data()); // the analysis has seen these four bytes
    const std::int32_t firstLength = GetFrameLength(header);
    if (firstLength == 0)
        return 0;

    FrameRecord *first = newFrameRecord();
    first->Index = 1;
    first->Length = firstLength;
    first->Duration = frameDuration(header, firstLength);
    first->Header = header;
    first->Prev = &FrameList;
    FrameList.Next = first;
    // Until the walk ends the chain is closed at the last record, so that a
    // failure (or an exception) leaves an index that can be freed.
    first->Next = &FrameListEnd;

    FrameRecord *last = first;
    std::int32_t count = 1;
    std::int64_t pos = firstLength;
    while (pos < AudioSize) {
        const std::int64_t at = FirstFrame + pos;
        if (!reader.readBytes(at, 4, header.data()))
            break;
        if (!frameheader::isFrameSync(header[0], header[1]))
            break;
        const std::int32_t length = GetFrameLength(header);
        if (length == 0) {
            FreeFrameIndex();
            return 0;
        }
        FrameRecord *record = newFrameRecord();
        record->Index = ++count;
        record->Length = length;
        record->Duration = frameDuration(header, length);
        record->StartOffset = last->StartOffset + last->Length;
        record->StartTime = last->StartTime + last->Duration; // summed in 32-bit floats
        record->Header = header;
        record->Next = &FrameListEnd;
        last->Next = record;
        last = record;
        pos += length;
    }

    FrameListEnd.StartOffset = last->StartOffset + last->Length;
    FrameListEnd.StartTime = last->StartTime + last->Duration;
    FrameCount = count;
    return 1;
}

std::int32_t TBinEdit::MakeToc(std::array<std::uint8_t, 100> &toc)
{
    if (!BuildFrameIndex())
        return 0;
    if (AudioSize <= 0) {
        ErrorCode = kErrorNoAudioBytes;
        return 0;
    }
    const float step = 0.01f;
    toc[0] = 0;
    const FrameRecord *record = FrameList.Next;
    for (int i = 1; i < xing::kTocEntries; ++i) {
        const auto threshold = static_cast<float>(static_cast<double>(i) * step * TotalTime());
        // FrameListEnd ends every search: its StartTime is TotalTime.
        while (record != &FrameListEnd && record->StartTime < threshold)
            record = record->Next;
        float v = static_cast<float>(static_cast<double>(record->StartOffset) * 256.0 / AudioSize);
        if (v > 255.0f)
            v = 255.0f;
        toc[i] = static_cast<std::uint8_t>(v);
    }
    return 1;
}

std::int32_t TBinEdit::MakeVbrHeader(MemoryStream &stream, std::int32_t &length)
{
    if (!Image) {
        ErrorCode = 10;
        return 0;
    }
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
        ErrorCode = 24;
        return 0;
    }

    stream.Seek(0, SeekOrigin::Begin);
    stream.SetSize(0);
    stream.SetSize(frameLength);
    std::uint8_t *frame = stream.Data();
    std::memcpy(frame, FirstHeader.data(), 4);
    std::memcpy(frame + layout.tag, xing::kTag.data(), xing::kTag.size());
    PutBigEndian32(xing::kFlagsFramesBytesToc, frame + layout.flags);

    if (!BuildFrameIndex())
        return 0;
    if (AudioSize <= 0) {
        ErrorCode = kErrorNoAudioBytes;
        return 0;
    }
    PutBigEndian32(FrameCount, frame + layout.frames);
    // The bytes field counts the header frame too; 32 bits, as on disk.
    PutBigEndian32(static_cast<std::int32_t>(static_cast<std::uint32_t>(std::int64_t(frameLength) + AudioSize)),
                   frame + layout.bytes);

    std::array<std::uint8_t, 100> toc{};
    if (!MakeToc(toc))
        return 0;
    std::memcpy(frame + layout.toc, toc.data(), toc.size());
    stream.Seek(frameLength, SeekOrigin::Begin);
    length = frameLength;
    return 1;
}

} // namespace brantlow
