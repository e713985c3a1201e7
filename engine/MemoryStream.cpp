// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace brantlow {

std::int64_t seekedPosition(std::int64_t position, std::int64_t size, std::int64_t offset, SeekOrigin origin)
{
    switch (origin) {
    case SeekOrigin::Begin:
        return offset;
    case SeekOrigin::Current:
        return position + offset;
    case SeekOrigin::End:
        return size + offset;
    }
    return position;
}

std::int32_t readableCount(std::int64_t position, std::int64_t size, std::int32_t count)
{
    if (count <= 0 || position < 0 || position >= size)
        return 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(count, size - position));
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    m_position = seekedPosition(m_position, Size(), offset, origin);
    return m_position;
}

std::int32_t MemoryStream::Read(void *buffer, std::int32_t count)
{
    const std::int32_t n = readableCount(m_position, Size(), count);
    if (n == 0)
        return 0;
    std::memcpy(buffer, m_bytes.data() + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

std::int32_t MemoryStream::Write(const void *buffer, std::int32_t count)
{
    if (count <= 0 || m_position < 0)
        return 0;
    if (m_position + count > Size()) {
        const std::int64_t oldSize = Size();
        m_bytes.resize(static_cast<std::size_t>(m_position + count));
        if (m_position > oldSize) // a gap between the old end and the position reads as zeros
            std::fill(m_bytes.begin() + oldSize, m_bytes.begin() + m_position, 0);
    }
    std::memcpy(m_bytes.data() + m_position, buffer, static_cast<std::size_t>(count));
    m_position += count;
    return count;
}

void MemoryStream::SetSize(std::int64_t size)
{
    const std::int64_t oldSize = Size();
    SetSizeForOverwrite(size);
    if (Size() > oldSize)
        std::fill(m_bytes.begin() + oldSize, m_bytes.end(), 0);
}

void MemoryStream::SetSizeForOverwrite(std::int64_t size)
{
    m_bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
}

bool InsertStream(MemoryStream &dest, std::int32_t offset, MemoryStream &source)
{
    const std::int64_t size = dest.Size();
    const std::int64_t a = offset;
    if (a < 0 || a > size)
        return false;
    const std::int64_t n = source.Size();
    if (&source == &dest)
        return false;
    try {
        // Within the reserved capacity the tail moves in place; otherwise the
        // growth copies it once and a failed growth leaves dest as it was.
        dest.SetSizeForOverwrite(size + n);
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const std::length_error &) {
        return false;
    }
    std::uint8_t *data = dest.Data();
    // An empty stream may have no buffer at all: nothing to move then.
    if (size > a)
        std::memmove(data + a + n, data + a, static_cast<std::size_t>(size - a));
    if (n > 0)
        std::memcpy(data + a, source.Data(), static_cast<std::size_t>(n));
    dest.Seek(a + n, SeekOrigin::Begin);
    return true;
}

bool DeleteBytes(MemoryStream &stream, std::int32_t offset, std::int32_t count)
{
    const std::int64_t a = offset;
    const std::int64_t b = count;
    if (a < 0 || b < 0)
        return false;
    const std::int64_t size = stream.Size();
    if (a + b > size)
        return false;
    std::uint8_t *data = stream.Data();
    if (b > 0)
        std::memmove(data + a, data + a + b, static_cast<std::size_t>(size - a - b));
    stream.SetSizeForOverwrite(size - b); // shrinking neither allocates nor throws
    stream.Seek(size - b, SeekOrigin::Begin);
    return true;
}

} // namespace brantlow
