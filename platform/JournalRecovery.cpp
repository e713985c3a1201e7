// SPDX-License-Identifier: GPL-3.0-or-later
#include "Journal.h"

#include "JournalFormat.h"
#include "OwnedFd.h"
#include "ReplaceCalls.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <map>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Putting back the files that in-place rewrites of killed processes left
// half done.

namespace brantlow::platform {

using namespace detail;

namespace {

bool exists(int dirFd, const std::string &name)
{
    struct stat info {};
    return ::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

void removeAt(int dirFd, const std::string &name)
{
    if (systemCall("journal-remove", [&] { return ::unlinkat(dirFd, name.c_str(), 0); }) == 0)
        systemCall("journal-syncdir", [&] { return ::fsync(dirFd); });
}

RecoveredFile leftAlone(const std::string &path, const std::string &why)
{
    return {path, false, why};
}

// Puts back one file from its journal. Nothing to say when it has none, or
// one of a rewrite that never began (removed), or one a running rewrite
// holds (its lock tells).
std::optional<RecoveredFile> recoverFile(const std::string &path, const std::string &stateFolder)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    OwnedFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        dir.reset(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    OwnedFd file(dir.valid() ? ::openat(dir.get(), name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC) : -1);
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0)
        return leftAlone(path, std::string("its journal is kept: ") + std::strerror(errno));
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
        return std::nullopt; // a rewrite under way: its journal is no leftover
    const JournalPlaces places = journalPlaces(info.st_dev, info.st_ino, name);
    OwnedFd state(stateFolder.empty() ? -1 : ::open(stateFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int journalDir = dir.get();
    std::string journalName = places.beside;
    OwnedFd journal(::openat(journalDir, journalName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!journal.valid() && state.valid()) {
        journalDir = state.get();
        journalName = places.inState;
        journal.reset(::openat(journalDir, journalName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    }
    auto forget = [&] {
        if (state.valid() && exists(state.get(), places.registration))
            removeRecord(stateFolder + "/" + places.registration);
    };
    if (!journal.valid()) {
        forget();
        return std::nullopt;
    }
    JournalHeader header;
    if (readHeader(journal.get(), header) == JournalState::Unsealed) {
        removeAt(journalDir, journalName);
        forget();
        return std::nullopt;
    }
    if (header.device != info.st_dev || header.inode != info.st_ino)
        return leftAlone(path, "its journal was made for another file of that name");
    // The same inode, born later: the file the journal was made for is gone
    // (every link of it), and its old bytes belong to no file any more.
    if (const std::int64_t born = birthTime(file.get());
        header.birthNanoseconds != 0 && born != 0 && born != header.birthNanoseconds) {
        removeAt(journalDir, journalName);
        forget();
        return std::nullopt;
    }
    const char *step = "";
    if (!restoreFrom(journal.get(), header, file.get(), step))
        return leftAlone(path, std::string("cannot put it back: ") + std::strerror(errno));
    removeAt(journalDir, journalName);
    forget();
    return RecoveredFile{path, true, ""};
}

// The file a path names, resolved as a rewrite resolves it, when it has a
// journal beside it or a record in the state folder.
std::optional<std::string> journaled(const std::string &path, const std::string &state)
{
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    const std::string file(resolved);
    std::free(resolved);
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const auto slash = file.rfind('/');
    const JournalPlaces places = journalPlaces(info.st_dev, info.st_ino, file.substr(slash + 1));
    struct stat ignored {};
    const std::string beside = (slash == 0 ? "" : file.substr(0, slash)) + "/" + places.beside;
    if (::lstat(beside.c_str(), &ignored) == 0
        || (!state.empty() && ::lstat((state + "/" + places.registration).c_str(), &ignored) == 0))
        return file;
    return std::nullopt;
}

// Every file the state folder holds a record of, by its recorded path.
std::vector<std::string> recordedFiles(const std::string &state)
{
    std::vector<std::string> files;
    DIR *dir = state.empty() ? nullptr : ::opendir(state.c_str());
    if (dir == nullptr)
        return files;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 6 && name.compare(name.size() - 6, 6, ".entry") == 0)
            files.push_back(readSmallFile(state + "/" + name));
    }
    ::closedir(dir);
    return files;
}

// Whether the state folder holds anything (a journal or a record); true
// where that cannot be told.
bool stateHoldsAny(const std::string &state)
{
    DIR *dir = state.empty() ? nullptr : ::opendir(state.c_str());
    if (dir == nullptr)
        return !state.empty() && errno != ENOENT;
    bool any = false;
    while (const dirent *entry = ::readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            any = true;
            break;
        }
    ::closedir(dir);
    return any;
}

// A folder's entries by name, with their kind as the listing gives it;
// nothing where the folder cannot be listed.
using Listing = std::map<std::string, unsigned char>;
std::optional<Listing> listFolder(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return std::nullopt;
    Listing entries;
    while (const dirent *entry = ::readdir(dir))
        entries.emplace(entry->d_name, entry->d_type);
    ::closedir(dir);
    return entries;
}

// True when its folder's listing shows `path` a regular file with no journal
// beside it: with nothing in the state folder, it has no journal at all.
// Each folder is listed once for all its files; anything the listing cannot
// tell (a link, a kind not given) is left to the look at the file itself.
bool listedWithoutJournal(const std::string &path, std::map<std::string, std::optional<Listing>> &listings)
{
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    auto [listing, added] = listings.try_emplace(folder);
    if (added)
        listing->second = listFolder(folder);
    if (!listing->second)
        return false;
    const Listing &entries = *listing->second;
    const auto entry = entries.find(name);
    return entry != entries.end() && entry->second == DT_REG && entries.count(journalPlaces(0, 0, name).beside) == 0;
}

} // namespace

std::vector<RecoveredFile> recoverUnfinished(const std::vector<std::string> &paths)
{
    int error = 0;
    const std::string state = journalFolder(error);
    std::vector<std::string> files;
    if (paths.empty()) {
        files = recordedFiles(state);
    } else {
        const bool stateHolds = stateHoldsAny(state);
        std::map<std::string, std::optional<Listing>> listings;
        for (const std::string &path : paths) {
            if (!stateHolds && listedWithoutJournal(path, listings))
                continue;
            std::error_code failed;
            if (!std::filesystem::is_directory(path, failed)) {
                if (auto file = journaled(path, state))
                    files.push_back(*file);
                continue;
            }
            using std::filesystem::directory_options;
            for (auto it = std::filesystem::recursive_directory_iterator(
                     path, directory_options::skip_permission_denied, failed);
                 !failed && it != std::filesystem::recursive_directory_iterator(); it.increment(failed))
                if (it->is_regular_file(failed))
                    if (auto file = journaled(it->path().string(), state))
                        files.push_back(*file);
        }
    }
    std::vector<RecoveredFile> done;
    std::set<std::string> seen;
    for (const std::string &file : files)
        if (seen.insert(file).second)
            if (auto recovered = recoverFile(file, state))
                done.push_back(std::move(*recovered));
    return done;
}

} // namespace brantlow::platform
