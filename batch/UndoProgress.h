// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "job/UndoRun.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <thread>

class QProgressDialog;
class QWidget;

// The desktop program's undo of the last run: on a thread of its own, so
// that the window that started it goes on answering, with a small window
// beside it that shows how far it is and stops it (files not reached are
// left as they are; those in flight finish), then the summary of what it
// did. The undo holds the run's lock: a second undo of it is refused.
class UndoProgress : public QObject {
    Q_OBJECT
public:
    // `window`: the window whose entry started it; the progress window and
    // the summary open over it.
    explicit UndoProgress(QWidget *window);
    // Stops the undo and waits for the files in flight.
    ~UndoProgress() override;

    // Starts the undo with up to `jobs` files at once, once the event loop
    // turns; `first` runs on the undo's thread before anything else.
    void start(unsigned jobs, std::function<void()> first = {});
    // No file starts after this.
    void stop();
    bool running() const { return m_running; }
    QProgressDialog *progressWindow() const { return m_progress; }

signals:
    // The undo has ended and its summary was shown.
    void finished();

private:
    void launch(unsigned jobs, std::function<void()> first);
    void progressed(qsizetype finished, qsizetype total);
    void ended();
    QString summaryText() const;

    QPointer<QWidget> m_window;
    QProgressDialog *m_progress;
    std::atomic<int> m_stop{0};
    std::thread m_thread;
    brantlow::UndoSummary m_summary; // written by the thread, read once it ended
    bool m_running = false;
};
