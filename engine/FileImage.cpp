// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileImage.h"

#include <algorithm>

namespace brantlow {

FileImage::FileImage(std::shared_ptr<const ByteSource> original) : m_original(std::move(original))
{
    m_pieces.reset(m_original->size());
}

std::int64_t FileImage::Seek(std::int64_t offset, SeekOrigin origin)
{
    m_position = seekedPosition(m_position, Size(), offset, origin);
    return m_position;
}

std::int32_t FileImage::Read(void *buffer, std::int32_t count)
{
    const std::int32_t n = readableCount(m_position, Size(), count);
    if (n == 0 || !readAt(m_position, n, buffer))
        return 0;
    m_position += n;
    return n;
}

bool FileImage::readAt(std::int64_t offset, std::int64_t count, void *out) const
{
    return m_pieces.readAt(offset, count, static_cast<std::uint8_t *>(out), *m_original);
}

const std::uint8_t *FileImage::contiguous() const
{
    // Unchanged, the image is the original.
    return m_pieces.edits().empty() && m_pieces.size() == m_original->size() ? m_original->contiguous() : nullptr;
}

bool FileImage::insert(std::int64_t at, const std::uint8_t *bytes, std::int64_t count)
{
    if (at < 0 || at > Size() || count < 0)
        return false;
    m_pieces.inserted(at, bytes, count);
    m_position = at + count;
    return true;
}

bool FileImage::erase(std::int64_t at, std::int64_t count)
{
    if (at < 0 || count < 0 || at > Size() - count)
        return false;
    m_pieces.erased(at, count);
    m_position = Size();
    return true;
}

bool FileImage::overwrite(std::int64_t at, const std::uint8_t *bytes, std::int64_t count)
{
    if (at < 0 || count < 0 || at > Size() - count)
        return false;
    m_pieces.overwritten(at, bytes, count);
    return true;
}

} // namespace brantlow
