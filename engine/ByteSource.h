// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/OwnedFd.h"

#include <cstdint>
#include <vector>

namespace brantlow {

// Whether `count` bytes from `offset` lie wholly inside `size` bytes; by
// subtraction, so that a hostile offset cannot overflow.
inline bool rangeInside(std::int64_t offset, std::int64_t count, std::int64_t size)
{
    return offset >= 0 && count >= 0 && offset <= size && size - offset >= count;
}

// Bytes the engine reads by offset: held in memory, read from a file, or an
// edited image over either. Nothing is read before it is asked for, so a
// file of any size is analysed in bounded memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t size() const = 0;
    // Exactly `count` bytes from `offset` into `out`; false when they cannot
    // be read whole (outside the source, or a file that shrank since).
    virtual bool readAt(std::int64_t offset, std::int64_t count, void *out) const = 0;
    // Every byte at once where they lie in memory in one piece; null otherwise.
    virtual const std::uint8_t *contiguous() const { return nullptr; }
    // A read of the source failed: what an analysis found is not the file's.
    virtual bool readFailed() const { return false; }
    // How many bytes a reader of it reads at once.
    virtual std::int64_t readWindow() const { return kDefaultReadWindow; }

    static constexpr std::int64_t kDefaultReadWindow = 1 << 20;
};

// Bytes the caller keeps alive.
class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t *data, std::int64_t size) : m_data(data), m_size(size) {}
    std::int64_t size() const override { return m_size; }
    bool readAt(std::int64_t offset, std::int64_t count, void *out) const override;
    const std::uint8_t *contiguous() const override { return m_data; }

private:
    const std::uint8_t *m_data;
    std::int64_t m_size;
};

// Bytes of its own (an image that did not come from a file).
class OwnedSource final : public ByteSource {
public:
    explicit OwnedSource(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    std::int64_t size() const override { return static_cast<std::int64_t>(m_bytes.size()); }
    bool readAt(std::int64_t offset, std::int64_t count, void *out) const override;
    const std::uint8_t *contiguous() const override { return m_bytes.data(); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// A file read with pread through a descriptor of its own, which it closes.
// Never mapped: a file another program truncates would kill the process at
// the first touch of a lost page, where a read only comes up short. The
// head the opener already read is served from memory. A short read is
// remembered: the file changed since it was opened.
class FileSource final : public ByteSource {
public:
    // Takes `fd` over.
    FileSource(int fd, std::int64_t size, std::vector<std::uint8_t> head);

    std::int64_t size() const override { return m_size; }
    bool readAt(std::int64_t offset, std::int64_t count, void *out) const override;
    bool readFailed() const override { return m_failed; }

private:
    platform::OwnedFd m_fd;
    std::int64_t m_size;
    std::vector<std::uint8_t> m_head;
    mutable bool m_failed = false;
};

// Every byte of `source`, for a save to another file and for tests; false
// when they cannot be read.
bool readWhole(const ByteSource &source, std::vector<std::uint8_t> &out);

} // namespace brantlow
