// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorCodes.h"

// Marks a reason for the desktop program's translations: its lupdate reads
// this file and takes the marker as QT_TRANSLATE_NOOP, in the context
// "Reason". The engine itself speaks English.
#define BRANTLOW_TRANSLATE_NOOP(context, text) text

namespace brantlow {

const char *errorCodeText(std::int32_t errorCode)
{
    switch (errorCode) {
    case ecCannotOpen:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "cannot be opened for reading");
    case ecCannotRead:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "cannot be read (or is 2 GiB or larger)");
    case ecCannotSave:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "cannot be saved");
    case ecFileChanged:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "the file changed since it was read");
    case ecNoFrameSync:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "no MPEG audio stream in the first 64 KiB of the audio");
    case ecRiffForm:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "RIFF file of neither RMP3 nor WAVE form");
    case ecWaveFormat:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "WAVE file whose audio is not MPEG Layer 3");
    case ecWavePcm:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "WAVE file with PCM audio");
    case ecWaveNoData:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "WAVE file without a data chunk");
    case ecRmp3NoData:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "RMP3 file without a data chunk");
    case ecOtherContainer:
        return BRANTLOW_TRANSLATE_NOOP("Reason",
                                       "a file of another container (MP4, Ogg, FLAC, Matroska or MPEG program stream)");
    case ecMpeg25SampleRate:
    case ecSampleRate:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "frame header with a reserved sample rate");
    case ecMpeg25Bitrate:
    case ecBitrateOrLayer:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "frame header with a free-format or bad bitrate, or a reserved layer");
    case ecNoAudioBytes:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "no audio bytes to describe");
    case ecUnfollowableAudio:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "more than 1 % (or 64 KiB) of the stream is junk between its frames");
    case ecCannotFix:
        return BRANTLOW_TRANSLATE_NOOP("Reason",
                                       "the header frame is no Xing or Info frame, or too short for its fields");
    case ecHeaderNotFoundAgain:
        return BRANTLOW_TRANSLATE_NOOP(
            "Reason", "the header frame would not be found again: the junk after the ID3v2 tag looks like frames");
    case ecFixNotSettled:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "the mended header would not read back as right");
    case ecNoScratchStream:
    case ecInsertFailed:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "the header frame cannot be inserted");
    case ecCutFailed:
    case ecRiffFixFailed:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "the header frame cannot be cut out");
    default:
        return BRANTLOW_TRANSLATE_NOOP("Reason", "unknown failure");
    }
}

} // namespace brantlow
