// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the engine: every fixed layout of the image is read through
// this reader, so that a value that does not lie wholly inside the image is
// never used. The writers below it write fixed layouts at places the caller
// has made sure lie inside.

#include "ByteSource.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace brantlow::detail {

// Reads through one reused window over the source: a forward step places
// the window to start at the request, a backward one to end at it, and a
// request larger than the window is read straight into the caller's buffer.
// Over bytes that lie in memory in one piece the window is the whole span.
// A read of the source that fails counts as bytes that are not there, and
// failed() says so afterwards.
class ByteReader {
public:
    // Room for every fixed layout read at once (an ID3v2 header, a RIFF chunk header).
    static constexpr std::int64_t kSmallestWindow = 64;

    ByteReader(const std::uint8_t *data, std::int64_t size) : m_data(data), m_size(size), m_windowSize(size) {}
    explicit ByteReader(const ByteSource &source) : ByteReader(source, source.readWindow()) {}
    ByteReader(const ByteSource &source, std::int64_t window)
        : m_source(&source),
          m_data(source.contiguous()),
          m_size(source.size()),
          m_windowSize(m_data ? m_size : std::max(kSmallestWindow, std::min(window, m_size)))
    {
    }
    ByteReader(const ByteReader &) = delete;
    ByteReader &operator=(const ByteReader &) = delete;

    std::int64_t size() const { return m_size; }
    // The most bytes one span() serves.
    std::int64_t spanLimit() const { return m_windowSize; }
    bool failed() const { return m_failed; }

    bool contains(std::int64_t offset, std::int64_t count) const { return rangeInside(offset, count, m_size); }

    // The `count` bytes at `offset`, valid until the next read through this
    // reader; null when they do not lie wholly inside, cannot be read, or
    // are more than spanLimit().
    const std::uint8_t *span(std::int64_t offset, std::int64_t count) const
    {
        if (!contains(offset, count))
            return nullptr;
        if (m_data)
            return m_data + offset;
        if (count > m_windowSize)
            return nullptr;
        if (offset < m_windowStart || offset - m_windowStart > m_windowLength - count) {
            if (!placeWindow(offset, count))
                return nullptr;
        }
        return m_window.get() + (offset - m_windowStart);
    }

    bool readBytes(std::int64_t offset, std::int64_t count, void *out) const
    {
        if (!contains(offset, count))
            return false;
        if (count == 0)
            return true;
        if (!m_data && count > m_windowSize) {
            if (m_source->readAt(offset, count, out))
                return true;
            m_failed = true;
            return false;
        }
        const std::uint8_t *bytes = span(offset, count);
        if (!bytes)
            return false;
        std::memcpy(out, bytes, static_cast<std::size_t>(count));
        return true;
    }

    // A magic text that does not lie wholly inside the image does not match.
    bool matches(std::int64_t offset, std::string_view magic) const
    {
        const std::uint8_t *bytes = span(offset, static_cast<std::int64_t>(magic.size()));
        return bytes && std::memcmp(bytes, magic.data(), magic.size()) == 0;
    }

    // Where bytes lie in memory, asks the caches for the ones at `offset`
    // before they are needed; a window is read whole anyway.
    void prefetch(std::int64_t offset) const
    {
        if (m_data && offset < m_size)
            __builtin_prefetch(m_data + offset);
    }

    std::optional<std::uint16_t> u16le(std::int64_t offset) const
    {
        std::uint8_t b[2];
        if (!readBytes(offset, 2, b))
            return std::nullopt;
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }

    std::optional<std::uint32_t> u32le(std::int64_t offset) const
    {
        std::uint8_t b[4];
        if (!readBytes(offset, 4, b))
            return std::nullopt;
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8)
            | (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }

    std::optional<std::uint16_t> u16be(std::int64_t offset) const
    {
        std::uint8_t b[2];
        if (!readBytes(offset, 2, b))
            return std::nullopt;
        return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
    }

    std::optional<std::uint8_t> u8(std::int64_t offset) const
    {
        std::uint8_t b;
        if (!readBytes(offset, 1, &b))
            return std::nullopt;
        return b;
    }

    std::optional<std::uint32_t> u32be(std::int64_t offset) const
    {
        std::uint8_t b[4];
        if (!readBytes(offset, 4, b))
            return std::nullopt;
        return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16)
            | (static_cast<std::uint32_t>(b[2]) << 8) | static_cast<std::uint32_t>(b[3]);
    }

private:
    // Reads the window so that it holds [offset, offset + count), which lies inside.
    bool placeWindow(std::int64_t offset, std::int64_t count) const
    {
        const std::int64_t start =
            offset < m_windowStart ? std::max<std::int64_t>(0, offset + count - m_windowSize) : offset;
        const std::int64_t length = std::min(m_windowSize, m_size - start);
        if (!m_window)
            m_window = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(m_windowSize));
        m_windowStart = start;
        m_windowLength = 0;
        if (!m_source->readAt(start, length, m_window.get())) {
            m_failed = true;
            return false;
        }
        m_windowLength = length;
        return true;
    }

    const ByteSource *m_source = nullptr;
    const std::uint8_t *m_data; // every byte, where they lie in memory in one piece
    std::int64_t m_size;
    std::int64_t m_windowSize;
    mutable std::unique_ptr<std::uint8_t[]> m_window;
    mutable std::int64_t m_windowStart = 0;
    mutable std::int64_t m_windowLength = 0;
    mutable bool m_failed = false;
};

// CRC-16/ARC of the bytes [from, to), read in window-sized pieces; none
// when they cannot be read.
std::optional<std::uint16_t> crc16ArcOf(const ByteReader &reader, std::int64_t from, std::int64_t to);

inline void putU16be(std::uint8_t *out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

inline void putU32be(std::uint8_t *out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

inline void putU32le(std::uint8_t *out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

} // namespace brantlow::detail
