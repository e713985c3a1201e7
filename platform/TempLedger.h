// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace brantlow::platform {

// A temporary name a killed run left behind, and what became of it.
struct Leftover {
    std::string path;
    bool removed = false; // else `reason` says why it was left as it is
    std::string reason;
};

// Removes the temporary names that runs no longer running left in the
// folders they wrote to, as the ledger in the state folder names them
// (before a run makes its first temporary name in a folder, it records the
// folder there). A name is removed only when it is provably such a run's: the
// exact name a replace makes, carrying that run's id, in the very folder the
// run recorded, a regular file of this user with no other link. A name that
// merely looks like one (another run's id, no record, a link, another
// owner, a folder replaced since) is reported and left as it is; one of a run
// still running is no leftover and is passed over. The records of those runs
// then go. Call it at the start of every writing run.
std::vector<Leftover> removeLeftovers();

} // namespace brantlow::platform
