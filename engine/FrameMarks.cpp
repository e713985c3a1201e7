// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameMarks.h"

#include <new>
#include <sys/mman.h>

namespace brantlow {

FrameMarks::Block FrameMarks::newBlock()
{
    // Twice the size mapped, the aligned block kept, the rest given back.
    void *mapped = ::mmap(nullptr, 2 * kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto *start = static_cast<unsigned char *>(mapped);
    const auto offset = reinterpret_cast<std::uintptr_t>(start) % kBlockBytes;
    unsigned char *block = offset == 0 ? start : start + (kBlockBytes - offset);
    if (block > start)
        ::munmap(start, static_cast<std::size_t>(block - start));
    if (unsigned char *end = start + 2 * kBlockBytes; end > block + kBlockBytes)
        ::munmap(block + kBlockBytes, static_cast<std::size_t>(end - (block + kBlockBytes)));
    // Only advice: without huge pages the block is touched page by page.
    ::madvise(block, kBlockBytes, MADV_HUGEPAGE);
    return Block(reinterpret_cast<FrameMark *>(block));
}

void FrameMarks::FreeBlock::operator()(FrameMark *block) const
{
    ::munmap(block, kBlockBytes);
}

} // namespace brantlow
