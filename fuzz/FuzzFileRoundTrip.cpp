// SPDX-License-Identifier: GPL-3.0-or-later
// The same round trip through LoadFile and SaveFile on a real file (in
// /dev/shm where there is one, so that every flush stays cheap): what was
// saved after add and remove must be the original file again.

#include "RoundTripExpect.h"

#include "engine/Binedit.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A plain array, so that the clean-up at exit never sees a destroyed string.
char g_folder[64];

const char *folder()
{
    if (g_folder[0] == '\0') {
        std::snprintf(g_folder, sizeof g_folder, "%s/brantlow-fuzz-XXXXXX",
                      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        check(mkdtemp(g_folder) != nullptr);
        std::atexit([] {
            ::unlink((std::string(g_folder) + "/input.mp3").c_str());
            ::rmdir(g_folder);
        });
    }
    return g_folder;
}

void writeFile(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    check(static_cast<bool>(out));
}

std::vector<std::uint8_t> readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool sameImage(const brantlow::TBinEdit &engine, const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> image;
    return engine.Image && brantlow::readWhole(*engine.Image, image)
        && image == std::vector<std::uint8_t>(data, data + size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string path = std::string(folder()) + "/input.mp3";
    const std::string missing = std::string(folder()) + "/missing.mp3";
    writeFile(path, data, size);

    brantlow::TBinEdit engine;
    check(!engine.LoadFile(missing) && engine.ErrorCode == 0 && !engine.Image);
    check(engine.LoadFile(path) && sameImage(engine, data, size));

    if (engine.Analyze() && !engine.HasVbrHeader() && engine.AddVbrHeader()) {
        check(engine.SaveFile(path));
        // A file that is gone is not made again.
        check(!engine.SaveFile(missing) && engine.ErrorCode == 2 && access(missing.c_str(), F_OK) != 0);
        check(engine.LoadFile(path) && engine.Analyze() && engine.HasVbrHeader());
        check(engine.RemoveVbrHeader() && engine.SaveFile(path));
        const std::vector<std::uint8_t> back = readFile(path);
        check(back == fuzzing::expectedAfterRoundTrip(data, size, back));
    }
    engine.ReleaseImage();
    check(!engine.Analyze() && !engine.AddVbrHeader() && !engine.RemoveVbrHeader());
    return 0;
}
