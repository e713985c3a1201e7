// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ErrorCodes.h"
#include "FileImage.h"
#include "FileLayout.h"
#include "FrameMarks.h"
#include "ImageEdits.h"
#include "MemoryStream.h"

#include "platform/FileIdentity.h"
#include "platform/ReplaceResult.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace brantlow::platform {
class ExclusiveFile;
}

namespace brantlow {

struct FileCheck;

using FrameHeaderBytes = std::array<std::uint8_t, 4>;

enum StructureFlags : std::int32_t {
    sfVbrHeader = 0x01,
    sfId3v1 = 0x02,
    sfLyrics3 = 0x04,
    sfId3v2 = 0x08,
    sfRmp3 = 0x10,
    sfWave = 0x20,
    sfApeV2 = 0x40, // an APEv2 tag ends the file, or stands before Lyrics3 / ID3v1
};

// One entry of the frame index. The end marker FrameListEnd carries the
// totals in StartTime (TotalTime) and StartOffset (IndexedBytes), so a search
// along the chain that passes the last frame stops on the totals.
struct FrameRecord {
    FrameRecord *Next = nullptr;
    std::int32_t Index = 0;
    float Duration = 0.0f; // milliseconds
    std::int32_t Length = 0; // bytes, header included
    float StartTime = 0.0f; // milliseconds from the first frame
    std::int32_t StartOffset = 0; // bytes from FirstFrame
    FrameHeaderBytes Header{};
    std::uint32_t Reserved = 0;
    FrameRecord *Prev = nullptr;
};

// The audio file engine: one file at a time. The image is the file read on
// demand through a bounded window, with the engine's changes over it.
// Operations return 1 on success and 0 on failure, with the reason in
// ErrorCode (one of EngineError), which a later success never clears.
// Without a loaded image every analysis and header operation returns 0.
class TBinEdit {
public:
    TBinEdit();
    ~TBinEdit();
    TBinEdit(const TBinEdit &) = delete;
    TBinEdit &operator=(const TBinEdit &) = delete;

    // Opens the file exclusively and makes it Image. Nothing but what the
    // analysis asks for is read, through a descriptor the engine keeps
    // until ReleaseImage, the next load or its end; a file that shrinks
    // meanwhile fails the operation that reads it (ecFileChanged).
    std::int32_t LoadFile(const std::string &fileName);
    // The same from a file the caller opened exclusively (and still holds).
    std::int32_t LoadFile(const platform::ExclusiveFile &file, const std::string &fileName);
    // The same, with the file's first `head.size()` bytes already read by the
    // caller: they are not read again, and kept (moved in, not copied).
    std::int32_t LoadFile(const platform::ExclusiveFile &file, const std::string &fileName,
                          std::vector<std::uint8_t> head);
    // Replaces the file's content with Image. The original stays untouched
    // until the new content is complete on disk; a missing file is not made.
    // With `lastWrite`, the new content has that last-write time when it
    // becomes the file's. Over the file it was loaded from, only the
    // engine's own changes (Edits()) are written and the rest is copied from
    // the file, which must not have changed since; to any other file the
    // image is written whole (read into memory for it).
    std::int32_t SaveFile(const std::string &fileName, const timespec *lastWrite = nullptr);
    // How the last SaveFile went on disk, so that a caller can tell why one
    // failed: the failing step and its errno. Empty when the save wrote nothing.
    const platform::ReplaceResult &LastSaveResult() const { return m_lastSave; }
    // What the engine's operations changed since the load, as edits against
    // the bytes loaded: applied to them, they give Image.
    const platform::ByteEdits &Edits() const { return m_imageEdits.edits(); }
    // The file Image was loaded from and its identity then (invalid for an
    // image not loaded from a file): what Edits() were made against.
    const std::string &LoadedPath() const { return m_loadedPath; }
    const platform::FileIdentity &LoadedIdentity() const { return m_loadedIdentity; }
    void ReleaseImage();
    // How many bytes of the file the analysis reads at once, for this image
    // and those loaded after it (tests make it small to reach the windows'
    // edges with small files).
    void SetReadWindow(std::int64_t bytes);
    // Takes bytes that did not come from a file (tests, fuzzing).
    void LoadImage(const std::uint8_t *data, std::int64_t size);

    std::int32_t AnalyzeStructure();
    std::int32_t Analyze();
    std::int32_t FixRiffSizes(std::int32_t delta);

    bool HasVbrHeader() const { return (Structure & sfVbrHeader) != 0; }
    bool IsWave() const { return (Structure & sfWave) != 0; }
    bool IsRmp3() const { return (Structure & sfRmp3) != 0; }
    std::int32_t SetSeekRange(std::int32_t range);

    std::int32_t GetFrameLength(const FrameHeaderBytes &header);
    float GetFrameDuration(const FrameHeaderBytes &header);

    // The linked index of every frame. An add walks the frames once into
    // compact marks instead; FrameCount, TotalTime() and IndexedBytes() are
    // set either way.
    std::int32_t BuildFrameIndex();
    void FreeFrameIndex();
    std::int32_t MakeVbrHeader(MemoryStream &stream, std::int32_t &length);
    std::int32_t MakeToc(std::array<std::uint8_t, 100> &toc);
    static std::int32_t PutBigEndian32(std::int32_t value, std::uint8_t out[4]);

