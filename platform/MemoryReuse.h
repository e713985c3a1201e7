// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace brantlow::platform {

// A run allocates and frees the same buffers for every file (the head read,
// read windows, frame marks: a few hundred KiB to a few MiB). By default the
// C library hands freed memory of that size back to the system at once, and
// the next file pays a page fault for every 4 KiB of it again (about 3 ms
// per 300 KB file, more than its audio work). Called once at start, this
// keeps up to 64 MiB of freed memory per arena for reuse; what a run holds at
// its peak is unchanged.
void keepFreedMemoryForReuse();

} // namespace brantlow::platform
