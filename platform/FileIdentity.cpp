// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileIdentity.h"

#include <sys/stat.h>

namespace brantlow::platform {

FileIdentity identityOf(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return identityFrom(st);
}

FileIdentity identityFrom(const struct stat &st)
{
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(st.st_dev);
    identity.inode = static_cast<std::uint64_t>(st.st_ino);
    identity.size = static_cast<std::int64_t>(st.st_size);
    identity.lastWrite = st.st_mtim;
    return identity;
}

} // namespace brantlow::platform
