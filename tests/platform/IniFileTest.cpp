// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace brantlow::platform {
namespace {

using test::ScratchFolder;

class IniFileTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string ini = folder.file("brantlow.ini");
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(readProfileString(ini, "Form", "Top", "100"), "100");
    EXPECT_FALSE(std::filesystem::exists(ini)) << "reading creates nothing";
    test::writeBytes(ini, "[Form]\nTop=7\n");
    EXPECT_EQ(readProfileString(ini, "Folder", "Top", "d"), "d");
    EXPECT_EQ(readProfileString(ini, "Form", "Left", "d"), "d");
    EXPECT_EQ(readProfileString(folder.path(), "Form", "Top", "d"), "d") << "a folder is no settings file";
}

TEST_F(IniFileTest, FirstWriteCreatesFileAndSections)
{
    ASSERT_TRUE(writeProfileString(ini, "Form", "Top", "100"));
    ASSERT_TRUE(writeProfileString(ini, "Form", "Left", "-5"));
    ASSERT_TRUE(writeProfileString(ini, "Font\\Style", "IsBold", "1"));
    ASSERT_TRUE(writeProfileString(ini, "Font", "Name", "Arial"));
    EXPECT_EQ(test::readBytes(ini), "[Form]\nTop=100\nLeft=-5\n[Font\\Style]\nIsBold=1\n[Font]\nName=Arial\n");
    EXPECT_EQ(readProfileString(ini, "Form", "Left", ""), "-5");
    EXPECT_EQ(readProfileString(ini, "Font\\Style", "IsBold", ""), "1");
    EXPECT_EQ(readProfileString(ini, "Font", "IsBold", "none"), "none") << "Font and Font\\Style are different sections";
    EXPECT_EQ(test::statOf(ini).st_mode & 0777, 0666u & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }());
    EXPECT_EQ(test::entriesOf(folder.path()), std::set<std::string>{"brantlow.ini"});
}

TEST_F(IniFileTest, NamesMatchIgnoringAsciiCase)
{
    test::writeBytes(ini, "[FramseSeek]\nMaxOffset=32\n");
    EXPECT_EQ(readProfileString(ini, "framseseek", "MAXOFFSET", ""), "32");
    ASSERT_TRUE(writeProfileString(ini, "FRAMSESEEK", "maxoffset", "3"));
    EXPECT_EQ(test::readBytes(ini), "[FramseSeek]\nMaxOffset=3\n") << "the stored spelling stays";
}

TEST_F(IniFileTest, WhitespaceAndQuotesAroundValuesAreDropped)
{
    test::writeBytes(ini, "  [ Form ]  \n  Top  =  12  \nName=\"Arial Black\"\nQ='x'\nHalf=\"x\nEmpty=\n");
    EXPECT_EQ(readProfileString(ini, "Form", "Top", ""), "12");
    EXPECT_EQ(readProfileString(ini, "Form", "Name", ""), "Arial Black");
    EXPECT_EQ(readProfileString(ini, "Form", "Q", ""), "x");
    EXPECT_EQ(readProfileString(ini, "Form", "Half", ""), "\"x");
    EXPECT_EQ(readProfileString(ini, "Form", "Empty", "default"), "");
}

TEST_F(IniFileTest, WritingOneKeyKeepsEverythingElseByteForByte)
{
    const std::string before = "; settings of brantlow\n"
                               "[Form]\n"
                               "Top = 100 ; not a comment here\n"
                               "unknown line without equals\n"
                               "Left=3\n"
                               "\n"
                               "[Folder]\n"
                               "Init=/home/u/M\xC3\xBCsik\n"
                               "\n"
                               "[Other]\n"
                               "x=1";
    test::writeBytes(ini, before);

    ASSERT_TRUE(writeProfileString(ini, "Form", "Left", "44"));
    std::string expected = before;
    expected.replace(expected.find("Left=3"), 6, "Left=44");
    EXPECT_EQ(test::readBytes(ini), expected);

    // A new key goes to the end of its own section, before the blank line.
    ASSERT_TRUE(writeProfileString(ini, "Form", "Width", "435"));
    expected.insert(expected.find("Left=44\n") + 8, "Width=435\n");
    EXPECT_EQ(test::readBytes(ini), expected);

    // The last section ends without a line break.
    ASSERT_TRUE(writeProfileString(ini, "Other", "y", "2"));
    expected += "\ny=2\n";
    EXPECT_EQ(test::readBytes(ini), expected);

    ASSERT_TRUE(writeProfileString(ini, "Multiple", "DelItems", "1"));
    expected += "[Multiple]\nDelItems=1\n";
    EXPECT_EQ(test::readBytes(ini), expected);

    EXPECT_EQ(readProfileString(ini, "Form", "Top", ""), "100 ; not a comment here");
    EXPECT_EQ(readProfileString(ini, "Folder", "Init", ""), "/home/u/M\xC3\xBCsik");
}

