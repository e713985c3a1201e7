// SPDX-License-Identifier: GPL-3.0-or-later
#include "RewriteJob.h"

#include "engine/FileCheck.h"
#include "engine/FileProbe.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileIdentity.h"
#include "platform/OwnedFd.h"
#include "platform/ReadAll.h"
#include "platform/SafeReplace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brantlow {

namespace {

// The engine never clears ErrorCode, and a few of its failures set none, so
// each step starts from this mark: a code still equal to it after a failure
// means the step gave no number, and an old file's number is never reported.
constexpr std::int32_t kNoCode = -1;

// With the engine's number, the reason in its words: the same text for the
// same cause, whichever command met it.
RewriteResult failed(RewriteStep step, std::int32_t errorCode = kNoCode)
{
    return {step, errorCode, 0, errorCode >= 0 ? errorCodeText(errorCode) : std::string()};
}

// An engine rewrite that failed. The one failure it gives no number for: no
// frame follows the header frame within the seek range (remove, fix).
RewriteResult rewriteFailed(std::int32_t errorCode)
{
    RewriteResult result = failed(RewriteStep::Rewrite, errorCode);
    if (errorCode == kNoCode) {
        result.reason = "no frame follows the header frame within the seek range";
        result.reasonCode = ReasonCode::NoFrameAfterHeader;
    }
    return result;
}

// The system's words for an errno, with the kind of file where an open
// refused one that is not regular.
RewriteResult failedWithError(RewriteStep step, int error, const std::string &path = {})
{
    RewriteResult result{step, kNoCode, error, std::strerror(error)};
    struct stat st {};
    if (error == EINVAL && !path.empty() && ::stat(path.c_str(), &st) == 0) {
        const char *kind = S_ISFIFO(st.st_mode) ? "Is a FIFO"
            : S_ISSOCK(st.st_mode)              ? "Is a socket"
            : S_ISCHR(st.st_mode)               ? "Is a character device"
            : S_ISBLK(st.st_mode)               ? "Is a block device"
                                                : nullptr;
        if (kind != nullptr) {
            result.reason = kind;
            result.specialFile = true;
            result.reasonCode = ReasonCode::SpecialFile;
        }
    }
    return result;
}

// Files up to this size are read whole by the look at head and tail, which
// then serves the load too: one read instead of three.
constexpr std::int64_t kReadWholeUpTo = 4 << 20;

// Reads the head and tail of an open file and asks whether it can be audio
// at all, so that a large file of another kind is never read whole. `head`
// keeps what was read from offset 0, for the load.
RewriteResult probe(const platform::ExclusiveFile &file, std::vector<std::uint8_t> &head)
{
    const std::int64_t size = file.size();
    if (size < 0)
        return failedWithError(RewriteStep::Load, errno);
    head.resize(static_cast<std::size_t>(size <= kReadWholeUpTo ? size : static_cast<std::int64_t>(kProbeHeadSize)));
    const auto tailSize = static_cast<std::size_t>(std::min<std::int64_t>(size, kProbeTailSize));
    std::vector<std::uint8_t> tail(head.size() == static_cast<std::size_t>(size) ? 0 : tailSize);
    if (!file.readAt(0, head.data(), static_cast<std::int64_t>(head.size()))
        || !file.readAt(size - static_cast<std::int64_t>(tail.size()), tail.data(),
                        static_cast<std::int64_t>(tail.size())))
        return failedWithError(RewriteStep::Load, errno);
    const std::uint8_t *tailData = tail.empty() ? head.data() + head.size() - tailSize : tail.data();
    const ProbeVerdict verdict =
        probeFileHead(head.data(), std::min(head.size(), kProbeHeadSize), tailData, tailSize, size);
    static constexpr ReasonCode kCodes[] = {ReasonCode::None,    ReasonCode::TooLarge,        ReasonCode::OtherRiffForm,
                                            ReasonCode::PcmWave, ReasonCode::OtherWaveFormat, ReasonCode::NoFrameSync};
    if (!verdict.acceptable) {
        RewriteResult refused{RewriteStep::Analyze, kNoCode, 0, verdict.reason};
        refused.reasonCode = kCodes[static_cast<int>(verdict.refusal)];
        return refused;
    }
    return {};
}

// Fix goes by check's verdict: an unreadable file is refused with check's
// reason, a right one left, anything else made right by the engine.
RewriteResult fixImage(TBinEdit &engine, const RewriteOptions &options)
{
    const FileCheck check = checkFile(*engine.Image);
    switch (check.verdict) {
    case HeaderVerdict::Right:
    case HeaderVerdict::NotNeeded:
        return failed(RewriteStep::NothingToFix);
    case HeaderVerdict::Unreadable:
        return failed(RewriteStep::Rewrite, check.errorCode);
    case HeaderVerdict::Missing:
    case HeaderVerdict::Stale:
        break;
    }
    engine.SetSeekRange(options.seekRange);
    if (!engine.FixVbrHeader())
        return rewriteFailed(engine.ErrorCode);
    RewriteResult done;
    done.truncated = check.truncated;
    if (check.truncated) {
        done.reason = "the file looks truncated: " + check.reason.substr(check.reason.find(':') + 2);
        done.reasonCode = ReasonCode::LooksTruncated;
    }
    return done;
}

} // namespace

