#include "ListRewrite.h"

#include "ReasonText.h"

#include "job/FileState.h"

#include <utility>

using namespace brantlow;

namespace {

FileReport finished(const RewriteResult &result, const std::string &state, std::atomic<int> *questions)
{
    if (result.ok())
        return {Outcome::Done, state, ""};
    // Fix leaves a right header, or a stream that needs none, as it is.
    if (result.step == RewriteStep::NothingToFix)
        return {Outcome::Unchanged, state, ""};
    return listFailure(rewriteFailureText(result).toStdString(), questions);
}

} // namespace

FileReport listFailure(const std::string &message, std::atomic<int> *questions)
{
    if (questions != nullptr)
        ++*questions;
    return {Outcome::Failed, "failed: " + message, message};
}

FileWork listRewriteWork(const RewriteOptions &options, std::atomic<int> *questions)
{
    return [options, questions](TBinEdit &engine, const BatchItem &item, const ReserveMore &reserveMore,
                                platform::ReplaceGroup &group) -> FileReport {
        OpenedFile opened;
        RewriteResult result = openForRewrite(engine, item.path, opened);
        if (!result.ok())
            return finished(result, {}, questions);
        if (options.mode != RewriteMode::Remove)
            reserveMore(frameIndexBytes(engine));
        if (options.mode == RewriteMode::Fix)
            reserveMore(item.bytes); // a stale header is rebuilt on a copy of the image
        if (const RewriteStep step = checkMode(opened, options.mode); step != RewriteStep::Done)
            return finished(RewriteResult{step, -1, 0, {}}, {}, questions);
        std::size_t entry = 0;
        result = stageRewrite(engine, opened, options, group, entry);
        // The image now holds what the file will hold once the group commits.
        std::string state = result.ok() || result.step == RewriteStep::NothingToFix ? stateText(stateOf(engine)) : "";
        if (!result.ok())
            return finished(result, state, questions);
        FileReport waiting;
        waiting.afterCommit = [&group, entry, staged = std::move(result), state = std::move(state), questions] {
            return finished(committedResult(group, entry, staged), state, questions);
        };
        return waiting;
    };
}
