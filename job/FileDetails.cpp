// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileDetails.h"

namespace brantlow {

std::optional<FileCheck> checkLoadedFile(const TBinEdit &engine)
{
    if (!engine.Image)
        return std::nullopt;
    // The music CRC is left out: it reads every audio byte, and the verdict
    // does not depend on it.
    return checkFile(*engine.Image);
}

} // namespace brantlow
