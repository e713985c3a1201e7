// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface: a new
// file's content made from the original and the edits against it.

#include "ByteEdits.h"
#include "InPlaceRewrite.h"

#include <cstdint>

namespace brantlow::platform::detail {

// Writes the original `from` (of `originalSize` bytes) with `edits` applied
// to `to` from its start: the edits' bytes from memory, every range between
// them copied by the kernel (copy_file_range) where the edits keep the
// ranges' places within their pages, else (and where the kernel cannot copy
// between the two) through a bounded buffer. With `startWriteback` a large
// file's write-back is started as it is written. An edit out of order or past
// the original's end fails with EINVAL; an original shorter than it was with
// ESTALE.
bool writeEditedCopy(int from, std::uint64_t originalSize, int to, const ByteEdits &edits, bool startWriteback);

// The same content read in windows, for a rewrite of the original in place:
// the first edit's offset is where it first changes.
class EditedContent final : public InPlaceContent {
public:
    EditedContent(const ByteEdits &edits, std::uint64_t originalSize)
        : m_edits(edits),
          m_size(editedSize(edits, originalSize))
    {
    }
    // Whether the edits are in order and within the original.
    bool fits(std::uint64_t originalSize) const;
    std::uint64_t size() const override { return m_size; }
    bool read(const OriginalBytes &old, std::uint64_t offset, std::size_t count, std::uint8_t *out) const override;
    bool firstChange(const OriginalBytes &old, std::uint64_t &at) const override;

private:
    const ByteEdits &m_edits;
    std::uint64_t m_size;
};

} // namespace brantlow::platform::detail
