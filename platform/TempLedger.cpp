// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempLedger.h"

#include "OwnedFd.h"
#include "ReplaceCalls.h"
#include "StateFolder.h"
#include "TempNames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <map>
#include <mutex>
#include <pthread.h>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>

// The ledger of temporary names: one file per run in the state folder's
// "temp-names" folder, named after the run's id, holding one line per
// folder it made temporary names in. A run's temporary
// names carry its id, so a line per folder proves every name of that run
// there; a run that ends cleanly drops its file.

namespace brantlow::platform {

namespace detail {

namespace {

constexpr const char *kLedgerFolder = "temp-names";
constexpr const char *kLedgerSuffix = ".ledger";
constexpr const char *kLedgerMagic = "brantlow-temp-names 1";

// The start time of a process in clock ticks since boot (field 22 of its
// stat), which tells a reused pid apart; 0 when unknown, -1 when no such
// process exists.
long long processStart(pid_t pid)
{
    const std::string stat = readSmallFile("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty())
        return ::kill(pid, 0) == 0 || errno == EPERM ? 0 : -1;
    std::istringstream fields(stat.substr(stat.rfind(')') + 1));
    std::string field;
    for (int n = 3; n <= 22 && fields >> field; ++n)
        if (n == 22)
            return std::atoll(field.c_str());
    return 0;
}

bool parseRunId(const std::string &id, pid_t &pid, long long &start)
{
    char tail = 0;
    long long number = 0;
    if (std::sscanf(id.c_str(), "%lld-%lld%c", &number, &start, &tail) != 2 || number <= 0)
        return false;
    pid = static_cast<pid_t>(number);
    return true;
}

// Whether the run of `id` (started in this boot) is running still.
bool running(const std::string &id)
{
    pid_t pid = 0;
    long long start = 0;
    if (!parseRunId(id, pid, start))
        return false;
    const long long now = processStart(pid);
    return now == 0 || (now > 0 && now == start);
}

// Bytes that would break a line, and '%', as %XX.
std::string escaped(const std::string &path)
{
    std::string text;
    for (const unsigned char c : path) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        text += c <= ' ' || c == '%' || c == 0x7F ? std::string(hex) : std::string(1, static_cast<char>(c));
    }
    return text;
}

std::string unescaped(const std::string &text)
{
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() && std::sscanf(text.c_str() + i + 1, "%2x", &value) == 1) {
            path += static_cast<char>(value);
            i += 2;
        } else {
            path += text[i];
        }
    }
    return path;
}

// This process's ledger: opened with its first line, forgotten in a forked
// child (which is a run of its own, told by a fork handler rather than by
// asking for the pid at every file).
class Ledger {
public:
    static Ledger &instance()
    {
        static Ledger ledger;
        return ledger;
    }

    Ledger()
    {
        ::pthread_atfork([] { instance().m_mutex.lock(); }, [] { instance().m_mutex.unlock(); },
                         [] {
                             instance().m_adopted = false;
                             instance().m_mutex.unlock();
                         });
    }
    ~Ledger() { drop(); }

    std::string runId()
    {
        std::lock_guard lock(m_mutex);
        adopt();
        return m_runId;
    }

    void record(int dirFd)
    {
        struct stat folder {};
        if (::fstat(dirFd, &folder) != 0)
            return;
        std::lock_guard lock(m_mutex);
        adopt();
        if (m_folders.count({folder.st_dev, folder.st_ino}) != 0 || !open())
            return;
        char target[PATH_MAX + 1];
        const std::string link = "/proc/self/fd/" + std::to_string(dirFd);
        const ssize_t length = ::readlink(link.c_str(), target, PATH_MAX);
        if (length <= 0 || target[0] != '/')
            return;
        const std::string line = std::to_string(folder.st_dev) + " " + std::to_string(folder.st_ino) + " "
            + escaped(std::string(target, static_cast<std::size_t>(length))) + "\n";
        // One appended line, on disk before the name it proves is made.
        if (systemCall("ledger", [&] { return ::write(m_fd, line.data(), line.size()); })
                != static_cast<ssize_t>(line.size())
            || systemCall("ledger", [&] { return ::fdatasync(m_fd); }) != 0)
            return;
        m_folders.insert({folder.st_dev, folder.st_ino});
    }

    void drop()
    {
        std::lock_guard lock(m_mutex);
        if (m_fd >= 0 && m_adopted) {
            ::unlink(m_path.c_str());
            ::close(m_fd);
        }
        m_fd = -1;
        m_folders.clear();
    }

private:
    void adopt()
    {
        if (m_adopted)
            return;
        m_adopted = true;
        m_pid = ::getpid();
        m_runId = std::to_string(m_pid) + "-" + std::to_string(std::max(0LL, processStart(m_pid)));
        if (m_fd >= 0)
            ::close(m_fd); // the parent's
        m_fd = -1;
        m_folders.clear();
    }

    bool open()
    {
        if (m_fd >= 0)
            return true;
        int error = 0;
        const std::string folder = stateFolder(kLedgerFolder, error);
        if (folder.empty())
            return false;
        m_path = folder + "/" + m_runId + kLedgerSuffix;
        const std::string head = std::string(kLedgerMagic) + "\n";
        // A file of this id is one of an earlier boot's run, with this pid
        // and start time by chance: it goes, its names reported, not removed.
        ::unlink(m_path.c_str());
        OwnedFd fd(systemCall("ledger", [&] {
            return ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
        }));
        const OwnedFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd.valid()
            || systemCall("ledger", [&] { return ::write(fd.get(), head.data(), head.size()); })
                != static_cast<ssize_t>(head.size())
            || !dir.valid() || systemCall("ledger", [&] { return ::fsync(dir.get()); }) != 0) {
            if (fd.valid())
                ::unlink(m_path.c_str());
            return false;
        }
        m_fd = fd.release();
        return true;
    }

