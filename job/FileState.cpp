#include "FileState.h"

#include "FileDetails.h"
#include "RewriteJob.h"

#include <optional>

namespace brantlow {

FileState checkPath(TBinEdit &engine, const std::string &path)
{
    OpenedFile opened;
    const RewriteResult result = openForRewrite(engine, path, opened);
    const FileState state = result.ok() ? stateOf(engine) : FileState{HeaderVerdict::Unreadable, reasonText(result)};
    engine.ReleaseImage();
    engine.FreeFrameIndex();
    return state;
}

FileState stateOf(const TBinEdit &engine)
{
    const std::optional<FileCheck> check = checkLoadedFile(engine);
    if (!check)
        return {HeaderVerdict::Unreadable, "no image loaded"};
    return {check->verdict, check->reason};
}

std::string stateText(const FileState &state)
{
    const std::string name = verdictName(state.verdict);
    if (state.reason.empty())
        return name;
    if (state.verdict == HeaderVerdict::Unreadable)
        return name + ": " + state.reason;
    return name + " (" + state.reason + ")";
}

} // namespace brantlow
