#include "Binedit.h"

#include <memory>
#include <new>

namespace brantlow {

std::int32_t TBinEdit::AddVbrHeader()
{
    if (!Image) {
        ErrorCode = 44;
        return 0;
    }
    std::unique_ptr<MemoryStream> scratch;
    try {
        scratch = std::make_unique<MemoryStream>();
    } catch (const std::bad_alloc &) {
        ErrorCode = 43;
        return 0;
    }
    std::int32_t length = 0;
    if (!MakeVbrHeader(*scratch, length))
        return 0;
    if (!InsertStream(*Image, FirstFrame, *scratch)) {
        ErrorCode = 44;
        return 0;
    }
    // The flags as the frame index walk has just set them.
    if (IsWave() || IsRmp3())
        return FixRiffSizes(length);
    return 1;
}

std::int32_t TBinEdit::RemoveVbrHeader()
{
    if (!Image) {
        ErrorCode = 45;
        return 0;
    }
    const std::int64_t size = Image->Size();
    std::int32_t length = GetFrameLength(FirstHeader);
    if (length == 0)
        return 0;
    if (!frameSyncAt(std::int64_t(FirstFrame) + length)) {
        // The header frame may be a little longer or shorter than its header
        // says: look for the next frame nearby, the shorter candidate first.
        bool found = false;
        for (std::int32_t d = 1; d <= SeekRange && !found; ++d) {
            for (const std::int32_t candidate : {length - d, length + d}) {
                if (candidate <= 4 || candidate > size)
                    continue;
                if (frameSyncAt(std::int64_t(FirstFrame) + candidate)) {
                    length = candidate;
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            return 0;
    }
    if (!DeleteBytes(*Image, FirstFrame, length)) {
        ErrorCode = 45;
        return 0;
    }
    if (IsWave() || IsRmp3()) {
        if (!FixRiffSizes(-length)) {
            ErrorCode = 46;
            return 0;
        }
    }
    return 1;
}

} // namespace brantlow
