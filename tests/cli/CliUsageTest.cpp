// SPDX-License-Identifier: GPL-3.0-or-later
// brantlow-cli's command line: usage errors, help and version, and which
// files a folder contributes.

#include "CliHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace clitest;
namespace fs = std::filesystem;

TEST(CliUsage, UsageErrorsExitTwoWithAMessageAndTouchNothing)
{
    TempFolder folder;
    const std::string path = folder.copySample("mpeg1_stereo_vbr.mp3");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {path},
        {"convert", path},
        {"add"},
        {"add", "--bogus", path},
        {"add", "-j", "0", path},
        {"add", "-j", "many", path},
        {"add", "--seek-range", "5", path}, // only remove takes a seek range
        {"remove", "--seek-range", "0", path},
        {"remove", "--seek-range", "-3", path},
        {"remove", "--seek-range", "x", path},
        {"info", "-r", path},
        {"info", "--json"},
    };
    for (const auto &args : cases) {
        const RunResult result = runCli(args);
        std::string shown;
        for (const std::string &arg : args)
            shown += arg + ' ';
        EXPECT_EQ(result.exitCode, 2) << shown;
        EXPECT_FALSE(result.err.empty()) << shown;
        EXPECT_EQ(result.out, "") << shown;
    }
    EXPECT_EQ(readBytes(path), readBytes(samplePath("mpeg1_stereo_vbr.mp3")));
}

TEST(CliUsage, HelpAndVersion)
{
    const RunResult help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char *word : {"info", "add", "remove"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    const RunResult removeHelp = runCli({"remove", "--help"});
    EXPECT_EQ(removeHelp.exitCode, 0);
    for (const char *option : {"--seek-range", "--no-keep-times", "--jobs", "--dry-run", "--quiet", "--recursive"})
        EXPECT_NE(removeHelp.out.find(option), std::string::npos) << option;

    const RunResult version = runCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.outLines(), (std::vector<std::string>{"brantlow-cli 1.33"}));
}

class CliFolderScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Supported names in any letter case, unsupported ones, and folders
        // between the files.
        for (const char *name : {"b.mp3", "A.MP3", "c.Wav", "d.rmp", "e.mp3.bak", "f.mp2", "g", "sub/h.mp3",
                                 "sub/deeper/i.mp3", "sub/deeper/j.txt", "sub/k.rmp", "z.mp3", "link.mp3.d/l.mp3"})
            folder.copySample("mpeg2_mono_vbr.mp3", name);
        fs::create_directory_symlink(folder.path() / "sub", folder.path() / "sub" / "deeper" / "loop");
    }

    // The files a dry run names, relative to the folder, in the order printed.
    std::vector<std::string> scanned(const std::vector<std::string> &options)
    {
        std::vector<std::string> args{"add", "-n"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(folder.path().string());
        const RunResult result = runCli(args);
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        const std::string prefix = folder.path().string() + "/";
        const std::string suffix = ": A VBR Header would be added.";
        std::vector<std::string> paths;
        for (const std::string &line : result.outLines())
            if (line.starts_with(prefix) && line.ends_with(suffix))
                paths.push_back(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size()));
        EXPECT_EQ(result.outLines().size(), paths.size() + 1) << "one line per file and the summary";
        return paths;
    }

    TempFolder folder;
};

TEST_F(CliFolderScan, AFolderGivesItsSupportedFilesSortedByName)
{
    EXPECT_EQ(scanned({}), (std::vector<std::string>{"A.MP3", "b.mp3", "c.Wav", "d.rmp", "z.mp3"}));
}

TEST_F(CliFolderScan, RecursiveScanIsDepthFirstAndVisitsEachFolderOnce)
{
    EXPECT_EQ(scanned({"-r"}), (std::vector<std::string>{"A.MP3", "b.mp3", "c.Wav", "d.rmp", "link.mp3.d/l.mp3",
                                                         "sub/deeper/i.mp3", "sub/h.mp3", "sub/k.rmp", "z.mp3"}));
}

TEST_F(CliFolderScan, AFileNamedOnTheCommandLineIsTakenWhateverItsExtension)
{
    const std::string odd = (folder.path() / "g").string();
    const RunResult result = runCli({"add", odd, odd});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.outLines(),
              (std::vector<std::string>{odd + ": This File includes a VBR Header Now.",
                                        "1 file: 1 rewritten, 0 already as wanted, 0 failed."}));
}

} // namespace
