// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/UndoLog.h"
#include "tests/AppliedEdits.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace brantlow {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

// The original's bytes under each edit, as the rewrite reads them.
std::vector<Bytes> replacedIn(const Bytes &before, const platform::ByteEdits &edits)
{
    std::vector<Bytes> replaced;
    for (const platform::ByteEdit &edit : edits)
        replaced.emplace_back(before.begin() + std::ptrdiff_t(edit.offset),
                              before.begin() + std::ptrdiff_t(edit.offset + edit.oldLength));
    return replaced;
}

// A change's record survives the log's text; taking it back gives the old
// bytes, with each edit's offset moved by what the edits before it added or
// removed; taking the undo back gives the new bytes again.
TEST(UndoLogTest, EditsRoundTripThroughTheLogAndBack)
{
    struct Case {
        const char *name;
        std::string before;
        platform::ByteEdits forward;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"insert at the start", "abcdef", {{0, 0, bytesOf("XY")}}, "XYabcdef"},
        {"insert inside", "ID3-frames", {{4, 0, bytesOf("Xing ")}}, "ID3-Xing frames"},
        {"append", "abc", {{3, 0, bytesOf("Z")}}, "abcZ"},
        {"remove inside", "ID3-Xing frames", {{4, 5, {}}}, "ID3-frames"},
        {"remove at the end", std::string("abcd\0", 5), {{4, 1, {}}}, "abcd"},
        {"same length", "RIFF1rest", {{4, 1, bytesOf("2")}}, "RIFF2rest"},
        {"size fields, a frame and the pad byte",
         std::string("RIFF1---data-end\0", 17),
         {{4, 1, bytesOf("22")}, {8, 0, bytesOf("XING")}, {16, 1, {}}},
         "RIFF22---XINGdata-end"},
        {"no change", "same", {}, "same"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = bytesOf(c.before);
        const Bytes after = bytesOf(c.after);
        ASSERT_EQ(testsupport::appliedEdits(before, c.forward), after);

        UndoRecord record;
        record.path = "/music/A b%c\n\xe9.mp3";
        record.device = 2049;
        record.inode = 1234567;
        record.length = after.size();
        record.lastWrite = {1700000000, 123456789};
        record.oldLastWrite = {-5, 1};
        record.edits = loggedEdits(c.forward, replacedIn(before, c.forward));
        const std::string line = formatRecord(record);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        UndoRecord read;
        ASSERT_TRUE(parseRecord(line, read)) << line;
        EXPECT_EQ(read.path, record.path);
        EXPECT_EQ(read.device, record.device);
        EXPECT_EQ(read.inode, record.inode);
        EXPECT_EQ(read.length, record.length);
        EXPECT_EQ(read.lastWrite.tv_sec, record.lastWrite.tv_sec);
        EXPECT_EQ(read.lastWrite.tv_nsec, record.lastWrite.tv_nsec);
        EXPECT_EQ(read.oldLastWrite.tv_sec, record.oldLastWrite.tv_sec);
        EXPECT_EQ(read.oldLastWrite.tv_nsec, record.oldLastWrite.tv_nsec);
        ASSERT_EQ(read.edits.size(), c.forward.size());
        for (std::size_t i = 0; i < c.forward.size(); ++i)
            EXPECT_EQ(read.edits[i].written, c.forward[i].bytes);

        EXPECT_EQ(testsupport::appliedEdits(after, undoEdits(read.edits)), before);
        EXPECT_EQ(testsupport::appliedEdits(before, undoEdits(reversed(read.edits))), after);
        // A line cut short by a crash is no record.
        EXPECT_FALSE(parseRecord(line.substr(0, line.size() - 1), read));
    }
}

} // namespace
} // namespace brantlow