    std::int32_t AddVbrHeader();
    std::int32_t RemoveVbrHeader();
    // Makes the file right, as checkFile judges it: a missing header is
    // added (AddVbrHeader); a stale Xing or Info frame is rewritten in place,
    // with the same length, flags and quality, only the fields that describe
    // the stream changing (frames, bytes, TOC, and in the encoder's extension
    // the music length, music CRC and tag CRC; an "Info" frame on a stream
    // whose bitrates differ becomes "Xing", its extension's method
    // "unknown"); a stale VBRI frame is replaced by the header frame
    // AddVbrHeader builds; placeholder RIFF sizes get the true sizes. A right
    // file is left as it is. The result is read back: where it would not be
    // right, Image is left as it was and the fix fails.
    std::int32_t FixVbrHeader();

    // Bytes after the last whole frame in which the last walk found no frame
    // (trailing junk, a last frame cut short, an ID3v2 tag at the end).
    std::int64_t UnresyncedBytes() const { return m_unresyncedBytes; }

    float TotalTime() const { return FrameListEnd.StartTime; }
    std::int32_t IndexedBytes() const { return FrameListEnd.StartOffset; }

    std::unique_ptr<FileImage> Image;
    std::int32_t Structure = 0;
    std::int32_t FirstFrame = 0;
    std::int32_t AudioSize = 0;
    std::int32_t FrameCount = 0;
    FrameRecord FrameList;
    FrameRecord FrameListEnd;
    std::int32_t SeekRange = 3;
    std::int32_t ErrorCode = 0;
    FrameHeaderBytes FirstHeader{};

private:
    // AnalyzeStructure, handing back what the locator found.
    FileLayout analyzeLayout();
    bool frameSyncAt(std::int64_t offset) const;
    // True, with ErrorCode ecFileChanged, when a read of the loaded file came
    // up short: what the analysis found is not what the file holds.
    bool imageChanged();
    // Length of the header frame at FirstFrame: as its header says, or where
    // the next frame sync stands within SeekRange of that; 0 when none does.
    std::int32_t headerFrameExtent();
    std::int32_t keepRiffPadByte(std::int32_t delta);
    FrameRecord *newFrameRecord();
    // The one frame walk of an add: marks, totals and FrameCount, as
    // BuildFrameIndex sets them. With a header frame's extent, the frames
    // after the header frame at FirstFrame, as a fix describes them.
    std::int32_t markFrames(std::int32_t headerExtent = 0);
    // After markFrames: false (with the reason) where no header can describe
    // the stream, which has no audio bytes or too much junk between frames.
    bool walkedStreamIsWhole();
    // A header frame in `stream`, from FirstHeader (which it changes as
    // MakeVbrHeader says), with its tag and flags; `length` its length.
    std::int32_t startHeaderFrame(MemoryStream &stream, std::int32_t &length);
    // Its counts and TOC, from the last markFrames.
    void finishHeaderFrame(MemoryStream &stream, std::int32_t length) const;
    void markedToc(std::array<std::uint8_t, 100> &toc) const;
    // FixVbrHeader's two ways: the Xing or Info frame rewritten where it
    // stands, or a VBRI frame replaced by the frame an add builds.
    std::int32_t rewriteHeaderFrame(const FileCheck &check, std::int32_t extent);
    std::int32_t replaceHeaderFrame(std::int32_t extent);
    // The walk both share: the analysed image's frames handed to `maker`,
    // then the totals and FrameCount from its last frame.
    template <typename Maker>
    std::int32_t walkInto(Maker &maker);

    // Every change the engine makes to Image goes through these, so that
    // m_imageEdits follows it. False (Image untouched) where the stream says so.
    bool insertIntoImage(std::int64_t at, MemoryStream &bytes);
    bool deleteFromImage(std::int64_t at, std::int64_t count);
    void putImageU32le(std::int64_t at, std::uint32_t value);
    // `count` bytes of Image at `at` replaced by `bytes`.
    void rewriteImage(std::int64_t at, const std::uint8_t *bytes, std::int64_t count);
    ImageEdits m_imageEdits;

    // The frame records live in blocks, so that a file of many thousand
    // frames costs a few allocations instead of one per frame.
    std::vector<std::unique_ptr<FrameRecord[]>> m_recordBlocks;
    std::size_t m_recordsInLastBlock = 0;
    FrameMarks m_frameMarks;

    // Offset of the RIFF data chunk header ("data" and its size) found by the
    // last structure analysis of a RIFF file; -1 otherwise.
    std::int64_t m_dataChunkHeader = -1;
    // Which RIFF size fields the last structure analysis found to be
    // placeholders: a change writes the true size there instead of adding to it.
    bool m_riffSizePlaceholder = false;
    bool m_dataSizePlaceholder = false;
    std::int64_t m_trailingTagsStart = 0; // where the tags at the end begin (the image size without any)
    std::int64_t m_unresyncedBytes = 0;
    bool m_walkTooDamaged = false; // the last walk found too much junk between frames

    // Which file Image was read from, so that a save can tell whether another
    // program changed it in between.
    std::string m_loadedPath;
    platform::FileIdentity m_loadedIdentity;
    platform::ReplaceResult m_lastSave;
    std::int64_t m_readWindow = ByteSource::kDefaultReadWindow;
};

} // namespace brantlow
