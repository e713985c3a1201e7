// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileIdentity.h"

namespace brantlow::platform {

enum class ReplaceMethod {
    None,
    Rename, // a new file in the same folder, flushed, renamed over the original
    InPlace, // the original rewritten in place: more than one hard link, or no new file can be made in its folder
};

// How a replace of a file's content ended.
struct ReplaceResult {
    bool ok = false;
    ReplaceMethod method = ReplaceMethod::None;
    int error = 0; // errno of the failing step
    const char *step = ""; // the failing step, for diagnosis: "open", "lock", "changed", "write", ...
    FileIdentity identity; // the new file's, when ok: a later save checks against it without opening it
};

} // namespace brantlow::platform
