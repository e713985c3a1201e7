// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PathParts.h"

#include <gtest/gtest.h>

namespace brantlow::platform {
namespace {

struct PathCase {
    const char *path;
    const char *directory;
    const char *name;
    const char *extension;
};

class PathPartsTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathPartsTest, SplitsAtTheLastSeparatorAndDot)
{
    const PathCase &c = GetParam();
    EXPECT_EQ(directoryPart(c.path), c.directory);
    EXPECT_EQ(namePart(c.path), c.name);
    EXPECT_EQ(extensionPart(c.path), c.extension);
    // The two parts always put the whole path back together.
    EXPECT_EQ(directoryPart(c.path) + namePart(c.path), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PathPartsTest,
    ::testing::Values(PathCase{"/music/song.mp3", "/music/", "song.mp3", ".mp3"},
                      PathCase{"song.mp3", "", "song.mp3", ".mp3"},
                      PathCase{"/music/album.v2/track", "/music/album.v2/", "track", ""},
                      PathCase{"/music/archive.mp3.bak", "/music/", "archive.mp3.bak", ".bak"},
                      PathCase{"/music/trailing.", "/music/", "trailing.", "."},
                      PathCase{"/music/", "/music/", "", ""},
                      PathCase{"/", "/", "", ""},
                      PathCase{"", "", "", ""},
                      PathCase{"/music/.hidden", "/music/", ".hidden", ".hidden"},
                      PathCase{"rel/dir/x.WAV", "rel/dir/", "x.WAV", ".WAV"},
                      // A backslash or colon is an ordinary name character here.
                      PathCase{"/m/a\\b:c.rmp", "/m/", "a\\b:c.rmp", ".rmp"},
                      // UTF-8 names pass byte for byte.
                      PathCase{"/m\xC3\xBCsik/L\xC3\xA4nge.mp3", "/m\xC3\xBCsik/", "L\xC3\xA4nge.mp3", ".mp3"}));

TEST(PathPartsLongPath, NothingIsCutShort)
{
    const std::string folder = "/" + std::string(3000, 'd') + "/";
    const std::string name = std::string(1000, 'n') + ".mp3";
    EXPECT_EQ(directoryPart(folder + name), folder);
    EXPECT_EQ(namePart(folder + name), name);
    EXPECT_TRUE(hasSupportedExtension(folder + name));
}

TEST(AsciiLower, ChangesOnlyAsciiCapitals)
{
    EXPECT_EQ(asciiLower("SONG.Mp3"), "song.mp3");
    EXPECT_EQ(asciiLower("@[`{Z"), "@[`{z");
    // UTF-8 capitals (here "Ä" and "É") are not lower-cased.
    EXPECT_EQ(asciiLower("\xC3\x84\xC3\x89X"), "\xC3\x84\xC3\x89x");
}

TEST(SupportedExtension, AcceptsOnlyTheThreeExtensionsInAnyCase)
{
    struct Case {
        const char *path;
        bool supported;
    };
    const Case cases[] = {
        {"a.mp3", true},         {"SONG.MP3", true},     {"x.Rmp", true},         {"/d/x.wav", true},
        {"/d.mp3/x", false},     {"x.mp3.bak", false},   {"x.", false},           {"x", false},
        {"x.mp4", false},        {"x.mp33", false},      {"x.mp", false},         {"", false},
        {"/d/.mp3", true},       {"x.m\xC3\xA9" "3", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(hasSupportedExtension(c.path), c.supported) << c.path;
}

} // namespace
} // namespace brantlow::platform
