#include "MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace brantlow {

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    switch (origin) {
    case SeekOrigin::Begin:
        m_position = offset;
        break;
    case SeekOrigin::Current:
        m_position += offset;
        break;
    case SeekOrigin::End:
        m_position = Size() + offset;
        break;
    }
    return m_position;
}

std::int32_t MemoryStream::Read(void *buffer, std::int32_t count)
{
    if (count <= 0 || m_position < 0 || m_position >= Size())
        return 0;
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, Size() - m_position));
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

namespace {

constexpr std::int32_t kBlock = 1024;

// One whole block or nothing: a short read is a failure of the move.
bool moveBlock(MemoryStream &stream, std::uint8_t *buffer, std::int64_t from, std::int64_t to, std::int32_t count)
{
    if (count == 0)
        return true;
    stream.Seek(from, SeekOrigin::Begin);
    if (stream.Read(buffer, count) != count)
        return false;
    stream.Seek(to, SeekOrigin::Begin);
    return stream.Write(buffer, count) == count;
}

} // namespace

bool InsertStream(MemoryStream &dest, std::int32_t offset, MemoryStream &source)
{
    const std::int64_t size = dest.Size();
    const std::int64_t a = offset;
    if (a < 0 || a > size)
        return false;
    try {
        auto buffer = std::make_unique<std::uint8_t[]>(kBlock);
        const std::int64_t n = source.Size();
        // Shift the tail up by n, from the end, so that nothing is overwritten
        // before it has been read.
        std::int64_t p = size;
        while (p - kBlock > a) {
            if (!moveBlock(dest, buffer.get(), p - kBlock, p - kBlock + n, kBlock))
                return false;
            p -= kBlock;
        }
        if (!moveBlock(dest, buffer.get(), a, a + n, static_cast<std::int32_t>(p - a)))
            return false;
        for (std::int64_t done = 0; done < n;) {
            const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(kBlock, n - done));
            source.Seek(done, SeekOrigin::Begin);
            if (source.Read(buffer.get(), count) != count)
                return false;
            dest.Seek(a + done, SeekOrigin::Begin);
            if (dest.Write(buffer.get(), count) != count)
                return false;
            done += count;
        }
        return dest.Size() == size + n;
    } catch (const std::bad_alloc &) {
        return false;
    }
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
    try {
        auto buffer = std::make_unique<std::uint8_t[]>(kBlock);
        std::int64_t p = a + b;
        while (p + kBlock <= size) {
            if (!moveBlock(stream, buffer.get(), p, p - b, kBlock))
                return false;
            p += kBlock;
        }
        if (!moveBlock(stream, buffer.get(), p, p - b, static_cast<std::int32_t>(size - p)))
            return false;
        stream.SetSize(size - b);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

} // namespace brantlow
