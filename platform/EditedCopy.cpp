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

// Where the kernel copies nothing between two files, or where the content is
// put together in memory, this much serves.
constexpr std::uint64_t kCopyBuffer = 1u << 20;

// The kernel copies page by page: a range whose offset within its page
// differs in the two files is written as two partial pages for every page,
// which makes the copy, the flush and the later removal of the file each
// slower (200 MB: 350 ms in all, against 265 ms read and written through a
// buffer in whole pages).
constexpr std::uint64_t kPage = 4096;

// A large file's write-back is started every this many bytes, so that the
// device writes while the rest is copied.
constexpr std::uint64_t kWritebackStep = 8u << 20;

// Starts the write-back of what was written since the last start, once it
// is a step's worth. Only a start: the flush before the rename waits for it
// and reports a failure.
class WritebackSteps {
public:
    WritebackSteps(int fd, bool on) : m_fd(fd), m_on(on) {}
    std::uint64_t step(std::uint64_t wanted) const { return m_on ? std::min(wanted, kWritebackStep) : wanted; }
    void reached(std::uint64_t written)
    {
        if (!m_on || written - m_started < kWritebackStep)
            return;
        ::sync_file_range(m_fd, static_cast<off64_t>(m_started), static_cast<off64_t>(written - m_started),
                          SYNC_FILE_RANGE_WRITE);
        m_started = written;
    }

private:
    int m_fd;
    bool m_on;
    std::uint64_t m_started = 0;
};

bool copyUnsupported(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

// How a copy by the kernel ended: where it copies nothing between the two
// files, the whole content is written through the buffer instead.
enum class KernelCopy { Done, Failed, Unsupported };

KernelCopy copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t count,
                     WritebackSteps &writeback)
{
    auto in = static_cast<loff_t>(fromOffset);
    auto out = static_cast<loff_t>(toOffset);
    while (count > 0) {
        const std::uint64_t step = writeback.step(count);
        const ssize_t copied = systemCall("copy", [&] { return ::copy_file_range(from, &in, to, &out, step, 0); });
        if (copied < 0)
            return copyUnsupported(errno) ? KernelCopy::Unsupported : KernelCopy::Failed;
        if (copied == 0) {
            errno = ESTALE;
            return KernelCopy::Failed;
        }
        count -= static_cast<std::uint64_t>(copied);
        writeback.reached(static_cast<std::uint64_t>(out));
    }
    return KernelCopy::Done;
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

// Whether every range of the original lands at the same offset within a
// page as it has in the original: the edits before it keep the length, or
// change it by whole pages. (Wrapping arithmetic keeps the remainder right.)
bool rangesKeepPageOffsets(const ByteEdits &edits)
{
    std::uint64_t shift = 0;
    for (const ByteEdit &edit : edits) {
        shift += static_cast<std::uint64_t>(edit.bytes.size()) - edit.oldLength;
        if (shift % kPage != 0)
            return false;
    }
    return true;
}

// The ranges copied by the kernel, the edits' bytes written between them.
KernelCopy copyAroundEdits(int from, std::uint64_t originalSize, int to, const ByteEdits &edits, bool startWriteback)
{
    WritebackSteps writeback(to, startWriteback);
    std::uint64_t next = 0;
    std::uint64_t written = 0;
    for (const ByteEdit &edit : edits) {
        std::size_t done = 0;
        if (const KernelCopy copied = copyRange(from, next, to, written, edit.offset - next, writeback);
            copied != KernelCopy::Done)
            return copied;
        written += edit.offset - next;
        if (!writeAll(to, edit.bytes.data(), edit.bytes.size(), done, static_cast<std::size_t>(written)))
            return KernelCopy::Failed;
        written += edit.bytes.size();
        next = edit.offset + edit.oldLength;
    }
    return copyRange(from, next, to, written, originalSize - next, writeback);
}

// The content put together in a buffer and written in whole pages, from the
// start.
bool writeThroughBuffer(int from, std::uint64_t originalSize, int to, const ByteEdits &edits, bool startWriteback)
{
    WritebackSteps writeback(to, startWriteback);
    const EditedContent content(edits, originalSize);
    const OriginalBytes original{from, originalSize, nullptr};
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(content.size(), kCopyBuffer)));
    for (std::uint64_t at = 0; at < content.size();) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), content.size() - at));
        std::size_t done = 0;
        if (!content.read(original, at, count, buffer.data())
            || !writeAll(to, buffer.data(), count, done, static_cast<std::size_t>(at)))
            return false;
        at += count;
        writeback.reached(at);
    }
    return true;
}

} // namespace

bool writeEditedCopy(int from, std::uint64_t originalSize, int to, const ByteEdits &edits, bool startWriteback)
{
    if (!editsFit(edits, originalSize)) {
        errno = EINVAL;
        return false;
    }
    if (rangesKeepPageOffsets(edits)) {
        if (const KernelCopy copied = copyAroundEdits(from, originalSize, to, edits, startWriteback);
            copied != KernelCopy::Unsupported)
            return copied == KernelCopy::Done;
    }
    // What the kernel wrote before it gave up is written again, the same.
    return writeThroughBuffer(from, originalSize, to, edits, startWriteback);
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
