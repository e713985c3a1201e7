#pragma once

#include "engine/Binedit.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brantlow::cli {

// The fields of a Xing frame that its flags say are present.
struct XingFacts {
    std::uint32_t flags = 0;
    std::optional<std::uint32_t> frames;
    std::optional<std::uint32_t> bytes;
    std::optional<std::array<std::uint8_t, 100>> toc;
};

// What `info` tells about one file, read from an analysed engine.
struct FileFacts {
    std::int32_t structure = 0;
    std::vector<std::string> flags;
    std::int32_t firstFrame = 0;
    std::int32_t audioSize = 0;
    FrameHeaderBytes firstHeader{};
    std::string mpegVersion;  // "1", "2" or "2.5"
    int layer = 0;            // 1 to 3, 0 for the reserved layer bits
    std::int32_t sampleRate = 0;
    std::string channelMode;
    // Audio frames from the first one after any Xing frame; empty when the
    // frame walk failed (a header with unusable indices), with its code.
    std::optional<std::int64_t> audioFrames;
    std::optional<double> durationMs;
    std::int32_t indexErrorCode = -1;
    std::optional<XingFacts> xing;
};

// Reads the facts from an engine that Analyze has just accepted; builds the
// frame index, so the engine's Structure no longer shows the VBR header bit.
FileFacts gatherFacts(TBinEdit &engine);

// One JSON object on one line, with a trailing newline.
std::string factsAsJson(const std::string &path, const FileFacts &facts);
std::string failureAsJson(const std::string &path, std::int32_t errorCode, const std::string &message,
                          const std::string &reason);
// A few lines for a person, with a trailing newline.
std::string factsAsText(const std::string &path, const FileFacts &facts);

} // namespace brantlow::cli
