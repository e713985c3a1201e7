// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileProbe.h"

#include "ByteReader.h"
#include "ContainerLayout.h"

#include <cstdio>

namespace brantlow {

namespace {

using detail::ByteReader;

// The analysis looks for the first frame this far past the ID3v2 tags; the
// probe looks a little further, so that it never refuses what it would find.
constexpr std::int64_t kSyncWindow = detail::kFirstFrameWindow + 4 * 1024;
constexpr std::int64_t kTwoGiB = std::int64_t{1} << 31;

ProbeVerdict accept() { return {true, {}}; }
ProbeVerdict refuse(ProbeRefusal refusal, std::string reason)
{
    return {false, std::move(reason), refusal};
}

// Where the run of ID3v2 tags (each with its footer, zero padding between)
// ends; -1 when it runs past the head.
std::int64_t endOfId3v2Run(const ByteReader &head)
{
    std::int64_t at = 0;
    while (head.matches(at, "ID3")) {
        std::uint8_t header[detail::kId3v2HeaderSize];
        if (!head.readBytes(at, detail::kId3v2HeaderSize, header))
            return -1;
        std::int64_t size = 0;
        for (int i = 6; i < 10; ++i) {
            if (header[i] & 0x80)
                return at; // not a tag after all: the search starts here
            size = (size << 7) | header[i];
        }
        const bool footer = (header[5] & detail::kId3v2FooterFlag) != 0;
        at += detail::kId3v2HeaderSize + size + (footer ? detail::kId3v2FooterSize : 0);
        while (head.contains(at, 1)) {
            std::uint8_t byte = 0;
            head.readBytes(at, 1, &byte);
            if (byte != 0)
                break;
            ++at;
        }
        if (!head.contains(at, 0) || at == head.size())
            return -1;
    }
    return at;
}

bool hasFrameSync(const ByteReader &head, std::int64_t from, std::int64_t to)
{
    std::uint8_t pair[2];
    for (std::int64_t at = from; at + 1 < to; ++at) {
        if (head.readBytes(at, 2, pair) && pair[0] == 0xFF && (pair[1] & 0xE0) == 0xE0)
            return true;
    }
    return false;
}

// The format tag of a WAVE's "fmt " chunk, walking the chunks in any order.
ProbeVerdict probeWave(const ByteReader &head)
{
    std::int64_t at = detail::kRiffChunksStart;
    while (head.contains(at, 8)) {
        const std::uint32_t size = *head.u32le(at + 4);
        if (head.matches(at, "fmt ")) {
            const std::optional<std::uint16_t> format = head.u16le(at + 8);
            if (!format || *format == detail::kWaveFormatMpegLayer3)
                return accept();
            if (*format == detail::kWaveFormatPcm)
                return refuse(ProbeRefusal::PcmWave, "PCM WAVE");
            char text[48];
            std::snprintf(text, sizeof text, "WAVE format 0x%04X: not MPEG audio", static_cast<unsigned>(*format));
            return refuse(ProbeRefusal::OtherWaveFormat, text);
        }
        at += 8 + static_cast<std::int64_t>(size) + (size & 1);
    }
    return accept(); // no format chunk in the head: the analysis decides
}

} // namespace

ProbeVerdict probeFileHead(const std::uint8_t *head, std::size_t headSize, const std::uint8_t *tail,
                           std::size_t tailSize, std::int64_t fileSize)
{
    if (fileSize >= kTwoGiB)
        return refuse(ProbeRefusal::TooLarge, "2 GiB or more");
    const ByteReader reader(head, static_cast<std::int64_t>(headSize));

    if (reader.matches(0, "RIFF") && reader.contains(8, 4)) {
        if (reader.matches(8, "RMP3"))
            return accept();
        if (reader.matches(8, "WAVE"))
            return probeWave(reader);
        std::string form(reinterpret_cast<const char *>(head) + 8, 4);
        for (char &c : form)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
                c = '?';
        return refuse(ProbeRefusal::OtherRiffForm, "RIFF form \"" + form + "\": not MPEG audio");
    }

    const std::int64_t start = endOfId3v2Run(reader);
    if (start < 0)
        return accept(); // the tags run past the head
    std::int64_t end = start + kSyncWindow;
    if (end > reader.size()) {
        if (reader.size() < fileSize)
            return accept(); // the window runs past the head
        end = reader.size();
    }
    // A trailing ID3v1 tag holds text, never a frame.
    const ByteReader last(tail, static_cast<std::int64_t>(tailSize));
    if (reader.size() == fileSize && fileSize >= detail::kId3v1Size
        && last.matches(last.size() - detail::kId3v1Size, "TAG") && end > fileSize - detail::kId3v1Size)
        end = fileSize - detail::kId3v1Size;
    if (hasFrameSync(reader, start, end))
        return accept();
    return refuse(ProbeRefusal::NoFrameSync, "not MPEG audio: no frame sync in the first 64 KiB");
}

} // namespace brantlow