RewriteResult openForRewrite(TBinEdit &engine, const std::string &path, OpenedFile &opened, const ScannedAs &scanned,
                             bool keepOpen)
{
    opened = OpenedFile{};
    opened.path = path;
    // One exclusive open for the times, the look at head and tail and the load.
    platform::ExclusiveFile file;
    if (!file.open(path, platform::FileAccess::Read))
        return failedWithError(RewriteStep::Open, errno, path);
    if (!platform::captureFileTimes(file, opened.times))
        return failedWithError(RewriteStep::Open, errno);
    if (scanned.known()) {
        const platform::FileIdentity now = file.identity();
        if (now.device != scanned.device || now.inode != scanned.inode) {
            RewriteResult changed{RewriteStep::Open, kNoCode, 0, "changed since the folder scan"};
            changed.reasonCode = ReasonCode::ChangedSinceScan;
            return changed;
        }
    }
    std::vector<std::uint8_t> head;
    if (const RewriteResult looked = probe(file, head); !looked.ok())
        return looked;

    engine.ErrorCode = kNoCode;
    errno = 0;
    if (!engine.LoadFile(file, path, std::move(head))) {
        RewriteResult result = failed(RewriteStep::Load, engine.ErrorCode);
        if (errno != 0) {
            result.systemError = errno;
            result.reason = std::strerror(errno);
        }
        return result;
    }
    // Kept for the replace to take over, or closed before the save by path.
    if (keepOpen)
        opened.held = std::make_shared<platform::ExclusiveFile>(std::move(file));
    else
        file.close();
    engine.ErrorCode = kNoCode;
    if (!engine.Analyze())
        return failed(RewriteStep::Analyze, engine.ErrorCode);
    opened.hadHeader = engine.HasVbrHeader();
    return {};
}

RewriteStep checkMode(const OpenedFile &opened, RewriteMode mode)
{
    if (mode == RewriteMode::Add && opened.hadHeader)
        return RewriteStep::AlreadyHasHeader;
    if (mode == RewriteMode::Remove && !opened.hadHeader)
        return RewriteStep::HasNoHeader;
    return RewriteStep::Done;
}

RewriteResult checkMode(const TBinEdit &engine, const OpenedFile &opened, RewriteMode mode)
{
    const RewriteStep step = checkMode(opened, mode);
    if (step == RewriteStep::AlreadyHasHeader) {
        const FileCheck check = checkFile(*engine.Image);
        if (check.verdict == HeaderVerdict::Unreadable)
            return failed(RewriteStep::Rewrite, check.errorCode);
    }
    return failed(step);
}

RewriteResult editImage(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options)
{
    // Checked again here so that no caller can put a second header in front of a first.
    if (const RewriteResult mode = checkMode(engine, opened, options.mode); !mode.ok())
        return mode;

    engine.ErrorCode = kNoCode;
    if (options.mode == RewriteMode::Fix)
        return fixImage(engine, options);
    if (options.mode == RewriteMode::Add) {
        if (!engine.AddVbrHeader())
            return failed(RewriteStep::Rewrite, engine.ErrorCode);
    } else {
        engine.SetSeekRange(options.seekRange); // a range of 0 or less keeps the engine's own
        if (!engine.RemoveVbrHeader())
            return rewriteFailed(engine.ErrorCode);
    }
    return {};
}

