// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MemoryStream.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace brantlow;
using Bytes = std::vector<std::uint8_t>;

namespace {

MemoryStream streamOf(const Bytes &bytes)
{
    MemoryStream s;
    s.Write(bytes.data(), std::int32_t(bytes.size()));
    return s;
}

Bytes counting(std::size_t n, std::uint8_t start = 0)
{
    Bytes b(n);
    std::iota(b.begin(), b.end(), start);
    return b;
}

Bytes contents(const MemoryStream &s) { return Bytes(s.Data(), s.Data() + s.Size()); }

TEST(MemoryStream, SeekDoesNotClampAndReadOutsideCopiesNothing)
{
    MemoryStream s = streamOf(counting(10));
    std::uint8_t buf[4] = {9, 9, 9, 9};
    EXPECT_EQ(s.Seek(-3, SeekOrigin::Begin), -3);
    EXPECT_EQ(s.Read(buf, 4), 0);
    EXPECT_EQ(s.Seek(20, SeekOrigin::Begin), 20);
    EXPECT_EQ(s.Read(buf, 4), 0);
    EXPECT_EQ(s.Seek(-2, SeekOrigin::End), 8);
    EXPECT_EQ(s.Read(buf, 4), 2);
    EXPECT_EQ(buf[0], 8);
    EXPECT_EQ(buf[1], 9);
    EXPECT_EQ(s.Position(), 10);
    EXPECT_EQ(s.Seek(-5, SeekOrigin::Current), 5);
    s.Seek(12, SeekOrigin::Begin);
    EXPECT_EQ(s.Write(buf, 1), 1);
    EXPECT_EQ(s.Size(), 13);
    s.SetSize(4);
    EXPECT_EQ(contents(s), counting(4));
}

// Insert and delete against a plain vector model, in place (room reserved)
// and with the stream growing.
TEST(MemoryStream, InsertAndDeleteMoveTheSameBytesAsAModel)
{
    for (const bool reserved : {false, true}) {
        for (std::size_t size : {0, 1, 1023, 1024, 1025, 3000, 4096}) {
            for (std::size_t insert : {0, 1, 208, 1024, 2049}) {
                for (std::size_t at : {std::size_t(0), size / 2, size}) {
                    const Bytes original = counting(size, 1);
                    const Bytes extra = counting(insert, 100);
                    MemoryStream dest = streamOf(original);
                    if (reserved)
                        dest.Reserve(std::int64_t(size + insert));
                    MemoryStream source = streamOf(extra);
                    ASSERT_TRUE(InsertStream(dest, std::int32_t(at), source)) << size << " " << insert << " " << at;
                    Bytes model = original;
                    model.insert(model.begin() + std::ptrdiff_t(at), extra.begin(), extra.end());
                    ASSERT_EQ(contents(dest), model) << size << " " << insert << " " << at;
                    ASSERT_TRUE(DeleteBytes(dest, std::int32_t(at), std::int32_t(insert)));
                    ASSERT_EQ(contents(dest), original);
                }
            }
        }
    }
}

TEST(MemoryStream, RangesOutsideFailAndTouchNothing)
{
    const Bytes original = counting(100);
    MemoryStream s = streamOf(original);
    MemoryStream source = streamOf(counting(5));
    EXPECT_FALSE(InsertStream(s, 101, source));
    EXPECT_FALSE(InsertStream(s, -1, source));
    EXPECT_FALSE(DeleteBytes(s, 90, 11));
    EXPECT_FALSE(DeleteBytes(s, -1, 1));
    EXPECT_FALSE(DeleteBytes(s, 1, -1));
    EXPECT_FALSE(DeleteBytes(s, 0x7FFFFFFF, 0x7FFFFFFF));
    EXPECT_FALSE(InsertStream(s, 3, s));
    EXPECT_EQ(contents(s), original);
    EXPECT_TRUE(DeleteBytes(s, 100, 0));
    EXPECT_TRUE(DeleteBytes(s, 37, 0));
    EXPECT_EQ(contents(s), original);
}

} // namespace
