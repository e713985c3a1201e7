// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <thread>

namespace brantlow::cli {

// SIGINT, SIGTERM and SIGHUP during a run. The first one only sets a flag:
// no new file is started, files in flight finish. A second one stops at once,
// after removing every temporary file a replace has in a folder. Signals are
// taken by one thread of their own, so nothing runs in a signal handler.
// Make it before any other thread: the signals are blocked in every thread
// started afterwards.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // The first signal taken, or 0.
    int signal() const { return m_signal.load(); }
    const std::atomic<int> &flag() const { return m_signal; }

    // The exit status for a run stopped by `signal`: 128 plus its number.
    static int exitStatus(int signal) { return 128 + signal; }

private:
    void watch();

    std::atomic<int> m_signal{0};
    int m_signals = -1; // signalfd of the watched signals
    int m_stop = -1; // eventfd: the run is over
    std::thread m_thread;
};

} // namespace brantlow::cli
