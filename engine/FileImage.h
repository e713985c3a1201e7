// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ByteSource.h"
#include "ImageEdits.h"
#include "MemoryStream.h"

#include <cstdint>
#include <memory>

namespace brantlow {

// The engine's image of a file: the bytes loaded (a file read on demand, or
// bytes in memory) and the changes made to them, read as one stream of
// bytes. It holds no copy of the file: copying an image copies its
// description, and reading it reads the original where it is unchanged.
class FileImage final : public ByteSource {
public:
    explicit FileImage(std::shared_ptr<const ByteSource> original);

    // As a stream: one position, which Seek does not clamp; Read copies what
    // lies between the position and the end.
    std::int64_t Size() const { return m_pieces.size(); }
    std::int64_t Position() const { return m_position; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
    std::int32_t Read(void *buffer, std::int32_t count);

    std::int64_t size() const override { return m_pieces.size(); }
    bool readAt(std::int64_t offset, std::int64_t count, void *out) const override;
    const std::uint8_t *contiguous() const override;
    bool readFailed() const override { return m_original->readFailed(); }
    std::int64_t readWindow() const override { return m_readWindow; }
    void setReadWindow(std::int64_t bytes) { m_readWindow = bytes; }

    // `count` bytes made new at `at` (in [0, Size()]), or dropped or
    // overwritten there (inside the image); false, the image untouched,
    // where the range is outside. The position goes behind the change.
    bool insert(std::int64_t at, const std::uint8_t *bytes, std::int64_t count);
    bool erase(std::int64_t at, std::int64_t count);
    bool overwrite(std::int64_t at, const std::uint8_t *bytes, std::int64_t count);

private:
    std::shared_ptr<const ByteSource> m_original;
    ImageEdits m_pieces; // over m_original, since the load
    std::int64_t m_position = 0;
    std::int64_t m_readWindow = kDefaultReadWindow;
};

} // namespace brantlow
