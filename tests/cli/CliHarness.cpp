// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliHarness.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace clitest {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

std::vector<std::string> RunResult::outLines() const { return linesOf(out); }
std::vector<std::string> RunResult::errLines() const { return linesOf(err); }

namespace {

std::string readText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

RunResult run(const std::string &program, const std::vector<std::string> &args)
{
    TempFolder capture;
    const std::string outPath = (capture.path() / "out").string();
    const std::string errPath = (capture.path() / "err").string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    RunResult result;
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readText(outPath);
    result.err = readText(errPath);
    return result;
}

RunResult runCli(const std::vector<std::string> &args) { return run(BRANTLOW_CLI, args); }

bool toolAvailable(const std::string &program)
{
    const char *path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0)
            return true;
    return false;
}

fs::path samplePath(const std::string &name) { return fs::path(BRANTLOW_SAMPLES) / name; }

std::vector<std::uint8_t> readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::uint32_t u32le(const std::vector<std::uint8_t> &bytes, std::size_t offset)
{
    if (offset + 4 > bytes.size())
        throw std::out_of_range("u32le past the end");
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16)
        | (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "brantlow-cli-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempFolder::copySample(const std::string &name, const std::string &as) const
{
    const fs::path target = m_path / (as.empty() ? name : as);
    fs::create_directories(target.parent_path());
    fs::copy_file(samplePath(name), target, fs::copy_options::overwrite_existing);
    return target.string();
}

const std::vector<Sample> &samplesWithoutHeader()
{
    static const std::vector<Sample> samples = {
        {"mpeg1_stereo_vbr.mp3", "1", 44100, "joint_stereo", 1152, false},
        {"mpeg2_mono_vbr.mp3", "2", 22050, "mono", 576, false},
        {"mpeg2_stereo_vbr.mp3", "2", 22050, "joint_stereo", 576, false},
        {"mpeg25_mono_8k_vbr.mp3", "2.5", 8000, "mono", 576, false},
        {"mpeg25_mono_11k_vbr.mp3", "2.5", 11025, "mono", 576, false},
        {"id3v2.mp3", "1", 44100, "joint_stereo", 1152, false},
        {"id3v1.mp3", "1", 44100, "joint_stereo", 1152, false},
        {"lyrics3_id3v1.mp3", "1", 44100, "joint_stereo", 1152, false},
        {"all_tags.mp3", "1", 44100, "joint_stereo", 1152, false},
        {"wave_mpeg.wav", "1", 44100, "joint_stereo", 1152, true},
        {"riff.rmp", "1", 44100, "joint_stereo", 1152, true},
    };
    return samples;
}

} // namespace clitest
