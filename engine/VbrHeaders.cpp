// SPDX-License-Identifier: GPL-3.0-or-later
#include "VbrHeaders.h"

#include "ByteReader.h"
#include "XingLayout.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace brantlow {

namespace {

constexpr std::array<std::uint16_t, 256> makeCrc16ArcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}
constexpr std::array<std::uint16_t, 256> kCrc16Arc = makeCrc16ArcTable();

ReplayGain replayGain(std::uint16_t raw)
{
    ReplayGain gain;
    gain.raw = raw;
    gain.name = raw >> 13;
    gain.originator = (raw >> 10) & 7;
    const double value = (raw & 0x1FF) / 10.0;
    gain.db = (raw & 0x200) ? -value : value;
    return gain;
}

// The extension is taken to be there when its encoder string starts with a
// letter and three letters, digits or dots ("LAME3.100", "Lavc60.3", "L3.99"),
// as every encoder that writes one does.
std::optional<EncoderExtension> readExtension(const std::uint8_t *frameBytes, const detail::ByteReader &frame,
                                              std::int64_t at)
{
    char text[9];
    if (!frame.contains(at, xing::kExtensionSize) || !frame.readBytes(at, 9, text))
        return std::nullopt;
    if (!std::isalpha(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    for (int i = 1; i < 4; ++i)
        if (!std::isalnum(static_cast<unsigned char>(text[i])) && text[i] != '.')
            return std::nullopt;
    EncoderExtension ext;
    ext.offset = at;
    ext.encoder.assign(text, 9);
    while (!ext.encoder.empty() && (ext.encoder.back() == '\0' || ext.encoder.back() == ' '))
        ext.encoder.pop_back();
    const std::uint8_t revisionMethod = *frame.u8(at + 9);
    ext.revision = revisionMethod >> 4;
    ext.vbrMethod = revisionMethod & 0x0F;
    ext.lowpassHz = *frame.u8(at + 10) * 100;
    ext.peakRaw = *frame.u32be(at + 11);
    ext.peak = ext.peakRaw / 8388608.0;
    ext.radioGain = replayGain(*frame.u16be(at + 15));
    ext.audiophileGain = replayGain(*frame.u16be(at + 17));
    ext.encodingFlags = *frame.u8(at + 19);
    ext.bitrate = *frame.u8(at + 20);
    const std::uint32_t delayPadding = (std::uint32_t(*frame.u16be(at + 21)) << 8) | *frame.u8(at + 23);
    ext.delay = static_cast<int>(delayPadding >> 12);
    ext.padding = static_cast<int>(delayPadding & 0xFFF);
    ext.misc = *frame.u8(at + 24);
    ext.mp3Gain = *frame.u8(at + 25);
    ext.presetSurround = *frame.u16be(at + 26);
    ext.musicLength = *frame.u32be(at + xing::kExtensionMusicLength);
    ext.musicCrc = *frame.u16be(at + xing::kExtensionMusicCrc);
    ext.tagCrc = *frame.u16be(at + xing::kExtensionTagCrc);
    ext.tagCrcValid = crc16Arc(frameBytes, static_cast<std::size_t>(at + xing::kExtensionTagCrc)) == ext.tagCrc;
    return ext;
}

std::optional<VbrHeader> readXing(const std::uint8_t *frameBytes, const detail::ByteReader &frame, std::int64_t tag,
                                  VbrHeaderKind kind)
{
    VbrHeader header;
    header.kind = kind;
    header.tagOffset = tag;
    const auto flags = frame.u32be(tag + 4);
    if (!flags)
        return header;
    header.flags = *flags;
    const xing::Fields fields = xing::fieldsFor(tag, header.flags);
    if (fields.frames >= 0)
        header.frames = frame.u32be(fields.frames);
    if (fields.bytes >= 0)
        header.bytes = frame.u32be(fields.bytes);
    if (fields.toc >= 0) {
        std::array<std::uint8_t, xing::kTocEntries> toc{};
        if (frame.readBytes(fields.toc, xing::kTocEntries, toc.data()))
            header.toc = toc;
    }
    if (fields.quality >= 0)
        header.quality = frame.u32be(fields.quality);
    header.extension = readExtension(frameBytes, frame, fields.end);
    return header;
}

std::optional<VbrHeader> readVbri(const detail::ByteReader &frame)
{
    VbrHeader header;
    header.kind = VbrHeaderKind::Vbri;
    header.tagOffset = xing::kVbriTagOffset;
    const std::int64_t at = xing::kVbriTagOffset + 4;
    if (!frame.contains(at, 22))
        return header;
    header.vbriVersion = *frame.u16be(at);
    header.vbriDelay = *frame.u16be(at + 2);
    header.quality = *frame.u16be(at + 4);
    header.bytes = *frame.u32be(at + 6);
    header.frames = *frame.u32be(at + 10);
    header.vbriTocEntries = *frame.u16be(at + 14);
    header.vbriTocScale = *frame.u16be(at + 16);
    header.vbriEntrySize = *frame.u16be(at + 18);
    header.vbriFramesPerEntry = *frame.u16be(at + 20);
    return header;
}

} // namespace

const char *vbrHeaderKindName(VbrHeaderKind kind)
{
    return xing::tagText(kind).data(); // each a whole literal, ending in its NUL
}

std::uint16_t crc16Arc(const std::uint8_t *data, std::size_t size, std::uint16_t crc)
{
    for (std::size_t i = 0; i < size; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrc16Arc[(crc ^ data[i]) & 0xFF]);
    return crc;
}

std::optional<VbrHeader> readVbrHeader(const std::uint8_t *data, std::int64_t size, std::int64_t frame,
                                       std::int64_t frameLength)
{
    return readVbrHeader(detail::ByteReader(data, size), frame, frameLength);
}

std::optional<VbrHeader> readVbrHeader(const detail::ByteReader &image, std::int64_t frame, std::int64_t frameLength)
{
    if (frame < 0 || frameLength < 4 || !image.contains(frame, 4))
        return std::nullopt;
    // Every field is read inside the frame, as far as the image holds it.
    const std::int64_t visible = image.contains(frame, frameLength) ? frameLength : image.size() - frame;
    std::vector<std::uint8_t> frameBytes(static_cast<std::size_t>(visible));
    if (!image.readBytes(frame, visible, frameBytes.data()))
        return std::nullopt;
    const detail::ByteReader bytes(frameBytes.data(), visible);
    const auto tag = xing::headerTagAt(bytes, 0);
    if (!tag)
        return std::nullopt;
    if (tag->kind == VbrHeaderKind::Vbri)
        return readVbri(bytes);
    return readXing(frameBytes.data(), bytes, tag->offset, tag->kind);
}

namespace detail {

std::optional<std::uint16_t> crc16ArcOf(const ByteReader &reader, std::int64_t from, std::int64_t to)
{
    std::uint16_t crc = 0;
    while (from < to) {
        const std::int64_t count = std::min(to - from, reader.spanLimit());
        const std::uint8_t *bytes = reader.span(from, count);
        if (!bytes)
            return std::nullopt;
        crc = crc16Arc(bytes, static_cast<std::size_t>(count), crc);
        from += count;
    }
    return crc;
}

} // namespace detail

} // namespace brantlow
