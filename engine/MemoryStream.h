// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace brantlow {

enum class SeekOrigin { Begin, Current, End };

// The position a seek from `position` in a stream of `size` bytes gives
// (not clamped), and how many of `count` bytes a read from `position` copies.
std::int64_t seekedPosition(std::int64_t position, std::int64_t size, std::int64_t offset, SeekOrigin origin);
std::int32_t readableCount(std::int64_t position, std::int64_t size, std::int32_t count);

namespace detail {
// Leaves new bytes uninitialised, so that a buffer about to be filled from a
// file is not first cleared for nothing.
template <typename T>
struct DefaultInitAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;
    template <typename U>
    void construct(U *p) noexcept
    {
        ::new (static_cast<void *>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};
} // namespace detail

// A growable byte buffer with one current position.
// Seek does not clamp: the position may lie before the start or past the end.
// Read copies what lies between the position and the end (nothing from a
// position outside the data). Write grows the buffer when it passes the end.
class MemoryStream {
public:
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
    std::int64_t Position() const { return m_position; }
    std::int32_t Read(void *buffer, std::int32_t count);
    std::int32_t Write(const void *buffer, std::int32_t count);

    std::int64_t Size() const { return static_cast<std::int64_t>(m_bytes.size()); }
    // Content up to the new size stays; new bytes are zero.
    void SetSize(std::int64_t size);
    // As SetSize, but new bytes are left for the caller to fill at once.
    void SetSizeForOverwrite(std::int64_t size);
    // Room for later growth without moving the bytes again.
    void Reserve(std::int64_t capacity) { m_bytes.reserve(static_cast<std::size_t>(capacity)); }
    std::int64_t Capacity() const { return static_cast<std::int64_t>(m_bytes.capacity()); }

    const std::uint8_t *Data() const { return m_bytes.data(); }
    std::uint8_t *Data() { return m_bytes.data(); }

private:
    std::vector<std::uint8_t, detail::DefaultInitAllocator<std::uint8_t>> m_bytes;
    std::int64_t m_position = 0;
};

// Inserts the whole content of `source` into `dest` at `offset`, moving the
// bytes behind it up in place when dest has the room reserved. False when
// offset lies outside [0, size], when source is dest, or when dest cannot
// grow; dest is then untouched.
bool InsertStream(MemoryStream &dest, std::int32_t offset, MemoryStream &source);
// Removes `count` bytes at `offset`. False for a negative argument or a range
// past the end (the stream is then untouched).
bool DeleteBytes(MemoryStream &stream, std::int32_t offset, std::int32_t count);

} // namespace brantlow
