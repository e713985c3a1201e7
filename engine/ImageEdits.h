// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ByteSource.h"

#include "platform/ByteEdits.h"

#include <cstdint>
#include <vector>

namespace brantlow {

// How an image differs from the original it was loaded from, followed
// through every insertion, removal and overwrite the engine makes: the image
// as a list of pieces, each a range of the original or bytes of its own, and
// from that list the change as byte edits against the original.
class ImageEdits {
public:
    // An image that is the original of `originalSize` bytes, unchanged.
    void reset(std::int64_t originalSize);
    // `count` bytes at image offset `at` made new, moved up, or dropped.
    void inserted(std::int64_t at, const std::uint8_t *bytes, std::int64_t count);
    void erased(std::int64_t at, std::int64_t count);
    void overwritten(std::int64_t at, const std::uint8_t *bytes, std::int64_t count);

    // Ascending, none overlapping another; empty while the image is the original.
    const platform::ByteEdits &edits() const { return m_edits; }
    std::int64_t originalSize() const { return m_originalSize; }
    // The image's size, and its bytes, read where they are the original's
    // from `original`; false when they lie outside or cannot be read.
    std::int64_t size() const { return m_size; }
    bool readAt(std::int64_t at, std::int64_t count, std::uint8_t *out, const ByteSource &original) const;

private:
    struct Piece {
        std::int64_t from = -1; // offset in the original; -1 for bytes of its own
        std::int64_t length = 0;
        std::vector<std::uint8_t> bytes;
    };
    // The index of the piece that starts at image offset `at`, splitting the
    // one that holds it; the piece count when `at` is the end.
    std::size_t splitAt(std::int64_t at);
    void describe();

    std::vector<Piece> m_pieces;
    std::int64_t m_originalSize = 0;
    std::int64_t m_size = 0;
    platform::ByteEdits m_edits;
};

} // namespace brantlow
