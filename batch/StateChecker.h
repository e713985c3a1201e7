// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "job/FileState.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

// Judges listed files one after another on a thread of its own, opening and
// reading each the way a rewrite does, and hands each verdict back through a
// queued signal. A run pauses it first: a file being checked is held open.
class StateChecker : public QObject {
    Q_OBJECT
public:
    explicit StateChecker(QObject *parent = nullptr);
    ~StateChecker() override;

    void enqueue(quint64 id, const QByteArray &path);
    // Forgets the files waiting; a check in progress still reports.
    void clear();
    // No check starts between pause and resume.
    void pause();
    void resume();
    // Returns once no check is in progress; from any thread but the checker's.
    void waitIdle();

signals:
    void checked(quint64 id, const brantlow::FileState &state);

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<quint64, QByteArray>> m_waiting;
    bool m_paused = false;
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_thread;
};
