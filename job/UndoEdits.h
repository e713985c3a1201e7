// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ByteEdits.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brantlow {

// One change a run made, kept so that it can be taken back. `undo` is an edit
// against the file as the run left it: at undo.offset the run wrote `written`
// (undo.oldLength bytes), and undo.bytes are the bytes that were there before.
struct LoggedEdit {
    platform::ByteEdit undo;
    std::vector<std::uint8_t> written;
};
using LoggedEdits = std::vector<LoggedEdit>;

// The edits that turned the original into the new content, given the
// original's bytes each one replaced (`replaced[i]`: edit i's oldLength
// bytes), as edits against the new content.
LoggedEdits loggedEdits(const platform::ByteEdits &forward, std::vector<std::vector<std::uint8_t>> replaced);

// The undo edits of `edits`, ready to apply.
platform::ByteEdits undoEdits(const LoggedEdits &edits);

// The change an undo makes, logged like any other: against the content the
// undo gives back, so that undoing the undo makes the change again.
LoggedEdits reversed(const LoggedEdits &edits);

} // namespace brantlow
