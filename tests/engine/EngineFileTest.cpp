// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synth.h"

#include "engine/Binedit.h"
#include "engine/FileCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace brantlow;
using synth::Bytes;
namespace fs = std::filesystem;

namespace {

class EngineFile : public testing::Test {
protected:
    void SetUp() override
    {
        // A fresh folder each time: nothing a stopped run left can be in the way.
        std::string pattern = (fs::temp_directory_path() / "brantlow-engine-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string &name, const Bytes &bytes)
    {
        const fs::path p = m_dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        return p.string();
    }
    static Bytes read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    fs::path m_dir;
};

TEST_F(EngineFile, EmptyFileLoadsButIsNotAudio)
{
    TBinEdit e;
    ASSERT_EQ(e.LoadFile(write("empty.mp3", {})), 1);
    ASSERT_TRUE(e.Image);
    EXPECT_EQ(e.Image->Size(), 0);
    EXPECT_EQ(e.Analyze(), 0);
    EXPECT_EQ(e.ErrorCode, 10);
}

TEST_F(EngineFile, MissingFileFailsAndDropsThePreviousImage)
{
    TBinEdit e;
    ASSERT_EQ(e.LoadFile(write("a.mp3", synth::mpeg1Frames(2))), 1);
    e.ErrorCode = 55;
    EXPECT_EQ(e.LoadFile((m_dir / "missing.mp3").string()), 0);
    EXPECT_EQ(e.ErrorCode, 0);
    EXPECT_FALSE(e.Image);
    EXPECT_EQ(e.LoadFile(m_dir.string()), 0) << "a folder is not a file";
}

TEST_F(EngineFile, SecondLoadKeepsTheAnalysisOfTheFirstUntilAnalyze)
{
    Bytes tagged = synth::id3v2(90);
    synth::append(tagged, synth::mpeg1Frames(2));
    TBinEdit e;
    ASSERT_EQ(e.LoadFile(write("a.mp3", tagged)), 1);
    ASSERT_EQ(e.Analyze(), 1);
    ASSERT_EQ(e.LoadFile(write("b.mp3", synth::mpeg1Frames(3))), 1);
    EXPECT_EQ(e.FirstFrame, 100);
    EXPECT_EQ(e.Structure, sfId3v2);
    EXPECT_EQ(e.Image->Size(), 3 * 417);
    EXPECT_EQ(e.Image->Position(), 0);
    ASSERT_EQ(e.Analyze(), 1);
    EXPECT_EQ(e.FirstFrame, 0);
}

TEST_F(EngineFile, SaveLengthensAndShortensTheFile)
{
    const Bytes original = synth::vbrFrames(20);
    const std::string path = write("song.mp3", original);
    TBinEdit e;
    ASSERT_EQ(e.LoadFile(path), 1);
    ASSERT_EQ(e.Analyze(), 1);
    ASSERT_EQ(e.AddVbrHeader(), 1);
    ASSERT_EQ(e.SaveFile(path), 1);
    EXPECT_EQ(read(path).size(), original.size() + 208);

    ASSERT_EQ(e.LoadFile(path), 1);
    ASSERT_EQ(e.Analyze(), 1);
    ASSERT_TRUE(e.HasVbrHeader());
    ASSERT_EQ(e.RemoveVbrHeader(), 1);
    ASSERT_EQ(e.SaveFile(path), 1);
    EXPECT_EQ(read(path), original);
    EXPECT_TRUE(e.Image) << "the image stays loaded after saving";
}

TEST_F(EngineFile, SaveDoesNotRecreateADeletedFile)
{
    const std::string path = write("gone.mp3", synth::mpeg1Frames(2));
    TBinEdit e;
    ASSERT_EQ(e.LoadFile(path), 1);
    fs::remove(path);
    EXPECT_EQ(e.SaveFile(path), 0);
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(EngineFile, SaveRefusesAFileChangedSinceLoading)
{
    const std::string path = write("busy.mp3", synth::mpeg1Frames(2));
    TBinEdit e;
    ASSERT_EQ(e.LoadFile(path), 1);
    ASSERT_EQ(e.Analyze(), 1);
    ASSERT_EQ(e.AddVbrHeader(), 1);
    const Bytes changedByAnother = synth::mpeg1Frames(3);
    write("busy.mp3", changedByAnother);
    EXPECT_EQ(e.SaveFile(path), 0);
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(read(path), changedByAnother);
}

TEST_F(EngineFile, SaveWithoutImageFails)
{
    const std::string path = write("x.mp3", synth::mpeg1Frames(1));
    TBinEdit e;
    EXPECT_EQ(e.SaveFile(path), 0);
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(read(path), synth::mpeg1Frames(1));
}

TEST_F(EngineFile, ErrorCodeSurvivesLaterSuccess)
{
    TBinEdit e;
    EXPECT_EQ(e.LoadFile((m_dir / "nothing").string()), 0);
    e.ErrorCode = 13;
    ASSERT_EQ(e.LoadFile(write("ok.mp3", synth::mpeg1Frames(2))), 1);
    ASSERT_EQ(e.Analyze(), 1);
    EXPECT_EQ(e.ErrorCode, 13);
}

} // namespace

// The engine reads the file only as the analysis asks: a file another
// program shrank after the load is refused as changed, wherever it was cut,
// and nothing is written to it.
TEST_F(EngineFile, AFileShrunkAfterTheLoadIsRefusedAsChanged)
{
    const Bytes original = synth::vbrFrames(400);
    struct Step {
        const char *name;
        std::int32_t (*run)(TBinEdit &);
    } const steps[] = {
        {"analyze", [](TBinEdit &e) { return e.Analyze(); }},
        {"add", [](TBinEdit &e) { return e.AddVbrHeader(); }},
        {"fix", [](TBinEdit &e) { return e.FixVbrHeader(); }},
        {"check", [](TBinEdit &e) { return checkFile(*e.Image).verdict == HeaderVerdict::Unreadable ? 0 : 1; }},
    };
    for (const std::size_t keep : {std::size_t{0}, original.size() / 2, original.size() - 1}) {
        for (const Step &step : steps) {
            SCOPED_TRACE(std::string(step.name) + ", cut to " + std::to_string(keep));
            const std::string path = write("cut.mp3", original);
            TBinEdit e;
            e.SetReadWindow(4096);
            ASSERT_EQ(e.LoadFile(path), 1);
            ASSERT_EQ(e.Analyze(), 1);
            fs::resize_file(path, keep);
            e.ErrorCode = 0;
            EXPECT_EQ(step.run(e), 0);
            if (std::string(step.name) == "check")
                EXPECT_EQ(checkFile(*e.Image).reason, "the file changed since it was read");
            else
                EXPECT_EQ(e.ErrorCode, ecFileChanged);
            EXPECT_EQ(read(path), Bytes(original.begin(), original.begin() + std::ptrdiff_t(keep)));
        }
    }
}
