// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the fields of a VBR header frame stand: the Xing layout, all derived
// from the side-information size of its header, the encoder's extension
// behind it, and the one test that tells which header a frame carries.

#include "ByteReader.h"
#include "FrameHeader.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace brantlow {

// The VBR header frames met in real files, by the tag they carry.
enum class VbrHeaderKind { Xing, Info, Vbri };

} // namespace brantlow

namespace brantlow::xing {

inline constexpr std::string_view kTag = "Xing";
inline constexpr std::string_view kInfoTag = "Info"; // the constant-bitrate form, the same layout
inline constexpr std::string_view kVbriTag = "VBRI"; // another encoder's header
inline constexpr std::int32_t kVbriTagOffset = 36; // whatever the mode

// Flag bits: which fields follow the flags, in this order.
inline constexpr std::uint32_t kHasFrames = 1, kHasBytes = 2, kHasToc = 4, kHasQuality = 8;
inline constexpr std::int32_t kFlagsFramesBytesToc = kHasFrames | kHasBytes | kHasToc; // no quality
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

// Where the fields that `flags` names stand behind a Xing or Info tag at
// `tag`; -1 for an absent one.
struct Fields {
    std::int64_t frames = -1;
    std::int64_t bytes = -1;
    std::int64_t toc = -1;
    std::int64_t quality = -1;
    std::int64_t end = 0; // first byte after them, where the encoder's extension begins
};

constexpr Fields fieldsFor(std::int64_t tag, std::uint32_t flags)
{
    Fields f;
    std::int64_t at = tag + 8;
    auto take = [&at, flags](std::uint32_t bit, std::int64_t size) {
        if ((flags & bit) == 0)
            return std::int64_t{-1};
        at += size;
        return at - size;
    };
    f.frames = take(kHasFrames, 4);
    f.bytes = take(kHasBytes, 4);
    f.toc = take(kHasToc, kTocEntries);
    f.quality = take(kHasQuality, 4);
    f.end = at;
    return f;
}

// The encoder's extension, right after the Xing fields; offsets from its start.
inline constexpr std::int64_t kExtensionSize = 36;
inline constexpr std::int64_t kExtensionMusicLength = 28;
inline constexpr std::int64_t kExtensionMusicCrc = 32;
inline constexpr std::int64_t kExtensionTagCrc = 34; // the tag CRC covers the frame up to here

constexpr std::string_view tagText(VbrHeaderKind kind)
{
    switch (kind) {
    case VbrHeaderKind::Xing:
        return kTag;
    case VbrHeaderKind::Info:
        return kInfoTag;
    case VbrHeaderKind::Vbri:
        return kVbriTag;
    }
    return "";
}

struct HeaderTag {
    VbrHeaderKind kind;
    std::int64_t offset; // from the frame's first byte
};

// The VBR header tag of the frame at `frame`: "Xing" or "Info" at its
// side-information offset, else "VBRI" at byte 36. A tag, or a header, that
// does not lie wholly inside `reader` does not count.
inline std::optional<HeaderTag> headerTagAt(const detail::ByteReader &reader, std::int64_t frame)
{
    frameheader::Header h;
    if (!reader.readBytes(frame, 4, h.data()))
        return std::nullopt;
    const std::int64_t tag = layoutFor(h).tag;
    for (const VbrHeaderKind kind : {VbrHeaderKind::Xing, VbrHeaderKind::Info})
        if (reader.matches(frame + tag, tagText(kind)))
            return HeaderTag{kind, tag};
    if (reader.matches(frame + kVbriTagOffset, kVbriTag))
        return HeaderTag{VbrHeaderKind::Vbri, kVbriTagOffset};
    return std::nullopt;
}

} // namespace brantlow::xing
