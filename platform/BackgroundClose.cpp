// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackgroundClose.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace brantlow::platform {

namespace {

struct Closer {
    std::mutex mutex;
    std::condition_variable handedOver;
    std::condition_variable idle;
    int fd = -1; // handed over and not yet closed: one at a time
    // The process whose thread closes. A child after a fork has no such
    // thread (and may have copied the lock held): it closes its own.
    std::atomic<pid_t> owner = 0;
    std::once_flag started;

    // Never destroyed: the process's exit waits for the thread (see
    // waitAtExit), and the thread never ends.
    static Closer &instance()
    {
        static Closer *closer = new Closer;
        return *closer;
    }

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            handedOver.wait(lock, [this] { return fd >= 0; });
            const int closing = fd; // stays set, so nothing else is handed over meanwhile
            lock.unlock();
            ::close(closing);
            lock.lock();
            fd = -1;
            idle.notify_all();
        }
    }

    // A process ends with its closes done, as it would have without the
    // thread: its last system calls and its exit stay where they were.
    static void waitAtExit()
    {
        Closer &closer = instance();
        if (closer.owner != ::getpid())
            return;
        std::unique_lock lock(closer.mutex);
        closer.idle.wait(lock, [&closer] { return closer.fd < 0; });
    }
};

} // namespace

void closeInBackground(int fd)
{
    if (fd < 0)
        return;
    Closer &closer = Closer::instance();
    std::call_once(closer.started, [&closer] {
        // The thread takes no signal: the programs read theirs elsewhere.
        sigset_t all, before;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &before);
        try {
            std::thread([&closer] { closer.run(); }).detach();
            closer.owner = ::getpid();
            std::atexit(Closer::waitAtExit);
        } catch (...) {
        }
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
    });
    if (closer.owner == ::getpid()) {
        // One at a time: while the thread closes one, the caller closes its
        // own, so that the closes of parallel workers stay parallel.
        std::lock_guard lock(closer.mutex);
        if (closer.fd < 0) {
            closer.fd = fd;
            closer.handedOver.notify_one();
            return;
        }
    }
    ::close(fd);
}

} // namespace brantlow::platform
