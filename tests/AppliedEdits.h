// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte edits applied to a whole buffer, independently of the product's own
// writers, so that tests can compare what an edit list means with what was
// written. The order the edits promise (ascending, inside the original) is
// checked: an empty optional says it was broken.

#include "platform/ByteEdits.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace brantlow::testsupport {

inline std::optional<std::vector<std::uint8_t>> appliedEdits(const std::vector<std::uint8_t> &original,
                                                             const platform::ByteEdits &edits)
{
    std::vector<std::uint8_t> out;
    std::uint64_t next = 0;
    for (const platform::ByteEdit &edit : edits) {
        if (edit.offset < next || edit.offset + edit.oldLength > original.size())
            return std::nullopt;
        out.insert(out.end(), original.begin() + std::ptrdiff_t(next), original.begin() + std::ptrdiff_t(edit.offset));
        out.insert(out.end(), edit.bytes.begin(), edit.bytes.end());
        next = edit.offset + edit.oldLength;
    }
    out.insert(out.end(), original.begin() + std::ptrdiff_t(next), original.end());
    return out;
}

} // namespace brantlow::testsupport
