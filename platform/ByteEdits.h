// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace brantlow::platform {

// One change to a file: `oldLength` bytes of the original at `offset` give way
// to `bytes` (an insertion has oldLength 0, a removal no bytes). A rewrite of a
// large file touches only a few hundred bytes (a header frame, two RIFF size
// fields, a pad byte), so the change travels as these edits and the original's
// other bytes are copied, never held.
struct ByteEdit {
    std::uint64_t offset = 0;
    std::uint64_t oldLength = 0;
    std::vector<std::uint8_t> bytes;
};

// Edits in ascending order of offset, none overlapping another: the new content
// is the original with every edit applied.
using ByteEdits = std::vector<ByteEdit>;

inline std::uint64_t editedSize(const ByteEdits &edits, std::uint64_t originalSize)
{
    std::uint64_t size = originalSize;
    for (const ByteEdit &edit : edits)
        size = size - edit.oldLength + edit.bytes.size();
    return size;
}

} // namespace brantlow::platform
