// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplaceOriginal.h"

#include "Journal.h"
#include "ReplaceCalls.h"
#include "TempNames.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace brantlow::platform::detail {

namespace {

// The folder and name of `path` as written; false where the last part names
// no file of its own ("", "." or "..").
bool splitPath(const std::string &path, std::string &folder, std::string &name)
{
    const auto slash = path.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    return !name.empty() && name != "." && name != "..";
}

// `folders`, where given, keeps the folders a group has opened.
ReplaceResult openFolder(Original &original, ReplaceFolders *folders)
{
    const std::string &folder = original.folder;
    if (folders != nullptr) {
        const auto known =
            std::find_if(folders->begin(), folders->end(), [&](const auto &open) { return open->path == folder; });
        if (known != folders->end()) {
            original.dir = *known;
            return success(ReplaceMethod::None);
        }
    }
    // A folder that may be searched but not listed still holds a writable
    // file: it is reached by path only, and cannot be flushed after the rename.
    int dirFd = systemCall("folder", [&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (dirFd < 0 && errno == EACCES)
        dirFd = systemCall("folder", [&] { return ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); });
    if (dirFd < 0)
        return failure("folder", errno);
    original.dir = std::make_shared<ReplaceFolder>();
    original.dir->path = folder;
    original.dir->fd.reset(dirFd);
    if (folders != nullptr)
        folders->push_back(original.dir);
    return success(ReplaceMethod::None);
}

int openInFolder(const Original &original)
{
    return systemCall("open", [&] {
        return ::openat(original.dirFd(), original.name.c_str(),
                        O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    });
}

// Asked per folder, not once per process: a process may change its user.
const ReplaceFolder &askIds(ReplaceFolder &folder)
{
    if (!folder.idsKnown) {
        folder.user = ::geteuid();
        folder.group = ::getegid();
        struct stat info {};
        folder.idsKnown = ::fstat(folder.fd.get(), &info) == 0;
        folder.folderGroup = info.st_gid;
    }
    return folder;
}

} // namespace

ReplaceResult openOriginal(const std::string &path, Original &original, ReplaceFolders *folders)
{
    // The file is opened by the name it was given, without following a link
    // in its last part; only a symbolic link there (or a name that is no
    // file's) asks for the path resolved, so that the file a link points to
    // is replaced, never the link itself.
    if (splitPath(path, original.folder, original.name)) {
        if (const ReplaceResult folder = openFolder(original, folders); !folder.ok)
            // A folder that is missing leaves the file missing.
            return folder.error == ENOENT || folder.error == ENOTDIR ? failure("open", folder.error) : folder;
        original.file.reset(openInFolder(original));
        if (!original.file.valid() && errno != ELOOP)
            return failure("open", errno);
    }
    if (!original.file.valid()) {
        char *resolvedText = ::realpath(path.c_str(), nullptr);
        if (resolvedText == nullptr)
            return failure("open", errno);
        const std::string resolved(resolvedText);
        std::free(resolvedText);
        const auto slash = resolved.rfind('/');
        original.folder = slash == 0 ? std::string("/") : resolved.substr(0, slash);
        original.name = resolved.substr(slash + 1);
        if (const ReplaceResult folder = openFolder(original, folders); !folder.ok)
            return folder;
        original.file.reset(openInFolder(original));
    }
    if (!original.file.valid())
        return failure("open", errno);
    if (::fstat(original.file.get(), &original.info) != 0)
        return failure("open", errno);
    if (!S_ISREG(original.info.st_mode))
        return failure("open", EINVAL);
    // Root may open a read-only file for writing; the file still says "do not write".
    if ((original.info.st_mode & 0222) == 0)
        return failure("open", EACCES);
    if (systemCall("lock", [&] { return ::flock(original.file.get(), LOCK_EX | LOCK_NB); }) != 0)
        return failure("lock", errno);
    return success(ReplaceMethod::None);
}

ReplaceResult takeOverHeld(const std::string &path, ExclusiveFile &held, Original &original, ReplaceFolders *folders)
{
    if (!splitPath(path, original.folder, original.name)) {
        held.close(); // its lock too: the open by path takes it again
        return openOriginal(path, original, folders);
    }
    if (const ReplaceResult folder = openFolder(original, folders); !folder.ok)
        return folder.error == ENOENT || folder.error == ENOTDIR ? failure("open", folder.error) : folder;
    struct stat named {};
    if (systemCall("open",
                   [&] { return ::fstatat(original.dirFd(), original.name.c_str(), &named, AT_SYMLINK_NOFOLLOW); })
            != 0
        || !S_ISREG(named.st_mode) || named.st_dev != held.info().st_dev || named.st_ino != held.info().st_ino) {
        held.close(); // its lock too: the open by path takes it again
        return openOriginal(path, original, folders);
    }
    original.held = std::move(held);
    original.info = named;
    if ((named.st_mode & 0222) == 0)
        return failure("open", EACCES);
    // The open for writing that the held file spares, asked of the name. Its
    // owner with the owner's write bit may write it (an access list's entry
    // for the owner is that bit); an immutable or append-only file, which
    // that bit does not show, refuses the rename over it.
    if (named.st_uid == askIds(*original.dir).user && (named.st_mode & S_IWUSR) != 0)
        return success(ReplaceMethod::None);
    if (systemCall("open", [&] { return ::faccessat(original.dirFd(), original.name.c_str(), W_OK, AT_EACCESS); }) != 0)
        return failure("open", errno);
    return success(ReplaceMethod::None);
}

ReplaceResult openWritable(Original &original)
{
    if (original.file.valid())
        return success(ReplaceMethod::None);
    original.file.reset(openInFolder(original));
    struct stat now {};
    if (!original.file.valid() || ::fstat(original.file.get(), &now) != 0)
        return failure("open", errno);
    if (now.st_dev != original.info.st_dev || now.st_ino != original.info.st_ino)
        return failure("changed", ESTALE);
    return success(ReplaceMethod::None);
}

bool newFileOwnedAsOriginal(const Original &original)
{
    if (!original.held.isOpen() || !original.dir)
        return false;
    const ReplaceFolder &ids = askIds(*original.dir);
    return ids.idsKnown && original.info.st_uid == ids.user && original.info.st_gid == ids.group
        && ids.folderGroup == ids.group;
}

bool appendOnlyFolder(const Original &original)
{
    ReplaceFolder &folder = *original.dir;
    if (folder.appendOnly < 0)
        folder.appendOnly = folderAppendOnly(folder.fd.get(), false) ? 1 : 0;
    return folder.appendOnly == 1;
}

bool appendOnlyAtCommit(const Original &original)
{
    ReplaceFolder &folder = *original.dir;
    if (folder.appendOnlyAtCommit < 0)
        folder.appendOnlyAtCommit = folderAppendOnly(folder.fd.get(), false) ? 1 : 0;
    return folder.appendOnlyAtCommit == 1;
}

void recordFolderInLedger(const Original &original)
{
    ReplaceFolder &folder = *original.dir;
    if (!folder.inLedger)
        recordTempFolder(folder.fd.get());
    folder.inLedger = true;
}

} // namespace brantlow::platform::detail
