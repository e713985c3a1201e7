// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace brantlow {

// What a header frame needs of each frame: where it starts, in bytes from
// the first frame and in milliseconds from its start.
struct FrameMark {
    std::int32_t StartOffset;
    float StartTime;
};

// The marks of one walk, in fixed blocks: growing never moves the marks
// already made, and a long file needs no single large allocation. A block is
// 2 MiB of its own mapping, aligned and marked for huge pages where the
// system gives them: a long file's marks (28 MiB for an hour) would otherwise
// be touched page by page, a fault each, which on a virtual machine cost as
// much as the walk. The first block stays for the next file; the others go
// back to the system with it.
class FrameMarks {
public:
    static constexpr std::size_t kBlockBytes = std::size_t{2} << 20;
    static constexpr std::size_t kPerBlock = kBlockBytes / sizeof(FrameMark);
    // Memory the marks of `frames` frames take.
    static constexpr std::uint64_t bytesFor(std::uint64_t frames) { return (frames / kPerBlock + 1) * kBlockBytes; }
    void push(const FrameMark &mark)
    {
        if (m_size == m_blocks.size() * kPerBlock)
            m_blocks.push_back(newBlock());
        m_blocks[m_size / kPerBlock][m_size % kPerBlock] = mark;
        ++m_size;
    }
    std::size_t size() const { return m_size; }
    const FrameMark &operator[](std::size_t i) const { return m_blocks[i / kPerBlock][i % kPerBlock]; }
    void clear()
    {
        if (m_blocks.size() > 1)
            m_blocks.resize(1);
        m_size = 0;
    }

private:
    struct FreeBlock {
        void operator()(FrameMark *block) const;
    };
    using Block = std::unique_ptr<FrameMark[], FreeBlock>;
    static Block newBlock();

    std::vector<Block> m_blocks;
    std::size_t m_size = 0;
};

} // namespace brantlow
