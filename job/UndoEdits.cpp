#include "UndoEdits.h"

#include <algorithm>

namespace brantlow {

platform::ByteEdits diffImages(const std::uint8_t *before, std::size_t beforeSize, const std::uint8_t *after,
                               std::size_t afterSize)
{
    const std::size_t shorter = std::min(beforeSize, afterSize);
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    if (prefix == beforeSize && prefix == afterSize)
        return {};
    // The common end never reaches back into the common beginning.
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && before[beforeSize - 1 - suffix] == after[afterSize - 1 - suffix])
        ++suffix;
    platform::ByteEdit edit;
    edit.offset = prefix;
    edit.oldLength = beforeSize - suffix - prefix;
    edit.bytes.assign(after + prefix, after + (afterSize - suffix));
    return {std::move(edit)};
}

LoggedEdits loggedEdits(const platform::ByteEdits &forward, const std::uint8_t *before, std::size_t beforeSize)
{
    LoggedEdits logged;
    logged.reserve(forward.size());
    std::int64_t shift = 0; // how far the new content has moved at this point
    for (const platform::ByteEdit &edit : forward) {
        const std::uint64_t end = std::min<std::uint64_t>(edit.offset + edit.oldLength, beforeSize);
        LoggedEdit entry;
        entry.undo.offset = static_cast<std::uint64_t>(static_cast<std::int64_t>(edit.offset) + shift);
        entry.undo.oldLength = edit.bytes.size();
        entry.undo.bytes.assign(before + edit.offset, before + end);
        entry.written = edit.bytes;
        shift += static_cast<std::int64_t>(edit.bytes.size()) - static_cast<std::int64_t>(edit.oldLength);
        logged.push_back(std::move(entry));
    }
    return logged;
}

std::vector<std::uint8_t> applyEdits(const std::uint8_t *data, std::size_t size, const platform::ByteEdits &edits)
{
    std::vector<std::uint8_t> result;
    result.reserve(platform::editedSize(edits, size));
    std::uint64_t copied = 0;
    for (const platform::ByteEdit &edit : edits) {
        result.insert(result.end(), data + copied, data + edit.offset);
        result.insert(result.end(), edit.bytes.begin(), edit.bytes.end());
        copied = edit.offset + edit.oldLength;
    }
    result.insert(result.end(), data + copied, data + size);
    return result;
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
