// SPDX-License-Identifier: GPL-3.0-or-later
#include "Binedit.h"

#include "ByteReader.h"
#include "FrameHeader.h"

#include "platform/ExclusiveFile.h"
#include "platform/SafeReplace.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include <sys/mman.h>

namespace brantlow {

namespace {
// Room for the header frame that an add inserts, so that it does not move the
// whole image to a larger buffer.
constexpr std::int64_t kInsertSlack = 4096;
// Buffers this large are backed by huge pages where the system offers them:
// loading a large file then takes a fraction of the page faults, and walking
// or moving it a fraction of the TLB misses.
constexpr std::int64_t kHugePageMinimum = 4 * 1024 * 1024;
constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;

// An empty stream with room for an image of `size` bytes and the header frame.
std::unique_ptr<MemoryStream> imageBuffer(std::int64_t size)
{
    auto buffer = std::make_unique<MemoryStream>();
    buffer->Reserve(size + kInsertSlack);
    if (buffer->Capacity() >= kHugePageMinimum) {
        const auto begin = reinterpret_cast<std::uintptr_t>(buffer->Data());
        const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (begin + static_cast<std::uintptr_t>(buffer->Capacity())) & ~(kHugePage - 1);
        if (last > first) // only advice: where it is refused, small pages serve as before
            ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
    }
    return buffer;
}
} // namespace

TBinEdit::TBinEdit() = default;

TBinEdit::~TBinEdit()
{
    Image.reset();
    FreeFrameIndex();
}

std::int32_t TBinEdit::LoadFile(const std::string &fileName)
{
    platform::ExclusiveFile file;
    if (!file.open(fileName, platform::FileAccess::Read)) {
        Image.reset();
        m_imageEdits.reset(0);
        m_loadedPath.clear();
        m_loadedIdentity = {};
        ErrorCode = ecCannotOpen;
        return 0;
    }
    return LoadFile(file, fileName);
}

std::int32_t TBinEdit::LoadFile(const platform::ExclusiveFile &file, const std::string &fileName)
{
    return LoadFile(file, fileName, {});
}

std::int32_t TBinEdit::LoadFile(const platform::ExclusiveFile &file, const std::string &fileName,
                                const std::vector<std::uint8_t> &head)
{
    Image.reset(); // freed before the next is allocated
    m_imageEdits.reset(0);
    m_loadedPath.clear();
    m_loadedIdentity = {};

    // Taken before the read: a change made while reading is a change the save sees.
    const platform::FileIdentity identity = file.identity();
    try {
        const std::int64_t size = identity.size;
        // Offsets and sizes are 32-bit signed: 2 GiB and more cannot be described.
        if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) {
            ErrorCode = ecCannotRead;
            return 0;
        }
        std::unique_ptr<MemoryStream> image = imageBuffer(size);
        image->SetSizeForOverwrite(size);
        const auto known =
            static_cast<std::int64_t>(std::min<std::size_t>(head.size(), static_cast<std::size_t>(size)));
        std::copy_n(head.data(), known, image->Data());
        if (!file.readAt(known, image->Data() + known, size - known)) {
            ErrorCode = ecCannotRead;
            return 0;
        }
        Image = std::move(image);
        m_imageEdits.reset(size);
    } catch (const std::bad_alloc &) {
        ErrorCode = ecCannotRead;
        return 0;
    }
    m_loadedPath = fileName;
    m_loadedIdentity = identity;
    return 1;
}

std::int32_t TBinEdit::SaveFile(const std::string &fileName, const timespec *lastWrite)
{
    m_lastSave = {};
    if (!Image) {
        ErrorCode = ecCannotSave;
        return 0;
    }
    const bool overOriginal = fileName == m_loadedPath && m_loadedIdentity.valid();
    if (overOriginal) {
        platform::ReplaceGroup group(1);
        const std::size_t entry = group.add(fileName, Edits(), m_loadedIdentity, lastWrite);
        group.commit();
        m_lastSave = group.result(entry);
    } else {
        m_lastSave = platform::replaceFileContents(fileName, Image->Data(), static_cast<std::size_t>(Image->Size()), {},
                                                   lastWrite);
    }
    if (!m_lastSave.ok) {
        ErrorCode = ecCannotSave;
        return 0;
    }
    // The file on disk is now this image; a later save changes it from here.
    if (overOriginal) {
        m_loadedIdentity = m_lastSave.identity;
        m_imageEdits.reset(Image->Size());
    }
    return 1;
}

void TBinEdit::ReleaseImage()
{
    Image.reset();
    m_imageEdits.reset(0);
}

void TBinEdit::LoadImage(const std::uint8_t *data, std::int64_t size)
{
    std::unique_ptr<MemoryStream> image = imageBuffer(size);
    image->SetSizeForOverwrite(size);
    if (size > 0)
        std::copy(data, data + size, image->Data());
    Image = std::move(image);
    m_imageEdits.reset(size);
    m_loadedPath.clear();
    m_loadedIdentity = {};
}

bool TBinEdit::insertIntoImage(std::int64_t at, MemoryStream &bytes)
{
    if (at > std::numeric_limits<std::int32_t>::max() || !InsertStream(*Image, static_cast<std::int32_t>(at), bytes))
        return false;
    m_imageEdits.inserted(at, bytes.Data(), bytes.Size());
    return true;
}

bool TBinEdit::deleteFromImage(std::int64_t at, std::int64_t count)
{
    if (at > std::numeric_limits<std::int32_t>::max() || count > std::numeric_limits<std::int32_t>::max()
        || !DeleteBytes(*Image, static_cast<std::int32_t>(at), static_cast<std::int32_t>(count)))
        return false;
    m_imageEdits.erased(at, count);
    return true;
}

void TBinEdit::putImageU32le(std::int64_t at, std::uint32_t value)
{
    detail::putU32le(Image->Data() + at, value);
    imageRewritten(at, 4);
}

void TBinEdit::imageRewritten(std::int64_t at, std::int64_t count)
{
    m_imageEdits.overwritten(at, Image->Data() + at, count);
}

std::int32_t TBinEdit::SetSeekRange(std::int32_t range)
{
    if (range <= 0)
        return 0;
    SeekRange = range;
    return 1;
}

std::int32_t TBinEdit::GetFrameLength(const FrameHeaderBytes &header)
{
    const frameheader::LengthResult result = frameheader::frameLength(header);
    if (result.length == 0)
        ErrorCode = result.error;
    return result.length;
}

std::int32_t TBinEdit::PutBigEndian32(std::int32_t value, std::uint8_t out[4])
{
    detail::putU32be(out, static_cast<std::uint32_t>(value));
    return 1;
}

bool TBinEdit::frameSyncAt(std::int64_t offset) const
{
    // Fewer than four bytes left show no frame sync.
    if (!Image || offset < 0 || offset > Image->Size() - 4)
        return false;
    const std::uint8_t *p = Image->Data() + offset;
    return frameheader::isFrameSync(p[0], p[1]);
}

} // namespace brantlow
