// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace brantlow::platform {

// Reads count bytes at offset without moving the file's position, going on
// where one read gives fewer (a signal, a network file system) until all are
// read or the file ends. Returns the bytes read, fewer than count only where
// the file ends first; -1 with errno where a read fails.
std::int64_t readAllAt(int fd, void *buffer, std::int64_t count, std::int64_t offset);

} // namespace brantlow::platform
