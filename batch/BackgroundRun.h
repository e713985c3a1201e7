// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ListRewrite.h"

#include "job/BatchRunner.h"
#include "job/RewriteJob.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

// One batch run on a thread of its own, through the runner the command line
// uses; each file's report reaches the window, in the order of the items,
// through a queued signal.
class BackgroundRun : public QObject {
    Q_OBJECT
public:
    explicit BackgroundRun(QObject *parent = nullptr);
    ~BackgroundRun() override;

    // Starts the run; `first` runs on the run's thread before any file.
    // With `askOnFailure`, each failure holds the run until answered.
    void start(std::vector<brantlow::BatchItem> items, brantlow::BatchOptions options,
               const brantlow::RewriteOptions &rewrite, bool askOnFailure, std::function<void()> first);
    // No file starts after this; files in flight finish.
    void stop() { m_stop = 1; }
    bool stopping() const { return m_stop.load() != 0; }
    // A question to the user about a failed file is answered: files may
    // start again once every one is.
    void answered() { --m_questions; }
    // Waits for the run's thread to end (after `finished` was emitted).
    void join();

signals:
    void fileReported(qsizetype index, const brantlow::FileReport &report, const ListState &state);
    void finished(const brantlow::BatchCounts &counts);

private:
    std::atomic<int> m_stop{0};
    std::atomic<int> m_questions{0};
    brantlow::UndoLog *m_undoLog = nullptr; // the run's log, flushed before each report
    std::thread m_thread;
};
