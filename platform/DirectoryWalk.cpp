// SPDX-License-Identifier: GPL-3.0-or-later
#include "DirectoryWalk.h"

#include "OwnedFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace brantlow::platform {

namespace {

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

} // namespace

bool enumerateDirectory(const std::string &folder, const std::function<void(const DirectoryEntry &)> &visit)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return false;
    DirectoryEntry current;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (entry == nullptr)
            return errno == 0;
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        current.name.assign(name);
        visit(current);
    }
}


// ---------------------------------------------------------------------------
// DirectoryWalker

namespace {

struct PseudoFileSystem {
    std::uint32_t magic;
    std::string_view name;
};

// File systems that hold no user files; a scan of "/" would otherwise walk
// into every process's view of the machine (/proc/<pid>/cwd is "/" again).
constexpr std::array<PseudoFileSystem, 21> kPseudoFileSystems{{
    {0x9fa0, "proc"},           {0x62656572, "sysfs"},     {0x1cd1, "devpts"},
    {0x27e0eb, "cgroup"},       {0x63677270, "cgroup2"},   {0x64626720, "debugfs"},
    {0x74726163, "tracefs"},    {0x73636673, "securityfs"}, {0x6165676C, "pstore"},
    {0xcafe4a11, "bpf"},        {0x62656570, "configfs"},  {0x65735543, "fusectl"},
    {0x19800202, "mqueue"},     {0x958458f6, "hugetlbfs"}, {0x0187, "autofs"},
    {0x42494e4d, "binfmt_misc"}, {0xde5e81e4, "efivarfs"}, {0xf97cff8c, "selinuxfs"},
    {0x6e736673, "nsfs"},       {0x43415d53, "smackfs"},   {0x67596969, "rpc_pipefs"},
}};

// devtmpfs reports the magic number of tmpfs, so it is told by the mount
// table's type name instead.
constexpr std::array<std::string_view, 1> kPseudoByNameOnly{{"devtmpfs"}};

std::string pseudoFileSystemName(std::uint32_t magic)
{
    for (const PseudoFileSystem &fs : kPseudoFileSystems)
        if (fs.magic == magic)
            return std::string(fs.name);
    return {};
}

// Devices whose mount table entry names a pseudo file system type that its
// magic number cannot tell apart.
std::map<std::uint64_t, std::string> pseudoDevicesByName()
{
    std::map<std::uint64_t, std::string> devices;
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        // "id parent major:minor root mount-point options [optional...] - type source super-options"
        std::istringstream fields(line);
        std::string id, parent, numbers, field;
        fields >> id >> parent >> numbers;
        while (fields >> field && field != "-") {
        }
        std::string type;
        fields >> type;
        if (std::find(kPseudoByNameOnly.begin(), kPseudoByNameOnly.end(), type) == kPseudoByNameOnly.end())
            continue;
        unsigned major = 0, minor = 0;
        if (std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) == 2)
            devices.emplace(static_cast<std::uint64_t>(::makedev(major, minor)), type);
    }
    return devices;
}

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// Reads every name of an open folder; the folder's own descriptor stays open
// for the openat calls that follow. Returns 0 or the errno of the failure.
int listFolder(int folderFd, std::vector<std::string> &names)
{
    const int copy = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return errno;
    DIR *dir = ::fdopendir(copy);
    if (dir == nullptr) {
        const int error = errno;
        ::close(copy);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return error;
}

std::string joinPath(const std::string &folder, const std::string &name)
{
    return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

} // namespace

std::vector<std::string> audioExtensions() { return {".mp3", ".rmp", ".wav"}; }

DirectoryWalker::DirectoryWalker(WalkOptions options, WalkCallbacks callbacks)
    : m_options(std::move(options)), m_callbacks(std::move(callbacks))
{
    for (std::string &extension : m_options.extensions)
        extension = lowerAscii(extension);
}

bool DirectoryWalker::takes(std::string_view name) const
{
    if (m_options.extensions.empty())
        return true;
    const std::string lower = lowerAscii(name);
    return std::any_of(m_options.extensions.begin(), m_options.extensions.end(),
                       [&](const std::string &extension) { return lower.ends_with(extension); });
}

void DirectoryWalker::reportProblem(const std::string &path, WalkProblemKind kind, int error, std::string reason)
{
    if (m_callbacks.problem)
        m_callbacks.problem(WalkProblem{path, kind, error, std::move(reason)});
}

void DirectoryWalker::listFile(const std::string &path, bool named, const struct stat *info)
{
    const std::uint64_t device = info != nullptr ? static_cast<std::uint64_t>(info->st_dev) : 0;
    const std::uint64_t inode = info != nullptr ? static_cast<std::uint64_t>(info->st_ino) : 0;
    const std::uint64_t bytes =
        info != nullptr && S_ISREG(info->st_mode) ? static_cast<std::uint64_t>(info->st_size) : 0;
    const bool fresh = device == 0 && inode == 0 ? m_unknownRoots.insert(path).second
                                                 : m_files.insert({device, inode}).second;
    if (!fresh)
        return;
    ++m_progress.files;
    if (m_callbacks.file)
        m_callbacks.file(FoundFile{path, named, device, inode, bytes});
}

bool DirectoryWalker::keepGoing() { return !m_callbacks.keepGoing || m_callbacks.keepGoing(m_progress); }

bool DirectoryWalker::walk(const std::string &root)
{
    if (!keepGoing())
        return false;
    struct stat info {};
    const bool known = !root.empty() && ::stat(root.c_str(), &info) == 0;
    if (!known || !S_ISDIR(info.st_mode)) {
        listFile(root, true, known ? &info : nullptr);
        return true;
    }
    if (root.size() >= PATH_MAX) {
        reportProblem(root, WalkProblemKind::CannotRead, ENAMETOOLONG, std::strerror(ENAMETOOLONG));
        return true;
    }
    const OwnedFd folder(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        const int error = errno;
        reportProblem(root, WalkProblemKind::CannotRead, error, std::strerror(error));
        return true;
    }
    struct stat opened {};
    if (::fstat(folder.get(), &opened) != 0) {
        const int error = errno;
        reportProblem(root, WalkProblemKind::CannotRead, error, std::strerror(error));
        return true;
    }
    // Each folder above the root, up to /, is never entered through a link
    // (the root itself, seen already, is passed over quietly).
    m_above.clear();
    if (char *resolved = ::realpath(root.c_str(), nullptr); resolved != nullptr) {
        for (std::string above(resolved); above != "/";) {
            above = above.substr(0, std::max<std::size_t>(above.rfind('/'), 1));
            struct stat seen {};
            if (::stat(above.c_str(), &seen) == 0)
                m_above.insert({static_cast<std::uint64_t>(seen.st_dev), static_cast<std::uint64_t>(seen.st_ino)});
        }
        std::free(resolved);
    }
    return scanFolder(folder.get(), root, static_cast<std::uint64_t>(opened.st_dev));
}

// Following a link to /, to a folder above the one the scan started in
// (/proc/self/root, /proc/1/cwd: magic links are judged by what they lead to),
// or into a pseudo file system would scan the machine or what is no audio:
// the link is left, with a warning that names it.
bool DirectoryWalker::linkLeadsAway(const std::string &path, bool isFolder, Identity identity)
{
    if (isFolder && m_above.count(identity) != 0) {
        reportProblem(path, WalkProblemKind::LinkNotFollowed, 0,
                      "a symbolic link to / or to a folder above the scan's start");
        return true;
    }
    if (!m_pseudoDevicesRead) {
        m_pseudoDevices = pseudoDevicesByName();
        m_pseudoDevicesRead = true;
    }
    if (const auto it = m_pseudoDevices.find(identity.first); it != m_pseudoDevices.end()) {
        reportProblem(path, WalkProblemKind::LinkNotFollowed, 0,
                      "a symbolic link into a pseudo file system (" + it->second + ")");
        return true;
    }
    return false;
}

bool DirectoryWalker::scanFolder(int folderFd, const std::string &path, std::uint64_t rootDevice)
{
    struct stat info {};
    if (::fstat(folderFd, &info) != 0) {
        const int error = errno;
        reportProblem(path, WalkProblemKind::CannotRead, error, std::strerror(error));
        return true;
    }
    if (!m_folders.insert({static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)}).second)
        return true;

    struct statfs fs {};
    std::string pseudo;
    if (::fstatfs(folderFd, &fs) == 0)
        pseudo = pseudoFileSystemName(static_cast<std::uint32_t>(fs.f_type));
    if (pseudo.empty()) {
        if (!m_pseudoDevicesRead) {
            m_pseudoDevices = pseudoDevicesByName();
            m_pseudoDevicesRead = true;
        }
        if (const auto it = m_pseudoDevices.find(static_cast<std::uint64_t>(info.st_dev)); it != m_pseudoDevices.end())
            pseudo = it->second;
    }
    if (!pseudo.empty()) {
        reportProblem(path, WalkProblemKind::PseudoFileSystem, 0, "a pseudo file system (" + pseudo + ")");
        return true;
    }

    ++m_progress.folders;
    std::vector<std::string> names;
    if (const int error = listFolder(folderFd, names); error != 0) {
        reportProblem(path, WalkProblemKind::CannotRead, error, std::strerror(error));
        if (names.empty())
            return true;
    }

    for (const std::string &name : names) {
        if (!keepGoing())
            return false;
        const std::string child = joinPath(path, name);
        // Looked at without following, then through the link only when asked.
        struct stat own {};
        if (::fstatat(folderFd, name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since the listing
        struct stat target = own;
        const bool isLink = S_ISLNK(own.st_mode);
        if (isLink) {
            if (!m_options.followSymlinks)
                continue;
            if (::fstatat(folderFd, name.c_str(), &target, 0) != 0) {
                if (takes(name)) {
                    const int error = errno;
                    reportProblem(child, WalkProblemKind::CannotRead, error, std::strerror(error));
                }
                continue;
            }
            const bool isFolder = S_ISDIR(target.st_mode);
            if ((isFolder ? m_options.recursive : takes(name))
                && linkLeadsAway(
                    child, isFolder,
                    {static_cast<std::uint64_t>(target.st_dev), static_cast<std::uint64_t>(target.st_ino)}))
                continue;
        }

        if (S_ISDIR(target.st_mode)) {
            if (!m_options.recursive)
                continue;
            if (m_options.oneFileSystem && static_cast<std::uint64_t>(target.st_dev) != rootDevice)
                continue;
            if (m_folders.count({static_cast<std::uint64_t>(target.st_dev), static_cast<std::uint64_t>(target.st_ino)}))
                continue;
            if (child.size() >= PATH_MAX) {
                reportProblem(child, WalkProblemKind::CannotRead, ENAMETOOLONG, std::strerror(ENAMETOOLONG));
                continue;
            }
            const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (isLink ? 0 : O_NOFOLLOW);
            const OwnedFd sub(::openat(folderFd, name.c_str(), flags));
            if (!sub.valid()) {
                const int error = errno;
                reportProblem(child, WalkProblemKind::CannotRead, error, std::strerror(error));
                continue;
            }
            if (!scanFolder(sub.get(), child, rootDevice))
                return false;
        } else if (takes(name)) {
            if (child.size() >= PATH_MAX) {
                reportProblem(child, WalkProblemKind::CannotRead, ENAMETOOLONG, std::strerror(ENAMETOOLONG));
                continue;
            }
            listFile(child, false, &target);
        }
    }
    return true;
}

} // namespace brantlow::platform
