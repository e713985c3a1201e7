// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the parts of an audio file stand: tags, RIFF wrapper, first frame and
// the audio behind it. A pure function of the bytes; the engine's structure
// analysis is built on it, and reports read it without an engine.

#include <cstdint>
#include <vector>

namespace brantlow {

class ByteSource;
namespace detail {
class ByteReader;
}

struct ByteSpan {
    std::int64_t offset = 0;
    std::int64_t length = 0; // 0: absent
};

enum class RiffWrapper { None, Rmp3, Wave };

struct FileLayout {
    // 0 when a first frame was found; otherwise the analysis code 10 to 16.
    std::int32_t errorCode = 0;
    // StructureFlags, without sfVbrHeader.
    std::int32_t structure = 0;

    RiffWrapper wrapper = RiffWrapper::None;
    std::int64_t dataChunkHeader = -1; // offset of "data" and its size; -1 without RIFF
    std::uint32_t dataChunkSize = 0; // as the field says
    std::int64_t payloadStart = 0;     // where tags and frames may begin: 0, or the data payload
    // RIFF size fields that do not describe the file (0, 0xFFFFFFFF, past
    // its end; a data size of 0 before MPEG frames): the data then runs to
    // the next chunk that can be read, or to the tags at the end.
    bool riffSizePlaceholder = false;
    bool dataSizePlaceholder = false;

    std::vector<ByteSpan> id3v2;       // each leading tag, footer included, in file order
    ByteSpan junkBeforeFirstFrame; // padding or junk between the start of the audio and the first frame
    ByteSpan id3v2AtEnd; // an ID3v2.4 tag found by its footer at the end of the audio
    ByteSpan ape;                      // APEv2 tag, header included
    ByteSpan lyrics3;
    ByteSpan id3v1;
    std::int64_t trailingTagsStart = 0; // where APEv2, Lyrics3 and ID3v1 begin; the image size without them

    std::int64_t firstFrame = -1;
    // Audio bytes from the first frame on, as the engine counts them (32-bit,
    // wrapped as a RIFF size field is); it may reach beyond the image.
    std::int32_t audioSize = 0;

    bool riffSizesArePlaceholders() const { return riffSizePlaceholder || dataSizePlaceholder; }
};

// The locator: trailing tags (ID3v1, Lyrics3 v2, APEv2, an ID3v2.4 tag with
// its footer), RIFF chunks, the ID3v2 tags, and the first frame. Where the
// audio starts (after the ID3v2 tags, at the RIFF data payload, or at byte
// 0), the first frame is the first VBR header frame within 64 KiB, unless
// four or more frames of its stream chain before it (a joined file, whose
// stream starts there); without a header frame, the first place within
// 64 KiB where four frames of one stream chain (or fewer that end the
// audio); failing both, the start itself, when a frame sync stands there.
// A file that starts with another container's signature is not MPEG audio.
FileLayout locateLayout(const std::uint8_t *data, std::int64_t size);
FileLayout locateLayout(const ByteSource &source);
// The same through a reader the caller goes on reading with.
FileLayout locateLayout(const detail::ByteReader &reader);

} // namespace brantlow
