// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "job/BatchRunner.h"
#include "job/FileState.h"
#include "job/RewriteJob.h"

#include <QString>

#include <atomic>
#include <string>
#include <vector>

// The batch window's work on one file of a run, done on a worker of the
// shared runner: the rewrite the command line does, reported for the list.
// A failure's `err` is the error dialog's message: the step's text and why.

// What the State column shows of a file a run reached, as codes and counts;
// the window words it in the user's language (listStateText).
struct ListState {
    brantlow::RewriteResult result; // the rewrite's: done, nothing to fix, or why it failed
    brantlow::FileState state; // the file's state once rewritten or left, when the rewrite got that far
    std::string thrown; // the words of a failure the work threw
};

// A slot per item of a run, which each file's work fills in: the runner
// hands the work the run's items by reference, so an item's place names its
// slot. The runner's lock hands a slot over with the file's report.
class ListStates {
public:
    explicit ListStates(const std::vector<brantlow::BatchItem> &items) : m_items(items), m_states(items.size() + 1) {}
    ListState &of(const brantlow::BatchItem &item);
    const ListState &at(std::size_t index) const { return m_states.at(index); }

private:
    const std::vector<brantlow::BatchItem> &m_items;
    std::vector<ListState> m_states; // the last one takes what no item names
};

// "right", "failed: " and the reason, ..., in the user's language.
QString listStateText(const ListState &state);

// Each failure raises `questions` (when given) before its worker takes
// another file: the run's hold, which the window lowers once it has asked.
brantlow::FileWork listRewriteWork(const brantlow::RewriteOptions &options, std::atomic<int> *questions,
                                   ListStates &states);

// The report of a file that failed with `message`.
brantlow::FileReport listFailure(const std::string &message, std::atomic<int> *questions);
