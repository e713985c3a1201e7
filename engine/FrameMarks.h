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
// already made, and a long file needs no single large allocation.
class FrameMarks {
public:
    static constexpr std::size_t kPerBlock = 8192;

    // Memory the marks of `frames` frames take.
    static constexpr std::uint64_t bytesFor(std::uint64_t frames)
    {
        return (frames / kPerBlock + 1) * kPerBlock * sizeof(FrameMark);
    }

    void push(const FrameMark &mark)
    {
        if (m_size == m_blocks.size() * kPerBlock)
            m_blocks.push_back(std::make_unique_for_overwrite<FrameMark[]>(kPerBlock));
        m_blocks[m_size / kPerBlock][m_size % kPerBlock] = mark;
        ++m_size;
    }
    std::size_t size() const { return m_size; }
    const FrameMark &operator[](std::size_t i) const { return m_blocks[i / kPerBlock][i % kPerBlock]; }
    void clear()
    {
        m_blocks.clear();
        m_size = 0;
    }

private:
    std::vector<std::unique_ptr<FrameMark[]>> m_blocks;
    std::size_t m_size = 0;
};

} // namespace brantlow
