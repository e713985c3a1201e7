// SPDX-License-Identifier: GPL-3.0-or-later
#include "UndoEdits.h"

#include <utility>

namespace brantlow {

LoggedEdits loggedEdits(const platform::ByteEdits &forward, std::vector<std::vector<std::uint8_t>> replaced)
{
    LoggedEdits logged;
    logged.reserve(forward.size());
    std::int64_t shift = 0; // how far the new content has moved at this point
    for (std::size_t i = 0; i < forward.size(); ++i) {
        const platform::ByteEdit &edit = forward[i];
        LoggedEdit entry;
        entry.undo.offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(edit.offset) + shift);
        entry.undo.oldLength = edit.bytes.size();
        entry.undo.bytes = std::move(replaced[i]);
        entry.written = edit.bytes;
        shift += static_cast<std::int64_t>(edit.bytes.size()) - static_cast<std::int64_t>(edit.oldLength);
        logged.push_back(std::move(entry));
    }
    return logged;
}

platform::ByteEdits undoEdits(const LoggedEdits &edits)
{
    platform::ByteEdits undo;
    undo.reserve(edits.size());
    for (const LoggedEdit &edit : edits)
        undo.push_back(edit.undo);
    return undo;
}

LoggedEdits reversed(const LoggedEdits &edits)
{
    LoggedEdits back;
    back.reserve(edits.size());
    std::int64_t shift = 0;
    for (const LoggedEdit &edit : edits) {
        LoggedEdit entry;
        entry.undo.offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(edit.undo.offset) + shift);
        entry.undo.oldLength = edit.undo.bytes.size();
        entry.undo.bytes = edit.written;
        entry.written = edit.undo.bytes;
        shift += static_cast<std::int64_t>(edit.undo.bytes.size()) - static_cast<std::int64_t>(edit.written.size());
        back.push_back(std::move(entry));
    }
    return back;
}

} // namespace brantlow
