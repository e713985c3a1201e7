// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchRunner.h"

#include "engine/FrameMarks.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace brantlow {

namespace {

FileReport thrownReport(const BatchReporting &reporting, const BatchItem &item, const std::string &what)
{
    if (reporting.thrown)
        return reporting.thrown(item, what);
    return {Outcome::Failed, "", what};
}

FileReport runOne(TBinEdit &engine, const BatchItem &item, const FileWork &work, platform::ReplaceGroup &group,
                  const BatchReporting &reporting)
{
    FileReport report;
    try {
        report = work(engine, item, group);
    } catch (const std::bad_alloc &) {
        report = thrownReport(reporting, item, "Not enough memory for this file.");
    } catch (const std::exception &e) {
        report = thrownReport(reporting, item, e.what());
    }
    // An idle worker holds no image.
    engine.ReleaseImage();
    engine.FreeFrameIndex();
    return report;
}

// The report of a file whose save waited for its group's commit.
FileReport reportAfterCommit(const BatchItem &item, const FileReport &waiting, const BatchReporting &reporting)
{
    try {
        return waiting.afterCommit();
    } catch (const std::exception &e) {
        // The commit has ended; only its words are missing.
        return thrownReport(reporting, item, e.what());
    }
}

// How often waiting threads look at the stop flag, which a signal sets
// without telling them.
constexpr auto kStopPoll = std::chrono::milliseconds(50);

// Files a worker's group may hold: the descriptors they keep open, for all
// workers, must leave room below the process's limit for what else is open.
std::size_t groupFilesFor(std::size_t workers)
{
    constexpr rlim_t kOtherDescriptors = platform::ReplaceGroup::kDescriptorsBesideGroups;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1;
    // Ask for what the groups need, as far as the hard limit allows.
    const rlim_t wanted =
        kOtherDescriptors + workers * platform::ReplaceGroup::kMaxFiles * platform::ReplaceGroup::kDescriptorsPerFile;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted)
        return platform::ReplaceGroup::kMaxFiles;
    if (limit.rlim_cur <= kOtherDescriptors)
        return 1;
    return std::max<std::size_t>(
        1, (limit.rlim_cur - kOtherDescriptors) / (workers * platform::ReplaceGroup::kDescriptorsPerFile));
}

// How long a file's report may wait for its group's commit: longer only
// while the file in hand is still being worked on.
constexpr auto kGroupDelay = std::chrono::milliseconds(100);

} // namespace

std::uint64_t heldWhileWorked(std::uint64_t fileBytes)
{
    // The engine reads a file through windows of a MiB or so (a few readers,
    // and a head of up to 4 MiB read whole), and keeps a mark per frame: at
    // most one per 24 bytes, the shortest frame there is.
    constexpr std::uint64_t kWindows = 8ull << 20;
    constexpr std::uint64_t kShortestFrame = 24;
    return kWindows + FrameMarks::bytesFor(fileBytes / kShortestFrame);
}

