// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface.

#include "Journal.h"
#include "ReplaceResult.h"

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace brantlow::platform::detail {

// The original's bytes as they were before an in-place rewrite began: those
// before the journal's offset stay in the file, the rest are read from the
// journal once it holds them (the file's own may already be overwritten).
struct OriginalBytes {
    int fd = -1;
    std::uint64_t size = 0;
    const Journal *journal = nullptr;

    // Exactly `count` bytes at `offset`; false with errno (ESTALE when the
    // file is shorter than it was).
    bool read(std::uint64_t offset, std::size_t count, std::uint8_t *out) const;
};

// The new content of an in-place rewrite, read in windows so that a file of
// any size is rewritten in bounded memory.
class InPlaceContent {
public:
    virtual ~InPlaceContent() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly `count` bytes of the content at `offset`, the original's own
    // read through `old`; false with errno.
    virtual bool read(const OriginalBytes &old, std::uint64_t offset, std::size_t count, std::uint8_t *out) const = 0;
    // An offset at or before the first byte at which the content differs from
    // the original; the new size when it only grows or is the same. By
    // default found by comparing the two in bounded chunks.
    virtual bool firstChange(const OriginalBytes &old, std::uint64_t &at) const;
};

// Content held whole in memory.
class BufferContent final : public InPlaceContent {
public:
    BufferContent(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool read(const OriginalBytes &old, std::uint64_t offset, std::size_t count, std::uint8_t *out) const override;

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
};

// Content in another open file (a staged temporary file), from its start.
class FileContent final : public InPlaceContent {
public:
    FileContent(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    std::uint64_t size() const override { return m_size; }
    bool read(const OriginalBytes &old, std::uint64_t offset, std::size_t count, std::uint8_t *out) const override;

private:
    int m_fd;
    std::uint64_t m_size;
};

// Rewrites the open, locked original itself with `content`: only where a
// rename would be wrong (other hard links keep the old content) or
// impossible (no new file in the folder). The new length and the journal of
// the bytes it overwrites are reserved and the journal flushed before the
// first byte of the original changes, so that a full disk fails first and a
// process killed while writing leaves a file that recoverUnfinished puts
// back. At most a few MiB are held, whatever the file's size.
ReplaceResult replaceInPlace(const InPlaceTarget &target, const InPlaceContent &content, const timespec *lastWrite);

} // namespace brantlow::platform::detail
