#include "Binedit.h"

#include "ByteReader.h"
#include "FrameHeader.h"
#include "XingLayout.h"

#include <cctype>

namespace brantlow {

namespace {

constexpr std::int64_t kId3v1Size = 128;
constexpr std::int64_t kLyrics3EndMarkerFromEnd = 137; // "LYRICS200", just before the ID3v1 tag
constexpr std::int64_t kLyrics3SizeFromEnd = 143;      // six decimal digits before the marker
constexpr std::int32_t kLyrics3Overhead = 15;          // the size field and the end marker
constexpr std::int64_t kId3v2HeaderSize = 10;
constexpr std::uint16_t kWaveFormatMpegLayer3 = 0x0055;
constexpr std::uint16_t kWaveFormatPcm = 0x0001;
constexpr std::int64_t kWaveExtraSizeOffset = 36; // the format chunk is taken to be the first chunk
constexpr std::int64_t kWaveExtraStart = 38;
constexpr std::int64_t kFactChunkSize = 8; // size field and 4 bytes of content

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

} // namespace

std::int32_t TBinEdit::AnalyzeStructure()
{
    Structure = 0;
    m_dataChunkHeader = -1;
    if (!Image) {
        ErrorCode = 10;
        return 0;
    }
    const detail::ByteReader reader(Image->Data(), Image->Size());
    const std::int64_t size = reader.size();
    AudioSize = static_cast<std::int32_t>(size);

    if (reader.matches(size - kId3v1Size, "TAG")) {
        AudioSize -= static_cast<std::int32_t>(kId3v1Size);
        Structure |= sfId3v1;
    }
    // The Lyrics3 block is looked for where it would end before an ID3v1
    // tag, whether or not the tag is there.
    if (reader.matches(size - kLyrics3EndMarkerFromEnd, "LYRICS200")) {
        char digits[6];
        if (!reader.readBytes(size - kLyrics3SizeFromEnd, 6, digits)) {
            ErrorCode = 10;
            return 0;
        }
        AudioSize = wrap32(std::int64_t(AudioSize) - parseLyricsSize(digits) - kLyrics3Overhead);
        Structure |= sfLyrics3;
    }

    std::int64_t position = 0;
    if (reader.matches(0, "RIFF")) {
        if (reader.matches(8, "RMP3")) {
            if (!reader.matches(12, "data")) {
                ErrorCode = 15;
                return 0;
            }
            const auto dataSize = reader.u32le(16);
            if (!dataSize) {
                ErrorCode = 10;
                return 0;
            }
            m_dataChunkHeader = 12;
            AudioSize = static_cast<std::int32_t>(*dataSize);
            Structure |= sfRmp3;
            position = 20;
        } else if (reader.matches(8, "WAVE")) {
            const auto formatTag = reader.u16le(20);
            if (!formatTag) {
                ErrorCode = 10;
                return 0;
            }
            if (*formatTag == kWaveFormatPcm) {
                ErrorCode = 13;
                return 0;
            }
            if (*formatTag != kWaveFormatMpegLayer3) {
                ErrorCode = 12;
                return 0;
            }
            const auto extraSize = reader.u16le(kWaveExtraSizeOffset);
            if (!extraSize) {
                ErrorCode = 10;
                return 0;
            }
            std::int64_t chunk = kWaveExtraStart + *extraSize;
            if (reader.matches(chunk, "fact"))
                chunk += 4 + kFactChunkSize;
            if (!reader.matches(chunk, "data")) {
                ErrorCode = 14;
                return 0;
            }
            const auto dataSize = reader.u32le(chunk + 4);
            if (!dataSize) {
                ErrorCode = 10;
                return 0;
            }
            m_dataChunkHeader = chunk;
            AudioSize = static_cast<std::int32_t>(*dataSize);
            Structure |= sfWave;
            position = chunk + 8;
        } else {
            ErrorCode = 11;
            return 0;
        }
    }

    if (reader.matches(position, "ID3")) {
        std::uint8_t sizeBytes[4];
        if (!reader.readBytes(position + 6, 4, sizeBytes)) {
            ErrorCode = 10;
            return 0;
        }
        const std::int64_t tagSize = syncsafe(sizeBytes);
        position += kId3v2HeaderSize + tagSize;
        AudioSize = wrap32(std::int64_t(AudioSize) - tagSize - kId3v2HeaderSize);
        Structure |= sfId3v2;
    }

    // Four header bytes must stand whole inside the image.
    if (!frameSyncAt(position)) {
        ErrorCode = 10;
        return 0;
    }
    FirstFrame = static_cast<std::int32_t>(position);
    Image->Seek(position, SeekOrigin::Begin);
    return 1;
}

std::int32_t TBinEdit::Analyze()
{
    if (!AnalyzeStructure())
        return 0;
    const detail::ByteReader reader(Image->Data(), Image->Size());
    reader.readBytes(FirstFrame, 4, FirstHeader.data()); // the analysis has seen these four bytes
    if (reader.matches(FirstFrame + 4 + frameheader::sideInfoSize(FirstHeader), xing::kTag))
        Structure |= sfVbrHeader;
    Image->Seek(FirstFrame, SeekOrigin::Begin);
    return 1;
}

std::int32_t TBinEdit::FixRiffSizes(std::int32_t delta)
{
    if (!AnalyzeStructure())
        return 0;
    if (!IsRmp3() && !IsWave())
        return 0;
    const detail::ByteReader reader(Image->Data(), Image->Size());
    const auto riffSize = reader.u32le(4);
    const auto dataSize = reader.u32le(m_dataChunkHeader + 4);
    if (!riffSize || !dataSize) {
        ErrorCode = 10;
        return 0;
    }
    auto putLittleEndian32 = [this](std::int64_t offset, std::uint32_t value) {
        std::uint8_t *p = Image->Data() + offset;
        p[0] = static_cast<std::uint8_t>(value);
        p[1] = static_cast<std::uint8_t>(value >> 8);
        p[2] = static_cast<std::uint8_t>(value >> 16);
        p[3] = static_cast<std::uint8_t>(value >> 24);
    };
    // 32-bit sizes wrap as the fields do on disk; summed wide and cut to 32
    // bits, so that the wrap is a conversion rather than an overflow.
    auto wrapped = [delta](std::uint32_t size) { return static_cast<std::uint32_t>(std::int64_t(size) + delta); };
    putLittleEndian32(4, wrapped(*riffSize));
    putLittleEndian32(m_dataChunkHeader + 4, wrapped(*dataSize));
    return 1;
}

} // namespace brantlow