namespace {

// A failed save, in the words of the replace that failed.
RewriteResult saveFailure(std::int32_t errorCode, const platform::ReplaceResult &replace)
{
    RewriteResult result = failed(RewriteStep::Save, errorCode);
    if (!replace.ok && replace.error != 0) {
        result.systemError = replace.error;
        if (replace.error == ESTALE) {
            result.reason = "the file changed since it was read";
            result.reasonCode = ReasonCode::ChangedSinceRead;
        } else if (std::strcmp(replace.step, "times") == 0) {
            // Only the owner may set a file's times: say which promise could not be kept.
            result.reason = std::string("its last-write time cannot be kept: ") + std::strerror(replace.error);
            result.reasonCode = ReasonCode::TimesNotKept;
        } else
            result.reason = std::strerror(replace.error);
    }
    return result;
}

const timespec *keptTime(const OpenedFile &opened, const RewriteOptions &options)
{
    // The kept time goes onto the new content before it replaces the old, so
    // that a rewrite keeps its time or fails with the original intact.
    return options.keepTimes ? &opened.times.lastWrite : nullptr;
}

// The bytes of the original file under each edit, read before the replace
// (from the held file, if any); false when they cannot be read. A file changed
// since it was loaded is refused by the replace: its record is never written.
bool readReplaced(const OpenedFile &opened, const platform::ByteEdits &edits,
                  std::vector<std::vector<std::uint8_t>> &replaced)
{
    const bool held = opened.held && opened.held->isOpen();
    const platform::OwnedFd own(held ? -1 : ::open(opened.path.c_str(), O_RDONLY | O_CLOEXEC));
    const int file = held ? opened.held->fd() : own.get();
    if (file < 0)
        return false;
    for (const platform::ByteEdit &edit : edits) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(edit.oldLength));
        const auto count = static_cast<std::int64_t>(bytes.size());
        if (platform::readAllAt(file, bytes.data(), count, static_cast<std::int64_t>(edit.offset)) != count)
            return false;
        replaced.push_back(std::move(bytes));
    }
    return true;
}

// editImage, and where the run keeps a log, the engine's change with the
// bytes it replaces.
RewriteResult editAndNote(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options)
{
    UndoLog *log = options.undoLog;
    if (log != nullptr && log->refuses())
        return {RewriteStep::Save, kNoCode, 0, "the undo log cannot be written"};
    RewriteResult edited = editImage(engine, opened, options);
    if (!edited.ok() || log == nullptr)
        return edited;
    std::vector<std::vector<std::uint8_t>> replaced;
    if (!readReplaced(opened, engine.Edits(), replaced))
        return failedWithError(RewriteStep::Save, errno != 0 ? errno : EIO);
    edited.undo = std::make_shared<PendingUndo>();
    edited.undo->log = log;
    edited.undo->record.path = opened.path;
    edited.undo->record.oldLastWrite = opened.times.lastWrite;
    edited.undo->record.edits = loggedEdits(engine.Edits(), std::move(replaced));
    return edited;
}

// What a replace that made the new content the file's could not finish.
std::string saveWarning(const platform::ReplaceResult &replace)
{
    if (!replace.ok || replace.error == 0)
        return "";
    const std::string why = std::strerror(replace.error);
    if (std::strcmp(replace.step, "syncdir") == 0)
        return "rewritten, but its folder cannot be flushed (" + why + ")";
    if (std::strcmp(replace.step, "temp-remove") == 0)
        return "rewritten in place, as its folder refused the rename, but its emptied temporary copy cannot be "
               "removed from the folder ("
            + why + ")";
    if (std::strcmp(replace.step, "journal-remove") == 0)
        return "rewritten, but the emptied rollback journal of its rewrite cannot be removed (" + why
            + "); the next run removes it";
    return "rewritten, but the removal of its rollback journal cannot be made sure (" + why + ")";
}

} // namespace

RewriteResult logRewrite(RewriteResult result, const platform::ReplaceResult &replace)
{
    result.warning = saveWarning(replace);
    const std::shared_ptr<PendingUndo> pending = std::move(result.undo);
    if (!pending)
        return result;
    UndoRecord &record = pending->record;
    record.device = replace.identity.device;
    record.inode = replace.identity.inode;
    record.length = static_cast<std::uint64_t>(std::max<std::int64_t>(0, replace.identity.size));
    record.lastWrite = replace.identity.lastWrite;
    if (!pending->log->append(record) && pending->log->refuses())
        return {RewriteStep::Save, kNoCode, 0, "rewritten, but its undo record cannot be written"};
    return result;
}

