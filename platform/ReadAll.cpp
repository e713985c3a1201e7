// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReadAll.h"

#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace brantlow::platform {

std::int64_t readAllAt(int fd, void *buffer, std::int64_t count, std::int64_t offset)
{
    auto *to = static_cast<unsigned char *>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, to + done, static_cast<std::size_t>(count - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace brantlow::platform
