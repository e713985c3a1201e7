#pragma once

#include "engine/Binedit.h"
#include "engine/FileCheck.h"

#include <string>

namespace brantlow {

// What a list of files says of each one: its VBR header's verdict, or why
// the file cannot be read.
struct FileState {
    HeaderVerdict verdict = HeaderVerdict::Unreadable;
    std::string reason; // how a header is stale, or why the file cannot be read
};

// Opens the file exclusively and reads it as the rewrite does (the look at
// head and tail first, so that a large file of another kind is never read
// whole), then judges it; writes nothing. The engine holds no image after.
FileState checkPath(TBinEdit &engine, const std::string &path);

// The state of the image the engine holds (analysed, or just rewritten).
FileState stateOf(const TBinEdit &engine);

// "right", "stale (frame count 60, stream 33 frames)", "missing",
// "not needed", or "unreadable: " and the reason.
std::string stateText(const FileState &state);

} // namespace brantlow
