// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReasonText.h"

#include "engine/ErrorCodes.h"

#include <QCoreApplication>

#include <cstring>

using namespace brantlow;

namespace {

// A text marked with QT_TRANSLATE_NOOP("Reason", ...).
QString translated(const char *text)
{
    return QCoreApplication::translate("Reason", text);
}

// The job's own causes; the ones that name the system's reason take it as %1.
const char *jobReason(ReasonCode code)
{
    switch (code) {
    case ReasonCode::None:
        return nullptr;
    case ReasonCode::TooLarge:
        return QT_TRANSLATE_NOOP("Reason", "2 GiB or more");
    case ReasonCode::OtherRiffForm:
        return QT_TRANSLATE_NOOP("Reason", "a RIFF file of another form: not MPEG audio");
    case ReasonCode::PcmWave:
        return QT_TRANSLATE_NOOP("Reason", "PCM WAVE");
    case ReasonCode::OtherWaveFormat:
        return QT_TRANSLATE_NOOP("Reason", "a WAVE file of another format: not MPEG audio");
    case ReasonCode::NoFrameSync:
        return QT_TRANSLATE_NOOP("Reason", "not MPEG audio: no frame sync in the first 64 KiB");
    case ReasonCode::NoFrameAfterHeader:
        return QT_TRANSLATE_NOOP("Reason", "no frame follows the header frame within the seek range");
    case ReasonCode::ChangedSinceScan:
        return QT_TRANSLATE_NOOP("Reason", "changed since the folder scan");
    case ReasonCode::ChangedSinceRead:
        return QT_TRANSLATE_NOOP("Reason", "the file changed since it was read");
    case ReasonCode::TimesNotKept:
        return QT_TRANSLATE_NOOP("Reason", "its last-write time cannot be kept: %1");
    case ReasonCode::SpecialFile:
        return QT_TRANSLATE_NOOP("Reason", "not a regular file");
    case ReasonCode::LooksTruncated:
        return QT_TRANSLATE_NOOP("Reason", "the file looks truncated");
    }
    return nullptr;
}

const char *stepMessage(RewriteStep step)
{
    switch (step) {
    case RewriteStep::Done:
        return nullptr;
    case RewriteStep::Open:
    case RewriteStep::Load:
        return QT_TRANSLATE_NOOP("Reason", "Cannot open this File.");
    case RewriteStep::Analyze:
        return QT_TRANSLATE_NOOP("Reason", "This file is not MPEG/Audio.");
    case RewriteStep::AlreadyHasHeader:
        return QT_TRANSLATE_NOOP("Reason", "This file includes a VBR Header.");
    case RewriteStep::HasNoHeader:
        return QT_TRANSLATE_NOOP("Reason", "This file includes no VBR header.");
    case RewriteStep::NothingToFix:
        return QT_TRANSLATE_NOOP("Reason", "This file's VBR Header needs no fix.");
    case RewriteStep::Rewrite:
    case RewriteStep::Save:
        return QT_TRANSLATE_NOOP("Reason", "Cannot Add/Remove a VBR Header.");
    }
    return nullptr;
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString engineReasonText(std::int32_t errorCode)
{
    return QCoreApplication::translate("Reason", "error %1: %2")
        .arg(errorCode)
        .arg(translated(errorCodeText(errorCode)));
}

QString rewriteReasonText(const RewriteResult &result)
{
    // The words that say most: the rewrite's own cause, the system's, else
    // the engine's for its number, which leads them where there is one.
    QString words;
    if (const char *text = jobReason(result.reasonCode))
        words = result.reasonCode == ReasonCode::TimesNotKept ? translated(text).arg(systemText(result.systemError))
                                                              : translated(text);
    else if (result.systemError != 0)
        words = systemText(result.systemError);
    else if (result.errorCode >= 0)
        words = translated(errorCodeText(result.errorCode));
    else
        words = QString::fromStdString(result.reason);
    if (result.errorCode < 0)
        return words;
    return QCoreApplication::translate("Reason", "error %1: %2").arg(result.errorCode).arg(words);
}

QString rewriteFailureText(const RewriteResult &result)
{
    const char *message = stepMessage(result.step);
    const QString reason = rewriteReasonText(result);
    const QString text = message != nullptr ? translated(message) : QString();
    return reason.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, reason);
}

QString checkReasonText(const FileCheck &check)
{
    return stateReasonText(stateOf(check));
}

QString stateReasonText(const FileState &state)
{
    if (state.verdict == HeaderVerdict::Unreadable)
        return state.refused.ok() ? engineReasonText(state.errorCode) : rewriteFailureText(state.refused);
    const auto counts = [&state](const char *text) {
        return QCoreApplication::translate("Reason", text).arg(state.headerFrames).arg(state.streamFrames);
    };
    QString text;
    switch (state.staleCause) {
    case StaleCause::None:
        break;
    case StaleCause::Truncated:
        text = counts(QT_TRANSLATE_NOOP("Reason", "truncated: the header says %1 frames, %2 are there"));
        break;
    case StaleCause::Joined:
        text = counts(QT_TRANSLATE_NOOP("Reason", "joined: the header says %1 frames, %2 are there"));
        break;
    case StaleCause::FrameCount:
        text = counts(QT_TRANSLATE_NOOP("Reason", "the header says %1 frames, %2 are there"));
        break;
    case StaleCause::ByteCount:
        text = QCoreApplication::translate("Reason", "byte count %1, stream %2 bytes")
                   .arg(state.headerBytes)
                   .arg(state.streamBytes);
        break;
    case StaleCause::TagCrc:
        text = QCoreApplication::translate("Reason", "the tag CRC does not match");
        break;
    }
    if (state.riffSizes)
        text = text.isEmpty() ? QCoreApplication::translate("Reason", "RIFF sizes")
                              : QCoreApplication::translate("Reason", "%1; %2")
                                    .arg(text, QCoreApplication::translate("Reason", "RIFF sizes"));
    return text;
}

QString stateColumnText(const FileState &state)
{
    // In the order of HeaderVerdict.
    static constexpr const char *kNames[] = {
        QT_TRANSLATE_NOOP("State", "right"), QT_TRANSLATE_NOOP("State", "stale"), QT_TRANSLATE_NOOP("State", "missing"),
        QT_TRANSLATE_NOOP("State", "not needed"), QT_TRANSLATE_NOOP("State", "unreadable")};
    const QString name = QCoreApplication::translate("State", kNames[static_cast<int>(state.verdict)]);
    const QString reason = stateReasonText(state);
    if (reason.isEmpty())
        return name;
    return state.verdict == HeaderVerdict::Unreadable
        ? QCoreApplication::translate("State", "%1: %2").arg(name, reason)
        : QCoreApplication::translate("State", "%1 (%2)").arg(name, reason);
}
