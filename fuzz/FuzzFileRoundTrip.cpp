// The same round trip through LoadFile and SaveFile on a real file (in
// /dev/shm where there is one, so that every flush stays cheap): what was
// saved after add and remove must be the original file again.

#include "engine/Binedit.h"
#include "engine/FileLayout.h"

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
    return engine.Image && engine.Image->Size() == static_cast<std::int64_t>(size)
        && (size == 0 || std::memcmp(engine.Image->Data(), data, size) == 0);
}

// The original bytes; but an odd RIFF data chunk without its pad byte, with
// another chunk after it, that the add made even, gets its pad byte on
// removal (and the RIFF size grows by it).
std::vector<std::uint8_t> expectedAfterRoundTrip(const std::uint8_t *data, std::size_t size, std::size_t backSize)
{
    std::vector<std::uint8_t> expected(data, data + size);
    const brantlow::FileLayout layout = brantlow::locateLayout(data, static_cast<std::int64_t>(size));
    if (backSize != size + 1 || layout.dataChunkHeader < 0 || (layout.dataChunkSize & 1) == 0)
        return expected;
    const auto padAt = static_cast<std::size_t>(layout.dataChunkHeader + 8 + layout.dataChunkSize);
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(padAt), 0);
    const std::uint32_t riffSize = (std::uint32_t(data[4]) | (std::uint32_t(data[5]) << 8)
                                    | (std::uint32_t(data[6]) << 16) | (std::uint32_t(data[7]) << 24))
        + 1u;
    for (int i = 0; i < 4; ++i)
        expected[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return expected;
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
        check(back == expectedAfterRoundTrip(data, size, back.size()));
    }
    engine.ReleaseImage();
    check(!engine.Analyze() && !engine.AddVbrHeader() && !engine.RemoveVbrHeader());
    return 0;
}
