// SPDX-License-Identifier: GPL-3.0-or-later
#include "RewriteJobCount.h"

#include "platform/SafeReplace.h"

#include <algorithm>
#include <sys/resource.h>
#include <thread>

namespace brantlow {

unsigned defaultRewriteJobs()
{
    constexpr unsigned kLeast = 8;
    constexpr rlim_t kGroupFiles = 8;
    constexpr rlim_t kOtherDescriptors = platform::ReplaceGroup::kDescriptorsBesideGroups;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    unsigned jobs = std::max(kLeast, 2 * cores);
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_max != RLIM_INFINITY) {
        const rlim_t perJob = kGroupFiles * platform::ReplaceGroup::kDescriptorsPerFile;
        const rlim_t fit = limit.rlim_max > kOtherDescriptors ? (limit.rlim_max - kOtherDescriptors) / perJob : 1;
        jobs = static_cast<unsigned>(std::clamp<rlim_t>(fit, 1, jobs));
    }
    return jobs;
}

} // namespace brantlow
