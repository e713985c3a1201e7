// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the safe replace, not part of the platform's interface: the
// temporary names a replace makes in a folder, and what a process that must
// stop at once needs to know of them (abandonReplacesAndExit).

#include <string>
#include <string_view>
#include <utility>

namespace brantlow::platform::detail {

// Marks an in-place rewrite under way: a stop at once waits for its end, and
// none starts once the process is stopping.
class InPlaceSection {
public:
    InPlaceSection();
    ~InPlaceSection();
    InPlaceSection(const InPlaceSection &) = delete;
    InPlaceSection &operator=(const InPlaceSection &) = delete;
};

// The id of this run (process) that its temporary names carry:
// "<pid>-<start time>".
std::string runId();

// Records the folder `dirFd` in this run's ledger, once per folder and before
// the first temporary name is made there, so that a later run can prove the
// names this one leaves if it is killed. A ledger that cannot be written
// leaves such names to be reported instead of removed.
void recordTempFolder(int dirFd);

// Drops this run's ledger: it ends with no temporary name left.
void dropLedger();

// Whether `name` has the form of a temporary name, and the run id it
// carries ("" for one of an older form without).
bool tempNameRunId(std::string_view name, std::string &id);

// Removes a temporary name from the folder unless the rename consumed it.
class TempNameGuard {
public:
    explicit TempNameGuard(int dirFd) : m_dirFd(dirFd) {}
    ~TempNameGuard();
    TempNameGuard(const TempNameGuard &) = delete;
    TempNameGuard &operator=(const TempNameGuard &) = delete;
    // The name is registered already (by linkAnonymous or createNamedTemp).
    void hold(std::string name) { m_name = std::move(name); }
    // The rename consumed the name.
    void release();
    int dirFd() const { return m_dirFd; }
    const std::string &name() const { return m_name; }

private:
    int m_dirFd;
    std::string m_name;
};

// The hidden name of a file of the tool's own beside the file `name`:
// ".<name><marker>", the name shortened when too long for the folder.
std::string hiddenName(std::string_view name, std::string_view marker);

// Links an anonymous O_TMPFILE file into the folder under the temporary name
// of the file `name`, which `tempName` then holds. The folder must be in
// this run's ledger first (recordTempFolder), as for createNamedTemp.
bool linkAnonymous(int tempFd, int dirFd, std::string_view name, TempNameGuard &tempName);

// Creates the temporary file of the file `name` by its name, for file
// systems without O_TMPFILE; -1 and errno on failure.
int createNamedTemp(int dirFd, std::string_view name, TempNameGuard &tempName);

} // namespace brantlow::platform::detail
