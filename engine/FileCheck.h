// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ErrorCodes.h"

// What a file carries and whether its VBR header is right: a pure function
// of the bytes, for `info`, `check` and `fix`, which act on what it returns.

#include "ByteSource.h"
#include "FileLayout.h"
#include "VbrHeaders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brantlow {

enum class JunkKind {
    Junk, // bytes between frames that hold no frame of the stream
    CutFrame, // a frame cut short, the next one starting inside it
    Tag, // an ID3v2 tag between frames (a joined file)
    Trailing, // bytes after the last whole frame: kept, not audio
};

struct JunkSpan {
    std::int64_t offset = 0; // in the file
    std::int64_t length = 0;
    JunkKind kind = JunkKind::Junk;
};

// The stream as the frame walk finds it, from the first frame on.
struct StreamFacts {
    std::int32_t errorCode = 0;       // 21 to 24: the first frame's header cannot be used
    std::int64_t frames = 0;          // every frame, a header frame included
    std::int64_t audioFrames = 0;     // the frames after a header frame (all frames without one)
    std::int64_t streamBytes = 0; // first frame to the end of the last whole frame, junk between included
    std::int64_t audioStart = 0;      // file offset of the first audio frame
    std::int64_t samples = 0;         // of the audio frames
    double durationSeconds = 0.0;
    bool variableBitrate = false;     // the audio frames' bitrates differ
    int layer = 0;                    // 1 to 3, of the first frame
    std::vector<JunkSpan> junk;
    std::int64_t junkInside = 0; // Junk bytes between frames
    std::int64_t unresyncedBytes = 0; // after the last whole frame, holding no frame found again
    bool endsInCutFrame = false; // the stream ends in a frame cut short
    std::int64_t secondHeader = -1; // file offset of a header frame inside the stream (a joined file)
    std::int64_t firstFrameCutTo = 0; // where frames start inside the first frame, cutting it short; 0 if none
    ByteSpan id3v2AtEnd; // an ID3v2 tag at the end: found by its footer, or where the stream ends
    bool tooDamaged = false; // more than 1 % or 64 KiB of junk between frames: add refuses
};

enum class HeaderVerdict { Right, Stale, Missing, NotNeeded, Unreadable };

// How a header is stale besides placeholder RIFF sizes, for a program that
// words the reason in its own language from the header's and the stream's counts.
enum class StaleCause { None, Truncated, Joined, FrameCount, ByteCount, TagCrc };

// "right", "stale", "missing", "not needed", "unreadable".
const char *verdictName(HeaderVerdict verdict);

struct FileCheck {
    FileLayout layout;
    std::optional<VbrHeader> header;
    std::int64_t headerFrameLength = 0; // as its header says
    StreamFacts stream;
    HeaderVerdict verdict = HeaderVerdict::Unreadable;
    // Why unreadable, or how stale: "truncated: the header says 767 frames,
    // 559 are there", "joined: ...", "byte count ...", "RIFF sizes". Empty
    // for right, and for missing and not needed unless the RIFF sizes are
    // placeholders.
    std::string reason;
    std::int32_t errorCode = 0; // the engine's number of an unreadable file's reason
    StaleCause staleCause = StaleCause::None;
    // The header counts more frames than there are, and the stream ends in a
    // cut frame or short of the encoder's music length: the file lost its end.
    bool truncated = false;
    // The extension's music CRC against the audio; only when asked for.
    std::optional<bool> musicCrcValid;
};

// Stale: the frame count differs from the stream's (truncated, joined, or
// otherwise), the byte count is more than 1 % off, the extension's tag CRC
// does not match, or the RIFF sizes are placeholders. Missing: a
// variable-bitrate stream without a header; not needed: a constant one.
// A source whose read comes up short (the file changed) is unreadable with
// ecFileChanged.
FileCheck checkFile(const ByteSource &source, bool withMusicCrc = false);
FileCheck checkFile(const std::uint8_t *data, std::int64_t size, bool withMusicCrc = false);

} // namespace brantlow
