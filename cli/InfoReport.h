// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "job/RewriteJob.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace brantlow::cli {

// What `info` and `check` tell about one file: the engine's pure readers'
// findings, and the first frame's header as the analysis read it.
struct FileFacts {
    std::int32_t structure = 0;
    std::vector<std::string> flags;
    std::int32_t firstFrame = 0;
    std::int32_t audioSize = 0;
    FrameHeaderBytes firstHeader{};
    std::string mpegVersion; // "1", "2" or "2.5"
    int layer = 0;           // 1 to 3, 0 for the reserved layer bits
    std::int32_t sampleRate = 0;
    std::string channelMode;
    FileCheck check;
};

// Reads the facts from an engine that Analyze has just accepted; the engine
// is left as it is. The music CRC is checked only when asked (it reads every
// audio byte).
FileFacts gatherFacts(const TBinEdit &engine, bool withMusicCrc = true);

// One JSON object on one line, with a trailing newline. Every command's
// record begins with the same fields: path, result, error_code and reason
// (the same text as the command's line); info and check go on with the
// verdict, whether the file looks truncated, and the header.
std::string factsAsJson(const std::string &path, const FileFacts &facts);
// A few lines for a person, with a trailing newline.
std::string factsAsText(const std::string &path, const FileFacts &facts);

// `check`: the verdict of one file, as a line of text or of JSON.
std::string verdictAsText(const std::string &path, HeaderVerdict verdict, const std::string &reason);
std::string verdictAsJson(const std::string &path, const FileFacts &facts);
// A file `info` or `check` could not read: `result` "failed" (unreadable) or
// "skipped".
std::string refusalAsJson(const std::string &path, const char *result, const RewriteResult &failure);

// The header a file has, for the JSON of add, remove and fix: null without one.
nlohmann::ordered_json headerAsJson(const FileCheck &check);

} // namespace brantlow::cli
