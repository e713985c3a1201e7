#pragma once

#include "FileIdentity.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace brantlow::platform {

enum class ReplaceMethod {
    None,
    Rename,  // a new file in the same folder, flushed, renamed over the original
    InPlace, // the original rewritten in place: more than one hard link, or no new file can be made in its folder
};

struct ReplaceResult {
    bool ok = false;
    ReplaceMethod method = ReplaceMethod::None;
    int error = 0;            // errno of the failing step
    const char *step = "";    // the failing step, for diagnosis: "open", "lock", "changed", "write", ...
};

// Replaces the content of the existing file `path` (a symbolic link is
// followed; the link stays) with `size` bytes at `data`.
// Until the new content is complete and flushed the original stays
// byte-identical; on failure no temporary file is left behind. A missing file
// is not created. When `expected` is valid and the file on disk no longer
// matches it, nothing is written (step "changed").
ReplaceResult replaceFileContents(const std::string &path, const std::uint8_t *data, std::size_t size,
                                  const FileIdentity &expected = {});

} // namespace brantlow::platform
