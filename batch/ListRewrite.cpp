// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListRewrite.h"

#include "ReasonText.h"

#include <QCoreApplication>

#include <utility>

using namespace brantlow;

namespace {

// The words the runner gives a file whose work ran out of memory.
[[maybe_unused]] const char *const kNoMemory = QT_TRANSLATE_NOOP("State", "Not enough memory for this file.");

FileReport finished(const RewriteResult &result, const FileState &state, ListState &shown, std::atomic<int> *questions)
{
    shown.result = result;
    shown.state = state;
    if (result.ok())
        return {Outcome::Done, {}, ""};
    // Fix leaves a right header, or a stream that needs none, as it is.
    if (result.step == RewriteStep::NothingToFix)
        return {Outcome::Unchanged, {}, ""};
    return listFailure(rewriteFailureText(result).toStdString(), questions);
}

} // namespace

ListState &ListStates::of(const BatchItem &item)
{
    const auto place = &item - m_items.data();
    return place >= 0 && std::size_t(place) < m_items.size() ? m_states[std::size_t(place)] : m_states.back();
}

QString listStateText(const ListState &shown)
{
    const RewriteResult &result = shown.result;
    if (!shown.thrown.empty())
        return QCoreApplication::translate("State", "failed: %1")
            .arg(QCoreApplication::translate("State", shown.thrown.c_str()));
    if (!result.ok() && result.step != RewriteStep::NothingToFix)
        return QCoreApplication::translate("State", "failed: %1").arg(rewriteFailureText(result));
    const QString state = stateColumnText(shown.state);
    // A fixed file that lost its end needs a new copy more than a new header.
    if (result.truncated)
        return QCoreApplication::translate("State", "%1 (%2)").arg(state, rewriteReasonText(result));
    return state;
}

FileReport listFailure(const std::string &message, std::atomic<int> *questions)
{
    if (questions != nullptr)
        ++*questions;
    return {Outcome::Failed, {}, message};
}

FileWork listRewriteWork(const RewriteOptions &options, std::atomic<int> *questions, ListStates &states)
{
    return [options, questions, &states](TBinEdit &engine, const BatchItem &item,
                                         platform::ReplaceGroup &group) -> FileReport {
        ListState &shown = states.of(item);
        OpenedFile opened;
        RewriteResult result = openForRewrite(engine, item.path, opened);
        if (!result.ok())
            return finished(result, {}, shown, questions);
        if (const RewriteStep step = checkMode(opened, options.mode); step != RewriteStep::Done)
            return finished(RewriteResult{step, -1, 0, {}}, {}, shown, questions);
        std::size_t entry = 0;
        result = stageRewrite(engine, opened, options, group, entry);
        // The image now holds what the file will hold once the group commits.
        FileState state = result.ok() || result.step == RewriteStep::NothingToFix ? stateOf(engine) : FileState{};
        if (!result.ok())
            return finished(result, state, shown, questions);
        FileReport waiting;
        waiting.afterCommit = [&group, entry, staged = std::move(result), state = std::move(state), &shown, questions] {
            return finished(committedResult(group, entry, staged), state, shown, questions);
        };
        return waiting;
    };
}
