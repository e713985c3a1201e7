// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorCodes.h"

namespace brantlow {

const char *errorCodeText(std::int32_t errorCode)
{
    switch (errorCode) {
    case ecCannotOpen:
        return "cannot be opened for reading";
    case ecCannotRead:
        return "cannot be read (or is 2 GiB or larger)";
    case ecCannotSave:
        return "cannot be saved";
    case ecFileChanged:
        return "the file changed since it was read";
    case ecNoFrameSync:
        return "no MPEG audio stream in the first 64 KiB of the audio";
    case ecRiffForm:
        return "RIFF file of neither RMP3 nor WAVE form";
    case ecWaveFormat:
        return "WAVE file whose audio is not MPEG Layer 3";
    case ecWavePcm:
        return "WAVE file with PCM audio";
    case ecWaveNoData:
        return "WAVE file without a data chunk";
    case ecRmp3NoData:
        return "RMP3 file without a data chunk";
    case ecOtherContainer:
        return "a file of another container (MP4, Ogg, FLAC, Matroska or MPEG program stream)";
    case ecMpeg25SampleRate:
    case ecSampleRate:
        return "frame header with a reserved sample rate";
    case ecMpeg25Bitrate:
    case ecBitrateOrLayer:
        return "frame header with a free-format or bad bitrate, or a reserved layer";
    case ecNoAudioBytes:
        return "no audio bytes to describe";
    case ecUnfollowableAudio:
        return "more than 1 % (or 64 KiB) of the stream is junk between its frames";
    case ecCannotFix:
        return "the header frame is no Xing or Info frame, or too short for its fields";
    case ecHeaderNotFoundAgain:
        return "the header frame would not be found again: the junk after the ID3v2 tag looks like frames";
    case ecFixNotSettled:
        return "the mended header would not read back as right";
    case ecNoScratchStream:
    case ecInsertFailed:
        return "the header frame cannot be inserted";
    case ecCutFailed:
    case ecRiffFixFailed:
        return "the header frame cannot be cut out";
    default:
        return "unknown failure";
    }
}

} // namespace brantlow
