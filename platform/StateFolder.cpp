// SPDX-License-Identifier: GPL-3.0-or-later
#include "StateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brantlow::platform {
namespace {

// Makes every missing folder of `path` with mode 0700. An existing folder is
// taken as it is: the user may have chosen a looser mode.
bool makeFolders(const std::string &path, int &error)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = errno;
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = errno != 0 ? errno : ENOTDIR;
        return false;
    }
    return true;
}

std::string homeFolder()
{
    if (const char *home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    const passwd *entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

} // namespace

std::string stateFolder(const std::string &sub, int &error)
{
    error = 0;
    std::string base;
    // The XDG rules: a relative value is invalid and ignored.
    if (const char *state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        base = state;
    else if (const std::string home = homeFolder(); !home.empty())
        base = home + "/.local/state";
    else {
        error = ENOENT;
        return {};
    }
    std::string folder = base + "/brantlow";
    if (!sub.empty())
        folder += "/" + sub;
    errno = 0;
    if (!makeFolders(folder, error))
        return {};
    return folder;
}

} // namespace brantlow::platform
