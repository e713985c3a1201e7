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

namespace brantlow::platform::detail {

// The hook setReplaceFaultHook set; empty when none is.
std::function<int(const char *)> &replaceFaultHook();

// Runs `call` (retrying on EINTR) unless the fault hook fails this step.
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
    return result;
}

ReplaceResult failure(const char *step, int error, ReplaceMethod method = ReplaceMethod::None);
// With the identity of the open file `fd`, when one is given.
ReplaceResult success(ReplaceMethod method, int fd = -1);

// Gives the open file the last-write time; the last-access time stays.
bool setLastWrite(int fd, const timespec &lastWrite);

// Writes `size` bytes at `data` to the file at `offset`; `done` tells how
// many were written when it fails.
bool writeAll(int fd, const std::uint8_t *data, std::size_t size, std::size_t &done, std::size_t offset = 0);

} // namespace brantlow::platform::detail
