// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface: what
// a new file takes over from the original it replaces.

struct stat;

namespace brantlow::platform::detail {

// Gives the new file `fd` the original's owner and group. EPERM means the
// process may not: the caller then keeps the original file instead.
bool copyOwner(int fd, const struct stat &original);

// Gives the new file, already owned as the original, its extended attributes
// (access lists, user tags, labels) and permission bits. On failure `step`
// names the step ("xattr", "fchmod") and errno tells why.
bool copyMetadata(int originalFd, int fd, const struct stat &original, const char *&step);

} // namespace brantlow::platform::detail