BatchCounts runBatch(const std::vector<BatchItem> &items, const BatchOptions &options, const FileWork &work,
                     const BatchReporting &reporting)
{
    const std::size_t total = items.size();
    std::vector<std::optional<FileReport>> reports(total);
    std::mutex mutex;
    // Reports finished (the caller's thread waits on it) and room made in the
    // budget (workers wait on it): apart, so that neither wakes the other's
    // waiters for nothing.
    std::condition_variable changed;
    std::condition_variable roomMade;
    std::size_t finished = 0;
    std::size_t started = 0; // items [0, started) were started, in order
    std::uint64_t bytesInFlight = 0;
    std::vector<std::uint64_t> reserved(total, 0);
    std::size_t workersRunning = 0;
    auto stopping = [&] { return options.stop != nullptr && options.stop->load() != 0; };
    auto holding = [&] { return options.hold != nullptr && options.hold->load() != 0; };

    // The next item to start, once the budget has room for it and the run is
    // not held; none when the list is done or the run is stopping, or,
    // without `wait`, when it cannot start now.
    auto admit = [&](std::unique_lock<std::mutex> &lock, bool wait) -> std::optional<std::size_t> {
        for (;;) {
            if (started >= total || stopping())
                return std::nullopt;
            const std::uint64_t bytes = heldWhileWorked(items[started].bytes);
            const bool fits = !holding()
                && (options.memoryBudget == 0 || bytesInFlight == 0
                    || (bytesInFlight <= options.memoryBudget && bytes <= options.memoryBudget - bytesInFlight));
            if (fits) {
                bytesInFlight += bytes;
                reserved[started] = bytes;
                return started++;
            }
            if (!wait)
                return std::nullopt;
            roomMade.wait_for(lock, kStopPoll);
        }
    };

    const std::size_t workerCount = std::clamp<std::size_t>(options.jobs, 1, std::max<std::size_t>(total, 1));
    const std::size_t groupFiles = groupFilesFor(workerCount);
    auto worker = [&] {
        TBinEdit engine;
        platform::ReplaceGroup group(groupFiles);
        // Files whose new content waits in the group, with their reports to be.
        std::vector<std::pair<std::size_t, FileReport>> waiting;
        std::chrono::steady_clock::time_point firstWaiting;
        auto commitGroup = [&] {
            group.commit();
            for (auto &[index, report] : waiting)
                report = reportAfterCommit(items[index], report, reporting);
            group.clear();
            std::lock_guard lock(mutex);
            for (auto &[index, report] : waiting) {
                reports[index] = std::move(report);
                ++finished;
            }
            waiting.clear();
            changed.notify_all();
        };
        std::unique_lock lock(mutex);
        for (;;) {
            // A worker with files waiting in its group commits them rather
            // than wait for the budget, and at the end.
            const std::optional<std::size_t> index = admit(lock, waiting.empty());
            if (!index) {
                if (waiting.empty())
                    break;
                lock.unlock();
                commitGroup();
                lock.lock();
                continue;
            }
            lock.unlock();
            FileReport report = runOne(engine, items[*index], work, group, reporting);
            const bool waits = static_cast<bool>(report.afterCommit);
            if (waits) {
                if (waiting.empty())
                    firstWaiting = std::chrono::steady_clock::now();
                waiting.emplace_back(*index, std::move(report));
            }
            lock.lock();
            // The image is gone either way: its budget is free.
            bytesInFlight -= reserved[*index];
            if (!waits) {
                reports[*index] = std::move(report);
                ++finished;
                changed.notify_all();
            }
            roomMade.notify_all();
            if (group.full() || (!waiting.empty() && std::chrono::steady_clock::now() - firstWaiting >= kGroupDelay)) {
                lock.unlock();
                commitGroup();
                lock.lock();
            }
        }
        --workersRunning;
        changed.notify_all();
        roomMade.notify_all();
    };

    std::vector<std::jthread> workers;
    workers.reserve(workerCount);
    for (std::size_t i = 0; i < workerCount; ++i) {
        try {
            {
                std::lock_guard lock(mutex);
                ++workersRunning;
            }
            workers.emplace_back(worker);
        } catch (const std::system_error &) {
            {
                std::lock_guard lock(mutex);
                --workersRunning;
            }
            if (workers.empty())
                throw;
            break; // the system gives no more threads: go on with those there are
        }
    }

    BatchCounts counts;
    std::size_t handedOver = 0;
    std::size_t shownFinished = 0;
    if (reporting.progress)
        reporting.progress(0);
    for (;;) {
        std::vector<FileReport> ready;
        std::size_t finishedNow = 0;
        bool over = false;
        {
            std::unique_lock lock(mutex);
            changed.wait_for(lock, kStopPoll, [&] { return finished != shownFinished || workersRunning == 0; });
            finishedNow = finished;
            for (std::size_t i = handedOver; i < total && reports[i]; ++i) {
                ready.push_back(std::move(*reports[i]));
                reports[i].reset();
            }
            over = workersRunning == 0 && handedOver + ready.size() == started;
            if (over)
                counts.notReached = total - started;
        }
        if (!ready.empty() && reporting.beforeReports)
            reporting.beforeReports();
        for (FileReport &report : ready) {
            switch (report.outcome) {
            case Outcome::Done:
                ++counts.done;
                break;
            case Outcome::Unchanged:
                ++counts.unchanged;
                break;
            case Outcome::Skipped:
                ++counts.skipped;
                break;
            case Outcome::Failed:
                ++counts.failed;
                break;
            }
            if (reporting.report)
                reporting.report(handedOver, std::move(report));
            ++handedOver;
        }
        if (over)
            break;
        if (finishedNow != shownFinished) {
            shownFinished = finishedNow;
            if (reporting.progress)
                reporting.progress(finishedNow);
        }
    }
    return counts;
}

std::uint64_t regularFileBytes(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
}

std::uint64_t defaultMemoryBudget(std::uint64_t largestFile)
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    const std::uint64_t quarter =
        pages <= 0 || pageSize <= 0 ? 0 : static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4;
    return std::max(heldWhileWorked(largestFile), quarter);
}

unsigned defaultJobs()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace brantlow
