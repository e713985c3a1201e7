#pragma once

// Where the fields of a Xing VBR header frame stand, all derived from the
// side-information size of its header.

#include "FrameHeader.h"

#include <cstdint>
#include <string_view>

namespace brantlow::xing {

inline constexpr std::string_view kTag = "Xing";
inline constexpr std::int32_t kFlagsFramesBytesToc = 7; // frames, bytes and TOC present, no quality
inline constexpr std::int32_t kTocEntries = 100;

struct Layout {
    std::int32_t tag;    // "Xing"
    std::int32_t flags;  // 32-bit big-endian
    std::int32_t frames; // 32-bit big-endian
    std::int32_t bytes;  // 32-bit big-endian
    std::int32_t toc;    // 100 bytes
    std::int32_t end;    // first byte after the layout
};

constexpr Layout layoutFor(const frameheader::Header &h)
{
    const std::int32_t tag = 4 + frameheader::sideInfoSize(h);
    return {tag, tag + 4, tag + 8, tag + 12, tag + 16, tag + 16 + kTocEntries};
}

} // namespace brantlow::xing
