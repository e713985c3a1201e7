#pragma once

#include "ErrorCodes.h"

// What a file carries and whether its VBR header is right: a pure function
// of the bytes, for `info` and `check`, which only format what it returns.

#include "FileLayout.h"
#include "VbrHeaders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brantlow {

struct JunkSpan {
    std::int64_t offset = 0; // in the file
    std::int64_t length = 0;
    bool cutFrame = false;   // a frame cut short, the next one starting inside it
};

// The stream as the frame walk finds it, from the first frame on.
struct StreamFacts {
    std::int32_t errorCode = 0;       // 21 to 24: the first frame's header cannot be used
    std::int64_t frames = 0;          // every frame, a header frame included
    std::int64_t audioFrames = 0;     // the frames after a header frame (all frames without one)
    std::int64_t streamBytes = 0;     // first frame to the end of the audio, junk included
    std::int64_t audioStart = 0;      // file offset of the first audio frame
    std::int64_t samples = 0;         // of the audio frames
    double durationSeconds = 0.0;
    bool variableBitrate = false;     // the audio frames' bitrates differ
    int layer = 0;                    // 1 to 3, of the first frame
    std::vector<JunkSpan> junk;
    std::int64_t unresyncedBytes = 0; // at the end of the audio, holding no frame found again
    bool tooDamaged = false;          // more than 1 % or 64 KiB of them: add refuses
};

enum class HeaderVerdict { Right, Stale, Missing, NotNeeded, Unreadable };

// "right", "stale", "missing", "not needed", "unreadable".
const char *verdictName(HeaderVerdict verdict);

struct FileCheck {
    FileLayout layout;
    std::optional<VbrHeader> header;
    std::int64_t headerFrameLength = 0; // as its header says
    StreamFacts stream;
    HeaderVerdict verdict = HeaderVerdict::Unreadable;
    std::string reason; // why stale or unreadable; empty otherwise
    // The extension's music CRC against the audio; only when asked for.
    std::optional<bool> musicCrcValid;
};

// Stale: the frame count differs from the stream's, the byte count is more
// than 1 % off, or the extension's tag CRC does not match. Missing: a
// variable-bitrate stream without a header; not needed: a constant one.
FileCheck checkFile(const std::uint8_t *data, std::int64_t size, bool withMusicCrc = false);

} // namespace brantlow
