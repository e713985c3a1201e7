// SPDX-License-Identifier: GPL-3.0-or-later
#include "Binedit.h"

#include "ByteReader.h"
#include "FrameHeader.h"

#include "platform/ExclusiveFile.h"
#include "platform/FileIdentity.h"
#include "platform/SafeReplace.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace brantlow {

namespace {
// A descriptor of the engine's own for reading the file `fd` (or else
// `path`) names, when it is still the file `expected` describes. Opened
// anew rather than duplicated: a duplicate would share the opener's lock,
// and the file would stay locked against the save while the image lives.
int openForReading(int fd, const std::string &path, const platform::FileIdentity &expected)
{
    // Through /proc the very file `fd` has open is opened, whatever its name
    // names now: only a file opened by its path needs its identity checked.
    if (fd >= 0) {
        if (const int own = ::open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDONLY | O_CLOEXEC); own >= 0)
            return own;
    }
    const int own = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (own < 0)
        return -1;
    const platform::FileIdentity now = platform::identityOf(own);
    if (now.device != expected.device || now.inode != expected.inode || now.size != expected.size) {
        ::close(own);
        return -1;
    }
    return own;
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
                                std::vector<std::uint8_t> head)
{
    ReleaseImage(); // its descriptor closed before the next is taken
    m_loadedPath.clear();
    m_loadedIdentity = {};

    // Taken before any read: a change made after it is a change the save sees.
    const platform::FileIdentity identity = file.identity();
    const std::int64_t size = identity.size;
    // Offsets and sizes are 32-bit signed: 2 GiB and more cannot be described.
    if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) {
        ErrorCode = ecCannotRead;
        return 0;
    }
    std::shared_ptr<const ByteSource> source;
    if (std::cmp_greater_equal(head.size(), size)) {
        // Read whole already: nothing more to read, no descriptor to hold.
        try {
            head.resize(static_cast<std::size_t>(size));
            source = std::make_shared<OwnedSource>(std::move(head));
        } catch (const std::bad_alloc &) {
            ErrorCode = ecCannotRead;
            return 0;
        }
    } else {
        const int fd = openForReading(file.fd(), fileName, identity);
        if (fd < 0) {
            ErrorCode = ecCannotRead;
            return 0;
        }
        try {
            source = std::make_shared<FileSource>(fd, size, std::move(head));
        } catch (const std::bad_alloc &) {
            ::close(fd); // not yet the source's
            ErrorCode = ecCannotRead;
            return 0;
        }
    }
    try {
        Image = std::make_unique<FileImage>(std::move(source));
        Image->setReadWindow(m_readWindow);
    } catch (const std::bad_alloc &) {
        ErrorCode = ecCannotRead;
        return 0;
    }
    m_imageEdits.reset(size);
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
        // Only tests save to another file: the image is read whole for it.
        std::vector<std::uint8_t> bytes;
        try {
            if (!readWhole(*Image, bytes)) {
                ErrorCode = ecFileChanged;
                return 0;
            }
        } catch (const std::bad_alloc &) {
            ErrorCode = ecCannotSave;
            return 0;
        }
        m_lastSave = platform::replaceFileContents(fileName, bytes.data(), bytes.size(), {}, lastWrite);
    }
    if (!m_lastSave.ok) {
        ErrorCode = ecCannotSave;
        return 0;
    }
    // The file on disk is now this image; a later save changes it from here.
    if (overOriginal) {
        m_loadedIdentity = m_lastSave.identity;
        m_imageEdits.reset(Image->Size());
        // Read from the new file from now on: a rewrite in place changed the
        // bytes the old description reads.
        if (const int fd = openForReading(-1, fileName, m_loadedIdentity); fd >= 0) {
            try {
                Image = std::make_unique<FileImage>(
                    std::make_shared<FileSource>(fd, m_loadedIdentity.size, std::vector<std::uint8_t>{}));
                Image->setReadWindow(m_readWindow);
            } catch (const std::bad_alloc &) {
                ::close(fd);
            }
        }
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
    ReleaseImage();
    Image = std::make_unique<FileImage>(std::make_shared<OwnedSource>(std::vector<std::uint8_t>(data, data + size)));
    Image->setReadWindow(m_readWindow);
    m_imageEdits.reset(size);
    m_loadedPath.clear();
    m_loadedIdentity = {};
}

bool TBinEdit::insertIntoImage(std::int64_t at, MemoryStream &bytes)
{
    if (at > std::numeric_limits<std::int32_t>::max() || !Image->insert(at, bytes.Data(), bytes.Size()))
        return false;
    m_imageEdits.inserted(at, bytes.Data(), bytes.Size());
    return true;
}

bool TBinEdit::deleteFromImage(std::int64_t at, std::int64_t count)
{
    if (at > std::numeric_limits<std::int32_t>::max() || count > std::numeric_limits<std::int32_t>::max()
        || !Image->erase(at, count))
        return false;
    m_imageEdits.erased(at, count);
    return true;
}

void TBinEdit::putImageU32le(std::int64_t at, std::uint32_t value)
{
    std::uint8_t bytes[4];
    detail::putU32le(bytes, value);
    rewriteImage(at, bytes, 4);
}

void TBinEdit::rewriteImage(std::int64_t at, const std::uint8_t *bytes, std::int64_t count)
{
    if (Image->overwrite(at, bytes, count))
        m_imageEdits.overwritten(at, bytes, count);
}

void TBinEdit::SetReadWindow(std::int64_t bytes)
{
    m_readWindow = bytes;
    if (Image)
        Image->setReadWindow(bytes);
}

bool TBinEdit::imageChanged()
{
    if (!Image || !Image->readFailed())
        return false;
    ErrorCode = ecFileChanged;
    return true;
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
    std::uint8_t p[2];
    if (!Image || offset < 0 || offset > Image->Size() - 4 || !Image->readAt(offset, 2, p))
        return false;
    return frameheader::isFrameSync(p[0], p[1]);
}

} // namespace brantlow
