#include "RewriteJob.h"

#include "platform/ExclusiveFile.h"

namespace brantlow {

namespace {

// The engine never clears ErrorCode, and a few of its failures set none, so
// each step starts from this mark: a code still equal to it after a failure
// means the step gave no number, and an old file's number is never reported.
constexpr std::int32_t kNoCode = -1;

RewriteResult failed(RewriteStep step, std::int32_t errorCode = kNoCode)
{
    return {step, errorCode};
}

} // namespace

RewriteResult openForRewrite(TBinEdit &engine, const std::string &path, OpenedFile &opened)
{
    opened = OpenedFile{};
    opened.path = path;
    {
        platform::ExclusiveFile file;
        if (!file.open(path, platform::FileAccess::Read))
            return failed(RewriteStep::Open);
        if (!platform::captureFileTimes(file, opened.times))
            return failed(RewriteStep::Open);
    }

    engine.ErrorCode = kNoCode;
    if (!engine.LoadFile(path))
        return failed(RewriteStep::Load, engine.ErrorCode);
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

RewriteResult editImage(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options)
{
    // Checked again here so that no caller can put a second header in front of a first.
    if (const RewriteStep step = checkMode(opened, options.mode); step != RewriteStep::Done)
        return failed(step);

    engine.ErrorCode = kNoCode;
    if (options.mode == RewriteMode::Add) {
        if (!engine.AddVbrHeader())
            return failed(RewriteStep::Rewrite, engine.ErrorCode);
    } else {
        engine.SetSeekRange(options.seekRange); // a range of 0 or less keeps the engine's own
        if (!engine.RemoveVbrHeader())
            return failed(RewriteStep::Rewrite, engine.ErrorCode);
    }
    return {};
}

RewriteResult rewriteOpened(TBinEdit &engine, const OpenedFile &opened, const RewriteOptions &options)
{
    if (const RewriteResult edited = editImage(engine, opened, options); !edited.ok())
        return edited;

    engine.ErrorCode = kNoCode;
    if (!engine.SaveFile(opened.path))
        return failed(RewriteStep::Save, engine.ErrorCode);

    if (options.keepTimes) {
        platform::ExclusiveFile file;
        if (!file.open(opened.path, platform::FileAccess::ReadWrite))
            return failed(RewriteStep::RestoreTimes);
        if (!platform::restoreFileTimes(file, opened.times))
            return failed(RewriteStep::RestoreTimes);
    }
    return {};
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
    case RewriteStep::Rewrite:
    case RewriteStep::Save:
    case RewriteStep::RestoreTimes:
        return "Cannot Add/Remove a VBR Header.";
    }
    return "";
}

const char *successText(RewriteMode mode)
{
    return mode == RewriteMode::Add ? "This File includes a VBR Header Now." : "This File includes no VBR Header Now.";
}

} // namespace brantlow
