// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplaceCalls.h"

#include "ReadAll.h"
#include "SafeReplace.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace brantlow::platform {

namespace detail {

std::function<int(const char *)> &replaceFaultHook()
{
    static std::function<int(const char *)> hook;
    return hook;
}

std::function<void(const char *)> &replaceKillHook()
{
    static std::function<void(const char *)> hook;
    return hook;
}

ReplaceResult failure(const char *step, int error, ReplaceMethod method)
{
    ReplaceResult result;
    result.ok = false;
    result.method = method;
    result.error = error;
    result.step = step;
    return result;
}

ReplaceResult success(ReplaceMethod method, int fd)
{
    ReplaceResult result;
    result.ok = true;
    result.method = method;
    result.identity = identityOf(fd);
    return result;
}

bool setLastWrite(int fd, const timespec &lastWrite)
{
    const timespec stamps[2] = {{0, UTIME_OMIT}, lastWrite};
    return systemCall("times", [&] { return ::futimens(fd, stamps); }) == 0;
}

bool writeAll(int fd, const std::uint8_t *data, std::size_t size, std::size_t &done, std::size_t offset,
              const char *step)
{
    // Bounded steps, so that a kill test can stop the process between them.
    constexpr std::size_t kStep = 1 << 20;
    done = 0;
    while (done < size) {
        const std::size_t chunk = std::min(size - done, kStep);
        const ssize_t wrote =
            systemCall(step, [&] { return ::pwrite(fd, data + done, chunk, static_cast<off_t>(offset + done)); });
        if (wrote < 0)
            return false;
        if (wrote == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

std::string readSmallFile(const std::string &path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            text.clear();
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

bool readExactly(int fd, std::uint8_t *buffer, std::uint64_t count, std::uint64_t offset)
{
    if (count == 0)
        return true;
    const auto want = static_cast<std::int64_t>(count);
    const std::int64_t got =
        systemCall("read", [&] { return readAllAt(fd, buffer, want, static_cast<std::int64_t>(offset)); });
    if (got < 0)
        return false;
    if (got < want) {
        errno = ESTALE;
        return false;
    }
    return true;
}

} // namespace detail

void setReplaceKillHook(std::function<void(const char *step)> hook)
{
    detail::replaceKillHook() = std::move(hook);
}

void setReplaceFaultHook(std::function<int(const char *step)> hook)
{
    detail::replaceFaultHook() = std::move(hook);
}

} // namespace brantlow::platform
