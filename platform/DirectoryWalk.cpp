#include "DirectoryWalk.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace brantlow::platform {

namespace {

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// What the entry (or, for a link, its target) is; a dangling link is no folder.
bool followsToDirectory(DIR *dir, const dirent &entry)
{
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry.d_name, &st, 0) != 0)
        return false;
    return S_ISDIR(st.st_mode);
}

bool isSymbolicLink(DIR *dir, const dirent &entry)
{
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_LNK;
    struct stat st {};
    return ::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

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
        current.isSymbolicLink = isSymbolicLink(dir.get(), *entry);
        // The type from readdir saves a stat per entry; links and file systems
        // that do not report types need one.
        if (entry->d_type == DT_DIR)
            current.isDirectory = true;
        else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
            current.isDirectory = followsToDirectory(dir.get(), *entry);
        else
            current.isDirectory = false;
        visit(current);
    }
}

} // namespace brantlow::platform
