// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace (the files behind SafeReplace.h), not part of
// the platform's interface: the system calls every step of a replace makes
// through the test fault hook, and the results they end in.

#include "ReplaceResult.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace brantlow::platform::detail {

// The hook setReplaceFaultHook set; empty when none is.
std::function<int(const char *)> &replaceFaultHook();

// The hook setReplaceKillHook set; empty when none is.
std::function<void(const char *)> &replaceKillHook();

// Runs `call` (retrying on EINTR) unless the fault hook fails this step;
// then, whatever the call gave, lets the kill hook stop the process there.
template <typename Call>
auto systemCall(const char *step, Call &&call) -> decltype(call())
{
    if (const auto &hook = replaceFaultHook(); hook) {
        if (const int injected = hook(step); injected != 0) {
            errno = injected;
            return -1;
        }
    }
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    if (const auto &kill = replaceKillHook(); kill) {
        const int error = errno;
        kill(step);
        errno = error;
    }
    return result;
}

ReplaceResult failure(const char *step, int error, ReplaceMethod method = ReplaceMethod::None);
// With the identity of the open file `fd`, when one is given.
ReplaceResult success(ReplaceMethod method, int fd = -1);

// Gives the open file the last-write time; the last-access time stays.
bool setLastWrite(int fd, const timespec &lastWrite);

// Writes `size` bytes at `data` to the file at `offset`, in steps named
// `step` of at most a MiB; `done` tells how many were written when it fails.
bool writeAll(int fd, const std::uint8_t *data, std::size_t size, std::size_t &done, std::size_t offset = 0,
              const char *step = "write");

// The whole content of a small file of the tool's own (or of /proc); empty
// when it cannot be read. Never throws, unlike a stream on a read error.
std::string readSmallFile(const std::string &path);

// Reads exactly `count` bytes at `offset`, in steps named "read"; an early
// end of file is ESTALE: the file shrank since it was looked at.
bool readExactly(int fd, std::uint8_t *buffer, std::uint64_t count, std::uint64_t offset);

} // namespace brantlow::platform::detail