    std::mutex m_mutex;
    bool m_adopted = false;
    pid_t m_pid = 0;
    std::string m_runId;
    std::string m_path;
    int m_fd = -1;
    std::set<std::pair<dev_t, ino_t>> m_folders;
};

} // namespace

std::string runId()
{
    return Ledger::instance().runId();
}

void recordTempFolder(int dirFd)
{
    Ledger::instance().record(dirFd);
}

void dropLedger()
{
    Ledger::instance().drop();
}

} // namespace detail

namespace {

using namespace detail;

// One folder that runs no longer running recorded, with their ids.
struct RecordedFolder {
    dev_t device;
    ino_t inode;
    std::string path;
    bool operator<(const RecordedFolder &other) const
    {
        return std::tie(device, inode, path) < std::tie(other.device, other.inode, other.path);
    }
};

// Why the name `name` in the open folder may not be removed as a dead run's
// leftover; empty when it may.
std::string whyNotOurs(int dirFd, const std::string &name, struct stat &named)
{
    if (::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return std::strerror(errno);
    if (S_ISLNK(named.st_mode))
        return "a symbolic link";
    const OwnedFd file(::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!file.valid() || ::fstat(file.get(), &opened) != 0)
        return std::strerror(errno);
    if (!S_ISREG(opened.st_mode))
        return "not a regular file";
    if (opened.st_uid != ::geteuid())
        return "not yours";
    if (opened.st_nlink != 1)
        return "it has other links";
    if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return "it changed while looked at";
    return {};
}

// Removes the leftovers of the runs `dead` in one recorded folder; reports
// every other name there that looks like a temporary one of no running run.
void clearFolder(const RecordedFolder &folder, const std::set<std::string> &dead, std::vector<Leftover> &found)
{
    const OwnedFd dir(::open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!dir.valid() || ::fstat(dir.get(), &info) != 0)
        return; // gone: so are its names
    const bool same = info.st_dev == folder.device && info.st_ino == folder.inode;
    DIR *listing = ::fdopendir(::fcntl(dir.get(), F_DUPFD_CLOEXEC, 0));
    if (listing == nullptr)
        return;
    std::vector<std::pair<std::string, std::string>> names; // name, run id
    while (const dirent *entry = ::readdir(listing)) {
        std::string id;
        if (tempNameRunId(entry->d_name, id))
            names.emplace_back(entry->d_name, id);
    }
    ::closedir(listing);
    bool removedAny = false;
    for (const auto &entry : names) {
        const std::string &name = entry.first;
        const std::string &id = entry.second;
        if (!id.empty() && running(id))
            continue; // in use
        const std::string path = (folder.path == "/" ? "" : folder.path) + "/" + name;
        std::string why;
        struct stat named {};
        if (!same)
            why = "its folder is not the one an interrupted run wrote to";
        else if (id.empty() || dead.count(id) == 0)
            why = "no interrupted run is known to have made it";
        else
            why = whyNotOurs(dir.get(), name, named);
        if (why.empty() && systemCall("leftover", [&] { return ::unlinkat(dir.get(), name.c_str(), 0); }) != 0)
            why = std::string("cannot be removed: ") + std::strerror(errno);
        removedAny = removedAny || why.empty();
        found.push_back({path, why.empty(), why});
    }
    if (removedAny)
        systemCall("leftover", [&] { return ::fsync(dir.get()); });
}

} // namespace

std::vector<Leftover> removeLeftovers()
{
    std::vector<Leftover> found;
    int error = 0;
    const std::string state = stateFolder(kLedgerFolder, error);
    DIR *listing = state.empty() ? nullptr : ::opendir(state.c_str());
    if (listing == nullptr)
        return found;
    const std::string own = runId();
    std::map<RecordedFolder, std::set<std::string>> folders;
    std::list<OwnedFd> held; // each dead run's ledger, locked until its folders are cleared
    std::vector<std::string> ledgers;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        const std::size_t suffix = std::strlen(kLedgerSuffix);
        if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kLedgerSuffix) != 0)
            continue;
        const std::string id = name.substr(0, name.size() - suffix);
        const std::string path = state + "/" + name;
        OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        // Another run clearing it holds its lock.
        if (id == own || !fd.valid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // A run of an earlier boot whose pid and start time a running process
        // has now is taken as running: its names stay, as they must if it is.
        if (running(id))
            continue;
        std::istringstream lines(readSmallFile(path));
        std::string line;
        // A ledger torn before its first line records no folder: it only goes.
        const bool whole = std::getline(lines, line) && line == kLedgerMagic;
        while (whole && std::getline(lines, line)) {
            unsigned long long device = 0;
            unsigned long long inode = 0;
            int used = 0;
            if (std::sscanf(line.c_str(), "%llu %llu %n", &device, &inode, &used) == 2 && used > 0)
                folders[{static_cast<dev_t>(device), static_cast<ino_t>(inode), unescaped(line.substr(used))}].insert(
                    id);
        }
        held.emplace_back(fd.release());
        ledgers.push_back(path);
    }
    ::closedir(listing);
    for (const auto &[folder, dead] : folders)
        clearFolder(folder, dead, found);
    for (const std::string &path : ledgers)
        ::unlink(path.c_str());
    return found;
}

} // namespace brantlow::platform
