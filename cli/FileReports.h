// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "job/BatchRunner.h"
#include "Settings.h"

#include "engine/Binedit.h"
#include "engine/FileCheck.h"
#include "job/RewriteJob.h"
#include "platform/SafeReplace.h"

#include <array>
#include <atomic>
#include <cstddef>

namespace brantlow::cli {

// What each command reports on one file, as the batch run prints it.

// `add`, `remove` and `fix`: the file rewritten (its new content staged in
// `group`, reported once the group commits), or in a dry run the rewrite
// made in memory and the save only checked.
FileReport rewriteReport(TBinEdit &engine, const BatchItem &item, platform::ReplaceGroup &group, RewriteMode mode,
                         const Settings &settings);

// `info`: the file described.
FileReport infoReport(TBinEdit &engine, const BatchItem &item, const Settings &settings);

// Files found per verdict by `check`.
struct VerdictCounts {
    std::array<std::atomic<std::size_t>, 5> byVerdict{};
    void add(HeaderVerdict verdict) { ++byVerdict[static_cast<std::size_t>(verdict)]; }
    std::size_t of(HeaderVerdict verdict) const { return byVerdict[static_cast<std::size_t>(verdict)].load(); }
};

// `check`: reads and judges; writes nothing. Right and not needed count as
// done, everything else as failed, so that the exit status tells.
FileReport checkReport(TBinEdit &engine, const BatchItem &item, const Settings &settings, VerdictCounts &counts);

} // namespace brantlow::cli
