// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UndoLog.h"
#include "engine/Binedit.h"
#include "platform/ExclusiveFile.h"
#include "platform/FileTimes.h"
#include "platform/SafeReplace.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace brantlow {

// The per-file rewrite shared by the main window, the batch run and the
// command line: exclusive open and time capture, LoadFile, Analyze, the mode
// check, add, remove or fix, SaveFile with the captured last-write time.

// Fix makes the file right as check judges it (FixVbrHeader): a missing
// header is added, a stale one rewritten, placeholder RIFF sizes written; a
// right or not needed one is left, an unreadable file refused with check's
// reason.
enum class RewriteMode { Add, Remove, Fix };

// Where a rewrite stopped. Done means the file now has the wanted state.
enum class RewriteStep {
    Done,
    Open,          // the file cannot be opened exclusively (missing, locked, a folder, no rights)
    Load,          // LoadFile failed
    Analyze,       // not MPEG audio in a supported wrapper
    AlreadyHasHeader, // Add asked, the file has a VBR header
    HasNoHeader,   // Remove asked, the file has none
    NothingToFix,  // Fix asked, the header is right or none is needed
    Rewrite,       // AddVbrHeader or RemoveVbrHeader failed
    Save,          // SaveFile failed; the file is unchanged
};

struct RewriteOptions {
    RewriteMode mode = RewriteMode::Add;
    bool keepTimes = true;      // the new content keeps the last-write time; else it gets the current time
    std::int32_t seekRange = 3; // handed to SetSeekRange before a removal
    // The run's log: each file rewritten is recorded there once its new
    // content is in place, with the bytes its change replaced, read from the
    // original before the replace.
    UndoLog *undoLog = nullptr;
};

// A rewrite's record, waiting until the new content is in place.
struct PendingUndo {
    UndoLog *log = nullptr;
    UndoRecord record;
};

// The cause a reason names where neither the engine's number (errorCode) nor
// the system's (systemError) names it, for a program that words reasons in
// its user's language; the command line gives `reason` as it stands.
enum class ReasonCode {
    None,
    TooLarge, // the look at head and tail: 2 GiB or more
    OtherRiffForm,
    PcmWave,
    OtherWaveFormat,
    NoFrameSync,
    NoFrameAfterHeader, // no frame follows the header frame within the seek range
    ChangedSinceScan,
    ChangedSinceRead,
    TimesNotKept, // with systemError
    SpecialFile, // a FIFO, socket or device
    LooksTruncated, // a fixed file that lost its end
};

struct RewriteResult {
    RewriteStep step = RewriteStep::Done;
    std::int32_t errorCode = -1; // the engine's ErrorCode where an engine operation failed, else -1
    int systemError = 0;         // errno of the failing system call, else 0
    std::string reason; // why, in words ("PCM WAVE", "Permission denied"); empty when unknown;
                        // after a fix of a truncated file, what shows it
    bool specialFile = false; // the path names a FIFO, socket or device, never audio
    bool truncated = false; // fixed, the file looks truncated: it needs a new copy more than a new header
    ReasonCode reasonCode = ReasonCode::None;
    std::shared_ptr<PendingUndo> undo{}; // set while a logged rewrite waits for its replace
    std::string warning{}; // rewritten, but a step after the new content was on disk failed
    bool ok() const { return step == RewriteStep::Done; }
};

// The times a file had when it was opened, kept until it is saved.
struct OpenedFile {
    std::string path;
    platform::FileTimes times;
    bool hadHeader = false;
    // Where asked for: the file as it was opened and read, still open and
    // locked, for the replace to take over (no second open).
    std::shared_ptr<platform::ExclusiveFile> held{};
    void letGo() const
    {
        if (held)
            held->close();
    }
};

// Steps up to Analyze: exclusive open, capture times, a look at the head and
// tail that refuses what can never be audio before the file is read whole
// (step Analyze, with the reason), LoadFile, Analyze.
// Where a folder scan gave the file's device and inode, a file found at the
// path that is another one (a folder swapped for a link since) is refused
// (step Open, "changed since the folder scan").
// With `keepOpen` the file stays open and locked in `opened.held` for
// stageRewrite; a save by path (rewriteOpened, predictSave) lets it go first.
struct ScannedAs {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool known() const { return device != 0 || inode != 0; }
};
RewriteResult openForRewrite(TBinEdit &engine, const std::string &path, OpenedFile &opened,
                             const ScannedAs &scanned = {}, bool keepOpen = false);

// Mode check only: AlreadyHasHeader, HasNoHeader or Done (Fix is decided
// on the image, in editImage).
RewriteStep checkMode(const OpenedFile &opened, RewriteMode mode);
// The same, and one verdict for add: a file with a header whose stream
// check finds unreadable is refused with check's reason (step Rewrite)
// rather than taken as already wanted.
RewriteResult checkMode(const TBinEdit &engine, const OpenedFile &opened, RewriteMode mode);

// The mode check again, then add (AddVbrHeader), remove (SetSeekRange and
// RemoveVbrHeader) or fix (by the header's verdict: AddVbrHeader,
// FixVbrHeader or NothingToFix) in the loaded image only; nothing is
// written. A dry run stops here.
RewriteResult editImage(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options);

// editImage, then SaveFile, which sets the kept last-write time (when asked)
// before the new content replaces the old.
RewriteResult rewriteOpened(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options);

// rewriteOpened for a run of many files: the new content is written into
// `group` (entry: its number there) and becomes the file's when the group
// commits. Step Save here means it failed already; after the commit,
// committedResult tells how the save ended: `staged` (what stageRewrite
// gave, its record now in the run's log) or the failure.
RewriteResult stageRewrite(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options,
                           platform::ReplaceGroup &group, std::size_t &entry);
RewriteResult committedResult(const platform::ReplaceGroup &group, std::size_t entry, RewriteResult staged = {});

// Records a rewrite whose new content is in place, as `replace` left it, in
// the log its `undo` names. A record that cannot be written fails the file
// only where the log is required.
RewriteResult logRewrite(RewriteResult result, const platform::ReplaceResult &replace);

// All of it, for one file.
RewriteResult rewriteFile(TBinEdit &engine, const std::string &path, const RewriteOptions &options);

// What a rewrite of an analysed file would meet when it writes, found without
// writing: a read-only file, a folder where neither a new file can be made nor
// the file rewritten in place, a last-write time to keep that the process may
// not set (step Save, with the reason).
RewriteResult predictSave(const OpenedFile &opened, bool keepTimes = true);

// The batch run's text for a step ("Cannot open this File." ...), and the
// success text for a mode ("This File includes a VBR Header Now." ...).
const char *batchFailureText(RewriteStep step);
const char *successText(RewriteMode mode);

// A failure's reason: the batch run's text for its step, then in parentheses
// the engine's number and the reason in words where there are any:
// "This file is not MPEG/Audio. (error 13: PCM WAVE)",
// "Cannot open this File. (No such file or directory)".
std::string reasonText(const RewriteResult &result);

} // namespace brantlow
