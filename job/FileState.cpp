// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileState.h"

#include "FileDetails.h"
#include "RewriteJob.h"

#include <optional>

namespace brantlow {

FileState checkPath(TBinEdit &engine, const std::string &path)
{
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened);
    FileState state = result.ok() ? stateOf(engine) : FileState{HeaderVerdict::Unreadable, reasonText(result)};
    if (!result.ok())
        state.refused = result;
    engine.ReleaseImage();
    engine.FreeFrameIndex();
    return state;
}

FileState stateOf(const TBinEdit &engine)
{
    const std::optional<FileCheck> check = checkLoadedFile(engine);
    if (!check)
        return {HeaderVerdict::Unreadable, "no image loaded"};
    return stateOf(*check);
}

FileState stateOf(const FileCheck &check)
{
    FileState state{check.verdict, check.reason};
    state.staleCause = check.staleCause;
    state.headerFrames = check.header && check.header->frames ? *check.header->frames : 0;
    state.streamFrames = check.stream.audioFrames;
    state.headerBytes = check.header && check.header->bytes ? *check.header->bytes : 0;
    state.streamBytes = check.stream.streamBytes;
    state.riffSizes = check.layout.riffSizesArePlaceholders();
    state.errorCode = check.errorCode;
    return state;
}

} // namespace brantlow
