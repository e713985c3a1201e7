// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "job/RewriteJob.h"

#include <string>

namespace brantlow {

// What a list of files says of each one: its VBR header's verdict, or why
// the file cannot be read.
struct FileState {
    HeaderVerdict verdict = HeaderVerdict::Unreadable;
    std::string reason; // how a header is stale, or why the file cannot be read
    // The same as codes and counts, for a program that words it in its own
    // language: how a header is stale, with the header's and the stream's
    // counts; the engine's number of the check's reason; or, where opening
    // or reading refused the file, the rewrite's result.
    StaleCause staleCause = StaleCause::None;
    std::int64_t headerFrames = 0;
    std::int64_t streamFrames = 0;
    std::int64_t headerBytes = 0;
    std::int64_t streamBytes = 0;
    bool riffSizes = false; // the RIFF sizes are placeholders
    std::int32_t errorCode = 0;
    RewriteResult refused{};
};

// Opens the file exclusively and reads it as the rewrite does (the look at
// head and tail first, so that a large file of another kind is never read
// whole), then judges it; writes nothing. The engine holds no image after.
FileState checkPath(TBinEdit &engine, const std::string &path);

// The state of the image the engine holds (analysed, or just rewritten).
FileState stateOf(const TBinEdit &engine);
// The state check judged, its codes and counts filled in.
FileState stateOf(const FileCheck &check);

} // namespace brantlow
