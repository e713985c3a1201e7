// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImageEdits.h"

#include <algorithm>
#include <iterator>

namespace brantlow {

void ImageEdits::reset(std::int64_t originalSize)
{
    m_originalSize = originalSize;
    m_size = originalSize;
    m_pieces.clear();
    if (originalSize > 0)
        m_pieces.push_back({0, originalSize, {}});
    m_edits.clear();
}

std::size_t ImageEdits::splitAt(std::int64_t at)
{
    std::int64_t start = 0;
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
        Piece &piece = m_pieces[i];
        if (at == start)
            return i;
        if (at < start + piece.length) {
            const std::int64_t head = at - start;
            Piece rest{piece.from < 0 ? -1 : piece.from + head, piece.length - head, {}};
            if (piece.from < 0) {
                rest.bytes.assign(piece.bytes.begin() + head, piece.bytes.end());
                piece.bytes.resize(static_cast<std::size_t>(head));
            }
            piece.length = head;
            m_pieces.insert(m_pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(rest));
            return i + 1;
        }
        start += piece.length;
    }
    return m_pieces.size();
}

void ImageEdits::inserted(std::int64_t at, const std::uint8_t *bytes, std::int64_t count)
{
    if (count <= 0)
        return;
    const std::size_t i = splitAt(at);
    m_pieces.insert(m_pieces.begin() + static_cast<std::ptrdiff_t>(i), Piece{-1, count, {bytes, bytes + count}});
    m_size += count;
    describe();
}

void ImageEdits::erased(std::int64_t at, std::int64_t count)
{
    if (count <= 0)
        return;
    const std::size_t first = splitAt(at);
    const std::size_t last = splitAt(at + count);
    m_pieces.erase(m_pieces.begin() + static_cast<std::ptrdiff_t>(first),
                   m_pieces.begin() + static_cast<std::ptrdiff_t>(last));
    m_size -= count;
    describe();
}

void ImageEdits::overwritten(std::int64_t at, const std::uint8_t *bytes, std::int64_t count)
{
    erased(at, count);
    inserted(at, bytes, count);
}

bool ImageEdits::readAt(std::int64_t at, std::int64_t count, std::uint8_t *out, const ByteSource &original) const
{
    if (!rangeInside(at, count, m_size))
        return false;
    std::int64_t start = 0;
    for (const Piece &piece : m_pieces) {
        if (count == 0)
            break;
        const std::int64_t end = start + piece.length;
        if (at < end) {
            const std::int64_t inside = at - start;
            const std::int64_t n = std::min(count, piece.length - inside);
            if (piece.from < 0)
                std::copy_n(piece.bytes.begin() + inside, n, out);
            else if (!original.readAt(piece.from + inside, n, out))
                return false;
            out += n;
            at += n;
            count -= n;
        }
        start = end;
    }
    return count == 0;
}

void ImageEdits::describe()
{
    // Bytes of the image's own between two ranges of the original, and the
    // original's bytes the image skips there, make one edit.
    m_edits.clear();
    std::int64_t next = 0; // the original's first byte not yet accounted for
    platform::ByteEdit pending;
    bool open = false;
    auto close = [&](std::int64_t upTo) {
        if (!open && upTo == next)
            return;
        pending.offset = static_cast<std::uint64_t>(next);
        pending.oldLength = static_cast<std::uint64_t>(upTo - next);
        m_edits.push_back(std::move(pending));
        pending = {};
        open = false;
    };
    for (const Piece &piece : m_pieces) {
        if (piece.from < 0) {
            pending.bytes.insert(pending.bytes.end(), piece.bytes.begin(), piece.bytes.end());
            open = true;
            continue;
        }
        close(piece.from);
        next = piece.from + piece.length;
    }
    close(m_originalSize);
}

} // namespace brantlow
