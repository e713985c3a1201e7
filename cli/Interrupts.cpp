// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interrupts.h"

#include "platform/SafeReplace.h"

#include <csignal>
#include <cstdint>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace brantlow::cli {

namespace {

sigset_t watchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    const sigset_t set = watchedSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_signals = ::signalfd(-1, &set, SFD_CLOEXEC);
    m_stop = ::eventfd(0, EFD_CLOEXEC);
    if (m_signals < 0 || m_stop < 0) { // the signals keep their default actions
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    m_thread = std::thread([this] { watch(); });
}

InterruptWatch::~InterruptWatch()
{
    // The end of the run is told through a descriptor of its own, not a
    // signal: no signal from outside can end the watch.
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(m_stop, &one, sizeof one);
        m_thread.join();
    }
    if (m_signals >= 0)
        ::close(m_signals);
    if (m_stop >= 0)
        ::close(m_stop);
}

void InterruptWatch::watch()
{
    for (;;) {
        pollfd ready[2] = {{m_stop, POLLIN, 0}, {m_signals, POLLIN, 0}};
        if (::poll(ready, 2, -1) < 0)
            continue;
        if (ready[0].revents != 0)
            return;
        signalfd_siginfo info{};
        if (::read(m_signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
            continue;
        const int taken = static_cast<int>(info.ssi_signo);
        int expected = 0;
        if (m_signal.compare_exchange_strong(expected, taken)) {
            static constexpr char kNote[] = "\nbrantlow-cli: interrupted; finishing the files in progress (again to stop at once)\n";
            [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
            continue;
        }
        // No flush of standard output: the main thread may hold it, blocked on a full pipe.
        static constexpr char kStop[] = "\nbrantlow-cli: stopped\n";
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, kStop, sizeof kStop - 1);
        platform::abandonReplacesAndExit(exitStatus(m_signal.load()));
    }
}

} // namespace brantlow::cli