RewriteResult rewriteOpened(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options)
{
    const RewriteResult edited = editAndNote(engine, opened, options);
    opened.letGo(); // the save by path takes the lock itself
    if (!edited.ok())
        return edited;

    engine.ErrorCode = kNoCode;
    if (!engine.SaveFile(opened.path, keptTime(opened, options)))
        return saveFailure(engine.ErrorCode, engine.LastSaveResult());
    const RewriteResult logged = logRewrite(edited, engine.LastSaveResult());
    if (options.undoLog != nullptr)
        options.undoLog->flush();
    return logged;
}

RewriteResult stageRewrite(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options,
                           platform::ReplaceGroup &group, std::size_t &entry)
{
    const RewriteResult edited = editAndNote(engine, opened, options);
    if (!edited.ok())
        return edited;

    // Only the change is handed on: the group copies the rest from the file,
    // which it checks is still the one the engine read.
    platform::ReplaceResult staged;
    if (engine.Image && engine.LoadedPath() == opened.path && engine.LoadedIdentity().valid()) {
        platform::ExclusiveFile none; // the group opens the file itself
        entry = group.add(opened.path, engine.Edits(), engine.LoadedIdentity(), keptTime(opened, options),
                          opened.held ? std::move(*opened.held) : std::move(none));
        staged = group.result(entry);
        if (staged.ok)
            return edited;
    }
    engine.ErrorCode = ecCannotSave;
    return saveFailure(engine.ErrorCode, staged);
}

RewriteResult committedResult(const platform::ReplaceGroup &group, std::size_t entry, RewriteResult staged)
{
    const platform::ReplaceResult replace = group.result(entry);
    if (!replace.ok)
        return saveFailure(ecCannotSave, replace);
    return logRewrite(std::move(staged), replace);
}

RewriteResult predictSave(const OpenedFile &opened, bool keepTimes)
{
    opened.letGo();
    const platform::ReplaceResult check = platform::checkReplaceable(opened.path, keepTimes);
    if (check.ok)
        return {};
    // The same words as the failed save would give.
    if (std::strcmp(check.step, "times") == 0)
        return saveFailure(kNoCode, check);
    return failedWithError(RewriteStep::Save, check.error);
}

RewriteResult rewriteFile(TBinEdit &engine, const std::string &path, const RewriteOptions &options)
{
    OpenedFile opened;
    if (const RewriteResult result = openForRewrite(engine, path, opened); !result.ok())
        return result;
    if (const RewriteStep step = checkMode(opened, options.mode); step != RewriteStep::Done)
        return failed(step);
    return rewriteOpened(engine, opened, options);
}

const char *batchFailureText(RewriteStep step)
{
    switch (step) {
    case RewriteStep::Done:
        return "";
    case RewriteStep::Open:
    case RewriteStep::Load:
        return "Cannot open this File.";
    case RewriteStep::Analyze:
        return "This file is not MPEG/Audio.";
    case RewriteStep::AlreadyHasHeader:
        return "This file includes a VBR Header.";
    case RewriteStep::HasNoHeader:
        return "This file includes no VBR header.";
    case RewriteStep::NothingToFix:
        return "This file's VBR Header needs no fix.";
    case RewriteStep::Rewrite:
    case RewriteStep::Save:
        return "Cannot Add/Remove a VBR Header.";
    }
    return "";
}

std::string reasonText(const RewriteResult &result)
{
    std::string text = batchFailureText(result.step);
    if (result.errorCode >= 0)
        text +=
            " (error " + std::to_string(result.errorCode) + (result.reason.empty() ? "" : ": " + result.reason) + ")";
    else if (!result.reason.empty())
        text += " (" + result.reason + ")";
    return text;
}

const char *successText(RewriteMode mode)
{
    switch (mode) {
    case RewriteMode::Add:
        return "This File includes a VBR Header Now.";
    case RewriteMode::Remove:
        return "This File includes no VBR Header Now.";
    case RewriteMode::Fix:
        return "This File's VBR Header is right Now.";
    }
    return "";
}

} // namespace brantlow
