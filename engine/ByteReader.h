// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the engine: every fixed layout of the image is read through
// this reader, so that a value that does not lie wholly inside the image is
// never used. The writers below it write fixed layouts at places the caller
// has made sure lie inside.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace brantlow::detail {

class ByteReader {
public:
    ByteReader(const std::uint8_t *data, std::int64_t size) : m_data(data), m_size(size) { }

    std::int64_t size() const { return m_size; }
    const std::uint8_t *data() const { return m_data; }

    bool contains(std::int64_t offset, std::int64_t count) const
    {
        // By subtraction, so that a hostile offset cannot overflow.
        return offset >= 0 && count >= 0 && offset <= m_size && m_size - offset >= count;
    }

    bool readBytes(std::int64_t offset, std::int64_t count, void *out) const
    {
        if (!contains(offset, count))
            return false;
        if (count > 0)
            std::memcpy(out, m_data + offset, static_cast<std::size_t>(count));
        return true;
    }

    // A magic text that does not lie wholly inside the image does not match.
    bool matches(std::int64_t offset, std::string_view magic) const
    {
        return contains(offset, static_cast<std::int64_t>(magic.size()))
            && std::memcmp(m_data + offset, magic.data(), magic.size()) == 0;
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
    const std::uint8_t *m_data;
    std::int64_t m_size;
};

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