TEST_F(IniFileTest, CarriageReturnLineEndsAreKept)
{
    test::writeBytes(ini, "[Form]\r\nTop=1\r\n");
    EXPECT_EQ(readProfileString(ini, "Form", "Top", ""), "1");
    ASSERT_TRUE(writeProfileString(ini, "Form", "Top", "2"));
    ASSERT_TRUE(writeProfileString(ini, "Form", "Left", "3"));
    ASSERT_TRUE(writeProfileString(ini, "Font", "Size", "10"));
    EXPECT_EQ(test::readBytes(ini), "[Form]\r\nTop=2\r\nLeft=3\r\n[Font]\r\nSize=10\r\n");
}

TEST_F(IniFileTest, CommentsAndKeysOfOtherSectionsDoNotMatch)
{
    test::writeBytes(ini, "Top=orphan\n[Font]\n;Size=1\nSize=10\n[Font\\Style]\nSize=99\n[Font]\nSize=11\n");
    EXPECT_EQ(readProfileString(ini, "Font", "Size", ""), "10") << "the first section of that name counts";
    EXPECT_EQ(readProfileString(ini, "Font\\Style", "Size", ""), "99");
    EXPECT_EQ(readProfileString(ini, "", "Top", "d"), "d");
    EXPECT_EQ(readProfileString(ini, "Font", ";Size", "d"), "d");
}

TEST_F(IniFileTest, ValuesAreReadUpTo2047Bytes)
{
    const std::string full(2047, 'a');
    ASSERT_TRUE(writeProfileString(ini, "Folder", "Init", full + "bcd"));
    EXPECT_EQ(readProfileString(ini, "Folder", "Init", ""), full);
    ASSERT_TRUE(writeProfileString(ini, "Folder", "Init", full));
    EXPECT_EQ(readProfileString(ini, "Folder", "Init", ""), full);
    // The cut never splits a UTF-8 character ("\xC3\xA4" spans bytes 2047 and 2048).
    ASSERT_TRUE(writeProfileString(ini, "Folder", "Init", std::string(2046, 'a') + "\xC3\xA4"));
    EXPECT_EQ(readProfileString(ini, "Folder", "Init", ""), std::string(2046, 'a'));
}

TEST_F(IniFileTest, RefusesWhatWouldBreakTheFile)
{
    test::writeBytes(ini, "[Form]\nTop=1\n");
    const struct {
        const char *section;
        const char *key;
        const char *value;
    } cases[] = {
        {"Form", "Top", "1\n[Evil]\nx=1"}, {"Form", "Top", "a\rb"}, {"Form", "T=p", "1"}, {"Fo]rm", "Top", "1"},
        {"", "Top", "1"},                  {"Form", "", "1"},      {"Form", " ", "1"},  {"Form", ";Top", "1"},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(writeProfileString(ini, c.section, c.key, c.value)) << c.section << " " << c.key;
    EXPECT_EQ(test::readBytes(ini), "[Form]\nTop=1\n");
}

TEST_F(IniFileTest, UnwritableFolderFailsQuietly)
{
    EXPECT_FALSE(writeProfileString(folder.file("no-such-folder/brantlow.ini"), "Form", "Top", "1"));

    test::writeBytes(ini, "[Form]\nTop=1\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const std::string fresh = folder.file("fresh.ini");
    const int status = test::runUnprivileged([&] {
        const bool wroteExisting = writeProfileString(ini, "Form", "Top", "2");
        const bool wroteNew = writeProfileString(fresh, "Form", "Top", "2");
        const bool readStill = readProfileString(ini, "Form", "Top", "") == "1";
        return (!wroteExisting && !wroteNew && readStill) ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readBytes(ini), "[Form]\nTop=1\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(test::entriesOf(folder.path()), std::set<std::string>{"brantlow.ini"});
}

TEST_F(IniFileTest, SettingsFileBehindASymbolicLinkStaysALink)
{
    const std::string real = folder.file("real.ini");
    test::writeBytes(real, "[Form]\nTop=1\n");
    ASSERT_EQ(::symlink("real.ini", ini.c_str()), 0);
    ASSERT_TRUE(writeProfileString(ini, "Form", "Top", "2"));
    EXPECT_TRUE(S_ISLNK(test::statOf(ini).st_mode));
    EXPECT_EQ(test::readBytes(real), "[Form]\nTop=2\n");
}

TEST_F(IniFileTest, ByteOrderMarkDoesNotHideTheFirstSection)
{
    test::writeBytes(ini, "\xEF\xBB\xBF[Form]\nTop=1\n");
    EXPECT_EQ(readProfileString(ini, "Form", "Top", ""), "1");
    ASSERT_TRUE(writeProfileString(ini, "Form", "Top", "2"));
    EXPECT_EQ(test::readBytes(ini), "\xEF\xBB\xBF[Form]\nTop=2\n");
}

} // namespace
} // namespace brantlow::platform
