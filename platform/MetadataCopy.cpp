// SPDX-License-Identifier: GPL-3.0-or-later
#include "MetadataCopy.h"

#include "ReplaceCalls.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace brantlow::platform::detail {

namespace {

bool ignorableAttributeError(int error)
{
    // Attributes the file system or the process cannot carry over are left
    // out, as a copy by cp -a would.
    return error == ENOTSUP || error == EPERM || error == EACCES || error == ENODATA || error == ERANGE;
}

// Copies extended attributes (ACLs, user tags, labels) so that the renamed
// file does not lose them.
bool copyExtendedAttributes(int originalFd, int fd)
{
    ssize_t listSize = ::flistxattr(originalFd, nullptr, 0);
    if (listSize <= 0) // none to copy, or none readable
        return listSize == 0 || ignorableAttributeError(errno);
    std::vector<char> names(static_cast<std::size_t>(listSize));
    listSize = ::flistxattr(originalFd, names.data(), names.size());
    if (listSize < 0)
        return ignorableAttributeError(errno);
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(listSize);) {
        const char *name = names.data() + at;
        at += std::strlen(name) + 1;
        const ssize_t valueSize = ::fgetxattr(originalFd, name, nullptr, 0);
        if (valueSize < 0) {
            if (ignorableAttributeError(errno))
                continue;
            return false;
        }
        value.resize(static_cast<std::size_t>(valueSize));
        const ssize_t got = ::fgetxattr(originalFd, name, value.data(), value.size());
        if (got < 0) {
            if (ignorableAttributeError(errno))
                continue;
            return false;
        }
        if (systemCall("xattr", [&] { return ::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(got), 0); })
                != 0
            && !ignorableAttributeError(errno))
            return false;
    }
    return true;
}

} // namespace

bool copyOwner(int fd, const struct stat &original)
{
    return systemCall("fchown", [&] { return ::fchown(fd, original.st_uid, original.st_gid); }) == 0;
}

// The mode last, so that it wins over an access list's mask (and after the
// owner, whose change clears the set-ID bits).
bool copyMetadata(int originalFd, int fd, const struct stat &original, const char *&step)
{
    step = "xattr";
    if (!copyExtendedAttributes(originalFd, fd))
        return false;
    step = "fchmod";
    return systemCall(step, [&] { return ::fchmod(fd, original.st_mode & 07777); }) == 0;
}

} // namespace brantlow::platform::detail
