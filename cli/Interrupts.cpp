#include "Interrupts.h"

#include "platform/SafeReplace.h"

#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace brantlow::cli {

namespace {

// SIGUSR2 only tells the watching thread that the run is over.
constexpr int kStopWatching = SIGUSR2;

sigset_t watchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, kStopWatching);
    return set;
}

} // namespace

InterruptWatch::InterruptWatch()
{
    const sigset_t set = watchedSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_thread = std::thread([this] { watch(); });
}

InterruptWatch::~InterruptWatch()
{
    ::pthread_kill(m_thread.native_handle(), kStopWatching);
    m_thread.join();
}

void InterruptWatch::watch()
{
    const sigset_t set = watchedSignals();
    for (;;) {
        int taken = 0;
        if (::sigwait(&set, &taken) != 0 || taken == kStopWatching)
            return;
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
