// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackgroundRun.h"

#include "ListRewrite.h"

#include <utility>

BackgroundRun::BackgroundRun(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<brantlow::FileReport>();
    qRegisterMetaType<brantlow::BatchCounts>();
    qRegisterMetaType<ListState>();
}

BackgroundRun::~BackgroundRun()
{
    stop();
    m_questions = 0;
    join();
}

void BackgroundRun::start(std::vector<brantlow::BatchItem> items, brantlow::BatchOptions options,
                          const brantlow::RewriteOptions &rewrite, bool askOnFailure, std::function<void()> first)
{
    join();
    m_stop = 0;
    m_questions = 0;
    options.stop = &m_stop;
    options.hold = &m_questions;
    // Failures raise the hold only when someone is going to lower it.
    std::atomic<int> *questions = askOnFailure ? &m_questions : nullptr;
    m_undoLog = rewrite.undoLog;
    m_thread = std::thread([this, items = std::move(items), options, rewrite, questions, first = std::move(first)] {
        if (first)
            first();
        ListStates states(items);
        const brantlow::FileWork work = listRewriteWork(rewrite, questions, states);
        brantlow::BatchReporting reporting;
        reporting.report = [this, &states](std::size_t index, brantlow::FileReport &&report) {
            emit fileReported(qsizetype(index), report, states.at(index));
        };
        if (brantlow::UndoLog *log = m_undoLog)
            reporting.beforeReports = [log] { log->flush(); };
        reporting.thrown = [questions, &states](const brantlow::BatchItem &item, const std::string &what) {
            states.of(item).thrown = what;
            return listFailure(what, questions);
        };
        const brantlow::BatchCounts counts = brantlow::runBatch(items, options, work, reporting);
        emit finished(counts);
    });
}

void BackgroundRun::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
