// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>

namespace brantlow::platform {

class ExclusiveFile;

// The time stamps a rewrite keeps. They are only copied, never interpreted.
// Linux has a creation (birth) time only where statx reports one, and offers
// no call to set it; it is captured for the record and never restored.
struct FileTimes {
    timespec lastWrite{};
    timespec creation{};
    bool hasCreation = false;
};

// The safe replace puts the last-write time onto the new content.
bool captureFileTimes(const ExclusiveFile &file, FileTimes &times);

} // namespace brantlow::platform
