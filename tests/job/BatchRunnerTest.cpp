// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/BatchRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

namespace brantlow {
namespace {

// The runner as both the command line and the batch window use it: reports
// in the order of the items whatever order the files finish in; a hold that
// a file's work raises keeps every other file from starting until it is
// lowered; a stop leaves the files not started unreached.
TEST(BatchRunnerTest, OrderHoldAndStop)
{
    struct Case {
        const char *name;
        unsigned jobs;
        std::size_t items;
        int holdAt; // the file whose work raises the hold, lowered at its report; -1: none
        bool stopThere; // the run is stopped at that report too
        std::size_t done;
    };
    const Case cases[] = {
        {"later files finish first", 4, 40, -1, false, 40},
        {"held until answered", 1, 10, 0, false, 10},
        {"held, then stopped", 1, 10, 2, true, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BatchItem> items(c.items);
        for (std::size_t i = 0; i < items.size(); ++i)
            items[i].path = std::to_string(i);
        std::atomic<int> stop{0}, hold{0};
        std::atomic<std::size_t> started{0};
        BatchOptions options;
        options.jobs = c.jobs;
        options.stop = &stop;
        options.hold = &hold;
        const FileWork work = [&](TBinEdit &, const BatchItem &item, platform::ReplaceGroup &) {
            ++started;
            const std::size_t index = std::stoul(item.path);
            std::this_thread::sleep_for(std::chrono::microseconds((c.items - index) * 200));
            if (int(index) == c.holdAt)
                ++hold;
            return FileReport{Outcome::Done, item.path, ""};
        };
        std::vector<std::string> reported;
        std::size_t startedAtHeldReport = 0;
        BatchReporting reporting;
        reporting.report = [&](std::size_t index, FileReport &&report) {
            EXPECT_EQ(report.out, std::to_string(index));
            reported.push_back(report.out);
            if (int(index) != c.holdAt)
                return;
            startedAtHeldReport = started.load();
            if (c.stopThere)
                stop = 1;
            --hold;
        };
        const BatchCounts counts = runBatch(items, options, work, reporting);

        EXPECT_EQ(counts.done, c.done);
        EXPECT_EQ(counts.notReached, c.items - c.done);
        ASSERT_EQ(reported.size(), c.done);
        for (std::size_t i = 0; i < reported.size(); ++i)
            EXPECT_EQ(reported[i], std::to_string(i));
        if (c.holdAt >= 0) {
            EXPECT_EQ(startedAtHeldReport, std::size_t(c.holdAt) + 1);
        }
    }
}

} // namespace
} // namespace brantlow
