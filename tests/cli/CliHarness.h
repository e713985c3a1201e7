// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs brantlow-cli and the peer tools used as oracles, on copies of the
// sample files in a temporary folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<std::string> outLines() const;
    std::vector<std::string> errLines() const;
};

// Runs `program` (looked up in PATH when it has no slash) with `args`.
RunResult run(const std::string &program, const std::vector<std::string> &args);
RunResult runCli(const std::vector<std::string> &args);
bool toolAvailable(const std::string &program);

std::filesystem::path samplePath(const std::string &name);
std::vector<std::uint8_t> readBytes(const std::filesystem::path &path);
void writeBytes(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes);
std::uint32_t u32le(const std::vector<std::uint8_t> &bytes, std::size_t offset);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    // Copies a sample into the folder (under `as` when given) and returns its path.
    std::string copySample(const std::string &name, const std::string &as = {}) const;

private:
    std::filesystem::path m_path;
};

// The samples without a VBR header, and what each holds.
struct Sample {
    const char *name;
    const char *mpegVersion;
    int sampleRate;
    const char *channelMode;
    int samplesPerFrame;
    bool riff;
};
const std::vector<Sample> &samplesWithoutHeader();

} // namespace clitest
