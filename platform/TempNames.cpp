// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempNames.h"

#include "ReplaceCalls.h"
#include "SafeReplace.h"

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <unistd.h>
#include <utility>

namespace brantlow::platform {

namespace detail {

namespace {

// What a process that must stop at once needs to know: the temporary names
// now in folders, and whether an in-place rewrite is under way. Names are
// made and registered under one lock, so none escapes the final clean-up.
class ReplaceRegistry {
public:
    static ReplaceRegistry &instance()
    {
        static ReplaceRegistry registry;
        return registry;
    }

    // Runs `make` (which creates a temporary name and returns its result)
    // under the lock, registering the name when `made` says it exists.
    template <typename Make>
    auto makeName(int dirFd, const std::string &name, Make &&make, bool (*made)(decltype(make()))) -> decltype(make())
    {
        std::unique_lock lock(m_mutex);
        waitUnlessExiting(lock);
        auto result = make();
        if (made(result))
            m_names.insert({dirFd, name});
        return result;
    }

    void forget(int dirFd, const std::string &name)
    {
        std::lock_guard lock(m_mutex);
        m_names.erase({dirFd, name});
    }

    void beginInPlace()
    {
        std::unique_lock lock(m_mutex);
        waitUnlessExiting(lock);
        ++m_inPlaceWriters;
    }

    void endInPlace()
    {
        std::lock_guard lock(m_mutex);
        --m_inPlaceWriters;
        m_changed.notify_all();
    }

    [[noreturn]] void exitNow(int status)
    {
        std::unique_lock lock(m_mutex);
        m_exiting = true;
        m_changed.wait(lock, [&] { return m_inPlaceWriters == 0; });
        bool left = false;
        for (const auto &[dirFd, name] : m_names)
            left = ::unlinkat(dirFd, name.c_str(), 0) != 0 || left;
        if (!left)
            dropLedger();
        ::_exit(status);
    }

private:
    // Once the process is exiting, nothing new starts: the caller waits
    // until the exit takes it.
    void waitUnlessExiting(std::unique_lock<std::mutex> &lock)
    {
        m_changed.wait(lock, [&] { return !m_exiting; });
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_exiting = false;
    int m_inPlaceWriters = 0;
    std::set<std::pair<int, std::string>> m_names; // folder descriptor, name
};

} // namespace

// A name too long for the marker is shortened at a UTF-8 character boundary
// and told apart from its neighbours by a hash of the whole.
std::string hiddenName(std::string_view name, std::string_view marker)
{
    constexpr std::size_t kNameMax = NAME_MAX;
    const std::size_t room = kNameMax - 1 - marker.size();

    std::string temp = ".";
    if (name.size() <= room) {
        temp += name;
    } else {
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char hex[18];
        std::snprintf(hex, sizeof hex, ".%016llx", static_cast<unsigned long long>(hash));
        std::size_t cut = room - (sizeof hex - 1);
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        temp += name.substr(0, cut);
        temp += hex;
    }
    temp += marker;
    return temp;
}

namespace {

constexpr std::string_view kTempMarker = ".brantlow-tmp";

// The temporary name of a file: ".<name>.brantlow-tmp-<run id>". Only the
// holder of the file's lock uses it; a name left by a run that was killed
// between link and rename is removed by a later run, which finds the folder
// in the ledger of the killed run (TempLedger.h).
std::string hiddenTempName(std::string_view name)
{
    return hiddenName(name, std::string(kTempMarker) + "-" + runId());
}

bool digitsOnly(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

bool tempNameRunId(std::string_view name, std::string &id)
{
    id.clear();
    const std::size_t marker = name.rfind(kTempMarker);
    if (name.size() < 2 || name[0] != '.' || marker == std::string_view::npos || marker == 0)
        return false;
    const std::string_view tail = name.substr(marker + kTempMarker.size());
    if (tail.empty())
        return true; // the older form, without a run id
    const std::size_t dash = tail.find('-', 1);
    if (tail[0] != '-' || dash == std::string_view::npos || !digitsOnly(tail.substr(1, dash - 1))
        || !digitsOnly(tail.substr(dash + 1)))
        return false;
    id = tail.substr(1);
    return true;
}

namespace {

} // namespace

InPlaceSection::InPlaceSection()
{
    ReplaceRegistry::instance().beginInPlace();
}

InPlaceSection::~InPlaceSection()
{
    ReplaceRegistry::instance().endInPlace();
}

TempNameGuard::~TempNameGuard()
{
    if (!m_name.empty()) {
        ::unlinkat(m_dirFd, m_name.c_str(), 0);
        ReplaceRegistry::instance().forget(m_dirFd, m_name);
    }
}

void TempNameGuard::release()
{
    ReplaceRegistry::instance().forget(m_dirFd, m_name);
    m_name.clear();
}

bool linkAnonymous(int tempFd, int dirFd, std::string_view name, TempNameGuard &tempName)
{
    const std::string procPath = "/proc/self/fd/" + std::to_string(tempFd);
    const std::string temp = hiddenTempName(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int linked = ReplaceRegistry::instance().makeName(
            dirFd, temp,
            [&] {
                int result = systemCall("link", [&] {
                    return ::linkat(AT_FDCWD, procPath.c_str(), dirFd, temp.c_str(), AT_SYMLINK_FOLLOW);
                });
                if (result != 0 && errno == ENOENT) // no /proc mounted
                    result =
                        systemCall("link", [&] { return ::linkat(tempFd, "", dirFd, temp.c_str(), AT_EMPTY_PATH); });
                return result;
            },
            +[](int result) { return result == 0; });
        if (linked == 0) {
            tempName.hold(temp);
            return true;
        }
        if (errno != EEXIST || ::unlinkat(dirFd, temp.c_str(), 0) != 0) // this run's own, lost track of
            return false;
    }
    errno = EEXIST;
    return false;
}

int createNamedTemp(int dirFd, std::string_view name, TempNameGuard &tempName)
{
    const std::string temp = hiddenTempName(name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ReplaceRegistry::instance().makeName(
            dirFd, temp,
            [&] {
                return systemCall("create", [&] {
                    return ::openat(dirFd, temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                });
            },
            +[](int fd) { return fd >= 0; });
        if (fd >= 0) {
            tempName.hold(temp);
            return fd;
        }
        if (errno != EEXIST || ::unlinkat(dirFd, temp.c_str(), 0) != 0) // this run's own, lost track of
            return -1;
    }
    errno = EEXIST;
    return -1;
}

} // namespace detail

void abandonReplacesAndExit(int status)
{
    detail::ReplaceRegistry::instance().exitNow(status);
}

} // namespace brantlow::platform
