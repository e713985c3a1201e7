// SPDX-License-Identifier: GPL-3.0-or-later
// How a file name is shown on a line of text: UTF-8 as it stands, every
// other byte and the control characters as C-style escapes, as `ls -b` does.

#include "cli/PathText.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(CliPathText, ShowsUtf8AsItStandsAndEscapesEverythingElse)
{
    struct Case {
        const char *what;
        std::string name;
        std::string shown;
        bool utf8;
    };
    const std::vector<Case> cases = {
        {"ASCII", "song.mp3", "song.mp3", true},
        {"two-byte UTF-8", "caf\xC3\xA9", "caf\xC3\xA9", true},
        {"four-byte UTF-8", "\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5", true},
        {"Latin-1", "caf\xE9", "caf\\351", false},
        {"a surrogate half", "\xED\xA0\x80", "\\355\\240\\200", false},
        {"an overlong slash", "\xC0\xAF", "\\300\\257", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\\364\\220\\200\\200", false},
        {"a cut sequence", "\xE2\x82", "\\342\\202", false},
        {"control characters", "a\nb\\c\td\x7F", "a\\nb\\\\c\\td\\177", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(brantlow::cli::shownPath(c.name), c.shown);
        EXPECT_EQ(brantlow::cli::isValidUtf8(c.name), c.utf8);
    }
}

} // namespace
