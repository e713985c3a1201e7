// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileTimes.h"

#include "ExclusiveFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace brantlow::platform {

bool captureFileTimes(const ExclusiveFile &file, FileTimes &times)
{
    if (!file.isOpen()) {
        errno = EBADF;
        return false;
    }
    times = file.times();
    return true;
}

} // namespace brantlow::platform
