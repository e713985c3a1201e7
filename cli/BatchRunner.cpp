#include "BatchRunner.h"

#include "ProgressBar.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

namespace brantlow::cli {

namespace {

FileReport runOne(TBinEdit &engine, const std::string &path, const FileWork &work)
{
    FileReport report;
    try {
        report = work(engine, path);
    } catch (const std::bad_alloc &) {
        report = {Outcome::Failed, path + ": Not enough memory for this file.\n"};
    } catch (const std::exception &e) {
        report = {Outcome::Failed, path + ": " + e.what() + "\n"};
    }
    // An idle worker holds no image.
    engine.ReleaseImage();
    engine.FreeFrameIndex();
    return report;
}

} // namespace

BatchCounts runBatch(const std::vector<std::string> &files, unsigned jobs, const FileWork &work, bool showProgress)
{
    const std::size_t total = files.size();
    std::vector<std::optional<FileReport>> reports(total);
    std::mutex mutex;
    std::condition_variable finishedOne;
    std::size_t finished = 0;
    std::atomic<std::size_t> next{0};

    auto worker = [&] {
        TBinEdit engine;
        for (std::size_t i = next++; i < total; i = next++) {
            FileReport report = runOne(engine, files[i], work);
            {
                std::lock_guard lock(mutex);
                reports[i] = std::move(report);
                ++finished;
            }
            finishedOne.notify_one();
        }
    };

    const std::size_t workerCount = std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(total, 1));
    std::vector<std::jthread> workers;
    workers.reserve(workerCount);
    for (std::size_t i = 0; i < workerCount; ++i) {
        try {
            workers.emplace_back(worker);
        } catch (const std::system_error &) {
            if (workers.empty())
                throw;
            break; // the system gives no more threads: go on with those there are
        }
    }

    ProgressBar progress(showProgress, total);
    BatchCounts counts;
    std::size_t printed = 0;
    std::size_t drawnFinished = 0;
    progress.draw(0);
    while (printed < total) {
        std::vector<FileReport> ready;
        std::size_t finishedNow = 0;
        {
            std::unique_lock lock(mutex);
            finishedOne.wait(lock, [&] { return finished != drawnFinished; });
            finishedNow = finished;
            for (std::size_t i = printed; i < total && reports[i]; ++i) {
                ready.push_back(std::move(*reports[i]));
                reports[i].reset();
            }
        }
        if (!ready.empty()) {
            for (const FileReport &report : ready) {
                if (!report.text.empty()) {
                    progress.clear();
                    std::fputs(report.text.c_str(), stdout);
                }
                switch (report.outcome) {
                case Outcome::Done: ++counts.done; break;
                case Outcome::Unchanged: ++counts.unchanged; break;
                case Outcome::Failed: ++counts.failed; break;
                }
            }
            std::fflush(stdout);
            printed += ready.size();
        }
        drawnFinished = finishedNow;
        progress.draw(finishedNow);
    }
    progress.clear();
    return counts;
}

} // namespace brantlow::cli
