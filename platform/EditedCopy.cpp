// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditedCopy.h"

#include "ReplaceCalls.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace brantlow::platform::detail {

namespace {

// Where the kernel copies nothing between two files, this much memory serves.
constexpr std::uint64_t kCopyBuffer = 1u << 20;

bool copyUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

bool copyThroughBuffer(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t count)
{
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, kCopyBuffer)));
    while (count > 0) {
        const std::uint64_t step = std::min<std::uint64_t>(count, buffer.size());
        std::size_t done = 0;
        if (!readExactly(from, buffer.data(), step, fromOffset)
            || !writeAll(to, buffer.data(), static_cast<std::size_t>(step), done, static_cast<std::size_t>(toOffset)))
            return false;
        fromOffset += step;
        toOffset += step;
        count -= step;
    }
    return true;
}

bool copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t count)
{
    auto in = static_cast<loff_t>(fromOffset);
    auto out = static_cast<loff_t>(toOffset);
    while (count > 0) {
        const ssize_t copied = systemCall("copy", [&] { return ::copy_file_range(from, &in, to, &out, count, 0); });
        if (copied < 0 && copyUnsupported(errno))
            return copyThroughBuffer(from, static_cast<std::uint64_t>(in), to, static_cast<std::uint64_t>(out), count);
        if (copied < 0)
            return false;
        if (copied == 0) {
            errno = ESTALE;
            return false;
        }
        count -= static_cast<std::uint64_t>(copied);
    }
    return true;
}

bool editsFit(const ByteEdits &edits, std::uint64_t originalSize)
{
    std::uint64_t next = 0;
    for (const ByteEdit &edit : edits) {
        if (edit.offset < next || edit.offset > originalSize || edit.oldLength > originalSize - edit.offset)
            return false;
        next = edit.offset + edit.oldLength;
    }
    return true;
}

} // namespace

bool writeEditedCopy(int from, std::uint64_t originalSize, int to, const ByteEdits &edits)
{
    if (!editsFit(edits, originalSize)) {
        errno = EINVAL;
        return false;
    }
    std::uint64_t next = 0;
    std::uint64_t written = 0;
    for (const ByteEdit &edit : edits) {
        std::size_t done = 0;
        if (!copyRange(from, next, to, written, edit.offset - next))
            return false;
        written += edit.offset - next;
        if (!writeAll(to, edit.bytes.data(), edit.bytes.size(), done, static_cast<std::size_t>(written)))
            return false;
        written += edit.bytes.size();
        next = edit.offset + edit.oldLength;
    }
    return copyRange(from, next, to, written, originalSize - next);
}

bool EditedContent::fits(std::uint64_t originalSize) const
{
    return editsFit(m_edits, originalSize);
}

bool EditedContent::firstChange(const OriginalBytes &old, std::uint64_t &at) const
{
    at = m_edits.empty() ? old.size : m_edits.front().offset;
    return true;
}

bool EditedContent::read(const OriginalBytes &old, std::uint64_t offset, std::size_t count, std::uint8_t *out) const
{
    // The content is the original's ranges between the edits and the edits'
    // bytes, one after another: each is copied where it meets the window.
    const std::uint64_t end = offset + count;
    std::uint64_t at = 0; // where the next piece starts in the content
    std::uint64_t next = 0; // and in the original
    auto piece = [&](std::uint64_t length, auto &&copy) {
        const std::uint64_t from = std::max(at, offset);
        const std::uint64_t to = std::min(at + length, end);
        const bool ok = from >= to || copy(from - at, to - from, out + (from - offset));
        at += length;
        return ok;
    };
    auto original = [&](std::uint64_t start) {
        return [&old, start](std::uint64_t skip, std::uint64_t length, std::uint8_t *into) {
            return old.read(start + skip, static_cast<std::size_t>(length), into);
        };
    };
    for (const ByteEdit &edit : m_edits) {
        if (at >= end)
            return true;
        const auto bytes = [&edit](std::uint64_t skip, std::uint64_t length, std::uint8_t *into) {
            std::copy_n(edit.bytes.begin() + static_cast<std::ptrdiff_t>(skip), length, into);
            return true;
        };
        if (!piece(edit.offset - next, original(next)) || !piece(edit.bytes.size(), bytes))
            return false;
        next = edit.offset + edit.oldLength;
    }
    return at >= end || piece(old.size - next, original(next));
}

} // namespace brantlow::platform::detail
