// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's change as byte edits: over every sample and fuzz regression,
// the edits applied to the loaded bytes give the image add, remove and fix
// leave, and stay as small as the change.

#include "ImageBytes.h"
#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "tests/AppliedEdits.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace brantlow;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<fs::path> fixtures()
{
    const char *dir = std::getenv("BRANTLOW_TEST_DATA");
    const fs::path data = dir ? dir : "tests/data";
    std::vector<fs::path> files;
    for (const fs::path &folder : {data, data / "real", data / ".." / ".." / "fuzz" / "regressions"})
        for (const auto &entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename() != "SHA256SUMS"
                && entry.path().filename().string().rfind("make-", 0) != 0)
                files.push_back(entry.path());
    return files;
}

Bytes readAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Operation {
    const char *name;
    std::int32_t (*run)(TBinEdit &);
};

const Operation kOperations[] = {
    {"add", [](TBinEdit &e) { return e.Analyze() && !e.HasVbrHeader() ? e.AddVbrHeader() : 0; }},
    {"remove", [](TBinEdit &e) { return e.Analyze() && e.HasVbrHeader() ? e.RemoveVbrHeader() : 0; }},
    {"fix", [](TBinEdit &e) { return e.FixVbrHeader(); }},
    {"check", [](TBinEdit &e) { return static_cast<std::int32_t>(checkFile(*e.Image, true).verdict); }},
};

} // namespace

TEST(ImageEdits, AppliedToTheLoadedBytesTheyGiveTheImageAndNoMore)
{
    const std::vector<fs::path> files = fixtures();
    ASSERT_GT(files.size(), 20u);
    for (const Operation &op : kOperations) {
        if (std::string(op.name) == "check")
            continue;
        int changed = 0;
        for (const fs::path &path : files) {
            SCOPED_TRACE(std::string(op.name) + " " + path.string());
            const Bytes original = readAll(path);
            TBinEdit engine;
            engine.LoadImage(original.data(), std::int64_t(original.size()));
            // Whatever the outcome, the image the engine holds is the one described.
            const bool done = op.run(engine) == 1;
            const auto edited = testsupport::appliedEdits(original, engine.Edits());
            ASSERT_TRUE(edited) << "edits out of order or outside the original";
            const Bytes &applied = *edited;
            ASSERT_EQ(applied, bytesOf(*engine.Image));
            std::uint64_t touched = 0;
            for (const platform::ByteEdit &edit : engine.Edits())
                touched += edit.oldLength + edit.bytes.size();
            // A header frame (at most 2,881 bytes) in or out, two RIFF sizes, a pad byte.
            EXPECT_LE(touched, 2 * 2881u + 16u);
            changed += done && applied != original;
        }
        EXPECT_GT(changed, 5) << op.name;
    }
}

// Read from the file through a window of 4 KiB, every fixture gives the
// result, the reason, the image and the verdict it gives held in memory.
TEST(ImageEdits, ASmallReadWindowChangesNothing)
{
    for (const Operation &op : kOperations) {
        for (const fs::path &path : fixtures()) {
            SCOPED_TRACE(std::string(op.name) + " " + path.string());
            const Bytes original = readAll(path);
            TBinEdit inMemory;
            inMemory.LoadImage(original.data(), std::int64_t(original.size()));
            TBinEdit windowed;
            windowed.SetReadWindow(4096);
            ASSERT_EQ(windowed.LoadFile(path.string()), 1);
            ASSERT_EQ(op.run(windowed), op.run(inMemory));
            EXPECT_EQ(windowed.ErrorCode, inMemory.ErrorCode);
            ASSERT_EQ(bytesOf(*windowed.Image), bytesOf(*inMemory.Image));
            const FileCheck want = checkFile(*inMemory.Image, true);
            const FileCheck got = checkFile(*windowed.Image, true);
            EXPECT_EQ(got.reason, want.reason);
            EXPECT_EQ(got.musicCrcValid, want.musicCrcValid);
            EXPECT_EQ(got.stream.frames, want.stream.frames);
            EXPECT_EQ(got.stream.junk.size(), want.stream.junk.size());
        }
    }
}
