// SPDX-License-Identifier: GPL-3.0-or-later
// The windowed reader answers as the reader over memory does, at the edges
// of its window too, and reads the source no more often than its window
// placement promises.

#include "engine/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

using namespace brantlow;
using detail::ByteReader;

namespace {

constexpr std::int64_t kWindow = ByteReader::kSmallestWindow;

// Bytes that are not in memory in one piece, with the reads counted.
class CountingSource final : public ByteSource {
public:
    explicit CountingSource(const std::vector<std::uint8_t> &bytes) : m_memory(bytes.data(), std::int64_t(bytes.size()))
    {
    }
    std::int64_t size() const override { return m_memory.size(); }
    bool readAt(std::int64_t offset, std::int64_t count, void *out) const override
    {
        ++reads;
        return m_memory.readAt(offset, count, out);
    }
    mutable int reads = 0;

private:
    MemorySource m_memory;
};

std::vector<std::uint8_t> pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
    return bytes;
}

struct Request {
    std::int64_t offset;
    std::int64_t count;
};

} // namespace

TEST(ByteReader, WindowedReadsAnswerAsMemoryDoes)
{
    const std::vector<std::uint8_t> bytes = pattern(5 * kWindow + 11);
    const std::int64_t size = std::int64_t(bytes.size());
    const std::vector<Request> requests = {
        {0, 4},
        {kWindow - 2, 4},
        {kWindow - 1, 2},
        {2 * kWindow - 4, 8}, // across the window's end
        {10, 4},
        {3 * kWindow, 1},
        {kWindow + 3, 4},
        {0, 1}, // backward steps
        {5, kWindow + 9},
        {1, 3 * kWindow},
        {0, size}, // larger than the window
        {size - 4, 4},
        {size - 2, 4},
        {size, 0},
        {size + 1, 0}, // at the end
        {-1, 2},
        {7, -1},
        {size - kWindow, kWindow},
        {kWindow, kWindow},
    };
    const ByteReader memory(bytes.data(), size);
    const CountingSource source(bytes);
    const ByteReader windowed(source, kWindow);
    for (const Request &r : requests) {
        SCOPED_TRACE(testing::Message() << "offset " << r.offset << ", count " << r.count);
        std::vector<std::uint8_t> want(static_cast<std::size_t>(std::max<std::int64_t>(r.count, 0)), 0);
        std::vector<std::uint8_t> got(want.size(), 0);
        const bool wanted = memory.readBytes(r.offset, r.count, want.data());
        EXPECT_EQ(windowed.readBytes(r.offset, r.count, got.data()), wanted);
        EXPECT_EQ(got, want);
        EXPECT_EQ(windowed.u32be(r.offset), memory.u32be(r.offset));
        EXPECT_EQ(windowed.u16le(r.offset), memory.u16le(r.offset));
        const std::uint8_t *span = windowed.span(r.offset, r.count);
        if (r.count <= kWindow && wanted && r.count > 0) {
            EXPECT_TRUE(span && std::equal(want.begin(), want.end(), span));
        } else if (!wanted) {
            EXPECT_EQ(span, nullptr);
        }
    }
    EXPECT_FALSE(windowed.failed());
}

// A forward step places the window to start at the request, a backward one
// to end at it: a walk either way reads each window once.
TEST(ByteReader, AWalkEitherWayReadsEachWindowOnce)
{
    const std::vector<std::uint8_t> bytes = pattern(4 * kWindow);
    struct Walk {
        const char *name;
        std::int64_t first, step;
        int reads;
    } const walks[] = {
        {"forward", 0, 4, 4},
        {"backward", 4 * kWindow - 4, -4, 5}, // the first request is a step forward
        {"forward from the middle", kWindow / 2, 4, 4}, // the last window ends at the end of the source
    };
    for (const Walk &walk : walks) {
        SCOPED_TRACE(walk.name);
        const CountingSource source(bytes);
        const ByteReader reader(source, kWindow);
        for (std::int64_t at = walk.first; at >= 0 && at + 4 <= std::int64_t(bytes.size()); at += walk.step)
            ASSERT_EQ(reader.u32le(at), ByteReader(bytes.data(), std::int64_t(bytes.size())).u32le(at));
        EXPECT_EQ(source.reads, walk.reads);
    }
}

// A source that comes up short (a file another program shrank) gives no
// bytes, and the reader says so.
TEST(ByteReader, AShortReadGivesNothingAndIsRemembered)
{
    const std::vector<std::uint8_t> bytes = pattern(3 * kWindow);
    class Shrunk final : public ByteSource {
    public:
        explicit Shrunk(const std::vector<std::uint8_t> &b) : m_memory(b.data(), std::int64_t(b.size()) / 2) {}
        std::int64_t size() const override { return 2 * m_memory.size(); } // as it was when opened
        bool readAt(std::int64_t offset, std::int64_t count, void *out) const override
        {
            return m_memory.readAt(offset, count, out);
        }

    private:
        MemorySource m_memory;
    } const source(bytes);
    const ByteReader reader(source, kWindow);
    EXPECT_TRUE(reader.u32le(0).has_value());
    EXPECT_FALSE(reader.failed());
    EXPECT_FALSE(reader.u32le(2 * kWindow).has_value());
    EXPECT_EQ(reader.span(2 * kWindow, 4), nullptr);
    EXPECT_TRUE(reader.failed());
}
