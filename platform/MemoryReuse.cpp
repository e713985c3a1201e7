// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryReuse.h"

#include <malloc.h>

namespace brantlow::platform {

void keepFreedMemoryForReuse()
{
    // Buffers up to 32 MiB come from the heap rather than from mappings of
    // their own (unmapped on free), and the heap keeps 64 MiB of free space
    // at its top before it gives any back.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

} // namespace brantlow::platform
