// SPDX-License-Identifier: GPL-3.0-or-later
#include "StateChecker.h"

#include <cerrno>
#include <new>

StateChecker::StateChecker(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<brantlow::FileState>();
}

StateChecker::~StateChecker()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void StateChecker::enqueue(quint64 id, const QByteArray &path)
{
    {
        std::lock_guard lock(m_mutex);
        m_waiting.emplace_back(id, path);
        // Started with the first file: a window that never lists one costs no thread.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { work(); });
    }
    m_changed.notify_all();
}

void StateChecker::clear()
{
    std::lock_guard lock(m_mutex);
    m_waiting.clear();
}

void StateChecker::pause()
{
    std::lock_guard lock(m_mutex);
    m_paused = true;
}

void StateChecker::resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_changed.notify_all();
}

void StateChecker::waitIdle()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
}

void StateChecker::work()
{
    brantlow::TBinEdit engine;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || (!m_paused && !m_waiting.empty()); });
        if (m_quit)
            return;
        const auto [id, path] = m_waiting.front();
        m_waiting.pop_front();
        m_busy = true;
        lock.unlock();
        brantlow::FileState state;
        try {
            state = brantlow::checkPath(engine, path.toStdString());
        } catch (const std::bad_alloc &) {
            engine.ReleaseImage();
            engine.FreeFrameIndex();
            state = {brantlow::HeaderVerdict::Unreadable, "Not enough memory for this file."};
            state.refused = {brantlow::RewriteStep::Load, -1, ENOMEM, state.reason};
        }
        emit checked(id, state);
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}
