// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditedCopy.h"

#include "ReplaceCalls.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace brantlow::platform::detail {

namespace {

// Where the kernel copies nothing between two files, this much memory serves.
constexpr std::uint64_t kCopyBuffer = 1u << 20;

bool copyUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

// Reads exactly `count` bytes at `offset`; an early end of file is ESTALE:
// the original shrank since it was read.
bool readExactly(int fd, std::uint8_t *buffer, std::uint64_t count, std::uint64_t offset)
{
    while (count > 0) {
        const ssize_t got = systemCall("read", [&] { return ::pread(fd, buffer, count, static_cast<off_t>(offset)); });
        if (got < 0)
            return false;
        if (got == 0) {
            errno = ESTALE;
            return false;
        }
        buffer += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::uint64_t>(got);
    }
    return true;
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

bool readEdited(int from, std::uint64_t originalSize, const ByteEdits &edits, std::vector<std::uint8_t> &content)
{
    if (!editsFit(edits, originalSize)) {
        errno = EINVAL;
        return false;
    }
    content.resize(static_cast<std::size_t>(editedSize(edits, originalSize)));
    std::uint8_t *out = content.data();
    std::uint64_t next = 0;
    for (const ByteEdit &edit : edits) {
        if (!readExactly(from, out, edit.offset - next, next))
            return false;
        out = std::copy(edit.bytes.begin(), edit.bytes.end(), out + (edit.offset - next));
        next = edit.offset + edit.oldLength;
    }
    return readExactly(from, out, originalSize - next, next);
}

} // namespace brantlow::platform::detail
