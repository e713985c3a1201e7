// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface.

#include "Journal.h"
#include "ReplaceResult.h"

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace brantlow::platform::detail {

// Rewrites the open, locked original itself with `size` bytes at `data`:
// only where a rename would be wrong (other hard links keep the old content)
// or impossible (no new file in the folder). The new length and the journal
// of the bytes it overwrites are reserved and the journal flushed before the
// first byte of the original changes, so that a full disk fails first and a
// process killed while writing leaves a file that recoverUnfinished puts back.
ReplaceResult replaceInPlace(const InPlaceTarget &target, const std::uint8_t *data, std::size_t size,
                             const timespec *lastWrite);

} // namespace brantlow::platform::detail
