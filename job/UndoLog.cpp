// SPDX-License-Identifier: GPL-3.0-or-later
#include "UndoLog.h"

#include "platform/StateFolder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brantlow {

namespace {

namespace fs = std::filesystem;

// A text format: each record is one line written by one call, so a crash
// leaves at most a last line without its newline, which is no record; the
// version in the first line lets a later program read old logs.
constexpr const char *kMagic = "brantlow-undo-log 1";
constexpr const char *kRunsFolder = "runs";
constexpr const char *kSuffix = ".log";

// Paths keep their readable bytes; spaces, controls, '%' and non-ASCII bytes
// become %XX, so that any byte string survives.
std::string escaped(const std::string &text)
{
    std::string out;
    for (const unsigned char c : text) {
        if (c > 0x20 && c < 0x7F && c != '%') {
            out += static_cast<char>(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            out += code;
        }
    }
    return out.empty() ? "-" : out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool unescaped(const std::string &token, std::string &out)
{
    out.clear();
    if (token == "-")
        return true;
    for (std::size_t i = 0; i < token.size(); ++i) {
        if (token[i] != '%') {
            out += token[i];
            continue;
        }
        if (i + 2 >= token.size())
            return false;
        const int high = hexValue(token[i + 1]);
        const int low = hexValue(token[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string hex(const std::vector<std::uint8_t> &bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    if (bytes.empty())
        return "-";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

bool unhex(const std::string &token, std::vector<std::uint8_t> &out)
{
    out.clear();
    if (token == "-")
        return true;
    if (token.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < token.size(); i += 2) {
        const int high = hexValue(token[i]);
        const int low = hexValue(token[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

std::string timeText(const timespec &time)
{
    return std::to_string(time.tv_sec) + "." + std::to_string(time.tv_nsec);
}

bool parseTime(const std::string &token, timespec &time)
{
    long long seconds = 0;
    long nanoseconds = 0;
    char end = 0;
    if (std::sscanf(token.c_str(), "%lld.%ld%c", &seconds, &nanoseconds, &end) != 2 || nanoseconds < 0
        || nanoseconds > 999999999)
        return false;
    time.tv_sec = static_cast<std::time_t>(seconds);
    time.tv_nsec = nanoseconds;
    return true;
}

std::string runsFolder(std::string &error)
{
    int code = 0;
    std::string folder = platform::stateFolder(kRunsFolder, code);
    if (folder.empty())
        error = std::strerror(code);
    return folder;
}

// The lines of a log that end with a newline; a last line cut short is left.
std::vector<std::string> wholeLines(const std::string &path, bool &readable)
{
    std::ifstream in(path, std::ios::binary);
    readable = static_cast<bool>(in);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The run's facts from its lines; false when the log is not one.
bool parseRun(const std::vector<std::string> &lines, RunInfo &info, std::vector<UndoRecord> *records)
{
    if (lines.size() < 2 || lines[0] != kMagic)
        return false;
    std::istringstream head(lines[1]);
    std::string word;
    std::string folder;
    if (!(head >> word >> info.command >> info.started >> folder) || word != "run" || !unescaped(folder, info.folder))
        return false;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        UndoRecord record;
        if (parseRecord(lines[i], record)) {
            ++info.files;
            if (records != nullptr)
                records->push_back(std::move(record));
            continue;
        }
        std::istringstream end(lines[i]);
        if (end >> word >> info.unchanged >> info.failed && word == "end")
            info.finished = true;
    }
    return true;
}

std::vector<fs::path> logsOldestFirst(const std::string &folder)
{
    std::vector<fs::path> logs;
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == kSuffix)
            logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    return logs;
}

// A name that sorts in time order: UTC time to the microsecond, then the
// process number.
std::string newRunId()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d-%06lld-%d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<long long>(micros),
                  static_cast<int>(::getpid()));
    return text;
}

} // namespace

std::string formatRecord(const UndoRecord &record)
{
    std::string line = "file " + escaped(record.path) + " " + std::to_string(record.device) + " "
        + std::to_string(record.inode) + " " + std::to_string(record.length) + " " + timeText(record.lastWrite) + " "
        + timeText(record.oldLastWrite) + " " + std::to_string(record.edits.size());
    for (const LoggedEdit &edit : record.edits)
        line += " " + std::to_string(edit.undo.offset) + " " + hex(edit.written) + " " + hex(edit.undo.bytes);
    return line;
}

bool parseRecord(const std::string &line, UndoRecord &record)
{
    std::istringstream in(line);
    std::string word, path, lastWrite, oldLastWrite;
    std::size_t count = 0;
    record = UndoRecord{};
    if (!(in >> word >> path >> record.device >> record.inode >> record.length >> lastWrite >> oldLastWrite >> count)
        || word != "file" || !unescaped(path, record.path) || !parseTime(lastWrite, record.lastWrite)
        || !parseTime(oldLastWrite, record.oldLastWrite))
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        LoggedEdit edit;
        std::string written, old;
        if (!(in >> edit.undo.offset >> written >> old) || !unhex(written, edit.written)
            || !unhex(old, edit.undo.bytes))
            return false;
        edit.undo.oldLength = edit.written.size();
        record.edits.push_back(std::move(edit));
    }
    return !(in >> word); // nothing after the last edit
}

std::unique_ptr<UndoLog> UndoLog::start(const std::string &command, std::string &error)
{
    const std::string folder = runsFolder(error);
    if (folder.empty())
        return nullptr;
    pruneRuns(folder, std::time(nullptr));
    char cwd[PATH_MAX];
    const std::string here = ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string id = newRunId() + (attempt == 0 ? "" : "-" + std::to_string(attempt));
        const std::string path = folder + "/" + id + kSuffix;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error = std::strerror(errno);
            return nullptr;
        }
        // Held until the log is closed: no one undoes a run still going on.
        ::flock(fd, LOCK_EX | LOCK_NB);
        std::unique_ptr<UndoLog> log(new UndoLog(fd, path, id));
        if (!log->write(std::string(kMagic) + "\nrun " + command + " " + std::to_string(std::time(nullptr)) + " "
                        + escaped(here) + "\n")) {
            error = std::strerror(log->m_error);
            return nullptr;
        }
        return log;
    }
    error = std::strerror(EEXIST);
    return nullptr;
}

UndoLog::UndoLog(int fd, std::string path, std::string id) : m_fd(fd), m_path(std::move(path)), m_id(std::move(id))
{
}

UndoLog::~UndoLog()
{
    flush();
    ::close(m_fd);
    if (m_records == 0)
        ::unlink(m_path.c_str());
}

bool UndoLog::write(const std::string &text)
{
    if (m_broken.load())
        return false;
    // One write per line: O_APPEND keeps lines whole and in order.
    const ssize_t written = ::write(m_fd, text.data(), text.size());
    if (written == static_cast<ssize_t>(text.size())) {
        m_dirty = true;
        return true;
    }
    m_error = written < 0 ? errno : ENOSPC;
    m_broken = true;
    return false;
}

bool UndoLog::append(const UndoRecord &record)
{
    const std::string line = formatRecord(record) + "\n";
    std::lock_guard lock(m_mutex);
    if (!write(line))
        return false;
    ++m_records;
    return true;
}

void UndoLog::flush()
{
    std::lock_guard lock(m_mutex);
    if (!m_dirty || m_broken.load())
        return;
    m_dirty = false;
    if (::fdatasync(m_fd) != 0) {
        m_error = errno;
        m_broken = true;
    }
}

void UndoLog::finish(std::size_t unchanged, std::size_t failed)
{
    {
        std::lock_guard lock(m_mutex);
        write("end " + std::to_string(unchanged) + " " + std::to_string(failed) + "\n");
    }
    flush();
}

std::string UndoLog::takeWarning()
{
    std::lock_guard lock(m_mutex);
    if (!m_broken.load() || m_warned)
        return {};
    m_warned = true;
    return "the undo log " + m_path + " cannot be written (" + std::strerror(m_error) + "): this run cannot be undone";
}

std::vector<RunInfo> listRuns()
{
    std::string error;
    const std::string folder = runsFolder(error);
    std::vector<RunInfo> runs;
    if (folder.empty())
        return runs;
    for (const fs::path &log : logsOldestFirst(folder)) {
        bool readable = false;
        RunInfo info;
        info.id = log.stem().string();
        if (parseRun(wholeLines(log.string(), readable), info, nullptr))
            runs.push_back(std::move(info));
    }
    return runs;
}

bool readRun(const std::string &id, RunInfo &info, std::vector<UndoRecord> &records, std::string &error)
{
    const std::string folder = runsFolder(error);
    if (folder.empty())
        return false;
    std::string name = id;
    if (name.empty()) {
        const std::vector<fs::path> logs = logsOldestFirst(folder);
        if (logs.empty()) {
            error = "no run has been logged";
            return false;
        }
        name = logs.back().stem().string();
    }
    if (name.find('/') != std::string::npos || name.empty() || name[0] == '.') {
        error = "no such run";
        return false;
    }
    bool readable = false;
    const std::vector<std::string> lines = wholeLines(folder + "/" + name + kSuffix, readable);
    info = RunInfo{};
    info.id = name;
    records.clear();
    if (!readable) {
        error = "no such run";
        return false;
    }
    if (!parseRun(lines, info, &records)) {
        error = "not a run log this version can read";
        return false;
    }
    return true;
}

std::string runLogPath(const std::string &id, std::string &error)
{
    const std::string folder = runsFolder(error);
    return folder.empty() ? folder : folder + "/" + id + kSuffix;
}

void pruneRuns(const std::string &folder, std::time_t now, int maxAgeDays, std::size_t maxRuns)
{
    const std::vector<fs::path> logs = logsOldestFirst(folder);
    const std::size_t beyond = logs.size() > maxRuns ? logs.size() - maxRuns : 0;
    const std::time_t oldest = now - static_cast<std::time_t>(maxAgeDays) * 24 * 60 * 60;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        struct stat st {};
        if (i < beyond || (::stat(logs[i].c_str(), &st) == 0 && st.st_mtime < oldest))
            ::unlink(logs[i].c_str());
    }
}

} // namespace brantlow
