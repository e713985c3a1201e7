#pragma once

// Internal to the safe replace, not part of the platform's interface.

#include "ReplaceResult.h"

#include <cstddef>
#include <cstdint>
#include <ctime>

struct stat;

namespace brantlow::platform::detail {

// Rewrites the open, locked original `fd` itself with `size` bytes at `data`:
// only where a rename would be wrong (other hard links keep the old content)
// or impossible (no new file in the folder). The new length is reserved
// first, so that a full disk fails before any byte of the file changes.
// `original` is what fstat gave for it when it was opened.
ReplaceResult replaceInPlace(int fd, const struct stat &original, const std::uint8_t *data, std::size_t size,
                             const timespec *lastWrite);

} // namespace brantlow::platform::detail
