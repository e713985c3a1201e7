#include "job/UndoLog.h"

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

// Each change is found as the smallest single edit, its record survives the
// log's text, taking it back gives the old bytes, and taking the undo back
// gives the new ones again.
TEST(UndoLogTest, EditsRoundTripThroughTheLogAndBack)
{
    struct Case {
        const char *name;
        std::string before;
        std::string after;
        std::uint64_t offset; // of the one edit expected, against `before`
        std::uint64_t oldLength;
        std::size_t newLength;
    };
    const std::vector<Case> cases = {
        {"insert at the start", "abcdef", "XYabcdef", 0, 0, 2},
        {"insert inside", "ID3-frames", "ID3-XingXframes", 4, 0, 5},
        {"append", "abc", "abcZ", 3, 0, 1},
        {"remove inside", "ID3-XingXframes", "ID3-frames", 4, 5, 0},
        {"remove at the end", "abcd\x00", "abcd", 4, 1, 0},
        {"same length", "RIFF\x10\x00rest", "RIFF\x14\x00rest", 4, 1, 1},
        {"repeated bytes", "aaaa", "aaaaaa", 4, 0, 2},
        {"size field and insertion", "RIFF1xxdata", "RIFF2xxNEWdata", 4, 3, 6},
        {"from nothing", "", "abc", 0, 0, 3},
        {"to nothing", "abc", "", 0, 3, 0},
        {"no change", "same", "same", 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = bytesOf(c.before);
        const Bytes after = bytesOf(c.after);
        const platform::ByteEdits forward = diffImages(before.data(), before.size(), after.data(), after.size());
        if (c.before == c.after) {
            EXPECT_TRUE(forward.empty());
            continue;
        }
        ASSERT_EQ(forward.size(), 1u);
        EXPECT_EQ(forward[0].offset, c.offset);
        EXPECT_EQ(forward[0].oldLength, c.oldLength);
        EXPECT_EQ(forward[0].bytes.size(), c.newLength);
        EXPECT_EQ(applyEdits(before.data(), before.size(), forward), after);

        UndoRecord record;
        record.path = "/music/A b%c\n\xe9.mp3";
        record.device = 2049;
        record.inode = 1234567;
        record.length = after.size();
        record.lastWrite = {1700000000, 123456789};
        record.oldLastWrite = {-5, 1};
        record.edits = loggedEdits(forward, before.data(), before.size());
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
        ASSERT_EQ(read.edits.size(), 1u);
        EXPECT_EQ(read.edits[0].written, forward[0].bytes);

        EXPECT_EQ(applyEdits(after.data(), after.size(), undoEdits(read.edits)), before);
        EXPECT_EQ(applyEdits(before.data(), before.size(), undoEdits(reversed(read.edits))), after);
        // A line cut short by a crash is no record.
        EXPECT_FALSE(parseRecord(line.substr(0, line.size() - 1), read));
    }
}

// Edits at several places: each one's offset moves by what the edits before
// it added or removed, both ways.
TEST(UndoLogTest, SeveralEditsShiftTheOnesAfterThem)
{
    const Bytes before = bytesOf("RIFF1---data-end");
    const platform::ByteEdits forward = {{4, 1, bytesOf("22")}, {8, 0, bytesOf("XING")}, {13, 3, {}}};
    const Bytes after = applyEdits(before.data(), before.size(), forward);
    ASSERT_EQ(after, bytesOf("RIFF22---XINGdata-"));
    const LoggedEdits logged = loggedEdits(forward, before.data(), before.size());
    EXPECT_EQ(logged[1].undo.offset, 9u);
    EXPECT_EQ(logged[2].undo.offset, 18u);
    EXPECT_EQ(applyEdits(after.data(), after.size(), undoEdits(logged)), before);
    EXPECT_EQ(applyEdits(before.data(), before.size(), undoEdits(reversed(logged))), after);
}

} // namespace
} // namespace brantlow
