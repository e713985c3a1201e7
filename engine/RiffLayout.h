// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the engine: the RIFF wrapper around MPEG audio (RMP3, or WAVE
// with the MPEG Layer 3 format), and the sizes its two fields should carry.
// Writers that stream to a pipe leave placeholders there (0, 0xFFFFFFFF, or a
// size past the end of the file); the data then runs to the next chunk that
// can be read, or to the tags at the end of the file, or to its end.

#include "ByteReader.h"
#include "FileLayout.h"

#include <cstdint>

namespace brantlow::detail {

struct RiffWrapperFound {
    std::int32_t errorCode = 0; // 11 to 15, or 10 where a field cannot be read
    bool rmp3 = false;
    std::int64_t dataChunkHeader = -1; // "data" and its size
    std::uint32_t riffSize = 0; // as the fields say
    std::uint32_t dataSize = 0;
};

// The form, the format and the data chunk of an image that begins with "RIFF".
RiffWrapperFound findRiffWrapper(const ByteReader &reader);

// A RIFF size that does not describe the file: 0, 0xFFFFFFFF, one that runs
// past the end of the file, or one that ends before `dataEnd`, where the
// data chunk ends (by its size, or where the data runs when that is a
// placeholder).
bool riffSizeIsPlaceholder(std::uint32_t riffSize, std::int64_t dataEnd, std::int64_t fileSize);
// A data size of 0xFFFFFFFF, or one that runs past the end of the file (a
// size of 0 is one only where MPEG frames follow; the caller knows).
bool dataSizeIsPlaceholder(std::uint32_t dataSize, std::int64_t payloadStart, std::int64_t fileSize);

// Where the data of a RIFF file whose data size is a placeholder ends: where
// its frames, stepped from the first, stop and chunks that can be read follow
// them up to `end` (the start of the tags at the end of the file, or its end);
// else at `end`.
std::int64_t dataEndAfterFrames(const ByteReader &reader, std::int64_t firstFrame, std::int64_t end);

// The sizes the two fields should carry in a located RIFF image: the RIFF
// chunk reaches the tags at the end of the file (or its end), the data chunk
// as dataEndAfterFrames says.
struct RiffSizes {
    std::uint32_t riff = 0;
    std::uint32_t data = 0;
};
RiffSizes trueRiffSizes(const ByteReader &reader, const FileLayout &layout);

} // namespace brantlow::detail
