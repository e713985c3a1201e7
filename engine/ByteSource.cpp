// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteSource.h"

#include "platform/ReadAll.h"

#include <cstring>

namespace brantlow {

bool MemorySource::readAt(std::int64_t offset, std::int64_t count, void *out) const
{
    if (!rangeInside(offset, count, m_size))
        return false;
    if (count > 0)
        std::memcpy(out, m_data + offset, static_cast<std::size_t>(count));
    return true;
}

bool OwnedSource::readAt(std::int64_t offset, std::int64_t count, void *out) const
{
    return MemorySource(m_bytes.data(), size()).readAt(offset, count, out);
}

FileSource::FileSource(int fd, std::int64_t size, std::vector<std::uint8_t> head)
    : m_fd(fd),
      m_size(size),
      m_head(std::move(head))
{
    if (static_cast<std::int64_t>(m_head.size()) > m_size)
        m_head.resize(static_cast<std::size_t>(m_size));
}

bool FileSource::readAt(std::int64_t offset, std::int64_t count, void *out) const
{
    if (!rangeInside(offset, count, m_size))
        return false;
    auto *to = static_cast<std::uint8_t *>(out);
    const auto held = static_cast<std::int64_t>(m_head.size());
    if (offset < held) {
        const std::int64_t n = count < held - offset ? count : held - offset;
        std::memcpy(to, m_head.data() + offset, static_cast<std::size_t>(n));
        to += n;
        offset += n;
        count -= n;
    }
    if (count > 0 && platform::readAllAt(m_fd.get(), to, count, offset) != count) {
        m_failed = true;
        return false;
    }
    return true;
}

bool readWhole(const ByteSource &source, std::vector<std::uint8_t> &out)
{
    out.resize(static_cast<std::size_t>(source.size()));
    return source.readAt(0, source.size(), out.data());
}

} // namespace brantlow
