#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brantlow::cli {

// What the command line asked for.
struct Settings {
    std::vector<std::string> paths;
    bool json = false;
    bool recursive = false;
    bool followSymlinks = false;
    bool oneFileSystem = false;
    unsigned jobs = 0;
    std::uint64_t memoryLimit = 0;
    bool noKeepTimes = false;
    bool dryRun = false;
    bool quiet = false;
    std::int32_t seekRange = 3;
    std::string filesFrom;
    bool nulSeparated = false;
};

} // namespace brantlow::cli
