#pragma once

// Where the parts of an audio file stand: tags, RIFF wrapper, first frame and
// the audio behind it. A pure function of the bytes; the engine's structure
// analysis is built on it, and reports read it without an engine.

#include <cstdint>
#include <vector>

namespace brantlow {

struct ByteSpan {
    std::int64_t offset = 0;
    std::int64_t length = 0; // 0: absent
};

enum class RiffWrapper { None, Rmp3, Wave };

struct FileLayout {
    // 0 when a first frame was found; otherwise the analysis code 10 to 15.
    std::int32_t errorCode = 0;
    // StructureFlags, without sfVbrHeader.
    std::int32_t structure = 0;

    RiffWrapper wrapper = RiffWrapper::None;
    std::int64_t dataChunkHeader = -1; // offset of "data" and its size; -1 without RIFF
    std::uint32_t dataChunkSize = 0;
    std::int64_t payloadStart = 0;     // where tags and frames may begin: 0, or the data payload

    std::vector<ByteSpan> id3v2;       // each leading tag, footer included, in file order
    ByteSpan junkBeforeFirstFrame;     // padding or junk between the ID3v2 tags and the first frame
    ByteSpan ape;                      // APEv2 tag, header included
    ByteSpan lyrics3;
    ByteSpan id3v1;

    std::int64_t firstFrame = -1;
    // Audio bytes from the first frame on, as the engine counts them (32-bit,
    // wrapped as a RIFF size field is); it may reach beyond the image.
    std::int32_t audioSize = 0;
};

// The locator: trailing tags (ID3v1, Lyrics3 v2, APEv2), RIFF chunks, the
// ID3v2 tags, and the first frame: right after the last ID3v2 tag, or, where
// padding or junk follows the tag, the first VBR header frame within 64 KiB,
// or else the first offset within 64 KiB where two frames of one stream chain.
FileLayout locateLayout(const std::uint8_t *data, std::int64_t size);

} // namespace brantlow
