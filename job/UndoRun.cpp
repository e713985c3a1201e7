// SPDX-License-Identifier: GPL-3.0-or-later
#include "UndoRun.h"

#include "RunLock.h"

#include "platform/ExclusiveFile.h"
#include "platform/FileIdentity.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace brantlow {

namespace {

UndoResult failedWith(RewriteStep step, int error)
{
    return {{step, -1, error, std::strerror(error)}, false};
}

UndoResult changed(const char *how)
{
    return {{RewriteStep::Open, -1, 0, how}, true};
}

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the file holds `bytes` at `offset`, inside its first `length` bytes.
bool holds(const platform::ExclusiveFile &file, std::uint64_t length, std::uint64_t offset,
           const std::vector<std::uint8_t> &bytes, std::vector<std::uint8_t> &there)
{
    const std::uint64_t end = offset + bytes.size();
    there.resize(bytes.size());
    return end <= length && end >= offset
        && file.readAt(static_cast<std::int64_t>(offset), there.data(), static_cast<std::int64_t>(there.size()))
        && there == bytes;
}

// What differs between the file and the run's record of it, or null. Only
// the bytes each edit wrote are read, so that a file of any size is checked
// in little memory.
const char *differenceFrom(const UndoRecord &record, const platform::FileIdentity &now,
                           const platform::ExclusiveFile &file)
{
    if (now.device != record.device || now.inode != record.inode)
        return "changed since the run: it is another file now";
    if (static_cast<std::uint64_t>(now.size) != record.length)
        return "changed since the run: its length differs";
    if (!sameTime(now.lastWrite, record.lastWrite))
        return "changed since the run: its last-write time differs";
    std::vector<std::uint8_t> there;
    for (const LoggedEdit &edit : record.edits) {
        if (!holds(file, record.length, edit.undo.offset, edit.written, there))
            return "changed since the run: the bytes of its change differ";
    }
    return nullptr;
}

// Whether the file is as it was before the run: its old length and time,
// and the old bytes where the run changed it. A put back by rename gives
// the file a new identity, so that is not asked.
bool asBefore(const UndoRecord &record, const platform::FileIdentity &now, const platform::ExclusiveFile &file)
{
    const LoggedEdits back = reversed(record.edits);
    const std::uint64_t length = platform::editedSize(undoEdits(record.edits), record.length);
    if (static_cast<std::uint64_t>(now.size) != length || !sameTime(now.lastWrite, record.oldLastWrite))
        return false;
    std::vector<std::uint8_t> there;
    for (const LoggedEdit &edit : back) {
        if (!holds(file, length, edit.undo.offset, edit.written, there))
            return false;
    }
    return true;
}

} // namespace

UndoResult stageUndo(const UndoRecord &record, bool dryRun, UndoLog *log, platform::ReplaceGroup &group,
                     std::optional<std::size_t> &entry)
{
    entry.reset();
    if (log != nullptr && log->refuses())
        return {{RewriteStep::Save, -1, 0, "the undo log cannot be written"}, false};
    platform::ExclusiveFile file;
    if (!file.open(record.path, platform::FileAccess::Read))
        return failedWith(RewriteStep::Open, errno);
    const platform::FileIdentity now = platform::identityOf(file.fd());
    if (!now.valid())
        return failedWith(RewriteStep::Open, errno);
    const char *difference = differenceFrom(record, now, file);
    const bool already = difference != nullptr && asBefore(record, now, file);
    file.close(); // the replace takes the lock itself, and checks the identity again
    if (already) {
        UndoResult same;
        same.alreadyBack = true;
        return same;
    }
    if (difference != nullptr)
        return changed(difference);

    UndoResult done;
    if (dryRun) {
        if (const platform::ReplaceResult check = platform::checkReplaceable(record.path); !check.ok)
            return failedWith(RewriteStep::Save, check.error);
        return done;
    }
    if (log != nullptr) {
        done.result.undo = std::make_shared<PendingUndo>();
        done.result.undo->log = log;
        done.result.undo->record.path = record.path;
        done.result.undo->record.oldLastWrite = record.lastWrite;
        done.result.undo->record.edits = reversed(record.edits);
    }
    entry = group.add(record.path, undoEdits(record.edits), now, &record.oldLastWrite);
    return done;
}

UndoSummary undoRun(const std::string &id, unsigned jobs, const UndoControl &control)
{
    UndoSummary summary;
    RunInfo run;
    std::vector<UndoRecord> records;
    RunLock lock;
    if (!takeRun(id, lock, run, records, summary.error)) {
        summary.locked = lock.busy();
        return summary;
    }
    std::string logError;
    const std::unique_ptr<UndoLog> log = UndoLog::start("undo", logError);
    if (!log)
        summary.warning = "the undo log cannot be started (" + logError + "): this undo cannot be undone";
    std::vector<BatchItem> items;
    std::uint64_t largest = 0;
    for (const UndoRecord &record : records) {
        items.push_back({record.path, true, record.length, 0, 0});
        largest = std::max(largest, record.length);
    }
    const auto report = [](const std::string &path, const UndoResult &undone) -> FileReport {
        if (undone.alreadyBack)
            return {Outcome::Unchanged, "", ""};
        if (undone.result.ok())
            return {Outcome::Done, "", ""};
        return {Outcome::Failed, "",
                path + ": "
                    + (undone.changedSince ? "left alone: " + undone.result.reason : reasonText(undone.result))};
    };
    const FileWork work = [&](TBinEdit &, const BatchItem &item, platform::ReplaceGroup &group) {
        const UndoRecord &record = records[static_cast<std::size_t>(&item - items.data())];
        std::optional<std::size_t> entry;
        const UndoResult staged = stageUndo(record, false, log.get(), group, entry);
        if (!entry)
            return report(record.path, staged);
        FileReport waiting;
        waiting.afterCommit = [&group, at = *entry, staged, path = record.path, &report] {
            return report(path, {committedResult(group, at, staged.result), false});
        };
        return waiting;
    };
    std::size_t reported = 0;
    BatchReporting reporting;
    reporting.report = [&summary, &reported](std::size_t, FileReport &&done) {
        ++reported;
        if (done.outcome == Outcome::Done)
            ++summary.putBack;
        else if (done.outcome == Outcome::Unchanged)
            ++summary.alreadyBack;
        else
            summary.notPutBack.push_back(done.err);
    };
    if (control.progress)
        reporting.progress = [&control, total = items.size()](std::size_t finished) {
            control.progress(finished, total);
        };
    if (log)
        reporting.beforeReports = [&log] { log->flush(); };
    BatchOptions options;
    options.jobs = jobs;
    options.memoryBudget = defaultMemoryBudget(largest);
    options.stop = control.stop;
    const BatchCounts counts = runBatch(items, options, work, reporting);
    // Files are started in their order: those never reached are the last.
    for (std::size_t i = reported; i < records.size(); ++i)
        summary.notReached.push_back(records[i].path);
    if (log) {
        log->finish(counts.unchanged, counts.failed);
        if (std::string warning = log->takeWarning(); !warning.empty())
            summary.warning = std::move(warning);
    }
    return summary;
}

} // namespace brantlow
