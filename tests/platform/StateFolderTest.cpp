// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StateFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace brantlow::platform {
namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvironmentValue {
public:
    EnvironmentValue(const char *name, const char *value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old, m_had = true;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~EnvironmentValue() { m_had ? ::setenv(m_name, m_old.c_str(), 1) : ::unsetenv(m_name); }

private:
    const char *m_name;
    std::string m_old;
    bool m_had = false;
};

struct StateCase {
    const char *name;
    const char *xdgStateHome; // "{}" stands for the scratch folder
    const char *home;
    const char *expected; // below the scratch folder; empty when refused
};

class StateFolderTest : public ::testing::TestWithParam<StateCase> {};

std::string expand(const char *pattern, const std::string &scratch)
{
    if (pattern == nullptr)
        return {};
    std::string text = pattern;
    if (const auto at = text.find("{}"); at != std::string::npos)
        text.replace(at, 2, scratch);
    return text;
}

TEST_P(StateFolderTest, FindsAndMakesThePrivateFolder)
{
    const StateCase &c = GetParam();
    test::ScratchFolder scratch;
    test::writeBytes(scratch.file("a-file"), "x");
    const std::string state = expand(c.xdgStateHome, scratch.path());
    const std::string home = expand(c.home, scratch.path());
    EnvironmentValue xdg("XDG_STATE_HOME", c.xdgStateHome ? state.c_str() : nullptr);
    EnvironmentValue homeValue("HOME", c.home ? home.c_str() : nullptr);
    int error = -1;
    const std::string folder = stateFolder("runs", error);
    if (*c.expected == '\0') {
        EXPECT_EQ(folder, "");
        EXPECT_NE(error, 0);
        return;
    }
    EXPECT_EQ(error, 0);
    EXPECT_EQ(folder, scratch.path() + c.expected);
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StateFolderTest,
    ::testing::Values(StateCase{"XdgStateHome", "{}/state", "/nonexistent", "/state/brantlow/runs"},
                      // A relative value is not a valid XDG folder: the home's default applies.
                      StateCase{"RelativeXdgIgnored", "relative/state", "{}", "/.local/state/brantlow/runs"},
                      StateCase{"HomeDefault", nullptr, "{}", "/.local/state/brantlow/runs"},
                      // A file where the folder should be: refused, nothing made over it.
                      StateCase{"FileInTheWay", "{}/a-file", "/nonexistent", ""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace brantlow::platform
