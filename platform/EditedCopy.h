// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface: a new
// file's content made from the original and the edits against it.

#include "ByteEdits.h"

#include <cstdint>
#include <vector>

namespace brantlow::platform::detail {

// Writes the original `from` (of `originalSize` bytes) with `edits` applied
// to `to` from its start: the edits' bytes from memory, every range between
// them copied by the kernel (copy_file_range), or through a bounded buffer
// where the kernel cannot copy between the two. An edit out of order or past
// the original's end fails with EINVAL; an original shorter than it was with
// ESTALE.
bool writeEditedCopy(int from, std::uint64_t originalSize, int to, const ByteEdits &edits);

// The same content in memory, for a rewrite of the original in place.
bool readEdited(int from, std::uint64_t originalSize, const ByteEdits &edits, std::vector<std::uint8_t> &content);

} // namespace brantlow::platform::detail
