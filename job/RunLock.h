// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UndoLog.h"

#include <string>
#include <vector>

namespace brantlow {

// An exclusive lock on a run's log, held by the run while it writes the log
// and by an undo of the run while it puts the files back: two undos of one
// run, in two processes or two windows, never race, and a run still going
// on is never undone. Released when the object goes (or the process ends).
class RunLock {
public:
    RunLock() = default;
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

    // Locks the log at `path` without waiting; false with errno set
    // (EWOULDBLOCK: someone else holds it).
    bool take(const std::string &path);
    bool held() const { return m_fd >= 0; }
    // The last take found the lock held by someone else.
    bool busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};

// readRun, with the run's lock taken first: false with the reason in
// `error` when the run cannot be read, or when its run or another undo of
// it holds the lock.
bool takeRun(const std::string &id, RunLock &lock, RunInfo &info, std::vector<UndoRecord> &records, std::string &error);

} // namespace brantlow
